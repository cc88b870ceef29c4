#ifndef QUORVEX_CENTRALSETTINGS_H
#define QUORVEX_CENTRALSETTINGS_H

#include <QString>

class QSettings;

// Where the station forwards its executions: the group "Central" of
// Settings.ini. No host, no central database: the station records locally
// only, as it always has. The station's id is made once and written back, so
// that its rows stay its own when the computer is renamed.
class TCentralSettings
{
public:
    // How long closing the window, a change of settings or a summary due waits
    // for a thread on the network; one still busy then is left to end by itself.
    static const int CLOSE_LIMIT_MSEC = 2000;

    TCentralSettings();

    // Reads the group; a station without an id gets one (written to SETTINGS).
    void Read(QSettings *settings);
    void Write(QSettings *settings) const;

    bool Is_Set() const { return !d_host.isEmpty(); }
    QString Host() const { return d_host; }
    void Set_Host(const QString &host) { d_host = host; }
    int Port() const { return d_port; }
    void Set_Port(int port) { d_port = port; }
    QString Database() const { return d_database; }
    void Set_Database(const QString &database) { d_database = database; }
    QString User() const { return d_user; }
    void Set_User(const QString &user) { d_user = user; }
    void Set_Password(const QString &password) { d_password = password; }
    void Set_Password_File(const QString &file) { d_password_file = file; }
    // The login that reads the fleet (the Fleet page, fleet summaries) where it
    // is not the station's own, which may read only its own rows.
    void Set_Viewer(const QString &user, const QString &password)
    {
        d_viewer_user = user;
        d_viewer_password = password;
    }
    // These settings with the viewer's login, where one is set.
    TCentralSettings Viewer() const;
    // The login that reads the fleet and stores the silence of stations, kept at one station only.
    void Set_Watcher(const QString &user, const QString &password)
    {
        d_watcher_user = user;
        d_watcher_password = password;
    }
    // These settings with the watcher's login where one is set, else the viewer's (which stores nothing).
    TCentralSettings Watcher() const;
    QString Station_Name() const { return d_station_name; }
    void Set_Station_Name(const QString &name) { d_station_name = name; }
    // The group (a plant or a hall) the station belongs to ("Plant 2 / Room A"); empty: none.
    QString Group() const { return d_group; }
    void Set_Group(const QString &group) { d_group = group; }
    QString Station_Id() const { return d_station_id; }
    void Set_Station_Id(const QString &id) { d_station_id = id; }
    QString Ssl_Mode() const { return d_ssl_mode; }
    void Set_Ssl_Mode(const QString &mode) { d_ssl_mode = mode; }
    // The file of the authority that signed the server's certificate (PEM).
    void Set_Ssl_Root_Cert(const QString &file) { d_ssl_root_cert = file; }

    // The password given, else the first matching line of the password file
    // ("host:port:database:user:password", "*" matches anything, "\:" and "\\"
    // are a colon and a backslash in a field).
    QString Password() const;
    // Options for the driver: the SSL mode, a short connect timeout (an unknown
    // host does not hold a thread for minutes), keepalives and a limit on
    // unanswered data (a vanished network is noticed), and the session's
    // limits on statements, lock waits and transactions left open.
    QString Connect_Options() const;
    // False (ERROR says why) when the password comes from a file that others
    // than its owner may read: such a file is refused, as the server's own
    // client refuses it.
    bool Password_File_Private(QString *error) const;
    // Opens a connection of that name on the calling thread; on failure it is
    // removed again and ERROR says why.
    bool Open_Connection(const QString &name, QString *error) const;
    // "user@host:port/database" for messages (never the password).
    QString Describe() const;

private:
    // These settings with another login.
    TCentralSettings As(const QString &user, const QString &password) const;
    static QString Read_Secret(QSettings *settings, const QString &key);
    static void Write_Secret(QSettings *settings, const QString &key, const QString &clear);

    QString d_host;
    int d_port;
    QString d_database;
    QString d_user;
    QString d_password;
    QString d_password_file;
    QString d_viewer_user;
    QString d_viewer_password;
    QString d_watcher_user;
    QString d_watcher_password;
    QString d_station_name;
    QString d_group;
    QString d_station_id;
    QString d_ssl_mode;
    QString d_ssl_root_cert;
};

#endif
