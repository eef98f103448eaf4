#include "profile_api.h"

#include "ini_file.h"

#include <QDir>

namespace torvex {

QString userIniPath()
{
    const QString configured = qEnvironmentVariable("TORVEX_INI");
    if (!configured.isEmpty())
        return configured;
    return QDir::homePath() + QStringLiteral("/.config/torvex/torvex.ini");
}

QString GetProfileStringA(const QString& section, const QString& key, const QString& defaultValue)
{
    return GetPrivateProfileStringA(section, key, defaultValue, userIniPath());
}

bool WriteProfileStringA(const QString& section, const QString& key, const QString& value)
{
    return WritePrivateProfileStringA(section, key, value, userIniPath());
}

QString GetPrivateProfileStringA(const QString& section, const QString& key,
                                 const QString& defaultValue, const QString& fileName)
{
    return IniFile(fileName).read(section, key, defaultValue).left(kProfileValueLimit);
}

bool WritePrivateProfileStringA(const QString& section, const QString& key, const QString& value,
                                const QString& fileName)
{
    return IniFile(fileName).write(section, key, value);
}

}  // namespace torvex
