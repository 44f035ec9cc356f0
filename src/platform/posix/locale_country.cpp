#include "platform/posix/locale_country.h"

#include <cstdlib>

namespace m4k7::platform::locale_country {

namespace {

struct Country {
  char code[3];
  uint16_t dial;
};

// ISO 3166 alpha-2 to international dialling code. Territories of the
// North American numbering plan all dial 1; overseas departments and
// crown dependencies dial the code of their own network.
// clang-format off
constexpr Country kCountries[] = {
    // Europe
    {"AD", 376}, {"AL", 355}, {"AM", 374}, {"AT", 43}, {"AX", 358}, {"AZ", 994}, {"BA", 387}, {"BE", 32},
    {"BG", 359}, {"BY", 375}, {"CH", 41}, {"CY", 357}, {"CZ", 420}, {"DE", 49}, {"DK", 45}, {"EE", 372},
    {"ES", 34}, {"FI", 358}, {"FO", 298}, {"FR", 33}, {"GB", 44}, {"GE", 995}, {"GG", 44}, {"GI", 350},
    {"GR", 30}, {"HR", 385}, {"HU", 36}, {"IE", 353}, {"IM", 44}, {"IS", 354}, {"IT", 39}, {"JE", 44},
    {"LI", 423}, {"LT", 370}, {"LU", 352}, {"LV", 371}, {"MC", 377}, {"MD", 373}, {"ME", 382}, {"MK", 389},
    {"MT", 356}, {"NL", 31}, {"NO", 47}, {"PL", 48}, {"PT", 351}, {"RO", 40}, {"RS", 381}, {"RU", 7},
    {"SE", 46}, {"SI", 386}, {"SJ", 47}, {"SK", 421}, {"SM", 378}, {"TR", 90}, {"UA", 380}, {"VA", 39},
    // The Americas
    {"AG", 1}, {"AI", 1}, {"AR", 54}, {"AW", 297}, {"BB", 1}, {"BL", 590}, {"BM", 1}, {"BO", 591},
    {"BQ", 599}, {"BR", 55}, {"BS", 1}, {"BZ", 501}, {"CA", 1}, {"CL", 56}, {"CO", 57}, {"CR", 506},
    {"CU", 53}, {"CW", 599}, {"DM", 1}, {"DO", 1}, {"EC", 593}, {"FK", 500}, {"GD", 1}, {"GF", 594},
    {"GL", 299}, {"GP", 590}, {"GT", 502}, {"GY", 592}, {"HN", 504}, {"HT", 509}, {"JM", 1}, {"KN", 1},
    {"KY", 1}, {"LC", 1}, {"MF", 590}, {"MQ", 596}, {"MS", 1}, {"MX", 52}, {"NI", 505}, {"PA", 507},
    {"PE", 51}, {"PM", 508}, {"PR", 1}, {"PY", 595}, {"SR", 597}, {"SV", 503}, {"SX", 1}, {"TC", 1},
    {"TT", 1}, {"US", 1}, {"UY", 598}, {"VC", 1}, {"VE", 58}, {"VG", 1}, {"VI", 1},
    // East, South, South-East and Central Asia
    {"AF", 93}, {"BD", 880}, {"BN", 673}, {"BT", 975}, {"CN", 86}, {"HK", 852}, {"ID", 62}, {"IN", 91},
    {"JP", 81}, {"KG", 996}, {"KH", 855}, {"KP", 850}, {"KR", 82}, {"KZ", 7}, {"LA", 856}, {"LK", 94},
    {"MM", 95}, {"MN", 976}, {"MO", 853}, {"MV", 960}, {"MY", 60}, {"NP", 977}, {"PH", 63}, {"PK", 92},
    {"SG", 65}, {"TH", 66}, {"TJ", 992}, {"TL", 670}, {"TM", 993}, {"TW", 886}, {"UZ", 998}, {"VN", 84},
    // The Middle East
    {"AE", 971}, {"BH", 973}, {"IL", 972}, {"IQ", 964}, {"IR", 98}, {"JO", 962}, {"KW", 965}, {"LB", 961},
    {"OM", 968}, {"PS", 970}, {"QA", 974}, {"SA", 966}, {"SY", 963}, {"YE", 967},
    // Oceania
    {"AS", 1}, {"AU", 61}, {"CK", 682}, {"FJ", 679}, {"FM", 691}, {"GU", 1}, {"KI", 686}, {"MH", 692},
    {"MP", 1}, {"NC", 687}, {"NF", 672}, {"NR", 674}, {"NU", 683}, {"NZ", 64}, {"PF", 689}, {"PG", 675},
    {"PW", 680}, {"SB", 677}, {"TK", 690}, {"TO", 676}, {"TV", 688}, {"VU", 678}, {"WF", 681}, {"WS", 685},
    // Africa
    {"AO", 244}, {"BF", 226}, {"BI", 257}, {"BJ", 229}, {"BW", 267}, {"CD", 243}, {"CF", 236}, {"CG", 242},
    {"CI", 225}, {"CM", 237}, {"CV", 238}, {"DJ", 253}, {"DZ", 213}, {"EG", 20}, {"EH", 212}, {"ER", 291},
    {"ET", 251}, {"GA", 241}, {"GH", 233}, {"GM", 220}, {"GN", 224}, {"GQ", 240}, {"GW", 245}, {"KE", 254},
    {"KM", 269}, {"LR", 231}, {"LS", 266}, {"LY", 218}, {"MA", 212}, {"MG", 261}, {"ML", 223}, {"MR", 222},
    {"MU", 230}, {"MW", 265}, {"MZ", 258}, {"NA", 264}, {"NE", 227}, {"NG", 234}, {"RE", 262}, {"RW", 250},
    {"SC", 248}, {"SD", 249}, {"SH", 290}, {"SL", 232}, {"SN", 221}, {"SO", 252}, {"SS", 211}, {"ST", 239},
    {"SZ", 268}, {"TD", 235}, {"TG", 228}, {"TN", 216}, {"TZ", 255}, {"UG", 256}, {"YT", 262}, {"ZA", 27},
    {"ZM", 260}, {"ZW", 263},
};
// clang-format on

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

uint32_t DialCodeOf(std::string_view territory) {
  if (territory.size() != 2) return 0;
  char a = Upper(territory[0]), b = Upper(territory[1]);
  for (const Country &c : kCountries)
    if (c.code[0] == a && c.code[1] == b) return c.dial;
  return 0;
}

uint32_t DialCodeOfLocale(std::string_view name) {
  size_t end = name.find_first_of(".@");
  std::string_view base = name.substr(0, end);
  size_t underscore = base.find('_');
  if (underscore == std::string_view::npos || underscore == 0) return 0;
  for (char c : base.substr(0, underscore))
    if (!IsLetter(c)) return 0;
  return DialCodeOf(base.substr(underscore + 1));
}

std::string_view UserLocaleName() {
  for (const char *var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char *value = std::getenv(var);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

} // namespace m4k7::platform::locale_country
