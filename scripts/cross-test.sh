#!/usr/bin/env bash
# Builds QvBase and its tests for another system and runs them there:
#   cross-test.sh mingw   Windows (MinGW-w64), tests under Wine
#   cross-test.sh s390x   big-endian s390x Linux, tests under qemu-s390x
# Installs the cross packages when missing. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
leg=${1:?usage: cross-test.sh mingw|s390x [ctest arguments]}
shift
bash scripts/install-deps.sh "$leg"

case "$leg" in
  mingw)
    # A fresh Wine prefix in a temporary folder, removed at the end. One
    # persistent wineserver serves every test program: started anew for
    # each, Wine would spend seconds per test on its own start-up.
    WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/qv-wine.XXXXXX")
    export WINEPREFIX WINEDEBUG=-all
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
    # The server is started before anything else uses the prefix (a second
    # one would refuse to start); its own output is not kept.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wineboot --init </dev/null >/dev/null 2>&1 || true
    # The prefix is ready once a program of its own runs.
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
    ;;
  s390x)
    # The comma-locale tests need the locale compiled for a big-endian
    # host; the test programs find it through LOCPATH.
    LOCPATH=$PWD/build/s390x/locale
    export LOCPATH
    if [ ! -d "$LOCPATH/de_DE.UTF-8" ]; then
      mkdir -p "$LOCPATH"
      localedef --big-endian -i de_DE -f UTF-8 "$LOCPATH/de_DE.UTF-8" ||
        echo "localedef failed: the comma-locale tests will be skipped"
    fi
    ;;
esac

cmake --preset "$leg"
cmake --build --preset "$leg"
ctest --preset "$leg" "$@"
