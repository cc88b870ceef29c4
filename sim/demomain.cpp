#include "sim/demo.h"
#include "src/app/quorvex.h"
#include "src/app/startclaim.h"
#include "src/common/leftthreads.h"
#include "src/common/localzone.h"
#include "src/instance/singleinstance.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>
#include <QTextStream>

#include <memory>

// The Quorvex window beside the simulator's control window, on the demo's own
// data folder, optionally driven by a script: quorvex-demo [--script FILE]
// [--at-logon], the latter as the program's logon start has it.
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
        QTextStream(stderr) << "usage: quorvex-demo [--script FILE] [--at-logon]\n";
        return 2;
    }

    auto demo = std::make_unique<TDemo>();
    QString error;
    if (script_option >= 0 && !demo->Load_Script(arguments.at(script_option + 1), &error))
    {
        QTextStream(stderr) << error << "\n";
        return 2;
    }
    // One demo a folder, as one program: a second start brings the first forward.
    TSingleInstance instance(THomeFolder::Data_Folder(THomeFolder::DEMO));
    int exit_code = 0;
    if (!TStartClaim::Claim(&instance, arguments.contains(QLatin1String(TStartClaim::AT_LOGON)), &exit_code))
        return exit_code;
    demo->Show();
    TStartClaim::Tell_Listen_Error(instance, demo->Window());
    QObject::connect(&instance, &TSingleInstance::Asked_Forward, demo->Window(), &TQuorvex::Come_Forward);
    if (script_option >= 0)
    {
        QObject::connect(demo.get(), &TDemo::Quit_Requested, &application,
                         [&application]() { application.exit(0); });
        demo->Run_Script();
    }
    const int result = application.exec();
    demo.reset();
    TLeftThreads::Exit_If_Running(result);
    return result;
}
