// A readable text of a database image: the counts, every key's tree node by
// node, and the driver list tables. The build writes it as
// generated/image_dump.txt and tests/golden/ keeps the reviewed copy, so a
// change to the content shows up as a diff of this text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/image.h"
#include "key_info.h"

namespace m4k7::imageview {

struct DumpOptions {
  // Only these keys' trees, in this order (no header or tables); empty: the
  // whole image.
  std::vector<uint16_t> keys;
  // Key names for the key and grouped-list headings; none when nullptr.
  const KeyCatalogue *names = nullptr;
};

std::string DumpImage(const ImageDescriptor &image, const DumpOptions &options = {});

} // namespace m4k7::imageview
