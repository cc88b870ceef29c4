#include "tests/support/filecheck.h"

#include <QSqlQuery>
#include <QVariant>

QString TFileCheck::Faults(const QSqlDatabase &db)
{
    QSqlQuery query(db);
    const auto number = [&query](const char *statement)
    { return query.exec(QLatin1String(statement)) && query.next() ? query.value(0).toLongLong() : -1; };
    if (!query.exec(QStringLiteral("PRAGMA integrity_check")) || !query.next() ||
        query.value(0).toString() != QLatin1String("ok"))
        return QStringLiteral("integrity check failed");
    if (number("SELECT count(*) FROM program p WHERE (SELECT count(*) FROM program_data d WHERE "
               "d.program_id=p.program_id)<>1") != 0)
        return QStringLiteral("an entry without exactly one program_data row");
    if (number(
            "SELECT count(*) FROM program_data WHERE program_id NOT IN (SELECT program_id FROM program)") !=
            0 ||
        number("SELECT count(*) FROM program_message WHERE program_id NOT IN (SELECT program_id FROM "
               "program)") != 0)
        return QStringLiteral("rows that belong to no entry");
    if (number("SELECT count(*) FROM program_data WHERE execution_time<0 OR idle_time<0 OR point_count<0") !=
        0)
        return QStringLiteral("a negative time or count");
    if (number("SELECT count(*) FROM program WHERE name='' OR date IS NULL OR time IS NULL") != 0)
        return QStringLiteral("an entry without name, date or time");
    return QString();
}

QString TFileCheck::Faults(const QString &file)
{
    const QString name = QStringLiteral("quorvex_file_check");
    QString faults;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        // Not read-only: after a kill the file may hold a journal that must be rolled back first.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        faults = db.open() ? Faults(db) : QStringLiteral("the file cannot be opened");
    }
    QSqlDatabase::removeDatabase(name);
    return faults;
}
