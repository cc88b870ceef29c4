#include "src/central/centralwriter.h"

#include "src/centraldb/sqlliteral.h"
#include "src/shifts/shiftcalendar.h"

#include <QSqlError>
#include <QSqlQuery>

#include <map>

namespace
{
// Rows and bytes per statement: few round trips, no statement of hundreds of megabytes.
const int ROWS_PER_STATEMENT = 500;
const int CHARACTERS_PER_STATEMENT = 4 << 20;

// Values already quoted, as one row of a VALUES list. Joined, never put
// through QString::arg, which would read a "%1" inside a text as its own.
QString Row(const QStringList &values)
{
    return QLatin1Char('(') + values.join(QLatin1Char(',')) + QLatin1Char(')');
}
} // namespace

class TCentralWriter::TRows
{
public:
    TRows(TCentralWriter *writer, const QString &head, const QString &tail, TRows *before = nullptr)
        : d_writer(writer), d_before(before), d_head(head), d_tail(tail), d_count(0), d_ok(true)
    {
    }
    void Add(const QString &row)
    {
        if (!d_ok)
            return;
        d_statement += d_count == 0 ? d_head : QStringLiteral(",");
        d_statement += row;
        if (++d_count >= ROWS_PER_STATEMENT || d_statement.size() >= CHARACTERS_PER_STATEMENT)
            Flush();
    }
    bool Flush()
    {
        if (d_before && d_count > 0)
            d_ok = d_before->Flush() && d_ok;
        if (d_ok && d_count > 0)
            d_ok = d_writer->Run(d_statement + d_tail);
        d_statement.clear();
        d_count = 0;
        return d_ok;
    }

private:
    TCentralWriter *d_writer;
    TRows *d_before;
    QString d_head;
    QString d_tail;
    QString d_statement;
    int d_count;
    bool d_ok;
};

TCentralWriter::TCentralWriter(QSqlDatabase db, const QString &station_id)
    : d_db(db), d_zone(QTimeZone::systemTimeZone()), d_system_zone(true)
{
    d_station = Text(station_id);
}

QString TCentralWriter::Text(const QString &value) const
{
    return TSqlLiteral(d_db).Text(value);
}

QString TCentralWriter::Timestamp(const QDateTime &time)
{
    return TSqlLiteral::Timestamp(time);
}

QString TCentralWriter::Local(const QDateTime &time) const
{
    // The system's own zone through the C library: a conversion through QTimeZone costs a
    // hundred times more, which a catch-up of a million rows would feel.
    if (!time.isValid() || d_system_zone)
        return TSqlLiteral::Timestamp(time.toLocalTime());
    return TSqlLiteral::Timestamp(time.toTimeZone(d_zone));
}

void TCentralWriter::Set_Time_Zone(const QTimeZone &zone)
{
    d_zone = zone;
    d_system_zone = zone == QTimeZone::systemTimeZone();
}

void TCentralWriter::Note_Error(const QSqlError &error)
{
    d_last_error = error.text().trimmed();
    const QString state = error.nativeErrorCode();
    d_refused_data = state.startsWith(QLatin1String("22")) || state.startsWith(QLatin1String("23"));
}

bool TCentralWriter::Run(const QString &statement)
{
    QSqlQuery query(d_db);
    if (query.exec(statement))
        return true;
    Note_Error(query.lastError());
    return false;
}

bool TCentralWriter::Begin()
{
    if (d_db.transaction())
        return true;
    d_last_error = d_db.lastError().text().trimmed();
    return false;
}

bool TCentralWriter::Finish(bool written)
{
    if (written && d_db.commit())
        return true;
    if (written)
        Note_Error(d_db.lastError());
    // A connection the server ended has nothing to roll back.
    if (d_db.isOpen())
        d_db.rollback();
    return false;
}

