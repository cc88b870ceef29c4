#ifndef QUORVEX_UNPRIVILEGED_H
#define QUORVEX_UNPRIVILEGED_H

#include <QString>

// Permissions do not bind the superuser: tests of read-only files and folders
// run as nobody. On Windows a folder's read-only attribute binds no one, so
// there those tests say so and skip (see Folder_Permissions_Bind).
class TUnprivileged
{
public:
    // Drops the superuser's rights for the rest of the process; false if that failed.
    static bool Drop();
    static bool Folder_Permissions_Bind();
    // Whether FILE, just made read-only, refuses to be written: under Wine run
    // by the superuser the attribute is a Unix permission, which binds no one.
    static bool Read_Only_Binds(const QString &file);
};

#endif
