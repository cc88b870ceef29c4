#ifndef QUORVEX_DATABASE_H
#define QUORVEX_DATABASE_H

#include "src/database/connectionpool.h"
#include "src/database/execution.h"
#include "src/database/usagetotals.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <vector>

class QSqlError;
class QSqlQuery;
class QThread;

// The one object that owns the station's SQLite file of recorded executions,
// usage totals and stops. Opened and closed by the station on the GUI thread;
// the report, list and export workers read through the same object from
// threads of their own. Every operation
// holds one lock for its whole duration (but the long read of a whole
// selection, which only takes its connection under it), and a thread other
// than the one that opened the file works on a connection of its own.
class TDatabase
{
public:
    enum TEntryOrder
    {
        DATE_THEN_NAME,
        NAME_THEN_DATE
    };
    using TUsageTotal = TUsageTotals::TTotal;
    static constexpr TUsageTotal MONITOR_TIME = TUsageTotals::MONITOR_TIME;
    static constexpr TUsageTotal RUN_TIME = TUsageTotals::RUN_TIME;
    // How long a statement waits for another process's lock on the file.
    static const int BUSY_TIMEOUT_MSEC = 10000;

    // The program has one file and one name; a process with more (a test of
    // several stations) names each.
    explicit TDatabase(const QString &connection_name = QStringLiteral("quorvex_database"));
    ~TDatabase();
    TDatabase(const TDatabase &) = delete;
    TDatabase &operator=(const TDatabase &) = delete;

    bool Open(const QString &file_name);
    bool Is_Open() const;
    void Close();
    bool Create_Tables();

    int Software_Monitor_Time(bool *valid);
    int Software_Run_Time(bool *valid);
    bool Add_Software_Monitor_Time(int seconds);
    bool Add_Software_Run_Time(int seconds);
    // Adds to a total at most once per token, in one transaction with the
    // token's record: a period replayed after a crash between the commit and
    // the removal of its pending file is not counted twice.
    bool Add_Usage_Once(TUsageTotal total, int seconds, const QString &token);
    void Forget_Usage_Token(const QString &token);
    // WORK on this thread's connection under the lock; when WRITE, in one
    // transaction that takes the write lock first and is rolled back when WORK
    // fails. WORK's error text becomes Last_Error.
    bool Work(bool write, const QString &table, const std::function<bool(QSqlDatabase, QString *)> &work);
    // The lock wait of the opening thread's connection.
    void Set_Busy_Timeout(int msec);

    void Delete_All_Data();

    int Program_Id(const QString &name, const QString &date_text, const QString &time_text);
    int Program_Id(const QString &name, const QDateTime &date_time);
    bool Program_Exists(const QString &name, const QString &date_text, const QString &time_text);
    bool Program_Exists(const QString &name, const QDateTime &date_time);
    bool Add_Execution(const TExecution &item);

    QStringList Dates();
    QStringList Program_Names(const QStringList &dates);
    QStringList Program_Times(const QString &name, const QString &date_text);
    TExecution Execution(const QString &name, const QString &date_text, const QString &time_text,
                         bool *valid);
    std::vector<TExecution> Executions(const QString &name, const QString &date_text);
    // The executions of every name on every date, exactly as nested loops over the
    // two lists (dates outside for DATE_THEN_NAME) calling Executions(name,
    // date) would give them, but read in a few statements.
    std::vector<TExecution> Executions(const QStringList &names, const QStringList &dates, TEntryOrder order);

    QString Last_Error() const;
    // What opening the file or a write that succeeded had to mend on the way
    // (texts for the panel), once each; empty when nothing.
    QStringList Take_Notices();
    QString Database_File_Name() const;

    // A statement run forward-only, for the classes that work on a connection of this object's.
    static bool Execute(QSqlQuery *query, const QString &statement);
    static QString Write_Failure(const QString &table, const QSqlError &error);

private:
    bool Connection(QSqlDatabase *db) const;
    static bool Begin_Writing(QSqlDatabase db);
    QStringList First_Column(const QString &statement);
    int Usage_Total(TUsageTotal total, bool *valid);
    // WORK in one transaction under the lock; the notices it made are dropped with a rollback.
    bool In_Usage_Transaction(const std::function<bool(TUsageTotals *)> &work);
    void Read_Data(int program_id, TExecution *item, bool *found);
    void Read_Messages(int program_id, TExecution *item);

    QString d_connection_name;
    QString d_database_file_name;
    QSqlDatabase *d_database;
    QString d_last_error;
    QStringList d_notices;

    QThread *d_owner_thread;
    mutable TConnectionPool d_pool;
    mutable std::recursive_mutex d_mutex;
};

#endif
