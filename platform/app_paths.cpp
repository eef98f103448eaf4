#include "app_paths.h"

#include <QCoreApplication>
#include <QDir>

namespace torvex {

QString programFolder()
{
    const QString home = qEnvironmentVariable("TORVEX_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(QDir(home).absolutePath());
    return QCoreApplication::applicationDirPath();
}

QString inProgramFolder(const QString& name)
{
    return programFolder() + QLatin1Char('/') + name;
}

}  // namespace torvex
