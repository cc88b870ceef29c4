#ifndef QUORVEX_BENCH_COMPANYFLEET_H
#define QUORVEX_BENCH_COMPANYFLEET_H

#include <QString>

#include <atomic>

class TPostgresServer;

// A company's CMMs in one central database, made directly on the server:
// stations in groups and time zones, years of executions with messages and
// stops, and the figures the server keeps of them; then the Fleet page over
// everything, one group and one station, a station's catch-up while others
// forward, and the server's disk per million executions.
class TCompanyFleet
{
public:
    struct TShape
    {
        int stations = 500;
        int groups = 25;
        int zones = 10;
        qint64 executions = 10000000;
        int days = 1825;
        int catch_up = 1000000;
        int forwarding = 100;
    };

    TCompanyFleet(TPostgresServer *server, const QString &database, const TShape &shape);

    // False, with a line printed, when the rows cannot be made.
    bool Generate();
    void Measure_Page();
    void Measure_Catch_Up();
    void Measure_Disk();

private:
    bool Run(const QString &statement);
    void Forward_Live(int k, const std::atomic<bool> *stop, std::atomic<qint64> *written);

    TPostgresServer *d_server;
    QString d_database;
    TShape d_shape;
};

#endif
