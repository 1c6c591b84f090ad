#!/usr/bin/env bash
# Measures what a user pays for one conversion, on the bundled example:
#  - wall time against cp copying the same picture: rounds of hyperfine, the two commands
#    alternating from round to round so that a change in the machine's load hits both, and the
#    median over the rounds of tapemill's median divided by cp's;
#  - the instructions of one whole conversion, dynamic loader and start-up included, counted by
#    callgrind (the same count on every run of the same binary).
# Usage: bench/compare.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
program="${1:-build}/tapemill"
picture=examples/example.bmp
rounds=10
runs=300
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ -x "$program" ] || { echo "compare.sh: no $program; build it first" >&2; exit 1; }

ratios=()
for round in $(seq "$rounds"); do
  tapemill_run="$program $picture $work/out.tap"
  cp_run="cp $picture $work/copy.bmp"
  if [ $((round % 2)) -eq 1 ]; then order=("$tapemill_run" "$cp_run"); else order=("$cp_run" "$tapemill_run"); fi
  # hyperfine warns of outliers on a busy machine; the medians are what count here.
  if ! hyperfine -N --style none --warmup 20 --runs "$runs" --export-csv "$work/round.csv" \
    "${order[@]}" > /dev/null 2> "$work/hyperfine.log"; then
    cat "$work/hyperfine.log" >&2
    exit 1
  fi
  # The CSV has a line per command: command,mean,stddev,median,...
  ratios+=("$(awk -F, -v tapemill="$tapemill_run" '
    NR > 1 { if ($1 == tapemill) t = $4; else c = $4 }
    END { printf "%.3f", t / c }' "$work/round.csv")")
done
median_ratio=$(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ r[NR] = $1 } END { print (NR % 2) ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }')

instructions=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null \
  "$program" "$picture" "$work/out.tap" 2>&1 >/dev/null | awk '/Collected/ { print $NF }')

echo "wall time, tapemill / cp, median of $rounds rounds: $median_ratio (target 0.8 at most; rounds: ${ratios[*]})"
echo "instructions per conversion: $instructions (target 300000 at most)"
