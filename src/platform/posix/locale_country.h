// The user's country for LocaleCountryText: the territory of the POSIX
// locale (LC_ALL, else LC_CTYPE, else LANG, the first that is set and not
// empty, as the C library chooses), turned into the international dialling
// code that the Windows locale reports as its country number.
#pragma once

#include <cstdint>
#include <string_view>

namespace m4k7::platform::locale_country {

// The dialling code of an ISO 3166 alpha-2 territory in either case ("DE",
// "de"), or 0 for one the table does not know.
uint32_t DialCodeOf(std::string_view territory);

// The dialling code for a locale name "ll_TT[.codeset][@modifier]"; 0 for
// "C", "POSIX", a name without a territory or an unknown territory.
uint32_t DialCodeOfLocale(std::string_view localeName);

// The locale name the C library would use for character handling: the
// first of LC_ALL, LC_CTYPE and LANG that is set and not empty, else "".
std::string_view UserLocaleName();

} // namespace m4k7::platform::locale_country
