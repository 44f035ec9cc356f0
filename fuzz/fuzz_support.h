// What the three fuzz targets share: a reader that turns the fuzzer's bytes
// into choices (running dry yields zeros, so every input is valid), and a
// check that reports a broken promise and aborts, so that libFuzzer and the
// corpus replay both stop on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "m4k7db.h"

namespace m4k7::fuzz {

class Reader {
public:
  Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

  uint8_t u8() { return size_ == 0 ? 0 : (--size_, *data_++); }
  uint16_t u16() { return uint16_t(u8() | uint16_t(u8()) << 8); }
  uint32_t u32() { return uint32_t(u16()) | uint32_t(u16()) << 16; }
  // Up to n raw bytes (fewer when the input runs dry).
  std::string bytes(size_t n) {
    if (n > size_) n = size_;
    std::string s(reinterpret_cast<const char *>(data_), n);
    data_ += n;
    size_ -= n;
    return s;
  }
  // A parameter value: small numbers in one byte, the rest spelled out.
  int32_t setting() {
    uint8_t b = u8();
    if (b < 0xF0) return b;
    switch (b) {
    case 0xF0: return -1;
    case 0xF1: return int16_t(u16());
    case 0xF2: return int32_t(u32());
    case 0xF3: return int32_t(0x80000000u);
    case 0xF4: return 0x7FFFFFFF;
    default: return 0x100 * (b - 0xF4) + u8();
    }
  }
  size_t left() const { return size_; }
  std::string rest() { return bytes(size_); }

private:
  const uint8_t *data_;
  size_t size_;
};

[[noreturn]] inline void Fail(const char *file, int line, const char *what) {
  std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

#define FUZZ_CHECK(cond)                                                                                     \
  do {                                                                                                       \
    if (!(cond)) ::m4k7::fuzz::Fail(__FILE__, __LINE__, #cond);                                              \
  } while (0)

// A buffer of exactly `room` bytes followed by guard bytes that must stay
// as they were.
struct GuardedBuffer {
  static constexpr size_t kGuard = 32;
  static constexpr uint8_t kGuardByte = 0xA7;
  explicit GuardedBuffer(uint32_t n) : bytes(size_t(n) + kGuard, 0x5C), room(n) {
    std::memset(bytes.data() + room, kGuardByte, kGuard);
  }
  void *data() { return bytes.data(); }
  bool intact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (bytes[room + i] != kGuardByte) return false;
    return true;
  }
  std::vector<uint8_t> bytes;
  uint32_t room;
};

inline bool IsAccessStatus(AccessStatus s) { return s >= -4 && s <= 3; }

// A printer-data file for the fuzzers' printers, written once per process
// into the temporary folder and named through M4K7DB_PRINTER_DATA.
std::string WritePrinterDataFile(const char *stem, const std::string &text);

} // namespace m4k7::fuzz
