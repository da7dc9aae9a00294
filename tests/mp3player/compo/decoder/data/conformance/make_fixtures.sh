#!/usr/bin/env bash
# Makes the streams of what no encoder here writes, and their reference PCM from mpg123 (raw
# signed 16-bit little-endian, interleaved, no gapless trimming):
#   mixed_44k_mono_64.mp3   lame frames with block switching whose start and stop granules get
#                           the mixed block flag (streams.py mixed);
#   modes_*                 frames of one rate cut from streams of every channel mode and put
#                           one after another (streams.py splice). Layer III frames come from
#                           lame without bit reservoir, so that each frame holds its own data;
#   rates_l2_48k_stereo.mp2 Layer II frames of two bit rates whose allocation tables differ.
# The reference plays every frame in the first frame's layout: --stereo duplicates single-channel
# frames, -m mixes two-channel frames.
# Needs sox, lame, twolame, mpg123 and g++. Run in this folder; the outputs are committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../../../../.." && pwd)
tables=${1:-$top/../shared/mpeg-audio-tables}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$here"

# Tones with a click every 84 ms (short blocks, so start and stop blocks too); the right channel
# is delayed a little so that the side channel carries data.
sox -n -r 44100 -c 1 -b 16 "$tmp/tone.wav" synth 0.5 sine 440 sine 1250 gain -14
sox -n -r 44100 -c 1 -b 16 "$tmp/click.wav" synth 0.004 whitenoise gain -4 pad 0.08 0 repeat 6 \
  trim 0 0.5
sox -m "$tmp/tone.wav" "$tmp/click.wav" "$tmp/mono.wav"
sox "$tmp/mono.wav" "$tmp/right.wav" delay 0.0007 trim 0 0.5
sox -M "$tmp/mono.wav" "$tmp/right.wav" "$tmp/stereo.wav"
sox "$tmp/mono.wav" -t raw "$tmp/mono.raw"
sox "$tmp/stereo.wav" -t raw "$tmp/stereo.raw"

lame --quiet -t -b 64 -m m "$tmp/mono.wav" "$tmp/mono64.mp3"
./streams.py mixed "$tmp/mono64.mp3" mixed_44k_mono_64.mp3
mpg123 -q --no-gapless -e s16 -s mixed_44k_mono_64.mp3 > mixed_44k_mono_64.pcm

for m in m d s j; do
  src="$tmp/stereo.wav"
  [ $m = m ] && src="$tmp/mono.wav"
  lame --quiet -t --nores -b 128 -m $m "$src" "$tmp/l3_$m.mp3"
done
for m in m d s j; do
  src="$tmp/stereo.raw" channels=2
  [ $m = m ] && src="$tmp/mono.raw" channels=1
  twolame --quiet -r -s 44100 -N $channels -m $m -b 192 "$src" "$tmp/l2_$m.mp2"
done
g++ -std=c++20 -O2 -o "$tmp/layer1-encoder" "$top/tools/layer1-encoder/layer1_encoder.cpp"
for m in mono stereo joint8 dual; do
  src="$tmp/stereo.raw"
  [ $m = mono ] && src="$tmp/mono.raw"
  "$tmp/layer1-encoder" "$tables/dewindow" 44100 $m 384 < "$src" > "$tmp/l1_$m.mp1"
done

# Splice points where both channels of the frames around a change have the same block type:
# mpg123 mixes granules of differing block types inexactly.
./streams.py splice modes_l3_mono_first.mp3 "$tmp/l3_m.mp3:0:5" "$tmp/l3_d.mp3:5:3" \
  "$tmp/l3_s.mp3:8:4" "$tmp/l3_j.mp3:12:4" "$tmp/l3_m.mp3:16:3"
mpg123 -q --no-gapless -e s16 -s -m modes_l3_mono_first.mp3 > modes_l3_mono_first.pcm
./streams.py splice modes_l3_stereo_first.mp3 "$tmp/l3_j.mp3:0:4" "$tmp/l3_m.mp3:4:4" \
  "$tmp/l3_s.mp3:8:4" "$tmp/l3_d.mp3:12:4" "$tmp/l3_m.mp3:16:3"
mpg123 -q --no-gapless -e s16 -s --stereo modes_l3_stereo_first.mp3 > modes_l3_stereo_first.pcm
# Layers I and II only stereo first: mpg123 plays the left channel of two-channel frames in a
# single-channel Layer I/II stream instead of mixing them.
./streams.py splice modes_l2_stereo_first.mp2 "$tmp/l2_j.mp2:0:4" "$tmp/l2_m.mp2:4:4" \
  "$tmp/l2_s.mp2:8:4" "$tmp/l2_d.mp2:12:3" "$tmp/l2_m.mp2:15:3"
mpg123 -q --no-gapless -e s16 -s --stereo modes_l2_stereo_first.mp2 > modes_l2_stereo_first.pcm
./streams.py splice modes_l1_stereo_first.mp1 "$tmp/l1_joint8.mp1:0:12" "$tmp/l1_mono.mp1:12:12" \
  "$tmp/l1_stereo.mp1:24:12" "$tmp/l1_dual.mp1:36:12" "$tmp/l1_mono.mp1:48:8"
mpg123 -q --no-gapless -e s16 -s --stereo modes_l1_stereo_first.mp1 > modes_l1_stereo_first.pcm

# Layer II at 48 kHz: 64 kbit/s frames use table B.2c (8 subbands), 192 kbit/s frames B.2a.
sox -n -r 48000 -c 2 -b 16 -e signed "$tmp/stereo48.raw" synth 0.5 sine 300-3000 pinknoise \
  lowpass 15000 vol 0.45
twolame --quiet -r -s 48000 -N 2 -m s -b 64 "$tmp/stereo48.raw" "$tmp/l2_64.mp2"
twolame --quiet -r -s 48000 -N 2 -m s -b 192 "$tmp/stereo48.raw" "$tmp/l2_192.mp2"
./streams.py splice rates_l2_48k_stereo.mp2 "$tmp/l2_64.mp2:0:5" "$tmp/l2_192.mp2:5:5" \
  "$tmp/l2_64.mp2:10:5"
mpg123 -q --no-gapless -e s16 -s rates_l2_48k_stereo.mp2 > rates_l2_48k_stereo.pcm
