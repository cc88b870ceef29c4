#ifndef QUORVEX_UNPRIVILEGED_H
#define QUORVEX_UNPRIVILEGED_H

// Permissions do not bind the superuser: tests of read-only files and folders
// run as nobody. On Windows a folder's read-only attribute binds no one, so
// there those tests say so and skip (see Folder_Permissions_Bind).
class TUnprivileged
{
public:
    // Drops the superuser's rights for the rest of the process; false if that failed.
    static bool Drop();
    static bool Folder_Permissions_Bind();
};

#endif
