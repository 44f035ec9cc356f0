// The test hooks' state, compiled only into m4k7db_test_hooks, which tests
// link instead of the shipped heap and clock: nothing that ships has it.
//
// Every counter is atomic because the concurrency tests run the exported
// functions from several threads against one heap. An armed failure is an
// absolute allocation number, so exactly one attempt matches it however the
// threads interleave.
#include "platform/test_hooks.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace m4k7::platform::testing {

namespace {

struct HookState {
  std::atomic<uint64_t> attempts{0}; // allocation attempts, failed ones included
  std::atomic<uint64_t> failAt{0};   // attempt number that fails; 0 = disarmed
  std::atomic<bool> fired{false};    // the armed attempt has happened
  std::atomic<int64_t> live{0};      // blocks handed out and not released
  std::atomic<bool> clockFixed{false};
  std::mutex clockLock; // guards fixedTime against torn copies
  LocalTime fixedTime{};
  std::atomic<bool> countryFixed{false};
  std::mutex countryLock; // guards countryText
  char countryText[16]{};
};

HookState &State() {
  static HookState state;
  return state;
}

} // namespace

void FailAllocationAt(uint32_t n) {
  HookState &s = State();
  s.fired.store(false);
  s.failAt.store(n == 0 ? 0 : s.attempts.load() + n);
}

bool AllocationFailureFired() { return State().fired.load(); }
uint64_t AllocationCount() { return State().attempts.load(); }
int64_t LiveBlocks() { return State().live.load(); }

void FixClock(const LocalTime *time) {
  HookState &s = State();
  std::lock_guard<std::mutex> hold(s.clockLock);
  if (time != nullptr) s.fixedTime = *time;
  s.clockFixed.store(time != nullptr);
}

void FixLocaleCountry(const char *text) {
  HookState &s = State();
  std::lock_guard<std::mutex> hold(s.countryLock);
  if (text != nullptr) {
    std::size_t n = std::strlen(text);
    if (n >= sizeof s.countryText) n = sizeof s.countryText - 1;
    std::memcpy(s.countryText, text, n);
    s.countryText[n] = '\0';
  }
  s.countryFixed.store(text != nullptr);
}

namespace detail {

bool AllocationMustFail() {
  HookState &s = State();
  uint64_t attempt = s.attempts.fetch_add(1) + 1;
  if (attempt != s.failAt.load()) return false;
  s.fired.store(true);
  return true;
}

void NoteBlockAllocated() { State().live.fetch_add(1); }
void NoteBlockReleased() { State().live.fetch_sub(1); }

bool ReadFixedClock(LocalTime *now) {
  HookState &s = State();
  if (!s.clockFixed.load()) return false;
  std::lock_guard<std::mutex> hold(s.clockLock);
  if (!s.clockFixed.load()) return false;
  *now = s.fixedTime;
  return true;
}

bool ReadFixedLocaleCountry(char *buffer, uint32_t size, uint32_t *length) {
  HookState &s = State();
  if (!s.countryFixed.load()) return false;
  std::lock_guard<std::mutex> hold(s.countryLock);
  if (!s.countryFixed.load()) return false;
  const uint32_t needed = uint32_t(std::strlen(s.countryText)) + 1;
  if (needed == 1)
    *length = 0;
  else if (buffer == nullptr || size == 0)
    *length = needed;
  else if (size < needed)
    *length = 0;
  else {
    std::memcpy(buffer, s.countryText, needed);
    *length = needed;
  }
  return true;
}

} // namespace detail

} // namespace m4k7::platform::testing
