#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs the print
# utility once on built-in defaults, in a demo folder of its own.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" -j"$(nproc)"

demo="${TORVEX_DEMO_DIR:-$top/build/demo}"
mkdir -p "$demo"
export TORVEX_HOME="$demo/home" TORVEX_INI="$demo/torvex.ini"
mkdir -p "$TORVEX_HOME"
"$top/build/bin/vxprintu" /6
echo
echo "Summary of the run (from $TORVEX_INI):"
grep -E '^(VXPrint|print_status|last_error|session)=' "$TORVEX_INI"
