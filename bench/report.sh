#!/usr/bin/env bash
# Runs every benchmark once and prints one table of their figures, each next
# to the peer program measured in the same run.
#   bench/report.sh [build folder]
# Sizes can be changed through BENCH_BASE64_MB, BENCH_POP3_COUNT,
# BENCH_POP3_KB, BENCH_PRINT_COUNT, BENCH_LARGE_MB, BENCH_FAXLOG_COUNT and
# BENCH_IDLE_SECONDS.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin="${1:-$top/build}/bin"
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT

run() {  # name, then the command line
  local name=$1; shift
  echo "running $name ..." >&2
  if ! "$@" >"$log/$name.out" 2>"$log/$name.err"; then
    echo "  $name failed (exit $?):" >&2
    tail -n 5 "$log/$name.err" "$log/$name.out" >&2
  fi
}

for program in bench_base64_decode bench_pop3_download bench_print_run_pdf bench_large_fax_memory bench_fax_log_open bench_scheduler_idle; do
  [ -x "$bin/$program" ] || { echo "$bin/$program is missing: build first (cmake --build build)" >&2; exit 2; }
done
run base64 "$bin/bench_base64_decode" "${BENCH_BASE64_MB:-20}"
run pop3 "$bin/bench_pop3_download" "${BENCH_POP3_COUNT:-200}" "${BENCH_POP3_KB:-100}"
run print "$bin/bench_print_run_pdf" "${BENCH_PRINT_COUNT:-100}" 3
run large "$bin/bench_large_fax_memory" "${BENCH_LARGE_MB:-100}"
run faxlog "$bin/bench_fax_log_open" "${BENCH_FAXLOG_COUNT:-10000}"
run idle "$bin/bench_scheduler_idle" "${BENCH_IDLE_SECONDS:-60}"

echo
echo "Benchmark report, $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores"
cat "$log"/{base64,pop3,print,large,faxlog,idle}.out 2>/dev/null | awk -F'\t' '
  BEGIN { printf "%-18s %-16s %12s  %-10s %12s %7s\n", "benchmark", "measure", "ours", "peer", "peer", "ratio"
          printf "%-18s %-16s %12s  %-10s %12s %7s\n", "---------", "-------", "----", "----", "----", "-----" }
  $1 == "figure" {
    ours = sprintf("%.3f %s", $4, $5)
    if ($6 == "") { peer = "-"; theirs = "-"; ratio = "-" }
    else { peer = $6; theirs = sprintf("%.3f %s", $7, $5); ratio = ($7 > 0) ? sprintf("%.2f", $4 / $7) : "-" }
    printf "%-18s %-16s %12s  %-10s %12s %7s\n", $2, $3, ours, peer, theirs, ratio
    rows++ }
  END { if (rows == 0) { print "no figures: every benchmark failed"; exit 1 } }'
