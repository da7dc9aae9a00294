#!/usr/bin/env bash
# Writes a copy of an MPEG-1 stereo file whose first frame holds a Xing header with a VBRI header
# in its place: byte count at +10 and frame count at +14 of the header, both taken over from the
# Xing header (frames at 44, bytes at 48 of its frame). No encoder writes VBRI headers.
# Usage: xing_to_vbri.sh XING.mp3 VBRI.mp3
set -euo pipefail
cp "$1" "$2"
dd if=/dev/zero of="$2" bs=1 seek=36 count=150 conv=notrunc status=none
printf 'VBRI\0\1' | dd of="$2" bs=1 seek=36 conv=notrunc status=none
dd if="$1" of="$2" bs=1 skip=48 seek=46 count=4 conv=notrunc status=none
dd if="$1" of="$2" bs=1 skip=44 seek=50 count=4 conv=notrunc status=none
