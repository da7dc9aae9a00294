#!/usr/bin/env bash
# Layer III decoding, the synthesis and the processor variants under AddressSanitizer and
# UndefinedBehaviorSanitizer, in the shared sanitizer build folder: the decoder and frame loop
# tests, and mp3decode (the player's frame loop) over every fixture and fuzz seed.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-asan -G Ninja -DKORVA_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DKORVA_SANITIZE=address,undefined >/dev/null
targets=(mp3decode mp3_frame_loop_test decoder_cpu_test decoder_synth_test decoder_layer3_test
  decoder_layer3_accuracy_test decoder_tables_test)
cmake --build build-asan -j"$(nproc)" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
for target in "${targets[@]}"; do
  [ "$target" = mp3decode ] && continue
  exe=$(find build-asan/tests -type f -name "$target" -perm -u+x | head -n1)
  echo "== $target"
  "$exe" --gtest_brief=1
done
echo "== mp3decode on the fixtures and seeds"
for file in tests/mp3player/compo/decoder/data/layer3/*.mp3 tools/fuzz/seeds/fuzz_decoder/*; do
  build-asan/tools/mp3decode/mp3decode --null "$file" 2>/dev/null || true
done
