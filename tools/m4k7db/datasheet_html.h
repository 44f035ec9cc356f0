// The datasheet: the capabilities model as one self-contained HTML5 page
// (inline CSS and SVG, no script, no external file or font) that a person
// reads on screen or prints on A4.
#pragma once

#include <string>
#include <string_view>

#include "capabilities.h"

namespace m4k7cli {

// The text with &, <, >, " and ' replaced by their character references:
// safe both as element content and inside a quoted attribute value.
std::string HtmlEscape(std::string_view text);

// The whole page: the paper sizes drawn with their printable areas in both
// margin modes, the settings matrix per ink count, the paper sources per
// media, the lists' defaults, the key catalogue (as `m4k7db keys`) and the
// image's counts (as `m4k7db check`). toolVersion goes into the header.
std::string DatasheetHtml(const Capabilities &caps, std::string_view toolVersion);

} // namespace m4k7cli
