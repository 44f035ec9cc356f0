// The paper-size tree: one guard per paper size (I[28]), then the margin
// mode I[52]. Keys 0x1001-0x1004, 0x1033, 0x1059 and 0x500E share it, and
// so does the page-format command that grouped key 4121 sends before a page.
#include "driver_content.h"

namespace imagec::driver {

namespace {

// Lengths in 0.01 mm, except the ESC ( p values and the page length (1/60 inch).
struct Layout {
  int32_t printable[2]; // 0x1001: width, height
  int32_t margin[2];    // 0x1002: top, left
  uint16_t format[4];   // ESC ( p: length, 0, width, last
};

struct PrintableSize {
  int32_t code;          // I[28]
  int32_t paper[2];      // 0x1003: width, height
  int32_t listName;      // 0x500E
  int32_t printerNumber; // 0x1059
  Layout fullLength;     // I[52] = 5: no top margin, the whole paper length
  Layout normal;         // any other margin mode
};

// The sizes the printer lays out itself, in the driver's list order.
const PrintableSize kPrintableSizes[] = {
    {11,
     {14800, 21000},
     15712,
     1,
     {{14120, 21000}, {0, 340}, {497, 0, 334, 0}},
     {{14120, 20000}, {300, 340}, {473, 0, 334, 0}}},
    {78,
     {21000, 14800},
     15713,
     2,
     {{20320, 14800}, {0, 340}, {350, 0, 480, 0}},
     {{20320, 13800}, {300, 340}, {326, 0, 480, 0}}},
    {9,
     {21000, 29700},
     15710,
     3,
     {{20320, 29700}, {0, 340}, {702, 0, 480, 0}},
     {{20320, 28700}, {300, 340}, {678, 0, 480, 0}}},
    {13,
     {18200, 25700},
     15717,
     8,
     {{17520, 25700}, {0, 340}, {608, 0, 414, 0}},
     {{17520, 24700}, {300, 340}, {584, 0, 414, 0}}},
    {1,
     {21590, 27940},
     15701,
     13,
     {{20320, 27940}, {0, 340}, {660, 0, 480, 0}},
     {{20320, 26940}, {300, 640}, {637, 0, 480, 7}}},
    {5,
     {21590, 35560},
     15705,
     15,
     {{20320, 35560}, {0, 340}, {840, 0, 480, 0}},
     {{20320, 34560}, {300, 640}, {817, 0, 480, 7}}},
    {43,
     {10000, 14800},
     15726,
     20,
     {{9320, 14800}, {0, 340}, {350, 0, 221, 0}},
     {{9320, 13800}, {300, 340}, {326, 0, 221, 0}}},
    {270,
     {23500, 10500},
     15728,
     40,
     {{20320, 10500}, {0, 340}, {249, 0, 480, 0}},
     {{20320, 9500}, {300, 640}, {225, 0, 480, 7}}},
    {271,
     {19000, 9800},
     15729,
     41,
     {{18320, 9800}, {0, 340}, {232, 0, 433, 0}},
     {{17720, 8800}, {300, 640}, {208, 0, 419, 7}}},
    {272,
     {22860, 33782},
     15739,
     42,
     {{20320, 33782}, {0, 340}, {798, 0, 480, 0}},
     {{21844, 28194}, {2794, 508}, {666, 0, 516, 0}}},
    {273,
     {22270, 35560},
     15740,
     43,
     {{20320, 35560}, {0, 340}, {840, 0, 480, 0}},
     {{21254, 29972}, {2794, 508}, {708, 0, 502, 0}}},
    {275,
     {11960, 21590},
     15742,
     45,
     {{11280, 21590}, {0, 340}, {510, 0, 267, 0}},
     {{10944, 16002}, {2794, 508}, {378, 0, 259, 0}}},
};

// Sizes the driver lists but the printer has no page layout for: only the
// paper dimensions and the list name (the sizes key 0x1010 leaves out).
struct ListedSize {
  int32_t code;
  int32_t paper[2];
  int32_t listName;
};

const ListedSize kListedOnlySizes[] = {
    {8, {29700, 42000}, 15708},   {66, {42000, 59400}, 15707}, {12, {25700, 36400}, 15715},
    {257, {36400, 51500}, 15714}, {3, {27940, 43180}, 15719},  {24, {43180, 55880}, 15743},
    {274, {32900, 48300}, 15741},
};

// The user-defined size: its layout comes from the caller's dimensions.
constexpr uint16_t kUserDefinedSize = 256;
constexpr int32_t kUserDefinedListName = 15744;

constexpr uint16_t kMarginMode = m4k7::kSlotMarginMode;
constexpr int32_t kFullLength = 5;

// The page length 0x1033 stands only on the full-length branch, where it is
// the length the page-format command carries.
NodeRef LayoutLeaves(ImageBuilder &b, const Layout &l, bool withPageLength) {
  std::vector<NodeRef> leaves = {
      b.ints(0x1001, {l.printable[0], l.printable[1]}),
      b.ints(0x1002, {l.margin[0], l.margin[1]}),
      b.bytes(kFragmentKey, PageFormatCommand(l.format)),
  };
  if (withPageLength) leaves.push_back(b.ints(0x1033, {l.format[0]}));
  return b.sequence(std::move(leaves));
}

} // namespace

std::vector<int64_t> PaperSizes(bool printableOnly) {
  std::vector<int64_t> sizes;
  for (const PrintableSize &s : kPrintableSizes) sizes.push_back(s.code);
  if (!printableOnly)
    for (const ListedSize &s : kListedOnlySizes) sizes.push_back(s.code);
  sizes.push_back(kUserDefinedSize);
  return sizes;
}

std::string PageFormatCommand(const uint16_t (&values)[4]) {
  std::string command("\x1B(p\x08\x00", 5);
  for (uint16_t v : values) {
    command.push_back(char(v >> 8));
    command.push_back(char(v & 0xFF));
  }
  return command;
}

NodeRef AddPaperSizeTree(ImageBuilder &b) {
  std::vector<NodeRef> guards;
  for (const PrintableSize &s : kPrintableSizes) {
    NodeRef byMargin = b.select(kMarginMode, {
                                                 is(kFullLength, LayoutLeaves(b, s.fullLength, true)),
                                                 otherwise(LayoutLeaves(b, s.normal, false)),
                                             });
    guards.push_back(b.guard(uint16_t(s.code), {
                                                   b.ints(0x500E, {s.listName}),
                                                   b.ints(0x1003, {s.paper[0], s.paper[1]}),
                                                   b.ints(0x1059, {s.printerNumber}),
                                                   byMargin,
                                               }));
  }
  for (const ListedSize &s : kListedOnlySizes)
    guards.push_back(
        b.guard(uint16_t(s.code), {b.ints(0x500E, {s.listName}), b.ints(0x1003, {s.paper[0], s.paper[1]})}));
  guards.push_back(
      b.guard(kUserDefinedSize, {
                                    b.ints(0x500E, {kUserDefinedListName}),
                                    b.ints(0x1059, {kUserDefinedSize}),
                                    b.computed(0x1004, m4k7::ComputedValueId::CV_PRINTABLE_AREA_CAPPED),
                                    b.computed(kFragmentKey, m4k7::ComputedValueId::CV_PAGE_FORMAT_COMMAND),
                                    b.computed(0x1033, m4k7::ComputedValueId::CV_PAGE_LENGTH),
                                }));

  NodeRef root = b.guarded(28, std::move(guards));
  b.key(0x1001, "printable [width, height] of the paper size", root);
  b.key(0x1002, "[top, left] margin of the paper size", root);
  b.key(0x1003, "paper [width, height] of the paper size", root);
  b.key(0x1004, "printable area of the user-defined size", root);
  b.key(0x1033, "page length in 1/60 inch (full-length page)", root);
  b.key(0x1059, "printer's number for the paper size", root);
  b.key(0x500E, "attr2 of the paper-size items", root);

  // The paper-size codes of the Windows device mode that the tools show by
  // name; the model's own codes from 257 have none.
  const std::pair<int32_t, const char *> kSizeNames[] = {
      {1, "Letter"},
      {3, "Tabloid"},
      {5, "Legal"},
      {8, "A3"},
      {9, "A4"},
      {11, "A5"},
      {12, "B4"},
      {13, "B5"},
      {24, "17 x 22 inch"},
      {43, "Japanese postcard"},
      {66, "A2"},
      {78, "A5 landscape"},
      {kUserDefinedSize, "user-defined size"},
  };
  for (const auto &[code, name] : kSizeNames) b.nameValue(28, code, name);
  b.nameValue(52, 5, "full-length page");
  return root;
}

} // namespace imagec::driver
