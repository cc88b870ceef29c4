#include "src/fleet/fleetsilence.h"

#include "src/fleet/centralalerts.h"

bool TFleetSilence::Judge(QSqlDatabase db, const TAlertSettings &settings, bool store,
                          TFleetSnapshot *snapshot, const TSay &tell, QString *error)
{
    const int silent_minutes = settings.silent_minutes;
    TCentralAlerts alerts(db);
    const QString detail = QStringLiteral("no word from the station for more than %1 minutes during a shift")
                               .arg(silent_minutes);
    for (TFleetSnapshot::TStation &station : snapshot->stations)
    {
        if (!settings.group.isEmpty() && station.group != settings.group)
            continue;
        const auto say = [&](const TAlertEvent &event)
        {
            snapshot->alert_lines << station.name + QStringLiteral(": ") + event.Panel_Line();
            tell(event, station.name);
        };
        bool first = false;
        const TShiftCalendar::TInterval silence =
            TAlertJudge::Silence(station.calendar, silent_minutes, station.Local(station.heartbeat),
                                 station.Local(snapshot->read_at));
        if (silence.start.isValid() && !store)
        {
            if (!silence.end.isValid())
                station.state = TStationActivity::SILENT;
            continue;
        }
        if (silence.start.isValid())
        {
            TAlertEvent event{TAlertJudge::SILENT, detail, silence.start, QDateTime()};
            if (!alerts.Start(station.id, event, &first))
                break;
            if (first)
            {
                say(event);
                if (!silence.end.isValid())
                    station.open_alerts << detail;
            }
            if (silence.end.isValid())
            {
                event.ended = silence.end;
                if (!alerts.End(station.id, event, &first))
                    break;
                if (first)
                {
                    say(event);
                    station.open_alerts.removeAll(detail);
                }
            }
            else
                station.state = TStationActivity::SILENT;
        }
        if (!store)
            continue;
        // Heard again: a silence still open ends with the heartbeat that ended it. Asked only of
        // stations with one: a round trip for each of hundreds of stations would cost the read seconds.
        QVector<TAlertEvent> ended;
        if ((station.open_silence || first) &&
            !alerts.End_Open(station.id, station.Local(station.heartbeat), &ended))
            break;
        for (const TAlertEvent &event : ended)
        {
            say(event);
            station.open_alerts.removeAll(event.detail);
        }
    }
    *error = alerts.Last_Error();
    return error->isEmpty();
}
