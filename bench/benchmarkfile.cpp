#include "bench/benchmarkfile.h"

#include "src/database/database.h"
#include "src/database/storedform.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace
{
const char *const MESSAGES[] = {"Probe hit unexpected",     "Axis X limit reached",  "Air pressure low",
                                "Stylus deflection too high", "Emergency stop pressed", "Temperature out of range",
                                "Probe not calibrated",     "Collision detected"};

bool Run(QSqlQuery *query, const QString &statement, QString *error)
{
    if (query->exec(statement))
        return true;
    *error = query->lastError().text();
    return false;
}
} // namespace

bool TBenchmarkFile::Generate(const QString &file_name, const TShape &shape, QString *error)
{
    {
        TDatabase database;
        if (!database.Open(file_name) || !database.Create_Tables())
        {
            *error = database.Last_Error();
            return false;
        }
    }

    const QString connection = QStringLiteral("quorvex_benchmark_file");
    bool written = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file_name);
        if (!db.open())
        {
            *error = db.lastError().text();
            QSqlDatabase::removeDatabase(connection);
            return false;
        }
        QRandomGenerator random(shape.seed);
        QSqlQuery query(db);
        written = Run(&query, QStringLiteral("BEGIN"), error);

        QSqlQuery program(db), data(db), message(db);
        program.prepare(QStringLiteral("INSERT INTO program (name,revision,date,time) VALUES (?,?,?,?)"));
        data.prepare(QStringLiteral("INSERT INTO program_data (program_id,execution_time,idle_time,point_count) "
                                    "VALUES (?,?,?,?)"));
        message.prepare(QStringLiteral("INSERT INTO program_message (program_id,message) VALUES (?,?)"));

        const QDate first_day = QDate(2021, 1, 4);
        const qint64 seconds_per_execution = qMax<qint64>(1, qint64(shape.days) * 86400 / shape.executions);
        for (int i = 0; i < shape.executions && written; ++i)
        {
            // Recording order follows the clock, so dates come in runs; names repeat across days.
            const qint64 second = qint64(i) * seconds_per_execution + random.bounded(int(seconds_per_execution));
            const QDateTime when(first_day.addDays(second / 86400), QTime(0, 0).addSecs(int(second % 86400)));
            const QString name = QStringLiteral("PART_%1").arg(random.bounded(shape.programs), 4, 10, QLatin1Char('0'));
            program.addBindValue(name);
            program.addBindValue(QStringLiteral("REV_%1").arg(QChar('A' + random.bounded(5))));
            program.addBindValue(TStoredForm::Date_Text(when.date()));
            program.addBindValue(TStoredForm::Time_Text(when.time()));
            if (!program.exec())
            {
                *error = program.lastError().text();
                written = false;
                break;
            }
            const qint64 key = program.lastInsertId().toLongLong();
            data.addBindValue(key);
            data.addBindValue(random.bounded(30, 1800));
            data.addBindValue(random.bounded(0, 600));
            data.addBindValue(random.bounded(0, 400));
            written = data.exec();
            const int messages = random.bounded(2) == 0 ? 0 : random.bounded(1, 4);
            for (int m = 0; m < messages && written; ++m)
            {
                message.addBindValue(key);
                message.addBindValue(QString::fromLatin1(MESSAGES[random.bounded(8)]));
                written = message.exec();
            }
            if (!written)
                *error = db.lastError().text();
        }
        written = written && Run(&query, QStringLiteral("COMMIT"), error);
    }
    QSqlDatabase::removeDatabase(connection);
    return written;
}
