// The M4K7's print-mode tables: the rows the settings lists allow, in
// nesting order, their section records, and their agreement with the
// print-mode command of key 4121.
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "compiler.h"
#include "print_mode_agreement.h"
#include "support/ask.h"

namespace m4k7 {
namespace {

using test::Answer;
using test::Ask;
using test::Request;

struct Settings {
  int16_t ink, i9, media, quality, i6;
};

// The print qualities of each media for four and six inks, in key 4110's
// media order.
struct MediaRow {
  int16_t media;
  std::vector<int16_t> ink4, ink6;
};
const std::vector<MediaRow> kQualities = {
    {1, {2, 3, 4, 5}, {1, 2, 4, 5}},
    {277, {1, 2, 3}, {1, 2}},
    {271, {1, 2, 3, 4}, {1, 2, 4}},
    {283, {2, 3}, {1, 2}},
    {262, {2, 3, 4}, {1, 2, 4}},
    {270, {2, 3}, {1, 2}},
    {276, {2, 3}, {1, 2}},
    {279, {1, 2, 3}, {1, 2}},
    {259, {3}, {3}},
    {273, {3}, {3}},
    {258, {3}, {3}},
    {2, {3, 4}, {3, 4}},
    {263, {2, 3, 4}, {1, 2, 4}},
    {275, {2, 3, 4}, {1, 2, 4}},
};

std::vector<Settings> ExpectedRows() {
  std::vector<Settings> rows;
  for (int16_t ink : {4, 6})
    for (int16_t i9 : {0, 1})
      for (const MediaRow &m : kQualities)
        for (int16_t q : ink == 4 ? m.ink4 : m.ink6) {
          std::vector<int16_t> i6 = {1};
          if (q == 4) i6 = m.media == 2 ? std::vector<int16_t>{1} : std::vector<int16_t>{2, 1};
          if (q == 5) i6 = {2};
          for (int16_t v : i6) rows.push_back({ink, i9, m.media, q, v});
        }
  return rows;
}

// Section 3's index table: (I[4], media 275, I[8]) → record number.
const std::map<std::tuple<int, bool, int>, uint16_t> kSection3 = {
    {{4, false, 2}, 0},  {{4, false, 3}, 1}, {{4, false, 4}, 2},  {{4, false, 5}, 3},
    {{4, false, 1}, 4},  {{4, true, 2}, 5},  {{4, true, 3}, 6},   {{4, true, 4}, 7},
    {{6, false, 1}, 8},  {{6, false, 2}, 9}, {{6, false, 4}, 10}, {{6, false, 5}, 11},
    {{6, false, 3}, 12}, {{6, true, 1}, 13}, {{6, true, 2}, 14},  {{6, true, 4}, 15},
};

// Section 1 as sixteen-bit values, built from the print-mode command bytes
// the printer receives: the ESC ( t data bytes, ESC ( c's quality code and
// ESC ( d's resolutions.
std::vector<uint16_t> ExpectedSection1(const Settings &s) {
  const std::map<int, uint16_t> kMediaCodes = {{1, 0},    {2, 1},    {258, 3},  {259, 4},  {262, 7},
                                               {263, 8},  {270, 15}, {271, 16}, {273, 18}, {275, 20},
                                               {276, 21}, {277, 22}, {279, 24}, {283, 27}};
  const bool plain = s.media == 2 || s.media == 258 || s.media == 259 || s.media == 273;
  uint16_t tSecond, tThird;
  if (s.quality >= 4)
    tSecond = 0, tThird = 1;
  else if (s.ink == 4 && s.quality == 1)
    tSecond = 0x04, tThird = 0x09;
  else if (s.ink == 4 && s.quality == 2)
    tSecond = 0x00, tThird = 0x09;
  else if (s.ink == 6 && s.quality == 1)
    tSecond = 0x00, tThird = 0x0C;
  else if (s.ink == 6 && s.quality == 2)
    tSecond = 0x90, tThird = 0x0C;
  else if (s.media == 259)
    tSecond = 0x00, tThird = 0x01;
  else
    tSecond = 0x80, tThird = plain ? 0x01 : 0x09;
  const uint16_t cQuality = s.quality <= 3 ? 2 : s.quality == 4 ? 1 : 0;
  const uint16_t kRes4[][2] = {{720, 1440}, {720, 720}, {360, 360}, {360, 360}, {180, 180}};
  const uint16_t kRes6[][2] = {{720, 720}, {360, 360}, {360, 360}, {360, 360}, {180, 180}};
  const uint16_t *d = (s.ink == 4 ? kRes4 : kRes6)[s.quality - 1];
  return {60,
          kMediaCodes.at(s.media),
          uint16_t(s.ink == 4 ? 22 : 23),
          uint16_t(s.ink == 4 ? 23 : 24),
          tThird,
          tSecond,
          cQuality,
          uint16_t(s.i6 == 1 ? 1 : 0),
          uint16_t(s.i9),
          d[0],
          d[0],
          d[1],
          d[0],
          2};
}

std::vector<uint16_t> Shorts(const uint8_t *at, size_t count) {
  std::vector<uint16_t> out(count);
  std::memcpy(out.data(), at, 2 * count);
  return out;
}

const std::string kTableName("tpb_04K7.tbl\0\0\0\0\0\0\0\0", 20);

TEST(PrintModeTables, RowsInNestingOrder) {
  const ImageDescriptor &image = CompiledImage();
  const std::vector<Settings> want = ExpectedRows();
  ASSERT_EQ(want.size(), 150u);
  ASSERT_EQ(image.printModes.modeRowCount, 150u);
  EXPECT_EQ(image.printModes.sectionCounts[0], 150u);
  EXPECT_EQ(image.printModes.sectionCounts[1], 1u);
  EXPECT_EQ(image.printModes.sectionCounts[2], 16u);
  EXPECT_EQ(image.printModes.sectionCounts[3], 1u);
  for (uint32_t r = 0; r < 150; ++r) {
    const PrintModeRow &row = image.printModes.modeRows[r];
    const Settings &s = want[r];
    EXPECT_EQ(std::vector<int16_t>(row.match, row.match + 6),
              (std::vector<int16_t>{s.ink, s.i9, s.media, s.quality, s.i6, 0}))
        << "row " << r;
    EXPECT_EQ(row.section[0], r) << "row " << r;
    EXPECT_EQ(row.section[1], 0) << "row " << r;
    EXPECT_EQ(row.section[2], kSection3.at({s.ink, s.media == 275, s.quality})) << "row " << r;
    EXPECT_EQ(row.section[3], 0) << "row " << r;
  }
  // The first row of each ink count and I[9] half.
  EXPECT_EQ(image.printModes.modeRows[39].match[1], 1);
  EXPECT_EQ(image.printModes.modeRows[78].match[0], 6);
  EXPECT_EQ(image.printModes.modeRows[114].match[1], 1);
}

TEST(PrintModeTables, TellingRows) {
  const ImageDescriptor &image = CompiledImage();
  struct Case {
    uint32_t row;
    std::array<int16_t, 6> match;
    std::array<uint16_t, 4> sections;
  };
  const Case kCases[] = {
      {0, {4, 0, 1, 2, 1, 0}, {0, 0, 0, 0}},        {2, {4, 0, 1, 4, 2, 0}, {2, 0, 2, 0}},
      {3, {4, 0, 1, 4, 1, 0}, {3, 0, 2, 0}},        {5, {4, 0, 277, 1, 1, 0}, {5, 0, 4, 0}},
      {35, {4, 0, 275, 2, 1, 0}, {35, 0, 5, 0}},    {39, {4, 1, 1, 2, 1, 0}, {39, 0, 0, 0}},
      {78, {6, 0, 1, 1, 1, 0}, {78, 0, 8, 0}},      {101, {6, 0, 259, 3, 1, 0}, {101, 0, 12, 0}},
      {149, {6, 1, 275, 4, 1, 0}, {149, 0, 15, 0}}, {30, {4, 0, 2, 4, 1, 0}, {30, 0, 2, 0}},
  };
  for (const Case &k : kCases) {
    const PrintModeRow &row = image.printModes.modeRows[k.row];
    EXPECT_EQ(std::vector<int16_t>(row.match, row.match + 6),
              std::vector<int16_t>(k.match.begin(), k.match.end()))
        << "row " << k.row;
    EXPECT_EQ(std::vector<uint16_t>(row.section, row.section + 4),
              std::vector<uint16_t>(k.sections.begin(), k.sections.end()))
        << "row " << k.row;
  }
}

TEST(PrintModeTables, SectionRecords) {
  const ImageDescriptor &image = CompiledImage();
  const PrintModeTables &t = image.printModes;
  auto s1 = [&t](uint32_t r) { return t.sectionTable1 + r * kSection1Size; };
  EXPECT_EQ(Shorts(s1(0), 14), (std::vector<uint16_t>{60, 0, 22, 23, 9, 0, 2, 1, 0, 720, 720, 720, 720, 2}));
  EXPECT_EQ(Shorts(s1(5), 14),
            (std::vector<uint16_t>{60, 22, 22, 23, 9, 4, 2, 1, 0, 720, 720, 1440, 720, 2}));
  EXPECT_EQ(Shorts(s1(149), 14),
            (std::vector<uint16_t>{60, 20, 23, 24, 1, 0, 1, 1, 1, 360, 360, 360, 360, 2}));

  std::set<std::string> distinct;
  for (uint32_t r = 0; r < 150; ++r) {
    distinct.insert(std::string(reinterpret_cast<const char *>(s1(r)), kSection1Size));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(s1(r)) + 28, 20), kTableName) << "record " << r;
  }
  EXPECT_EQ(distinct.size(), 150u);

