// The user's country from the POSIX locale, as the locale select reads it.
// The printer-data file and the POSIX locale are this build's stores;
// the Windows build reads the spooler and the system locale instead
// (tests/windows).
#if !defined(_WIN32)
#include <cstring>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "env.h"
#include "platform/platform.h"
#include "platform/posix/locale_country.h"

namespace m4k7::test {
namespace {

using Var = std::optional<std::string>;

// The text LocaleCountryText gives with the two-call pattern, or nullopt.
std::optional<std::string> CountryText() {
  uint32_t needed = platform::LocaleCountryText(nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::string text(needed, '\x7f');
  EXPECT_EQ(platform::LocaleCountryText(text.data(), needed), needed);
  EXPECT_EQ(text.back(), '\0');
  text.pop_back();
  return text;
}

TEST(Locale, EnvironmentDecides) {
  struct Case {
    Var lcAll, lcCtype, lang;
    std::optional<std::string> want;
  } cases[] = {
      {{}, {}, "de_DE.UTF-8", "49"},
      {{}, {}, "en_US", "1"},
      {{}, {}, "ja_JP.eucJP", "81"},
      {{}, {}, "sr_RS@latin", "381"},
      {{}, {}, "fi_FI.UTF-8@euro", "358"},
      {{}, {}, "pt_br", "55"},
      {{}, {}, "C", std::nullopt},
      {{}, {}, "POSIX", std::nullopt},
      {{}, {}, "C.UTF-8", std::nullopt},
      {{}, {}, "en", std::nullopt},
      {{}, {}, "en_ZZ.UTF-8", std::nullopt},
      {{}, {}, "es_419", std::nullopt},
      {{}, {}, "_DE", std::nullopt},
      {{}, {}, {}, std::nullopt},
      {"fr_FR.UTF-8", {}, "de_DE.UTF-8", "33"},
      {"C", {}, "de_DE.UTF-8", std::nullopt},
      {"", "ko_KR.UTF-8", "de_DE.UTF-8", "82"},
      {"", "", "zh_TW.UTF-8", "886"},
      {{}, "en_GB.UTF-8", "C", "44"},
  };
  for (const Case &c : cases) {
    ScopedEnv env{{"LC_ALL", c.lcAll}, {"LC_CTYPE", c.lcCtype}, {"LANG", c.lang}};
    EXPECT_EQ(CountryText(), c.want) << c.lcAll.value_or("-") << " " << c.lcCtype.value_or("-") << " "
                                     << c.lang.value_or("-");
  }
}

TEST(Locale, BufferSizes) {
  ScopedEnv env{{"LC_ALL", "zh_TW.UTF-8"}};
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(platform::LocaleCountryText(buffer, 0), 4u);
  EXPECT_EQ(buffer[0], 'x') << "a size query writes nothing";
  EXPECT_EQ(platform::LocaleCountryText(buffer, 3), 0u) << "no room for the terminator";
  EXPECT_EQ(platform::LocaleCountryText(buffer, 8), 4u);
  EXPECT_STREQ(buffer, "886");
}

TEST(Locale, DiallingCodes) {
  struct Case {
    const char *territory;
    uint32_t code;
  } cases[] = {{"DE", 49},  {"US", 1},   {"CA", 1},   {"JP", 81},  {"GB", 44},  {"FR", 33}, {"CN", 86},
               {"KR", 82},  {"TW", 886}, {"AU", 61},  {"BR", 55},  {"IN", 91},  {"RU", 7},  {"CH", 41},
               {"AT", 43},  {"NL", 31},  {"BE", 32},  {"IT", 39},  {"ES", 34},  {"SE", 46}, {"NO", 47},
               {"DK", 45},  {"FI", 358}, {"PL", 48},  {"PT", 351}, {"IE", 353}, {"GR", 30}, {"CZ", 420},
               {"HU", 36},  {"TR", 90},  {"MX", 52},  {"AR", 54},  {"CL", 56},  {"ZA", 27}, {"EG", 20},
               {"NG", 234}, {"IL", 972}, {"SA", 966}, {"AE", 971}, {"NZ", 64},  {"SG", 65}, {"HK", 852},
               {"TH", 66},  {"VN", 84},  {"ID", 62},  {"PH", 63},  {"MY", 60},  {"PK", 92}, {"UA", 380},
               {"de", 49},  {"XX", 0},   {"D", 0},    {"DEU", 0},  {"", 0}};
  for (const Case &c : cases)
    EXPECT_EQ(platform::locale_country::DialCodeOf(c.territory), c.code) << c.territory;
}

} // namespace
} // namespace m4k7::test

#endif // !_WIN32
