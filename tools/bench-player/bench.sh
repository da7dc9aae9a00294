#!/usr/bin/env bash
# Playing cost of the player component on the silent real-time device: makes 30-second stereo
# MP3 files at 128 and 320 kbit/s with sox and lame in a temporary folder, plays each with
# mp3play (processor use while playing) and player-bench (time from Play to the first buffer
# handed to the device), and, as the reference in the same run, decodes each with `mpg123 -q -t`
# (the processor time a reference decoder needs for the whole file).
# Usage: tools/bench-player/bench.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
play=$build/tools/mp3play/mp3play
bench=$build/tools/bench-player/player-bench
for tool in "$play" "$bench"; do
  [ -x "$tool" ] || { echo "bench.sh: build mp3play and player-bench first ($tool)" >&2; exit 1; }
done
for tool in sox lame mpg123; do
  command -v "$tool" >/dev/null || { echo "bench.sh: needs $tool" >&2; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$top/tools/bench-decode/music_source.sh"
music_source "$tmp" 30
export KORVA_AUDIO=null
for rate in 128 320; do
  lame --quiet -b "$rate" "$tmp/source.wav" "$tmp/$rate.mp3"
  echo "== $rate kbit/s, 30 s"
  "$play" "$tmp/$rate.mp3" | tail -1
  "$bench" "$tmp/$rate.mp3"
  TIMEFORMAT='mpg123 -q -t: wall %3R s, user %3U s, system %3S s'
  time mpg123 -q -t "$tmp/$rate.mp3"
done
