#!/usr/bin/env bash
# Every core test program and the command line tools under AddressSanitizer and
# UndefinedBehaviorSanitizer, in build-asan/ (configured once, without the GUI): ctest runs all
# tests, then mp3info reads the test files and fuzz seeds in both modes and mp3decode decodes the
# decoder fixtures and seeds without sound.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build-asan -G Ninja -DKORVA_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
  -DKORVA_SANITIZE=address,undefined >/dev/null
cmake --build build-asan -j2
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 KORVA_AUDIO=null
ctest --test-dir build-asan -j2 --output-on-failure

echo "== mp3info on the test files and fuzz seeds"
build-asan/tools/mp3info/mp3info tests/mp3player/compo/info/data/* tools/fuzz/seeds/*/* >/dev/null
build-asan/tools/mp3info/mp3info --player tests/mp3player/compo/info/data/* tools/fuzz/seeds/*/* >/dev/null

echo "== mp3decode --null on the decoder fixtures and seeds"
# A corrupt stream may end mp3decode with an error of its own; only the sanitizers' exit code,
# set apart from the program's, fails the stage.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for file in tests/mp3player/compo/decoder/data/layer12/*.mp[12] \
  tests/mp3player/compo/decoder/data/layer3/*.mp3 tools/fuzz/seeds/fuzz_decoder/*; do
  rc=0
  ASAN_OPTIONS=$ASAN_OPTIONS:exitcode=86 UBSAN_OPTIONS=$UBSAN_OPTIONS:exitcode=86 \
    build-asan/tools/mp3decode/mp3decode --null "$file" >/dev/null 2>"$log" || rc=$?
  if [ "$rc" -eq 86 ]; then
    cat "$log"
    echo "FAILED: mp3decode --null $file"
    exit 1
  fi
done
