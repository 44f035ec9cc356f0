// Answers decoded by kind, and the JSON they are written as.
#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

#include "decode.h"
#include "json.h"
#include "support/ask.h"
#include "text.h"

namespace m4k7cli {
namespace {

using Type = EscPiece::Type;
using namespace std::literals;
using m4k7::test::Bytes;

struct Expect {
  Type type;
  uint8_t letter;
  std::string data; // hex of data / params
  std::vector<std::string> lines;
};

TEST(CommandSplit, EscapeSequencesAndText) {
  struct Case {
    const char *name;
    std::string_view escaped;
    std::vector<Expect> want;
  };
  const Case cases[] = {
      {"reset", "\x1B@"sv, {{Type::Reset, 0, "", {}}}},
      {"command with data",
       "\x1B(c\x03\x00"
       "0\x00\x02\x1B(d\x04\x00\x02\xD0\x02\xD0"sv,
       {{Type::Command, 'c', "30 00 02", {}}, {Type::Command, 'd', "02 d0 02 d0", {}}}},
      // ESC ( l announces two data bytes; the grouped list joins them from two entries.
      {"joined command",
       "\x1B(l\x02\x00"
       "1\x0B"sv,
       {{Type::Command, 'l', "31 0b", {}}}},
      {"control blocks",
       "\x1B[K\x02\x00\x00\x1FQXLSTART\nControlMode=Common\nQXLEND\n\x1B[K\x02\x00\x00\x0F"sv,
       {{Type::ControlBlock, 'K', "00 1f", {"QXLSTART", "ControlMode=Common", "QXLEND"}},
        {Type::ControlBlock, 'K', "00 0f", {}}}},
      {"text around commands",
       "\nQXLEND\n\x1B(e\x02\x00\x00\x01\x0C"sv,
       {{Type::Text, 0, "", {"", "QXLEND"}},
        {Type::Command, 'e', "00 01", {}},
        {Type::Text, 0, "", {"\x0C"}}}},
      {"zero-length command", "\x1B(q\x00\x00"sv, {{Type::Command, 'q', "", {}}}},
      {"other escape",
       "\x1B"
       "Z"sv,
       {{Type::Escape, 'Z', "", {}}}},
      {"cut short: no length", "\x1B(c\x03"sv, {{Type::Truncated, 0, "", {}}}},
      {"cut short: data",
       "\x1B(c\x03\x00"
       "0"sv,
       {{Type::Truncated, 0, "", {}}}},
      {"lone escape", "AB\x1B"sv, {{Type::Text, 0, "", {"AB"}}, {Type::Truncated, 0, "", {}}}},
  };
  for (const Case &c : cases) {
    std::vector<uint8_t> bytes = Bytes(c.escaped);
    std::vector<EscPiece> pieces = SplitCommands(bytes.data(), bytes.size());
    ASSERT_EQ(pieces.size(), c.want.size()) << c.name;
    size_t covered = 0;
    for (size_t i = 0; i < pieces.size(); ++i) {
      EXPECT_EQ(pieces[i].type, c.want[i].type) << c.name << " piece " << i;
      EXPECT_EQ(pieces[i].offset, covered) << c.name << " piece " << i;
      covered += pieces[i].bytes.size();
      if (c.want[i].letter) {
        EXPECT_EQ(pieces[i].letter, c.want[i].letter) << c.name;
      }
      if (c.want[i].type == Type::Command || c.want[i].type == Type::ControlBlock) {
        EXPECT_EQ(HexBytes(pieces[i].data), c.want[i].data) << c.name;
      }
      if (!c.want[i].lines.empty()) {
        EXPECT_EQ(pieces[i].lines, c.want[i].lines) << c.name;
      }
    }
    EXPECT_EQ(covered, bytes.size()) << c.name << ": the pieces cover the answer";
  }
}

TEST(AnswerRecords, ItemListsAndPrintModeRecord) {
  const int32_t raw[] = {4, 15004, 20004, 1, 1, 6, 15006, 20006, 1, 0};
  std::vector<uint8_t> bytes(sizeof raw + 3); // a tail that is no whole item
  std::memcpy(bytes.data(), raw, sizeof raw);
  std::vector<ListItemView> items = ItemsOf(bytes);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].id, 6);
  EXPECT_EQ(items[1].attr1, 15006);
  EXPECT_EQ(items[0].mark, 1);

