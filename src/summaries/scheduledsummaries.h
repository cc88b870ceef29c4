#ifndef QUORVEX_SCHEDULEDSUMMARIES_H
#define QUORVEX_SCHEDULEDSUMMARIES_H

#include "src/centraldb/centralsettings.h"
#include "src/database/execution.h"
#include "src/fleet/fleetsnapshot.h"
#include "src/summaries/summaryschedule.h"

#include <QObject>

class TBackgroundJob;
class TConnectionSocket;

#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class QSettings;
class QTimer;
class TClock;
class TDatabase;
class TShiftCalendar;

// Writes the daily and weekly statistics PDFs when they are due (checked at
// the start and every minute): this station's from its own file, or the
// fleet's (or one group's) from the figures the central database keeps, read
// on a thread of its own, each station's days and shifts its own. A period
// is noted as written only once its file is; one that cannot be written is
// said once and tried again at the next check. Lives on the GUI thread, which
// the PDF's charts need.
class TScheduledSummaries : public QObject
{
    Q_OBJECT

public:
    TScheduledSummaries(QSettings *settings, TDatabase *database, const TShiftCalendar *calendar,
                        const TCentralSettings &central, const TClock *clock, QObject *parent = nullptr);
    ~TScheduledSummaries() override;

    void Check();
    QString File_Name(const TSummarySchedule::TPeriod &period) const;

signals:
    void Message(const QString &text);
    void Written(const QString &file_name);

private:
    void Write(const TSummarySchedule::TPeriod &period, const std::vector<TExecution> &items);
    // The fleet's figures over the period, each station's days its own.
    void Write_Fleet(const TSummarySchedule::TPeriod &period, const TFleetSnapshot &snapshot);
    // Writes the period's file with WRITE and notes it written.
    void Save(const TSummarySchedule::TPeriod &period, const std::function<bool(QIODevice *)> &write);
    void Read_Fleet(const TSummarySchedule::TPeriod &period);
    void Fail(const QString &reason);

    QSettings *d_settings;
    TDatabase *d_database;
    const TShiftCalendar *d_calendar;
    TCentralSettings d_central;
    const TClock *d_clock;
    TSummarySchedule d_schedule;
    QTimer *d_timer;
    // Reads the fleet's figures; a station's summary is written at once.
    TBackgroundJob *d_reader;
    // The socket of the latest job's connection, shut if that job is left behind.
    std::shared_ptr<TConnectionSocket> d_socket;
    bool d_failing;
};

#endif
