#!/usr/bin/env bash
# Makes the small MP3 files of the file list and scene list tests. Run it from anywhere; it
# writes next to itself. Needs sox and lame (Debian packages sox, lame).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

sox -n -r 44100 -c 2 "$tmp/stereo.wav" synth 0.2 sine 440
sox -n -r 22050 -c 1 "$tmp/mono.wav" synth 0.2 sine 330

# Two stereo MPEG-1 files and a mono MPEG-2 file with ID3v2 and ID3v1 tags.
lame --quiet -b 128 --tt "Alpha" --ta "Artist A" --tl "Album A  " --ty 2001 --tc "First  " \
  --add-id3v2 "$tmp/stereo.wav" alpha.mp3
lame --quiet -b 192 --tt "Gamma" --ta "Artist C" --add-id3v2 "$tmp/stereo.wav" gamma.mp3
lame --quiet -m m -b 32 --tt "Beta" --ta "Artist B" --add-id3v2 "$tmp/mono.wav" beta.mp3

# A frame that lies beyond where the tag reader looks for the first one: the sync search of
# the list finds it, the tag reader gives up on the file.
{ head -c 6000 /dev/zero; cat gamma.mp3; } > late_sync.mp3
# Text without a single frame sync.
printf 'not an mp3 file at all\n' > no_sync.mp3