  for (auto [key, index] : kSection3) {
    auto [ink, is275, quality] = key;
    const uint8_t *r = t.sectionTable3 + index * kSection3Size;
    EXPECT_EQ(Shorts(r, 4),
              (std::vector<uint16_t>{3, uint16_t(is275 ? 4 : 7), 3, uint16_t(5 * (quality - 1))}))
        << "section 3 record " << index;
    int32_t words[3];
    std::memcpy(words, r + 8, 12);
    EXPECT_EQ(std::vector<int32_t>(words, words + 3), (std::vector<int32_t>{21000, 29700, ink})) << index;
    EXPECT_EQ(std::vector<uint8_t>(r + 20, r + 36), std::vector<uint8_t>(16, 0)) << index;
  }
  EXPECT_EQ(std::vector<uint8_t>(t.sectionTable2, t.sectionTable2 + 40), std::vector<uint8_t>(40, 0));
  EXPECT_EQ(std::vector<uint8_t>(t.sectionTable4, t.sectionTable4 + 48), std::vector<uint8_t>(48, 0));
}

// Key 4126 for every row's settings: the whole 192-byte record.
TEST(PrintModeTables, EveryRowThroughTheDriver) {
  int row = 0;
  for (const Settings &s : ExpectedRows()) {
    Request r = Request::Standard(Database::Driver)
                    .withSettings({{4, s.ink}, {9, s.i9}, {5, s.media}, {8, s.quality}, {6, s.i6}, {81, 0}});
    Answer a = Ask(Database::Driver, 4126, r);
    ASSERT_EQ(a.status, 0) << "row " << row;
    ASSERT_EQ(a.bytes.size(), 192u);
    EXPECT_EQ(Shorts(a.bytes.data(), 14), ExpectedSection1(s)) << "row " << row;
    EXPECT_EQ(std::string(a.bytes.begin() + 28, a.bytes.begin() + 48), kTableName) << "row " << row;
    EXPECT_EQ(std::vector<uint8_t>(a.bytes.begin() + 48, a.bytes.begin() + 88), std::vector<uint8_t>(40, 0));
    EXPECT_EQ(Shorts(a.bytes.data() + 88, 4),
              (std::vector<uint16_t>{3, uint16_t(s.media == 275 ? 4 : 7), 3, uint16_t(5 * (s.quality - 1))}))
        << "row " << row;
    int32_t words[3];
    std::memcpy(words, a.bytes.data() + 96, 12);
    EXPECT_EQ(std::vector<int32_t>(words, words + 3), (std::vector<int32_t>{21000, 29700, s.ink}))
        << "row " << row;
    EXPECT_EQ(std::vector<uint8_t>(a.bytes.begin() + 108, a.bytes.end()), std::vector<uint8_t>(84, 0));

    // I[6] = 3 is offered for every combination but describes no print mode.
    r.set(6, 3);
    EXPECT_EQ(Ask(Database::Driver, 4126, r).status, 1) << "row " << row << " with I[6] = 3";
    ++row;
  }
}

