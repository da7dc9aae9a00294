#!/usr/bin/env python3
"""Writes the small seed files the fuzz targets start from: each holds one of the layouts the
stream information reader knows (MacBinary, RIFF with an INFO list, ID3v2.3 with an extended
header, Lyrics3, ID3v1) around a few MPEG audio frames, so that mutations start close to every
parser's interesting paths."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def frames(count, header=b"\xff\xfb\x90\x64", size=417):
    return (header + b"\x55" * (size - 4)) * count


def id3v2(body, major=3, flags=0):
    n = len(body)
    size = bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
    return b"ID3" + bytes([major, 0, flags]) + size + body


def frame(fid, content):
    return fid + struct.pack(">I", len(content)) + b"\0\0" + content


def id3v1(title):
    return b"TAG" + title.ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + b"\0" * 34 + \
        b"Comment".ljust(28, b"\0") + b"\0\x05\x11"


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), "wb") as f:
        f.write(data)


tags = frame(b"TIT2", b"\x01\xff\xfe\xe5\x65\x2c\x67") + \
    frame(b"COMM", b"\0engdesc\0text") + frame(b"TALB", b"\0Album") + b"\0" * 12
ext = id3v2(struct.pack(">I", 6) + b"\0" * 6 + tags, flags=0x40)
lyrics2 = b"LYRICSBEGIN" + b"IND00002" + b"10" + b"LYR00005" + b"Words"
lyrics2 += b"%06d" % len(lyrics2) + b"LYRICS200"
write("fuzz_mp3_info", "id3v2_lyrics2_id3v1.mp3", ext + frames(3) + lyrics2 + id3v1(b"Title"))

info = b"INFO" + b"INAM" + struct.pack("<I", 5) + b"Name\0" + b"\0" + \
    b"IART" + struct.pack("<I", 2) + b"Me"
body = id3v2(tags) + frames(2)
riff = b"RIFF" + struct.pack("<I", 0) + b"WAVE" + b"fmt " + struct.pack("<I", 3) + b"abc\0" + \
    b"data" + struct.pack("<I", len(body)) + body + \
    b"LIST" + struct.pack("<I", len(info)) + info
write("fuzz_mp3_info", "riff_info.wav", riff)

fork = id3v2(tags, major=4) + frames(2) + b"LYRICSBEGIN" + b"old lyrics" + b"LYRICSEND" + \
    id3v1(b"Fork")
mac = bytearray(128)
mac[1] = 5
mac[2:7] = b"Music"
mac[83:87] = struct.pack(">I", len(fork))
mac[87:91] = struct.pack(">I", 16)
write("fuzz_mp3_info", "macbinary.bin", bytes(mac) + fork + b"R" * 16)

free = frames(4, b"\xff\xfb\x00\x44", 300)
write("fuzz_frame_header", "free_format.mp3", b"\0\0" + free)
write("fuzz_frame_header", "mpeg25.mp3", frames(3, b"\xff\xe3\x18\x00", 72))
write("fuzz_frame_header", "layer1.mp3", frames(3, b"\xff\xff\x1a\x00", 48))

# One real encoder's output: lame's ID3v2 and ID3v1 tags around a Xing frame.
with open(os.path.join(HERE, "../../../tests/mp3player/compo/info/data/lame_tags.mp3"), "rb") as f:
    write("fuzz_mp3_info", "lame_tags.mp3", f.read())

# Text files as Korva and other programs write them: Shift-JIS (with half-width katakana whose
# bytes are well-formed UTF-8 too, and a trail byte that is the backslash), UTF-8 with and
# without a byte-order mark, CR LF, lone CR and lone LF line ends, and bytes that are no text.
def sjis(text):
    return text.encode("cp932")


playlist = "#EXTM3U\r\n#KORVA\r\n#KORVANUM:12,1\r\n#EXTINF:123,アーティスト - 表題\r\n" \
    "C:\\音楽\\表\\ソング.mp3\r\n#KORVANUM:3,0\r\n#EXTINF:\r\n/m/ﾄｷ.mp3\r\n" \
    "#KORVANUM:x,1\n/skipped.mp3\n#KORVANUM:4\r/four.mp3\r"
write("fuzz_playlist", "sjis.m3u", sjis(playlist))
write("fuzz_playlist", "utf8_bom.m3u", b"\xef\xbb\xbf" + "#EXTM3U\r\n#KORVA\r\n#KORVANUM:1,0\r\n"
      "#EXTINF:Ü\r\n/music/Ärger/😀.mp3\r\n".encode())
table = "1 title,loop\r\n2 battle\r\n3 \"town music\",LOP\r\n4 ﾂｱ\r\n5 曲,lop,x\r\n" \
    "x not a scene\r\n6\r\n7 a,,\r\n8 \"q\"\"uote\" loop\r\n"
write("fuzz_game_table", "sjis.txt", sjis(table))
write("fuzz_game_table", "bad_byte.txt", b"1 title,loop\r\n5 bad\x81 byte\r\n")
ini = "[DEFAULT]\r\nVolume=200\r\nLeft = 10\r\n; Left=0\r\nFileColumnName='96'\r\n\r\n" \
    "[other]\r\nLeft=1\r\n[default]\r\n0=オープニング\r\n1=\"戦闘\"\r\n"
write("fuzz_ini", "settings.ini", sjis(ini))
write("fuzz_ini", "labels.dat", b"\xef\xbb\xbf[DEFAULT]\n0=\xc3\x84\n31=x\n")
write("fuzz_text", "sjis.txt", sjis(playlist + table))
write("fuzz_text", "katakana.txt", b"\xc4\xb7.mp3\r\n\xc2\xb1\r\n")
write("fuzz_text", "utf8.txt", "日本語.mp3\nÄrger\r".encode())
write("fuzz_text", "bom_bad.txt", b"\xef\xbb\xbfa\xff\x95\\\r\n")
