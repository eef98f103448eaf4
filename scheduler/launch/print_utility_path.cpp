#include "scheduler/launch/print_utility_path.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace torvex {
namespace {

// The utility in a folder, by its configured name or that name without
// ".exe"; empty when neither is there.
QString existingUtility(const QString& folder, const QString& printExe)
{
    const QString path = folder + QLatin1Char('/') + printExe;
    if (QFileInfo::exists(path))
        return path;
    if (printExe.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive) && QFileInfo::exists(path.chopped(4)))
        return path.chopped(4);
    return {};
}

}  // namespace

QString printUtilityPath(const QString& appPath, const QString& printExe)
{
    QString path = existingUtility(appPath, printExe);
    // Installed, the programs are in bin/ and the program folder is the
    // user's data folder.
    if (path.isEmpty())
        path = existingUtility(QCoreApplication::applicationDirPath(), printExe);
    return path.isEmpty() ? appPath + QLatin1Char('/') + printExe : path;
}

}  // namespace torvex
