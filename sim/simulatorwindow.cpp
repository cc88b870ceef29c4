#include "sim/simulatorwindow.h"

#include "sim/measurementsoftware.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TSimulatorWindow::TSimulatorWindow(TMeasurementSoftware *software, QWidget *parent)
    : QWidget(parent), d_software(software)
{
    setWindowTitle(QStringLiteral("Measurement software simulator"));
    QVBoxLayout *layout = new QVBoxLayout(this);

    d_sample = new QPushButton(QStringLiteral("Play sample shift"), this);
    d_sample->setToolTip(QStringLiteral("Starts the software, switches Quorvex's monitoring on and plays about forty "
                                        "seconds of a shift: programs opened, executed and closed, hits, a "
                                        "controller message, the software quitting and coming back."));
    layout->addWidget(d_sample);
    connect(d_sample, &QPushButton::clicked, this, &TSimulatorWindow::Sample_Requested);

    QGroupBox *software_box = new QGroupBox(QStringLiteral("Software"), this);
    QHBoxLayout *software_layout = new QHBoxLayout(software_box);
    d_state = new QLabel(software_box);
    d_start = new QPushButton(QStringLiteral("Start"), software_box);
    d_quit = new QPushButton(QStringLiteral("Quit"), software_box);
    software_layout->addWidget(d_state, 1);
    software_layout->addWidget(d_start);
    software_layout->addWidget(d_quit);
    layout->addWidget(software_box);

    QGroupBox *open_box = new QGroupBox(QStringLiteral("Open a part program"), this);
    QFormLayout *open_layout = new QFormLayout(open_box);
    d_machine = new QLineEdit(QStringLiteral("CMM1"), open_box);
    d_revision = new QLineEdit(QStringLiteral("A"), open_box);
    d_name = new QLineEdit(QStringLiteral("BRACKET_A"), open_box);
    d_open = new QPushButton(QStringLiteral("Open"), open_box);
    open_layout->addRow(QStringLiteral("Machine:"), d_machine);
    open_layout->addRow(QStringLiteral("Revision:"), d_revision);
    open_layout->addRow(QStringLiteral("Name:"), d_name);
    open_layout->addRow(QString(), d_open);
    layout->addWidget(open_box);

    QGroupBox *program_box = new QGroupBox(QStringLiteral("Open part programs"), this);
    QGridLayout *program_layout = new QGridLayout(program_box);
    d_programs = new QListWidget(program_box);
    program_layout->addWidget(d_programs, 0, 0, 1, 3);
    const struct
    {
        const char *text;
        bool (TMeasurementSoftware::*action)(int);
    } actions[] = {{"Start execution", &TMeasurementSoftware::Start_Execution},
                   {"End execution", &TMeasurementSoftware::End_Execution},
                   {"Close", &TMeasurementSoftware::Close_Program},
                   {"Hit", &TMeasurementSoftware::Hit},
                   {"Learned hit", &TMeasurementSoftware::Learn_Hit}};
    int index = 0;
    for (const auto &action : actions)
    {
        QPushButton *button = new QPushButton(QLatin1String(action.text), program_box);
        program_layout->addWidget(button, 1 + index / 3, index % 3);
        const auto member = action.action;
        connect(button, &QPushButton::clicked, this, [this, member]() { (d_software->*member)(Selected_Program()); });
        d_program_buttons.append(button);
        ++index;
    }
    d_message = new QLineEdit(QStringLiteral("Probe hit unexpected"), program_box);
    QPushButton *message = new QPushButton(QStringLiteral("Controller message"), program_box);
    program_layout->addWidget(d_message, 3, 0, 1, 2);
    program_layout->addWidget(message, 3, 2);
    d_program_buttons.append(message);
    layout->addWidget(program_box);

    connect(d_start, &QPushButton::clicked, d_software, &TMeasurementSoftware::Start);
    connect(d_quit, &QPushButton::clicked, d_software, &TMeasurementSoftware::Quit);
    connect(d_open, &QPushButton::clicked, this, [this]() {
        d_software->Open_Program(d_machine->text(), d_revision->text(), d_name->text());
    });
    connect(message, &QPushButton::clicked, this,
            [this]() { d_software->Error_Message(Selected_Program(), d_message->text()); });
    connect(d_programs, &QListWidget::currentRowChanged, this, [this]() {
        for (QPushButton *button : qAsConst(d_program_buttons))
            button->setEnabled(Selected_Program() >= 0);
    });
    connect(d_software, &TMeasurementSoftware::Changed, this, &TSimulatorWindow::Refresh);
    Refresh();
}

void TSimulatorWindow::Set_Sample_Playing(bool playing)
{
    d_sample->setEnabled(!playing);
    d_sample->setText(playing ? QStringLiteral("Sample shift playing...") : QStringLiteral("Play sample shift"));
}

int TSimulatorWindow::Selected_Program() const
{
    const QListWidgetItem *item = d_programs->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : -1;
}

void TSimulatorWindow::Refresh()
{
    const bool running = d_software->Is_Running();
    d_state->setText(running ? QStringLiteral("Running: its main window shows.") : QStringLiteral("Not running."));
    d_start->setEnabled(!running);
    d_quit->setEnabled(running);
    d_open->setEnabled(running);

    const int selected = Selected_Program();
    d_programs->clear();
    for (int program : d_software->Open_Programs())
    {
        QListWidgetItem *item = new QListWidgetItem(d_software->Program_Text(program), d_programs);
        item->setData(Qt::UserRole, program);
        if (program == selected || (selected < 0 && program == d_software->Open_Programs().last()))
            d_programs->setCurrentItem(item);
    }
    if (!d_programs->currentItem() && d_programs->count() > 0)
        d_programs->setCurrentRow(d_programs->count() - 1);
    for (QPushButton *button : qAsConst(d_program_buttons))
        button->setEnabled(Selected_Program() >= 0);
}
