#include "src/quorvex.h"

#include "src/activeprogramwidget.h"
#include "src/alerts/stationalerts.h"
#include "src/central/central.h"
#include "src/pendingstatus.h"
#include "src/recorder/recorder.h"
#include "src/windowpages.h"

#include <QSettings>

// The station in a room: forwarding to a central database when one is set,
// and the alerts this station judges on its own recording.
void TQuorvex::Connect_Central(const QString &folder)
{
    d_central = new TCentral(d_settings, folder + QStringLiteral("/database.db"), d_recorder, d_clock, d_status_bar,
                             this);
    d_central->Set_Shift_Calendar(d_calendar);
    TAlertSettings alerts;
    alerts.Read(d_settings);
    d_alerts = new TStationAlerts(alerts, d_calendar, d_recorder, d_clock, d_central->Settings().Station_Name(), this);
    TActiveProgramWidget *panel = d_pages->Active();
    connect(d_central, &TCentral::Message, panel, &TActiveProgramWidget::Add_Message);
    connect(d_alerts, &TStationAlerts::Message, panel, &TActiveProgramWidget::Add_Message);
    connect(d_alerts, &TStationAlerts::Alert, d_central, &TCentral::Record_Alert);
    connect(d_recorder, &TRecorder::Journal_Changed, d_central, &TCentral::Wake);
    connect(d_pending, &TPendingStatus::Entries_Written, d_central, &TCentral::Wake);
}
