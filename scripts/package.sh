#!/usr/bin/env bash
# Makes the release packages through CPack, into build/packages:
#   qvbase_<version>_<arch>.deb  from build/dist (see dist-build.sh), under
#                                /usr, stripped, its dependencies found by
#                                dpkg-shlibdeps
#   qvbase-<version>-win64.zip   from build/dist-mingw: QvBase.dll and its
#                                import library, headers, CMake package,
#                                pkg-config file, qvnf.exe with the
#                                compiler's runtime DLLs
# Then runs the CTest project tests/consumer/package on the .deb (unpacked into a
# temporary root, never installed: qvnf runs, the consumer program builds
# and runs through find_package and pkg-config) and checks that every DLL
# the ZIP's programs load is in the ZIP or part of Windows. Fails when any
# step or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
say() { echo "== package: $1 (at $((SECONDS - start)) s)"; }
bash scripts/install-deps.sh package
out=$PWD/build/packages
rm -rf "$out"
mkdir -p "$out"

say "the .deb"
bash scripts/dist-build.sh native
(cd build/dist && cpack -G DEB -B "$out" >/dev/null)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' \
  build/dist/CPackConfig.cmake)
deb=$out/qvbase_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "no $deb" >&2; ls "$out" >&2; exit 1; }
dpkg-deb --field "$deb" Package Version Architecture Depends
dpkg-deb --contents "$deb"

say "the .deb unpacked: qvnf, the consumer through find_package and pkg-config"
rm -rf build/package-test
cmake -S tests/consumer/package -B build/package-test -G Ninja -DQV_DEB="$deb" \
  -DQV_DEB_VERSION="$version" >/dev/null
ctest --test-dir build/package-test --output-on-failure --no-tests=error

say "the Windows ZIP"
bash scripts/dist-build.sh mingw
(cd build/dist-mingw && cpack -G ZIP -B "$out" >/dev/null)
zip=$out/qvbase-$version-win64.zip
[ -f "$zip" ] || { echo "no $zip" >&2; ls "$out" >&2; exit 1; }
unzip -l "$zip"
listing=$(unzip -Z1 "$zip")
top=qvbase-$version-win64
for want in LICENSE bin/QvBase.dll lib/QvBase.dll.a bin/qvnf.exe \
            include/QvBase/QvBase.h lib/cmake/QvBase/QvBaseConfig.cmake \
            lib/pkgconfig/qvbase.pc; do
  grep -qx "$top/$want" <<<"$listing" || { echo "the ZIP lacks $want" >&2; exit 1; }
done
# Every DLL that a program or DLL of the ZIP imports is beside it, or one
# of Windows' own.
system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|ws2_32|msvcrt|ntdll|opengl32|ucrtbase|api-ms-win-.*)\.dll$'
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
say "made $(basename "$deb") and $(basename "$zip") in build/packages"
