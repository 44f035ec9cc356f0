// Checks a database image against every invariant the engine relies on,
// before the compiler emits it and when the tool is asked to check.
#pragma once

#include <string>

#include "engine/image.h"

namespace imagec {

// False with a message naming the node (and a key whose tree reaches it).
bool ValidateImage(const m4k7::ImageDescriptor &image, std::string *error);

} // namespace imagec
