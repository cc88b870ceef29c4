#include "src/common/localzone.h"
#include "src/app/quorvex.h"

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
    return result;
}
