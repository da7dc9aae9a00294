#!/usr/bin/env bash
# Layer I and Layer II decoding speed and memory: Korva's decoder (`mp3decode --null`) side by
# side with the reference decoder (`mpg123 -t`) on the same five-minute streams, made on the
# spot: a Layer II stream from twolame (44.1 kHz joint stereo, 192 kbit/s) and a Layer I stream
# from the project's test encoder (44.1 kHz stereo, 384 kbit/s).
#
# Usage: tools/bench-decode/layer12.sh [BUILD_DIR] [MPEG_TABLES_DIR]
#   BUILD_DIR        the build holding tools/mp3decode/mp3decode (default: build)
#   MPEG_TABLES_DIR  the standard's tables, for the Layer I encoder (default:
#                    ../shared/mpeg-audio-tables beside the repository; without them the Layer I
#                    stream is left out)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
tables=${2:-$top/../shared/mpeg-audio-tables}
decoder="$build/tools/mp3decode/mp3decode"
[ -x "$decoder" ] || { echo "no $decoder: build the mp3decode target first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sox -R -n -r 44100 -c 2 -b 16 -e signed "$work/source.raw" synth 300 sine 100-7000 pinknoise \
  lowpass 15000 vol 0.35
twolame --quiet -r -s 44100 -N 2 -m j -b 192 "$work/source.raw" "$work/five-minutes.mp2"
streams=("$work/five-minutes.mp2")
if [ -e "$tables/dewindow" ]; then
  g++ -std=c++20 -O2 -o "$work/layer1-encoder" "$top/tools/layer1-encoder/layer1_encoder.cpp"
  "$work/layer1-encoder" "$tables/dewindow" 44100 stereo 384 < "$work/source.raw" \
    > "$work/five-minutes.mp1"
  streams+=("$work/five-minutes.mp1")
fi

# measure LABEL COMMAND...: the best of three runs (seconds of wall and user time, peak memory).
measure() {
  local label=$1 best="" line
  shift
  for _ in 1 2 3; do
    line=$(/usr/bin/time -f "%e %U %M" "$@" 2>&1 >/dev/null | tail -1)
    if [ -z "$best" ] || awk -v a="$line" -v b="$best" 'BEGIN { split(a, x); split(b, y); exit !(x[1] < y[1]) }'; then
      best=$line
    fi
  done
  read -r wall user rss <<< "$best"
  printf '  %-28s %6.2f s wall  %6.2f s user  %7d KiB peak\n' "$label" "$wall" "$user" "$rss"
}

for stream in "${streams[@]}"; do
  echo "$(basename "$stream") ($(stat -c %s "$stream") bytes, 300 s of audio):"
  measure "mp3decode --null" "$decoder" --null "$stream"
  measure "mpg123 -t" mpg123 -q -t "$stream"
done
