#!/usr/bin/env bash
# Builds Korva and starts it. Without a game of your own (KORVA_INSTALL_DIR, or the game in a Wine
# prefix) it runs on the bundled demo game, copied the first time to a scratch folder so that
# applying a configuration never touches the repository:
#   ${XDG_DATA_HOME:-~/.local/share}/korva-demo/game   the demo game (Music/Digital/Config.txt)
#   ${XDG_DATA_HOME:-~/.local/share}/korva-demo/music  some music to assign to its scenes
# Delete that folder to start the demo afresh (the first-run question comes again). The
# configurations and settings you make are yours, in ~/.local/share/korva and ~/.config/korva.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
bash tools/setup/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target korva

game_in_wine() {
  local reg="${WINEPREFIX:-$HOME/.wine}/system.reg"
  [ -f "$reg" ] && grep -qi 'Ultima Online Samurai Empire' "$reg"
}

if [ -z "${KORVA_INSTALL_DIR:-}" ] && ! game_in_wine; then
  demo="${XDG_DATA_HOME:-$HOME/.local/share}/korva-demo"
  if [ ! -d "$demo/game" ]; then
    mkdir -p "$demo"
    cp -R demo/game demo/music "$demo/"
    echo "Demo game copied to $demo"
  fi
  # The install folder is the value's folder part, so it ends with a separator.
  export KORVA_INSTALL_DIR="$demo/game/"
fi
exec build/app/korva
