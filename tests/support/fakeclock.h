#ifndef QUORVEX_FAKECLOCK_H
#define QUORVEX_FAKECLOCK_H

#include "src/common/clock.h"

// A clock that stands still until the test moves it on.
class TFakeClock : public TClock
{
public:
    qint64 Msecs() const override { return d_msecs; }
    QDateTime Now() const override { return d_start.addMSecs(d_msecs); }
    void Advance(qint64 msecs) { d_msecs += msecs; }
    // The wall clock jumps to AT; the steady count goes on from where it was.
    void Set_Now(const QDateTime &at) { d_start = at.addMSecs(-d_msecs); }
    // A local moment as the tests write it: "yyyy-MM-dd HH:mm".
    static QDateTime At(const QString &text)
    {
        return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm"));
    }

private:
    qint64 d_msecs = 1000;
    QDateTime d_start = QDateTime(QDate(2026, 12, 7), QTime(6, 0));
};

#endif
