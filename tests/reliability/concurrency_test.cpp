// The six functions called from many threads at once over a mix of every
// kind of key: each answer must equal the one the same request gets when
// asked alone, and no scratch block may be left behind. Under the thread
// sanitizer this also proves that the calls share nothing writable.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/test_hooks.h"
#include "reliability.h"

namespace m4k7::reliability {
namespace {

constexpr int kThreads = 8;
constexpr int kRoundsPerThread = 6;

struct Case {
  const char *what;
  Database db;
  uint16_t key;
  std::vector<std::pair<uint32_t, int32_t>> settings;
  std::vector<std::string> strings;
  int printer; // 0 none, 1 the shared handle, 2 by name (opened and closed by the call)
};

std::vector<Case> Mix() {
  const std::vector<std::pair<uint32_t, int32_t>> page = {{4, 4},    {5, 1}, {8, 2},      {6, 1},
                                                          {28, 256}, {7, 7}, {96, 14800}, {97, 21000}};
  std::vector<Case> mix = {
      {"plain root name", Database::Root, 3, {}, {""}, 0},
      {"value name select", Database::Root, 8, {{0, 154}}, {""}, 0},
      {"driver select", Database::Driver, 4100, {{29, 21000}, {30, 29700}}, {}, 0},
      {"item list from leaf", Database::Driver, 4108, {}, {}, 0},
      {"item list from table", Database::Driver, 4109, {}, {}, 0},
      {"paper sizes", Database::Driver, 4112, {{28, 9}}, {}, 0},
      {"all paper sizes", Database::Driver, 4113, {{28, 9}}, {}, 0},
      {"print qualities", Database::Driver, 4118, {{4, 6}, {9, 1}, {5, 275}}, {}, 0},
      {"grouped page set-up", Database::Driver, 4121, page, {}, 0},
      {"grouped one fragment", Database::Driver, 4123, {}, {}, 0},
      {"print mode", Database::Driver, 4126, {{4, 4}, {9, 0}, {5, 1}, {8, 2}, {6, 1}}, {}, 0},
      {"start block, shared handle", Database::Driver, 4120, {{79, 0x800000}}, {}, 1},
      {"start block, by name", Database::Driver, 4120, {{79, 0}}, {}, 2},
      {"start block, no printer", Database::Driver, 4120, {}, {}, 0},
      {"language monitor", Database::LanguageMonitor, 0x2001, {}, {"", "", "", "", ""}, 0},
      {"maintenance", Database::Maintenance, 0x3001, {}, {}, 0},
      {"PA", Database::PA, 0x4001, {}, {}, 0},
      {"status monitor strings",
       Database::StatusMonitor,
       0x6005,
       {},
       {"SSR", "", "", "", "", "", "", "", ""},
       1},
      {"status monitor by name", Database::StatusMonitor, 0x6019, {{16, 258}}, {}, 2},
  };
  // Every other key of every database with its usual shape, half of them
  // through the shared handle and half by name.
  int n = 0;
  for (const DatabaseKey &k : EveryPublicKey())
    mix.push_back({"every key", k.db, k.key, {}, {}, 1 + n++ % 2});
  return mix;
}

struct OwnedRequest {
  std::vector<int32_t> ints;
  std::vector<std::string> strings;
  std::vector<const char *> pointers;
  AccessRequest request{};
};

void Build(const Case &c, PrinterHandle shared, const std::u16string &name, OwnedRequest &o) {
  static constexpr uint32_t kInts[] = {1, 106, 14, 1, 4, 17};
  static constexpr uint32_t kStrings[] = {1, 0, 5, 0, 0, 9};
  o.ints.assign(kInts[int(c.db)], 0);
  for (auto [slot, value] : c.settings) {
    if (slot >= o.ints.size()) o.ints.resize(slot + 1, 0);
    o.ints[slot] = value;
  }
  o.strings = c.strings.empty() ? std::vector<std::string>(kStrings[int(c.db)]) : c.strings;
  for (const std::string &s : o.strings) o.pointers.push_back(s.c_str());
  o.request.intParamCount = uint32_t(o.ints.size());
  o.request.intParams = o.ints.data();
  o.request.stringParamCount = uint32_t(o.strings.size());
  o.request.stringParams = o.pointers.empty() ? nullptr : o.pointers.data();
  if (c.printer == 1) o.request.printerHandle = shared;
  if (c.printer == 2) o.request.printerName = reinterpret_cast<const uint16_t *>(name.c_str());
}

TEST(Concurrency, ManyThreadsAgreeWithOneThread) {
  PrinterDataFile file(SectionWithEveryValue("Shared", 0) + SectionWithEveryValue("Named", 1));
  PrinterHandle shared = nullptr;
  ASSERT_EQ(m4k7db_open_printer(reinterpret_cast<const uint16_t *>(u"Shared"), &shared), 0);
  const std::u16string name = u"Named";

  const std::vector<Case> mix = Mix();
  // The requests are built once and shared by every thread, as a caller's
  // request may be; the module only reads them.
  std::vector<OwnedRequest> requests(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) Build(mix[i], shared, name, requests[i]);
  std::vector<Reply> alone;
  int answered = 0;
  for (size_t i = 0; i < mix.size(); ++i) {
    alone.push_back(CallTwice(mix[i].db, mix[i].key, requests[i].request));
    answered += alone.back().status == 0;
  }
  ASSERT_GE(answered, int(mix.size()) / 2) << "most of the mix must reach answers";

  const int64_t live = platform::testing::LiveBlocks();
  std::atomic<int> calls{0};
  std::vector<std::vector<std::string>> mismatches(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRoundsPerThread; ++round) {
        for (size_t j = 0; j < mix.size(); ++j) {
          // Each thread walks the mix from its own starting point and
          // stride, so that different keys run side by side.
          const size_t i = (j * (2 * size_t(t) + 1) + size_t(t) * 7 + size_t(round)) % mix.size();
          const Reply got = CallTwice(mix[i].db, mix[i].key, requests[i].request);
          calls.fetch_add(2);
          if (!(got == alone[i]))
            mismatches[size_t(t)].push_back(std::string(mix[i].what) + " key " + std::to_string(mix[i].key));
        }
      }
    });
  }
  for (std::thread &t : threads) t.join();
  m4k7db_close_printer(shared);

  for (int t = 0; t < kThreads; ++t)
    for (const std::string &m : mismatches[size_t(t)]) ADD_FAILURE() << "thread " << t << ": " << m;
  EXPECT_EQ(platform::testing::LiveBlocks(), live);
  std::printf("concurrency: %d threads, %d calls over %zu cases\n", kThreads, calls.load(), mix.size());
  RecordProperty("calls", calls.load());
}

} // namespace
} // namespace m4k7::reliability
