#ifndef QUORVEX_STARTCLAIM_H
#define QUORVEX_STARTCLAIM_H

#include <QString>

class TQuorvex;
class TSingleInstance;

// What a start does with its claim on the data folder, the program's and the
// demo's alike: it runs, ends as the running one came forward, or ends saying
// why, never without a word.
class TStartClaim
{
public:
    // The argument of the start at logon (the installer's entry).
    static const char *const AT_LOGON;

    // Claims INSTANCE's folder. False when this start ends, with EXIT_CODE: 0
    // where the running one came forward, 1 where the folder is held by one
    // that does not answer, said in a message box and, where AT_LOGON (no one
    // may be at the screen), in the system's event log too.
    static bool Claim(TSingleInstance *instance, bool at_logon, int *exit_code);
    // Why a start on FOLDER ended, as the message box and the event log say it.
    static QString Refusal(const QString &folder);
    // Says in WINDOW's panel when later starts cannot call it forward.
    static void Tell_Listen_Error(const TSingleInstance &instance, TQuorvex *window);
};

#endif
