#include "fake_nmcli.h"

#include <QFile>
#include <QtTest>

namespace torvex::test {

namespace {

// Active connections are kept terse-escaped, one "NAME:STATE" a line.
const char kScript[] = R"SH(#!/bin/sh
state="$(dirname "$0")/state"
echo "$*" >> "$state/calls"
esc() { printf '%s' "$1" | sed 's/\\/\\\\/g; s/:/\\:/g'; }
case "$*" in
  "-t -f NAME connection show")
    while IFS= read -r n; do esc "$n"; echo; done < "$state/profiles" ;;
  "-t -f NAME,STATE connection show --active")
    cat "$state/active" ;;
  "connection up id "*)
    name="${*#connection up id }"
    sleep "$(cat "$state/up-delay")"
    if [ "$(cat "$state/up-activates")" = yes ]; then
      grep -v -F -x "$(esc "$name"):activated" "$state/active" > "$state/active.new"
      printf '%s:activated\n' "$(esc "$name")" >> "$state/active.new"
      mv "$state/active.new" "$state/active"
      echo "Connection successfully activated"
    else
      echo "Error: Connection activation failed." >&2; exit 4
    fi ;;
  "connection down id "*)
    name="${*#connection down id }"
    grep -v -F "$(esc "$name"):" "$state/active" > "$state/active.new"
    mv "$state/active.new" "$state/active" ;;
  *) echo "Error: unexpected call" >&2; exit 2 ;;
esac
)SH";

void writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QByteArray terse(const QString& field)
{
    QString out = field;
    out.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String(":"), QLatin1String("\\:"));
    return out.toUtf8();
}

}  // namespace

FakeNmcli::FakeNmcli() : oldPath_(qgetenv("PATH"))
{
    QDir(dir_.path()).mkpath(QStringLiteral("state"));
    const QString script = dir_.filePath(QStringLiteral("nmcli"));
    writeText(script, kScript);
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const char* name : {"profiles", "active", "calls"})
        writeText(dir_.filePath(QStringLiteral("state/") + QLatin1String(name)), {});
    setUpActivates(true);
    qputenv("PATH", dir_.path().toLocal8Bit() + ':' + oldPath_);
}

FakeNmcli::~FakeNmcli()
{
    qputenv("PATH", oldPath_);
}

void FakeNmcli::setProfiles(const QStringList& names) const
{
    QByteArray text;
    for (const QString& name : names)
        text += name.toUtf8() + '\n';
    writeText(dir_.filePath(QStringLiteral("state/profiles")), text);
}

void FakeNmcli::setActive(const QString& name, const QString& state) const
{
    const QString path = dir_.filePath(QStringLiteral("state/active"));
    QFile file(path);
    QByteArray kept;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty() && !line.startsWith(terse(name) + ':'))
                kept += line + '\n';
        }
    }
    if (!state.isEmpty())
        kept += terse(name) + ':' + state.toUtf8() + '\n';
    writeText(path + QStringLiteral(".new"), kept);
    QFile::remove(path);
    QFile::rename(path + QStringLiteral(".new"), path);
}

void FakeNmcli::setUpActivates(bool activates, double upDelaySeconds) const
{
    writeText(dir_.filePath(QStringLiteral("state/up-activates")), activates ? "yes\n" : "no\n");
    writeText(dir_.filePath(QStringLiteral("state/up-delay")), QByteArray::number(upDelaySeconds) + '\n');
}

QStringList FakeNmcli::calls() const
{
    QFile file(dir_.filePath(QStringLiteral("state/calls")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

NoNmcli::NoNmcli() : oldPath_(qgetenv("PATH"))
{
    qputenv("PATH", empty_.path().toLocal8Bit());
}

NoNmcli::~NoNmcli()
{
    qputenv("PATH", oldPath_);
}

}  // namespace torvex::test
