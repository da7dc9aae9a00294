#!/usr/bin/env bash
# Makes the Layer I and Layer II test streams and their reference PCM.
#
# Layer II streams come from twolame, Layer I streams from the project's own small encoder
# (tools/layer1-encoder; no packaged tool writes Layer I). The reference PCM is what mpg123
# decodes from each stream (raw signed 16-bit little-endian, interleaved, no gapless trimming).
# The content (a sweep in one channel, low-passed noise in the other) stays below 16 kHz so that
# no decoder's band limit cuts it.
#
# Usage: make_fixtures.sh [MPEG_TABLES_DIR]   (default: ../shared/mpeg-audio-tables of the
# repository, which holds the synthesis window the encoder needs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../../../../.." && pwd)
tables=${1:-$top/../shared/mpeg-audio-tables}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

g++ -std=c++20 -O2 -o "$work/layer1-encoder" "$top/tools/layer1-encoder/layer1_encoder.cpp"

# source RATE CHANNELS: 0.7 s of test content as raw PCM.
source_pcm() {
  local rate=$1 channels=$2 out="$work/source-$1-$2.raw"
  if [ ! -e "$out" ]; then
    if [ "$channels" = 2 ]; then
      sox -R -n -r "$rate" -c 2 -b 16 -e signed "$out" synth 0.7 sine 100-7000 pinknoise \
        lowpass 15000 vol 0.45
    else
      sox -R -n -r "$rate" -c 1 -b 16 -e signed "$out" synth 0.7 sine 200-6000 vol 0.5
    fi
  fi
  echo "$out"
}

reference() {
  mpg123 --quiet --no-gapless -e s16 -s "$here/$1" > "$here/${1%.*}.pcm"
}

# layer2 NAME RATE CHANNELS MODE KBPS [twolame options]
layer2() {
  local name=$1 rate=$2 channels=$3 mode=$4 kbps=$5
  shift 5
  twolame --quiet -r -s "$rate" -N "$channels" -m "$mode" -b "$kbps" "$@" \
    "$(source_pcm "$rate" "$channels")" "$here/$name.mp2"
  reference "$name.mp2"
}

# layer1 NAME RATE CHANNELS MODE KBPS [encoder options]
layer1() {
  local name=$1 rate=$2 channels=$3 mode=$4 kbps=$5
  shift 5
  "$work/layer1-encoder" "$tables/dewindow" "$rate" "$mode" "$kbps" "$@" \
    < "$(source_pcm "$rate" "$channels")" > "$here/$name.mp1"
  reference "$name.mp1"
}

# MPEG-1 Layer II: every allocation table, every mode, low and high rates, CRC and padding.
layer2 l2_44k_stereo_192 44100 2 s 192
layer2 l2_48k_stereo_64 48000 2 s 64
layer2 l2_48k_joint_384 48000 2 j 384
layer2 l2_32k_mono_48 32000 1 m 48
layer2 l2_32k_dual_256 32000 2 d 256
layer2 l2_44k_joint_128_crc_pad 44100 2 j 128 -p -d
layer2 l2_44k_mono_56 44100 1 m 56
# MPEG-2 Layer II at the three low sampling frequencies.
layer2 l2_16k_mono_32 16000 1 m 32
layer2 l2_22k_stereo_64 22050 2 s 64
layer2 l2_24k_joint_48 24000 2 j 48
layer2 l2_24k_stereo_160 24000 2 s 160
layer2 l2_24k_dual_16 24000 2 d 16

# Layer I: every mode and joint-stereo bound, CRC, padding (44.1 kHz), MPEG-2 rates.
layer1 l1_44k_stereo_384_crc 44100 2 stereo 384 --crc
layer1 l1_48k_mono_192 48000 1 mono 192
layer1 l1_32k_joint8_256 32000 2 joint8 256
layer1 l1_44k_joint4_128 44100 2 joint4 128
layer1 l1_48k_dual_448 48000 2 dual 448
layer1 l1_22k_stereo_128 22050 2 stereo 128
layer1 l1_16k_mono_32 16000 1 mono 32
layer1 l1_24k_joint16_96 24000 2 joint16 96 --crc

# Seeds for the decoder's fuzz target: the first frames of a few streams.
seeds="$top/tools/fuzz/seeds/fuzz_decoder"
mkdir -p "$seeds"
for name in l1_44k_joint4_128.mp1 l1_24k_joint16_96.mp1 l2_44k_joint_128_crc_pad.mp2 \
  l2_48k_stereo_64.mp2 l2_16k_mono_32.mp2 l2_24k_dual_16.mp2; do
  head -c 1200 "$here/$name" > "$seeds/layer12_$name"
done
