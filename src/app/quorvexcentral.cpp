#include "src/app/quorvex.h"

#include "src/monitor/ui/activeprogramwidget.h"
#include "src/alerts/stationalerts.h"
#include "src/central/central.h"
#include "src/fleet/ui/fleetpage.h"
#include "src/pending/pendingstatus.h"
#include "src/summaries/scheduledsummaries.h"
#include "src/recorder/recorder.h"
#include "src/app/statuslabel.h"
#include "src/app/windowpages.h"

#include <QSettings>
#include <QTimer>

// The station in a room: forwarding to a central database when one is set,
// and the alerts this station judges on its own recording.
void TQuorvex::Connect_Central(const QString &folder)
{
    d_central = new TCentral(d_settings, folder + QStringLiteral("/database.db"), d_recorder, d_clock, this);
    if (d_central->Is_Set())
        connect(d_central, &TCentral::Waiting_Changed,
                new TStatusLabel(QStringLiteral("central_waiting"), d_status_bar), &TStatusLabel::Show_Text);
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
    // Summaries due while the program was not running are written once it runs.
    TScheduledSummaries *summaries =
        new TScheduledSummaries(d_settings, d_database, &d_calendar, d_central->Settings(), d_clock, this);
    connect(summaries, &TScheduledSummaries::Message, panel, &TActiveProgramWidget::Add_Message);
    QTimer::singleShot(0, summaries, &TScheduledSummaries::Check);
    if (!d_central->Is_Set())
        return;
    TFleetPage *fleet = new TFleetPage(d_central->Settings(), alerts, d_pages);
    fleet->setObjectName(QStringLiteral("fleet_page"));
    d_pages->Add_Page(fleet, QStringLiteral("Fleet"));
    connect(fleet, &TFleetPage::Message, panel, &TActiveProgramWidget::Add_Message);
}
