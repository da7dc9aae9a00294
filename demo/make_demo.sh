#!/usr/bin/env bash
# Makes the demo game's music files and a folder of music to choose from, with Debian's sox and
# lame. The files are committed; run this again only to change them.
#   game/Music/Digital/*.mp3  the game's own music, one short tune per scene of Config.txt
#   music/*.mp3               the player's own music, tagged, some with Japanese tags
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
game="$here/game/Music/Digital"
music="$here/music"
mkdir -p "$game" "$music"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# tone NAME SECONDS SYNTH-ARGS... : a short mono tune as a WAV file in $tmp.
tone() {
  local name=$1 seconds=$2
  shift 2
  sox -n -r 22050 -c 1 -b 16 "$tmp/$name.wav" synth "$seconds" "$@" fade 0.05 "$seconds" 0.3 vol 0.5
}

# encode WAV MP3 [lame tag options...]
encode() {
  local wav=$1 mp3=$2
  shift 2
  lame --quiet -b 32 --resample 22.05 --add-id3v2 "$@" "$wav" "$mp3"
}

# The game's table names these files (without ".mp3"); each gets a tune of its own.
scenes=(opening town castle forest battle victory defeat dungeon sea night festival ending)
pitch=220
for name in "${scenes[@]}"; do
  tone "$name" 3 pluck "$pitch" pluck "$((pitch * 3 / 2))"
  encode "$tmp/$name.wav" "$game/$name.mp3" --tt "$name" --ta "Demo Game"
  pitch=$((pitch + 20))
done

tone a 4 sine 330 sine 440
encode "$tmp/a.wav" "$music/sakura.mp3" --id3v2-utf16 --tt "さくら" --ta "デモ楽団" --tl "春の歌" --ty 2004
tone b 4 square 262 sine 392
encode "$tmp/b.wav" "$music/Morning Walk.mp3" --tt "Morning Walk" --ta "Demo Band" --tl "Walks" --ty 2003
tone c 4 triangle 294 triangle 440
encode "$tmp/c.wav" "$music/Live, encore.mp3" --tt "Live, encore" --ta "Demo Band" --tl "Live"
tone d 4 sawtooth 196 sine 294
encode "$tmp/d.wav" "$music/river.song.mp3" --id3v2-utf16 --tt "川の歌" --ta "デモ楽団"

# The game's table, and the scene labels that ship beside the program, in the code page.
printf '%s\r\n' "0 opening,loop" "1 town,loop" "2 castle,loop" "3 forest,loop" "4 battle,loop" \
  "5 victory" "6 defeat" "7 dungeon,loop" "8 sea,loop" "9 night,loop" "10 festival,loop" \
  "11 ending" >"$game/Config.txt"
printf '%s\r\n' "[DEFAULT]" "0=タイトル画面" "1=城下町" "2=城" "3=森" "4=戦闘" "5=勝利" "6=敗北" \
  "7=ダンジョン" "8=海" "9=夜" "10=祭り" "11=エンディング" | iconv -f UTF-8 -t CP932 >"$here/korva.dat"
