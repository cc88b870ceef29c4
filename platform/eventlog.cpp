#include "winbase.h"
#include "wstring.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QStringList>

namespace
{
// One source registered: events are written under its name.
struct TEventSource
{
    QString name;
};

QString Folder()
{
    return QDir::homePath() + QStringLiteral("/.eventlog");
}

QString Type_Name(WORD type)
{
    switch (type)
    {
    case EVENTLOG_ERROR_TYPE:
        return QStringLiteral("Error");
    case EVENTLOG_WARNING_TYPE:
        return QStringLiteral("Warning");
    default:
        return QStringLiteral("Information");
    }
}

QMutex &Write_Lock()
{
    static QMutex lock;
    return lock;
}
} // namespace

extern "C" HANDLE WINAPI RegisterEventSourceW(LPCWSTR lpUNCServerName, LPCWSTR lpSourceName)
{
    if ((lpUNCServerName && lpUNCServerName[0]) || !lpSourceName || !lpSourceName[0])
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return new TEventSource{TWString::To_QString(lpSourceName)};
}

extern "C" BOOL WINAPI ReportEventW(HANDLE hEventLog, WORD wType, WORD, DWORD dwEventID, PSID,
                                    WORD wNumStrings, DWORD, LPCWSTR *lpStrings, LPVOID)
{
    if (!hEventLog || (wNumStrings && !lpStrings))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    QStringList strings;
    for (WORD i = 0; i < wNumStrings; ++i)
        strings << TWString::To_QString(lpStrings[i]);
    // One event a line, whatever its strings hold.
    const QString line =
        QStringLiteral("%1 %2 %3 %4: %5\n")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODate),
                 static_cast<TEventSource *>(hEventLog)->name, Type_Name(wType))
            .arg(dwEventID & 0xffff)
            .arg(strings.join(QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    const QMutexLocker locker(&Write_Lock());
    QFile file(Folder() + QStringLiteral("/Application.log"));
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!QDir().mkpath(Folder()) || !QFile::setPermissions(Folder(), owner | QFileDevice::ExeOwner) ||
        !file.open(QIODevice::Append) || !file.setPermissions(owner) || file.write(line.toUtf8()) < 0)
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return 1;
}

extern "C" BOOL WINAPI DeregisterEventSource(HANDLE hEventLog)
{
    if (!hEventLog)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    delete static_cast<TEventSource *>(hEventLog);
    return 1;
}
