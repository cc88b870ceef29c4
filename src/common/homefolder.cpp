#include "src/common/homefolder.h"

#include <QDir>

const char *const THomeFolder::VARIABLE = "QUORVEX_HOME";
const char *const THomeFolder::PROGRAM = ".quorvex";
const char *const THomeFolder::DEMO = ".quorvex-demo";

QString THomeFolder::Path()
{
    const QString chosen = qEnvironmentVariable(VARIABLE);
    return chosen.isEmpty() ? QDir::homePath() : QDir::cleanPath(chosen);
}

QString THomeFolder::Data_Folder(const char *name)
{
    return QDir(Path()).absoluteFilePath(QLatin1String(name));
}
