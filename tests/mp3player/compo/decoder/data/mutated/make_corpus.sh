#!/usr/bin/env bash
# Makes the committed mutated streams: test streams of ../layer3 and ../layer12 whose side
# information mpeg-difftest rewrote (block types and mixed flags, joint stereo, scale factor
# selection and layout, Huffman tables and regions, gains; Layer I/II allocations, scale factors
# and the joint-stereo bound), each with the reference PCM of mpg123 (raw signed 16-bit
# little-endian, no gapless trimming) with subband 31 silenced by its equalizer, as this decoder
# never decodes it. Needs mpg123 and a build of tools/difftest.
#
# Usage: make_corpus.sh [BUILD_DIR]   (default: build of the repository)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../../../../.." && pwd)
difftest=$(cd "${1:-$top/build}" && pwd)/tools/difftest/mpeg-difftest
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$here"
rm -f ./*.mp1 ./*.mp2 ./*.mp3 ./*.pcm

# The equalizer: 32 lines of left and right factors, subband 31 silent.
for _ in $(seq 31); do echo "1 1"; done > "$tmp/eq.txt"
echo "0 0" >> "$tmp/eq.txt"

# mutate STREAM SEED: six frames of ../STREAM rewritten with choices from SEED.
mutate() {
  "$difftest" --seed "$2" --count 1 --frames 6 --save "$tmp" "../$1" > /dev/null
  local name
  name=$(basename "$1")
  name="${name%.*}-$2.${name##*.}"
  mv "$tmp/$name" "$here/$name"
  mpg123 -q --no-gapless -e s16 -s -E "$tmp/eq.txt" "$name" > "${name%.*}.pcm"
}

mutate layer3/m1_44k_joint_128.mp3 11
mutate layer3/m1_44k_joint_128.mp3 12
mutate layer3/m1_48k_stereo_160.mp3 13
mutate layer3/m1_32k_mono_56.mp3 14
mutate layer3/m1_44k_dual_192.mp3 15
mutate layer3/m2_22k_joint_64.mp3 16
mutate layer3/m2_24k_mono_48.mp3 17
mutate layer3/m25_12k_joint_32.mp3 18
mutate layer3/m25_8k_mono_16.mp3 19
mutate layer12/l1_44k_joint4_128.mp1 20
mutate layer12/l1_48k_mono_192.mp1 21
mutate layer12/l2_44k_stereo_192.mp2 22
mutate layer12/l2_24k_joint_48.mp2 23
mutate layer12/l2_48k_stereo_64.mp2 24
