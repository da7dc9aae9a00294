#!/usr/bin/env bash
# A long differential run: mpeg-difftest over the decoder's test streams in rounds of ROUND seeds
# per stream, from seed FIRST on, until STOP_AT (a date(1) time) or ROUNDS rounds. Prints each
# round's summary line and every stream that differs; saves those to OUT (default: a temporary
# folder). Run two at once with other FIRST values to use two cores.
#
# Usage: campaign.sh BUILD_DIR FIRST [ROUND] [ROUNDS] [STOP_AT] [OUT]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
difftest=$1/tools/difftest/mpeg-difftest
seed=$2
round=${3:-1000}
rounds=${4:-1000000}
stop=$(date -d "${5:-tomorrow}" +%s)
out=${6:-$(mktemp -d)}
data=$top/tests/mp3player/compo/decoder/data
for ((r = 0; r < rounds && $(date +%s) < stop; ++r)); do
  "$difftest" --seed "$seed" --count "$round" --frames 10 --failures "$out" \
    "$data"/layer3/*.mp3 "$data"/layer12/*.mp[12] 2>/dev/null | grep -v '^Truncating' || true
  seed=$((seed + round))
done
