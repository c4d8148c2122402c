#!/usr/bin/env bash
# Runs bench/model_bench with repetitions, the cases taking turns (random
# interleaving), and prints for each N the least CPU time of every case
# and QvBase's ratios, for the model stored as a block per node (qvbase)
# and as one block of arrays (qvarrays): write and read against the best
# peer (cereal, FlatBuffers mapping the file or reading it into a buffer)
# and against plain fwrite/fread, find by name against the best peer, the
# loaded FlatBuffers and raw, and the end-address walk against the
# sequential read of the same file. On a machine that other work shares,
# the least CPU time of several rounds varies least; the figures are
# indicative.
#
#   bash bench/model-bench.sh               # 9 rounds, N = 10^4 and 10^5
#   MODEL_BENCH_REPS=15 bash bench/...      # more rounds
#   MODEL_BENCH_MILLION=1 bash bench/...    # N = 10^6 too (~0.6 GB a file)
#   MODEL_BENCH_JSON=out.json bash bench/.. # keep the raw results
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
cmake --preset release >/dev/null
cmake --build --preset release --target model_bench >/dev/null

json=${MODEL_BENCH_JSON:-}
keep=1
if [ -z "$json" ]; then
  json=$(mktemp "${TMPDIR:-/tmp}/model-bench.XXXXXX.json")
  keep=
fi
trap '[ -n "$keep" ] || rm -f "$json"' EXIT

args=(--benchmark_repetitions="${MODEL_BENCH_REPS:-9}"
      --benchmark_enable_random_interleaving=true
      --benchmark_min_time="${MODEL_BENCH_MIN_TIME:-0.2}"
      --benchmark_out="$json" --benchmark_out_format=json)
[ -z "${MODEL_BENCH_MILLION:-}" ] || args+=(--million)
"$build/bench/model_bench" "${args[@]}" >/dev/null

python3 - "$json" <<'EOF'
import json, sys
from collections import defaultdict

runs = json.load(open(sys.argv[1]))["benchmarks"]
best = {}    # (op, contender, n) -> least CPU time in ms
size = {}
failed = set()
for r in runs:
    if r.get("run_type") != "iteration":
        continue
    op, who, n = r["run_name"].split("/")
    key = (op, who, int(n))
    if r.get("error_occurred"):
        failed.add(key)
        continue
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[r["time_unit"]]
    t = r["cpu_time"] * scale
    best[key] = min(t, best.get(key, t))
    size[key] = r.get("file_bytes", 0)
if failed:
    print("FAILED:", ", ".join("/".join(map(str, k)) for k in sorted(failed)))

peers = ["cereal", "flatbuffers", "fbloaded"]
sizes = sorted({k[2] for k in best})
print("Least CPU time (ms) over the rounds")
print("%-12s %-12s %10s %10s %10s %10s %12s" %
      ("N", "contender", "write", "read", "find", "walk", "file bytes"))
for n in sizes:
    for who in ["qvbase", "qvarrays", "raw"] + peers:
        cell = lambda op: ("%10.2f" % best[(op, who, n)]
                           if (op, who, n) in best else "%10s" % "-")
        print("%-12d %-12s %s %s %s %s %12d" %
              (n, who, cell("write"), cell("read"), cell("find"), cell("walk"),
               size.get(("read", who, n), 0)))
print()

def ratio(op, n, against, who="qvbase"):
    q = best.get((op, who, n))
    if against == "peer":
        have = [(best[(op, p, n)], p) for p in peers if (op, p, n) in best]
        if q is None or not have:
            return "-"
        t, p = min(have)
        return "%.2f (%s)" % (q / t, p)
    t = best.get((op, against, n))
    return "-" if q is None or t is None else "%.2f" % (q / t)

for who, what in [("qvbase", "a block per node"),
                  ("qvarrays", "one block of arrays")]:
    print("QvBase's ratios, %s (least CPU time; below 1 is ahead)" % what)
    head = ["N", "write/peer", "read/peer", "write/raw", "read/raw",
            "find/peer", "find/fbloaded", "find/raw"] + (["walk/read"] if who == "qvbase" else [])
    print("| " + " | ".join(head) + " |")
    print("|" + "---|" * len(head))
    for n in sizes:
        cells = [str(n)] + [ratio(op, n, against, who) for op, against in
                            [("write", "peer"), ("read", "peer"),
                             ("write", "raw"), ("read", "raw"),
                             ("find", "peer"), ("find", "fbloaded"),
                             ("find", "raw")]]
        if who == "qvbase":
            walk = best.get(("walk", "qvbase", n))
            read = best.get(("read", "qvbase", n))
            cells.append("-" if walk is None or read is None
                         else "%.2f" % (walk / read))
        print("| " + " | ".join(cells) + " |")
    print()
sys.exit(1 if failed else 0)
EOF
