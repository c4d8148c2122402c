#!/usr/bin/env bash
# Configures and builds the two trees of the release checks: the library
# and qvnf only, no tests, benchmarks or examples.
#   dist-build.sh native [TARGET...]  build/dist: RelWithDebInfo (-O2 -g),
#                                     installed under /usr; the ABI check
#                                     reads its debugging information (the
#                                     .debs are built from debian/)
#   dist-build.sh mingw [TARGET...]   build/dist-mingw: the MinGW-w64
#                                     release build of the Windows ZIP
# With no target everything of the tree is built. Expects the packages of
# the build to be installed (install-deps.sh); builds two jobs at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
leg=${1:?usage: dist-build.sh native|mingw [TARGET...]}
shift
common=(-G Ninja -DQV_WERROR=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF
        -DQV_BUILD_EXAMPLES=OFF -DQV_BUILD_TOOLS=ON)
case "$leg" in
  native)
    dir=build/dist
    cmake -S . -B "$dir" "${common[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
    ;;
  mingw)
    dir=build/dist-mingw
    cmake -S . -B "$dir" "${common[@]}" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/mingw-w64-x86_64.cmake" \
      >/dev/null
    ;;
  *) echo "unknown tree: $leg" >&2; exit 2 ;;
esac
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$dir" -j 2 "${targets[@]}"