// Every other combination near the rows matches none: other ink counts,
// I[9], qualities, I[6] (3 included) and I[81], and a media type that only
// equals one of the list's in its low 16 bits.
TEST(PrintModeTables, EveryOtherCombinationHasNoRow) {
  std::set<std::array<int32_t, 5>> rows;
  for (const Settings &s : ExpectedRows()) rows.insert({s.ink, s.i9, s.media, s.quality, s.i6});
  std::vector<int32_t> media = {0, 383, 0x10000 + 1, -65536 + 275};
  for (const MediaRow &m : kQualities) media.push_back(m.media);
  int matched = 0;
  for (int32_t ink : {4, 5, 6})
    for (int32_t i9 : {0, 1, 2})
      for (int32_t m : media)
        for (int32_t q = 0; q <= 6; ++q)
          for (int32_t i6 = 0; i6 <= 3; ++i6)
            for (int32_t i81 : {0, 1}) {
              Request r = Request::Standard(Database::Driver)
                              .withSettings({{4, ink}, {9, i9}, {5, m}, {8, q}, {6, i6}, {81, i81}});
              const bool row = i81 == 0 && rows.count({ink, i9, m, q, i6});
              matched += row;
              uint32_t size = 0;
              std::vector<uint8_t> record(192, 0xCD);
              EXPECT_EQ(VRT_AccessDrvDataBase(4126, &r.view(), 192, record.data(), &size), row ? 0 : 1)
                  << ink << " " << i9 << " " << m << " " << q << " " << i6 << " " << i81;
            }
  EXPECT_EQ(matched, 150);
}

