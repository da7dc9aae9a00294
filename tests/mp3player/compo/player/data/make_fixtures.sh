#!/usr/bin/env bash
# Makes the small MP3 files the player tests play. Needs sox and lame (developer machines only;
# the files are committed and the tests never run these tools).
set -euo pipefail
cd "$(dirname "$0")"

# Three seconds of a mono MPEG-2 stream at a constant bit rate, without a Xing frame: the seek
# tests walk its frames.
sox -n -r 22050 -c 1 tone.wav synth 3 sine 440 vol 0.5
lame --quiet -t -b 32 tone.wav tone3s.mp3

# One second of stereo at a variable bit rate, with lame's Xing frame (frame count and bytes).
sox -n -r 44100 -c 2 tone.wav synth 1 sine 300 sine 500 vol 0.5
lame --quiet -V 6 tone.wav vbr.mp3
rm tone.wav
