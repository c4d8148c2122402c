#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for SECONDS (default 20)
# from its saved corpus, then prints executions and coverage per target.
# New inputs go to build/fuzz/work/<target>; a crash, hang, leak or broken
# property leaves its input in build/fuzz/artifacts/<target>/ and makes the
# script exit non-zero. FUZZ_JOBS=2 runs two targets at a time; FUZZ_TARGETS
# picks some ("words numbers").
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
jobs=${FUZZ_JOBS:-1}
targets=${FUZZ_TARGETS:-"neutral qvnf words numbers file localmsg"}

if ! command -v clang++ >/dev/null 2>&1 ||
   ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
     >/dev/null 2>&1; then
  bash scripts/install-deps.sh fuzz
fi
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

bin=build/fuzz/fuzz
out=build/fuzz/logs
mkdir -p "$out"

run_one() {
  local t=$1 seconds=$2
  local work=build/fuzz/work/$t art=build/fuzz/artifacts/$t/
  mkdir -p "$work" "$art"
  local dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
  local rc=0
  ASAN_OPTIONS=detect_leaks=1 "$bin/${t}_fuzz" "$work" "fuzz/corpus/$t" \
    "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=1 -artifact_prefix="$art" \
    >"$out/$t.log" 2>&1 || rc=$?
  echo "$rc" >"$out/$t.rc"
}
export -f run_one
export bin out

printf '%s\n' $targets | xargs -P "$jobs" -I{} bash -c "run_one {} $seconds"

status=0
printf '%-10s %12s %8s %8s  %s\n' target executions edges features result
for t in $targets; do
  log=$out/$t.log
  rc=$(cat "$out/$t.rc")
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" |
          grep -o '[0-9]*$' || echo '?')
  last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
  cov=$(echo "$last" | grep -o 'cov: [0-9]*' | grep -o '[0-9]*' || echo '?')
  ft=$(echo "$last" | grep -o 'ft: [0-9]*' | grep -o '[0-9]*' || echo '?')
  result=ok
  if [ "$rc" -ne 0 ]; then
    result="FAILED (rc $rc, see $log)"
    status=1
  fi
  printf '%-10s %12s %8s %8s  %s\n' "$t" "$execs" "$cov" "$ft" "$result"
done
if [ $status -ne 0 ]; then
  for t in $targets; do
    [ "$(cat "$out/$t.rc")" -ne 0 ] || continue
    echo "== $t"
    grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$out/$t.log" |
      head -n 20
  done
fi
exit $status
