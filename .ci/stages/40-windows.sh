#!/usr/bin/env bash
# Windows: cross-builds everything that needs no Qt with mingw-w64 in build-windows/ (GoogleTest
# too, from Debian's sources) and runs it under Wine in a fresh prefix in a temporary folder:
#   - every test program the build made, through ctest (new tests join on their own), including
#     the Windows forms' own tests: registry, named mutex, code page 932, data folders, WinMM;
#   - the tools with Japanese names on their command lines (wmain), compared with ASCII names;
#   - playwav on the wave-out device that Wine offers over ALSA's null PCM.
# Nothing opens a window and no sound card is needed.
set -euo pipefail
cd "$(dirname "$0")/../.."
top=$PWD
started=$SECONDS
bash tools/setup/install-deps.sh
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$top")}
toolchain=$top/tools/cmake/mingw-w64-x86_64.cmake
build=$top/build-windows
jobs=2

echo "== GoogleTest for Windows"
gtest=$build/googletest-install
if [ ! -f "$gtest/lib/libgtest.a" ]; then
  cmake -S /usr/src/googletest -B "$build/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" >/dev/null
  cmake --build "$build/googletest" -j"$jobs" --target install >/dev/null
fi

echo "== Cross-build"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVA_GUI=OFF -DCMAKE_PREFIX_PATH="$gtest" >/dev/null
cmake --build "$build" -j"$jobs"

# A fresh prefix and home of the stage's own. ALSA's null PCM as the default device gives Wine a
# wave-out device without a sound card; without a display Wine opens no window, and the .NET and
# HTML engines are not offered for installing.
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix HOME=$scratch/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME" "$WINEPREFIX"
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
echo "== Wine prefix"
# One server for the whole stage, and its helper processes started here with their output on
# /dev/null: a helper started by the first test would hold that test's output pipe open, and
# ctest would wait for it until its time-out.
wineserver -p
wineboot --init >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null

echo "== Tests under Wine"
ctest --test-dir "$build" -j"$jobs" --output-on-failure

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

echo "Windows stage took $(( SECONDS - started )) s"
