#include "src/monitor/ui/activeprogramwidget.h"

#include "src/recorder/recorder.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpacerItem>

namespace
{
QString Number_Text(qint64 value) { return QStringLiteral("%1").arg(value); }

QLineEdit *Read_Only_Field(QWidget *parent, const char *name)
{
    QLineEdit *field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    return field;
}

QLineEdit *Numeric_Field(QWidget *parent, const char *name)
{
    QLineEdit *field = Read_Only_Field(parent, name);
    field->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    field->setAlignment(Qt::AlignCenter);
    return field;
}
} // namespace

TActiveProgramWidget::TActiveProgramWidget(QWidget *parent)
    : QWidget(parent)
{
    QGridLayout *layout = new QGridLayout(this);

    d_collection_indicator = new QFrame(this);
    d_collection_indicator->setFrameShape(QFrame::StyledPanel);
    d_collection_indicator->setFrameShadow(QFrame::Plain);
    d_collection_indicator->setObjectName(QStringLiteral("collection_indicator"));
    d_program_name = Read_Only_Field(this, "program_name");
    d_program_revision = Read_Only_Field(this, "program_revision");
    d_execution_date = Read_Only_Field(this, "execution_date");
    d_execution_date->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    d_open_time = Numeric_Field(this, "open_time");
    d_execution_time = Numeric_Field(this, "execution_time");
    d_idle_time = Numeric_Field(this, "idle_time");
    d_point_count = Numeric_Field(this, "point_count");
    d_last_error_message = Read_Only_Field(this, "last_error_message");
    d_collection_indicator->setMinimumHeight(d_program_name->sizeHint().height());

    d_messages = new QPlainTextEdit(this);
    d_messages->setObjectName(QStringLiteral("messages"));
    QFont fixed_font(QStringLiteral("Courier New"));
    fixed_font.setFixedPitch(true);
    d_messages->setFont(fixed_font);
    d_messages->setWordWrapMode(QTextOption::NoWrap);
    d_messages->setReadOnly(true);

    const char *const labels[] = {"Collection Active:", "Program Name:", "Program Revision:",
                                  "Execution Date:",    "Open Time:",    "Execution Time:",
                                  "Idle Time:",         "Point Count:",  "Last Error Message:"};
    for (int row = 0; row < 9; ++row)
        layout->addWidget(new QLabel(QString::fromLatin1(labels[row]), this), row, 0);

    layout->addWidget(d_collection_indicator, 0, 1, 1, 3);
    layout->addWidget(d_program_name, 1, 1, 1, 3);
    layout->addWidget(d_program_revision, 2, 1, 1, 3);
    layout->addWidget(d_execution_date, 3, 1);
    layout->addWidget(d_open_time, 4, 1);
    layout->addWidget(new QLabel(QStringLiteral("sec"), this), 4, 2);
    layout->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 4, 3, 3, 1);
    layout->addWidget(d_execution_time, 5, 1);
    layout->addWidget(new QLabel(QStringLiteral("sec"), this), 5, 2);
    layout->addWidget(d_idle_time, 6, 1);
    layout->addWidget(new QLabel(QStringLiteral("sec"), this), 6, 2);
    layout->addWidget(d_point_count, 7, 1);
    layout->addWidget(d_last_error_message, 8, 1, 1, 3);
    layout->addWidget(d_messages, 9, 0, 1, 4);

    QWidget *const tab_order[] = {d_program_name, d_program_revision, d_execution_date,
                                  d_open_time,    d_execution_time,   d_idle_time,
                                  d_point_count,  d_last_error_message, d_messages};
    for (int i = 0; i + 1 < 9; ++i)
        setTabOrder(tab_order[i], tab_order[i + 1]);

    Reset();
}

void TActiveProgramWidget::Reset()
{
    d_program_name->setText(QString());
    d_program_revision->setText(QString());
    d_execution_date->setText(QString());
    d_last_error_message->setText(QString());
    d_open_time->setText(QStringLiteral("0"));
    d_idle_time->setText(QStringLiteral("0"));
    d_execution_time->setText(QStringLiteral("0"));
    d_point_count->setText(QStringLiteral("0"));
    d_messages->clear();
}

void TActiveProgramWidget::Set_Collection_Active(bool active)
{
    d_collection_indicator->setStyleSheet(active ? QStringLiteral("background-color: rgb(0, 128, 0);") : QString());
}

void TActiveProgramWidget::Set_Program_Name(const QString &name) { d_program_name->setText(name); }

void TActiveProgramWidget::Set_Program_Revision(const QString &revision) { d_program_revision->setText(revision); }

void TActiveProgramWidget::Set_Execution_Date(const QString &date) { d_execution_date->setText(date); }

void TActiveProgramWidget::Set_Times(int open_seconds, int execution_seconds, int idle_seconds)
{
    d_open_time->setText(Number_Text(open_seconds));
    d_execution_time->setText(Number_Text(execution_seconds));
    d_idle_time->setText(Number_Text(idle_seconds));
}

void TActiveProgramWidget::Set_Point_Count(int count) { d_point_count->setText(Number_Text(count)); }

void TActiveProgramWidget::Set_Last_Error_Message(const QString &message) { d_last_error_message->setText(message); }

void TActiveProgramWidget::Add_Message(const QString &message) { d_messages->appendPlainText(message); }

void TActiveProgramWidget::Follow(const TRecorder *recorder)
{
    connect(recorder, &TRecorder::Message, this, &TActiveProgramWidget::Add_Message);
    connect(recorder, &TRecorder::Panel_Reset, this, &TActiveProgramWidget::Reset);
    connect(recorder, &TRecorder::Collection_Changed, this, &TActiveProgramWidget::Set_Collection_Active);
    connect(recorder, &TRecorder::Times_Changed, this, &TActiveProgramWidget::Set_Times);
    connect(recorder, &TRecorder::Point_Count_Changed, this, &TActiveProgramWidget::Set_Point_Count);
    connect(recorder, &TRecorder::Last_Error_Changed, this, &TActiveProgramWidget::Set_Last_Error_Message);
    connect(recorder, &TRecorder::Program_Started, this,
            [this](const QString &name, const QString &revision, const QString &date_text) {
                Set_Program_Name(name);
                Set_Program_Revision(revision);
                Set_Execution_Date(date_text);
            });
}
