#!/usr/bin/env bash
# Decoding speed against a reference decoder: makes a 5-minute 128 kbit/s stereo MP3 with sox
# and lame in a temporary folder, then decodes it RUNS times (default 7) with
# `mp3decode --null` and with `mpg123 -q -t`, alternating, and prints both median times and
# their ratio (mp3decode / mpg123; below 1 means faster than mpg123). With --generic mp3decode
# uses the generic routine forms instead of those chosen for the processor.
# Usage: tools/bench-decode/bench.sh [BUILD_DIR] [RUNS] [--generic]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
runs=${2:-7}
options=("${@:3}")
decoder=$build/tools/mp3decode/mp3decode
[ -x "$decoder" ] || { echo "bench.sh: build mp3decode first ($decoder)" >&2; exit 1; }
for tool in sox lame mpg123; do
  command -v "$tool" >/dev/null || { echo "bench.sh: needs $tool" >&2; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$top/tools/bench-decode/music_source.sh"
music_source "$tmp" 300
lame --quiet -b 128 "$tmp/source.wav" "$tmp/bench.mp3"

source "$top/tools/bench-decode/compare.sh"
compare "$decoder" "$runs" "$tmp/bench.mp3" "${options[@]}"
