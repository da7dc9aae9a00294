#!/usr/bin/env bash
# Makes the small MP3 files the stream information and tag tests read. Needs ffmpeg, lame and
# twolame (developer machines only; the files are committed and the tests never run these tools).
set -euo pipefail
cd "$(dirname "$0")"
q=(-hide_banner -loglevel error -y)
tone=(-f lavfi -i "sine=frequency=440:sample_rate=44100:duration=0.5")

# A bare stream: no tags, no Xing frame.
ffmpeg "${q[@]}" "${tone[@]}" -ac 1 -c:a libmp3lame -b:a 64k -write_xing 0 -id3v2_version 0 \
  -map_metadata -1 plain.mp3

# ID3v2.3 at the start (Japanese text in UTF-16) and ID3v1 at the end.
ffmpeg "${q[@]}" "${tone[@]}" -ac 2 -c:a libmp3lame -b:a 128k -write_xing 0 \
  -id3v2_version 3 -write_id3v1 1 \
  -metadata title="日本語のタイトル" -metadata artist="Artist One" -metadata album="Album" \
  -metadata date=2004 -metadata comment="A comment" -metadata genre=Rock -metadata track=7 \
  id3v23.mp3

# lame's own tags: ID3v2 plus ID3v1 with a track number and a genre, and its Xing frame.
ffmpeg "${q[@]}" "${tone[@]}" -ac 1 -f wav tone.wav
lame --quiet -b 32 --add-id3v2 --tt "Lame Title" --ta "Lame Artist" --tl "Lame Album" \
  --ty 1999 --tc "lame comment" --tn 3 --tg Jazz tone.wav lame_tags.mp3

# MPEG-2 and MPEG-2.5 sampling rates, and a Layer II stream.
lame --quiet -b 32 --resample 22.05 -t tone.wav mpeg2.mp3
lame --quiet -b 8 --resample 8 -t tone.wav mpeg25.mp3
ffmpeg "${q[@]}" "${tone[@]}" -ac 2 -c:a mp2 -b:a 192k -ar 48000 -map_metadata -1 -f mp2 layer2.mp3
# A Layer II mono stream from another encoder.
twolame --quiet -b 64 tone.wav twolame_mono.mp2
rm tone.wav

# ID3v2.4, which is passed whole without reading its frames.
ffmpeg "${q[@]}" "${tone[@]}" -t 0.2 -ac 2 -c:a libmp3lame -b:a 96k -write_xing 0 \
  -id3v2_version 4 -metadata title="Version 4 title" id3v24.mp3

# A WAV wrapper around MP3 data (RIFF, fmt chunk, data chunk), as some rippers write.
ffmpeg "${q[@]}" "${tone[@]}" -ac 1 -c:a libmp3lame -b:a 64k -map_metadata -1 -f wav riff_mp3.wav

# ID3v2.4 from two writers, with Japanese, accented Latin and symbols. ffmpeg writes UTF-8
# (encoding 3); mutagen writes UTF-16 with a byte-order mark (encoding 1), UTF-16 big-endian
# without one (encoding 2), and several artists in one frame.
title_ja="桜の季節　～春～"
artist_latin="Zoë Ångström & Beyoncé"
album_symbols="★ Best ♪ №1 — Δ/Ω ©"
ffmpeg "${q[@]}" "${tone[@]}" -t 0.2 -ac 2 -c:a libmp3lame -b:a 96k -write_xing 0 \
  -id3v2_version 4 -metadata title="$title_ja" -metadata artist="$artist_latin" \
  -metadata album="$album_symbols" id3v24_ffmpeg.mp3
for encoding in 1 2; do
  ffmpeg "${q[@]}" "${tone[@]}" -t 0.2 -ac 1 -c:a libmp3lame -b:a 64k -write_xing 0 \
    -id3v2_version 0 -map_metadata -1 "id3v24_mutagen_enc$encoding.mp3"
  /usr/bin/python3 - "id3v24_mutagen_enc$encoding.mp3" "$encoding" \
    "$title_ja" "$artist_latin" "$album_symbols" <<'PY'
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB
path, encoding, title, artist, album = sys.argv[1], int(sys.argv[2]), *sys.argv[3:]
tags = ID3()
tags.add(TIT2(encoding=encoding, text=[title]))
tags.add(TPE1(encoding=encoding, text=[artist, "初音ミク"]))
tags.add(TALB(encoding=encoding, text=[album]))
tags.save(path, v2_version=4)
PY
done

# A short sound (0.7 s) at a constant bit rate without and with lame's "Info" frame; a variable bit rate
# with lame's Xing frame, the same with a VBRI header in its place, and without any header frame.
# The sound changes every 50 ms, so that a variable bit rate changes from the first frames on.
sox -n -r 44100 -c 2 tone.wav synth 0.05 sine 300 : synth 0.05 whitenoise vol 0.3 \
  : synth 0.05 sine 300 : synth 0.05 whitenoise vol 0.3 repeat 9
lame --quiet -t -b 64 tone.wav duration_cbr.mp3
lame --quiet -b 64 tone.wav duration_info.mp3
lame --quiet -V 4 tone.wav duration_xing.mp3
lame --quiet -V 4 -t tone.wav duration_plain_vbr.mp3
rm tone.wav
../../xing_to_vbri.sh duration_xing.mp3 duration_vbri.mp3
