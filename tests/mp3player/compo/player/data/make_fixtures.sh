#!/usr/bin/env bash
# Makes the small MP3 files the player tests play. Needs sox, lame and dd (developer machines only;
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

# Two seconds of a changing sound at a variable bit rate: without a header frame (the player
# counts its frames), and as an MPEG-2.5 stream with lame's Xing frame.
sox -n -r 44100 -c 2 tone.wav synth 1 sine 300 sine 500 vol 0.5 : synth 1 whitenoise vol 0.3
lame --quiet -V 6 -t tone.wav vbr_plain.mp3
lame --quiet -V 6 --resample 8 tone.wav vbr_mpeg25.mp3
# A constant bit rate with lame's "Info" frame, which holds no audio.
lame --quiet -b 64 tone.wav cbr_info.mp3
rm tone.wav

# vbr.mp3 with a VBRI header in place of the Xing one.
../../xing_to_vbri.sh vbr.mp3 vbri.mp3
