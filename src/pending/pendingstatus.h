#ifndef QUORVEX_PENDINGSTATUS_H
#define QUORVEX_PENDINGSTATUS_H

#include <QObject>
#include <QString>

class QTimer;
class TDatabase;
class TPendingJournal;

// What the pending journal holds and did, for the window to show: the count of
// entries still waiting, what was written or set aside; and the retry every
// three seconds while anything waits.
class TPendingStatus : public QObject
{
    Q_OBJECT

public:
    TPendingStatus(TDatabase *database, TPendingJournal *journal, QObject *parent = nullptr);

    // Writes what waits, then shows.
    void Retry();
    // What the journal and the database did since the last look.
    void Show();
    void Stop();

signals:
    void Message(const QString &text);
    // Entries waiting were written: the lists are behind.
    void Entries_Written();
    // The entries waiting, as the status bar says it; empty when none does.
    void Waiting_Changed(const QString &text);

private:
    TDatabase *d_database;
    TPendingJournal *d_journal;
    QTimer *d_timer;
};

#endif
