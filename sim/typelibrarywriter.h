#ifndef QUORVEX_TYPELIBRARYWRITER_H
#define QUORVEX_TYPELIBRARYWRITER_H

#include <windows.h>

#include <QString>
#include <QStringList>

#include <vector>

// Describes dispinterfaces for a server's type library and writes it with the
// system's CreateTypeLib2, so that LoadTypeLib reads it back as the system's
// own. Members belong to the dispinterface added last.
class TTypeLibraryWriter
{
public:
    void Set_Library(const QString &name, const GUID &guid);
    void Add_Dispinterface(const QString &name, const GUID &guid);
    void Add_Function(MEMBERID memid, const QString &name, const QStringList &parameters = {});
    void Add_Variable(MEMBERID memid, const QString &name);
    // False, with the system's status in Error_Status, when the file is not written.
    bool Save(const QString &file_name);
    HRESULT Error_Status() const { return d_error_status; }

private:
    struct TMember
    {
        MEMBERID memid;
        QStringList names;
    };
    struct TInterface
    {
        QString name;
        GUID guid;
        std::vector<TMember> functions;
        std::vector<TMember> variables;
    };

    HRESULT Write(ICreateTypeLib2 *library) const;
    static HRESULT Write_Interface(ICreateTypeInfo *type, const TInterface &interface_type);

    QString d_name;
    GUID d_guid = {};
    std::vector<TInterface> d_interfaces;
    HRESULT d_error_status = S_OK;
};

#endif
