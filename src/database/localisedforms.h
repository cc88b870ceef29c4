#ifndef QUORVEX_LOCALISEDFORMS_H
#define QUORVEX_LOCALISEDFORMS_H

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

// Earlier versions stored dates and times in the names of the system's
// language ("2026 Dez. 07"), which no other language reads. Opening a file
// rewrites such rows once, in one transaction, to the stored form; nothing else
// is altered, and a text no language reads is left as it is and reported.
class TLocalisedForms
{
public:
    explicit TLocalisedForms(QSqlDatabase db);

    // False when the rewrite failed; then nothing was changed (Error says why).
    bool Rewrite();
    int Rewritten_Rows() const { return d_rewritten_rows; }
    // The date and time texts left as they were, and how many rows hold them.
    QStringList Unreadable_Texts() const { return d_unreadable; }
    int Unreadable_Rows() const { return d_unreadable_rows; }
    QString Error() const { return d_error; }
    // What to tell the user (panel texts); empty when nothing was found.
    QStringList Notices() const;

private:
    using TMapping = QList<QPair<QString, QString>>;
    bool Map(const QString &column, TMapping *mapping);
    bool Apply(const QString &column, const TMapping &mapping);
    bool Fail(const QString &what, const QSqlError &error);

    QSqlDatabase d_db;
    int d_rewritten_rows;
    int d_unreadable_rows;
    QStringList d_unreadable;
    QString d_error;
};

#endif
