// The cartridge pairs that the printer reports and the monitors pass on in
// S[1]: the codes of the two cartridges joined by a comma, or one code alone.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace imagec::monitor {

// The cartridge codes, in the order their pair texts are listed.
inline constexpr std::string_view kCartridgeCodes[] = {"BK", "NO", "SC", "UK", "VC", "VL"};

inline std::string PairText(std::string_view first, std::string_view second) {
  std::string pair(first);
  pair += ',';
  pair += second;
  return pair;
}

// Every pair text the printer can report: each ordered pair of two codes
// except SC,SC, NO,UK and UK,NO, then "NO" and "UK" alone. 35 texts.
inline std::vector<std::string> CartridgePairs() {
  std::vector<std::string> pairs;
  for (std::string_view first : kCartridgeCodes)
    for (std::string_view second : kCartridgeCodes) {
      std::string pair = PairText(first, second);
      if (pair == "SC,SC" || pair == "NO,UK" || pair == "UK,NO") continue;
      pairs.push_back(std::move(pair));
    }
  pairs.emplace_back("NO");
  pairs.emplace_back("UK");
  return pairs;
}

// The two codes of a pair text; a single code counts as that code twice.
inline std::pair<std::string_view, std::string_view> CodesOf(std::string_view pair) {
  size_t comma = pair.find(',');
  if (comma == std::string_view::npos) return {pair, pair};
  return {pair.substr(0, comma), pair.substr(comma + 1)};
}

inline bool Holds(std::string_view pair, std::string_view code) {
  auto [first, second] = CodesOf(pair);
  return first == code || second == code;
}

// The pair texts of two codes, in both orders.
inline std::vector<std::string> BothOrders(std::string_view a, std::string_view b) {
  if (a == b) return {PairText(a, b)};
  return {PairText(a, b), PairText(b, a)};
}

} // namespace imagec::monitor
