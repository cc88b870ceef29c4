#include "tests/support/hostiletexts.h"

QStringList THostileTexts::All()
{
    return {QStringLiteral("O'Brien \"quoted\" 'single' \"\"double\"\""),
            QStringLiteral("%1 %2 %3 100% %%"),
            QStringLiteral("'); DROP TABLE program; --"),
            QStringLiteral("\" OR 1=1; DELETE FROM usage; /*"),
            QStringLiteral("Gr\u00f6\u00dfe \u00c4\u00d6\u00dc \u20ac \u4e2d\u6587"),
            QStringLiteral("probe \U0001F600 \U0001D11E outside the plane"),
            QStringLiteral("\u0645\u0631\u062d\u0628\u0627 \u05e9\u05dc\u05d5\u05dd \u202eright to left"),
            QStringLiteral("control \x01\x07\t\r\n\x1b[31m end"),
            QString::fromUtf16(u"zero \0 inside", 13),
            QStringLiteral(",;|\\/*[]^:"),
            QString(1 << 20, QLatin1Char('M')) + QStringLiteral(" one megabyte")};
}
