// The fixed locale country of the test builds: tests that need several
// countries in one process (Wine keeps one per prefix) fix it, and the
// engine's country read must see exactly what was fixed.
#include <cstdint>
#include <optional>

#include <gtest/gtest.h>

#include "engine/engine.h"
#include "platform/platform.h"
#include "platform/test_hooks.h"

namespace m4k7::test {
namespace {

using platform::testing::FixedLocaleCountry;

struct CountryCase {
  const char *text;
  AccessStatus status;
  int32_t country; // when status is kOk
};

TEST(FixedCountry, TheEngineReadsTheFixedText) {
  const CountryCase cases[] = {
      {"1", kOk, 1},     {"33", kOk, 33},  {"81", kOk, 81},
      {"358", kOk, 358}, {"", kFailed, 0}, // a system that cannot tell its country
  };
  for (const CountryCase &c : cases) {
    SCOPED_TRACE(c.text);
    FixedLocaleCountry fixed(c.text);
    int32_t country = -7;
    EXPECT_EQ(ReadLocaleCountry(kLocaleSource, &country), c.status);
    if (c.status == kOk) {
      EXPECT_EQ(country, c.country);
    }
  }
}

TEST(FixedCountry, BufferSizesAndRestore) {
  int32_t before = 0;
  const AccessStatus system = ReadLocaleCountry(kLocaleSource, &before);
  {
    FixedLocaleCountry fixed("49");
    char buffer[8] = {};
    EXPECT_EQ(platform::LocaleCountryText(nullptr, 0), 3u);
    EXPECT_EQ(platform::LocaleCountryText(buffer, 2), 0u) << "no room for the terminator";
    EXPECT_EQ(platform::LocaleCountryText(buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "49");
  }
  int32_t after = 0;
  EXPECT_EQ(ReadLocaleCountry(kLocaleSource, &after), system);
  if (system == kOk) {
    EXPECT_EQ(after, before) << "the system's country is back";
  }
}

} // namespace
} // namespace m4k7::test
