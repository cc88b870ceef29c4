#ifndef QUORVEX_DEMO_H
#define QUORVEX_DEMO_H

#include "src/common/homefolder.h"

#include <QObject>
#include <QString>

#include <memory>

class TDemoScript;
class TMeasurementSoftware;
class TQuorvex;
class TSimulatorWindow;

// The demo: the Quorvex window on a data folder of its own beside the
// simulator and its control window, whose "Play sample shift" plays a shift on
// both. Lives on the GUI thread and owns all of it.
class TDemo : public QObject
{
    Q_OBJECT

public:
    static const QString SAMPLE_SHIFT;
    static const QString FIRST_START_HINT;

    TDemo();
    ~TDemo() override;

    // Checks a script before anything is made (the data folder untouched).
    bool Load_Script(const QString &file_name, QString *error);
    // Makes the windows on FOLDER and shows them.
    void Show(const QString &folder = THomeFolder::Data_Folder(THomeFolder::DEMO));
    void Run_Script();
    // Plays the sample shift, its waits shortened by SPEED; false while one plays.
    bool Play_Sample(int speed = 1);
    TQuorvex *Window() const { return d_window.get(); }
    TSimulatorWindow *Control() const { return d_control.get(); }

signals:
    void Quit_Requested();
    void Sample_Finished();

private:
    static const int DEMO_STOP_SECONDS = 5;
    static void Seed_Settings(const QString &folder);

    std::unique_ptr<TMeasurementSoftware> d_software;
    std::unique_ptr<TDemoScript> d_script;
    std::unique_ptr<TDemoScript> d_sample;
    // Declared last, so deleted first: the window lets go of the software's
    // objects before the software ends.
    std::unique_ptr<TSimulatorWindow> d_control;
    std::unique_ptr<TQuorvex> d_window;
};

#endif
