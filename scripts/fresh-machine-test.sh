#!/usr/bin/env bash
# Proves that a new machine runs everything: builds a bare Debian 12
# (debootstrap --variant=minbase bookworm) from the Debian mirror that this
# machine's apt sources name, copies a clean clone of the current commit
# into it and runs the README's test command and main job there as root,
# then makes the .debs there (scripts/package.sh deb, lintian included) and
# installs, uses and purges them (scripts/install-test.sh). Fails when any
# of these fails, when any test is skipped or not run, or when the main job
# does not print the qvnf listings.
#
#   --make-tarball    download the bare system's packages into the tarball
#                     first (even when one is kept), then build from it
#   --unpack-tarball  build from the kept tarball only (fail without one)
#   --cold            build straight from the mirror, keep no tarball
# With no option the kept tarball is used when there is one and made when
# there is none, so a rerun costs only the package installs.
# QV_FRESH_CACHE names the folder that keeps the tarball
# (default /var/cache/qvbase-fresh); QV_FRESH_DIR the folder the system is
# built in (default: a new folder under /var/tmp).
#
# Mounts are undone and the tree removed on every way out, failure and
# Ctrl-C included.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${QV_FRESH_CACHE:-/var/cache/qvbase-fresh}
tarball=$cache/bookworm-minbase.tgz
mode=auto
case "${1:-}" in
  "") ;;
  --make-tarball) mode=make ;;
  --unpack-tarball) mode=unpack ;;
  --cold) mode=cold ;;
  *) echo "usage: $0 [--make-tarball | --unpack-tarball | --cold]" >&2; exit 2 ;;
esac
[ "$(id -u)" -eq 0 ] || { echo "run as root: it builds a chroot" >&2; exit 2; }
start=$SECONDS
say() { echo "-- $1 (at $((SECONDS - start)) s)"; }

# The first bookworm (not security) source of Debian's own packages, from
# one-line .list files or deb822 .sources files.
mirror() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk '$1 == "deb" {
           i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
           if ($(i + 1) == "bookworm") { print $i; exit }
         }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
         {
           types = uris = suites = ""
           for (i = 1; i <= NF; i++) {
             if ($i ~ /^Types:/) types = $i
             if ($i ~ /^URIs:/) { uris = $i; sub(/^URIs:[ \t]*/, "", uris) }
             if ($i ~ /^Suites:/) suites = $i " "
           }
           if (types ~ /[ \t]deb([ \t]|$)/ && suites ~ /[ \t]bookworm[ \t]/) {
             split(uris, u, /[ \t]+/); print u[1]; exit
           }
         }' "$f"
  done
}
url=$(mirror | head -n 1)
[ -n "$url" ] || { echo "no bookworm source in the apt sources" >&2; exit 2; }

command -v debootstrap >/dev/null 2>&1 || {
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends debootstrap
}

root=${QV_FRESH_DIR:-$(mktemp -d /var/tmp/qvbase-fresh.XXXXXX)}
mkdir -p "$root"
# It becomes the bare system's /, which its own users (apt's _apt, man-db's
# man) must be able to enter; mktemp makes it the owner's only.
chmod 755 "$root"
log=$(mktemp /var/tmp/qvbase-fresh-log.XXXXXX)

