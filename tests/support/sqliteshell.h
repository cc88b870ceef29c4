#ifndef QUORVEX_SQLITESHELL_H
#define QUORVEX_SQLITESHELL_H

#include <QString>

// The sqlite3 command-line shell, for files made and read outside the program.
class TSqliteShell
{
public:
    // Runs the script on file; false when the shell cannot be run or fails.
    // What the shell printed goes to output.
    static bool Run(const QString &file, const QString &script, QString *output = nullptr);
    // What the shell printed, or "<sqlite3 failed>".
    static QString Output(const QString &file, const QString &script);
};

#endif
