#ifndef QUORVEX_STOPSTORE_H
#define QUORVEX_STOPSTORE_H

#include "src/database/stoprecord.h"

#include <QDateTime>
#include <QString>

#include <vector>

class TDatabase;

// The station's stops, read and written through the database object: its
// lock, its connection for the calling thread, and a transaction for each
// write. Usable from any thread the database may be used from.
class TStopStore
{
public:
    explicit TStopStore(TDatabase *database) : d_database(database) {}

    bool Put(const TStopRecord &stop);
    bool Touch(const QDateTime &started, const QDateTime &at);
    bool Close_Left_Open();
    bool Latest_End(QDateTime *end);
    bool Overlapping(const QDateTime &from, const QDateTime &to, std::vector<TStopRecord> *stops);
    bool Find(const QDateTime &started, TStopRecord *stop);
    QString Last_Error() const;

private:
    TDatabase *d_database;
};

#endif
