#!/usr/bin/env bash
# Makes the Layer III accuracy fixtures: short files encoded with lame from sox-made sources
# (tones, noise and clicks, so that both long and short blocks occur) and, for each, the
# reference PCM of a reference decoder (signed 16-bit little-endian, interleaved).
# Needs sox, lame and mpg123. Run in this folder; the outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# source NAME RATE CHANNELS SECONDS: tones and pink noise with a click every 0.25 s.
source() {
  local name=$1 rate=$2 channels=$3 seconds=$4
  sox -n -r "$rate" -c 1 -b 16 "$tmp/tone.wav" synth "$seconds" sine 440 sine 1250 gain -14
  sox -n -r "$rate" -c 1 -b 16 "$tmp/noise.wav" synth "$seconds" pinknoise gain -20
  sox -n -r "$rate" -c 1 -b 16 "$tmp/click.wav" synth 0.004 whitenoise gain -4 pad 0.246 0 \
    repeat $((${seconds%.*} * 4 + 3)) trim 0 "$seconds"
  sox -m "$tmp/tone.wav" "$tmp/noise.wav" "$tmp/click.wav" "$tmp/mono.wav"
  if [ "$channels" = 2 ]; then
    # A slightly different right channel, so that M/S and the side channel carry data.
    sox "$tmp/mono.wav" "$tmp/right.wav" delay 0.0007 trim 0 "$seconds"
    sox -M "$tmp/mono.wav" "$tmp/right.wav" "$tmp/$name.wav"
  else
    mv "$tmp/mono.wav" "$tmp/$name.wav"
  fi
}

# fixture NAME RATE CHANNELS SECONDS LAME-OPTIONS...: no Xing/Info frame (-t), so that every
# frame is audio for both decoders.
fixture() {
  local name=$1 rate=$2 channels=$3 seconds=$4
  shift 4
  source "$name" "$rate" "$channels" "$seconds"
  lame --quiet -t "$@" "$tmp/$name.wav" "$name.mp3"
  mpg123 -q --no-gapless -e s16 -s "$name.mp3" > "$name.pcm"
}

# MPEG-1: 44.1, 48 and 32 kHz; joint stereo, stereo, dual channel, mono; CBR, VBR, free format.
fixture m1_44k_joint_128 44100 2 1 -b 128 -m j
fixture m1_48k_stereo_160 48000 2 1 -b 160 -m s
fixture m1_32k_mono_56 32000 1 1.5 -b 56 -m m
fixture m1_44k_mono_vbr 44100 1 1.5 -V 3 -m m
fixture m1_44k_dual_192 44100 2 1 -b 192 -m d
fixture m1_44k_free_160 44100 1 1 --freeformat -b 160 -m m
fixture m1_48k_mono_320 48000 1 1 -b 320 -m m
# MPEG-2 (16, 22.05, 24 kHz) and MPEG-2.5 (8, 11.025, 12 kHz). Their content stays below the
# decoder's clear limit (the start of long band 21 / short band 12).
fixture m2_22k_joint_64 22050 2 1 -b 64 -m j --lowpass 9500
fixture m2_24k_mono_48 24000 1 1.5 -b 48 -m m --lowpass 10500
fixture m2_16k_stereo_vbr 16000 2 1 -V 4 -m s --lowpass 7000
fixture m25_11k_mono_24 11025 1 1.5 -b 24 -m m --lowpass 4500
fixture m25_12k_joint_32 12000 2 1.5 -b 32 -m j --lowpass 5000
fixture m25_8k_mono_16 8000 1 2 -b 16 -m m --lowpass 3000
