#!/usr/bin/env bash
# Times "velkor /p" and "velkor /e" against "cp -r" of the same data, side by side in one
# run, and measures their peak memory.
#
#   bench/archive_bench.sh [VELKOR] [RUNS]
#
# VELKOR defaults to build/release/velkor (any optimised build will do); RUNS to 10.
# Two data sets are generated in a temporary folder (removed at the end):
#   big:   200 files of 1 MiB      target: within 1.5x of cp -r
#   small: 5000 files of 2000 bytes target: within 2x of cp -r
# Peak RSS target: under 16 MiB for either command.
# Uses hyperfine when installed (else a plain timing loop) and /usr/bin/time -v for memory.
set -euo pipefail

velkor=$(realpath "${1:-build/release/velkor}")
runs=${2:-10}
[[ -x $velkor ]] || { echo "no velkor executable at $velkor" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-archive-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Velkor keeps its settings under HOME; give it one of its own, set up before timing.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"
"$velkor" >/dev/null

make_set() {  # name count size
  local dir=$work/$1
  mkdir -p "$dir/data" "$dir/unpack"
  head -c $(($2 * $3)) /dev/urandom | (cd "$dir/data" && split -b "$3" -a 5 -d - member)
  "$velkor" /p "$dir/data"
  mv "$dir/data.viv" "$dir/unpack/data.viv"
}

# Mean seconds of a command, each run after `prepare`.
mean_seconds() {  # prepare command
  if command -v hyperfine >/dev/null; then
    hyperfine --style none --warmup 2 --runs "$runs" --prepare "$1" --export-json "$work/t.json" "$2" >/dev/null
    python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["mean"])' "$work/t.json"
  else
    local total=0 start end
    for ((i = 0; i < runs; i++)); do
      bash -c "$1"
      start=$(date +%s.%N); bash -c "$2"; end=$(date +%s.%N)
      total=$(echo "$total + $end - $start" | bc -l)
    done
    echo "$total / $runs" | bc -l
  fi
}

peak_kib() {  # prepare command
  bash -c "$1"
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -v bash -c "exec $2" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ {print $2}'
  else
    echo "?"
  fi
}

report() {  # label velkor-seconds cp-seconds target peak-kib
  python3 - "$@" <<'PY'
import sys
label, ours, cp, target, peak = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4]), sys.argv[5]
ratio = ours / cp
print(f"{label:<28} velkor {ours*1000:8.1f} ms   cp -r {cp*1000:8.1f} ms   ratio {ratio:5.2f} (target {target}x, "
      f"{'met' if ratio <= target else 'MISSED'})   peak RSS {peak} KiB")
PY
}

run_set() {  # name count size target
  make_set "$1" "$2" "$3"
  local dir=$work/$1 q
  printf -v q '%q' "$dir"
  local pack cp_pack unpack cp_unpack
  pack=$(mean_seconds "rm -f $q/data.viv" "$velkor /p $q/data")
  cp_pack=$(mean_seconds "rm -rf $q/copy" "cp -r $q/data $q/copy")
  unpack=$(mean_seconds "rm -rf $q/unpack/data" "$velkor /e $q/unpack/data.viv")
  cp_unpack=$(mean_seconds "rm -rf $q/copy" "cp -r $q/data $q/copy")
  report "/p $2 x $3 bytes" "$pack" "$cp_pack" "$4" "$(peak_kib "rm -f $q/data.viv" "$velkor /p $q/data")"
  report "/e $2 x $3 bytes" "$unpack" "$cp_unpack" "$4" \
    "$(peak_kib "rm -rf $q/unpack/data" "$velkor /e $q/unpack/data.viv")"
  rm -rf "$dir"
}

echo "velkor: $velkor; data in $work ($(stat -f -c %T "$work")); $runs runs each"
run_set big 200 1048576 1.5
run_set small 5000 2000 2
