#include "src/database/executionwriter.h"

#include "src/database/database.h"
#include "src/database/sqltext.h"
#include "src/database/storedform.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

TExecutionWriter::TExecutionWriter(QSqlDatabase db) : d_db(db) {}

bool TExecutionWriter::Insert_Program(const TExecution &item, QString *key)
{
    const QDateTime date_time = item.Date_Time();
    QSqlQuery query(d_db);
    if (!TDatabase::Execute(
            &query,
            TSqlText::Fill("INSERT INTO program (name,revision,date,time) VALUES ('%1','%2','%3','%4')",
                           {TSqlText::Text(item.Name()), TSqlText::Text(item.Revision()),
                            TSqlText::Text(TStoredForm::Date_Text(date_time.date())),
                            TSqlText::Text(TStoredForm::Time_Text(date_time.time()))})))
    {
        d_last_error = TDatabase::Write_Failure(QStringLiteral("program"), query.lastError());
        return false;
    }

    // The key of the row just inserted, from the insert itself: a lookup by
    // name, date and time could find another row.
    const QVariant row = query.lastInsertId();
    if (!row.isValid() ||
        !TDatabase::Execute(&query, QStringLiteral("SELECT program_id FROM program WHERE rowid=%1")
                                        .arg(TSqlText::Number(row.toLongLong()))) ||
        !query.next() || query.isNull(0))
    {
        d_last_error = QStringLiteral("Cannot add data to table 'program'.  Reason: No key for the new row");
        return false;
    }
    *key = TSqlText::Number(query.value(0).toLongLong());
    return true;
}

bool TExecutionWriter::Insert(const TExecution &item)
{
    QString key;
    if (!Insert_Program(item, &key))
        return false;
    QSqlQuery query(d_db);
    if (!TDatabase::Execute(
            &query,
            TSqlText::Fill("INSERT INTO program_data (program_id,execution_time,idle_time,point_count) "
                           "VALUES (%1,%2,%3,%4)",
                           {key, TSqlText::Number(item.Execution_Time()), TSqlText::Number(item.Idle_Time()),
                            TSqlText::Number(item.Point_Count())})))
    {
        d_last_error = TDatabase::Write_Failure(QStringLiteral("program_data"), query.lastError());
        return false;
    }

    for (int index = 0; index < item.Error_Message_Count(); ++index)
    {
        if (!TDatabase::Execute(
                &query, TSqlText::Fill("INSERT INTO program_message (program_id,message) VALUES (%1,'%2')",
                                       {key, TSqlText::Text(item.Error_Message(index))})))
        {
            d_last_error = TDatabase::Write_Failure(QStringLiteral("program_message"), query.lastError());
            return false;
        }
    }
    return true;
}