bool TCentralWriter::Insert_Executions(const std::vector<TStoredExecution> &rows)
{
    if (!Begin())
        return false;
    TRows executions(
        this,
        QStringLiteral("INSERT INTO executions(station_id,local_id,name,revision,date_text,time_text,"
                       "opened,opened_at,execution_seconds,idle_seconds,point_count,message_count) VALUES"),
        QStringLiteral(" ON CONFLICT (station_id,local_id) DO NOTHING"));
    // The server counts a message on its execution's day: the execution is there first.
    TRows messages(
        this, QStringLiteral("INSERT INTO execution_messages(station_id,local_id,position,message) VALUES"),
        QStringLiteral(" ON CONFLICT (station_id,local_id,position) DO NOTHING"), &executions);
    for (const TStoredExecution &row : rows)
    {
        const QString id = QString::number(row.local_id);
        const TExecution &execution = row.execution;
        const QStringList texts = execution.Error_Messages();
        executions.Add(Row(
            {d_station, id, Text(execution.Name()), Text(execution.Revision()), Text(row.date_text),
             Text(row.time_text), Local(execution.Date_Time()), TSqlLiteral::Instant(execution.Date_Time()),
             QString::number(execution.Execution_Time()), QString::number(execution.Idle_Time()),
             QString::number(execution.Point_Count()), QString::number(texts.size())}));
        for (int i = 0; i < texts.size(); ++i)
            messages.Add(Row({d_station, id, QString::number(i), Text(texts.at(i))}));
    }
    return Finish(executions.Flush() && messages.Flush());
}

bool TCentralWriter::Insert_Usage(const std::vector<TStoredUsage> &rows)
{
    if (!Begin())
        return false;
    TRows usage(
        this, QStringLiteral("INSERT INTO usage_periods(station_id,local_id,total,seconds,recorded) VALUES"),
        QStringLiteral(" ON CONFLICT (station_id,local_id) DO NOTHING"));
    for (const TStoredUsage &row : rows)
        usage.Add(Row(
            {d_station, QString::number(row.local_id), Text(row.total), QString::number(row.seconds),
             row.recorded.isValid() ? QStringLiteral("'%1'").arg(row.recorded.toUTC().toString(Qt::ISODate))
                                    : QStringLiteral("NULL")}));
    return Finish(usage.Flush());
}

bool TCentralWriter::Upsert_Alerts(const std::vector<TStoredAlert> &rows)
{
    if (!Begin())
        return false;
    // An end sent before its start (never so, but harmless) keeps both once both came.
    TRows alerts(
        this,
        QStringLiteral("INSERT INTO alerts(station_id,alert_key,kind,detail,started,ended,started_at,"
                       "ended_at) VALUES"),
        QStringLiteral(" ON CONFLICT (station_id,alert_key) DO UPDATE SET "
                       "ended=COALESCE(EXCLUDED.ended,alerts.ended),"
                       "ended_at=COALESCE(EXCLUDED.ended_at,alerts.ended_at)"));
    // One statement may not touch a row twice: a start and its end go in statements of their own.
    for (const TStoredAlert &row : rows)
    {
        alerts.Add(
            Row({d_station, Text(row.key), Text(row.kind), Text(row.detail), Local(row.started),
                 Local(row.ended), TSqlLiteral::Instant(row.started), TSqlLiteral::Instant(row.ended)}));
        alerts.Flush();
    }
    return Finish(alerts.Flush());
}

