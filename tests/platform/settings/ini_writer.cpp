// ini_writer <file> <prefix> <count>: writes <prefix><n>=<n> for n < count.
#include "platform/settings/ini_file.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return 2;
    const torvex::IniFile file(args[1]);
    const int count = args[3].toInt();
    int failures = 0;
    for (int n = 0; n < count; ++n) {
        if (!file.write(QStringLiteral("TORVEX"), args[2] + QString::number(n), QString::number(n)))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}
