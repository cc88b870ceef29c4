#ifndef QUORVEX_DEMOSCRIPT_H
#define QUORVEX_DEMOSCRIPT_H

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class TMeasurementSoftware;
class TQuorvex;

// A scripted shift for the demo: the lines of a file, performed in order on
// the simulator and the Quorvex window, with the event loop running between
// them. The whole file is checked before anything is done.
class TDemoScript : public QObject
{
    Q_OBJECT

public:
    explicit TDemoScript(TMeasurementSoftware *software, QObject *parent = nullptr);

    // False when the file cannot be read or holds a line that is not a command;
    // Error_Text then names the line.
    bool Load(const QString &file_name);
    bool Parse(const QStringList &lines);
    QString Error_Text() const { return d_error_text; }
    // Performs the lines on the simulator and this window.
    void Start(TQuorvex *window);
    bool Running() const { return d_running; }
    // Waits shortened by FACTOR, for a test that needs the order, not the pace.
    void Set_Speed(int factor) { d_speed = factor; }

signals:
    // The script ran "quit": the window was closed through its close handler.
    void Quit_Requested();
    void Finished();

private:
    struct TStep
    {
        QString command;
        QString text;
        QStringList words;
    };

    void Next();
    void Perform(const TStep &step);
    void Perform_On_Window(const TStep &step);
    static bool Valid(const TStep &step);

    TMeasurementSoftware *d_software;
    TQuorvex *d_window;
    std::vector<TStep> d_steps;
    size_t d_next_step;
    int d_last_program;
    int d_speed;
    // How long the current "wait attached" has waited.
    int d_waited_msec;
    bool d_running;
    QString d_error_text;
};

#endif
