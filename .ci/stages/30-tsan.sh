#!/usr/bin/env bash
# ThreadSanitizer build of the tests of the locks, events, loop thread, wave output and player
# (with its stress test of random operations while files play), in build-tsan/. They need no
# sound card: they use the scripted device, the silent one and ALSA's null device.
set -euo pipefail
cd "$(dirname "$0")/../.."
targets=(mp3_sync_test mp3_loop_thread_test mp3_sound_out_test mp3_audio_device_test
  mp3_player_test mp3_player_stress_test)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_GUI=OFF \
  -DKORVA_SANITIZE=thread
cmake --build build-tsan -j"$(nproc)" --target "${targets[@]}"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
export KORVA_AUDIO=null
for target in "${targets[@]}"; do
  echo "== $target"
  binary=$(echo build-tsan/tests/mp3player/compo/*/"$target")
  "$binary" --gtest_brief=1
done
