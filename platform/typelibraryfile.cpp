#include "typelibraryfile.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QUuid>

#include <cstring>

namespace
{
const QString SIGNATURE = QStringLiteral("QUORVEX-TYPELIB 1");
}

TTypeLibraryFile::TTypeLibraryFile() : d_library_guid(IID_NULL) {}

void TTypeLibraryFile::Set_Library(const QString &name, const GUID &guid)
{
    d_library_name = name;
    d_library_guid = guid;
}

void TTypeLibraryFile::Add_Dispinterface(const QString &name, const GUID &guid)
{
    d_types.push_back(TType{name, guid, {}, {}});
}

void TTypeLibraryFile::Add_Function(MEMBERID memid, const QString &name, const QStringList &parameters)
{
    if (!d_types.empty())
        d_types.back().functions.push_back(TMember{memid, QStringList{name} + parameters});
}

void TTypeLibraryFile::Add_Variable(MEMBERID memid, const QString &name)
{
    if (!d_types.empty())
        d_types.back().variables.push_back(TMember{memid, {name}});
}

QString TTypeLibraryFile::Guid_Text(const GUID &guid)
{
    const QUuid uuid(guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                     guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return uuid.toString(QUuid::WithBraces);
}

bool TTypeLibraryFile::Parse_Guid(const QString &text, GUID *guid)
{
    const QUuid uuid(text);
    if (uuid.isNull() && text != QStringLiteral("{00000000-0000-0000-0000-000000000000}"))
        return false;
    guid->Data1 = uuid.data1;
    guid->Data2 = uuid.data2;
    guid->Data3 = uuid.data3;
    std::memcpy(guid->Data4, uuid.data4, 8);
    return true;
}

bool TTypeLibraryFile::Save(const QString &file_name) const
{
    QSaveFile file(file_name);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QString text = SIGNATURE + QLatin1Char('\n');
    text += QStringLiteral("library %1 %2\n").arg(d_library_name, Guid_Text(d_library_guid));
    for (const TType &type : d_types)
    {
        text += QStringLiteral("dispinterface %1 %2\n").arg(type.name, Guid_Text(type.guid));
        for (const TMember &function : type.functions)
            text += QStringLiteral("function %1 %2\n").arg(function.memid).arg(function.names.join(QLatin1Char(' ')));
        for (const TMember &variable : type.variables)
            text += QStringLiteral("variable %1 %2\n").arg(variable.memid).arg(variable.names.first());
    }
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.commit();
}

bool TTypeLibraryFile::Load(const QString &file_name)
{
    QFile file(file_name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (lines.isEmpty() || lines.first().trimmed() != SIGNATURE)
        return false;

    TTypeLibraryFile loaded;
    for (int i = 1; i < lines.size(); ++i)
    {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        GUID guid;
        bool number = false;
        if (words.first() == QLatin1String("library") && words.size() == 3 && Parse_Guid(words.at(2), &guid))
            loaded.Set_Library(words.at(1), guid);
        else if (words.first() == QLatin1String("dispinterface") && words.size() == 3 &&
                 Parse_Guid(words.at(2), &guid))
            loaded.Add_Dispinterface(words.at(1), guid);
        else if (words.first() == QLatin1String("function") && words.size() >= 3 && !loaded.d_types.empty())
        {
            const MEMBERID memid = words.at(1).toInt(&number);
            if (!number)
                return false;
            loaded.Add_Function(memid, words.at(2), words.mid(3));
        }
        else if (words.first() == QLatin1String("variable") && words.size() == 3 && !loaded.d_types.empty())
        {
            const MEMBERID memid = words.at(1).toInt(&number);
            if (!number)
                return false;
            loaded.Add_Variable(memid, words.at(2));
        }
        else
            return false;
    }
    *this = loaded;
    return true;
}
