#!/usr/bin/env bash
# The Debian package: cpack makes it (in the test command's build/ when that exists, else in a
# build of its own), lintian finds no errors in it, and the program unpacked from it with
# dpkg-deb -x starts on a copy of the demo game, shows its window, and on SIGTERM saves its
# settings in the person's folder and exits cleanly.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash tools/setup/install-deps.sh
build=build
if ! grep -qs '^KORVA_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
  build=build-package
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2
rm -f "$build"/korva_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/korva_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

echo "== lintian"
lintian --fail-on error "$deb"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/korva.desktop"

echo "== the unpacked program on the demo game"
cp -R demo/game "$scratch/game"
# A person who has answered the first-run question: the backup of the game's table exists.
cp "$scratch/game/Music/Digital/Config.txt" "$scratch/game/Music/Digital/Config.org"
mkdir -m 700 "$scratch/run"
env -u KORVA_DATA_DIR HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" \
  XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run" QT_QPA_PLATFORM=offscreen \
  KORVA_AUDIO=null KORVA_INSTALL_DIR="$scratch/game/" "$scratch/root/usr/bin/korva" &
pid=$!
# The program takes SIGTERM into its own hands right after it has shown its window.
sigterm_caught() {
  local mask
  mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$pid/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (((16#$mask >> 14) & 1))
}
for _ in $(seq 600); do
  sigterm_caught && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
sigterm_caught || { echo "FAILED: the window was not shown"; kill "$pid" 2>/dev/null; exit 1; }
kill -TERM "$pid"
rc=0
wait "$pid" || rc=$?
[ "$rc" -eq 0 ] || { echo "FAILED: exit status $rc after SIGTERM"; exit 1; }
grep -q '^Volume=' "$scratch/config/korva/Korva.ini" ||
  { echo "FAILED: no settings in $scratch/config/korva/Korva.ini"; exit 1; }
echo "package OK"
