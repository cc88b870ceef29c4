#ifndef QUORVEX_ACTIVEPROGRAMWIDGET_H
#define QUORVEX_ACTIVEPROGRAMWIDGET_H

#include <QWidget>

class QFrame;
class QLineEdit;
class QPlainTextEdit;

// The "Active" page: the part program being collected, its running times in
// whole seconds, its point count, the last controller message and a log.
// The stored execution and idle times are read back from the fields shown, so
// the display rules here are also the rules by which stored times are formed.
class TActiveProgramWidget : public QWidget
{
    Q_OBJECT

public:
    explicit TActiveProgramWidget(QWidget *parent = nullptr);

    void Reset();
    void Set_Collection_Active(bool active);
    void Set_Program_Name(const QString &name);
    void Set_Program_Revision(const QString &revision);
    void Set_Execution_Date(const QString &date);
    void Add_Open_Time(int msec);
    void Add_Execution_Time(int msec);
    void Set_Point_Count(int count);
    void Set_Last_Error_Message(const QString &message);
    void Add_Message(const QString &message);

    int Execution_Time() const;
    int Idle_Time() const;

private:
    void Refresh_Idle_Time();

    QFrame *d_collection_indicator;
    QLineEdit *d_program_name;
    QLineEdit *d_program_revision;
    QLineEdit *d_execution_date;
    QLineEdit *d_open_time;
    QLineEdit *d_execution_time;
    QLineEdit *d_idle_time;
    QLineEdit *d_point_count;
    QLineEdit *d_last_error_message;
    QPlainTextEdit *d_messages;
    // 64 bits: a program may stay open for longer than 2^31 milliseconds (24.8 days).
    qint64 d_execution_msec;
    qint64 d_open_msec;
};

#endif
