#ifndef QUORVEX_CLOCK_H
#define QUORVEX_CLOCK_H

#include <QDateTime>
#include <QElapsedTimer>

// Where the station's parts take their time from: a steady count of
// milliseconds for the periods they measure and the wall-clock time of what
// they store. A test gives them a clock it advances itself.
class TClock
{
public:
    TClock();
    virtual ~TClock();
    TClock(const TClock &) = delete;
    TClock &operator=(const TClock &) = delete;

    // Milliseconds since some fixed moment; never goes back.
    virtual qint64 Msecs() const;
    virtual QDateTime Now() const;

private:
    QElapsedTimer d_timer;
};

#endif
