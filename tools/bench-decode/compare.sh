# Shared by bench.sh and layer12.sh (sourced). compare DECODER RUNS STREAM [OPTION...]: decodes
# STREAM RUNS times with `DECODER [OPTION...] --null` and with `mpg123 -q -t`, alternating so that
# both meet the same load, and prints both median wall times and their ratio (mp3decode / mpg123;
# below 1 means faster than mpg123).

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

compare() {
  local decoder=$1 runs=$2 stream=$3
  shift 3
  local mine=() theirs=() i m t
  for ((i = 0; i < runs; i++)); do
    mine+=("$(seconds "$decoder" "$@" --null "$stream")")
    theirs+=("$(seconds mpg123 -q -t "$stream")")
  done
  m=$(median "${mine[@]}")
  t=$(median "${theirs[@]}")
  printf 'mp3decode --null: %.3f s (median of %d)\n' "$m" "$runs"
  printf 'mpg123 -q -t:     %.3f s (median of %d)\n' "$t" "$runs"
  printf 'ratio:            %.2f\n' "$(echo "$m / $t" | bc -l)"
}
