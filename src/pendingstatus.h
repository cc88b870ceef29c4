#ifndef QUORVEX_PENDINGSTATUS_H
#define QUORVEX_PENDINGSTATUS_H

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;
class QTimer;
class TDatabase;
class TPendingJournal;

// What the pending journal holds and did, shown: the count of entries still
// waiting in the status bar, what was written or set aside, and the retry
// every three seconds while anything waits.
class TPendingStatus : public QObject
{
    Q_OBJECT

public:
    TPendingStatus(TDatabase *database, TPendingJournal *journal, QStatusBar *status_bar);

    // Writes what waits, then shows.
    void Retry();
    // What the journal and the database did since the last look.
    void Show();
    void Stop();

signals:
    void Message(const QString &text);
    // Entries waiting were written: the lists are behind.
    void Entries_Written();

private:
    TDatabase *d_database;
    TPendingJournal *d_journal;
    QLabel *d_label;
    QTimer *d_timer;
};

#endif
