#!/usr/bin/env bash
# The ABI guard: builds the shared library with debugging information
# (build/dist, see dist-build.sh), describes its exported interface with
# abidw and compares that with the baseline abi/QvBase.abi with abidiff.
# Fails on any removed or changed function, variable or type of the public
# headers; added ones are listed and pass. The report is kept in
# build/dist/abi-report.txt.
#
#   abi-check.sh            check against the baseline
#   abi-check.sh --update   write the baseline from this build (commit it)
#
# Update the baseline after a deliberate change: after an addition, so that
# later checks guard it too; after a breaking change, together with a new
# major version, which gives the library a new SONAME.
set -euo pipefail
cd "$(dirname "$0")/.."
update=false
case "${1:-}" in
  "") ;;
  --update) update=true ;;
  *) echo "usage: $0 [--update]" >&2; exit 2 ;;
esac
bash scripts/install-deps.sh abi
bash scripts/dist-build.sh native QvBase

lib=$(readlink -f build/dist/src/libQvBase.so)
soname=$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
echo "abi-check: $(basename "$lib"), SONAME $soname"
# Only the types of the public headers, and no paths of this machine, so
# that the baseline is the same from every checkout.
current=build/dist/QvBase.abi
abidw --headers-dir include/QvBase --headers-dir build/dist/include/QvBase \
  --drop-private-types --no-corpus-path \
  --no-comp-dir-path --short-locs --out-file "$current" "$lib"
if $update; then
  cp "$current" abi/QvBase.abi
  echo "abi-check: wrote abi/QvBase.abi from this build; commit it"
  exit 0
fi
[ -f abi/QvBase.abi ] || { echo "abi-check: no baseline, run $0 --update" >&2; exit 2; }

# abidiff's status is a bit set: 1 error, 2 usage error, 4 some change,
# 8 an incompatible change. A change counts as a break when it is still
# there once additions are left out.
report=build/dist/abi-report.txt
diff_opts=(--suppressions abi/QvBase.suppr --fail-no-debug-info)
rc=0
abidiff "${diff_opts[@]}" abi/QvBase.abi "$current" >"$report" 2>&1 || rc=$?
cat "$report"
if (( rc & 3 )); then
  echo "abi-check: abidiff could not compare (status $rc)" >&2
  exit 2
fi
breaks=0
abidiff "${diff_opts[@]}" --no-added-syms abi/QvBase.abi "$current" \
  >/dev/null 2>&1 || breaks=$?
if (( breaks != 0 )); then
  echo "abi-check: FAILED, functions, variables or types were removed or" \
       "changed against abi/QvBase.abi (status $rc)." >&2
  echo "A deliberate break needs a new major version (a new SONAME) and" \
       "'$0 --update'." >&2
  exit 1
fi
if (( rc & 4 )); then
  echo "abi-check: passed, with additions (listed above); '$0 --update'" \
       "takes them into the baseline"
else
  echo "abi-check: passed, the same interface as abi/QvBase.abi"
fi