bool TCentralWriter::Upsert_Stops(const std::vector<TStoredStop> &rows)
{
    if (!Begin())
        return false;
    TRows stops(
        this,
        QStringLiteral("INSERT INTO stops(station_id,started,ended,open,reason,source,planned,note,change,"
                       "started_at,ended_at) VALUES"),
        // Keyed by the instant it began: a local time repeats when the clocks go back, and moves
        // with the station's zone. Its local start stays as first sent, in the zone it happened in.
        QStringLiteral(" ON CONFLICT (station_id,started_at) DO UPDATE SET ended=EXCLUDED.ended,"
                       "open=EXCLUDED.open,reason=EXCLUDED.reason,source=EXCLUDED.source,"
                       "planned=EXCLUDED.planned,note=EXCLUDED.note,change=EXCLUDED.change,"
                       "ended_at=EXCLUDED.ended_at WHERE stops.change<EXCLUDED.change"));
    // One statement may not touch a row twice: of a stop given twice, its latest change alone.
    std::map<QDateTime, const TStoredStop *> latest;
    for (const TStoredStop &row : rows)
        if (row.stop.started.isValid() && row.stop.ended.isValid())
        {
            const TStoredStop *&kept = latest[row.stop.started];
            if (!kept || kept->local_id < row.local_id)
                kept = &row;
        }
    for (const auto &latest_row : latest)
    {
        const TStopRecord &stop = latest_row.second->stop;
        // A stop written by an earlier version under a clock set back may end before it began.
        const QDateTime ended = qMax(stop.started, stop.ended);
        stops.Add(Row({d_station, Local(stop.started), Local(ended),
                       stop.open ? QStringLiteral("true") : QStringLiteral("false"), Text(stop.reason),
                       Text(TStopRecord::Source_Text(stop.source)),
                       stop.planned ? QStringLiteral("true") : QStringLiteral("false"), Text(stop.note),
                       QString::number(latest_row.second->local_id), TSqlLiteral::Instant(stop.started),
                       TSqlLiteral::Instant(ended)}));
    }
    return Finish(stops.Flush());
}

bool TCentralWriter::Heartbeat(const TStationIdentity &identity, const TStationState &state)
{
    // The zone's offset now beside its name: a reader that does not know the name still reads
    // the station's wall time as it is.
    const int offset = d_zone.offsetFromUtc(QDateTime::currentDateTimeUtc());
    if (!Run(QStringLiteral("INSERT INTO stations(station_id,name,state,program,state_since,heartbeat,"
                            "shift_calendar,time_zone,group_name,state_since_at,utc_offset) VALUES") +
             Row({d_station, Text(identity.name), Text(TStationActivities::Text(state.state)),
                  Text(state.program), Local(state.since), QStringLiteral("now()"), Text(identity.calendar),
                  Text(QString::fromUtf8(d_zone.id())), Text(identity.group),
                  TSqlLiteral::Instant(state.since), QString::number(offset)}) +
             QStringLiteral(" ON CONFLICT (station_id) DO UPDATE SET name=EXCLUDED.name,state=EXCLUDED.state,"
                            "program=EXCLUDED.program,state_since=EXCLUDED.state_since,heartbeat=now(),"
                            "shift_calendar=EXCLUDED.shift_calendar,time_zone=EXCLUDED.time_zone,"
                            "group_name=EXCLUDED.group_name,state_since_at=EXCLUDED.state_since_at,"
                            "utc_offset=EXCLUDED.utc_offset")))
        return false;
    // Today by the server's clock, in the station's zone: a station's own clock may be off.
    QSqlQuery query(d_db);
    if (!d_now.isValid() &&
        (!query.exec(QStringLiteral("SELECT extract(epoch from now())")) || !query.next()))
    {
        Note_Error(query.lastError());
        return false;
    }
    const QDate today =
        (d_now.isValid() ? d_now : QDateTime::fromMSecsSinceEpoch(qint64(query.value(0).toDouble() * 1000)))
            .toTimeZone(d_zone)
            .date();
    const qint64 scheduled = TShiftCalendar::From_Line(identity.calendar).Scheduled_Seconds(today, d_zone);
    return Run(QStringLiteral("INSERT INTO station_days(station_id,day,scheduled_seconds) VALUES") +
               Row({d_station, QStringLiteral("'%1'").arg(today.toString(Qt::ISODate)),
                    QString::number(scheduled)}) +
               QStringLiteral(" ON CONFLICT (station_id,day) DO UPDATE SET "
                              "scheduled_seconds=EXCLUDED.scheduled_seconds"));
}
