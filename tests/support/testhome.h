#ifndef QUORVEX_TESTHOME_H
#define QUORVEX_TESTHOME_H

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary home folder for one test: HOME points into it while the object
// lives, so nothing a test does reaches the real home folder.
class TTestHome
{
public:
    TTestHome();
    ~TTestHome();
    TTestHome(const TTestHome &) = delete;
    TTestHome &operator=(const TTestHome &) = delete;

    bool Is_Valid() const { return d_dir.isValid(); }
    QString Path() const { return d_dir.path(); }
    QString File_Path(const QString &name) const { return d_dir.filePath(name); }
    QString Settings_Folder() const { return d_dir.filePath(QStringLiteral(".quorvex")); }

private:
    QTemporaryDir d_dir;
    QByteArray d_saved_home;
    bool d_had_home;
};

#endif
