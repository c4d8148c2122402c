#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format gives.
# With --fix, rewrites those files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null 2>&1 && command -v git >/dev/null 2>&1 ||
  bash scripts/install-deps.sh format
mode=(--dry-run -Werror)
[ "${1:-}" = "--fix" ] && mode=(-i)
git ls-files -z -- '*.h' '*.cpp' '*.hpp' '*.cc' |
  xargs -0 -r clang-format "${mode[@]}"
echo "format check passed"
