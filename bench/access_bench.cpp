// Time per answer through the shared library, with the two-call pattern a
// caller uses: a size query, then the call with a buffer of that size.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_requests.h"

namespace m4k7::bench {
namespace {

void AskTwice(benchmark::State &state, Question q) {
  Requests r(q);
  std::vector<uint8_t> buffer(64 * 1024);
  uint32_t size = 0;
  if (q.function(q.key, &r.request, 0, nullptr, &size) != M4K7DB_BUFFER_TOO_SMALL) {
    state.SkipWithError("the key gives no sized answer for these settings");
    return;
  }
  for (auto _ : state) {
    uint32_t need = 0, got = 0;
    AccessStatus s = q.function(q.key, &r.request, 0, nullptr, &need);
    s = q.function(q.key, &r.request, need, buffer.data(), &got);
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.counters["bytes"] = size;
}

const bool kRegistered = [] {
  for (const Question &q : kQuestions) benchmark::RegisterBenchmark(q.name, AskTwice, q);
  return true;
}();

} // namespace
} // namespace m4k7::bench

BENCHMARK_MAIN();
