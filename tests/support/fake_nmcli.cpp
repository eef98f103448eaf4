#include "fake_nmcli.h"

#include "test_env.h"

#include <QFile>
#include <QtTest>

namespace torvex::test {

namespace {

// Each active connection is a file in state/active/ named after it and
// holding its state.
const char kScript[] = R"SH(#!/bin/sh
state="$(dirname "$0")/state"
echo "$*" >> "$state/calls"
esc() { printf '%s' "$1" | sed 's/\\/\\\\/g; s/:/\\:/g'; }
case "$*" in
  "-t -f NAME connection show")
    while IFS= read -r n; do esc "$n"; echo; done < "$state/profiles" ;;
  "-t -f NAME,STATE connection show --active")
    for f in "$state"/active/*; do
      if [ -f "$f" ]; then printf '%s:%s\n' "$(esc "$(basename "$f")")" "$(cat "$f")"; fi
    done ;;
  "connection up id "*)
    name="${*#connection up id }"
    sleep "$(cat "$state/up-delay")"
    if [ "$(cat "$state/up-activates")" = yes ]; then
      printf activated > "$state/up.new" && mv "$state/up.new" "$state/active/$name"
      echo "Connection successfully activated"
    else
      echo "Error: Connection activation failed." >&2; exit 4
    fi ;;
  "connection down id "*)
    rm -f "$state/active/${*#connection down id }" ;;
  *) echo "Error: unexpected call" >&2; exit 2 ;;
esac
)SH";

}  // namespace

FakeNmcli::FakeNmcli() : oldPath_(qgetenv("PATH"))
{
    QDir(dir_.path()).mkpath(QStringLiteral("state/active"));
    const QString script = dir_.filePath(QStringLiteral("nmcli"));
    QVERIFY(writeWholeFile(script, kScript));
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const char* name : {"profiles", "calls"})
        QVERIFY(writeWholeFile(dir_.filePath(QStringLiteral("state/") + QLatin1String(name)), {}));
    setUpActivates(true);
    qputenv("PATH", dir_.path().toLocal8Bit() + ':' + oldPath_);
}

FakeNmcli::~FakeNmcli()
{
    qputenv("PATH", oldPath_);
}

void FakeNmcli::setProfiles(const QStringList& names) const
{
    const QByteArray text = (names.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    QVERIFY(writeWholeFile(dir_.filePath(QStringLiteral("state/profiles")), text));
}

void FakeNmcli::setActive(const QString& name, const QString& state) const
{
    const QString path = dir_.filePath(QStringLiteral("state/active/") + name);
    QFile::remove(path);
    if (!state.isEmpty()) {
        QVERIFY(writeWholeFile(dir_.filePath(QStringLiteral("state/set.new")), state.toUtf8()));
        QFile::rename(dir_.filePath(QStringLiteral("state/set.new")), path);
    }
}

void FakeNmcli::setUpActivates(bool activates, double upDelaySeconds) const
{
    QVERIFY(writeWholeFile(dir_.filePath(QStringLiteral("state/up-activates")), activates ? "yes\n" : "no\n"));
    QVERIFY(writeWholeFile(dir_.filePath(QStringLiteral("state/up-delay")), QByteArray::number(upDelaySeconds) + '\n'));
}

QStringList FakeNmcli::calls() const
{
    return QString::fromUtf8(readWholeFile(dir_.filePath(QStringLiteral("state/calls"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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
