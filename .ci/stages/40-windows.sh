#!/usr/bin/env bash
# Windows: cross-builds the whole project with mingw-w64 and the Qt for Windows kept in
# ../shared/qt-mingw/ beside the checkout (KORVA_SHARED names another folder), unpacked into
# build-windows/, never into the repository, with GoogleTest from Debian's sources. Then, in a
# fresh Wine prefix in a temporary folder:
#   - every test program the build made, through ctest (new tests join on their own): the GUI-free
#     ones, the Windows forms' own tests (registry, named mutex, code page 932, data folders,
#     WinMM), then the widget tests on Qt's offscreen platform, counted apart;
#   - the tools with Japanese names on their command lines (wmain), compared with ASCII names;
#   - playwav on the wave-out device that Wine offers over ALSA's null PCM;
#   - the installer and the portable zip (desktop/windows/make-installer.sh); korva.exe from the
#     zip and from a silent install, each on a virtual display (Xvfb) on a copy of the demo game
#     registered in the prefix, until its window shows, then closed as a person closes it; their
#     settings where the Windows rule puts them; a silent uninstall that removes the program
#     folder and keeps the person's data.
# No sound card is needed.
set -euo pipefail
# Many steps send their output to /dev/null; a failing one still names itself.
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND"' ERR
cd "$(dirname "$0")/../.."
top=$PWD
started=$SECONDS
bash tools/setup/install-deps.sh
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$top")}
toolchain=$top/tools/cmake/mingw-w64-x86_64.cmake
build=$top/build-windows
jobs=2

echo "== Qt for Windows"
archive=${KORVA_SHARED:-$top/../shared}/qt-mingw/qt6-mingw64.tar.xz
[ -f "$archive" ] || { echo "FAILED: $archive is missing (CI keeps shared/ beside the checkout)"; exit 1; }
qt=$build/qt6-mingw64
sum=$(sha256sum "$archive" | cut -d' ' -f1)
if [ "$(cat "$qt/.archive-sha256" 2>/dev/null)" != "$sum" ]; then
  rm -rf "$qt"
  mkdir -p "$build"
  tar -xJf "$archive" -C "$build"
  echo "$sum" >"$qt/.archive-sha256"
fi
echo "$archive unpacked in $qt"

echo "== GoogleTest for Windows"
gtest=$build/googletest-install
if [ ! -f "$gtest/lib/libgtest.a" ]; then
  cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
  cmake --build "$build/googletest" -j"$jobs" --target install >/dev/null
fi

echo "== Cross-build"
# Qt's moc, rcc and uic are Debian's own host tools of the same version (QT_HOST_PATH).
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVA_GUI=ON -DCMAKE_PREFIX_PATH="$gtest;$qt" -DQT_HOST_PATH=/usr >/dev/null
cmake --build "$build" -j"$jobs"

echo "== Installer and portable zip"
dist=$build/dist
mapfile -t made < <(bash desktop/windows/make-installer.sh "$build" "$dist")
setup=${made[0]}
zip=${made[1]}
echo "$(basename "$setup"): $(stat -c %s "$setup") bytes; $(basename "$zip"): $(stat -c %s "$zip") bytes"

# A fresh prefix and home of the stage's own. ALSA's null PCM as the default device gives Wine a
# wave-out device without a sound card; without a display Wine opens no window, and the .NET and
# HTML engines are not offered for installing, nor menu entries made for the installed program.
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix HOME=$scratch/home WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME" "$WINEPREFIX"
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
xvfb=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
echo "== Wine prefix"
# One server for the whole stage, and its helper processes started here with their output on
# /dev/null: a helper started by the first test would hold that test's output pipe open, and
# ctest would wait for it until its time-out.
# The prefix is made first and every process of that waited for (wineserver -w): a test program
# started while the new prefix is still being written can fail to start at all.
wineboot --init >/dev/null 2>&1 </dev/null
wineserver -w
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null

# The test programs find Qt's DLLs and plugins where the archive was unpacked.
windows_path() { echo "Z:${1//\//\\}"; }
export WINEPATH QT_PLUGIN_PATH
WINEPATH=$(windows_path "$qt/bin")
QT_PLUGIN_PATH=$(windows_path "$qt/plugins")

echo "== Tests under Wine"
# ctest lists each program's tests when it starts; when Wine fails to start one of them for that
# (an error of Wine's with no output of the program's), the whole run is tried once more.
core_log=$scratch/core.log
if ! ctest --test-dir "$build" -j"$jobs" -LE widgets --output-on-failure 2>&1 | tee "$core_log"; then
  grep -q 'Error running test executable' "$core_log" || exit 1
  echo "== Wine failed to start a test program while listing its tests; once more"
  ctest --test-dir "$build" -j"$jobs" -LE widgets --output-on-failure
fi

echo "== Widget tests under Wine"
log=$scratch/widgets.log
rc=0
ctest --test-dir "$build" -j"$jobs" -L widgets --output-on-failure 2>&1 | tee "$log" || rc=$?
summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n 1)
total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
failed=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
skipped=$(grep -c '(Skipped)' "$log" || true)
echo "Widget tests under Wine: $total ran, $((total - failed - skipped)) passed, $skipped skipped, $failed failed"
[ "$rc" -eq 0 ] || { echo "FAILED: widget tests"; exit 1; }
unset WINEPATH QT_PLUGIN_PATH

