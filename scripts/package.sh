#!/usr/bin/env bash
# Makes the release packages into build/packages and tests them.
#
#   package.sh [deb|zip]   one leg; both with no argument
#
# deb: dpkg-buildpackage builds, from debian/ in a copy of the source
# (build/deb), with Debian's compiler flags:
#   libqvbase1_<version>_<arch>.deb     libQvBase.so.1 and its shlibs file
#   libqvbase-dev_<version>_<arch>.deb  headers, the .so link, the CMake
#                                       package, qvbase.pc, the documents
#                                       and the API reference
#   qvbase-tools_<version>_<arch>.deb   qvnf and its manual page
# each made of the CMake install components that debian/rules names.
# lintian judges them (any error or warning fails), then the CTest project
# tests/consumer/package unpacks them into a temporary root, never
# installing them: qvnf prints its version, its manual page is found, and
# the consumer program builds and runs through find_package and
# pkg-config. (scripts/install-test.sh installs them for real; the
# fresh-machine check runs it.)
#
# zip: qvbase-<version>-win64.zip from the MinGW build build/dist-mingw
# through CPack: QvBase.dll and its import library, headers, CMake
# package, pkg-config file, qvnf.exe with the compiler's runtime DLLs, and
# LICENSE; every DLL that its programs load must be in it or part of
# Windows.
#
# Fails when any step or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
legs=${1:-deb zip}
case "$legs" in deb | zip | "deb zip") ;; *) echo "usage: $0 [deb|zip]" >&2; exit 2 ;; esac
start=$SECONDS
say() { echo "== package: $1 (at $((SECONDS - start)) s)"; }
version=$(sed -n 's/^project(QvBase VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
out=$PWD/build/packages
mkdir -p "$out"

deb_leg() {
  bash scripts/install-deps.sh deb
  rm -f "$out"/*.deb
  local changelog
  changelog=$(dpkg-parsechangelog -S Version)
  [ "$changelog" = "$version" ] || {
    echo "debian/changelog is at $changelog, CMakeLists.txt at $version" >&2
    exit 1
  }

  say "the .debs (dpkg-buildpackage, log in build/deb/build.log)"
  local work=$PWD/build/deb
  local src=$work/qvbase-$version
  rm -rf "$work"
  mkdir -p "$src"
  tar -C . --exclude=./build --exclude='./build-*' --exclude=./.git \
    --exclude=./.cache -cf - . | tar -C "$src" -xf -
  (cd "$src" && DEB_BUILD_OPTIONS=parallel=2 dpkg-buildpackage -b -us -uc) \
    >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
  local arch debs=() p
  arch=$(dpkg --print-architecture)
  for p in libqvbase1 libqvbase-dev qvbase-tools; do
    mv "$work/${p}_${version}_$arch.deb" "$out/"
    debs+=("$out/${p}_${version}_$arch.deb")
  done
  for p in "${debs[@]}"; do
    echo "-- $(basename "$p")"
    dpkg-deb --field "$p" Package Version Architecture Depends
    dpkg-deb --contents "$p"
  done

  say "lintian (fails on any error or warning)"
  lintian --fail-on error,warning --display-info "${debs[@]}"
  echo "lintian: no error, no warning"

  say "the .debs unpacked: qvnf, the consumer through find_package and pkg-config"
  local list
  list=$(IFS=';'; echo "${debs[*]}")
  rm -rf build/package-test
  cmake -S tests/consumer/package -B build/package-test -G Ninja \
    "-DQV_DEBS=$list" -DQV_DEB_VERSION="$version" >/dev/null
  ctest --test-dir build/package-test --output-on-failure --no-tests=error
}

zip_leg() {
  bash scripts/install-deps.sh zip
  say "the Windows ZIP"
  local zip=$out/qvbase-$version-win64.zip
  rm -f "$zip"
  bash scripts/dist-build.sh mingw
  (cd build/dist-mingw && cpack -G ZIP -B "$out" >/dev/null)
  [ -f "$zip" ] || { echo "no $zip" >&2; ls "$out" >&2; exit 1; }
  unzip -l "$zip"
  local listing top=qvbase-$version-win64 want
  listing=$(unzip -Z1 "$zip")
  for want in LICENSE bin/QvBase.dll lib/QvBase.dll.a bin/qvnf.exe \
              include/QvBase/QvBase.h lib/cmake/QvBase/QvBaseConfig.cmake \
              lib/pkgconfig/qvbase.pc; do
    grep -qx "$top/$want" <<<"$listing" || { echo "the ZIP lacks $want" >&2; exit 1; }
  done
  # Every DLL that a program or DLL of the ZIP imports is beside it, or one
  # of Windows' own.
  local system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|ws2_32|msvcrt|ntdll|opengl32|ucrtbase|api-ms-win-.*)\.dll$'
  local f dll lower
  unpacked=$(mktemp -d)
  trap 'rm -rf "$unpacked"' EXIT
  unzip -q "$zip" -d "$unpacked"
  for f in "$unpacked/$top"/bin/*.exe "$unpacked/$top"/bin/*.dll; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\tDLL Name: //p'); do
      lower=${dll,,}
      [[ $lower =~ $system ]] && continue
      [ -f "$unpacked/$top/bin/$dll" ] ||
        { echo "$(basename "$f") needs $dll, which the ZIP lacks" >&2; exit 1; }
    done
  done
}

for leg in $legs; do "${leg}_leg"; done
say "made in build/packages: $(cd "$out" && ls -- *.deb *.zip 2>/dev/null | xargs)"
