#ifndef QUORVEX_ACTIVEPROGRAMWIDGET_H
#define QUORVEX_ACTIVEPROGRAMWIDGET_H

#include <QWidget>

class QFrame;
class QLineEdit;
class QPlainTextEdit;
class TRecorder;

// The "Active" page: the part program being collected, its running times in
// whole seconds, its point count, the last controller message and a log. It
// shows what the recorder says; nothing is read back from it.
class TActiveProgramWidget : public QWidget
{
    Q_OBJECT

public:
    explicit TActiveProgramWidget(QWidget *parent = nullptr);

    // Shows from now on what the recorder says.
    void Follow(const TRecorder *recorder);

    void Reset();
    void Set_Collection_Active(bool active);
    void Set_Program_Name(const QString &name);
    void Set_Program_Revision(const QString &revision);
    void Set_Execution_Date(const QString &date);
    void Set_Times(int open_seconds, int execution_seconds, int idle_seconds);
    void Set_Point_Count(int count);
    void Set_Last_Error_Message(const QString &message);
    void Add_Message(const QString &message);

private:
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
};

#endif
