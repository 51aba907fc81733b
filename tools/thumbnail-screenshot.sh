#!/usr/bin/env bash
# A picture of Velkor's thumbnails as a user sees them: the sample cars in Thunar, whose
# thumbnails tumbler makes through the velkor.thumbnailer entry that `velkor --setup`
# writes, on a virtual screen (Xvfb). Needs thunar, tumbler, xvfb and netpbm; nothing of the
# user's is read or written (a scratch home).
#   tools/thumbnail-screenshot.sh BUILD_FOLDER OUTPUT.png
set -euo pipefail
build=$(cd "$1" && pwd)
output=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-screenshot.XXXXXX")
xvfb=
cleanup() { [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

export HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR"
cp "$build/velkor" "$work/bin/velkor"
"$work/bin/velkor" --setup >/dev/null 2>&1 || true

# The sample car, and what it looks like converted to NFS4, in a folder of cars.
"$build/velkor-sample" "$work/sample" >/dev/null
cars="$HOME/Cars"
mkdir -p "$cars/roadster"
cp "$work/sample/cars/roadster/car.viv" "$cars/roadster/car.viv"
cp "$work/sample/cars/roadster/car.viv" "$cars/Velkor Roadster.viv"
(cd "$cars/roadster" && "$work/bin/velkor" /e car.viv >/dev/null 2>&1 && mv car/car.fce "$cars/car.fce" &&
  mv car/car00.tga "$cars/car00.tga" && rm -r car)
rmdir "$cars/roadster" 2>/dev/null || rm -rf "$cars/roadster"

Xvfb :77 -screen 0 760x420x24 -fbdir "$work" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 2
export DISPLAY=:77
# Thunar asks tumbler (started by the session bus) for the thumbnails; the screen is taken
# from Xvfb's frame buffer while Thunar still shows them.
dbus-run-session -- sh -c 'thunar "$1" >/dev/null 2>&1 & sleep 20; xwdtopnm "$2" 2>/dev/null | pnmtopng >"$3"; kill $!' \
  sh "$cars" "$work/Xvfb_screen0" "$output"
echo "wrote $output"
