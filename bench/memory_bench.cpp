// Scratch memory per answer: heap blocks taken per call and blocks still
// live afterwards (always 0: every path releases what it took).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_requests.h"
#include "platform/test_hooks.h"

namespace m4k7::bench {
namespace {

namespace hooks = platform::testing;

void CountBlocks(benchmark::State &state, Question q) {
  Requests r(q);
  std::vector<uint8_t> buffer(64 * 1024);
  const int64_t liveBefore = hooks::LiveBlocks();
  const uint64_t before = hooks::AllocationCount();
  uint64_t calls = 0;
  for (auto _ : state) {
    uint32_t got = 0;
    benchmark::DoNotOptimize(q.function(q.key, &r.request, uint32_t(buffer.size()), buffer.data(), &got));
    ++calls;
  }
  state.counters["blocks/call"] = double(hooks::AllocationCount() - before) / double(calls ? calls : 1);
  state.counters["live after"] = double(hooks::LiveBlocks() - liveBefore);
}

const bool kRegistered = [] {
  for (const Question &q : kQuestions) benchmark::RegisterBenchmark(q.name, CountBlocks, q);
  return true;
}();

} // namespace
} // namespace m4k7::bench

BENCHMARK_MAIN();