TEST(PrintModeTables, AgreeWithThePageSetupCommand) {
  std::string error;
  EXPECT_TRUE(imagec::CheckPrintModeAgreement(CompiledImage(), &error)) << error;
}

// A small image with one print-mode command fragment and one row.
struct AgreementImage {
  imagec::ImageTables tables;
  bool ok = false;
  std::string error;
};
std::unique_ptr<AgreementImage> BuildAgreementImage(bool withPageSetup) {
  imagec::ImageBuilder b;
  b.keyOfAllRoots(0x5008);
  const std::string command("\x1B(c\x03\x00"
                            "0\x00\x02"
                            "\x1B(d\x04\x00\x02\xD0\x02\xD0"
                            "\x1B(t\x03\x00\x01\x00\x09",
                            25);
  auto tree = b.select(4, {imagec::is(4, b.select(5, {imagec::is(1, b.bytes(0x5008, command))}))});
  auto start = b.bytes(0x5008, std::string("\x1B(b\x01\x00\x01", 6));
  b.hang(tree);
  b.hang(b.sequence({start}));
  if (withPageSetup) b.groupedList(4121, {start, tree});
  imagec::PrintModeRowSource row{};
  row.match = {4, 0, 1, 2, 1, 0};
  const uint16_t fields[14] = {60, 0, 22, 23, 9, 0, 2, 1, 0, 720, 720, 720, 720, 2};
  std::memcpy(row.section1.data(), fields, sizeof fields);
  b.printModeRow(row);
  auto out = std::make_unique<AgreementImage>();
  out->ok = imagec::Compile(b, &out->tables, &out->error);
  return out;
}

TEST(PrintModeTables, DisagreementIsNamed) {
  auto img = BuildAgreementImage(true);
  ASSERT_TRUE(img->ok) << img->error;
  std::string error;
  EXPECT_TRUE(imagec::CheckPrintModeAgreement(img->tables.descriptor(), &error)) << error;

  struct Case {
    size_t offset;
    uint16_t value;
    const char *message;
  };
  const char *kRow = "print-mode row 0 (I[4]=4, I[9]=0, I[5]=1, I[8]=2, I[6]=1, I[81]=0): ";
  const Case kCases[] = {
      {8, 12, "section 1 bytes 8-9 = 12 but ESC ( t says 9"},
      {10, 144, "section 1 bytes 10-11 = 144 but ESC ( t says 0"},
      {12, 1, "section 1 bytes 12-13 = 1 but ESC ( c says 2"},
      {18, 360, "section 1 bytes 18-19 = 360 but ESC ( d says 720"},
      {22, 1440, "section 1 bytes 22-23 = 1440 but ESC ( d says 720"},
  };
  for (const Case &c : kCases) {
    imagec::ImageTables broken = img->tables;
    std::memcpy(&broken.section1[c.offset], &c.value, 2);
    std::string message;
    EXPECT_FALSE(imagec::CheckPrintModeAgreement(broken.descriptor(), &message)) << c.message;
    EXPECT_EQ(message, std::string(kRow) + c.message + " in key 0x1019 (4121), entry 2 (node " +
                           std::to_string(img->tables.entryNodes[1]) + ")");
  }

  // A row whose settings reach no print-mode command.
  imagec::ImageTables orphan = img->tables;
  orphan.modeRows[0].match[2] = 2;
  std::string message;
  EXPECT_FALSE(imagec::CheckPrintModeAgreement(orphan.descriptor(), &message));
  EXPECT_NE(message.find("print-mode row 0 (I[4]=4, I[9]=0, I[5]=2,"), std::string::npos) << message;
}

TEST(PrintModeTables, NothingToAgreeWithYet) {
  auto img = BuildAgreementImage(false);
  ASSERT_TRUE(img->ok) << img->error;
  std::string error;
  EXPECT_TRUE(imagec::CheckPrintModeAgreement(img->tables.descriptor(), &error));
}

} // namespace
} // namespace m4k7
