#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test.
# The tests start the servers they talk to (Dovecot, the SMTP server, cupsd,
# the service simulator) on loopback themselves.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" -j"$(nproc)"
ctest --test-dir "$top/build" --output-on-failure -j"$(nproc)" "$@"
