#ifndef QUORVEX_EXPORTER_H
#define QUORVEX_EXPORTER_H

#include <QObject>
#include <QString>

#include <functional>

class QProgressDialog;
class QWidget;
class TBackgroundJob;
class TExportJob;

// One export at a time: the file chosen in a dialog is written in a thread
// of its own while a progress dialog (after half a second, so that small
// exports do not flash it) shows how far it has come and lets the user cancel.
class TExporter : public QObject
{
    Q_OBJECT

public:
    explicit TExporter(QWidget *window);
    ~TExporter() override;

    bool Is_Busy() const { return d_job != nullptr; }
    // The folder the file dialog opens in; follows every file written.
    QString Folder() const { return d_folder; }
    void Set_Folder(const QString &folder) { d_folder = folder; }

    // Asks for the file, lets setup give the job its content, and starts it.
    void Start(const QString &caption, const QString &filter, const std::function<void(TExportJob *)> &setup);
    // Cancels an export still running and waits for its thread.
    void Stop();

signals:
    void Busy_Changed();
    // What became of an export that did not write its file, for the status bar.
    void Failed(const QString &text);

private:
    void Finished();

    QWidget *d_window;
    QString d_folder;
    TBackgroundJob *d_background;
    TExportJob *d_job;
    QProgressDialog *d_progress;
};

#endif
