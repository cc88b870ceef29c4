#include "src/quorvex.h"

#include "src/activeprogramwidget.h"
#include "src/backgroundlist.h"
#include "src/database/database.h"
#include "src/database/pendingjournal.h"
#include "src/datawidget.h"

#include <QLabel>
#include <QTimer>

// What the pending journal holds and did, and the lists that show what is stored.

void TQuorvex::Write_Pending()
{
    d_journal->Write_Pending();
    Show_Pending();
}

// What the journal did since the last look: entries it wrote (also on its own,
// before a new entry or period), files it set aside, and what still waits.
void TQuorvex::Show_Pending()
{
    for (const QString &notice : d_database->Take_Notices())
        d_active_program->Add_Message(notice);
    const int written = d_journal->Take_Written();
    if (written > 0)
    {
        Refresh_Lists();
        d_active_program->Add_Message(
            written == 1 ? QStringLiteral("INF:  1 pending database entry written.")
                         : QStringLiteral("INF:  %1 pending database entries written.").arg(written));
    }
    for (const QString &file : d_journal->Take_Unreadable())
        d_active_program->Add_Message(
            QStringLiteral("ERR:  Pending entry unreadable, set aside: %1").arg(file));
    const int count = d_journal->Pending_Entries();
    d_pending_label->setText(count == 1 ? QStringLiteral("WAR:  1 database entry pending")
                                        : QStringLiteral("WAR:  %1 database entries pending").arg(count));
    d_pending_label->setVisible(count > 0);
    if (d_journal->Is_Empty())
        d_pending_timer->stop();
    else if (!d_pending_timer->isActive())
        d_pending_timer->start();
}

void TQuorvex::Refresh_Lists()
{
    // The lists keep what the user selected, and the report of it takes in
    // what was just stored, so that the exports refer to what is shown.
    d_date_list->Set_List(d_database->Dates());
    if (d_selected_dates.isEmpty())
    {
        d_program_names->Drop();
        d_program_list->setEnabled(true);
        d_program_list->Set_List(d_database->Program_Names(QStringList()));
    }
    else
        Read_Program_Names();
    if (!d_selected_programs.isEmpty())
        Update_Summary();
}
