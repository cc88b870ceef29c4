#include "src/app/quorvex.h"
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
    // A second start brings the first forward and records nothing.
    TSingleInstance instance(THomeFolder::Data_Folder());
    if (!instance.Claim())
        return 0;

    TQuorvex *window = new TQuorvex;
    QObject::connect(&instance, &TSingleInstance::Asked_Forward, window, &TQuorvex::Come_Forward);
    window->show();
    const int result = application.exec();
    delete window;
    // A thread left waiting on a vanished network would meet the toolkit torn
    // down around it: everything of ours is stored, so the process ends here.
    TLeftThreads::Exit_If_Running(result);
    return result;
}
