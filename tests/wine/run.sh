#!/usr/bin/env bash
# The Windows build under Wine, in a fresh prefix removed afterwards: the cross-built unit tests, then
# Velkor.exe end to end: first start and its 58 shell-verb values, "/e" and "/p" round trips and every
# conversion verb as Explorer starts them, a replaced car kept and put back, folders named in three
# scripts under two system languages, --version and --help, a failure shown without a message box.
#   tests/wine/run.sh [WINDOWS_BUILD] [LINUX_BUILD]
# With LINUX_BUILD (holding velkor and velkor-sample) the Linux program converts the same car
# and must give byte-identical archives, --check and --cars reports and --export files.
# Switches (1 = on, the default): VELKOR_WINE_UNIT_TESTS, VELKOR_WINE_FIRST_RUN, VELKOR_WINE_ARCHIVES, VELKOR_WINE_CONVERT_CAR, VELKOR_WINE_NAMES.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
winbuild=$(cd "${1:-$here/build/windows}" && pwd)
linuxbuild=${2:+$(cd "$2" && pwd)}
: "${VELKOR_WINE_UNIT_TESTS:=1}" "${VELKOR_WINE_FIRST_RUN:=1}" "${VELKOR_WINE_ARCHIVES:=1}" \
  "${VELKOR_WINE_CONVERT_CAR:=1}" "${VELKOR_WINE_NAMES:=1}"

for f in Velkor.exe velkor_tests.exe velkor_shell_verb.exe velkor-sample.exe; do
  [ -f "$winbuild/$f" ] || { echo "run.sh: $winbuild/$f is missing; build the windows preset first" >&2; exit 2; }
done
command -v wine >/dev/null || { echo "run.sh: wine is not installed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/velkor-wine.XXXXXX")
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
# No display: nothing can open a window, and Wine offers no add-on downloads. Without its
# menu builder, Wine adds no menu entries or MIME types to the user's own folders.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
pass() { echo "  ok: $*"; }
fail() {
  echo "  FAILED: $*"
  [ -s "$err" ] && sed 's/^/    /' "$err"
  echo "    the last program run exited with ${rc:-nothing}; its standard output:"
  [ -s "$out" ] && sed 's/^/      /' "$out"
  failures=$((failures + 1))
}
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
step() { echo "== $*"; }

