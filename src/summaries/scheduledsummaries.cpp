#include "src/summaries/scheduledsummaries.h"

#include "src/centraldb/connectionsocket.h"
#include "src/common/backgroundjob.h"
#include "src/common/clock.h"
#include "src/database/database.h"
#include "src/database/storedform.h"
#include "src/fleet/fleetfigures.h"
#include "src/fleet/fleetstations.h"
#include "src/statistics/statistics.h"
#include "src/statistics/ui/statisticscharts.h"
#include "src/statistics/ui/statisticspdf.h"

#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QTimer>
#include <QUuid>

namespace
{
const int CHECK_MSEC = 60000;

} // namespace

TScheduledSummaries::TScheduledSummaries(QSettings *settings, TDatabase *database,
                                         const TShiftCalendar *calendar, const TCentralSettings &central,
                                         const TClock *clock, QObject *parent)
    : QObject(parent), d_settings(settings), d_database(database), d_calendar(calendar), d_central(central),
      d_clock(clock), d_timer(new QTimer(this)), d_reader(new TBackgroundJob(this)), d_failing(false)
{
    d_schedule.Read(settings);
    connect(d_timer, &QTimer::timeout, this, &TScheduledSummaries::Check);
    if (!d_schedule.folder.isEmpty())
        d_timer->start(CHECK_MSEC);
}

TScheduledSummaries::~TScheduledSummaries()
{
    // Its job reads only the central database: one caught on a vanished network
    // is left to end by itself, its socket shut so that it does at once.
    if (!d_reader->Stop(TCentralSettings::CLOSE_LIMIT_MSEC) && d_socket)
        d_socket->Shut();
}

QString TScheduledSummaries::File_Name(const TSummarySchedule::TPeriod &period) const
{
    QString scope;
    if (d_schedule.scope == QLatin1String("fleet"))
    {
        // A group's name as part of a file's: no folder separators, nothing a system refuses.
        QString group = d_schedule.group;
        group.replace(QRegularExpression(QStringLiteral("[^\\w .-]+")), QStringLiteral("-"));
        scope =
            group.isEmpty() ? QStringLiteral("fleet ") : QStringLiteral("fleet ") + group + QLatin1Char(' ');
    }
    return QDir(d_schedule.folder).filePath(QStringLiteral("Quorvex %1%2.pdf").arg(scope, period.Name()));
}

void TScheduledSummaries::Check()
{
    if (d_reader->Is_Busy())
        return;
    const QVector<TSummarySchedule::TPeriod> due = d_schedule.Due(d_clock->Now());
    if (due.isEmpty())
        return;
    // One period a check for the fleet (its read is in the background); all at once for the station.
    if (d_schedule.scope == QLatin1String("fleet"))
    {
        Read_Fleet(due.first());
        return;
    }
    // A file closed (the window closing) or never opened would give an empty summary, noted as written.
    if (!d_database->Is_Open())
        return;
    for (const TSummarySchedule::TPeriod &period : due)
    {
        const QStringList days = TStoredForm::Date_Texts(period.first, period.last);
        const QStringList names = d_database->Program_Names(days);
        Write(period, d_database->Executions(names, days, TDatabase::DATE_THEN_NAME));
    }
}

void TScheduledSummaries::Read_Fleet(const TSummarySchedule::TPeriod &period)
{
    if (!d_central.Is_Set())
    {
        Fail(QStringLiteral("the fleet's summary needs a central database (group Central of Settings.ini)"));
        return;
    }
    const TCentralSettings central = d_central;
    const QString group = d_schedule.group;
    d_socket = std::make_shared<TConnectionSocket>();
    d_reader->Start(
        [this, central, group, period,
         socket = d_socket](const TBackgroundJob::TPost &) -> TBackgroundJob::TDelivery
        {
            const QString name = QStringLiteral("summaries-") + QUuid::createUuid().toString();
            auto snapshot = std::make_shared<TFleetSnapshot>();
            snapshot->group = group;
            snapshot->first = period.first;
            snapshot->last = period.last;
            QString error;
            bool read = central.Open_Connection(name, &error);
            if (read)
            {
                // Every handle of the connection (the figures' too) gone before it is removed.
                {
                    QSqlDatabase db = QSqlDatabase::database(name, false);
                    socket->Note(db);
                    snapshot->read_at = TFleetStations::Now(db, &error);
                    read = snapshot->read_at.isValid() && TFleetStations::Read(db, snapshot.get(), &error);
                    for (TFleetSnapshot::TStation &station : snapshot->stations)
                        station.chosen = station.in_group;
                    TFleetFigures figures(db, snapshot.get());
                    if (read && !figures.Read())
                    {
                        read = false;
                        error = figures.Last_Error();
                    }
                    socket->Forget();
                    db.close();
                }
                QSqlDatabase::removeDatabase(name);
            }
            return [this, read, error, period, snapshot]()
            {
                if (read)
                    Write_Fleet(period, *snapshot);
                else
                    Fail(error);
            };
        });
}

