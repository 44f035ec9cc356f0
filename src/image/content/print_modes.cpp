#include "content.h"

namespace imagec {

void AddPrintModeTables(ImageBuilder &b) { (void)b; }

} // namespace imagec
