#!/usr/bin/env bash
# The main job: builds the library, the examples and qvnf. The store
# example stores two objects in a neutral file and reads them back, then
# qvnf lists that file's blocks and colour tables; the OBJ example imports
# a small OBJ file into a mesh that it stores and reads back, then qvnf
# shows that file's blocks with the arrays nested in the mesh's block.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target qv_store_example qv_obj_import qvnf
out=build/release/examples/store
./build/release/examples/store/qv_store_example "$out/model.qnf"
echo
./build/release/tools/qvnf/qvnf blocks "$out/model.qnf"
echo
./build/release/tools/qvnf/qvnf colors "$out/model.qnf"
echo
obj=build/release/examples/obj_import
"$obj/qv_obj_import" examples/obj_import/sample.obj "$obj/sample.qnf"
echo
./build/release/tools/qvnf/qvnf tree "$obj/sample.qnf"
