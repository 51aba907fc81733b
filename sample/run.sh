#!/usr/bin/env bash
# Velkor's main job on the bundled sample, in a scratch folder that nothing else shares:
# two synthetic game installations, a first start that finds them and collects their
# reference files, then the sample NFS3 car converted to NFS4 and installed.
#   sample/run.sh [BUILD_FOLDER]
# Without BUILD_FOLDER it first installs the Debian packages the build needs (those that are
# missing) and builds the release preset into build/release.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 0 ]; then
  "$here/tools/install-build-deps.sh"
  (cd "$here" && cmake --workflow --preset release)
fi
build=$(cd "${1:-$here/build/release}" && pwd)
scratch="$build/sample-run"

rm -rf "$scratch"
mkdir -p "$scratch/bin" "$scratch/home/.config/Velkor"
"$build/velkor-sample" "$scratch"
mv "$scratch/cars/roadster" "$scratch/cars/Velkor Roadster"
cp "$build/velkor" "$scratch/bin/velkor"

cat >"$scratch/home/.config/Velkor/registry.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need For Speed III]
"InstallPath"="$scratch/nfs3"

[HKEY_LOCAL_MACHINE\\Software\\Electronic Arts\\Need for Speed High Stakes]
"InstallPath"="$scratch/nfs4"
REG

export HOME="$scratch/home" WINEPREFIX="$scratch/home/.wine"
unset XDG_CONFIG_HOME XDG_DATA_HOME
velkor="$scratch/bin/velkor"
car="$scratch/cars/Velkor Roadster/car.viv"

echo "== first start: games found, verbs registered, reference files collected"
"$velkor"
grep -A3 'Velkor\\velkor\\Settings' "$HOME/.config/Velkor/registry.reg"
echo "reference files in $HOME/.local/share/Velkor: $(ls "$HOME/.local/share/Velkor" | tr '\n' ' ')"

echo
echo "== the sample NFS3 car"
"$velkor" --list "$car"

echo
echo "== velkor /ci4 \"$car\""
"$velkor" /ci4 "$car"
installed="$scratch/nfs4/Data/Cars/Velkor Roadster/car.viv"
echo "installed: $installed"
"$velkor" --list "$installed"
echo
echo "Everything above lives in $scratch."
