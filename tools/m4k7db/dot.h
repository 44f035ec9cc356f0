// A Graphviz graph of the decision trees of some keys: selectors with their
// cases folded into edge labels, leaves of the asked keys filled, leaves of
// other keys in shared trees dashed. Shared nodes appear once.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/image.h"

namespace m4k7cli {

// False with a message when a key is not in the index (nothing written).
// Broken references are drawn as red nodes, never followed.
bool WriteDot(std::ostream &out, const m4k7::ImageDescriptor &image, const std::vector<uint32_t> &keys,
              std::string *error);

// "\"" + text with \ " and line breaks escaped for a DOT label + "\"".
std::string DotQuote(const std::string &text);

} // namespace m4k7cli
