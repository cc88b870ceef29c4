#ifndef QUORVEX_CENTRALSTATION_H
#define QUORVEX_CENTRALSTATION_H

#include "src/central/central.h"
#include "src/centraldb/centralsettings.h"
#include "src/database/database.h"
#include "src/pending/pendingjournal.h"
#include "src/recorder/recorder.h"
#include "tests/support/fakeclock.h"

#include <QSettings>
#include <QStringList>

#include <memory>

// One station as the window makes it: its file, journal, recorder and the
// central link, in a folder of its own, forwarding every tenth of a second.
class TCentralStation
{
public:
    TCentralStation(const QString &folder, const TCentralSettings &settings);
    ~TCentralStation();

    QString File() const { return d_folder + QStringLiteral("/database.db"); }
    QString Id() const { return d_central->Settings().Station_Id(); }
    void Store(const TExecution &item);
    // COUNT executions a minute apart from START, every second with a message.
    void Store(int count, const QDateTime &start);
    // How many lines the station said that start so.
    int Said(const QString &start) const;

    QString d_folder;
    TDatabase d_database;
    std::unique_ptr<TPendingJournal> d_journal;
    TFakeClock d_clock;
    std::unique_ptr<TRecorder> d_recorder;
    std::unique_ptr<QSettings> d_settings;
    std::unique_ptr<TCentral> d_central;
    QObject d_context;
    QStringList d_said;
    int d_waiting = -1;
    // What the status bar would say of it.
    QString d_waiting_text;
    int d_cycles = 0;
};

#endif
