#!/usr/bin/env bash
# Makes the committed test files of the configuration tests. Needs iconv (glibc's).
set -euo pipefail
cd "$(dirname "$0")"

# A playlist as another program writes it: Shift-JIS with CR LF, a path whose characters 表 and
# ソ have the trail byte 0x5C, an info text, a lone LF and a last line without a line end.
printf '#EXTM3U\r\n#KORVA\r\n#KORVANUM:12,1\r\n#EXTINF:123,アーティスト - 表題\r\nC:\\音楽\\表\\ソング.mp3\r\n#EXTINF:\n#KORVANUM:7\r\nD:\\Music\\a b,c.mp3' \
  | iconv -f UTF-8 -t CP932 > sjis_playlist.m3u

# A game table in Shift-JIS with every kind of field the reader meets.
printf '%s\r\n' \
  '1 title,loop' \
  '2 battle' \
  '3,town,LOP' \
  '  4   "with blank, and ""quote""" , loop , extra' \
  'x notanumber' \
  '-1 the number that means no scene' \
  '5' \
  '6 表示曲' \
  '' \
  '7	tabbed	lOoP' \
  | iconv -f UTF-8 -t CP932 > sjis_table.txt