  std::vector<uint8_t> record(192, 0);
  const uint16_t s1[14] = {60, 0, 22, 23, 9, 0, 2, 1, 0, 720, 720, 720, 720, 2};
  std::memcpy(record.data(), s1, sizeof s1);
  std::memcpy(record.data() + 28, "tpb_04K7.tbl", 12);
  const uint16_t s3[4] = {3, 7, 3, 5};
  const int32_t s3l[3] = {21000, 29700, 4};
  std::memcpy(record.data() + 88, s3, sizeof s3);
  std::memcpy(record.data() + 96, s3l, sizeof s3l);
  PrintModeView v;
  ASSERT_TRUE(PrintModeOf(record, &v));
  EXPECT_EQ(v.section1[9], 720);
  EXPECT_EQ(v.tableFile, "tpb_04K7.tbl");
  EXPECT_EQ(v.section3Short[3], 5);
  EXPECT_EQ(v.section3Long[1], 29700);
  EXPECT_EQ(v.section2.size(), 40u);
  EXPECT_EQ(v.section4.size(), 48u);
  EXPECT_EQ(v.tail.size(), 20u);
  // A table file name that fills its 20 bytes has no terminator to stop at.
  std::memset(record.data() + 28, 'a', 20);
  ASSERT_TRUE(PrintModeOf(record, &v));
  EXPECT_EQ(v.tableFile, std::string(20, 'a'));
  record.pop_back();
  EXPECT_FALSE(PrintModeOf(record, &v));
}

TEST(AnswerKinds, LeafWordsNameTheKind) {
  struct Case {
    m4k7::NodeKind kind;
    uint16_t count;
    AnswerKind want;
  };
  const Case cases[] = {
      {m4k7::NodeKind::NK_BYTES, 3, AnswerKind::Bytes},
      {m4k7::NodeKind::NK_INT8, 1, AnswerKind::Integers},
      {m4k7::NodeKind::NK_UINT16, 1, AnswerKind::Integers},
      {m4k7::NodeKind::NK_WIDE, 5, AnswerKind::Wide},
      {m4k7::NodeKind::NK_COMPUTED, 1, AnswerKind::Bytes},
      {m4k7::NodeKind::NK_COMPUTED, 2, AnswerKind::PrintableArea},
      {m4k7::NodeKind::NK_COMPUTED, 3, AnswerKind::PrintableArea},
      {m4k7::NodeKind::NK_COMPUTED, 4, AnswerKind::Integers},
      {m4k7::NodeKind::NK_COMPUTED, 6, AnswerKind::Bytes},
      {m4k7::NodeKind::NK_COMPUTED, 9, AnswerKind::Unknown},
      {m4k7::NodeKind::NK_SEQUENCE, 1, AnswerKind::Unknown},
  };
  for (const Case &c : cases)
    EXPECT_EQ(KindOfLeaf(m4k7::makeWord0(c.kind, 0), m4k7::makeWord1(1, c.count)).kind, c.want)
        << int(c.kind) << "/" << c.count;
}

// Python's json module is the referee in the CLI tests; here the writer's
// own rules: escapes, invalid UTF-8, nesting.
TEST(JsonOutput, StringsAreAlwaysValid) {
  struct Case {
    std::string in;
    std::string want;
  };
  const Case cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"\n\t\r", "\"\\n\\t\\r\""},
      {std::string("\x1B\x00\x7F", 3), "\"\\u001b\\u0000\\u007f\""},
      {"caf\xC3\xA9", "\"caf\xC3\xA9\""},            // valid UTF-8 passes
      {"\xE9t\xE9", "\"\\u00e9t\\u00e9\""},          // Latin-1 bytes escaped
      {"\xC3", "\"\\u00c3\""},                       // cut sequence
      {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""}, // surrogate
      {"\xC0\xAF", "\"\\u00c0\\u00af\""},            // overlong
  };
  for (const Case &c : cases) {
    std::ostringstream out;
    WriteJsonString(out, c.in);
    EXPECT_EQ(out.str(), c.want) << HexBytes(reinterpret_cast<const uint8_t *>(c.in.data()), c.in.size());
  }
  Json o = Json::object();
  o.set("n", -2147483647 - 1);
  o.set("list", Json::arrayOf(std::vector<int>{1, 2}));
  o.set("empty", Json::array());
  Json inner = Json::object();
  inner.set("ok", true);
  o.set("inner", std::move(inner));
  o.set("n", 5); // replaces, keeps its place
  EXPECT_EQ(
      o.dump(),
      "{\n  \"n\": 5,\n  \"list\": [1, 2],\n  \"empty\": [],\n  \"inner\": {\n    \"ok\": true\n  }\n}");
}

TEST(TextHelpers, Utf16RoundTrip) {
  std::u16string u;
  ASSERT_TRUE(Utf8ToUtf16("M4K7 \xE2\x82\xAC \xF0\x9F\x96\xA8", &u));
  EXPECT_EQ(u.size(), 9u); // the printer emoji takes a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(u), "M4K7 \xE2\x82\xAC \xF0\x9F\x96\xA8");
  EXPECT_FALSE(Utf8ToUtf16("\xFF", &u));
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(QuoteBytes(std::string("a\n\x1B\"", 4)), "\"a\\n\\x1b\\\"\"");
}

} // namespace
} // namespace m4k7cli
