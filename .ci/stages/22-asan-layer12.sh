#!/usr/bin/env bash
# Layer I and Layer II decoding under AddressSanitizer and UndefinedBehaviorSanitizer, in the
# shared sanitizer build folder: the frame tests feed corrupt frames of exact length, the
# decoding tests every reference stream.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-asan -G Ninja -DKORVA_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DKORVA_SANITIZE=address,undefined >/dev/null
targets=()
for src in tests/mp3player/compo/decoder/layer12_*_test.cpp; do
  targets+=("decoder_$(basename "$src" .cpp)")
done
cmake --build build-asan -j"$(nproc)" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
for target in "${targets[@]}"; do
  exe=$(find build-asan/tests -type f -name "$target" -perm -u+x | head -n1)
  echo "== $target"
  "$exe" --gtest_brief=1
done
