#!/usr/bin/env bash
# Fuzzing stage: a short campaign (tools/fuzz/campaign.sh) in which every libFuzzer target gets
# its share of the time budget KORVA_FUZZ_SECONDS, at least 5 seconds. A crash, a sanitizer
# report, a failed property or an uncaught exception fails the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
budget=${KORVA_FUZZ_SECONDS:-90}
count=$(find tools/fuzz -maxdepth 1 -name 'fuzz_*.cpp' | wc -l)
[ "$count" -gt 0 ] || { echo "No fuzz targets."; exit 0; }
share=$(( budget / count ))
[ "$share" -ge 5 ] || share=5
echo "== fuzz every target for ${share}s"
exec tools/fuzz/campaign.sh "$share"
