#include "src/pending/pendingfile.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>
#include <QUuid>

namespace
{
const quint32 MAGIC = 0x51565850; // "QVXP"
const quint16 FORMAT = 1;
// Fixed, so that a later toolkit still reads what an earlier one wrote.
const QDataStream::Version STREAM_VERSION = QDataStream::Qt_5_12;
} // namespace

TPendingFile::TPendingFile() : d_kind(EXECUTION), d_total(TDatabase::MONITOR_TIME), d_seconds(0) {}

TPendingFile TPendingFile::Execution(const TExecution &item)
{
    TPendingFile pending;
    pending.d_item = item;
    return pending;
}

TPendingFile TPendingFile::Usage(TDatabase::TUsageTotal total, int seconds)
{
    TPendingFile pending;
    pending.d_kind = USAGE;
    pending.d_total = total;
    pending.d_seconds = seconds;
    pending.d_token = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return pending;
}

TPendingFile TPendingFile::Stop(const TStopRecord &stop)
{
    TPendingFile pending;
    pending.d_kind = STOP;
    pending.d_stop = stop;
    return pending;
}

bool TPendingFile::Write(const QString &file_name, QString *error) const
{
    QSaveFile file(file_name);
    if (!file.open(QIODevice::WriteOnly))
    {
        *error = file.errorString();
        return false;
    }
    QDataStream out(&file);
    out.setVersion(STREAM_VERSION);
    out << MAGIC << FORMAT << quint8(d_kind);
    if (d_kind == EXECUTION)
    {
        const QDateTime date_time = d_item.Date_Time();
        out << d_item.Name() << d_item.Revision() << date_time.date() << date_time.time()
            << qint32(d_item.Execution_Time()) << qint32(d_item.Idle_Time()) << qint32(d_item.Point_Count())
            << d_item.Error_Messages();
    }
    else if (d_kind == USAGE)
        out << quint8(d_total) << qint32(d_seconds) << d_token;
    else
        out << TStopRecord::Moment_Text(d_stop.started) << TStopRecord::Moment_Text(d_stop.ended)
            << d_stop.open << d_stop.reason << quint8(d_stop.source) << d_stop.planned << d_stop.note;
    if (out.status() != QDataStream::Ok || !file.commit())
    {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool TPendingFile::Read(const QString &file_name, TPendingFile *pending, QString *error)
{
    QFile file(file_name);
    if (!file.open(QIODevice::ReadOnly))
    {
        *error = file.errorString();
        return false;
    }
    QDataStream in(&file);
    in.setVersion(STREAM_VERSION);
    quint32 magic = 0;
    quint16 format = 0;
    quint8 kind = 0;
    in >> magic >> format >> kind;
    bool sound = magic == MAGIC && format == FORMAT && kind <= STOP;
    TPendingFile read;
    read.d_kind = TKind(kind);
    if (sound && read.d_kind == EXECUTION)
        sound = read.Read_Execution(in);
    else if (sound && read.d_kind == STOP)
        sound = read.Read_Stop(in);
    else if (sound)
    {
        quint8 total = 0;
        in >> total >> read.d_seconds >> read.d_token;
        read.d_total = TDatabase::TUsageTotal(total);
        sound = total <= TDatabase::RUN_TIME && read.d_seconds >= 0 && !read.d_token.isEmpty();
    }
    if (!sound || in.status() != QDataStream::Ok || !in.atEnd())
    {
        *error = QStringLiteral("not a pending entry of this program");
        return false;
    }
    *pending = read;
    return true;
}

bool TPendingFile::Read_Execution(QDataStream &in)
{
    QString name, revision;
    QDate date;
    QTime time;
    qint32 execution = 0, idle = 0, points = 0;
    QStringList messages;
    in >> name >> revision >> date >> time >> execution >> idle >> points >> messages;
    if (!date.isValid() || !time.isValid() || execution < 0 || idle < 0 || points < 0)
        return false;
    d_item.Set_Name(name);
    d_item.Set_Revision(revision);
    d_item.Set_Date_Time(QDateTime(date, time));
    d_item.Set_Execution_Time(execution);
    d_item.Set_Idle_Time(idle);
    d_item.Set_Point_Count(points);
    for (const QString &message : messages)
        d_item.Add_Error_Message(message);
    return true;
}

bool TPendingFile::Read_Stop(QDataStream &in)
{
    QString started, ended;
    quint8 source = 0;
    in >> started >> ended >> d_stop.open >> d_stop.reason >> source >> d_stop.planned >> d_stop.note;
    d_stop.started = TStopRecord::Moment(started);
    d_stop.ended = TStopRecord::Moment(ended);
    d_stop.source = TStopRecord::TSource(source);
    return d_stop.started.isValid() && d_stop.ended.isValid() && d_stop.started <= d_stop.ended &&
           source <= TStopRecord::SYSTEM;
}
