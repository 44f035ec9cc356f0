// The capabilities in IPP's vocabulary: an attributes file in ipptool's
// syntax (ATTR lines) that an IPP printer simulator can serve, and the
// mappings from the database's codes to IPP values.
#pragma once

#include <cstdint>
#include <string>

#include "capabilities.h"

namespace m4k7cli {

// The self-describing media name of a paper size: the standard name whose
// dimensions match (iso_a4_210x297mm), else custom_NAME_WxHmm (or in inches
// where both dimensions are whole tenths of an inch), NAME from the
// content's name or the code.
std::string PwgMediaName(int32_t id, const std::string &name, int32_t width, int32_t height);

// media-type: the standard keyword for the device-mode media codes below
// 256 (1 plain paper, 2 transparency), else a vendor keyword from the code.
std::string MediaTypeKeyword(int32_t code);
// media-source: a vendor keyword from the code; the database names no source.
std::string MediaSourceKeyword(int32_t code);

// print-quality (3 draft, 4 normal, 5 high) of a quality id: its highest
// resolution (key 4104) over every ink count and media; the printer's
// highest resolution is high, its lowest draft, any other normal. 0 for a
// quality without a resolution.
int IppQuality(const Capabilities &caps, int32_t qualityId);

// The paper size IPP offers as its default: the request's size when it is
// a printable size with dimensions (the list marks none), else the first
// such size. nullptr when there is none.
const PaperSizeCaps *DefaultMediaSize(const Capabilities &caps, int32_t requestedSize);

// The attributes file.
std::string IppAttributes(const Capabilities &caps, int32_t requestedSize);

} // namespace m4k7cli
