#!/bin/sh
# make-tree.sh TARGET [FOLDERS] [FILES]: makes a tree of FOLDERS folders (default 20,000) holding
# FILES MP3 files (default 10,000) below TARGET, for search-bench. The files are hard links of
# one small MP3 made with sox and lame, so the tree costs almost no disk space. Every folder
# holds eight subfolders, so the walk goes both wide and deep.
set -eu
target=${1:?usage: make-tree.sh TARGET [FOLDERS] [FILES]}
folders=${2:-20000}
files=${3:-10000}
mkdir -p "$target"
seed="$target/.seed"  # no ".mp3", so the search does not count it
if [ ! -f "$seed" ]; then
  sox -n -r 44100 -c 2 -b 16 "$target/.seed.wav" synth 1 sine 440 vol 0.3
  lame --quiet -b 128 --tt "Seed" --ta "Bench" "$target/.seed.wav" "$seed"
  rm -f "$target/.seed.wav"
fi
python3 - "$target" "$folders" "$files" "$seed" <<'PY'
import os, sys
target, folders, files, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
# Folder i (from 1) sits in folder (i - 1) // 8, folder 0 being the target: eight subfolders
# each, about five levels deep.
paths = [target]
for i in range(1, folders + 1):
    paths.append(os.path.join(paths[(i - 1) // 8], "f%05d" % i))
    os.makedirs(paths[i], exist_ok=True)
for i in range(files):
    link = os.path.join(paths[1 + i * folders // files], "song%05d.mp3" % i)
    if not os.path.exists(link):
        os.link(seed, link)
print("folders=%d files=%d in %s" % (folders, files, target))
PY
