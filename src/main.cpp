#include "src/app/quorvex.h"
#include "src/common/leftthreads.h"
#include "src/common/localzone.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    TLocalZone::Keep_Zone_Read();
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("fusion")));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quorvex.png")));

    QMainWindow *window = new TQuorvex;
    window->show();
    const int result = application.exec();
    delete window;
    // A thread left waiting on a vanished network would meet the toolkit torn
    // down around it: everything of ours is stored, so the process ends here.
    TLeftThreads::Exit_If_Running(result);
    return result;
}
