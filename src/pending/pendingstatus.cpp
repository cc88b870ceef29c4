#include "src/pending/pendingstatus.h"

#include "src/database/database.h"
#include "src/pending/pendingjournal.h"

#include <QTimer>

namespace
{
const int RETRY_MSEC = 3000;
} // namespace

TPendingStatus::TPendingStatus(TDatabase *database, TPendingJournal *journal, QObject *parent)
    : QObject(parent), d_database(database), d_journal(journal), d_timer(new QTimer(this))
{
    d_timer->setInterval(RETRY_MSEC);
    connect(d_timer, &QTimer::timeout, this, &TPendingStatus::Retry);
}

void TPendingStatus::Retry()
{
    d_journal->Write_Pending();
    Show();
}

// Entries are written also on their own, before a new entry or period.
void TPendingStatus::Show()
{
    for (const QString &notice : d_database->Take_Notices())
        emit Message(notice);
    const int written = d_journal->Take_Written();
    if (written > 0)
    {
        emit Entries_Written();
        emit Message(written == 1
                         ? QStringLiteral("INF:  1 pending database entry written.")
                         : QStringLiteral("INF:  %1 pending database entries written.").arg(written));
    }
    for (const QString &file : d_journal->Take_Unreadable())
        emit Message(QStringLiteral("ERR:  Pending entry unreadable, set aside: %1").arg(file));
    const int count = d_journal->Pending_Entries();
    emit Waiting_Changed(count == 0   ? QString()
                         : count == 1 ? QStringLiteral("WAR:  1 database entry pending")
                                      : QStringLiteral("WAR:  %1 database entries pending").arg(count));
    if (d_journal->Is_Empty())
        d_timer->stop();
    else if (!d_timer->isActive())
        d_timer->start();
}

void TPendingStatus::Stop()
{
    d_timer->stop();
}
