// Heap, clock and locale for POSIX systems.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform.h"
#include "platform/posix/locale_country.h"
#include "platform/test_hooks.h"

namespace m4k7::platform {

// malloc(0) may return nullptr, which callers would take for exhaustion;
// a size-0 block is therefore one byte, unique like any other.
void *Allocate(size_t bytes) {
#if defined(M4K7DB_TEST_HOOKS)
  if (testing::detail::AllocationMustFail()) return nullptr;
#endif
  void *block = std::malloc(bytes == 0 ? 1 : bytes);
#if defined(M4K7DB_TEST_HOOKS)
  if (block != nullptr) testing::detail::NoteBlockAllocated();
#endif
  return block;
}

void Release(void *block) {
  if (block == nullptr) return;
#if defined(M4K7DB_TEST_HOOKS)
  testing::detail::NoteBlockReleased();
#endif
  std::free(block);
}

void GetLocalTime(LocalTime *now) {
  if (now == nullptr) return;
#if defined(M4K7DB_TEST_HOOKS)
  if (testing::detail::ReadFixedClock(now)) return;
#endif
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  if (t == std::time_t(-1) || localtime_r(&t, &tm) == nullptr) {
    *now = LocalTime{1970, 1, 1, 0, 0, 0};
    return;
  }
  now->year = uint16_t(tm.tm_year + 1900);
  now->month = uint16_t(tm.tm_mon + 1);
  now->day = uint16_t(tm.tm_mday);
  now->hour = uint16_t(tm.tm_hour);
  now->minute = uint16_t(tm.tm_min);
  // A leap second shows as 60; the printer's clock has no such second.
  now->second = uint16_t(tm.tm_sec > 59 ? 59 : tm.tm_sec);
}

uint32_t LocaleCountryText(char *buffer, uint32_t size) {
#if defined(M4K7DB_TEST_HOOKS)
  uint32_t fixed = 0;
  if (testing::detail::ReadFixedLocaleCountry(buffer, size, &fixed)) return fixed;
#endif
  uint32_t code = locale_country::DialCodeOfLocale(locale_country::UserLocaleName());
  if (code == 0) return 0;
  char text[12];
  int length = std::snprintf(text, sizeof text, "%u", unsigned(code));
  if (length <= 0) return 0;
  uint32_t needed = uint32_t(length) + 1;
  if (buffer == nullptr || size == 0) return needed;
  if (size < needed) return 0;
  std::memcpy(buffer, text, needed);
  return needed;
}

} // namespace m4k7::platform
