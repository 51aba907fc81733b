#!/usr/bin/env bash
# Installs the Debian packages that building Velkor needs, and only those that are missing
# (through sudo when not run as root). The one list of what the project needs from Debian.
#
#   tools/install-build-deps.sh [--tests] [--package] [--package-check] [--windows] [--fuzz] [--bench]
#
#   (always)    the release build: compiler, CMake, Ninja, the libraries Velkor links (and
#               the JSON headers, which the Windows build takes too)
#   --tests     the test and sanitizer presets, and the desktop tools the tests drive
#   --package   building the Debian package (cpack -G DEB)
#   --package-check  also checking it (tools/check-package.sh: lintian, the manual page)
#   --windows   the Windows cross build and its tests under Wine
#   --fuzz      the fuzzing harnesses (clang with libFuzzer)
#   --bench     the benchmarks
set -euo pipefail

npm_packages=()  # the glTF validator the export tests run, from the npm registry
packages=(cmake ninja-build g++ pkg-config libsystemd-dev libpugixml-dev libyaml-dev libstb-dev nlohmann-json3-dev)
for group in "$@"; do
  case "$group" in
    --tests) packages+=(googletest libgtest-dev libgmock-dev dbus shared-mime-info desktop-file-utils
                        libglib2.0-bin libxml2-utils libfm-dev)
             # A Node.js installed otherwise (with its own npm) is used as it is.
             command -v npm >/dev/null || packages+=(nodejs npm)
             npm_packages+=(gltf-validator) ;;
    --package) packages+=(dpkg-dev file) ;;
    --package-check) packages+=(dpkg-dev file lintian groff man-db) ;;
    --windows) packages+=(g++-mingw-w64-x86-64-posix googletest wine wine64 locales) ;;
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --bench) packages+=(libbenchmark-dev hyperfine python3) ;;
    *) echo "usage: $0 [--tests] [--package] [--package-check] [--windows] [--fuzz] [--bench]" >&2; exit 2 ;;
  esac
done

# npm packages after the Debian ones (which bring npm); only those node cannot load yet.
install_npm_packages() {
  for pkg in "${npm_packages[@]}"; do
    NODE_PATH="$(npm root -g)" node -e "require('$pkg')" 2>/dev/null && continue
    echo "Installing $pkg (npm)"
    "${as_root[@]}" npm install --global --no-fund --no-audit "$pkg"
  done
}

as_root=()
[ "$(id -u)" -ne 0 ] && command -v sudo >/dev/null && as_root=(sudo)

missing=()
for pkg in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$pkg")
done
if [ ${#missing[@]} -eq 0 ]; then
  install_npm_packages
  exit 0
fi
readarray -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || {
    echo "$0: installing ${missing[*]} needs root; run this as root or install sudo" >&2
    exit 1
  }
  as_root=(sudo)
fi
echo "Installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
install_npm_packages
