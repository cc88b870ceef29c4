#ifndef QUORVEX_PROTECTEDTEXT_H
#define QUORVEX_PROTECTEDTEXT_H

#include <QString>

// A secret (a password of the central database) as the system keeps it for
// the user: on Windows encrypted with the user's logon key (data protection),
// elsewhere in a file only its owner may read. Settings.ini holds only the
// protected form, as text.
class TProtectedText
{
public:
    // Empty when the system cannot protect it.
    static QString Protect(const QString &clear);
    // False when the text is not one this user's system protected.
    static bool Unprotect(const QString &protected_text, QString *clear);
};

#endif
