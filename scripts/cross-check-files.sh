#!/usr/bin/env bash
# The same neutral file from every system: the store example writes its
# file natively, under Wine (Windows build) and under qemu-s390x (big-endian
# build); the files must be byte for byte the same, and qvnf of each system
# must give the same listing of each file. Needs the release, mingw and
# s390x builds (scripts/test.sh and scripts/cross-test.sh make them).
set -euo pipefail
cd "$(dirname "$0")/.."

native=build/release
windows=build/mingw/bin
big=build/s390x
sysroot=/usr/s390x-linux-gnu
work=$(mktemp -d "${TMPDIR:-/tmp}/qv-cross.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$work/wine
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
fi
export WINEDEBUG=-all

# Runs a program of the named system with the given arguments; Windows
# line ends become newlines so that listings compare as text.
run() {
  local system=$1 program=$2
  shift 2
  case $system in
    linux) "$native/$program" "$@" ;;
    windows) wine "$windows/$(basename "$program").exe" "$@" | tr -d '\r' ;;
    s390x) qemu-s390x -L "$sysroot" "$big/$program" "$@" ;;
  esac
}

systems="linux windows s390x"
for s in $systems; do
  run "$s" examples/store/qv_store_example "$work/$s.qnf" >/dev/null
done

status=0
for s in windows s390x; do
  if cmp "$work/linux.qnf" "$work/$s.qnf"; then
    echo "file written on $s: the same $(stat -c %s "$work/$s.qnf") bytes as on linux"
  else
    echo "file written on $s differs from the one written on linux"
    status=1
  fi
done

for cmd in blocks colors "info --json"; do
  run linux tools/qvnf/qvnf $cmd "$work/linux.qnf" |
    sed "s|$work/linux.qnf|FILE|g" >"$work/want.txt"
  for tool in $systems; do
    for file in $systems; do
      run "$tool" tools/qvnf/qvnf $cmd "$work/$file.qnf" |
        sed -e "s|$work/$file.qnf|FILE|g" \
            -e 's|[A-Z]:\\\\[^"]*\.qnf|FILE|g' >"$work/got.txt" || true
      if ! cmp -s "$work/want.txt" "$work/got.txt"; then
        echo "qvnf $cmd on $tool, file from $file: listing differs"
        diff "$work/want.txt" "$work/got.txt" | head -n 10 || true
        status=1
      fi
    done
  done
  echo "qvnf $cmd: $(wc -l <"$work/want.txt") lines, compared for 3 tools x 3 files"
done
exit $status
