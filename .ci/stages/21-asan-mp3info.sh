#!/usr/bin/env bash
# The buffered reader, the frame header parser, the tag readers and the stream information tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, in the shared sanitizer build folder.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-asan -G Ninja -DKORVA_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DKORVA_SANITIZE=address,undefined >/dev/null
targets=(mp3_stream_reader_test mp3_tag_text_test mp3_mp3_info_test mp3_mp3_file_info_test
  decoder_frame_header_test mp3info)
cmake --build build-asan -j"$(nproc)" --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
for target in "${targets[@]}"; do
  [ "$target" = mp3info ] && continue
  exe=$(find build-asan/tests -type f -name "$target" -perm -u+x | head -n1)
  echo "== $target"
  "$exe" --gtest_brief=1
done
echo "== mp3info on the test files"
build-asan/tools/mp3info/mp3info tests/mp3player/compo/data/* tools/fuzz/seeds/*/* >/dev/null
build-asan/tools/mp3info/mp3info --player tests/mp3player/compo/data/* tools/fuzz/seeds/*/* >/dev/null
