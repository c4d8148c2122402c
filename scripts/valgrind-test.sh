#!/usr/bin/env bash
# Runs the release build's test suite under valgrind's memcheck: any
# invalid access, use of an uninitialised value or definite leak fails the
# test (--error-exitcode=1). Reports about code that is not QvBase's are
# suppressed by tests/valgrind.supp. Tests that only drive CMake scripts
# (the installed-package checks, the export list, the Python reader) are
# left out: valgrind would check CMake, not QvBase. Extra arguments go to
# ctest (for example -R QvNeutral for a subset).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v valgrind >/dev/null 2>&1 || bash scripts/install-deps.sh valgrind
cmake --preset release >/dev/null
cmake --build --preset release
options="--error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite"
options+=" --track-origins=yes --suppressions=$PWD/tests/valgrind.supp"
cd build/release
ctest -T memcheck --no-tests=error -j 2 \
  --overwrite MemoryCheckCommand="$(command -v valgrind)" \
  --overwrite MemoryCheckCommandOptions="$options" \
  -LE "consumer|allocfail" -E 'ExportedSymbols|IndependentReader' "$@"
