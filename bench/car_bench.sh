#!/usr/bin/env bash
# Whole-car conversion against a plain copy of the same archive, side by side in one run.
# Target: "/c4" on a realistic 2.4 MB car takes at most 6x the time of `cp car.viv copy.viv`.
#   bench/car_bench.sh [BUILD_FOLDER]     (default: build/bench; needs velkor and velkor-sample)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/bench}" && pwd)
runs=${RUNS:-30}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$build/velkor-sample" "$scratch" --realistic
mkdir -p "$scratch/bin" "$scratch/home/.config/Velkor"
cp "$build/velkor" "$scratch/bin/velkor"
printf '%s\n' "Windows Registry Editor Version 5.00" "" \
  "[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need For Speed III]" "\"InstallPath\"=\"$scratch/nfs3\"" "" \
  "[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need for Speed High Stakes]" "\"InstallPath\"=\"$scratch/nfs4\"" \
  >"$scratch/home/.config/Velkor/registry.reg"
export HOME="$scratch/home" WINEPREFIX="$scratch/home/.wine"
unset XDG_CONFIG_HOME XDG_DATA_HOME
velkor="$scratch/bin/velkor"
"$velkor"  # first start: collects the reference files
cd "$scratch/cars/realistic"
echo "car: $(stat -c %s car.viv) bytes"

time_runs() {  # mean wall time of one run, in microseconds
  local start end
  "$@" >/dev/null
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null; done
  end=$(date +%s%N)
  echo $(((end - start) / runs / 1000))
}

convert_us=$(time_runs "$velkor" /c4 car.viv)
copy_us=$(time_runs cp car.viv copy.viv)
ratio=$(awk -v a="$convert_us" -v b="$copy_us" 'BEGIN { printf "%.2f", a / b }')
echo "velkor /c4 car.viv:      ${convert_us} us per run"
echo "cp car.viv copy.viv:     ${copy_us} us per run"
echo "ratio: ${ratio}x (target: at most 6x)"
if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 3 --runs "$runs" "$velkor /c4 car.viv" "cp car.viv copy.viv" 2>/dev/null | grep -E 'Time|±|faster' || true
fi
awk -v r="$ratio" 'BEGIN { exit !(r <= 6) }' && echo "within target" || { echo "OVER TARGET"; exit 1; }
