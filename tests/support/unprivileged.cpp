#include "tests/support/unprivileged.h"

#include <QFile>
#include <QProcess>

#ifndef _WIN32
#include <grp.h>
#include <unistd.h>

#include <vector>
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

// The superuser's supplementary groups, kept aside while they are dropped.
std::vector<gid_t> &Root_Groups()
{
    static std::vector<gid_t> groups;
    return groups;
}

bool Keep_Root_Groups()
{
    const int count = getgroups(0, nullptr);
    if (count < 0)
        return false;
    Root_Groups().assign(size_t(count), 0);
    return getgroups(count, Root_Groups().data()) == count;
}

bool Become(uid_t user, gid_t group, uid_t saved_user, gid_t saved_group)
{
    // The groups first: once the user is not the superuser they may not be changed.
    // Its supplementary groups go too, else nobody would keep them.
    if (user == 0)
        return setresuid(user, user, saved_user) == 0 && setresgid(group, group, saved_group) == 0 &&
               setgroups(Root_Groups().size(), Root_Groups().data()) == 0;
    return setgroups(0, nullptr) == 0 && setresgid(group, group, saved_group) == 0 &&
           setresuid(user, user, saved_user) == 0;
}
#endif
} // namespace

bool TUnprivileged::Drop()
{
#ifdef _WIN32
    return true;
#else
    return geteuid() != 0 || (Keep_Root_Groups() && Become(NOBODY, NOBODY, 0, 0));
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
