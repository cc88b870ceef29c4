#include "sim/demoscript.h"

#include "sim/measurementsoftware.h"
#include "src/app/quorvex.h"
#include "src/app/windowstops.h"
#include "src/browse/datawidget.h"
#include "src/stops/ui/stopprompt.h"

#include <QAction>
#include <QFile>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>

namespace
{
// How often and how long "wait attached" or "wait detached" looks at the window.
const int ATTACH_POLL_MSEC = 50;
const int ATTACH_LIMIT_MSEC = 60000;

// "-" stands for an empty revision or name.
QString Word(const QString &word)
{
    return word == QLatin1String("-") ? QString() : word;
}
} // namespace

TDemoScript::TDemoScript(TMeasurementSoftware *software, QObject *parent)
    : QObject(parent), d_software(software), d_window(nullptr), d_next_step(0), d_last_program(-1),
      d_speed(1), d_waited_msec(0), d_running(false)
{
}

bool TDemoScript::Load(const QString &file_name)
{
    QFile file(file_name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    {
        d_error_text = QStringLiteral("%1: cannot be read").arg(file_name);
        return false;
    }
    if (Parse(QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))))
        return true;
    d_error_text = file_name + QLatin1Char(':') + d_error_text;
    return false;
}

bool TDemoScript::Parse(const QStringList &lines)
{
    d_steps.clear();
    for (int number = 1; number <= lines.size(); ++number)
    {
        const QString line = lines.at(number - 1).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        TStep step;
        const int blank = line.indexOf(QLatin1Char(' '));
        step.command = blank < 0 ? line : line.left(blank);
        step.text = blank < 0 ? QString() : line.mid(blank + 1).trimmed();
        step.words = step.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!Valid(step))
        {
            d_error_text = QStringLiteral("%1: unknown line: %2").arg(number).arg(line);
            d_steps.clear();
            return false;
        }
        d_steps.push_back(step);
    }
    return true;
}

bool TDemoScript::Valid(const TStep &step)
{
    const QString &command = step.command;
    if (command == QLatin1String("wait") &&
        (step.text == QLatin1String("attached") || step.text == QLatin1String("detached")))
        return true;
    if (command == QLatin1String("wait"))
    {
        bool number = false;
        const int msec = step.text.toInt(&number);
        return number && msec >= 0 && step.words.size() == 1;
    }
    if (command == QLatin1String("open"))
        return step.words.size() >= 3;
    if (command == QLatin1String("error") || command == QLatin1String("close"))
        return true;
    if (command == QLatin1String("page") || command == QLatin1String("reason") ||
        command == QLatin1String("say"))
        return !step.text.isEmpty();
    if (command == QLatin1String("monitor"))
        return QStringList{"", "on", "off"}.contains(step.text);
    if (command == QLatin1String("select"))
        return QStringList{"dates", "programs"}.contains(step.text);
    const QStringList plain{"software-start", "software-quit", "start", "end", "hit",
                            "learn",          "minimise",      "quit"};
    return plain.contains(command) && step.text.isEmpty();
}

void TDemoScript::Start(TQuorvex *window)
{
    d_window = window;
    d_next_step = 0;
    d_running = true;
    QTimer::singleShot(0, this, &TDemoScript::Next);
}

