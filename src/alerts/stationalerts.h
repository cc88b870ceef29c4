#ifndef QUORVEX_STATIONALERTS_H
#define QUORVEX_STATIONALERTS_H

#include "src/alerts/alertjudge.h"

#include <QObject>

class QTimer;
class TClock;
class TRecorder;
class TWebhook;

// The alerts this station judges on its own recording: it follows the
// recorder (attached, executing, controller messages), asks the judge, and
// says each start and end in the panel, to whoever stores them and to the
// webhook. Lives on the GUI thread beside the recorder.
class TStationAlerts : public QObject
{
    Q_OBJECT

public:
    TStationAlerts(const TAlertSettings &settings, const TShiftCalendar &calendar, const TRecorder *recorder,
                   const TClock *clock, const QString &station_name, QObject *parent = nullptr);

    void Set_Shift_Calendar(const TShiftCalendar &calendar);
    // Brings the rules up to now (also every quarter minute by itself).
    void Advance();

signals:
    void Message(const QString &text);
    void Alert(const TAlertEvent &event);

private:
    void Follow();
    void Publish(const QVector<TAlertEvent> &events);

    TAlertSettings d_settings;
    TAlertJudge d_judge;
    const TRecorder *d_recorder;
    const TClock *d_clock;
    QString d_station_name;
    TWebhook *d_webhook;
    QTimer *d_timer;
    bool d_watching;
    bool d_executing;
};

#endif
