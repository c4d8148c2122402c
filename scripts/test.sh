#!/usr/bin/env bash
# Installs what is missing, configures and builds the release preset, then
# runs the whole test suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
preset="${1:-release}"
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
