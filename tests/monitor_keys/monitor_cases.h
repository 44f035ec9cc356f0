// Table rows for the monitor, maintenance and PA keys: a request of the
// database's standard shape with some slots set, and the answer expected.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/image.h"
#include "support/ask.h"

namespace m4k7::test {

inline constexpr AccessStatus kAnswers = M4K7DB_OK;
inline constexpr AccessStatus kNoAnswer = M4K7DB_NOT_FOUND;
inline constexpr AccessStatus kNotInIndex = M4K7DB_UNKNOWN_KEY;
inline constexpr AccessStatus kMissingString = M4K7DB_MISSING_STRING;
inline constexpr AccessStatus kMissingInt = M4K7DB_MISSING_INT;

using IntSlots = std::vector<std::pair<uint32_t, int32_t>>;
using StringSlots = std::vector<std::pair<uint32_t, std::string>>;

struct KeyCase {
  uint32_t key;
  IntSlots ints;
  StringSlots strings;
  AccessStatus status;
  std::vector<int32_t> want; // the answer when status is 0
};

// A request of exactly intCount and stringCount slots (slots beyond them are
// not set), for the statuses of missing parameters.
struct ShortCase {
  uint32_t key;
  uint32_t intCount;
  uint32_t stringCount;
  IntSlots ints;
  StringSlots strings;
  AccessStatus status;
};

inline std::string Describe(uint32_t key, const IntSlots &ints, const StringSlots &strings) {
  char head[16];
  std::snprintf(head, sizeof head, "key 0x%04X", unsigned(key));
  std::string out = head;
  for (const auto &[slot, v] : ints) out += " I[" + std::to_string(slot) + "]=" + std::to_string(v);
  for (const auto &[slot, s] : strings) out += " S[" + std::to_string(slot) + "]=\"" + s + "\"";
  return out;
}

inline Request Make(Database db, const IntSlots &ints, const StringSlots &strings) {
  Request r = Request::Standard(db);
  for (const auto &[slot, v] : ints) r.set(slot, v);
  for (const auto &[slot, s] : strings) r.setString(slot, s);
  return r;
}

// The kind an integer answer is stored in: the narrowest that holds every
// value, signed before unsigned.
inline NodeKind NarrowestKindFor(const std::vector<int32_t> &values) {
  auto all = [&](int64_t lo, int64_t hi) {
    for (int32_t v : values)
      if (v < lo || v > hi) return false;
    return true;
  };
  if (all(-128, 127)) return NodeKind::NK_INT8;
  if (all(0, 255)) return NodeKind::NK_UINT8;
  if (all(-32768, 32767)) return NodeKind::NK_INT16;
  if (all(0, 65535)) return NodeKind::NK_UINT16;
  return NodeKind::NK_INT32;
}

// Asks with the two-call pattern and, for an answer, also checks the leaf
// behind it: the narrowest kind for the expected values, and their count.
inline void ExpectCase(Database db, const KeyCase &c) {
  Request r = Make(db, c.ints, c.strings);
  Answer a = Ask(db, c.key, r);
  EXPECT_EQ(a.status, c.status) << Describe(c.key, c.ints, c.strings);
  if (c.status == kAnswers && a.status == kAnswers) {
    EXPECT_EQ(a.ints(), c.want) << Describe(c.key, c.ints, c.strings);
    LeafDescriptor d{};
    ASSERT_EQ(LookupKey(CompiledImage(), c.key, &r.view(), &d), kAnswers)
        << Describe(c.key, c.ints, c.strings);
    EXPECT_EQ(kindOf(d.word0), NarrowestKindFor(c.want)) << Describe(c.key, c.ints, c.strings);
    EXPECT_EQ(countOf(d.word1), c.want.size()) << Describe(c.key, c.ints, c.strings);
  }
}

inline void ExpectCases(Database db, const std::vector<KeyCase> &cases) {
  for (const KeyCase &c : cases) ExpectCase(db, c);
}

inline void ExpectShort(Database db, const ShortCase &c) {
  Request r = Request::Ints(c.intCount);
  r.strings.assign(c.stringCount, std::string());
  for (const auto &[slot, v] : c.ints)
    if (slot < c.intCount) r.ints[slot] = v;
  for (const auto &[slot, s] : c.strings)
    if (slot < c.stringCount) r.strings[slot] = s;
  Answer a = Ask(db, c.key, r);
  EXPECT_EQ(a.status, c.status) << Describe(c.key, c.ints, c.strings) << " with " << c.intCount << " ints, "
                                << c.stringCount << " strings";
}

// The keys of a database's range that the index holds, asked with the
// standard request: every key but those the index lacks (3).
inline std::vector<uint32_t> KeysPresent(Database db) {
  std::vector<uint32_t> keys;
  KeyRange range = RangeOf(db);
  for (uint32_t k = range.first; k <= range.last; ++k) {
    Request r = Request::Standard(db);
    uint32_t size = 0;
    AccessStatus s = AccessDatabase(CompiledImage(), db, k, &r.view(), 0, nullptr, &size);
    if (s != kNotInIndex) keys.push_back(k);
  }
  return keys;
}

// The kind and element count of the leaf a request reaches.
struct LeafShape {
  NodeKind kind;
  uint16_t count;
};

inline LeafShape ShapeOf(Database db, uint32_t key, const IntSlots &ints, const StringSlots &strings) {
  Request r = Make(db, ints, strings);
  LeafDescriptor d{};
  AccessStatus s = LookupKey(CompiledImage(), key, &r.view(), &d);
  EXPECT_EQ(s, kAnswers) << Describe(key, ints, strings);
  if (s != kAnswers) return {NodeKind(0), 0};
  return {kindOf(d.word0), countOf(d.word1)};
}

// A leaf's expected kind and count for one request.
struct ShapeCase {
  uint32_t key;
  IntSlots ints;
  StringSlots strings;
  NodeKind kind;
  uint16_t count;
};

inline void ExpectShape(Database db, const ShapeCase &c) {
  LeafShape s = ShapeOf(db, c.key, c.ints, c.strings);
  EXPECT_EQ(s.kind, c.kind) << Describe(c.key, c.ints, c.strings);
  EXPECT_EQ(s.count, c.count) << Describe(c.key, c.ints, c.strings);
}

} // namespace m4k7::test
