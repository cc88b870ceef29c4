#include "src/database/stopstore.h"

#include "src/database/database.h"
#include "src/database/stoptable.h"

#include <functional>

namespace
{
bool On_Table(TDatabase *database, bool write, const std::function<bool(TStopTable *)> &work)
{
    return database->Work(write, QStringLiteral("stops"),
                          [&](QSqlDatabase db, QString *error)
                          {
                              TStopTable table(db);
                              const bool done = work(&table);
                              *error = table.Last_Error();
                              return done;
                          });
}
} // namespace

bool TStopStore::Put(const TStopRecord &stop)
{
    return On_Table(d_database, true, [&](TStopTable *table) { return table->Put(stop); });
}

bool TStopStore::Touch(const QDateTime &started, const QDateTime &at)
{
    return On_Table(d_database, true, [&](TStopTable *table) { return table->Touch(started, at); });
}

bool TStopStore::Close_Left_Open()
{
    return On_Table(d_database, true, [&](TStopTable *table) { return table->Close_Left_Open(); });
}

bool TStopStore::Latest_End(QDateTime *end)
{
    return On_Table(d_database, false, [&](TStopTable *table) { return table->Latest_End(end); });
}

bool TStopStore::Overlapping(const QDateTime &from, const QDateTime &to, std::vector<TStopRecord> *stops)
{
    return On_Table(d_database, false,
                    [&](TStopTable *table) { return table->Overlapping(from, to, stops); });
}

bool TStopStore::Find(const QDateTime &started, TStopRecord *stop)
{
    return On_Table(d_database, false, [&](TStopTable *table) { return table->Find(started, stop); });
}

QString TStopStore::Last_Error() const
{
    return d_database->Last_Error();
}
