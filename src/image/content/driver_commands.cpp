// The print-mode command that grouped key 4121 sends before every page:
// ESC ( c (dot mode, media code, quality code), ESC ( d (resolutions) and
// ESC ( t (timing), one per branch of ink count, I[9], media and quality.
#include "driver_content.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace imagec::driver {

namespace {

bool In(int32_t value, std::initializer_list<int32_t> set) {
  return std::find(set.begin(), set.end(), value) != set.end();
}

// Media 2, 258 and 273 share their quality-3 command bytes.
bool ThinMedia(int32_t media) { return In(media, {2, 258, 273}); }

char DotMode(int32_t ink, int32_t i9, int32_t media, int32_t quality) {
  if (i9 == 0) return '0';
  if (ink == 4) {
    bool plain = media == 276 || (ThinMedia(media) && quality == 3) || (media == 2 && quality == 4);
    return plain ? '0' : '1';
  }
  return (quality == 3 || quality == 5 || (media == 2 && quality == 4)) ? '1' : '0';
}

uint8_t MediaCode(int32_t ink, int32_t i9, int32_t media) {
  struct Code {
    int32_t media;
    uint8_t code;
  };
  static constexpr Code kCodes[] = {{1, 0},   {275, 0}, {2, 2},   {258, 3}, {273, 3}, {259, 4}, {270, 5},
                                    {277, 5}, {279, 5}, {276, 6}, {271, 7}, {262, 8}, {263, 8}, {283, 7}};
  if (media == 283 && ink == 4 && i9 == 1) return 8;
  for (const Code &c : kCodes)
    if (c.media == media) return c.code;
  return 0;
}

uint8_t QualityCode(int32_t quality) { return quality <= 3 ? 2 : quality == 4 ? 1 : 0; }

std::array<uint16_t, 2> Resolutions(int32_t ink, int32_t quality) {
  if (quality == 5) return {180, 180};
  if (quality == 1) return ink == 4 ? std::array<uint16_t, 2>{720, 1440} : std::array<uint16_t, 2>{720, 720};
  if (quality == 2 && ink == 4) return {720, 720};
  return {360, 360};
}

std::array<uint8_t, 3> Timing(int32_t ink, int32_t media, int32_t quality) {
  if (quality >= 4) return {0x01, 0x00, 0x01};
  if (quality == 3 && media == 259) return {0x01, 0x00, 0x01};
  if (quality == 3 && ThinMedia(media)) return {0x02, 0x80, 0x01};
  if (ink == 4) {
    if (quality == 1) return {0x01, 0x04, 0x09};
    if (quality == 2) return {0x01, 0x00, 0x09};
    return {0x02, 0x80, 0x09};
  }
  // Six inks print quality 3 only on the media handled above.
  if (quality == 1) return {0x01, 0x00, 0x0C};
  return {0x02, 0x90, 0x0C};
}

} // namespace

std::string PrintModeCommand(int32_t ink, int32_t i9, int32_t media, int32_t quality) {
  std::string command("\x1B(c\x03\x00", 5);
  command.push_back(DotMode(ink, i9, media, quality));
  command.push_back(char(MediaCode(ink, i9, media)));
  command.push_back(char(QualityCode(quality)));

  command.append("\x1B(d\x04\x00", 5);
  for (uint16_t dpi : Resolutions(ink, quality)) {
    command.push_back(char(dpi >> 8));
    command.push_back(char(dpi & 0xFF));
  }

  command.append("\x1B(t\x03\x00", 5);
  for (uint8_t byte : Timing(ink, media, quality)) command.push_back(char(byte));
  return command;
}

} // namespace imagec::driver
