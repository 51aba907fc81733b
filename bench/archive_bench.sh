#!/usr/bin/env bash
# Times "velkor /p" and "velkor /e" side by side with tar and cp -r on the same data, and
# measures Velkor's peak memory. Exits 1 when a target is missed.
#
#   bench/archive_bench.sh [VELKOR] [ROUNDS] [RUNS]
#
# VELKOR defaults to build/bench/velkor (any optimised build will do). The commands take
# turns, ROUNDS rounds (default 7) of RUNS runs each (default 3); each ratio is the ratio
# of the medians of all runs (see side_by_side.py). Two data sets are generated in a
# temporary folder (removed at the end); the targets:
#   small: 5000 files of 2000 bytes   /p at most 1.0x tar -cf, /e at most 1.0x tar -xf
#   big:   200 files of 1 MiB         /p and /e at most 1.2x cp -r
#   peak RSS of /p and /e on the 200 MiB set: under 16 MiB
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
velkor=$(realpath "${1:-build/bench/velkor}")
rounds=${2:-7}
runs=${3:-3}
[[ -x $velkor ]] || { echo "no velkor executable at $velkor" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "needs hyperfine" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-archive-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Velkor keeps its settings, data and file-manager entries under HOME; give it one of its
# own, set up before timing.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"
"$velkor" >/dev/null

make_set() {  # name count size
  local dir=$work/$1
  mkdir -p "$dir/data" "$dir/unpack"
  head -c $(($2 * $3)) /dev/urandom | (cd "$dir/data" && split -b "$3" -a 5 -d - member)
  "$velkor" /p "$dir/data"
  mv "$dir/data.viv" "$dir/unpack/data.viv"
  # tar unpacks the same way: into "data" beside its archive, in a folder that stays.
  mkdir -p "$dir/untar"
  tar -cf "$dir/untar/data.tar" -C "$dir" data
}

peak_kib() {  # prepare command
  bash -c "$1"
  /usr/bin/time -v bash -c "exec $2" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
}

failed=0
compare() {  # label target prepare-velkor velkor prepare-reference reference
  python3 "$here/side_by_side.py" "$1" "$2" "$rounds" "$runs" "$3" "$4" "$5" "$6" || failed=1
}

echo "velkor: $velkor; data in $work ($(stat -f -c %T "$work")); $rounds rounds of $runs runs each"

make_set small 5000 2000
d=$work/small
compare "/p 5000 x 2000 B vs tar -cf" 1.0 "rm -f $d/data.viv" "$velkor /p $d/data" \
  "rm -f $d/copy.tar" "tar -cf $d/copy.tar -C $d data"
# The output of each run is moved aside, not deleted, and nothing is deleted until the end:
# on ext4 without a journal, every file created in the minutes after a mass delete skips
# over each recently deleted inode of its group, so creating 5000 files right after
# deleting 5000 took 8 times as long as on a quiet file system, for whichever command ran
# then (ratios from 0.3 to 7.7 from one run of this script to the next).
mkdir -p "$d/trash/velkor" "$d/trash/tar" "$d/unpack/data" "$d/untar/data"
compare "/e 5000 x 2000 B vs tar -xf" 1.0 \
  "mv --backup=numbered $d/unpack/data $d/trash/velkor/" "$velkor /e $d/unpack/data.viv" \
  "mv --backup=numbered $d/untar/data $d/trash/tar/" "tar -xf $d/untar/data.tar -C $d/untar"

make_set big 200 1048576
d=$work/big
compare "/p 200 x 1 MiB vs cp -r" 1.2 "rm -f $d/data.viv" "$velkor /p $d/data" "rm -rf $d/copy" "cp -r $d/data $d/copy"
compare "/e 200 x 1 MiB vs cp -r" 1.2 "rm -rf $d/unpack/data" "$velkor /e $d/unpack/data.viv" \
  "rm -rf $d/copy" "cp -r $d/data $d/copy"
for step in "rm -f $d/data.viv|/p $d/data" "rm -rf $d/unpack/data|/e $d/unpack/data.viv"; do
  kib=$(peak_kib "${step%%|*}" "$velkor ${step#*|}")
  verdict=met
  ((kib < 16384)) || { verdict=MISSED; failed=1; }
  printf '%-34s peak RSS %6s KiB (target under 16384 KiB, %s)\n' "${step#*|}" "$kib" "$verdict" | sed "s|$d/||g"
done
exit $failed
