#include "src/homefolder.h"

#include <QDir>

const char *const THomeFolder::VARIABLE = "QUORVEX_HOME";

QString THomeFolder::Path()
{
    const QString chosen = qEnvironmentVariable(VARIABLE);
    return chosen.isEmpty() ? QDir::homePath() : QDir::cleanPath(chosen);
}
