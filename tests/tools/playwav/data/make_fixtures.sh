#!/usr/bin/env bash
# Makes the WAV files of the playwav tests with sox. Run it from anywhere; it writes beside itself.
set -euo pipefail
cd "$(dirname "$0")"
# Half a second of a stereo 16-bit tone at 11025 Hz.
sox -n -r 11025 -c 2 -b 16 -e signed-integer stereo16.wav synth 0.5 sine 440 sine 660 vol 0.5
# Three tenths of a second of a mono 8-bit tone at 8000 Hz.
sox -n -r 8000 -c 1 -b 8 -e unsigned-integer mono8.wav synth 0.3 sine 1000 vol 0.5
# 24-bit samples, which the wave output cannot play.
sox -n -r 8000 -c 1 -b 24 -e signed-integer mono24.wav synth 0.1 sine 1000
