// Hooks that only builds with M4K7DB_TEST_HOOKS have: tests make the N-th
// heap allocation fail, count live blocks, fix the clock and fix the
// locale's country code. The shared
// library is built without them and keeps no mutable state.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace m4k7::platform::testing {

#if defined(M4K7DB_TEST_HOOKS)
inline constexpr bool kHooksAvailable = true;
#else
inline constexpr bool kHooksAvailable = false;
#endif

// The n-th allocation from now fails (1 = the next one); 0 disarms.
void FailAllocationAt(uint32_t n);
// Whether an armed failure has fired since the last FailAllocationAt.
bool AllocationFailureFired();
// Allocations made so far and blocks not yet released.
uint64_t AllocationCount();
int64_t LiveBlocks();

// Replaces the clock with a fixed time; nullptr restores the real clock.
void FixClock(const LocalTime *time);

// Replaces the user's locale country text (the system's "33" for France)
// with a fixed one; "" makes the country unknown, as on a system that cannot
// tell it; nullptr restores the system's. Texts longer than 15 characters
// are cut. Wine keeps one user locale per prefix, so tests that need
// several countries in one process fix them here.
void FixLocaleCountry(const char *text);

// RAII: arm a failure at n for one scope, disarm at its end.
class HeapFailAt {
public:
  explicit HeapFailAt(uint32_t n) { FailAllocationAt(n); }
  ~HeapFailAt() { FailAllocationAt(0); }
  HeapFailAt(const HeapFailAt &) = delete;
  HeapFailAt &operator=(const HeapFailAt &) = delete;
  bool fired() const { return AllocationFailureFired(); }
};

#if defined(M4K7DB_TEST_HOOKS)
// The backend's side of the hooks, called only in builds that have them:
// each allocation attempt asks whether it is the armed one, each block
// handed out or taken back moves the live count, and the clock asks first
// for a fixed time.
namespace detail {
bool AllocationMustFail();
void NoteBlockAllocated();
void NoteBlockReleased();
bool ReadFixedClock(LocalTime *now);
// When a country is fixed: true, with *length what LocaleCountryText
// returns for the fixed text (buffer and size as there).
bool ReadFixedLocaleCountry(char *buffer, uint32_t size, uint32_t *length);
} // namespace detail
#endif

class FixedClock {
public:
  explicit FixedClock(LocalTime t) : time_(t) { FixClock(&time_); }
  ~FixedClock() { FixClock(nullptr); }
  FixedClock(const FixedClock &) = delete;
  FixedClock &operator=(const FixedClock &) = delete;

private:
  LocalTime time_;
};

class FixedLocaleCountry {
public:
  explicit FixedLocaleCountry(const char *text) { FixLocaleCountry(text); }
  ~FixedLocaleCountry() { FixLocaleCountry(nullptr); }
  FixedLocaleCountry(const FixedLocaleCountry &) = delete;
  FixedLocaleCountry &operator=(const FixedLocaleCountry &) = delete;
};

} // namespace m4k7::platform::testing
