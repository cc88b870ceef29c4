#include "tests/support/unprivileged.h"

#include <QFile>

#ifndef _WIN32
#include <unistd.h>
#endif

bool TUnprivileged::Drop()
{
#ifdef _WIN32
    return true;
#else
    const uid_t nobody = 65534;
    return geteuid() != 0 || (setgid(nobody) == 0 && setuid(nobody) == 0);
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
