// The print-mode record tables behind key 4126: one selection row for each
// combination of settings that the driver's lists allow (I[81] = 0, I[6]
// without 3; the allowed qualities and I[6] values are the list tree's own),
// nested I[4] → I[9] → I[5] → I[8] → I[6]. Every record follows
// from the rules below; the print-mode command of key 4121 carries the same
// values, and the compiler checks that the two agree.
#include <cstring>
#include <vector>

#include "content.h"
#include "driver_content.h"

namespace imagec {

namespace {

constexpr int16_t kInks[] = {4, 6};
constexpr int16_t kI9Values[] = {0, 1};

// Each media's code in section 1 (bytes 2-3).
uint16_t SectionMediaCode(int32_t media) {
  struct Code {
    int32_t media;
    uint16_t code;
  };
  static constexpr Code kCodes[] = {
      {1, 0},    {2, 1},    {258, 3},  {259, 4},  {262, 7},  {263, 8},  {270, 15},
      {271, 16}, {273, 18}, {275, 20}, {276, 21}, {277, 22}, {279, 24}, {283, 27},
  };
  for (const Code &c : kCodes)
    if (c.media == media) return c.code;
  return 0xFFFF; // no row is made for a media outside the driver's list
}

// Resolutions of the print qualities 1 to 5, on both axes except the
// second value of quality 1 with four inks.
constexpr uint16_t kResolution4[] = {720, 720, 360, 360, 180};
constexpr uint16_t kResolution6[] = {720, 360, 360, 360, 180};
constexpr uint16_t kFineResolution4 = 1440;

constexpr char kColourTable[] = "tpb_04K7.tbl";

// A row exists for each I[6] value that key 4116 offers except 3, which it
// offers under every quality and no print mode describes.
std::vector<int16_t> PrintModeI6(int16_t ink, int16_t media, int16_t quality) {
  std::vector<int16_t> modes;
  for (int64_t mode : driver::AllowedModes(ink, media, quality))
    if (mode != 3) modes.push_back(int16_t(mode));
  return modes;
}

// The media whose ESC ( t ends in 1 at every print quality.
bool IsSparseMedia(int16_t media) { return media == 2 || media == 258 || media == 259 || media == 273; }

void Put16(uint8_t *at, uint32_t value) {
  at[0] = uint8_t(value);
  at[1] = uint8_t(value >> 8);
}
void Put32(uint8_t *at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

std::array<uint8_t, 48> Section1(int16_t ink, int16_t i9, int16_t media, int16_t quality, int16_t i6) {
  std::array<uint8_t, 48> r{};
  const bool four = ink == 4;
  Put16(&r[0], 60);
  Put16(&r[2], SectionMediaCode(media));
  Put16(&r[4], four ? 22 : 23);
  Put16(&r[6], four ? 23 : 24);
  // The third and second data bytes of ESC ( t.
  const bool lowDots = quality >= 4 || IsSparseMedia(media);
  Put16(&r[8], lowDots ? 1 : four ? 9 : 12);
  uint32_t pass = 0;
  switch (quality) {
  case 1: pass = four ? 4 : 0; break;
  case 2: pass = four ? 0 : 144; break;
  case 3: pass = media == 259 ? 0 : 128; break;
  default: pass = 0; break;
  }
  Put16(&r[10], pass);
  // The quality code of ESC ( c.
  Put16(&r[12], quality <= 3 ? 2 : quality == 4 ? 1 : 0);
  Put16(&r[14], i6 == 1 ? 1 : 0);
  Put16(&r[16], uint32_t(i9));
  const uint16_t resolution = (four ? kResolution4 : kResolution6)[quality - 1];
  Put16(&r[18], resolution);
  Put16(&r[20], resolution);
  Put16(&r[22], four && quality == 1 ? kFineResolution4 : resolution);
  Put16(&r[24], resolution);
  Put16(&r[26], 2);
  std::memcpy(&r[28], kColourTable, sizeof kColourTable - 1);
  return r;
}

// Section 3: by the ink count, whether the media is 275, and the print quality.
std::array<uint8_t, 36> Section3(int16_t ink, int16_t media, int16_t quality) {
  std::array<uint8_t, 36> r{};
  Put16(&r[0], 3);
  Put16(&r[2], media == 275 ? 4 : 7);
  Put16(&r[4], 3);
  Put16(&r[6], 5u * uint32_t(quality - 1));
  Put32(&r[8], 21000); // an A4 sheet, 0.01 mm
  Put32(&r[12], 29700);
  Put32(&r[16], uint32_t(ink));
  return r;
}

} // namespace

void AddPrintModeTables(ImageBuilder &b) {
  b.nameCodeKey(4126, "print-mode record for the settings", "print-mode record");
  constexpr int16_t kI81 = 0;
  for (int16_t ink : kInks)
    for (int16_t i9 : kI9Values)
      for (int32_t m : driver::kMediaTypes)
        for (int64_t q : driver::AllowedQualities(ink, m)) {
          const int16_t media = int16_t(m);
          const int16_t quality = int16_t(q);
          for (int16_t i6 : PrintModeI6(ink, media, quality))
            b.printModeRow({{ink, i9, media, quality, i6, kI81},
                            Section1(ink, i9, media, quality, i6),
                            {},
                            Section3(ink, media, quality),
                            {}});
        }
}

} // namespace imagec
