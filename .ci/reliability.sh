#!/usr/bin/env bash
# CI, reliability: the whole test suite under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, then each libFuzzer
# target for 60 seconds under ASan and UBSan, starting from its committed
# corpus, then a replay of every corpus by the fuzz build, then memcheck
# over the normal build's test programs. The corpora are also replayed by
# the normal build's CTest (fuzz_*_corpus).
set -euo pipefail
cd "$(dirname "$0")/.."

# The sanitizer builds run the whole suite, so they need what the normal
# build needs, and clang and valgrind besides.
scripts/setup build reliability

# Any finding stops the run: no recovery, leaks are errors, and a report
# names its stack.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

# ThreadSanitizer cannot map its shadow memory with the address-space
# randomisation of newer kernels; run its tests without it where setarch can.
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then norandom=(setarch "$(uname -m)" -R); fi

section() { printf '\n=== %s (%s)\n' "$1" "$(date -u +%H:%M:%S)"; }

section "ASan + UBSan: build and whole suite"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

section "TSan: build and whole suite"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
"${norandom[@]}" ctest --preset tsan

section "libFuzzer targets (clang, ASan + UBSan)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_access fuzz_image fuzz_printer_data

# The three run side by side, 60 s each; new inputs go to a scratch folder,
# the committed corpus is only read.
work=build/fuzz/runs
rm -rf "$work"
pids=()
for target in fuzz_access fuzz_image fuzz_printer_data; do
  mkdir -p "$work/$target/new" "$work/$target/artifacts"
  build/fuzz/fuzz/$target "$work/$target/new" "fuzz/corpus/$target" \
    -max_total_time=60 -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$work/$target/artifacts/" >"$work/$target/log" 2>&1 &
  pids+=($!)
done
failed=0
for i in "${!pids[@]}"; do
  wait "${pids[$i]}" || failed=1
done
for target in fuzz_access fuzz_image fuzz_printer_data; do
  log="$work/$target/log"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -n 1)
  printf '%s: %s executions, %s, %s new inputs\n' "$target" "${execs:-?}" "${cov:-no coverage line}" \
    "$(ls "$work/$target/new" | wc -l)"
  if ls "$work/$target/artifacts/"* >/dev/null 2>&1; then
    echo "$target found something:"
    tail -n 60 "$log"
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  echo "fuzzing failed"
  exit 1
fi

section "Corpus replay by the fuzz build"
for target in fuzz_access fuzz_image fuzz_printer_data; do
  build/fuzz/fuzz/$target -runs=0 "fuzz/corpus/$target" >"$work/$target/replay.log" 2>&1 || {
    tail -n 40 "$work/$target/replay.log"
    exit 1
  }
  printf '%s: corpus of %s inputs replayed\n' "$target" "$(ls "fuzz/corpus/$target" | wc -l)"
done

n=$(ls fuzz/corpus/*/* | wc -l)
echo "reliability: 3 fuzzers and $n corpus inputs clean"

# Memcheck over the test programs of the normal build (.ci/run builds it
# first). test_api replaces the global operator new and delete to count
# printer handles, which memcheck's own allocator makes meaningless; the
# sanitizer runs above cover it.
if [ -d build/default/tests ]; then
  section "Valgrind memcheck over the test programs"
  programs=()
  for t in build/default/tests/test_*; do
    [ -f "$t" ] && [ -x "$t" ] || continue
    [ "$(basename "$t")" = test_api ] && continue
    programs+=("$t")
  done
  printf '%s\n' "${programs[@]}" | xargs -P 2 -I{} sh -c \
    'valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite "{}" --gtest_brief=1 >"{}.memcheck.log" 2>&1 ||
     { echo "memcheck: {} failed"; tail -n 60 "{}.memcheck.log"; exit 255; }'
  echo "memcheck: ${#programs[@]} test programs clean"
fi
