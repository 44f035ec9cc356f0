#include "content.h"

namespace imagec {

void AddRootKeys(ImageBuilder &b) { (void)b; }

} // namespace imagec
