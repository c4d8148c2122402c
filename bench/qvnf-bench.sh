#!/usr/bin/env bash
# qvnf beside `cat FILE > /dev/null` of the same page-cached file, in one
# run: for each file and command the shortest wall time of a few runs and
# the least CPU time (user and system) of a run, each with its ratio to
# cat's, and the peak resident memory (/usr/bin/time -v). On a machine
# that other work shares, the CPU times vary less than the wall times. The files are made with the library by qvnf_files
# (see bench/qvnf_files.cpp): top-level chains of 10^4 to 10^6 blocks of 24
# bytes, a nest of 1.4 million blocks, nests 10^4 and 10^5 deep and a
# 1.90 GiB file of 8 blocks of floats, each with a copy that differs in one
# byte for diff. Output goes to /dev/null; salvage writes to /dev/shm when
# there is one, so that the figure is the tool's and not the storage's sync.
#
#   bash bench/qvnf-bench.sh            # all files (needs ~6 GiB of disk)
#   QVNF_BENCH_SMALL=1 bash bench/...   # without the 1.90 GiB file
#   QVNF=/path/to/qvnf bash bench/...   # another qvnf on the same files
#
# QVNF_BENCH_DIR keeps the files between runs (default: a temporary folder
# removed at the end); QVNF_BENCH_FILES and QVNF_BENCH_COMMANDS pick rows.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -x /usr/bin/time ]; then bash scripts/install-deps.sh bench; fi
build=build/release
if [ -z "${QVNF:-}" ] || [ ! -x "$build/bench/qvnf_files" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target qvnf qvnf_files >/dev/null
fi
qvnf=${QVNF:-$build/tools/qvnf/qvnf}
small=${QVNF_BENCH_SMALL:-}

dir=${QVNF_BENCH_DIR:-}
out= times_file=
cleanup() {
  [ -z "$out" ] || rm -rf "$out"
  rm -f "$times_file" "$times_file".[01]
  [ -n "${QVNF_BENCH_DIR:-}" ] || rm -rf "$dir"
}
trap cleanup EXIT
[ -n "$dir" ] || dir=$(mktemp -d "${TMPDIR:-/tmp}/qvnf-bench.XXXXXX")
mkdir -p "$dir"
if [ ! -s "$dir/files.txt" ] ||
   { [ -z "$small" ] && ! grep -q '^floats ' "$dir/files.txt"; }; then
  echo "making the files in $dir"
  "$build/bench/qvnf_files" "$dir" ${small:+small} >"$dir/files.txt"
fi
times_file=$dir/times.$$
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  out=$(mktemp -d /dev/shm/qvnf-bench.XXXXXX)
else
  out=$(mktemp -d "$dir/out.XXXXXX")
fi

files=${QVNF_BENCH_FILES:-"chain-1e4 chain-1e5 chain-1e6 nest deep-1e4 deep-1e5 floats"}
commands=${QVNF_BENCH_COMMANDS:-"info check blocks tree tree-json dump-last diff salvage"}

now_us() { local t=$EPOCHREALTIME; echo "${t/./}"; }

# CPU time (user and system) of this shell's finished children, in
# microseconds, from the second line of `times` ("0m0.012s 0m0.004s").
# (`times` must run in this shell, not in a subshell of its own.)
child_cpu_us() {
  times >"$times_file"
  awk 'NR == 2 {
    us = 0
    for (i = 1; i <= 2; i++) { split($i, p, "m"); sub("s", "", p[2]); us += (p[1] * 60 + p[2]) * 1000000 }
    printf "%d", us }' "$times_file"
}

# Runs the command `runs` times; sets best_us and best_cpu to the shortest
# wall time and the least CPU time of a run, in microseconds.
measure() {
  local runs=$1 t0 t1 c0 c1 i
  shift
  best_us=0 best_cpu=0
  for ((i = 0; i < runs; i++)); do
    rm -f "$out/qvnf-bench-out.qnf"  # salvage writes a new file each time
    child_cpu_us >"$times_file.0"
    t0=$(now_us)
    "$@" >/dev/null 2>&1 || true
    t1=$(now_us)
    child_cpu_us >"$times_file.1"
    c0=$(cat "$times_file.0") c1=$(cat "$times_file.1")
    if [ "$best_us" -eq 0 ] || [ $((t1 - t0)) -lt "$best_us" ]; then best_us=$((t1 - t0)); fi
    if [ "$best_cpu" -eq 0 ] || [ $((c1 - c0)) -lt "$best_cpu" ]; then best_cpu=$((c1 - c0)); fi
  done
  [ "$best_cpu" -gt 0 ] || best_cpu=1
}

# Peak resident memory of one run, in KiB.
peak_kib() {
  rm -f "$out/qvnf-bench-out.qnf"
  { /usr/bin/time -v "$@" 2>&1 >/dev/null || true; } |
    awk -F': ' '/Maximum resident/ {print $2}'
}

ms() { awk -v us="$1" 'BEGIN { printf "%.1f", us / 1000 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

echo "qvnf: $qvnf"
echo "wall: shortest of a few runs; cpu: least user + system time of a run"
printf '%-10s %-10s %9s %8s %7s %9s %8s %7s %9s\n' file command "wall ms" \
  "cat ms" "x cat" "cpu ms" "cat cpu" "x cat" "peak MiB"
for f in $files; do
  last=$(awk -v f="$f" '$1 == f { print $2 }' "$dir/files.txt")
  [ -n "$last" ] || continue
  a=$dir/$f.qnf b=$dir/$f-b.qnf
  size=$(stat -c %s "$a")
  runs=9
  [ "$size" -gt 500000000 ] && runs=2
  cat "$a" "$b" >/dev/null
  measure "$runs" cat "$a"
  cat_us=$best_us cat_cpu=$best_cpu
  for c in $commands; do
    case $c in
      info | check | blocks | tree) cmd=("$qvnf" "$c" "$a") ;;
      tree-json) cmd=("$qvnf" tree --json "$a") ;;
      dump-last) cmd=("$qvnf" dump "$a" --at "$last") ;;
      diff) cmd=("$qvnf" diff "$a" "$b") ;;
      salvage) cmd=("$qvnf" salvage "$a" "$out/qvnf-bench-out.qnf") ;;
      *) echo "unknown command $c" >&2; exit 2 ;;
    esac
    measure "$runs" "${cmd[@]}"
    kib=$(peak_kib "${cmd[@]}")
    printf '%-10s %-10s %9s %8s %7s %9s %8s %7s %9s\n' "$f" "$c" \
      "$(ms "$best_us")" "$(ms "$cat_us")" "$(ratio "$best_us" "$cat_us")" \
      "$(ms "$best_cpu")" "$(ms "$cat_cpu")" "$(ratio "$best_cpu" "$cat_cpu")" \
      "$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')"
  done
done

# The hex listing's cost per byte: the data of the nest's one top-level
# block, shown whole.
nest_at=$(awk '$1 == "nest" { print $2 }' "$dir/files.txt")
if [ -n "$nest_at" ] && [[ " $files " == *" nest "* ]]; then
  bytes=$(( $(stat -c %s "$dir/nest.qnf") - nest_at - 16 ))
  measure 3 "$qvnf" dump "$dir/nest.qnf" --at "$nest_at"
  awk -v us="$best_us" -v n="$bytes" \
    'BEGIN { printf "hex dump: %d bytes in %.1f ms, %.2f ns a byte\n", n, us / 1000, us * 1000 / n }'
fi
