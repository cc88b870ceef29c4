#ifndef QUORVEX_SCHEDULEDSUMMARIES_H
#define QUORVEX_SCHEDULEDSUMMARIES_H

#include "src/central/centralsettings.h"
#include "src/database/databaseitem.h"
#include "src/summaries/summaryschedule.h"

#include <QObject>

class TBackgroundJob;
class TConnectionSocket;

#include <memory>
#include <vector>

class QSettings;
class QTimer;
class TClock;
class TDatabase;
class TShiftCalendar;

// Writes the daily and weekly statistics PDFs when they are due (checked at
// the start and every minute): this station's from its own file, or the
// fleet's from the central database, read on a thread of its own. A period
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
    void Write(const TSummarySchedule::TPeriod &period, const std::vector<TDatabaseItem> &items);
    void Read_Fleet(const TSummarySchedule::TPeriod &period);
    void Fail(const QString &reason);

    QSettings *d_settings;
    TDatabase *d_database;
    const TShiftCalendar *d_calendar;
    TCentralSettings d_central;
    const TClock *d_clock;
    TSummarySchedule d_schedule;
    QTimer *d_timer;
    // Reads the fleet's executions; a station's summary is written at once.
    TBackgroundJob *d_reader;
    // The socket of the latest job's connection, shut if that job is left behind.
    std::shared_ptr<TConnectionSocket> d_socket;
    bool d_failing;
};

#endif
