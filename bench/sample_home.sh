# Sourced by the car benchmarks, with `build` set: a scratch home holding the realistic sample
# car and two synthetic game installations that a first start of Velkor has found. Sets
# `scratch` and `velkor`; the scratch folder goes when the script ends.
command -v hyperfine >/dev/null || { echo "needs hyperfine" >&2; exit 1; }
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
