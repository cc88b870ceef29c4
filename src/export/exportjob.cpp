#include "src/export/exportjob.h"

#include "src/report/reportlines.h"

#include "src/csv/csvexport.h"
#include "src/database/database.h"

#include <QSaveFile>

namespace
{
// About a megabyte a piece: progress moves, and a cancel is seen at once.
const int PIECE = 1 << 20;
} // namespace

TExportJob::TExportJob(const QString &file_name)
    : d_file_name(file_name), d_database(nullptr), d_content(TEXT), d_cancelled(false), d_result(RUNNING)
{
}

void TExportJob::Set_Entries(TDatabase *database, const QStringList &names, const QStringList &dates)
{
    d_database = database;
    d_names = names;
    d_dates = dates;
    d_content = EXECUTIONS;
}

void TExportJob::Set_Text(const QString &text)
{
    Set_Report(std::make_shared<const TReportLines>(text));
}

void TExportJob::Set_Report(std::shared_ptr<const TReportLines> report)
{
    d_report = std::move(report);
    d_content = TEXT;
}

void TExportJob::Set_Bytes(const QByteArray &bytes)
{
    d_bytes = bytes;
    d_content = BYTES;
}

TExportJob::TResult TExportJob::Finish(TResult result)
{
    d_result = result;
    return result;
}

TExportJob::TResult TExportJob::Run()
{
    QSaveFile file(d_file_name);
    const QIODevice::OpenMode mode =
        d_content == BYTES ? QIODevice::WriteOnly : QIODevice::WriteOnly | QIODevice::Text;
    if (!file.open(mode))
        return Finish(FAILED);
    const auto write = [&file](const QByteArray &bytes) { return file.write(bytes) == bytes.size(); };
    bool written = true;
    if (d_content == EXECUTIONS)
    {
        emit Progress(0, 0);
        const std::vector<TExecution> items =
            d_database->Executions(d_names, d_dates, TDatabase::NAME_THEN_DATE);
        // No executions: an empty file, not a header alone.
        QByteArray piece = items.empty() ? QByteArray() : TCsvExport::Header();
        const int total = int(items.size());
        for (int index = 0; index < total && written && !d_cancelled; ++index)
        {
            piece += TCsvExport::Line(items[size_t(index)]).toLatin1();
            if (piece.size() >= PIECE || index + 1 == total)
            {
                written = write(piece);
                piece.clear();
                emit Progress(index + 1, total);
            }
        }
    }
    else
    {
        const int total = d_content == TEXT ? d_report->Size() : d_bytes.size();
        for (int done = 0; done < total && written && !d_cancelled; done += PIECE)
        {
            written = write(d_content == TEXT ? d_report->Latin1(done, PIECE) : d_bytes.mid(done, PIECE));
            emit Progress(std::min(total, done + PIECE), total);
        }
    }
    if (d_cancelled)
    {
        file.cancelWriting();
        return Finish(CANCELLED);
    }
    if (!written || !file.commit())
    {
        file.cancelWriting();
        return Finish(FAILED);
    }
    return Finish(WRITTEN);
}
