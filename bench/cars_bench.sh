#!/usr/bin/env bash
# Knowing the cars: `velkor --cars` over 60 installed cars (30 of each game) takes at most
# 60 ms (median of the runs), and `velkor --check` of the realistic sample car at most 2x
# `velkor --list` of it (ratio of medians, see side_by_side.py). Exits 1 when a target is
# missed.
#   bench/cars_bench.sh [BUILD_FOLDER] [ROUNDS] [RUNS]
#     (default: build/bench, 5 rounds of 10 runs; needs velkor and velkor-sample)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/bench}" && pwd)
rounds=${2:-5}
runs=${3:-10}
source "$here/bench/sample_home.sh"

car=$scratch/cars/realistic/car.viv
"$velkor" /c4 "$car"
failed=0
python3 "$here/bench/side_by_side.py" "--check car.viv vs --list car.viv" 2 "$rounds" "$runs" \
  "true" "$velkor --check $car" "true" "$velkor --list $car" || failed=1

# 29 more cars in each game beside the reference cars: 60 in all, every archive of its own.
for n in $(seq -w 1 29); do
  mkdir -p "$scratch/nfs3/GameData/CarModel/c$n" "$scratch/nfs4/Data/Cars/c$n"
  cp "$car" "$scratch/nfs3/GameData/CarModel/c$n/car.viv"
  cp "${car%?}4" "$scratch/nfs4/Data/Cars/c$n/car.viv"
done
count=$("$velkor" --cars --json | grep -c '"game"')
hyperfine -N --style none --warmup 2 --runs $((rounds * runs)) --export-json "$scratch/cars.json" \
  "$velkor --cars" >/dev/null
python3 - "$scratch/cars.json" "$count" <<'PY' || failed=1
import json, statistics, sys
result = json.load(open(sys.argv[1]))["results"][0]
median = statistics.median(result["times"]) * 1000
cpu = (result["user"] + result["system"]) * 1000
verdict = "ok" if median <= 60 else "MISSED"
print(f"--cars over {sys.argv[2]} cars: median {median:.1f} ms (CPU {cpu:.1f} ms), target 60 ms: {verdict}")
sys.exit(0 if median <= 60 else 1)
PY
exit $failed
