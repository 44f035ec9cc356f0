// The printer-data file and the POSIX locale are this build's stores;
// the Windows build reads the spooler and the system locale instead
// (tests/windows).
#if !defined(_WIN32)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "engine/walk.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"
#include "support/printer_data_file.h"
#include "test_image.h"

namespace m4k7::test {
namespace {

using platform::testing::HeapFailAt;
using platform::testing::LiveBlocks;

constexpr uint16_t kKey = 0x0077;
constexpr char16_t kPrinter[] = u"Test Printer";

const uint16_t *Wide(const char16_t *s) { return reinterpret_cast<const uint16_t *>(s); }

const char kValues[] = "[Test Printer]\n"
                       "TpxUI_Mode = dword:3\n"
                       "TpxUI_Long = hex:03,00,00,00,00\n"
                       "TpxUI_Short = hex:07\n"
                       "TpxUI_Big = dword:0x80000001\n";

// Key 8 names values by I[0]: 1 Mode, 2 Missing, 3 Long, 4 Short, 5 Big,
// 6 an NK_BYTES leaf (not a name), 7 a name leaf past the byte pool.
// Printer-data selects on those selectors answer kKey.
struct PrinterImage {
  TestImage img;
  uint32_t three, seven, big, fallback;
  uint32_t withDefault(uint16_t selector) { return select(selector, true); }
  uint32_t noDefault(uint16_t selector) { return select(selector, false); }

  PrinterImage() {
    three = img.answer(kKey, 3);
    seven = img.answer(kKey, 7);
    big = img.answer(kKey, -1);
    fallback = img.answer(kKey, 0);
    const uint32_t names[] = {img.nameLeaf(8, "TpxUI_Mode"),
                              img.nameLeaf(8, "TpxUI_Missing"),
                              img.nameLeaf(8, "TpxUI_Long"),
                              img.nameLeaf(8, "TpxUI_Short"),
                              img.nameLeaf(8, "TpxUI_Big"),
                              img.bytesLeaf(8, {'x', 0}),
                              img.add(Leaf(NodeKind::NK_WIDE, 0xFFFF, 8, 4))};
    const uint32_t cases =
        img.list({Case(1, names[0]), Case(2, names[1]), Case(3, names[2]), Case(4, names[3]),
                  Case(5, names[4]), Case(6, names[5]), Case(7, names[6])});
    img.key(8, img.add(List(NodeKind::NK_SELECT_PARAM, cases, 0, 7)));
  }

