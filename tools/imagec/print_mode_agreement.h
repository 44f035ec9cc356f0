// The print-mode record and key 4121's print-mode command must describe the
// same print mode; the compiler refuses an image where they disagree.
#pragma once

#include <string>

#include "engine/image.h"

namespace imagec {

// For every print-mode row: walks the image's fragment tree for the row's
// settings and compares the ESC ( c, ESC ( d and ESC ( t bytes with the
// row's section 1 record. False with a message naming the row otherwise.
bool CheckPrintModeAgreement(const m4k7::ImageDescriptor &image, std::string *error);

} // namespace imagec
