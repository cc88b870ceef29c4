#include "src/export/exporter.h"

#include "src/common/backgroundjob.h"
#include "src/export/exportjob.h"

#include <QFileDialog>
#include <QProgressDialog>
#include <QTimer>

#include <limits>

TExporter::TExporter(QWidget *window)
    : QObject(window), d_window(window), d_background(new TBackgroundJob(this)), d_job(nullptr),
      d_progress(nullptr)
{
}

TExporter::~TExporter()
{
    Stop();
}

void TExporter::Start(const QString &caption, const QString &filter,
                      const std::function<void(TExportJob *)> &setup)
{
    const QString file_name = QFileDialog::getSaveFileName(d_window, caption, d_folder, filter);
    if (file_name.isEmpty() || d_job)
        return;
    d_job = new TExportJob(file_name);
    setup(d_job);
    d_progress = new QProgressDialog(QStringLiteral("Writing '%1'...").arg(file_name),
                                     QStringLiteral("Cancel"), 0, 0, d_window);
    d_progress->setObjectName(QStringLiteral("export_progress"));
    d_progress->setWindowTitle(caption);
    d_progress->setWindowModality(Qt::WindowModal);
    // Shown after half a second if still at work, whatever the progress so far (reading gives none).
    d_progress->setMinimumDuration(std::numeric_limits<int>::max());
    QTimer::singleShot(500, d_progress, &QProgressDialog::show);
    d_progress->setAutoReset(false);
    TExportJob *job = d_job;
    QProgressDialog *progress = d_progress;
    connect(d_progress, &QProgressDialog::canceled, this, [job]() { job->Cancel(); });
    connect(job, &TExportJob::Progress, d_progress,
            [progress](int done, int total)
            {
                progress->setMaximum(total);
                progress->setValue(done);
            });
    d_background->Start(
        [this, job](const TBackgroundJob::TPost &) -> TBackgroundJob::TDelivery
        {
            job->Run();
            return [this]() { Finished(); };
        });
    emit Busy_Changed();
}

void TExporter::Finished()
{
    const TExportJob::TResult result = d_job->Result();
    const QString file_name = d_job->File_Name();
    Stop();
    if (result == TExportJob::CANCELLED)
        emit Failed(QStringLiteral("WAR:  Export cancelled, '%1' not written.").arg(file_name));
    else if (result != TExportJob::WRITTEN)
        emit Failed(QStringLiteral("ERR:  Cannot write file '%1'.").arg(file_name));
    else
    {
        const int slash = file_name.lastIndexOf(QLatin1Char('/'));
        if (slash >= 0)
            d_folder = file_name.left(slash);
    }
}

void TExporter::Stop()
{
    if (!d_job)
        return;
    d_job->Cancel();
    // The job writes a file of its own: it ends soon after it is cancelled.
    d_background->Stop();
    delete d_job;
    delete d_progress;
    d_job = nullptr;
    d_progress = nullptr;
    emit Busy_Changed();
}
