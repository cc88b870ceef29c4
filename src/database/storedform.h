#ifndef QUORVEX_STOREDFORM_H
#define QUORVEX_STOREDFORM_H

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

// The one place that writes and reads the date and time texts the database
// stores ("yyyy MMM dd", "hh mm ss ap"). They are always in the C locale
// (English month names, am and pm), whatever the user's language: a file
// written under one language is read under any other. Forms written in a
// language's own names by earlier versions are recognised by the Localised_
// operations.
class TStoredForm
{
public:
    static QString Date_Text(const QDate &date);
    static QString Time_Text(const QTime &time);
    // Valid exactly when the date text is in the stored form; a time text that
    // is not leaves the time at midnight.
    static QDateTime Date_Time(const QString &date_text, const QString &time_text);
    // The stored date texts of every day from FIRST to LAST.
    static QStringList Date_Texts(const QDate &first, const QDate &last);
    static QDate Date(const QString &date_text);
    static QTime Time(const QString &time_text);
    static QTime Time(const QByteArray &utf8_text);

    // The date or time of a text in the stored form as any language Qt knows
    // writes it (its month names, am/pm markers and digits); invalid when no
    // language, or more than one with different meanings, reads it.
    static QDate Localised_Date(const QString &date_text);
    static QTime Localised_Time(const QString &time_text);

    // SQL conditions true for a date or time column whose text is not in the
    // stored form (false for NULL).
    static QString Date_Not_Stored(const QString &column);
    static QString Time_Not_Stored(const QString &column);
};

#endif
