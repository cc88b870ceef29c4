#include "src/summaries/scheduledsummaries.h"

#include "src/central/connectionsocket.h"
#include "src/common/backgroundjob.h"
#include "src/database/database.h"
#include "src/database/storedform.h"
#include "src/fleet/fleetstatistics.h"
#include "src/recorder/clock.h"
#include "src/statistics/statistics.h"
#include "src/statistics/ui/statisticspdf.h"

#include <QDir>
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
    const QString scope = d_schedule.scope == QLatin1String("fleet") ? QStringLiteral("fleet ") : QString();
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
        Write(period, d_database->Program_Entries(names, days, TDatabase::DATE_THEN_NAME));
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
    d_socket = std::make_shared<TConnectionSocket>();
    d_reader->Start(
        [this, central, period, socket = d_socket](const TBackgroundJob::TPost &) -> TBackgroundJob::TDelivery
        {
            const QString name = QStringLiteral("summaries-") + QUuid::createUuid().toString();
            std::map<QString, std::vector<TDatabaseItem>> items;
            QString error;
            bool read = central.Open_Connection(name, &error);
            if (read)
            {
                socket->Note(QSqlDatabase::database(name, false));
                read = TFleetStatistics::Read_Items(QSqlDatabase::database(name, false), {}, period.first,
                                                    period.last, &items, &error);
                socket->Forget();
                QSqlDatabase::database(name, false).close();
                QSqlDatabase::removeDatabase(name);
            }
            std::vector<TDatabaseItem> all;
            for (const auto &station : items)
                all.insert(all.end(), station.second.begin(), station.second.end());
            return [this, read, error, period, all]()
            {
                if (read)
                    Write(period, all);
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

void TScheduledSummaries::Write(const TSummarySchedule::TPeriod &period,
                                const std::vector<TDatabaseItem> &items)
{
    const QStringList days = TStoredForm::Date_Texts(period.first, period.last);
    const TStatistics statistics(items, days, days, *d_calendar);
    const QString file_name = File_Name(period);
    QDir().mkpath(d_schedule.folder);
    QSaveFile file(file_name);
    if (!file.open(QIODevice::WriteOnly) ||
        !TStatisticsPdf::Write(&file, statistics,
                               period.kind == TSummarySchedule::DAILY ? TStatistics::DAY
                                                                      : TStatistics::WEEK) ||
        !file.commit())
    {
        Fail(file_name + QStringLiteral(": ") + file.errorString());
        return;
    }
    d_failing = false;
    d_schedule.Written(period, d_settings);
    emit Message(QStringLiteral("INF:  Summary written: ") + QDir::toNativeSeparators(file_name));
    emit Written(file_name);
}