void TDemoScript::Next()
{
    if (d_next_step >= d_steps.size())
    {
        d_running = false;
        emit Finished();
        return;
    }
    const TStep step = d_steps[d_next_step];
    // The window attaches about a second after the software shows and sees it
    // gone within a second, later on a busy machine: what follows must wait.
    // A reason answers the question, which comes once the stop is long enough.
    const bool attached = d_window->Attached();
    const bool waiting =
        (step.command == QLatin1String("wait") && ((step.text == QLatin1String("attached") && !attached) ||
                                                   (step.text == QLatin1String("detached") && attached))) ||
        (step.command == QLatin1String("reason") && d_window->Stops()->Prompt()->isHidden());
    if (waiting && d_waited_msec < ATTACH_LIMIT_MSEC)
    {
        d_waited_msec += ATTACH_POLL_MSEC;
        QTimer::singleShot(ATTACH_POLL_MSEC, this, &TDemoScript::Next);
        return;
    }
    d_waited_msec = 0;
    ++d_next_step;
    if (step.command == QLatin1String("quit"))
    {
        d_running = false;
        d_window->close();
        emit Quit_Requested();
        return;
    }
    Perform(step);
    // Between two lines the event loop runs, as it would between two things a person does.
    const int delay = step.command == QLatin1String("wait") ? step.text.toInt() / d_speed : 0;
    QTimer::singleShot(delay, this, &TDemoScript::Next);
}

// What a person does in the Quorvex window, through its own widgets.
void TDemoScript::Perform_On_Window(const TStep &step)
{
    const QString &command = step.command;
    if (command == QLatin1String("monitor"))
    {
        // "on" and "off" leave a window that already is so as it is.
        if (step.text == QLatin1String(d_window->Monitoring() ? "on" : "off"))
            return;
        for (QAction *action : d_window->findChildren<QAction *>())
            if (action->text() == QLatin1String("Monitor"))
            {
                action->trigger();
                break;
            }
    }
    else if (command == QLatin1String("minimise"))
        d_window->showMinimized();
    else if (command == QLatin1String("reason"))
    {
        // "reason Other | the fixture was missing": a note after the bar.
        const QString reason = step.text.section(QLatin1String(" | "), 0, 0).trimmed();
        const QString note = step.text.section(QLatin1String(" | "), 1).trimmed();
        if (!d_window->Stops()->Prompt()->Answer(reason, note))
            d_window->Add_Message(
                QStringLiteral("WAR:  The script's reason '%1' is not asked for.").arg(reason));
    }
    else if (command == QLatin1String("page"))
    {
        for (QTabWidget *tabs : d_window->findChildren<QTabWidget *>())
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->tabText(i) == step.text)
                    tabs->setCurrentIndex(i);
    }
    else if (TDataWidget *list = d_window->findChild<TDataWidget *>(step.text == QLatin1String("dates")
                                                                        ? QStringLiteral("date_list")
                                                                        : QStringLiteral("program_list")))
        list->Select_All();
}

void TDemoScript::Perform(const TStep &step)
{
    const QString &command = step.command;
    if (command == QLatin1String("monitor") || command == QLatin1String("page") ||
        command == QLatin1String("select") || command == QLatin1String("minimise") ||
        command == QLatin1String("reason"))
        Perform_On_Window(step);
    else if (command == QLatin1String("say"))
        QTextStream(stdout) << step.text << Qt::endl;
    else if (command == QLatin1String("software-start"))
        d_software->Start();
    else if (command == QLatin1String("software-quit"))
        d_software->Quit();
    else if (command == QLatin1String("open"))
    {
        const QString name = step.text.section(QLatin1Char(' '), 2, -1, QString::SectionSkipEmpty);
        d_last_program = d_software->Open_Program(step.words.at(0), Word(step.words.at(1)), Word(name));
    }
    else if (command == QLatin1String("start"))
        d_software->Start_Execution(d_last_program);
    else if (command == QLatin1String("end"))
        d_software->End_Execution(d_last_program);
    else if (command == QLatin1String("hit"))
        d_software->Hit(d_last_program);
    else if (command == QLatin1String("learn"))
        d_software->Learn_Hit(d_last_program);
    else if (command == QLatin1String("error"))
    {
        QString text = step.text;
        d_software->Error_Message(d_last_program, text.replace(QLatin1String("\\n"), QLatin1String("\n")));
    }
    else if (command == QLatin1String("close"))
        d_software->Close_Program(step.text.isEmpty() ? d_last_program
                                                      : d_software->Find_Program(Word(step.text)));
}
