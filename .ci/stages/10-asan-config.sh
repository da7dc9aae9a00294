#!/usr/bin/env bash
# The platform layer, the configuration core (playlists, game table, Apply) and korva-apply under
# AddressSanitizer and UndefinedBehaviorSanitizer, in their own build folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-asan -G Ninja -DKORVA_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DKORVA_SANITIZE=address,undefined >/dev/null
targets=(korva-apply)
for src in tests/tools/korva_apply/*_test.cpp; do targets+=("tools_$(basename "$src" .cpp)"); done
for src in tests/platform/*_test.cpp; do targets+=("platform_$(basename "$src" .cpp)"); done
for src in tests/app/config/*_test.cpp; do targets+=("config_$(basename "$src" .cpp)"); done
cmake --build build-asan -j"$(nproc)" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
for target in "${targets[@]}"; do
  [ "$target" = korva-apply ] && continue
  exe=$(find build-asan/tests -type f -name "$target" -perm -u+x | head -n1)
  echo "== $target"
  "$exe" --gtest_brief=1
done
