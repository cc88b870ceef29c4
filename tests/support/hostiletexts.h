#ifndef QUORVEX_HOSTILETEXTS_H
#define QUORVEX_HOSTILETEXTS_H

#include <QStringList>

// Names and messages that break careless code: quotes, SQL, format
// placeholders, text of every plane and direction, control and zero
// characters, the characters the program removes, and a megabyte.
class THostileTexts
{
public:
    static QStringList All();
};

#endif
