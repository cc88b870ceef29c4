#include "src/app/quorvex.h"

#include "src/alerts/stationalerts.h"
#include "src/central/central.h"
#include "src/export/exporter.h"
#include "src/export/exportjob.h"
#include "src/shifts/ui/shiftdialog.h"
#include "src/statistics/ui/statisticspage.h"
#include "src/statistics/ui/statisticspdf.h"
#include "src/app/windowpages.h"

#include <QSettings>

// The statistics page's shift calendar and its exports.

void TQuorvex::Edit_Shift_Calendar()
{
    TShiftDialog dialog(d_calendar, this);
    dialog.setObjectName(QStringLiteral("shift_dialog"));
    if (dialog.exec() != QDialog::Accepted || dialog.Calendar() == d_calendar)
        return;
    d_calendar = dialog.Calendar();
    // Kept at once: a calendar is edited seldom and should not wait for the window to close.
    d_calendar.Write(d_settings);
    d_settings->sync();
    d_central->Set_Shift_Calendar(d_calendar);
    d_alerts->Set_Shift_Calendar(d_calendar);
    Update_Summary();
}

void TQuorvex::Export_Statistics_CSV()
{
    const TStatisticsTable table = d_pages->Statistics()->Current_Table();
    d_exporter->Start(QStringLiteral("Export %1 to CSV").arg(table.Title()),
                      QStringLiteral("Comma Separated File (*.csv)"),
                      [table](TExportJob *job) { job->Set_Bytes(table.Csv()); });
}

void TQuorvex::Export_Statistics_PDF()
{
    const std::shared_ptr<const TStatistics> statistics = d_pages->Statistics()->Statistics();
    if (!statistics)
        return;
    const TStatistics::TPeriodKind kind = d_pages->Statistics()->Period();
    // The charts are drawn here on the GUI thread; the file is written like every other export.
    d_exporter->Start(QStringLiteral("Export Statistics to PDF"), QStringLiteral("PDF Document (*.pdf)"),
                      [statistics, kind](TExportJob *job) { job->Set_Bytes(TStatisticsPdf::Document(*statistics, kind)); });
}
