#!/usr/bin/env bash
# Line and branch coverage of the whole test suite: builds a configuration
# of its own with gcc's --coverage (build/coverage, unoptimised, without the
# benchmarks and the outside-project test), runs every CTest test, and
# prints gcovr's line and branch figures for the library (src/) and for the
# qvnf tool (tools/qvnf) apart. Branches that only throw and branches the
# compiler shows unreachable are left out. A report only: it fails only when
# the build or a test fails. Installs gcovr (Debian package) when missing.
#
#   bash scripts/coverage.sh [--details]   # --details: per-file tables too
#
# The test suite runs in about a minute and a half here; the unoptimised
# build takes the rest of the few minutes it needs.
set -euo pipefail
cd "$(dirname "$0")/.."
details=0
[ "${1:-}" = "--details" ] && details=1

bash scripts/install-deps.sh
if ! command -v gcovr >/dev/null 2>&1; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends gcovr
fi

build=build/coverage
# Atomic counters: tests that run the library on several threads at once
# would otherwise lose counts in races, and gcov then prints negative
# counts that gcovr refuses to read.
flags="--coverage -fprofile-update=atomic"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="--coverage" \
  -DCMAKE_SHARED_LINKER_FLAGS="--coverage" \
  -DQV_WERROR=ON -DQV_BUILD_BENCH=OFF -DQV_CONSUMER_TEST=OFF \
  -DQV_BUILD_EXAMPLES=OFF >/dev/null
# Counts from an earlier run would add up with this one's, and would clash
# with the new build's when the test programs are listed after linking.
find "$build" -name '*.gcda' -delete
cmake --build "$build"

find "$build" -name '*.gcda' -delete
# Left out: the test that the library leaves the process when unloaded,
# since without optimisation the library exports instances of the C++
# library's own templates (std::string's), to which the C++ library binds
# and which then keep the library loaded.
ctest --test-dir "$build" --output-on-failure -j 2 \
  -E '^QvDisplayList\.Scene_reload$' >"$build/ctest.log" 2>&1 || {
  tail -n 40 "$build/ctest.log"
  echo "coverage: tests failed (whole log: $build/ctest.log)" >&2
  exit 1
}
grep -E '^[0-9]+% tests passed' "$build/ctest.log" || true

# One gcov pass over the build; both reports are read from its JSON. The
# fuzz targets' replays compile the tool's sources a second time (their
# library code is counted in src/ as any other run): gcovr reads gcov's
# text, which marks a branch as one that only throws on executed lines
# alone, so that second copy's unexecuted lines would bring back the throw
# branches that the tool's own copy leaves out. The tool is measured by its
# own copy, run by its tests.
trace="$build/coverage.json"
gcovr --root . --object-directory "$build" \
  --exclude-directories "$build/CMakeFiles" --exclude-directories "$build/fuzz" \
  --exclude-throw-branches --exclude-unreachable-branches \
  --filter 'src/' --filter 'tools/qvnf/' --json "$trace" "$build"

echo "== coverage of the test suite (throw and unreachable branches left out)"
for part in src/ tools/qvnf/; do
  if [ "$details" = 1 ]; then
    for kind in "" --branches; do
      gcovr --add-tracefile "$trace" --root . --filter "$part" \
        --exclude-throw-branches --exclude-unreachable-branches $kind
    done
  fi
  gcovr --add-tracefile "$trace" --root . --filter "$part" \
    --exclude-throw-branches --exclude-unreachable-branches \
    --print-summary -o /dev/null |
    awk -v part="${part%/}" '/^(lines|branches):/ { printf "%-11s %s\n", part, $0 }'
done
