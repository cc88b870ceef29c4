#include "tests/support/testhome.h"

#include "src/common/homefolder.h"

#include <QtGlobal>

namespace
{
// HOME for what Qt finds through it on other systems, the program's own
// variable for Windows, where the profile folder ignores HOME, and the user's
// data folder of other systems, which a set XDG_DATA_HOME would keep outside.
const char *const VARIABLES[] = {"HOME", THomeFolder::VARIABLE, "XDG_DATA_HOME"};
} // namespace

TTestHome::TTestHome()
{
    for (const char *name : VARIABLES)
    {
        d_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, d_dir.path().toLocal8Bit());
    }
}

TTestHome::~TTestHome()
{
    for (const TSaved &saved : d_saved)
        if (saved.was_set)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
}

void TTestHome::Apply(QProcessEnvironment *environment) const
{
    for (const char *name : VARIABLES)
        environment->insert(QLatin1String(name), d_dir.path());
}
