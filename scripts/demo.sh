#!/usr/bin/env bash
# The main job: builds the library, the example and qvnf; the example
# stores two objects in a neutral file and reads them back, then qvnf lists
# that file's blocks and colour tables.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target qv_store_example qvnf
out=build/release/examples/store
./build/release/examples/store/qv_store_example "$out/model.qnf"
echo
./build/release/tools/qvnf/qvnf blocks "$out/model.qnf"
echo
./build/release/tools/qvnf/qvnf colors "$out/model.qnf"
