#ifndef QUORVEX_EXPORTJOB_H
#define QUORVEX_EXPORTJOB_H

#include <QByteArray>
#include <QObject>

#include <QString>
#include <QStringList>
#include <memory>

#include <atomic>

class TDatabase;
class TReportLines;

// One export to a file: the CSV of the executions of some programs on some dates,
// or a report's text. Run() may take seconds over years of records: the window
// runs it in a thread of its own, shows Progress and may Cancel at any time.
// The file is written through a temporary one and appears only complete; a
// cancelled or failed export leaves whatever was there before untouched.
class TExportJob : public QObject
{
    Q_OBJECT

public:
    enum TResult
    {
        RUNNING,
        WRITTEN,
        FAILED,
        CANCELLED
    };

    explicit TExportJob(const QString &file_name);

    void Set_Entries(TDatabase *database, const QStringList &names, const QStringList &dates);
    void Set_Text(const QString &text);
    // A report as the view holds it, written in Latin-1 like a text.
    void Set_Report(std::shared_ptr<const TReportLines> report);
    // Written as they are (a PDF, UTF-8 text): no line-end translation.
    void Set_Bytes(const QByteArray &bytes);
    QString File_Name() const { return d_file_name; }

    // Thread-safe: the job stops at its next piece.
    void Cancel() { d_cancelled = true; }
    TResult Run();
    TResult Result() const { return d_result; }

signals:
    // Done of total; a total of 0 while the executions are still being read.
    void Progress(int done, int total);

private:
    TResult Finish(TResult result);

    QString d_file_name;
    TDatabase *d_database;
    QStringList d_names;
    QStringList d_dates;
    std::shared_ptr<const TReportLines> d_report;
    QByteArray d_bytes;
    enum TContent
    {
        EXECUTIONS,
        TEXT,
        BYTES
    } d_content;
    std::atomic<bool> d_cancelled;
    std::atomic<TResult> d_result;
};

#endif
