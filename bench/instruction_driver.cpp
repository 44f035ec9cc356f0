// The program the instruction counts run: it asks one benchmark question N
// times with the two-call pattern (size query, then the answer into a
// buffer of that size) through the shared library, and nothing else, so
// that the difference between two runs of different N is the cost of N
// call pairs.
//
//   instruction_driver list          the questions, one "index<TAB>name" a line
//   instruction_driver check         every question once; fails unless each
//                                    gives 2 with a size, then 0 with that size
//   instruction_driver INDEX N       question INDEX, N call pairs
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_requests.h"

namespace m4k7::bench {
namespace {

constexpr size_t kQuestionCount = sizeof kQuestions / sizeof kQuestions[0];

// One call pair; false unless it answers as a caller expects.
bool AskPair(const Question &q, Requests &r, std::vector<uint8_t> &buffer) {
  uint32_t need = 0, got = 0;
  if (q.function(q.key, &r.request, 0, nullptr, &need) != M4K7DB_BUFFER_TOO_SMALL) return false;
  if (need > buffer.size()) return false;
  if (q.function(q.key, &r.request, need, buffer.data(), &got) != M4K7DB_OK) return false;
  // Item lists leave the size unwritten on success; every other answer reports it.
  return got == need || got == 0;
}

int Run(int argc, char **argv) {
  std::vector<uint8_t> buffer(64 * 1024);
  if (argc == 2 && std::strcmp(argv[1], "list") == 0) {
    for (size_t i = 0; i < kQuestionCount; ++i) std::printf("%zu\t%s\n", i, kQuestions[i].name);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "check") == 0) {
    int failed = 0;
    for (const Question &q : kQuestions) {
      Requests r(q);
      if (!AskPair(q, r, buffer)) {
        std::fprintf(stderr, "%s: no sized answer\n", q.name);
        failed = 1;
      }
    }
    return failed;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s list | check | INDEX REPETITIONS\n", argv[0]);
    return 2;
  }
  const unsigned long index = std::strtoul(argv[1], nullptr, 10);
  const unsigned long repetitions = std::strtoul(argv[2], nullptr, 10);
  if (index >= kQuestionCount) {
    std::fprintf(stderr, "no question %lu\n", index);
    return 2;
  }
  const Question &q = kQuestions[index];
  Requests r(q);
  for (unsigned long n = 0; n < repetitions; ++n)
    if (!AskPair(q, r, buffer)) {
      std::fprintf(stderr, "%s: no sized answer\n", q.name);
      return 1;
    }
  return 0;
}

} // namespace
} // namespace m4k7::bench

int main(int argc, char **argv) { return m4k7::bench::Run(argc, argv); }
