#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build folder and runs
# each for a bounded time from its seed corpora.
# Usage: run-libfuzzer.sh <build folder> <source folder> <clang++> <seconds per target>
set -euo pipefail
build=$1 source=$2 clang=$3 seconds=$4
cmake -S "$source" -B "$build" -G "Unix Makefiles" -DCMAKE_CXX_COMPILER="$clang" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVEX_BUILD_TESTS=OFF -DTORVEX_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j2 --target fuzz_mime_decoder fuzz_header_field
run() {
  local target=$1
  shift
  local corpus="$build/corpus-$target"
  mkdir -p "$corpus"
  "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$build/crash-$target-" "$corpus" "$@"
}
# Besides the hand-made hostile shapes, both start from mail that real mail
# software wrote, framed as the POP3 client stores it.
real="$build/seeds-real-mail"
mkdir -p "$real"
printf 'II*\0\10\0\0\0' >"$real/fax.tif"
for shape in $(python3 "$source/tests/support/real_mail.py" --shapes); do
  python3 "$source/tests/support/real_mail.py" "$shape" "$real/$shape.eml" --fax "$real/fax.tif" \
    --sender gw@example.org --to user@torvex.example
  { printf '+OK 1 octets\r\n'; sed -e 's/\r$//' -e 's/^\./../' -e 's/$/\r/' "$real/$shape.eml"; printf '.\r\n'; } \
    >"$real/$shape.txt"
  rm "$real/$shape.eml"
done
rm "$real/fax.tif"
run mime_decoder "$source/tests/fuzz/corpus/mime" "$real"
run header_field "$source/tests/fuzz/corpus/header" "$real"
