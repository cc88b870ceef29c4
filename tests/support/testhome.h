#ifndef QUORVEX_TESTHOME_H
#define QUORVEX_TESTHOME_H

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <vector>

// A temporary home folder for one test: HOME and QUORVEX_HOME point into it
// while the object lives, so nothing a test does reaches the real home folder.
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
    // The same home for a child process.
    void Apply(QProcessEnvironment *environment) const;
    QString Settings_Folder() const { return d_dir.filePath(QStringLiteral(".quorvex")); }
    // The data folder of quorvex-demo, which never uses the real program's.
    QString Demo_Folder() const { return d_dir.filePath(QStringLiteral(".quorvex-demo")); }

private:
    struct TSaved
    {
        const char *name;
        QByteArray value;
        bool was_set;
    };

    QTemporaryDir d_dir;
    std::vector<TSaved> d_saved;
};

#endif
