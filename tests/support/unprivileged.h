#ifndef QUORVEX_UNPRIVILEGED_H
#define QUORVEX_UNPRIVILEGED_H

#include <QString>
#include <QStringList>

class QProcess;

// Permissions do not bind the superuser: tests of read-only files and folders
// run as nobody. On Windows a folder's read-only attribute binds no one, so
// there those tests say so and skip (see Folder_Permissions_Bind).
class TUnprivileged
{
public:
    // Takes the superuser's rights away for the rest of the process (real and
    // effective ids both, as file checks use either), keeping them only as the
    // saved id so that Start can lend them back; false if that failed.
    static bool Drop();
    // Starts PROGRAM with the superuser's rights back for the moment of the
    // start: nobody may not reach a program inside a folder only its owner may
    // enter (a checkout in root's home). The program drops them itself. False
    // if the rights could not be dropped again afterwards.
    static bool Start(QProcess *process, const QString &program, const QStringList &arguments);
    // Takes the superuser's rights back at the end of a test program: the leak
    // checker that runs at exit traces the process, which an id kept aside forbids.
    static void Restore();
    static bool Folder_Permissions_Bind();
    // Whether FILE, just made read-only, refuses to be written: under Wine run
    // by the superuser the attribute is a Unix permission, which binds no one.
    static bool Read_Only_Binds(const QString &file);
};

#endif
