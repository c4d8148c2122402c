#!/usr/bin/env bash
# Installs the three .debs of build/packages (made by `package.sh deb`) on
# this system with apt-get, as a user would, and tests the installed copy:
# qvnf prints its version and `man -w qvnf` finds its manual page, and the
# consumer program builds and runs against the library through
# find_package and pkg-config with no hint where to look (the CTest project
# tests/consumer/package with QV_INSTALLED=ON). Then purges the packages
# and whatever their install brought along, and fails when anything they
# put under /usr is left.
#
# It changes the system it runs on, so it is meant for a throwaway one: the
# fresh-machine check runs it in its bare Debian 12. It refuses to run
# where any of the three is installed already. Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "run as root: it installs packages" >&2; exit 2; }
start=$SECONDS
say() { echo "== install test: $1 (at $((SECONDS - start)) s)"; }
names=(libqvbase1 libqvbase-dev qvbase-tools)
version=$(sed -n 's/^project(QvBase VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
debs=()
for p in "${names[@]}"; do
  deb=build/packages/${p}_${version}_$arch.deb
  [ -f "$deb" ] || { echo "no $deb: run scripts/package.sh deb first" >&2; exit 2; }
  debs+=("./$deb")
  state=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  if [ -n "$state" ] && [ "$state" != not-installed ]; then
    echo "$p is on this system already ($state): this test would remove it" >&2
    exit 2
  fi
done
# The dependencies of the tests themselves (compiler, CMake, pkg-config,
# man-db) are there before the snapshot, so that purging takes nothing of
# theirs.
bash scripts/install-deps.sh deb

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
listing() { find /usr -xdev | LC_ALL=C sort; }
listing >"$work/usr-before"
dpkg-query -W -f='${Package}\n' | LC_ALL=C sort >"$work/packages-before"

say "apt-get install ${debs[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --no-install-recommends "${debs[@]}"
dpkg-query -W -f='${Package}\n' | LC_ALL=C sort >"$work/packages-after"
mapfile -t added < <(comm -13 "$work/packages-before" "$work/packages-after")
echo "installed: ${added[*]}"

say "qvnf --version, man -w qvnf, the consumer through find_package and pkg-config"
rm -rf build/install-test
status=0
{ cmake -S tests/consumer/package -B build/install-test -G Ninja \
    -DQV_INSTALLED=ON -DQV_DEB_VERSION="$version" >/dev/null &&
  ctest --test-dir build/install-test --output-on-failure --no-tests=error; } ||
  status=1
qvnf --version || status=1
man -w qvnf || status=1

say "apt-get purge ${added[*]}"
apt-get purge -y -q "${added[@]}"
listing >"$work/usr-after"
left=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${names[@]}" 2>/dev/null |
  grep -v ' not-installed$' || true)
[ -z "$left" ] || { echo "still known to dpkg after the purge:" >&2; echo "$left" >&2; status=1; }
if ! diff "$work/usr-before" "$work/usr-after" >"$work/usr-diff"; then
  echo "/usr differs after the purge from before the install:" >&2
  cat "$work/usr-diff" >&2
  status=1
fi
[ "$status" -eq 0 ] || { echo "the install test failed" >&2; exit 1; }
say "installed, used and purged without a trace under /usr"
