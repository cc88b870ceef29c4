#include "src/fleet/fleetreader.h"

#include "src/centraldb/connectionsocket.h"
#include "src/fleet/fleetfigures.h"
#include "src/fleet/fleetsilence.h"
#include "src/fleet/fleetstations.h"

#include <QSqlQuery>
#include <QUuid>

void TFleetReader::Set_Now(const QDateTime &now)
{
    d_now = now;
}

double TFleetSnapshot::TStation::Utilisation() const
{
    return scheduled_seconds_today > 0 ? double(executing_seconds_today) / scheduled_seconds_today : -1;
}

TFleetReader::TFleetReader(const TCentralSettings &settings, const TAlertSettings &alerts)
    : d_settings(settings), d_alerts(alerts),
      d_connection_name(QStringLiteral("fleet-") + QUuid::createUuid().toString()),
      d_socket(std::make_shared<TConnectionSocket>()), d_open(false), d_broken(false), d_watches(false)
{
    qRegisterMetaType<std::shared_ptr<const TFleetSnapshot>>();
    qRegisterMetaType<TAlertEvent>();
}

TFleetReader::~TFleetReader() = default;

void TFleetReader::Close()
{
    if (!d_open)
        return;
    d_socket->Forget();
    QSqlDatabase::database(d_connection_name, false).close();
    QSqlDatabase::removeDatabase(d_connection_name);
    d_open = false;
}

void TFleetReader::Stop()
{
    Close();
}

void TFleetReader::Fail(const QString &reason)
{
    // Dropped once the read is over and no query holds it: the next read connects afresh.
    d_broken = true;
    emit Failed(reason);
}

void TFleetReader::Read(const QStringList &chosen, const QString &group, int days)
{
    Read_Snapshot(chosen, group, days);
    if (d_broken)
        Close();
    d_broken = false;
}

void TFleetReader::Read_Snapshot(const QStringList &chosen, const QString &group, int days)
{
    QString error;
    if (!d_open && !d_settings.Open_Connection(d_connection_name, &error))
    {
        emit Failed(error);
        return;
    }
    if (!d_open)
    {
        QSqlDatabase db = QSqlDatabase::database(d_connection_name, false);
        d_socket->Note(db);
        // A company's days of programs are sorted and summed in memory, not on the server's disk
        // (this session's own limit; a server that refuses it reads as before).
        QSqlQuery(db).exec(QStringLiteral("SET work_mem = '64MB'"));
        // Tables without the functions, or a login without the right: silence is shown, not stored.
        QSqlQuery may(db);
        d_watches =
            may.exec(QStringLiteral("SELECT has_function_privilege("
                                    "'quorvex_silence_start(text,text,text,timestamp)', 'EXECUTE')")) &&
            may.next() && may.value(0).toBool();
    }
    d_open = true;
    auto snapshot = std::make_shared<TFleetSnapshot>();
    snapshot->group = group;
    snapshot->days = qMax(days, 1);
    QSqlDatabase db = QSqlDatabase::database(d_connection_name, false);
    snapshot->read_at = d_now.isValid() ? d_now : TFleetStations::Now(db, &error);
    if (!snapshot->read_at.isValid() || !TFleetStations::Read(db, snapshot.get(), &error))
    {
        Fail(d_settings.Describe() + QStringLiteral(": ") + error);
        return;
    }
    for (auto &station : snapshot->stations)
        station.chosen = station.in_group && (chosen.isEmpty() || chosen.contains(station.id));
    const TFleetSilence::TSay tell = [this](const TAlertEvent &event, const QString &station)
    { emit Alert(event, station); };
    TFleetFigures figures(db, snapshot.get());
    if (!TFleetSilence::Judge(db, d_alerts, d_watches, snapshot.get(), tell, &error) || !figures.Read())
    {
        Fail(d_settings.Describe() + QStringLiteral(": ") + (error.isEmpty() ? figures.Last_Error() : error));
        return;
    }
    emit Ready(snapshot);
}
