#ifndef QUORVEX_GROUPNAME_H
#define QUORVEX_GROUPNAME_H

#include <QString>

// A group of stations (a plant or a hall, "Plant 2 / Room A") as the settings
// name it: one line, its white space made single, of a length a column shows.
class TGroupName
{
public:
    static const int LENGTH = 80;
    static QString Clean(const QString &text);
};

#endif
