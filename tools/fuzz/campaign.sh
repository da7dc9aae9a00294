#!/usr/bin/env bash
# Usage: tools/fuzz/campaign.sh SECONDS
#
# Builds every libFuzzer target of tools/fuzz with clang under ASan and UBSan in build-fuzz/ and
# runs each for SECONDS, one after the other, starting from its committed corpus in
# tools/fuzz/seeds/<target>/. Prints one line "<target>: <N> executions" per target and a total.
# A crash, a sanitizer report, a failed property or an uncaught exception stops the campaign with
# exit status 1; the input that caused it is kept in build-fuzz/fuzz-artifacts/.
#
# What a target found stays in build-fuzz/corpus/<target>/. To add to the committed corpus the
# few entries that reach code it does not reach yet:
#   build-fuzz/tools/fuzz/<target> -set_cover_merge=1 -use_counters=0 \
#     tools/fuzz/seeds/<target> build-fuzz/corpus/<target>
set -euo pipefail
if [ $# -ne 1 ] || ! [[ $1 =~ ^[0-9]+$ ]] || [ "$1" -lt 1 ]; then
  echo "usage: $0 SECONDS" >&2
  exit 2
fi
seconds=$1
cd "$(dirname "$0")/../.."

mapfile -t targets < <(find tools/fuzz -maxdepth 1 -name 'fuzz_*.cpp' -printf '%f\n' | sed 's/\.cpp$//' | sort)
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets."
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The build's own output is shown only when it fails, so that the campaign prints its figures.
if ! { cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVA_FUZZ=ON -DKORVA_GUI=OFF -DKORVA_TESTS=OFF \
         -DKORVA_SANITIZE=address,undefined &&
       cmake --build build-fuzz -j2 --target "${targets[@]}"; } >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  exit 1
fi
total=0
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  seeds=()
  [ -d "tools/fuzz/seeds/$target" ] && seeds=("tools/fuzz/seeds/$target")
  log="$work/$target.log"
  if ! "build-fuzz/tools/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 \
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