void TScheduledSummaries::Fail(const QString &reason)
{
    if (!d_failing)
        emit Message(QStringLiteral("ERR:  Summary not written: ") + reason);
    d_failing = true;
}

void TScheduledSummaries::Write(const TSummarySchedule::TPeriod &period, const std::vector<TExecution> &items)
{
    const QStringList days = TStoredForm::Date_Texts(period.first, period.last);
    const TStatistics statistics(items, days, days, *d_calendar);
    Save(period,
         [&](QIODevice *file)
         {
             return TStatisticsPdf::Write(file, statistics,
                                          period.kind == TSummarySchedule::DAILY ? TStatistics::DAY
                                                                                 : TStatistics::WEEK);
         });
}

void TScheduledSummaries::Write_Fleet(const TSummarySchedule::TPeriod &period, const TFleetSnapshot &snapshot)
{
    const QString range =
        QStringLiteral("%1 to %2").arg(period.first.toString(Qt::ISODate), period.last.toString(Qt::ISODate));
    const QString title = snapshot.group.isEmpty()
                              ? QStringLiteral("Quorvex fleet statistics, %1").arg(range)
                              : QStringLiteral("Quorvex fleet statistics, %1, %2").arg(snapshot.group, range);
    std::vector<TStatisticsPdf::TSection> sections(4);
    sections[0].table = snapshot.station_table;
    sections[0].chart.reset(TStatisticsCharts::Station_Utilisation(QStringLiteral("Utilisation per station"),
                                                                   snapshot.utilisation, snapshot.target,
                                                                   TStatisticsPdf::Paper()));
    sections[1].table = snapshot.program_table;
    sections[2].table = snapshot.message_table;
    sections[3].table = snapshot.lost_table;
    const QStringList summary{
        QStringLiteral("Stations: %1").arg(snapshot.station_table.Row_Count()),
        QStringLiteral("Executions: %1").arg(snapshot.executions),
        QStringLiteral("Executing: %1 h of %2 h scheduled")
            .arg(QString::number(snapshot.executing_seconds / 3600.0, 'f', 1),
                 QString::number(snapshot.scheduled_seconds / 3600.0, 'f', 1)),
        QStringLiteral("Availability: %1")
            .arg(TStatistics::Percent(TStatistics::Availability(
                snapshot.executing_seconds, snapshot.scheduled_seconds, snapshot.planned_stop_seconds))),
        QStringLiteral("Controller messages: %1").arg(snapshot.messages),
        QStringLiteral("Each station's days and shifts are its own, in its own time zone; its utilisation is "
                       "measured against its own shift calendar.")};
    Save(period, [&](QIODevice *file) { return TStatisticsPdf::Write(file, title, summary, &sections); });
}

void TScheduledSummaries::Save(const TSummarySchedule::TPeriod &period,
                               const std::function<bool(QIODevice *)> &write)
{
    const QString file_name = File_Name(period);
    QDir().mkpath(d_schedule.folder);
    QSaveFile file(file_name);
    if (!file.open(QIODevice::WriteOnly) || !write(&file) || !file.commit())
    {
        Fail(file_name + QStringLiteral(": ") + file.errorString());
        return;
    }
    d_failing = false;
    d_schedule.Written(period, d_settings);
    emit Message(QStringLiteral("INF:  Summary written: ") + QDir::toNativeSeparators(file_name));
    emit Written(file_name);
}