# Undoes every mount under the tree, deepest first, then removes the tree;
# the tree is removed only once nothing is mounted in it.
cleanup() {
  local rc=$? m
  trap - EXIT INT TERM
  for _ in 1 2 3; do
    mapfile -t mounts < <(awk -v r="$root" '$2 == r || index($2, r "/") == 1 { print $2 }' \
      /proc/self/mounts | sort -r)
    [ ${#mounts[@]} -eq 0 ] && break
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" || true; done
  done
  if awk -v r="$root" '$2 == r || index($2, r "/") == 1 { found = 1 } END { exit !found }' \
       /proc/self/mounts; then
    echo "still mounted under $root: left in place" >&2
    rc=1
  else
    rm -rf --one-file-system "$root"
  fi
  rm -f "$log"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "$mode" = make ] || { [ "$mode" = auto ] && [ ! -s "$tarball" ]; }; then
  say "downloading the bare system's packages into $tarball"
  mkdir -p "$cache"
  rm -f "$tarball.part"
  debootstrap --variant=minbase --make-tarball="$tarball.part" \
    bookworm "$root/.make" "$url" >"$log" 2>&1 || { cat "$log"; exit 1; }
  mv "$tarball.part" "$tarball"
  rm -rf "$root/.make"
fi
if [ "$mode" = unpack ] && [ ! -s "$tarball" ]; then
  echo "no tarball kept at $tarball: run with --make-tarball first" >&2
  exit 2
fi
say "building a bare Debian 12 in $root"
from=()
[ "$mode" != cold ] && from=(--unpack-tarball="$tarball")
debootstrap --variant=minbase "${from[@]}" bookworm "$root" "$url" \
  >"$log" 2>&1 || { cat "$log"; exit 1; }

# The machine's own way to reach its mirror (proxies, validity checks) and
# its name service; nothing else of this machine goes in.
cp /etc/resolv.conf "$root/etc/resolv.conf"
for f in /etc/apt/apt.conf.d/*; do
  [ -f "$f" ] && grep -q '^[[:space:]]*Acquire::' "$f" && cp "$f" "$root/etc/apt/apt.conf.d/"
done
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
# A /dev of its own, never this machine's: a package script or a test
# run as root inside must not be able to replace this machine's /dev/null.
mount -t tmpfs -o mode=755 tmpfs "$root/dev"
for node in "null 1 3" "zero 1 5" "full 1 7" "random 1 8" "urandom 1 9" \
  "tty 5 0"; do
  set -- $node
  mknod -m 666 "$root/dev/$1" c "$2" "$3"
done
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts devpts "$root/dev/pts" -o newinstance,ptmxmode=0666
ln -s pts/ptmx "$root/dev/ptmx"
ln -s /proc/self/fd "$root/dev/fd"
ln -s /proc/self/fd/0 "$root/dev/stdin"
ln -s /proc/self/fd/1 "$root/dev/stdout"
ln -s /proc/self/fd/2 "$root/dev/stderr"
mount -t tmpfs tmpfs "$root/dev/shm"

say "copying a clean clone of $(git -C "$repo" rev-parse --short HEAD)"
git clone -q --no-local --no-hardlinks "$repo" "$root/root/qvbase"
git -C "$root/root/qvbase" checkout -q "$(git -C "$repo" rev-parse HEAD)"
rm -rf "$root/root/qvbase/.git"

inside() {
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM=dumb /bin/bash -c "cd /root/qvbase && $1"
}
say "the test command: bash scripts/test.sh"
inside "bash scripts/test.sh" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || { echo "the test command failed ($status)" >&2; exit 1; }
grep -q 'tests passed, 0 tests failed out of' "$log" ||
  { echo "the test command ran no tests" >&2; exit 1; }
if grep -Eq '\*\*\*Skipped|Not Run|tests did not run' "$log"; then
  echo "tests were skipped or not run:" >&2
  grep -E '\*\*\*Skipped|Not Run|- .*\((Skipped|Not Run)\)' "$log" >&2 || true
  exit 1
fi

say "the main job: bash scripts/demo.sh"
inside "bash scripts/demo.sh" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || { echo "the main job failed ($status)" >&2; exit 1; }
for want in 'address +name +version' 'colour table at' 'the same mesh'; do
  grep -Eiq "$want" "$log" || { echo "the main job printed no qvnf listing ($want)" >&2; exit 1; }
done
say "the packages: bash scripts/package.sh deb"
inside "bash scripts/package.sh deb" ||
  { echo "making the packages failed" >&2; exit 1; }

say "installing them: bash scripts/install-test.sh"
inside "bash scripts/install-test.sh" ||
  { echo "the install test failed" >&2; exit 1; }
say "a bare Debian 12 built and tested everything, made and installed the packages"