echo "== Tools with Japanese arguments"
tools=$build/tools
work=$scratch/音楽
mkdir -p "$work"
fixture=tests/mp3player/compo/decoder/data/layer3/m1_44k_joint_128.mp3
cp "$fixture" "$work/ascii.mp3"
cp "$fixture" "$work/曲 一.mp3"
(cd "$work" && wine "$tools/mp3info/mp3info.exe" "曲 一.mp3") >"$scratch/info.json"
grep -q '"file":"曲 一.mp3"' "$scratch/info.json" || { cat "$scratch/info.json"; echo "FAILED: mp3info's file name"; exit 1; }
wine "$tools/mp3decode/mp3decode.exe" --raw "$work/ascii.mp3" "$scratch/ascii.pcm" 2>/dev/null
wine "$tools/mp3decode/mp3decode.exe" --raw "$work/曲 一.mp3" >"$scratch/japanese.pcm" 2>/dev/null
wine "$tools/mp3decode/mp3decode.exe" --raw "$work/曲 一.mp3" "$work/出力.pcm" 2>/dev/null
cmp "$scratch/ascii.pcm" "$scratch/japanese.pcm"
cmp "$scratch/ascii.pcm" "$work/出力.pcm"
echo "mp3info and mp3decode read 曲 一.mp3; the PCM on standard output and in 出力.pcm match"

echo "== playwav on the wave-out device"
wav=tests/tools/playwav/data/stereo16.wav
begin=$(date +%s%N)
wine "$tools/playwav/playwav.exe" "$wav"
elapsed_ms=$(( ($(date +%s%N) - begin) / 1000000 ))
echo "playwav played $wav through WinMM in ${elapsed_ms} ms"

echo "== korva.exe on the demo game"
drive_c=$WINEPREFIX/drive_c
# The demo game where a person installs games, with the backup of its table that the first-run
# question makes, registered as the game's installer registers it (32-bit view).
mkdir -p "$drive_c/Games"
cp -R demo/game "$drive_c/Games/SamuraiEmpire"
digital=$drive_c/Games/SamuraiEmpire/Music/Digital
cp "$digital/Config.txt" "$digital/Config.org"
wine reg add 'HKLM\SOFTWARE\EA GAMES\Ultima Online Samurai Empire' /v 'Install Dir' /t REG_SZ \
  /d 'C:\Games\SamuraiEmpire\' /reg:32 /f >/dev/null 2>&1
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
# Wine's desktop process, started above without a display, would keep the windows off it: the
# server and its helpers start again on the virtual display.
export DISPLAY=:$(cat "$scratch/display")
wineserver -k
wineserver -w
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null

# Starts a korva.exe on the virtual display, waits for its main window, closes it with the
# window's close message (what its close button sends) and checks that it ends cleanly.
window_shown() {
  local windows
  windows=$(xwininfo -root -tree 2>/dev/null) || return 1
  grep -q '"Korva \[Samurai Empire\]"' <<<"$windows"
}
run_korva() {
  local exe=$1 pid rc=0 begin=$SECONDS
  wine "$exe" >"$scratch/korva.log" 2>&1 &
  pid=$!
  # A prefix's first window waits for Wine to read the system's fonts, which takes a while.
  for _ in $(seq 1800); do
    window_shown && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  window_shown || { cat "$scratch/korva.log"; echo "FAILED: $exe showed no window"; exit 1; }
  wine taskkill /im korva.exe >/dev/null 2>&1
  wait "$pid" || rc=$?
  [ "$rc" -eq 0 ] || { echo "FAILED: $exe ended with $rc"; exit 1; }
  echo "$exe showed \"Korva [Samurai Empire]\" after $((SECONDS - begin)) s and ended cleanly"
}
expect_file() { [ -f "$1" ] || { echo "FAILED: $2: $1 is missing"; exit 1; }; }

# The portable copy keeps its settings beside itself.
portable=$drive_c/Portable
mkdir -p "$portable"
(cd "$portable" && unzip -q "$zip")
run_korva 'C:\Portable\Korva\korva.exe'
expect_file "$portable/Korva/Korva.ini" "the portable copy's settings"

echo "== Silent install and uninstall"
wine "$setup" /S
installed=$drive_c/Program\ Files/Korva
expect_file "$installed/korva.exe" "the installed program"
expect_file "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Korva/Korva.lnk" "the Start-menu entry"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korva'
wine reg query "$uninstall_key" /v UninstallString /reg:64 >/dev/null 2>&1 ||
  { echo "FAILED: no entry under Apps & features"; exit 1; }
run_korva 'C:\Program Files\Korva\korva.exe'
appdata=$drive_c/users/$(whoami)/AppData/Roaming/Korva
expect_file "$appdata/Korva.ini" "the installed copy's settings in %APPDATA%\\Korva"
[ ! -e "$installed/Korva.ini" ] || { echo "FAILED: the installed copy wrote into its folder"; exit 1; }
# The uninstaller runs from a copy of itself in the temporary folder and returns at once.
wine "$installed/korva-uninstall.exe" /S
for _ in $(seq 300); do [ -e "$installed" ] || break; sleep 0.2; done
[ ! -e "$installed" ] || { find "$installed"; echo "FAILED: the program folder remains"; exit 1; }
wine reg query "$uninstall_key" /reg:64 >/dev/null 2>&1 &&
  { echo "FAILED: the Apps & features entry remains"; exit 1; }
expect_file "$appdata/Korva.ini" "the person's settings after uninstalling"
echo "Installed, started, uninstalled: the program folder is gone, $appdata/Korva.ini remains"

echo "Installer: $(basename "$setup"), $(stat -c %s "$setup") bytes"
echo "Windows stage took $(( SECONDS - started )) s"
