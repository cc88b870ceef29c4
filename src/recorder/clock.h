#ifndef QUORVEX_CLOCK_H
#define QUORVEX_CLOCK_H

#include <QDateTime>
#include <QElapsedTimer>

// Where the recorder takes its time from: a steady count of milliseconds for
// the periods it measures and the wall-clock time at which a program opened.
// A test gives it a clock it advances itself.
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
