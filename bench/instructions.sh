#!/bin/sh
# Instructions per call pair (size query, then the answer) for each
# benchmark question, counted by callgrind over the whole program: the
# driver runs 1000 and then 2000 pairs, and the difference divided by 1000
# leaves out everything but the calls (loading, start-up, exit).
#
#   bench/instructions.sh build/default/bench/instruction_driver [WORK_DIR]
#
# Prints a markdown table. Counts hold from run to run on one build; they
# change with the compiler and its flags (the figures in the README are of
# the default preset, RelWithDebInfo, x86-64).
set -eu

driver=${1:?usage: instructions.sh INSTRUCTION_DRIVER [WORK_DIR]}
work=${2:-$(mktemp -d)}
mkdir -p "$work"
low=1000
high=2000

command -v valgrind >/dev/null || { echo "instructions.sh: valgrind is not installed" >&2; exit 1; }
"$driver" check

count() { # question repetitions -> Ir of the whole run
  out="$work/callgrind.$1.$2"
  valgrind --tool=callgrind --callgrind-out-file="$out" "$driver" "$1" "$2" 2>"$out.log" ||
    { cat "$out.log" >&2; exit 1; }
  sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$out"
}

echo "| question | instructions per call pair |"
echo "|---|---:|"
"$driver" list | while IFS="$(printf '\t')" read -r index name; do
  a=$(count "$index" $low)
  b=$(count "$index" $high)
  echo "| $name | $(( (b - a + (high - low) / 2) / (high - low) )) |"
done
