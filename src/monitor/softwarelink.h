#ifndef QUORVEX_SOFTWARELINK_H
#define QUORVEX_SOFTWARELINK_H

#include "core/automation.h"

#include <QObject>
#include <QString>

class TRecorder;

// The measurement software as the monitor reaches it through automation: the
// application object, its application events and the machine events of the
// active part program. Turns the events into plain signals (what opened or
// closed, on which kind of machine) and decides nothing about them. Lives on
// the GUI thread, where the events arrive.
class TSoftwareLink : public QObject
{
    Q_OBJECT

public:
    // What happens is told to the recorder as well as signalled.
    explicit TSoftwareLink(TRecorder *recorder, QObject *parent = nullptr);
    ~TSoftwareLink() override;

    // Attaches to the running software; the program already open, if any, is
    // reported as opened on the way. False, with the reason given by Status,
    // when it cannot.
    bool Connect();
    void Disconnect();

signals:
    void Program_Opened(const QString &name, const QString &revision, bool online);
    void Program_Closed(bool online);
    void Execution_Started();
    void Execution_Ended();
    void Machine_Event(const QString &event_name, const QString &message);
    // A text for the status bar: why something could not be reached.
    void Status(const QString &text);

private slots:
    void Application_Event(QString event_name, int argument_count, TAutomation::TArg *const arguments);
    void Machine_Signal(QString event_name, int argument_count, TAutomation::TArg *const arguments);

private:
    void Open_Part_Program(TAutomation *part_program);
    void Close_Part_Program(TAutomation *part_program);
    bool Init_Machine_Events(TAutomation *part_program);
    void Release_Machine();

    TAutomation d_application;
    TAutomation *d_application_events;
    TAutomation *d_machine;
    QString d_pcdmis_folder;
};

#endif
