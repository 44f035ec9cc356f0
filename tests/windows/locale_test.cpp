// The user's country code as Windows reports it. Wine takes the user locale
// from LC_ALL, so CTest runs this program once per locale below with LC_ALL
// set (tests/windows/CMakeLists.txt).
#if defined(_WIN32)

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "platform/platform.h"

namespace m4k7 {
namespace {

struct LocaleCase {
  const char *lcAll;
  int32_t country; // the international dialling code
};

const LocaleCase kLocales[] = {
    {"de_DE.UTF-8", 49},
    {"ja_JP.UTF-8", 81},
    {"en_US.UTF-8", 1},
    {"fr_FR.UTF-8", 33},
};

TEST(UserLocale, CountryOfLocale) {
  const char *lcAll = std::getenv("LC_ALL");
  for (const LocaleCase &c : kLocales) {
    if (lcAll == nullptr || std::strcmp(lcAll, c.lcAll) != 0) continue;
    int32_t country = -7;
    ASSERT_EQ(ReadLocaleCountry(0x500F, &country), 0) << c.lcAll;
    EXPECT_EQ(country, c.country) << c.lcAll;
    return;
  }
  GTEST_SKIP() << "LC_ALL is not one of the locales this test knows; CTest runs it with each";
}

TEST(UserLocale, TextAndNumberAgree) {
  // The size query counts the terminator; the copy fills exactly that much.
  uint32_t needed = platform::LocaleCountryText(nullptr, 0);
  ASSERT_GT(needed, 1u);
  std::string text(needed, '\xCD');
  ASSERT_EQ(platform::LocaleCountryText(text.data(), needed), needed);
  EXPECT_EQ(text[needed - 1], '\0');
  EXPECT_EQ(platform::LocaleCountryText(text.data(), needed - 1), 0u) << "a short buffer is not enough";

  int32_t country = 0;
  ASSERT_EQ(ReadLocaleCountry(0x500F, &country), 0);
  EXPECT_EQ(country, std::atoi(text.c_str()));
  EXPECT_EQ(ReadLocaleCountry(0x500E, &country), -1);
  EXPECT_EQ(ReadLocaleCountry(0x500F, nullptr), -1);
}

} // namespace
} // namespace m4k7

#endif
