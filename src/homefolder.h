#ifndef QUORVEX_HOMEFOLDER_H
#define QUORVEX_HOMEFOLDER_H

#include <QString>

// The folder that holds ".quorvex": the user's home folder, or the folder the
// environment variable QUORVEX_HOME names. Windows gives the profile folder
// from the user's account whatever the environment says, so the variable is
// the one way to run the program (and its tests) on another data folder.
class THomeFolder
{
public:
    static const char *const VARIABLE;
    static QString Path();
};

#endif
