#include "sim/demoscript.h"
#include "sim/measurementsoftware.h"
#include "sim/simulatorwindow.h"
#include "src/localzone.h"
#include "src/quorvex.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>
#include <QTextStream>

// The Quorvex window beside the simulator's control window, optionally driven
// by a script: quorvex-demo [--script FILE].
int main(int argc, char *argv[])
{
    TLocalZone::Keep_Zone_Read();
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("fusion")));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvex.png")));

    const QStringList arguments = QApplication::arguments();
    const int script_option = arguments.indexOf(QStringLiteral("--script"));
    if (script_option >= 0 && script_option + 1 >= arguments.size())
    {
        QTextStream(stderr) << "usage: quorvex-demo [--script FILE]\n";
        return 2;
    }

    // The script is checked before anything is done, the home folder untouched.
    TMeasurementSoftware software;
    TDemoScript script(&software);
    if (script_option >= 0 && !script.Load(arguments.at(script_option + 1)))
    {
        QTextStream(stderr) << script.Error_Text() << "\n";
        return 2;
    }

    TQuorvex *window = new TQuorvex;

    TSimulatorWindow control(&software);
    window->show();
    control.move(window->frameGeometry().right() + 12, window->y());
    control.show();

    if (script_option >= 0)
    {
        QObject::connect(&script, &TDemoScript::Quit_Requested, &application, [&application]() { application.exit(0); });
        script.Start(window);
    }
    const int result = application.exec();
    delete window;
    return result;
}
