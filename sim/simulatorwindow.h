#ifndef QUORVEX_SIMULATORWINDOW_H
#define QUORVEX_SIMULATORWINDOW_H

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TMeasurementSoftware;

// The simulator's control window, for people: start and quit the software,
// open part programs on named machines, and drive the selected one.
class TSimulatorWindow : public QWidget
{
    Q_OBJECT

public:
    explicit TSimulatorWindow(TMeasurementSoftware *software, QWidget *parent = nullptr);
    // While a sample shift plays, its button waits.
    void Set_Sample_Playing(bool playing);

signals:
    void Sample_Requested();

private:
    void Refresh();
    int Selected_Program() const;

    TMeasurementSoftware *d_software;
    QLabel *d_state;
    QPushButton *d_start;
    QPushButton *d_quit;
    QLineEdit *d_machine;
    QLineEdit *d_revision;
    QLineEdit *d_name;
    QPushButton *d_open;
    QListWidget *d_programs;
    QLineEdit *d_message;
    QList<QPushButton *> d_program_buttons;
    QPushButton *d_sample;
};

#endif
