#include "src/report/reportwriter.h"

#include "src/report/largepages.h"

#include <QDateTime>

#include <algorithm>
#include <cstring>
#include <limits>

TReportWriter::TReportWriter(qint64 expected_size)
    : d_wide(false), d_byte_out(nullptr), d_byte_end(nullptr), d_out(nullptr), d_end(nullptr),
      d_am(QTime(0, 0).toString(QStringLiteral("ap"))), d_pm(QTime(12, 0).toString(QStringLiteral("ap")))
{
    Reserve(expected_size);
}

qint64 TReportWriter::Used() const
{
    if (d_wide)
        return d_out ? d_out - d_text.constData() : 0;
    return d_byte_out ? d_byte_out - d_bytes.constData() : 0;
}

void TReportWriter::Reserve(qint64 characters)
{
    if ((d_wide ? d_end - d_out : d_byte_end - d_byte_out) >= characters)
        return;
    // Grows by half again at least: a report of hundreds of megabytes is not copied again and again.
    const qint64 used = Used();
    const qint64 wanted = std::max(used + characters, used + used / 2 + 4096);
    const int size = int(std::min<qint64>(wanted, std::numeric_limits<int>::max() / 2 - 64));
    if (d_wide)
    {
        d_text.resize(size);
        TLargePages::Advise(d_text.data() + used, size_t(size - used) * sizeof(QChar));
        d_out = d_text.data() + used;
        d_end = d_text.data() + size;
    }
    else
    {
        d_bytes.resize(size);
        TLargePages::Advise(d_bytes.data() + used, size_t(size - used));
        d_byte_out = d_bytes.data() + used;
        d_byte_end = d_bytes.data() + size;
    }
}

// From here on two bytes a character, with room for as many more as there was.
void TReportWriter::Widen()
{
    const qint64 used = Used();
    const qint64 room = d_byte_end - d_byte_out;
    d_text = QString::fromLatin1(d_bytes.constData(), int(used));
    d_bytes = QByteArray();
    d_byte_out = d_byte_end = nullptr;
    d_wide = true;
    d_out = d_text.data() + used;
    d_end = d_out;
    Reserve(room);
}

void TReportWriter::Append(const QChar *data, int size)
{
    Reserve(size);
    if (!d_wide)
    {
        // Two plain loops the compiler can run many characters a step: a
        // character beyond Latin-1 is the one that sets a bit above the lowest byte.
        const ushort *codes = reinterpret_cast<const ushort *>(data);
        ushort bits = 0;
        for (int i = 0; i < size; ++i)
            bits |= codes[i];
        if (bits <= 0xff)
        {
            for (int i = 0; i < size; ++i)
                d_byte_out[i] = char(codes[i]);
            d_byte_out += size;
            return;
        }
        Widen();
        Reserve(size);
    }
    std::memcpy(static_cast<void *>(d_out), data, size_t(size) * sizeof(QChar));
    d_out += size;
}

void TReportWriter::Append(QLatin1String text)
{
    Reserve(text.size());
    if (!d_wide)
    {
        std::memcpy(d_byte_out, text.data(), size_t(text.size()));
        d_byte_out += text.size();
        return;
    }
    for (const char character : text)
        *d_out++ = QLatin1Char(character);
}

void TReportWriter::Line(const QString &label, const QString &value)
{
    Reserve(qint64(label.size()) + value.size() + 1);
    Append(label);
    Append(value);
    Put('\n');
}

void TReportWriter::Number_Line(const QString &label, qint64 value, int width)
{
    Reserve(label.size() + std::max(width, 21) + 1);
    Append(label);
    Padded(value, width);
    Put('\n');
}

void TReportWriter::Time_Line(const QString &label, int seconds, int width)
{
    Reserve(label.size() + std::max(width, 12) + 16);
    Append(label);
    Padded(seconds / 60, width);
    Put(':');
    const int rest = seconds % 60;
    if (rest >= 0 && rest < 10)
        Put('0');
    Padded(rest, 0);
    Append(QLatin1String(" min:sec\n"));
}

void TReportWriter::Padded(qint64 value, int width)
{
    char digits[24];
    int count = 0;
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    do
    {
        digits[count++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[count++] = '-';
    for (int pad = count; pad < width; ++pad)
        Put(' ');
    while (count > 0)
        Put(digits[--count]);
}

void TReportWriter::Execution_Date(const QDateTime &date_time)
{
    if (!date_time.isValid())
        return;
    const QDate date = date_time.date();
    if (date != d_last_date)
    {
        d_last_date = date;
        d_last_date_text = date.toString(QStringLiteral("yyyy MMM dd"));
    }
    Append(d_last_date_text);
    // "hh mm ss ap" written in place: the hour on the 12-hour clock, the marker as the locale has it.
    const QTime time = date_time.time();
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QString &marker = time.hour() < 12 ? d_am : d_pm;
    Reserve(16 + marker.size());
    Append(QLatin1String(" : "));
    for (const int value : {hour, time.minute(), time.second()})
    {
        Put(char('0' + value / 10));
        Put(char('0' + value % 10));
        Put(' ');
    }
    Append(marker);
}

TReportLines TReportWriter::Take()
{
    const int used = int(Used());
    d_out = d_end = nullptr;
    d_byte_out = d_byte_end = nullptr;
    if (d_wide)
    {
        d_text.resize(used);
        return TReportLines(std::move(d_text));
    }
    d_bytes.resize(used);
    return TReportLines::From_Latin1(std::move(d_bytes));
}
