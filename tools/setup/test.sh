#!/usr/bin/env bash
# Installs what the build needs, builds Korva with its tests in build/ and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
bash tools/setup/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
