#include "content.h"

namespace imagec {

void AddDriverKeys(ImageBuilder &b) { (void)b; }

} // namespace imagec
