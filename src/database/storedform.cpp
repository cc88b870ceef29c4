#include "src/database/storedform.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace
{
const QString DATE_FORM = QStringLiteral("yyyy MMM dd");
const QString TIME_FORM = QStringLiteral("hh mm ss ap");
const QString MORNING = QStringLiteral("am");
const QString AFTERNOON = QStringLiteral("pm");
// What a name means in every language that writes it; -1 where two disagree.
using TMeanings = QHash<QString, int>;

void Add_Meaning(TMeanings *meanings, const QString &name, int meaning)
{
    if (name.isEmpty())
        return;
    const auto found = meanings->constFind(name);
    if (found == meanings->constEnd())
        meanings->insert(name, meaning);
    else if (*found != meaning)
        (*meanings)[name] = -1;
}

const QList<QLocale> &All_Locales()
{
    static const QList<QLocale> locales = []
    {
        QList<QLocale> made;
        // The locales the list gives carry no names of their own in Qt 5: each
        // is made again from its language, script and country.
        for (const QLocale &listed :
             QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyCountry))
            made << QLocale(listed.language(), listed.script(), listed.country());
        return made;
    }();
    return locales;
}

// Month names as "MMM" writes them (and their stand-alone forms), in every language.
const TMeanings &Month_Names()
{
    static const TMeanings names = []
    {
        TMeanings meanings;
        for (const QLocale &locale : All_Locales())
            for (int month = 1; month <= 12; ++month)
            {
                Add_Meaning(&meanings, locale.monthName(month, QLocale::ShortFormat), month);
                Add_Meaning(&meanings, locale.standaloneMonthName(month, QLocale::ShortFormat), month);
            }
        return meanings;
    }();
    return names;
}

// The markers as "ap" writes them (lower case): 0 before noon, 1 after.
const TMeanings &Day_Halves()
{
    static const TMeanings halves = []
    {
        TMeanings meanings;
        for (const QLocale &locale : All_Locales())
        {
            Add_Meaning(&meanings, locale.amText().toLower(), 0);
            Add_Meaning(&meanings, locale.pmText().toLower(), 1);
        }
        return meanings;
    }();
    return halves;
}

// A number in any script's decimal digits; -1 when a character is not one.
int Number(const QString &digits)
{
    int value = 0;
    for (const QChar digit : digits)
    {
        const int figure = digit.digitValue();
        if (figure < 0)
            return -1;
        value = value * 10 + figure;
    }
    return value;
}

int Meaning(const TMeanings &meanings, const QString &name)
{
    return meanings.value(name, -1);
}

int Code(QChar c)
{
    return c.unicode();
}
int Code(char c)
{
    return static_cast<unsigned char>(c);
}

// "hh mm ss am" read directly, without a pattern: a report reads a time per
// execution. Invalid for anything else.
template <typename TText> QTime Direct_Time(const TText &text)
{
    if (text.size() != 11 || Code(text[2]) != ' ' || Code(text[5]) != ' ' || Code(text[8]) != ' ' ||
        Code(text[10]) != 'm' || (Code(text[9]) != 'a' && Code(text[9]) != 'p'))
        return QTime();
    const auto two_digits = [&text](int at)
    {
        const int tens = Code(text[at]) - '0';
        const int ones = Code(text[at + 1]) - '0';
        return tens >= 0 && tens <= 9 && ones >= 0 && ones <= 9 ? tens * 10 + ones : -100;
    };
    const int hour = two_digits(0);
    if (hour < 1 || hour > 12)
        return QTime();
    return QTime(hour % 12 + (Code(text[9]) == 'a' ? 0 : 12), two_digits(3), two_digits(6));
}
} // namespace

QString TStoredForm::Date_Text(const QDate &date)
{
    return QLocale::c().toString(date, DATE_FORM);
}

QString TStoredForm::Time_Text(const QTime &time)
{
    return QLocale::c().toString(time, TIME_FORM);
}

QStringList TStoredForm::Date_Texts(const QDate &first, const QDate &last)
{
    QStringList days;
    for (QDate day = first; day.isValid() && day <= last; day = day.addDays(1))
        days << Date_Text(day);
    return days;
}

QDateTime TStoredForm::Date_Time(const QString &date_text, const QString &time_text)
{
    QDateTime date_time;
    date_time.setDate(Date(date_text));
    date_time.setTime(Time(time_text));
    return date_time;
}

QDate TStoredForm::Date(const QString &date_text)
{
    return QLocale::c().toDate(date_text, DATE_FORM);
}

QTime TStoredForm::Time(const QString &time_text)
{
    const QTime direct = Direct_Time(time_text);
    return direct.isValid() ? direct : QLocale::c().toTime(time_text, TIME_FORM);
}

QTime TStoredForm::Time(const QByteArray &utf8_text)
{
    const QTime direct = Direct_Time(utf8_text);
    return direct.isValid() ? direct : Time(QString::fromUtf8(utf8_text));
}

// A name two languages give different meanings is read as the user's own
// language reads it (the file was most likely written under it), else not.
QDate TStoredForm::Localised_Date(const QString &date_text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4}) (.+) (\\d{2})$"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    // Exactly the stored form; reading it alone would take other languages'
    // names that differ only in case ("may" is November in Basaa).
    const QDate stored = Date(date_text);
    if (stored.isValid() && Date_Text(stored) == date_text)
        return stored;
    const QRegularExpressionMatch parts = form.match(date_text);
    if (!parts.hasMatch())
        return QDate();
    const QString name = parts.captured(2);
    int month = Meaning(Month_Names(), name);
    const QLocale own;
    for (int candidate = 1; month < 0 && candidate <= 12; ++candidate)
        if (own.monthName(candidate, QLocale::ShortFormat) == name ||
            own.standaloneMonthName(candidate, QLocale::ShortFormat) == name)
            month = candidate;
    return QDate(Number(parts.captured(1)), month, Number(parts.captured(3)));
}

QTime TStoredForm::Localised_Time(const QString &time_text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{2}) (\\d{2}) (\\d{2}) (.+)$"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch parts = form.match(time_text);
    if (!parts.hasMatch())
        return QTime();
    const int hour = Number(parts.captured(1));
    const QString marker = parts.captured(4);
    int half = Meaning(Day_Halves(), marker);
    const QLocale own;
    if (half < 0 && marker == own.amText().toLower())
        half = 0;
    else if (half < 0 && marker == own.pmText().toLower())
        half = 1;
    if (hour < 1 || hour > 12 || half < 0)
        return QTime();
    return QTime(hour % 12 + 12 * half, Number(parts.captured(2)), Number(parts.captured(3)));
}

QString TStoredForm::Date_Not_Stored(const QString &column)
{
    QStringList months;
    for (int month = 1; month <= 12; ++month)
        months << QLatin1Char('\'') + QLocale::c().monthName(month, QLocale::ShortFormat) + QLatin1Char('\'');
    return QStringLiteral("NOT (length(%1)=11 AND substr(%1,6,3) IN (%2))")
        .arg(column, months.join(QLatin1Char(',')));
}

QString TStoredForm::Time_Not_Stored(const QString &column)
{
    return QStringLiteral("NOT (length(%1)=11 AND substr(%1,10) IN ('%2','%3'))")
        .arg(column, MORNING, AFTERNOON);
}
