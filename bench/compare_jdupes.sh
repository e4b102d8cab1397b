#!/usr/bin/env bash
# Times jdupes and Zandrel's search side by side over one existing tree,
# interleaved round by round so both see the same cache and machine load,
# and prints the median times and their ratio for each search.
#
#   bench/compare_jdupes.sh [-r ROUNDS] [-b ZANDREL_BENCH] [-j "JDUPES FLAGS"] [-p PASSES]... TREE
#
# PASSES as zandrel_bench takes them (crc32, md5, crc32,md5,sha1); by default
# the three searches md5, crc32 and crc32,md5,sha1. JDUPES FLAGS default to
# "-r -q"; give "-r -q -z" to count empty files as duplicates, as Zandrel does.
# One warm-up run of each comes first and is not counted.
set -euo pipefail

rounds=5
bench="$(dirname "$0")/../build/bench/zandrel_bench"
jdupes_flags="-r -q"
passes=()
while getopts "r:b:j:p:" option; do
  case "$option" in
    r) rounds="$OPTARG" ;;
    b) bench="$OPTARG" ;;
    j) jdupes_flags="$OPTARG" ;;
    p) passes+=("$OPTARG") ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 [-r ROUNDS] [-b ZANDREL_BENCH] [-j \"JDUPES FLAGS\"] [-p PASSES]... TREE" >&2
  exit 2
fi
tree="$1"
[ ${#passes[@]} -gt 0 ] || passes=(md5 crc32 crc32,md5,sha1)
command -v jdupes > /dev/null || { echo "jdupes is not installed" >&2; exit 1; }
[ -x "$bench" ] || { echo "no zandrel_bench at $bench; build it first" >&2; exit 1; }

# Wall time of a command in seconds, its output thrown away.
seconds() {
  local start end
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# shellcheck disable=SC2086 # the flags are meant to split
run_jdupes() { jdupes $jdupes_flags "$tree"; }
run_zandrel() { "$bench" --dir "$tree" --passes "$1" --no-check; }

echo "tree: $tree ($(find "$tree" -type f | wc -l) files), $rounds rounds, jdupes $jdupes_flags"
printf "%-16s %12s %12s %8s\n" "search" "Zandrel s" "jdupes s" "ratio"
for pass in "${passes[@]}"; do
  run_jdupes > /dev/null 2>&1
  run_zandrel "$pass" > /dev/null 2>&1
  zandrel_times=()
  jdupes_times=()
  for ((round = 0; round < rounds; ++round)); do
    # Alternate who goes first, so neither always follows the other.
    if ((round % 2 == 0)); then
      zandrel_times+=("$(seconds run_zandrel "$pass")")
      jdupes_times+=("$(seconds run_jdupes)")
    else
      jdupes_times+=("$(seconds run_jdupes)")
      zandrel_times+=("$(seconds run_zandrel "$pass")")
    fi
  done
  z=$(printf "%s\n" "${zandrel_times[@]}" | median)
  j=$(printf "%s\n" "${jdupes_times[@]}" | median)
  printf "%-16s %12.3f %12.3f %8.2f\n" "$pass" "$z" "$j" "$(awk -v z="$z" -v j="$j" 'BEGIN { print z / j }')"
done
