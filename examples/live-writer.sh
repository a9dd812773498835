#!/usr/bin/env bash
# Plays a simulation that is still running: appends the rows of a finished
# data file to another one, a few at a time, at a steady pace, as a program
# that computes them would. Run it again to start the run over: it empties
# the target first, which the viewer notices and reads from the beginning.
# Usage: bash examples/live-writer.sh SOURCE.dat TARGET.dat [ROWS_PER_SECOND]
set -euo pipefail
source=$1
target=$2
rate=${3:-100}
: > "$target"
# Ten rows at a time, ten times a second at 100 rows/s.
batch=$(( rate / 10 > 0 ? rate / 10 : 1 ))
pause=$(awk -v b="$batch" -v r="$rate" 'BEGIN { printf "%.3f", b / r }')
while IFS= read -r line; do
    printf '%s\n' "$line" >> "$target"
    count=$(( ${count:-0} + 1 ))
    if (( count % batch == 0 )); then sleep "$pause"; fi
done < "$source"
