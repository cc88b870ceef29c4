#include "tests/support/unprivileged.h"

#include <QFile>
#include <QProcess>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace
{
#ifndef _WIN32
const uid_t NOBODY = 65534;
// Rights were dropped by this process and are still held as its saved id.
bool Dropped_With_Saved()
{
    uid_t real = 0, effective = 0, saved = 0;
    return getresuid(&real, &effective, &saved) == 0 && saved == 0 && effective != 0;
}

bool Become(uid_t user, gid_t group, uid_t saved_user, gid_t saved_group)
{
    // The group first: once the user is not the superuser it may not be changed.
    if (user == 0)
        return setresuid(user, user, saved_user) == 0 && setresgid(group, group, saved_group) == 0;
    return setresgid(group, group, saved_group) == 0 && setresuid(user, user, saved_user) == 0;
}
#endif
} // namespace

bool TUnprivileged::Drop()
{
#ifdef _WIN32
    return true;
#else
    return geteuid() != 0 || Become(NOBODY, NOBODY, 0, 0);
#endif
}

bool TUnprivileged::Start(QProcess *process, const QString &program, const QStringList &arguments)
{
#ifndef _WIN32
    if (Dropped_With_Saved() && Become(0, 0, 0, 0))
    {
        // The child is made here, with the rights it needs to be reached.
        process->start(program, arguments);
        return Become(NOBODY, NOBODY, 0, 0);
    }
#endif
    process->start(program, arguments);
    return true;
}

void TUnprivileged::Restore()
{
#ifndef _WIN32
    if (Dropped_With_Saved())
        Become(0, 0, 0, 0);
#endif
}

bool TUnprivileged::Folder_Permissions_Bind()
{
#ifdef _WIN32
    return false;
#else
    return true;
#endif
}

bool TUnprivileged::Read_Only_Binds(const QString &file)
{
    QFile probe(file);
    return !probe.open(QIODevice::WriteOnly | QIODevice::Append);
}
