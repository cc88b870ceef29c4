#ifndef QUORVEX_MEASUREMENTSOFTWARE_H
#define QUORVEX_MEASUREMENTSOFTWARE_H

#include <windows.h>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <memory>

class TClassFactory;
class TDispatchObject;
class TEventSource;

// A simulator of the measurement software, reached only as the real one is:
// an automation server under "PCDLRN.Application" (and in the running object
// table) with its application,
// part-program and machine objects and their events, type libraries in its
// installation folder, and a main window that exists while it runs. Several
// part programs may be open at once, each on a named machine. Lives on the
// GUI thread; its events are raised there, as the real software's arrive.
class TMeasurementSoftware : public QObject
{
    Q_OBJECT

public:
    static const QString PROG_ID;
    static const QString WINDOW_CLASS;

    explicit TMeasurementSoftware(QObject *parent = nullptr);
    ~TMeasurementSoftware() override;

    bool Is_Running() const { return d_running; }
    // Starts the software: its server is registered and its main window shows.
    void Start();
    // Quits: the window goes, the programs close without events, every object disconnects.
    void Quit();

    // Opens a part program on the named machine; its handle, or -1 when the software is not running.
    int Open_Program(const QString &machine, const QString &revision, const QString &name);
    bool Start_Execution(int program);
    bool End_Execution(int program);
    bool Hit(int program);
    bool Learn_Hit(int program);
    bool Error_Message(int program, const QString &text);
    bool Close_Program(int program);

    // The open program of that name opened last, or -1.
    int Find_Program(const QString &name) const;
    QList<int> Open_Programs() const;
    QString Program_Text(int program) const;
    QString Folder() const { return d_folder.path(); }

signals:
    void Changed();

private:
    struct TProgram
    {
        TDispatchObject *object;
        QString name;
        QString revision;
        QString machine_name;
    };
    struct TMachine
    {
        TDispatchObject *object;
        TEventSource *events;
    };

    void Write_Type_Libraries() const;
    void Register_Running_Object();
    void Revoke_Running_Object();
    TMachine &Machine(const QString &name);
    TProgram *Program(int program);
    void Fire_Application(DISPID dispid, TDispatchObject *program, bool with_status = false);
    void Fire_Machine(int program, DISPID dispid, const std::vector<VARIANT> &arguments);

    QTemporaryDir d_folder;
    bool d_running;
    // The software's own hold on COM for its thread while it runs, as a real
    // server's: its class object and running object need it.
    bool d_com_joined;
    std::shared_ptr<bool> d_alive;
    HWND d_window;
    DWORD d_running_object;
    std::unique_ptr<TClassFactory> d_factory;
    TDispatchObject *d_application;
    TDispatchObject *d_application_events;
    TEventSource *d_application_source;
    std::map<QString, TMachine> d_machines;
    std::map<int, TProgram> d_programs;
    int d_next_program;
    int d_active_program;
    int d_hit_count;
};

#endif
