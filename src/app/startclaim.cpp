#include "src/app/startclaim.h"

#include "src/app/messagebox.h"
#include "src/app/quorvex.h"
#include "src/instance/eventlog.h"
#include "src/instance/singleinstance.h"

#include <QDir>

const char *const TStartClaim::AT_LOGON = "--at-logon";

QString TStartClaim::Refusal(const QString &folder)
{
    return QStringLiteral(
               "Quorvex did not start: its data folder %1 is in use by another Quorvex that does "
               "not answer (another user's or another session's on the same folder, or one that "
               "hangs). Nothing is monitored by this start. Each user needs a data folder of their "
               "own (QUORVEX_HOME names it).")
        .arg(QDir::toNativeSeparators(folder));
}

bool TStartClaim::Claim(TSingleInstance *instance, bool at_logon, int *exit_code)
{
    switch (instance->Claim())
    {
    case TSingleInstance::TClaim::OURS:
        return true;
    case TSingleInstance::TClaim::FORWARDED:
        *exit_code = 0;
        return false;
    case TSingleInstance::TClaim::HELD:
        break;
    }
    const QString refusal = Refusal(instance->Folder());
    if (at_logon)
        TEventLog::Write_Error(refusal);
    TMessageBox box;
    box.setWindowTitle(QStringLiteral("Quorvex"));
    box.setIcon(QMessageBox::Critical);
    // The folder is the environment's: text, never markup.
    box.Set_Text(refusal.toHtmlEscaped());
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    *exit_code = 1;
    return false;
}

void TStartClaim::Tell_Listen_Error(const TSingleInstance &instance, TQuorvex *window)
{
    if (!instance.Listen_Error().isEmpty())
        window->Add_Message(
            QStringLiteral("WAR:  Later starts cannot call this window forward (%1); they say so "
                           "and end.")
                .arg(instance.Listen_Error()));
}
