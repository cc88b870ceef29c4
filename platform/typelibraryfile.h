#ifndef QUORVEX_PLATFORM_TYPELIBRARYFILE_H
#define QUORVEX_PLATFORM_TYPELIBRARYFILE_H

#include "oaidl.h"

#include <QString>
#include <QStringList>

#include <vector>

// A type library as this layer keeps it on disk, read by LoadTypeLib and
// written by automation servers. On Windows, type libraries are MIDL's binary
// files; here the format is our own, a UTF-8 text file:
//
//   QUORVEX-TYPELIB 1
//   library <name> {<guid>}
//   dispinterface <name> {<guid>}
//   function <memid> <name> [<parameter name> ...]
//   variable <memid> <name>
//
// The first line is exactly the signature. Functions and variables belong to
// the dispinterface above them. Names hold no blanks; memids are decimal (a
// minus sign allowed); GUIDs are written as {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}.
// Blank lines and lines starting with '#' are ignored.
class TTypeLibraryFile
{
public:
    struct TMember
    {
        MEMBERID memid;
        QStringList names; // the member's name, then its parameters' names
    };

    struct TType
    {
        QString name;
        GUID guid;
        std::vector<TMember> functions;
        std::vector<TMember> variables;
    };

    TTypeLibraryFile();

    void Set_Library(const QString &name, const GUID &guid);
    // Adds a dispinterface; members go to the one added last.
    void Add_Dispinterface(const QString &name, const GUID &guid);
    void Add_Function(MEMBERID memid, const QString &name, const QStringList &parameters = {});
    void Add_Variable(MEMBERID memid, const QString &name);

    bool Save(const QString &file_name) const;
    bool Load(const QString &file_name);

    QString Library_Name() const { return d_library_name; }
    GUID Library_Guid() const { return d_library_guid; }
    const std::vector<TType> &Types() const { return d_types; }

    static QString Guid_Text(const GUID &guid);
    static bool Parse_Guid(const QString &text, GUID *guid);

private:
    QString d_library_name;
    GUID d_library_guid;
    std::vector<TType> d_types;
};

#endif
