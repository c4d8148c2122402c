#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format gives.
# With --fix, rewrites those files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=(--dry-run -Werror)
[ "${1:-}" = "--fix" ] && mode=(-i)
git ls-files -z -- '*.h' '*.cpp' '*.hpp' '*.cc' |
  xargs -0 -r clang-format "${mode[@]}"
echo "format check passed"
