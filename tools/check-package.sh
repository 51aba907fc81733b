#!/usr/bin/env bash
# Builds the Debian package from a configured and built release tree and checks it: its
# contents, lintian, and the program it installs (unpacked into a scratch root, never into
# the system), run with a scratch home folder.
#   tools/check-package.sh [BUILD_FOLDER]      (default: build/release)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build/release}" && pwd)
fail() { echo "check-package: $*" >&2; exit 1; }

rm -f "$build"/velkor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/velkor_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack wrote no single velkor_<version>_<arch>.deb"
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "velkor_${version}_$(dpkg --print-architecture).deb" ] || fail "unexpected name $deb"
echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Section Depends

# Exactly the program and its documents, in Debian's shape.
expected="./usr/bin/velkor
./usr/share/doc/velkor/README.md
./usr/share/doc/velkor/changelog.gz
./usr/share/doc/velkor/copyright
./usr/share/man/man1/velkor.1.gz
./usr/share/thumbnailers/velkor.thumbnailer"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$actual" = "$expected" ] || fail "unexpected contents:"$'\n'"$actual"
dpkg-deb -f "$deb" Depends | grep -q 'libstdc++6' || fail "Depends misses the C++ runtime"
dpkg-deb -f "$deb" Depends | grep -q 'libyaml-0-2' || fail "Depends misses libyaml, which reads Lutris files"

echo "== lintian"
lintian --fail-on error "$deb"

work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
dpkg -x "$deb" "$work/root"
velkor="$work/root/usr/bin/velkor"
file -b "$velkor" | grep -q ', stripped' || fail "the installed program is not stripped"
# The manual page renders without a warning, as lintian and man-db render it.
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
  "$work/root/usr/share/man/man1/velkor.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has warnings:"$'\n'"$warnings"

echo "== the installed program"
# A home of its own: no games, no settings, nothing of the user's is read or written.
mkdir -p "$work/home"
run() { env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$work/home" WINEPREFIX="$work/home/.wine" "$velkor" "$@"; }
[ "$(run --version)" = "velkor $version" ] || fail "--version prints '$(run --version)', the package is $version"
run --help | grep -q '^usage: velkor' || fail "--help prints no usage"

# A folder under a name with a blank, as file managers pass them; members no converter reads.
cars="$work/My Cars"
mkdir -p "$cars/roadster"
printf 'notes\n' >"$cars/roadster/notes"
head -c 70000 /dev/urandom >"$cars/roadster/paint.bin"
cp -r "$cars/roadster" "$work/original"
run /p "$cars/roadster"
[ "$(head -c 4 "$cars/roadster.viv")" = BIGF ] || fail "/p wrote no VIV archive"
rm -r "$cars/roadster"
run /e "$cars/roadster.viv"
diff -r "$work/original" "$cars/roadster" || fail "/p then /e did not give back the files"
echo "--version, --help, /p and /e work; package checked"
