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
// forward, and ends. Lives on the GUI thread.
class TSingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit TSingleInstance(const QString &folder, QObject *parent = nullptr);
    ~TSingleInstance() override;

    // True when this is the one: it holds the lock and listens for later
    // starts. False when another runs on the folder, which has been asked to
    // come forward.
    bool Claim();
    // The name later starts call the running one by (per folder).
    QString Server_Name() const;

signals:
    // A later start on the same folder asked for the window.
    void Asked_Forward();

private:
    void Ask_Forward() const;

    QString d_folder;
    QLockFile d_lock;
    QLocalServer *d_server;
};

#endif
