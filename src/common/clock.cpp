#include "src/common/clock.h"

TClock::TClock()
{
    d_timer.start();
}

TClock::~TClock() = default;

qint64 TClock::Msecs() const
{
    return d_timer.elapsed();
}

QDateTime TClock::Now() const
{
    return QDateTime::currentDateTime();
}
