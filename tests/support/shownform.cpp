#include "tests/support/shownform.h"

#include <QLocale>
#include <QRegularExpression>

QString TShownForm::Localised(const QString &english)
{
    const QLocale system = QLocale::system();
    QString shown = english;
    for (int month = 1; month <= 12; ++month)
    {
        const QString name = QLocale::c().monthName(month, QLocale::ShortFormat);
        shown.replace(QRegularExpression(QStringLiteral("\\b%1\\b").arg(name)), system.monthName(month, QLocale::ShortFormat));
    }
    // The marker after a time "hh mm ss".
    shown.replace(QRegularExpression(QStringLiteral("(\\d\\d \\d\\d \\d\\d) am\\b")),
                  QStringLiteral("\\1 ") + system.amText().toLower());
    shown.replace(QRegularExpression(QStringLiteral("(\\d\\d \\d\\d \\d\\d) pm\\b")),
                  QStringLiteral("\\1 ") + system.pmText().toLower());
    return shown;
}
