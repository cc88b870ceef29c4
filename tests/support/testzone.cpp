#include "tests/support/testzone.h"

#include <QByteArray>

#include <ctime>

void TTestZone::Use(const char *zone)
{
#ifdef _WIN32
    Q_UNUSED(zone);
    qunsetenv("TZ");
    _tzset();
#else
    qputenv("TZ", QByteArray(zone));
    tzset();
#endif
}
