#ifndef QUORVEX_HOMEFOLDER_H
#define QUORVEX_HOMEFOLDER_H

#include <QString>

// The folder that holds the program's data folder: the user's home folder, or
// the folder the environment variable QUORVEX_HOME names. Windows gives the
// profile folder from the user's account whatever the environment says, so the
// variable is the one way to run the program (and its tests) on another folder.
class THomeFolder
{
public:
    static const char *const VARIABLE;
    // The data folders: the real program's record, and the demo's own, which
    // is never the real one so that simulated executions never mix into it.
    static const char *const PROGRAM;
    static const char *const DEMO;
    static QString Path();
    // The absolute path of the data folder NAME (PROGRAM or DEMO) in Path().
    static QString Data_Folder(const char *name = PROGRAM);
};

#endif