# Everything below lives on drive C: of the prefix. c PATH gives the Unix path of C:\PATH
# (PATH with or without "C:\", with "\" or "/").
c() { printf '%s/drive_c/%s' "$WINEPREFIX" "$(printf '%s' "${1#C:\\}" | tr '\\' '/')"; }
# Runs a Windows program; its output goes to files, never into a pipe that Wine's
# background processes would keep open. Sets $rc, $out, $err.
out="$work/stdout" err="$work/stderr"
run() {
  rc=0
  timeout 120 wine "$@" </dev/null >"$out" 2>"$err" || rc=$?
}

start=$SECONDS
step "fresh Wine prefix"
# A persistent server keeps every later start fast.
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
timeout 300 wineboot -i </dev/null >/dev/null 2>&1
echo "  ready after $((SECONDS - start)) s"

if [ "$VELKOR_WINE_UNIT_TESTS" = 1 ]; then
  step "unit tests (velkor_tests.exe)"
  run "$winbuild/velkor_tests.exe" --gtest_brief=1
  tail -n 3 "$out"
  check "all unit tests pass under Wine" test "$rc" = 0
  [ "$rc" = 0 ] || cat "$out" "$err"
fi

exe='C:\Program Files\Velkor\Velkor.exe'
programFolder='C:\Program Files\Velkor\'
nfs3='C:\Games\NFS3'
nfs4='C:\Games\NFS4 HS\'
carFolder='C:\My Cars\Velkor Roadster'
car="$carFolder\\car.viv"

mkdir -p "$(c 'Program Files/Velkor')" "$(c Velkor)" "$(c Games)" "$(c 'My Cars')" "$(c Work)"
cp "$winbuild/Velkor.exe" "$(c 'Program Files/Velkor/Velkor.exe')"
cp "$winbuild/Velkor.exe" "$(c Velkor/Velkor.exe)"
cp "$winbuild/velkor_shell_verb.exe" "$(c Work/shellverb.exe)"
verb() { run 'C:\Work\shellverb.exe' "$@"; }  # verb CLASS VERB PATH, as Explorer starts it

# The synthetic sample: a car for NFS3 and the two games' reference cars.
run "$winbuild/velkor-sample.exe" 'C:\sample'
[ "$rc" = 0 ] || { cat "$err"; echo "run.sh: the sample generator failed" >&2; exit 1; }
mv "$(c sample/nfs3)" "$(c Games/NFS3)"
mv "$(c sample/nfs4)" "$(c 'Games/NFS4 HS')"
mv "$(c sample/cars/roadster)" "$(c "My Cars/Velkor Roadster")"

# `reg query` output as "key|name|type|data" lines, the key in lower case (key names
# compare ignoring case, and Wine's own classes spell some of them differently).
reg_lines() {
  tr -d '\r' <"$out" | awk '
    /^HKEY_/ { key = tolower($0); next }
    /^    / {
      line = substr($0, 5)
      n = index(line, "    "); name = substr(line, 1, n - 1); line = substr(line, n + 4)
      n = index(line, "    "); type = substr(line, 1, n - 1); data = substr(line, n + 4)
      if (n == 0) { type = line; data = "" }
      print key "|" name "|" type "|" data
    }'
}

if [ "$VELKOR_WINE_FIRST_RUN" = 1 ]; then
  step "first start with both games in HKEY_LOCAL_MACHINE"
  run reg add 'HKLM\Software\Electronic Arts\Need For Speed III' /v InstallPath /t REG_SZ /d "$nfs3" /f
  run reg add 'HKLM\Software\Electronic Arts\Need for Speed High Stakes' /v InstallPath /t REG_SZ /d "$nfs4" /f
  run reg add 'HKCR\.txt' /ve /t REG_SZ /d 'someotherfile' /f

  t0=$SECONDS
  run "$exe"
  check "first start with an empty command line exits 0 ($((SECONDS - t0)) s)" test "$rc" = 0
  check "and writes nothing on stderr" test ! -s "$err"

  run reg query 'HKCU\Software\Velkor\Velkor\Settings'
  reg_lines >"$work/settings"
  settingsKey='hkey_current_user\software\velkor\velkor\settings'
  check "Installed is REG_DWORD 1" grep -qxF "$settingsKey|Installed|REG_DWORD|0x1" "$work/settings"
  check "NFS3Path gets its final \\" grep -qxF "$settingsKey|NFS3Path|REG_SZ|$nfs3\\" "$work/settings"
  check "NFS4Path keeps its single final \\" grep -qxF "$settingsKey|NFS4Path|REG_SZ|$nfs4" "$work/settings"
  check "nothing else in the settings" test "$(wc -l <"$work/settings")" = 3
  [ "$(wc -l <"$work/settings")" = 3 ] || cat "$work/settings"

  # The 58 values of the classes table: extension, then per verb its label and command.
  expected="$work/verbs.expected"
  : >"$expected"
  value() {
    printf 'hkey_classes_root\\%s|(Default)|REG_SZ|%s\n' "$(printf '%s' "$1" | tr 'A-Z' 'a-z')" "$2" >>"$expected"
  }
  declare -A label=([pack]='Pack to new VIV' [extract]='Extract to new folder' [convert3]='Convert to NFS3'
    [convertinstall3]='Convert to NFS3 and install' [convert4]='Convert to NFS4'
    [convertinstall4]='Convert to NFS4 and install')
  declare -A switch=([pack]=/p [extract]=/e [convert3]=/c3 [convertinstall3]=/ci3 [convert4]=/c4 [convertinstall4]=/ci4)
  verbs() {  # verbs CLASS VERB...
    local class=$1 key
    shift
    for key in "$@"; do
      value "$class\\shell\\$key" "${label[$key]}"
      value "$class\\shell\\$key\\command" "\"${programFolder}Velkor.exe\" ${switch[$key]} \"%1\""
    done
  }
  verbs Folder pack
  value .viv vivfile
  verbs vivfile extract convert3 convertinstall3 convert4 convertinstall4
  for ext in fce eng bri ger fre ita spa swe txt; do
    value ".$ext" "${ext}file"
    verbs "${ext}file" convert3 convert4
  done

  run reg query HKCR /s
  reg_lines >"$work/classes"
  missing=$(grep -vxF -f "$work/classes" "$expected" || true)
  check "all 58 values read back with their exact texts" test -z "$missing"
  [ -z "$missing" ] || printf '    missing or different: %s\n' "$missing"

  names=(dash.qfs ocar.bnk ocard.bnk scar.bnk dash.fsh dash.fce dash00.tga careng.ctb careng.ltb careng.bnk
         ocareng.bnk scareng.bnk)
  absent=""
  for name in "${names[@]}"; do [ -f "$(c "Program Files/Velkor/$name")" ] || absent+=" $name"; done
  check "the 12 reference files are in the program folder" test -z "$absent"
  [ -z "$absent" ] || echo "    absent:$absent"
  check "no working folder left in the games' reference cars" \
    test ! -e "$(c Games/NFS3/GameData/CarModel/fm50/car)" -a ! -e "$(c 'Games/NFS4 HS/Data/Cars/fm50/car')"
fi

# round_trip LABEL FOLDER EXTRACTED: FOLDER\car.viv extracted, packed again and extracted again
# through the Explorer verbs, both extractions holding the files of EXTRACTED (a Unix path).
round_trip() {
  local label=$1 folder=$2 extracted=$3
  verb vivfile extract "$folder\\car.viv"
  check "$label: \"/e\" through the Explorer verb extracts the reference's files" \
    eval 'test "$rc" = 0 && diff -r "$extracted" "$(c "$folder\\car")"'
  mv "$(c "$folder\\car.viv")" "$(c "$folder\\original.viv")"
  verb Folder pack "$folder\\car"
  check "$label: \"/p\" through the Explorer verb exits 0" test "$rc" = 0
  mv "$(c "$folder\\car")" "$(c "$folder\\first")"
  verb vivfile extract "$folder\\car.viv"
  check "$label: and the packed archive unpacks to the same files" \
    eval 'test "$rc" = 0 && diff -r "$extracted" "$(c "$folder\\car")"'
}

if [ "$VELKOR_WINE_ARCHIVES" = 1 ]; then
  step '"/e" and "/p" round trip'
  mkdir -p "$(c 'Work/round trip')" "$(c Work/plain)"
  cp "$(c "$car")" "$(c 'Work/round trip/car.viv')"
  cp "$(c "$car")" "$(c Work/plain/car.viv)"
  # An unquoted program name and path: the command line as a script would write it.
  run 'C:\Velkor\Velkor.exe' /e 'C:\Work\plain\car.viv'
  check '"/e" with unquoted program and path exits 0 and extracts something' \
    eval 'test "$rc" = 0 && test -n "$(ls "$(c Work/plain/car)")"'
  round_trip "a path with blanks" 'C:\Work\round trip' "$(c Work/plain/car)"
fi

if [ "$VELKOR_WINE_CONVERT_CAR" = 1 ]; then
  step "the sample car converted as Explorer starts the verbs"
  installed4='C:\Games\NFS4 HS\Data\Cars\Velkor Roadster\car.viv'
  installed3='C:\Games\NFS3\GameData\CarModel\Velkor Roadster\car.viv'

  # Switch, its Explorer verb, the input and the file written; the Linux program repeats them.
  conversions=("ci4|convertinstall4|$car|$installed4" "c4|convert4|$car|$carFolder\\car.vi4"
    "c3|convert3|$installed4|${installed4%.viv}.vi3" "ci3|convertinstall3|$installed4|$installed3")
  for row in "${conversions[@]}"; do
    IFS='|' read -r sw key input output <<<"$row"
    verb vivfile "$key" "$input"
    check "\"/$sw\" of $input exits 0 and writes $output" test "$rc" = 0 -a -f "$(c "$output")"
  done
  check "no working folders remain beside the inputs" \
    test "$(ls "$(c "$carFolder")" | tr '\n' ' ')" = "car.vi4 car.viv " -a \
    "$(ls "$(c "${installed4%\\car.viv}")" | tr '\n' ' ')" = "car.vi3 car.viv "

  if [ -n "$linuxbuild" ]; then
    step "the same conversions on Linux give the same bytes"
    linux="$work/linux"
    mkdir -p "$linux/bin" "$linux/home/.config/Velkor"
    "$linuxbuild/velkor-sample" "$linux"
    mv "$linux/cars/roadster" "$linux/cars/Velkor Roadster"
    cp "$linuxbuild/velkor" "$linux/bin/velkor"
    printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_LOCAL_MACHINE\Software\Electronic Arts\Need For Speed III]' "\"InstallPath\"=\"$linux/nfs3\"" '' \
      '[HKEY_LOCAL_MACHINE\Software\Electronic Arts\Need for Speed High Stakes]' "\"InstallPath\"=\"$linux/nfs4\"" \
      >"$linux/home/.config/Velkor/registry.reg"
    lv() { env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$linux/home" WINEPREFIX="$linux/no-wine" "$linux/bin/velkor" "$@"; }
    # lx PATH: the Linux side's path of a Windows path above.
    lx() {
      local p=${1/#C:\\My Cars/$linux/cars}
      p=${p/#C:\\Games\\NFS4 HS/$linux/nfs4}
      p=${p/#C:\\Games\\NFS3/$linux/nfs3}
      printf '%s' "${p//\\//}"
    }
    lcar=$(lx "$car")
    lv || fail "the first start on Linux"
    check "the sample cars are the same" cmp "$lcar" "$(c "$car")"
    for row in "${conversions[@]}"; do
      IFS='|' read -r sw key input output <<<"$row"
      lv "/$sw" "$(lx "$input")" || fail "the Linux \"/$sw\""
      check "\"/$sw\" output is byte-identical" cmp "$(lx "$output")" "$(c "$output")"
    done

    step "--check, --cars and --export print and write what the Linux program does"
    # The same inputs on both sides, prepared by the Linux program: the sample car, its texture
    # and the NFS3 reference car's compressed images (QFS): one of each kind of export.
    lin="$linux/look" win=$(c Work/look)
    mkdir -p "$lin/parts"
    cp "$lcar" "$lin/car.viv"
    cp "$lcar" "$lin/parts/sample.viv" && lv /e "$lin/parts/sample.viv" >/dev/null
    cp "$linux/nfs3/GameData/CarModel/fm50/car.viv" "$lin/parts/nfs3.viv" && lv /e "$lin/parts/nfs3.viv" >/dev/null
    cp "$lin/parts/sample/car00.tga" "$lin/parts/nfs3/dash.qfs" "$lin/"
    rm -rf "$lin/parts"
    cp -r "$lin" "$win"
    # Each command runs in that folder on a relative path, so that both print the same names.
    look() {  # look NAME ARGUMENTS...: velkor's outputs in $linux/NAME.*, Velkor.exe's in $work/NAME.*
      local name=$1 linrc=0
      shift
      (cd "$lin" && lv "$@" >"$linux/$name.out" 2>"$linux/$name.err") || linrc=$?
      echo "$linrc" >"$linux/$name.rc"
      pushd "$win" >/dev/null
      run "$exe" "$@"
      popd >/dev/null
      tr -d '\r' <"$out" >"$work/$name.out"
      tr -d '\r' <"$err" >"$work/$name.err"
      echo "$rc" >"$work/$name.rc"
    }
    same() {  # same NAME: the same exit status, standard output and error on both
      cmp -s "$linux/$1.rc" "$work/$1.rc" && cmp -s "$linux/$1.out" "$work/$1.out" &&
        cmp -s "$linux/$1.err" "$work/$1.err" && return 0
      diff "$linux/$1.out" "$work/$1.out" | head -n 5 >&2 || true
      diff "$linux/$1.err" "$work/$1.err" | head -n 5 >&2 || true
      return 1
    }
    look check-good --check car.viv
    check "--check of the sample car: exit 0 and the same report" eval 'test "$rc" = 0 && same check-good'
    look cars --cars
    check "--cars: the same table" eval 'test "$rc" = 0 && grep -q "Velkor Roadster" "$out" && same cars'
    look cars-json --cars --json
    # Each system names the archives by its own paths; everything else is the same.
    check "--cars --json names the archives by Windows paths" \
      grep -qF '"archive": "C:\\Games\\NFS4 HS\\Data\\Cars\\Velkor Roadster\\car.viv"' "$work/cars-json.out"
    sed -i '/^ *"archive": /d' "$linux/cars-json.out" "$work/cars-json.out"
    check "--cars --json: the same JSON" eval 'test "$rc" = 0 && same cars-json'
    for input in car.viv car00.tga dash.qfs; do
      look "export-$input" --export "$input"
      check "--export $input: exit 0, the same messages" eval 'test "$rc" = 0 && same "export-$input"'
    done
    check "--export wrote byte-identical files (glb, png and folders of png)" diff -r "$lin" "$win"
    check "and wrote something for each" test "$(ls "$win" | wc -l)" = 6
  fi

  step "a replaced car is kept in %LOCALAPPDATA%\\Velkor and --restore puts it back"
  kept_dir() { find "$WINEPREFIX/drive_c/users" -type d -path '*/Velkor/replaced/NFS4/Velkor Roadster' | head -n 1; }
  inst4=$(c "$installed4")
  cp "$(c "$car")" "$inst4"  # an installed archive that differs from the conversion
  verb vivfile convertinstall4 "$car"
  kept=$(kept_dir)
  check '"/ci4" over another archive exits 0 and keeps it as YYYYMMDD-HHMMSS.viv' \
    eval 'test "$rc" = 0 -a -n "$kept" && ls "$kept" | grep -qxE "[0-9]{8}-[0-9]{6}\.viv" &&
      cmp "$kept"/*.viv "$(c "$car")"'
  run "$exe" --restore "$installed4"
  check '"--restore" exits 0 and puts the kept archive back' eval 'test "$rc" = 0 && cmp "$inst4" "$(c "$car")"'
  [ "$rc" = 0 ] || cat "$err"
  run "$exe" --restore "$installed3"
  check '"--restore" of a car with nothing kept exits 1 naming where it looked' \
    eval 'test "$rc" = 1 && grep -q "replaced.NFS3.Velkor Roadster" "$err"'
fi

if [ "$VELKOR_WINE_NAMES" = 1 ]; then
  step "names in three scripts under two system languages: program, game, car and archive folders"
  # Wine takes the system's language, and with it the code page, from the locale; the
  # Russian one (code page 1251) is generated here, beside the prefix, from the locales
  # package's sources, so that the machine's own locales stay as they are.
  mkdir -p "$work/locales"
  localedef -i ru_RU -f UTF-8 "$work/locales/ru_RU.UTF-8" >/dev/null 2>&1 ||
    fail "the ru_RU.UTF-8 locale cannot be generated (localedef, package locales)"
  export LOCPATH="$work/locales"
  # Each name holds a character that one of the two code pages (1252, 1251) lacks.
  scripts=('汽车 二号' 'Машина Жук' 'Müller Café')
  for locale in C.UTF-8 ru_RU.UTF-8; do
    export LC_ALL=$locale
    tag=${locale%%.*}
    prog="C:\\Программы $tag 汽车 é"
    games="C:\\Игры $tag"
    games4="$games\\Müller 二 NFS4\\"
    names="C:\\Names $tag"
    mkdir -p "$(c "$prog")" "$(c "$names")/ref" "$(c "$games")"
    cp "$winbuild/Velkor.exe" "$(c "$prog\\Velkor.exe")"
    cp -r "$(c 'Games/NFS4 HS')" "$(c "${games4%\\}")"
    rm -rf "$(c "$games4")/Data/Cars/Velkor Roadster"
    run reg add 'HKLM\Software\Electronic Arts\Need for Speed High Stakes' /v InstallPath /t REG_SZ /d "$games4" /f
    run "$prog\\Velkor.exe" --setup
    check "$locale: --setup from a program folder so named exits 0" test "$rc" = 0
    check "$locale: the reference files are copied into it" test -f "$(c "$prog\\dash.fsh")" -a -f "$(c "$prog\\ocareng.bnk")"
    check "$locale: the NFS4 folder so named is found and read back" grep -qF "$games4" "$out"

    # What the same archive gives on a path of plain letters.
    ref="$names\\ref"
    cp "$(c "$car")" "$(c "$ref\\car.viv")"
    run "$prog\\Velkor.exe" /e "$ref\\car.viv"
    mv "$(c "$ref\\car")" "$(c "$ref\\extracted")"
    run "$prog\\Velkor.exe" /c4 "$ref\\car.viv"
    check "$locale: the plain-named reference converts" test "$rc" = 0 -a -f "$(c "$ref\\car.vi4")"

    for name in "${scripts[@]}"; do
      # Each pass installs cars of its own names, so that it keeps and restores its own copies.
      carname="$name $tag"
      folder="$names\\$carname"
      mkdir -p "$(c "$folder")"
      cp "$(c "$car")" "$(c "$folder\\car.viv")"
      round_trip "$locale, '$name'" "$folder" "$(c "$ref\\extracted")"
      rm -rf "$(c "$folder\\car")"
      verb vivfile convert4 "$folder\\car.viv"
      check "$locale, '$name': \"/c4\" writes the reference's conversion beside the archive" \
        eval 'test "$rc" = 0 && cmp "$(c "$folder\\car.vi4")" "$(c "$ref\\car.vi4")"'
      verb vivfile convertinstall4 "$folder\\car.viv"
      check "$locale, '$name': \"/ci4\" installs it in a car folder of that name" \
        eval 'test "$rc" = 0 && cmp "$(c "${games4}Data\\Cars\\$carname\\car.viv")" "$(c "$ref\\car.vi4")"'
      installed="${games4}Data\\Cars\\$carname\\car.viv"
      mkdir -p "$(c "${installed%\\car.viv}")"
      cp "$(c "$folder\\original.viv")" "$(c "$installed")"
      verb vivfile convertinstall4 "$folder\\car.viv"
      check "$locale, '$name': \"/ci4\" over another car exits 0" test "$rc" = 0
      run "$prog\\Velkor.exe" --restore "$installed"
      check "$locale, '$name': the archive a \"/ci4\" replaced is kept, and \"--restore\" puts it back" \
        eval 'test "$rc" = 0 && cmp "$(c "$installed")" "$(c "$folder\\original.viv")"'
      run "$prog\\Velkor.exe" /e "$folder\\нет 无.viv"
      check "$locale, '$name': a failure names the archive as given" \
        eval 'test "$rc" = 1 && grep -qF "$carname\\нет 无.viv" "$err"'
    done
  done
  unset LC_ALL LOCPATH
fi

step "--version and --help write to a redirected standard output"
run "$exe" --version
check "--version prints the version on stdout" eval 'test "$rc" = 0 && grep -q "^velkor [0-9]" "$out"'
run "$exe" --help
check "--help prints the usage on stdout" eval 'test "$rc" = 0 && test -s "$out" && test ! -s "$err"'

step "a failing command reports on stderr and shows no message box"
# Wine traces every dialog it builds, message boxes included, on the "dialog" channel.
export WINEDEBUG=-all,+dialog
run "$exe" /e 'C:\Work\no such archive.viv'
check "exit status 1" test "$rc" = 1
check "one \"velkor: \" line naming the archive" grep -q '^velkor: .*no such archive\.viv' "$err"
check "no message box" eval '! grep -q "trace:dialog" "$err"'
run "$exe" /x 'C:\Work'
check "an unknown switch exits 2 with the usage on stderr, no message box" \
  eval 'test "$rc" = 2 && grep -q "^velkor: " "$err" && ! grep -q "trace:dialog" "$err"'
export WINEDEBUG=-all

echo
echo "Wine suite: $failures failure(s) in $((SECONDS - start)) s"
[ "$failures" = 0 ]