  uint32_t select(uint16_t selector, bool withFallback) {
    const uint32_t first =
        withFallback ? img.list({Case(3, three), Case(7, seven), Case(0x80000001u, big), Default(fallback)})
                     : img.list({Case(3, three), Case(7, seven), Case(0x80000001u, big)});
    return img.add(List(NodeKind::NK_SELECT_PRINTER_DATA, first, selector, withFallback ? 4 : 3));
  }
};

struct Outcome {
  AccessStatus status;
  int32_t value;
  bool operator==(const Outcome &) const = default;
};
std::ostream &operator<<(std::ostream &os, const Outcome &o) {
  return o.status == kOk ? os << "answer " << o.value : os << "status " << o.status;
}
Outcome Answer(int32_t v) { return {kOk, v}; }
Outcome Status(AccessStatus s) { return {s, 0}; }

Outcome WalkFor(const ImageDescriptor &image, uint32_t node, const AccessRequest *request,
                uint16_t key = kKey) {
  LeafDescriptor d{};
  const DbNode &n = image.nodes[node];
  const AccessStatus s = WalkNode(image, key, request, n.word0, n.word1, &d);
  if (s != kOk) return Status(s);
  return Answer(image.intPool[operandOf(d.word0)]);
}

class PrinterDataSelect : public ::testing::Test {
protected:
  test::PrinterDataFile file_{kValues};
  PrinterHandle printer_ = platform::OpenPrinter(Wide(kPrinter));
  ~PrinterDataSelect() override { platform::ClosePrinter(printer_); }
};

TEST_F(PrinterDataSelect, ComparesTheStoredValue) {
  ASSERT_NE(printer_, nullptr) << "the test printer does not open";
  PrinterImage t;
  struct Case {
    const char *what;
    uint32_t node;
    Outcome want;
  };
  const Case cases[] = {
      {"value 3", t.withDefault(1), Answer(3)},
      {"missing value takes the default", t.withDefault(2), Answer(0)},
      {"missing value without a default", t.noDefault(2), Status(kNotFound)},
      {"longer than 4 bytes counts as missing", t.withDefault(3), Answer(0)},
      {"longer than 4 bytes, no default", t.noDefault(3), Status(kNotFound)},
      {"one byte fills the low byte", t.withDefault(4), Answer(7)},
      {"all 32 bits compared", t.noDefault(5), Answer(-1)},
      // The name walk must end in a leaf: selector 9 has no name.
      {"no name for the selector", t.withDefault(9), Status(kFailed)},
      {"name leaf is not wide", t.withDefault(6), Status(kFailed)},
      {"name leaf past the byte pool", t.withDefault(7), Status(kFailed)},
  };
  const ImageDescriptor image = t.img.view();
  // The caller's own I[0] must not steer the value name: the name walk has
  // its own request with I[0] = selector.
  const int32_t ints[] = {2};
  const AccessRequest request = RequestOf(ints, 1, nullptr, 0, printer_);
  for (const Case &c : cases) EXPECT_EQ(WalkFor(image, c.node, &request), c.want) << c.what;
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(PrinterDataSelect, NeedsAPrinterAfterTheName) {
  PrinterImage t;
  const uint32_t select = t.withDefault(1);
  const uint32_t unnamed = t.withDefault(9);
  const uint32_t notWide = t.withDefault(6);
  const ImageDescriptor image = t.img.view();
  const AccessRequest noPrinter = RequestOf(nullptr, 0);
  EXPECT_EQ(WalkFor(image, select, &noPrinter), Status(kNoPrinter));
  EXPECT_EQ(WalkFor(image, select, nullptr), Status(kNoPrinter));
  // A name walk that fails is reported first...
  EXPECT_EQ(WalkFor(image, unnamed, nullptr), Status(kFailed));
  // ...but the name leaf itself is only examined when reading.
  EXPECT_EQ(WalkFor(image, notWide, nullptr), Status(kNoPrinter));
}

TEST_F(PrinterDataSelect, ValueNameKeyAndListChecks) {
  ASSERT_NE(printer_, nullptr);
  const AccessRequest request = RequestOf(nullptr, 0, nullptr, 0, printer_);
  {
    PrinterImage t;
    const uint32_t select = t.withDefault(1);
    struct Case {
      const char *what;
      void (*corrupt)(ImageDescriptor &);
      AccessStatus want;
    };
    const Case cases[] = {
        {"key 8 missing", [](ImageDescriptor &d) { d.keyCount = 0; }, kFailed},
        {"no keys", [](ImageDescriptor &d) { d.keys = nullptr; }, kFailed},
        {"no key nodes", [](ImageDescriptor &d) { d.keyNodes = nullptr; }, kFailed},
    };
    for (const Case &c : cases) {
      ImageDescriptor image = t.img.view();
      c.corrupt(image);
      EXPECT_EQ(WalkFor(image, select, &request), Status(c.want)) << c.what;
    }
  }
  {
    PrinterImage t;
    const uint32_t select = t.withDefault(1);
    t.img.keys[0] = 9; // key 8 gone from the index: 3, before any printer check
    EXPECT_EQ(WalkFor(t.img.view(), select, nullptr), Status(kUnknownKey));
    t.img.keys[0] = 8;
    t.img.keyNodes[0] = uint32_t(t.img.nodes.size());
    EXPECT_EQ(WalkFor(t.img.view(), select, &request), Status(kFailed));
  }
  {
    // Only the last entry can take over an unreadable value.
    PrinterImage t;
    const uint32_t early = t.img.add(
        List(NodeKind::NK_SELECT_PRINTER_DATA, t.img.list({Default(t.fallback), Case(3, t.three)}), 2, 2));
    const uint32_t empty = t.img.add(List(NodeKind::NK_SELECT_PRINTER_DATA, 0, 2, 0));
    const uint32_t emptyRead = t.img.add(List(NodeKind::NK_SELECT_PRINTER_DATA, 0, 1, 0));
    const ImageDescriptor image = t.img.view();
    EXPECT_EQ(WalkFor(image, early, &request), Status(kNotFound));
    EXPECT_EQ(WalkFor(image, empty, &request), Status(kNotFound));
    EXPECT_EQ(WalkFor(image, emptyRead, &request), Status(kNotFound));
  }
  EXPECT_EQ(LiveBlocks(), 0);
}

// The name a printer-data select reads is the one the tools list: key 8's
// NK_WIDE answer, and nothing else.
TEST(ValueNames, LookupAnswersOnlyNames) {
  PrinterImage t;
  const ImageDescriptor image = t.img.view();
  const struct {
    int32_t number;
    AccessStatus want;
    const char *name; // the leaf's bytes, when found
  } cases[] = {
      {1, kOk, "TpxUI_Mode"},  {5, kOk, "TpxUI_Big"},
      {7, kOk, nullptr},       // a name past the byte pool is still the name leaf; reading it fails
      {6, kFailed, nullptr},   // NK_BYTES: not a name
      {8, kNotFound, nullptr}, // no case for it
      {0, kNotFound, nullptr},
  };
  for (const auto &c : cases) {
    LeafDescriptor name{};
    EXPECT_EQ(LookupValueName(image, c.number, &name), c.want) << c.number;
    if (c.want != kOk) continue;
    EXPECT_EQ(kindOf(name.word0), NodeKind::NK_WIDE) << c.number;
    if (c.name == nullptr) continue;
    const char *bytes = reinterpret_cast<const char *>(image.bytePool) + operandOf(name.word0);
    EXPECT_EQ(std::string(bytes, countOf(name.word1)), std::string(c.name) + '\0') << c.number;
  }
  t.img.keys[0] = 9; // key 8 gone from the index
  LeafDescriptor name{};
  EXPECT_EQ(LookupValueName(t.img.view(), 1, &name), kUnknownKey);
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(PrinterDataSelect, ValueNamesThatLoopBackFail) {
  // Key 8's own tree asks for printer data: each name walk would start
  // another one. The walk depth spans the nested walks.
  TestImage img;
  const uint32_t loop = img.add(List(NodeKind::NK_SELECT_PRINTER_DATA, 0, 1, 0));
  img.key(8, loop);
  const AccessRequest request = RequestOf(nullptr, 0, nullptr, 0, printer_);
  EXPECT_EQ(WalkFor(img.view(), loop, &request), Status(kFailed));
  EXPECT_EQ(LiveBlocks(), 0);
}

// One step allowance serves the whole call: the name walk continues the
// outer walk's count and hands back what it leaves. The outer tree and key
// 8's tree each walk a ladder of 2^15 - 1 nodes without an answer, within
// the bound alone and past it together, whichever walks it first.
TEST_F(PrinterDataSelect, NameWalksShareTheStepBound) {
  ASSERT_NE(printer_, nullptr);
  TestImage img;
  // Each level two sequences over the next level's two, down to two leaves.
  const uint32_t ladder = uint32_t(img.nodes.size());
  for (uint32_t level = 0; level < 14; ++level) {
    const uint32_t next = uint32_t(img.nodes.size()) + 2;
    img.list({List(NodeKind::NK_SEQUENCE, next, 0, 2), List(NodeKind::NK_SEQUENCE, next, 0, 2)});
  }
  img.list({Leaf(NodeKind::NK_INT32, 0, 2, 1), Leaf(NodeKind::NK_INT32, 0, 2, 1)});
  const DbNode rung = img.nodes[ladder], name = img.nodes[img.nameLeaf(8, "TpxUI_Mode")];
  img.key(8, img.add(List(NodeKind::NK_SEQUENCE, img.list({rung, name}), 0, 2)));
  // TpxUI_Mode is 3, which no case matches: the outer walk goes on.
  const DbNode select = List(NodeKind::NK_SELECT_PRINTER_DATA, 0, 1, 0);
  const struct {
    const char *what;
    uint32_t node;
    AccessStatus want;
  } cases[] = {
      {"name walk alone", img.add(List(NodeKind::NK_SEQUENCE, img.list({select}), 0, 1)), kNotFound},
      {"ladder alone", img.add(List(NodeKind::NK_SEQUENCE, ladder, 0, 1)), kNotFound},
      {"name walk, then the ladder", img.add(List(NodeKind::NK_SEQUENCE, img.list({select, rung}), 0, 2)),
       kFailed},
      {"ladder, then the name walk", img.add(List(NodeKind::NK_SEQUENCE, img.list({rung, select}), 0, 2)),
       kFailed},
  };
  const ImageDescriptor image = img.view();
  const AccessRequest request = RequestOf(nullptr, 0, nullptr, 0, printer_);
  for (const auto &c : cases) EXPECT_EQ(WalkFor(image, c.node, &request), Status(c.want)) << c.what;
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(PrinterDataSelect, ExhaustedHeapFailsCleanly) {
  ASSERT_NE(printer_, nullptr);
  PrinterImage t;
  const uint32_t select = t.withDefault(1);
  const ImageDescriptor image = t.img.view();
  const AccessRequest request = RequestOf(nullptr, 0, nullptr, 0, printer_);
  int failures = 0;
  for (uint32_t n = 1;; ++n) {
    HeapFailAt fail(n);
    const Outcome got = WalkFor(image, select, &request);
    ASSERT_EQ(LiveBlocks(), 0) << "allocation " << n;
    if (!fail.fired()) {
      EXPECT_EQ(got, Answer(3));
      break;
    }
    ++failures;
    EXPECT_EQ(got, Status(kFailed)) << "allocation " << n;
  }
  EXPECT_GE(failures, 2); // at least the work copy and the value name
}

TEST_F(PrinterDataSelect, ReadPrinterDwordChecksItsArguments) {
  ASSERT_NE(printer_, nullptr);
  TestImage img;
  const LeafDescriptor mode{img.nodes[img.nameLeaf(8, "TpxUI_Mode")].word0, img.nodes.back().word1};
  const LeafDescriptor bytes{makeWord0(NodeKind::NK_BYTES, 0), makeWord1(8, 11)};
  const LeafDescriptor toEnd{makeWord0(NodeKind::NK_WIDE, 0), makeWord1(8, 11)};
  const LeafDescriptor past{makeWord0(NodeKind::NK_WIDE, 1), makeWord1(8, 11)};
  const LeafDescriptor nameless{makeWord0(NodeKind::NK_WIDE, 0), makeWord1(8, 0)};
  const ImageDescriptor image = img.view();
  uint32_t v = 0;
  EXPECT_EQ(ReadPrinterDword(image, printer_, mode, &v), kOk);
  EXPECT_EQ(v, 3u);
  EXPECT_EQ(ReadPrinterDword(image, printer_, toEnd, &v), kOk);
  EXPECT_EQ(ReadPrinterDword(image, nullptr, bytes, nullptr), kNotFound); // no printer comes first
  EXPECT_EQ(ReadPrinterDword(image, printer_, mode, nullptr), kFailed);
  EXPECT_EQ(ReadPrinterDword(image, printer_, bytes, &v), kFailed);
  EXPECT_EQ(ReadPrinterDword(image, printer_, past, &v), kFailed);
  // An empty name reads nothing, and reads no further than its block.
  EXPECT_EQ(ReadPrinterDword(image, printer_, nameless, &v), kNotFound);
  ImageDescriptor noPool = image;
  noPool.bytePool = nullptr;
  EXPECT_EQ(ReadPrinterDword(noPool, printer_, mode, &v), kFailed);
  EXPECT_EQ(LiveBlocks(), 0);
}

// The locale select reads the POSIX locale's territory.
class LocaleSelect : public ::testing::Test {
protected:
  void SetUp() override {
    ::unsetenv("LC_CTYPE");
    ::unsetenv("LANG");
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  }
  void TearDown() override { ::unsetenv("LC_ALL"); }
};

TEST_F(LocaleSelect, SelectsOnTheCountryCode) {
  int32_t country = 0;
  ASSERT_EQ(ReadLocaleCountry(kLocaleSource, &country), kOk);
  EXPECT_EQ(country, 49);
  EXPECT_EQ(ReadLocaleCountry(0x0001500F, &country), kOk); // a 16-bit source
  EXPECT_EQ(ReadLocaleCountry(0x5010, &country), kFailed);
  EXPECT_EQ(ReadLocaleCountry(kLocaleSource, nullptr), kFailed);

  TestImage img;
  const uint32_t germany = img.answer(kKey, 1), elsewhere = img.answer(kKey, 0);
  const uint32_t pair = img.bounds(40, 50);
  const uint32_t cases = img.list({Case(1, elsewhere), Case(49, germany), Default(elsewhere)});
  const uint32_t select = img.add(List(NodeKind::NK_SELECT_LOCALE, cases, kLocaleSource, 3));
  const uint32_t ranged =
      img.add(List(NodeKind::NK_SELECT_LOCALE, img.list({Range(pair, germany)}), kLocaleSource, 1));
  const uint32_t wrongSource = img.add(List(NodeKind::NK_SELECT_LOCALE, cases, 0x5010, 3));
  const uint32_t empty = img.add(List(NodeKind::NK_SELECT_LOCALE, 0, kLocaleSource, 0));
  const ImageDescriptor image = img.view();
  EXPECT_EQ(WalkFor(image, select, nullptr), Answer(1));
  EXPECT_EQ(WalkFor(image, ranged, nullptr), Answer(1));
  EXPECT_EQ(WalkFor(image, wrongSource, nullptr), Status(kFailed));
  EXPECT_EQ(WalkFor(image, empty, nullptr), Status(kNotFound));

  ::setenv("LC_ALL", "en_US.UTF-8", 1);
  EXPECT_EQ(WalkFor(image, select, nullptr), Answer(0));
  EXPECT_EQ(LiveBlocks(), 0);
}

TEST_F(LocaleSelect, ExhaustedHeapFailsCleanly) {
  int32_t country = 0;
  {
    HeapFailAt fail(1);
    EXPECT_EQ(ReadLocaleCountry(kLocaleSource, &country), kFailed);
    EXPECT_TRUE(fail.fired());
  }
  EXPECT_EQ(LiveBlocks(), 0);
  EXPECT_EQ(ReadLocaleCountry(kLocaleSource, &country), kOk);
  EXPECT_EQ(LiveBlocks(), 0);
}

} // namespace
} // namespace m4k7::test

#endif // !_WIN32
