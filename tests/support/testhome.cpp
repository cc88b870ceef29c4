#include "tests/support/testhome.h"

#include <QtGlobal>

TTestHome::TTestHome() : d_saved_home(qgetenv("HOME")), d_had_home(qEnvironmentVariableIsSet("HOME"))
{
    qputenv("HOME", d_dir.path().toLocal8Bit());
}

TTestHome::~TTestHome()
{
    if (d_had_home)
        qputenv("HOME", d_saved_home);
    else
        qunsetenv("HOME");
}
