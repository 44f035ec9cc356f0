// Control blocks and the option command: byte sequences the driver's
// components send on to the printer as they stand.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "computed/values.h"
#include "engine/driver_slots.h"
#include "engine/engine.h"
#include "platform/platform.h"

namespace m4k7::computed {

namespace {

using namespace std::string_view_literals;

// ESC [ K, two parameter bytes 0x00 0x1F, then the control-language text.
constexpr std::string_view kTimeBlock = "\x1B[K\x02\x00\x00\x1F"
                                        "QXLSTART\n"
                                        "ControlMode=Common\n"
                                        "SetTime=yyyymmddhhmmss\n"
                                        "QXLEND\n"sv;
constexpr size_t kTimeStampAt = 43;
constexpr size_t kTimeStampLength = 14;
static_assert(kTimeBlock.size() == 65);
static_assert(kTimeBlock.substr(kTimeStampAt, kTimeStampLength) == "yyyymmddhhmmss");

// The on text carries an empty line so that both blocks have one length.
constexpr std::string_view kSilentOff = "\x1B[K\x02\x00\x00\x1F"
                                        "QXLSTART\n"
                                        "ControlMode=Common\n"
                                        "SetSilent=OFF\n"
                                        "QXLEND\n"sv;
constexpr std::string_view kSilentOn = "\x1B[K\x02\x00\x00\x1F"
                                       "QXLSTART\n"
                                       "ControlMode=Common\n"
                                       "SetSilent=ON\n\n"
                                       "QXLEND\n"sv;
static_assert(kSilentOff.size() == 56 && kSilentOn.size() == 56);

constexpr uint32_t kOptionBit = 0x800000;
constexpr uint32_t kModeBitA = 0x100000;
constexpr uint32_t kModeBitB = 0x400000;
constexpr uint32_t kModeBitC = 0x200000;

// Printer-data value number of the silent-mode window ("TpxUI_SilentModeTime"
// in this model's image), named through root key 8.
constexpr int32_t kSilentModeTimeValue = 154;

// Whether the printer's silent-mode window, kept as two minutes of the day
// (start in bits 15-0, end in bits 31-16), covers the minute now. A window
// whose start lies after its end runs across midnight.
bool InSilentWindow(uint32_t window, uint32_t now) {
  const uint32_t start = window & 0xFFFFu;
  const uint32_t end = window >> 16;
  if (start == end) return false;
  if (start < end) return start <= now && now <= end;
  return now >= start || now <= end;
}

// Reads the window from the printer, through the same value-name read as
// the printer-data select. False on any failure, which keeps silent mode
// off: among them a value name made by code, which could be this block
// asking for itself.
bool ReadSilentWindow(const ImageDescriptor &image, const AccessRequest *request, uint32_t *window) {
  if (request == nullptr) return false;
  return ReadNamedPrinterValue(image, request->printerHandle, kSilentModeTimeValue, window) == kOk;
}

} // namespace

AccessStatus SetTimeBlock(uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  *outSize = uint32_t(kTimeBlock.size());
  if (bufferSize < kTimeBlock.size() || buffer == nullptr) return kBufferTooSmall;
  platform::LocalTime now{};
  platform::GetLocalTime(&now);
  char stamp[32];
  const int length =
      std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", int(now.year), int(now.month),
                    int(now.day), int(now.hour), int(now.minute), int(now.second));
  if (length != int(kTimeStampLength)) return kFailed;
  auto *out = static_cast<uint8_t *>(buffer);
  std::memcpy(out, kTimeBlock.data(), kTimeBlock.size());
  std::memcpy(out + kTimeStampAt, stamp, kTimeStampLength);
  return kOk;
}

AccessStatus OptionCommand(const AccessRequest *request, uint32_t bufferSize, void *buffer,
                           uint32_t *outSize) {
  if (request == nullptr || request->intParams == nullptr || request->intParamCount <= kSlotOptionValue)
    return kMissingInt;
  *outSize = 12;
  if (bufferSize < 12 || buffer == nullptr) return kBufferTooSmall;
  const uint32_t flags = uint32_t(request->intParams[kSlotOptions]);
  const uint32_t value = uint32_t(request->intParams[kSlotOptionValue]);
  auto has = [flags](uint32_t bit) { return (flags & bit) != 0; };
  uint8_t flagByte = 0;
  if (has(kModeBitA) == has(kModeBitB)) flagByte |= 0x01;
  if (has(kModeBitB)) flagByte |= 0x10;
  if (has(kModeBitC)) flagByte |= 0x40;
  const uint8_t bytes[12] = {0x1B,
                             '(',
                             '$',
                             0x07,
                             0x00,
                             0x01,
                             0x00,
                             uint8_t(has(kOptionBit) ? 1 : 0),
                             uint8_t(value >> 8),
                             uint8_t(value),
                             0x00,
                             flagByte};
  std::memcpy(buffer, bytes, sizeof bytes);
  return kOk;
}

AccessStatus SilentModeBlock(const ImageDescriptor &image, const AccessRequest *request, uint32_t bufferSize,
                             void *buffer, uint32_t *outSize) {
  *outSize = uint32_t(kSilentOff.size());
  if (bufferSize < kSilentOff.size() || buffer == nullptr) return kBufferTooSmall;
  platform::LocalTime clock{};
  platform::GetLocalTime(&clock);
  const uint32_t now = uint32_t(clock.hour) * 60u + clock.minute;
  uint32_t window = 0;
  const bool on = ReadSilentWindow(image, request, &window) && InSilentWindow(window, now);
  const std::string_view block = on ? kSilentOn : kSilentOff;
  std::memcpy(buffer, block.data(), block.size());
  return kOk;
}

} // namespace m4k7::computed
