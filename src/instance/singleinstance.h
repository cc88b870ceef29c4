#ifndef QUORVEX_SINGLEINSTANCE_H
#define QUORVEX_SINGLEINSTANCE_H

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// The one program that may run on a data folder: two on one folder would store
// every execution twice and count monitoring twice. The first start holds a
// lock file in the folder (one left by a killed program is taken over) and
// listens; a later start finds the lock held, asks the running program to come
// forward, and ends. The name it listens on is made from the folder and a key
// of the user's own (kept outside the folder, which users may share), so that
// no other user can take it first. Lives on the GUI thread.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class TClaim
    {
        OURS,      // this start runs on the folder
        FORWARDED, // another runs on it and came forward
        HELD,      // another holds the folder and does not answer (another user's, or hung)
    };

    // KEY_FILE: where the user's key is kept (empty: the user's own data folder of the system).
    explicit TSingleInstance(const QString &folder, const QString &key_file = QString(),
                             QObject *parent = nullptr);
    ~TSingleInstance() override;

    TClaim Claim();
    QString Folder() const { return d_folder; }
    // The name later starts call the running one by (per folder and user).
    QString Server_Name() const;
    // Why later starts cannot call this one, when it runs but could not listen; empty when it listens.
    QString Listen_Error() const { return d_listen_error; }

signals:
    // A later start on the same folder asked for the window.
    void Asked_Forward();

private:
    bool Ask_Forward() const;
    void Listen();
    // The user's key, made once.
    QByteArray Key() const;

    QString d_folder;
    QString d_key_file;
    QLockFile d_lock;
    QLocalServer *d_server;
    QString d_listen_error;
};

#endif
