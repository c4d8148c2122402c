#!/usr/bin/env bash
# Installs the Debian packages that building and testing QvBase need, when
# they are missing; with no argument, what a bare Debian 12 needs to build
# the library, its tools and examples and run the whole test suite. Safe to
# run again: it installs only what is absent. git and meson serve the
# tests that take QvBase as another project would (FetchContent, Meson). Arguments add the packages of
# other checks: "mingw" (MinGW-w64 and Wine), "s390x" (the s390x cross
# compiler and QEMU's user mode), "valgrind", "fuzz" (clang and libFuzzer),
# "format" (clang-format), "bench" (GNU time, for bench/qvnf-bench.sh), and
# the release checks: "abi" (libabigail's abidw and abidiff), "docs"
# (Doxygen), "deb" (build-essential, which dpkg-buildpackage takes for
# granted, and debhelper for the .debs, lintian to judge them, man-db to
# find their manual page, Doxygen for the reference they carry) and "zip"
# (the MinGW-w64 compiler and unzip for the Windows ZIP).
set -euo pipefail

# libopengl-dev: CMake names the EGL target only beside GLVND's libOpenGL.
# libcereal-dev, libflatbuffers-dev and flatbuffers-compiler: the peers that
# bench/model_bench stores its model with (the benchmarks alone need them).
packages=(
  cmake ninja-build g++ pkg-config binutils python3
  libgtest-dev libbenchmark-dev
  libcereal-dev libflatbuffers-dev flatbuffers-compiler
  libgl-dev libegl-dev libopengl-dev libegl-mesa0 libgl1-mesa-dri
  locales
  libcli11-dev nlohmann-json3-dev
  git meson
)
for leg in "$@"; do
  case "$leg" in
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    format) packages+=(clang-format git) ;;
    mingw) packages+=(g++-mingw-w64-x86-64 wine wine64 googletest) ;;
    s390x) packages+=(g++-s390x-linux-gnu qemu-user googletest) ;;
    valgrind) packages+=(valgrind) ;;
    bench) packages+=(time) ;;
    abi) packages+=(abigail-tools) ;;
    docs) packages+=(doxygen) ;;
    deb) packages+=(build-essential debhelper lintian man-db doxygen) ;;
    zip) packages+=(g++-mingw-w64-x86-64 unzip) ;;
    *) echo "unknown package group: $leg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number-text tests run once under a locale whose decimal point is a
# comma; generate it when the system lacks it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  if [ -f /etc/locale.gen ] && command -v locale-gen >/dev/null 2>&1; then
    echo "Generating the de_DE.UTF-8 locale"
    if grep -q '^# *de_DE.UTF-8 UTF-8' /etc/locale.gen; then
      $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    elif ! grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen; then
      echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen >/dev/null || echo "locale-gen failed: comma-locale tests will be skipped"
  else
    echo "No locale-gen: comma-locale tests will be skipped"
  fi
fi
