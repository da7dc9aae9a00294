#!/usr/bin/env bash
# Fuzzing stage: builds every libFuzzer target of tools/fuzz with clang under ASan and UBSan in
# build-fuzz/ and runs each for its share of the time budget, starting from the committed seeds.
# A crash, a sanitizer report or an uncaught exception fails the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
budget=${KORVA_FUZZ_SECONDS:-75}

mapfile -t targets < <(find tools/fuzz -maxdepth 1 -name 'fuzz_*.cpp' -printf '%f\n' | sed 's/\.cpp$//' | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets."
  exit 0
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVA_FUZZ=ON -DKORVA_GUI=OFF -DKORVA_TESTS=OFF -DKORVA_SANITIZE=address,undefined >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]}"

share=$(( budget / ${#targets[@]} ))
[ "$share" -ge 5 ] || share=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
total=0
for target in "${targets[@]}"; do
  corpus="$work/$target"
  mkdir -p "$corpus"
  seeds=()
  [ -d "tools/fuzz/seeds/$target" ] && seeds=("tools/fuzz/seeds/$target")
  log="$work/$target.log"
  echo "== fuzz $target for ${share}s"
  if ! "build-fuzz/tools/fuzz/$target" -max_total_time="$share" -rss_limit_mb=1024 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$work/" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "FAILED: $target (crash input kept in build-fuzz/fuzz-artifacts/)"
    mkdir -p build-fuzz/fuzz-artifacts
    cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* build-fuzz/fuzz-artifacts/ 2>/dev/null || true
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$target: ${runs:-0} executions"
  total=$(( total + ${runs:-0} ))
done
echo "Fuzzing ran $total executions in all."
