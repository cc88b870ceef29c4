#include "src/app/quorvex.h"
#include "src/app/startclaim.h"
#include "src/common/leftthreads.h"
#include "src/common/localzone.h"
#include "src/instance/singleinstance.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    TLocalZone::Keep_Zone_Read();
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("fusion")));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvex.png")));
    // A second start brings the first forward and records nothing. Started at
    // logon ("--at-logon", the installer's entry) a start that ends also says
    // why in the system's event log.
    TSingleInstance instance(THomeFolder::Data_Folder());
    int exit_code = 0;
    if (!TStartClaim::Claim(
            &instance, QApplication::arguments().contains(QLatin1String(TStartClaim::AT_LOGON)), &exit_code))
        return exit_code;

    TQuorvex *window = new TQuorvex;
    TStartClaim::Tell_Listen_Error(instance, window);
    QObject::connect(&instance, &TSingleInstance::Asked_Forward, window, &TQuorvex::Come_Forward);
    window->show();
    const int result = application.exec();
    delete window;
    // A thread left waiting on a vanished network would meet the toolkit torn
    // down around it: everything of ours is stored, so the process ends here.
    TLeftThreads::Exit_If_Running(result);
    return result;
}
