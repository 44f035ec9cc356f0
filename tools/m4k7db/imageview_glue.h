// The image-view library as the tool uses it: the readable dump and the
// image validation the compiler also runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image.h"

namespace m4k7cli {

// The golden dump's text: the whole image, or only these keys' trees.
std::string DumpImageText(const m4k7::ImageDescriptor &image, const std::vector<uint16_t> &keys);

// True when the image keeps every invariant; otherwise the problems, each
// naming its place.
bool ValidateImageTables(const m4k7::ImageDescriptor &image, std::vector<std::string> *problems);

// "nodes 4200, keys 190, ..., shared nodes 231, deepest path 12".
std::string ImageStatsText(const m4k7::ImageDescriptor &image);

} // namespace m4k7cli
