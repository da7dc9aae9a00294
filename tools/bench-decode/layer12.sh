#!/usr/bin/env bash
# Layer I and Layer II decoding speed and memory: Korva's decoder (`mp3decode --null`) side by
# side with the reference decoder (`mpg123 -q -t`) on the same five-minute streams, made on the
# spot: a Layer II stream from twolame (44.1 kHz joint stereo, 192 kbit/s) and a Layer I stream
# from the project's test encoder (44.1 kHz stereo, 384 kbit/s). Per stream: the median wall
# times of RUNS alternating runs and their ratio, then the peak memory of one run of each.
#
# Usage: tools/bench-decode/layer12.sh [BUILD_DIR] [MPEG_TABLES_DIR] [RUNS] [--generic]
#   BUILD_DIR        the build holding tools/mp3decode/mp3decode (default: build)
#   MPEG_TABLES_DIR  the standard's tables, for the Layer I encoder (default:
#                    ../shared/mpeg-audio-tables beside the repository; without them the Layer I
#                    stream is left out)
#   RUNS             runs of each decoder (default 7)
#   --generic        mp3decode uses the generic routine forms
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build}
tables=${2:-$top/../shared/mpeg-audio-tables}
runs=${3:-7}
options=("${@:4}")
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

source "$top/tools/bench-decode/compare.sh"

# peak LABEL COMMAND...: the peak memory of one run.
peak() {
  local label=$1
  shift
  printf '%-17s %d KiB peak\n' "$label:" "$(/usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)"
}

for stream in "${streams[@]}"; do
  echo "$(basename "$stream") ($(stat -c %s "$stream") bytes, 300 s of audio):"
  compare "$decoder" "$runs" "$stream" "${options[@]}"
  peak "mp3decode --null" "$decoder" "${options[@]}" --null "$stream"
  peak "mpg123 -q -t" mpg123 -q -t "$stream"
done
