#include "src/common/localzone.h"

#include <QFileInfo>
#include <QtGlobal>

#include <ctime>

void TLocalZone::Keep_Zone_Read()
{
#if defined(Q_OS_LINUX)
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QStringLiteral("/etc/localtime")))
        return;
    qputenv("TZ", ":/etc/localtime");
    tzset();
#endif
}
