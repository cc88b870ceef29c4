#ifndef QUORVEX_DEMOSCRIPT_H
#define QUORVEX_DEMOSCRIPT_H

#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

class QMainWindow;
class TMeasurementSoftware;

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
    void Start(QMainWindow *window);

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
    static bool Valid(const TStep &step);

    TMeasurementSoftware *d_software;
    QMainWindow *d_window;
    std::vector<TStep> d_steps;
    size_t d_next_step;
    int d_last_program;
    QString d_error_text;
};

#endif
