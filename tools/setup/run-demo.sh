#!/usr/bin/env bash
# Builds Korva and starts it. The window is not built yet, so this only builds the core.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
bash tools/setup/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
echo "Korva's window is not built yet: the core libraries and tools are in build/."
