#!/usr/bin/env bash
# Whole-car conversion against a plain copy of the same archive, side by side in one run.
# Targets: "/c4" of the realistic sample car (NFS3, 2.4 MB) and "/c3" of its NFS4 version
# each take at most 4x the time of `cp car.viv copy.viv` (ratio of medians, see
# side_by_side.py). Exits 1 when a target is missed.
#   bench/car_bench.sh [BUILD_FOLDER] [ROUNDS] [RUNS]
#     (default: build/bench, 7 rounds of 5 runs; needs velkor and velkor-sample)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/bench}" && pwd)
rounds=${2:-7}
runs=${3:-5}
source "$here/bench/sample_home.sh"

nfs3=$scratch/cars/realistic nfs4=$scratch/cars/realistic4
mkdir -p "$nfs4"
"$velkor" /c4 "$nfs3/car.viv"
mv "$nfs3/car.vi4" "$nfs4/car.viv"
echo "cars: NFS3 $(stat -c %s "$nfs3/car.viv") bytes, NFS4 $(stat -c %s "$nfs4/car.viv") bytes; $rounds rounds of $runs runs"

failed=0
for step in "c4|$nfs3" "c3|$nfs4"; do
  switch=${step%%|*} folder=${step#*|}
  # The output exists from the warm-up runs, as it does when a car is converted again.
  python3 "$here/bench/side_by_side.py" "/$switch car.viv vs cp car.viv" 4 "$rounds" "$runs" \
    "true" "$velkor /$switch $folder/car.viv" "true" "cp $folder/car.viv $folder/copy.viv" || failed=1
done
exit $failed
