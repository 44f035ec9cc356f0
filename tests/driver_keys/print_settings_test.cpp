// The print-settings chain: the list tree (allowed values and their mark
// pairs) and the print-mode tree (what a choice prints with), over every
// branch of I[4], I[9], I[5], I[81], I[8] and I[6].
#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "engine_ask.h"

namespace m4k7::test {
namespace {

using namespace std::literals;
using Ints = std::vector<int32_t>;

const Ints kMedia = {1, 277, 271, 283, 262, 270, 276, 279, 259, 273, 258, 2, 263, 275};

struct Allowed {
  Ints qualities; // 0x1016
  Ints mark;      // 0x5005
};
// By media, for four and for six inks.
const std::map<int32_t, std::pair<Allowed, Allowed>> kAllowed = {
    {1, {{{2, 3, 4, 5}, {4, 1}}, {{1, 2, 4, 5}, {4, 1}}}},
    {277, {{{1, 2, 3}, {3, 1}}, {{1, 2}, {2, 1}}}},
    {271, {{{1, 2, 3, 4}, {3, 1}}, {{1, 2, 4}, {2, 1}}}},
    {283, {{{2, 3}, {3, 1}}, {{1, 2}, {2, 1}}}},
    {262, {{{2, 3, 4}, {3, 1}}, {{1, 2, 4}, {2, 1}}}},
    {270, {{{2, 3}, {3, 1}}, {{1, 2}, {2, 1}}}},
    {276, {{{2, 3}, {3, 1}}, {{1, 2}, {2, 1}}}},
    {279, {{{1, 2, 3}, {3, 1}}, {{1, 2}, {2, 1}}}},
    {259, {{{3}, {3, 1}}, {{3}, {3, 1}}}},
    {273, {{{3}, {3, 1}}, {{3}, {3, 1}}}},
    {258, {{{3}, {3, 1}}, {{3}, {3, 1}}}},
    {2, {{{3, 4}, {3, 1}}, {{3, 4}, {3, 1}}}},
    {263, {{{2, 3, 4}, {4, 1}}, {{1, 2, 4}, {4, 1}}}},
    {275, {{{2, 3, 4}, {2, 1}}, {{1, 2, 4}, {1, 1}}}},
};

const Allowed &AllowedFor(int32_t ink, int32_t media) {
  const auto &both = kAllowed.at(media);
  return ink == 4 ? both.first : both.second;
}

bool OneOf(int32_t v, std::initializer_list<int32_t> set) {
  return std::find(set.begin(), set.end(), v) != set.end();
}

// The per-quality answers, written from the catalogue's table.
struct QualityAnswers {
  Ints resolution, settings, modes, attr1, attr2; // 0x1008, 0x1015, 0x1014, 0x5006, 0x5007
};

QualityAnswers Expected(int32_t ink, int32_t q, int32_t media) {
  if (ink == 6 && q >= 4) ink = 4;
  bool oneOr275 = OneOf(media, {1, 275});
  bool group3 = OneOf(media, {2, 258, 259, 273});
  switch (ink * 10 + q) {
  case 41: return {{720, 720}, {0, 1, 0, 0}, {3, 1}, {0}, {-4}};
  case 42: return {{720, 720}, {0, 2, 0, 0}, {3, 1}, {oneOr275 ? 1 : 0}, {-4}};
  case 43: return {{360, 360}, {0, 3, 0, 0}, {3, 1}, {oneOr275 ? 0 : group3 ? 2 : 1}, {group3 ? -3 : -4}};
  case 44:
    return {{360, 360},
            media == 2 ? Ints{0, 4, 0, 0} : Ints{4, 4, 0, 0},
            media == 2 ? Ints{3, 1} : Ints{3, 2, 1},
            {OneOf(media, {2, 271}) ? 0 : 2},
            {media == 271 ? -4 : -3}};
  case 45: return {{180, 180}, {5, 0, 0, 0}, {3, 2}, {3}, {-2}};
  case 61: return {{720, 720}, {0, 1, 0, 0}, {3, 1}, {oneOr275 ? 1 : 0}, {-4}};
  case 62: return {{360, 360}, {0, 2, 0, 0}, {3, 1}, {oneOr275 ? 0 : 1}, {-4}};
  case 63: return {{360, 360}, {0, 3, 0, 0}, {3, 1}, {2}, {-3}};
  }
  ADD_FAILURE() << "no quality row " << ink << " " << q;
  return {};
}

// The print-mode command, field by field with the exceptions as tables.
std::vector<uint8_t> ExpectedCommand(int32_t ink, int32_t i9, int32_t media, int32_t q) {
  // ESC ( c, first byte: I[9] = 1 gives "1" except where these say "0".
  static const std::set<std::pair<int32_t, int32_t>> kPlainWithFourInks = {
      {276, 1}, {276, 2}, {276, 3}, {276, 4}, {276, 5}, {2, 3}, {258, 3}, {273, 3}, {2, 4}};
  char dot = '0';
  if (i9 == 1 && ink == 4) dot = kPlainWithFourInks.count({media, q}) ? '0' : '1';
  if (i9 == 1 && ink == 6) dot = (q == 3 || q == 5 || (media == 2 && q == 4)) ? '1' : '0';

  static const std::map<int32_t, uint8_t> kMediaCode = {{1, 0},   {275, 0}, {2, 2},   {258, 3}, {273, 3},
                                                        {259, 4}, {270, 5}, {277, 5}, {279, 5}, {276, 6},
                                                        {271, 7}, {262, 8}, {263, 8}, {283, 7}};
  uint8_t mediaCode = (media == 283 && ink == 4 && i9 == 1) ? 8 : kMediaCode.at(media);
  static const std::map<int32_t, uint8_t> kQualityCode = {{1, 2}, {2, 2}, {3, 2}, {4, 1}, {5, 0}};

  static const std::map<std::pair<int32_t, int32_t>, std::vector<uint8_t>> kResolutions = {
      {{4, 1}, Be16({720, 1440})}, {{4, 2}, Be16({720, 720})}, {{4, 3}, Be16({360, 360})},
      {{4, 4}, Be16({360, 360})},  {{4, 5}, Be16({180, 180})}, {{6, 1}, Be16({720, 720})},
      {{6, 2}, Be16({360, 360})},  {{6, 3}, Be16({360, 360})}, {{6, 4}, Be16({360, 360})},
      {{6, 5}, Be16({180, 180})}};
  static const std::map<std::pair<int32_t, int32_t>, std::vector<uint8_t>> kTiming = {
      {{4, 1}, {0x01, 0x04, 0x09}}, {{4, 2}, {0x01, 0x00, 0x09}}, {{4, 3}, {0x02, 0x80, 0x09}},
      {{4, 4}, {0x01, 0x00, 0x01}}, {{4, 5}, {0x01, 0x00, 0x01}}, {{6, 1}, {0x01, 0x00, 0x0C}},
      {{6, 2}, {0x02, 0x90, 0x0C}}, {{6, 4}, {0x01, 0x00, 0x01}}, {{6, 5}, {0x01, 0x00, 0x01}}};
  std::vector<uint8_t> timing;
  if (q == 3 && media == 259)
    timing = {0x01, 0x00, 0x01};
  else if (q == 3 && OneOf(media, {2, 258, 273}))
    timing = {0x02, 0x80, 0x01};
  else
    timing = kTiming.at({ink, q});

  return Concat({Bytes("\x1B(c\x03\x00"sv),
                 {uint8_t(dot), mediaCode, kQualityCode.at(q)},
                 Bytes("\x1B(d\x04\x00"sv),
                 kResolutions.at({ink, q}),
                 Bytes("\x1B(t\x03\x00"sv),
                 timing});
}

Request Settings(int32_t ink, int32_t i9, int32_t media, int32_t q, int32_t mode) {
  return Driver({{4, ink}, {9, i9}, {5, media}, {81, 0}, {8, q}, {6, mode}});
}

std::string Where(int32_t ink, int32_t i9, int32_t media, int32_t q, int32_t mode) {
  return "I[4]=" + std::to_string(ink) + " I[9]=" + std::to_string(i9) + " I[5]=" + std::to_string(media) +
         " I[8]=" + std::to_string(q) + " I[6]=" + std::to_string(mode);
}

TEST(PrintSettings, PrintModeTreeOnEveryBranch) {
  int resolutions = 0;
  std::set<std::vector<uint8_t>> commands;
  for (int32_t ink : {4, 6})
    for (int32_t i9 : {0, 1})
      for (int32_t media : kMedia)
        for (int32_t q : AllowedFor(ink, media).qualities) {
          QualityAnswers want = Expected(ink, q, media);
          for (int32_t mode : want.modes) {
            SCOPED_TRACE(Where(ink, i9, media, q, mode));
            Request r = Settings(ink, i9, media, q, mode);
            Answer resolution = Ask(Database::Driver, 0x1008, r);
            ASSERT_EQ(resolution.status, 0);
            EXPECT_EQ(resolution.ints(), want.resolution);
            EXPECT_EQ(Ask(Database::Driver, 0x1015, r).ints(), want.settings);
            EXPECT_EQ(Ask(Database::Driver, 0x1038, r).ints(), (Ints{33, 161}));
            EXPECT_EQ(Lookup(0x5006, r).ints(), want.attr1);
            EXPECT_EQ(Lookup(0x5007, r).ints(), want.attr2);
            Leaf command = WalkEntry(4121, 1, r);
            ASSERT_EQ(command.status, 0);
            EXPECT_EQ(Hex(command.bytes), Hex(ExpectedCommand(ink, i9, media, q)));
            ++resolutions;
            commands.insert(command.bytes);
          }
        }
  EXPECT_EQ(resolutions, 280);
  EXPECT_EQ(commands.size(), 48u);
}

TEST(PrintSettings, ListTreeOnEveryBranch) {
  for (int32_t ink : {4, 6})
    for (int32_t i9 : {0, 1}) {
      Request top = Driver({{4, ink}, {9, i9}});
      EXPECT_EQ(Lookup(0x100C, top).ints(), (Ints{4, 6}));
      EXPECT_EQ(Lookup(0x5003, top).ints(), (Ints{4, 1}));
      EXPECT_EQ(Lookup(0x100E, top).ints(), kMedia);
      EXPECT_EQ(Lookup(0x5004, top).ints(), (Ints{1, 1}));
      for (int32_t media : kMedia) {
        SCOPED_TRACE(Where(ink, i9, media, 0, 0));
        Request r = Driver({{4, ink}, {9, i9}, {5, media}, {81, 0}});
        EXPECT_EQ(Lookup(0x104D, r).ints(), Ints{0});
        EXPECT_EQ(Lookup(0x5010, r).ints(), (Ints{0, 1}));
        EXPECT_EQ(Lookup(0x1016, r).ints(), AllowedFor(ink, media).qualities);
        EXPECT_EQ(Lookup(0x5005, r).ints(), AllowedFor(ink, media).mark);
        for (int32_t q : AllowedFor(ink, media).qualities) {
          Request rq = Driver({{4, ink}, {9, i9}, {5, media}, {81, 0}, {8, q}});
          EXPECT_EQ(Lookup(0x1014, rq).ints(), Expected(ink, q, media).modes) << q;
          EXPECT_EQ(Lookup(0x500D, rq).ints(), (Ints{3, 1})) << q;
        }
      }
    }
}

TEST(PrintSettings, Examples) {
  EXPECT_EQ(Hex(WalkEntry(4121, 1, Settings(4, 0, 1, 2, 1)).bytes),
            "1B 28 63 03 00 30 00 02 1B 28 64 04 00 02 D0 02 D0 1B 28 74 03 00 01 00 09");
  for (int32_t mode : {1, 3})
    EXPECT_EQ(WalkEntry(4121, 1, Settings(4, 0, 1, 2, mode)).bytes,
              Bytes("\x1B(c\x03\x00"
                    "0\x00\x02\x1B(d\x04\x00\x02\xD0\x02\xD0\x1B(t\x03\x00\x01\x00\x09"sv));
  for (int32_t mode : {2, 3})
    EXPECT_EQ(WalkEntry(4121, 1, Settings(4, 0, 1, 5, mode)).bytes,
              Bytes("\x1B(c\x03\x00"
                    "0\x00\x00\x1B(d\x04\x00\x00\xB4\x00\xB4\x1B(t\x03\x00\x01\x00\x01"sv));
}

// Off the listed branches the keys answer nothing.
TEST(PrintSettings, Gaps) {
  struct Gap {
    const char *what;
    Request request;
  };
  Gap gaps[] = {
      {"quality the media does not allow", Settings(4, 0, 1, 1, 1)},
      {"I[6] the quality does not list", Settings(4, 0, 1, 2, 2)},
      {"I[81] other than 0", Driver({{4, 4}, {9, 0}, {5, 1}, {81, 1}, {8, 2}, {6, 1}})},
      {"unknown media", Settings(4, 0, 300, 2, 1)},
      {"I[9] other than 0 and 1", Settings(4, 2, 1, 2, 1)},
      {"ink count other than 4 and 6", Settings(5, 0, 1, 2, 1)},
  };
  for (Gap &g : gaps) {
    SCOPED_TRACE(g.what);
    EXPECT_EQ(Ask(Database::Driver, 0x1008, g.request).status, 1);
    EXPECT_EQ(WalkEntry(4121, 1, g.request).status, 1);
  }
  // I[6] is tested last: the per-quality answers stand before it.
  Request wrongMode = Settings(4, 0, 1, 2, 2);
  EXPECT_EQ(Ask(Database::Driver, 0x1015, wrongMode).ints(), (Ints{0, 2, 0, 0}));
  EXPECT_EQ(Lookup(0x1014, wrongMode).ints(), (Ints{3, 1}));

  Request noQuality = Settings(4, 0, 1, 1, 1);
  EXPECT_EQ(Lookup(0x1014, noQuality).status, 1);
  EXPECT_EQ(Lookup(0x1016, noQuality).ints(), (Ints{2, 3, 4, 5}));
  EXPECT_EQ(Lookup(0x5006, noQuality).status, 1);

  Request otherI81 = Driver({{4, 4}, {9, 0}, {5, 1}, {81, 1}});
  EXPECT_EQ(Lookup(0x1016, otherI81).status, 1);
  EXPECT_EQ(Lookup(0x5005, otherI81).status, 1);
  EXPECT_EQ(Lookup(0x104D, otherI81).ints(), Ints{0});

  Request unknownMedia = Driver({{4, 4}, {9, 0}, {5, 300}});
  EXPECT_EQ(Lookup(0x104D, unknownMedia).status, 1);
  EXPECT_EQ(Lookup(0x5010, unknownMedia).status, 1);
  EXPECT_EQ(Lookup(0x100E, unknownMedia).ints(), kMedia);

  Request otherInk = Driver({{4, 5}});
  EXPECT_EQ(Lookup(0x100C, otherInk).ints(), (Ints{4, 6}));
  EXPECT_EQ(Lookup(0x100E, otherInk).status, 1);
}

TEST(PrintSettings, TooFewIntegerParameters) {
  // Each select of the chain that finds its slot missing answers -3.
  struct Short {
    uint32_t count;
    uint32_t key;
  };
  const Short kShort[] = {{4, 0x1008},  {4, 0x100E}, {9, 0x1015},  {6, 0x104D},
                          {81, 0x1016}, {9, 0x1014}, {81, 0x5006}, {7, 0x1038}};
  for (const Short &s : kShort) {
    Request r = Settings(4, 0, 1, 2, 1);
    r.ints.resize(s.count);
    AccessStatus status =
        (s.key >= 0x5000 || s.key == 0x100E || s.key == 0x104D || s.key == 0x1016 || s.key == 0x1014)
            ? Lookup(s.key, r).status
            : Ask(Database::Driver, s.key, r).status;
    EXPECT_EQ(status, -3) << std::hex << s.key << std::dec << " with " << s.count << " slots";
  }
  // The ink-count list stands before the first select.
  EXPECT_EQ(Lookup(0x100C, Request::Ints(0)).ints(), (Ints{4, 6}));
}

} // namespace
} // namespace m4k7::test
