#ifndef QUORVEX_EXECUTION_H
#define QUORVEX_EXECUTION_H

#include <QDateTime>
#include <QString>
#include <QStringList>

// One execution of a part program: what the monitor collects while a program
// is open, what the station's file stores as one row of "program" with its
// figures and messages, and what reports print.
class TExecution
{
public:
    TExecution();

    QString Name() const { return d_name; }
    void Set_Name(const QString &name) { d_name = name; }
    QString Revision() const { return d_revision; }
    void Set_Revision(const QString &revision) { d_revision = revision; }
    QDateTime Date_Time() const { return d_date_time; }
    void Set_Date_Time(const QDateTime &date_time) { d_date_time = date_time; }

    int Execution_Time() const { return d_execution_time; }
    void Set_Execution_Time(int seconds);
    int Idle_Time() const { return d_idle_time; }
    void Set_Idle_Time(int seconds);
    int Point_Count() const { return d_point_count; }
    void Set_Point_Count(int count);
    // The figures as a file holds them: one edited by hand may hold negative
    // numbers, which a recording never makes, and they are read as none.
    void Set_Stored_Figures(int execution_seconds, int idle_seconds, int point_count);

    void Add_Error_Message(const QString &message) { d_error_messages.append(message); }
    int Error_Message_Count() const { return d_error_messages.size(); }
    QString Error_Message(int index) const;
    QStringList Error_Messages() const { return d_error_messages; }

    QString Date_Text() const;
    QString Time_Text() const;

    void Clear();

    void Remove_Illegal_Characters();
    static void Remove_Illegal_Characters(QString *str);
    static QString Remove_Illegal_Characters(const QString &str);

    bool operator==(const TExecution &other) const;
    bool operator!=(const TExecution &other) const { return !(*this == other); }

private:
    QString d_name;
    QString d_revision;
    QDateTime d_date_time;
    int d_execution_time;
    int d_idle_time;
    int d_point_count;
    QStringList d_error_messages;
};

#endif
