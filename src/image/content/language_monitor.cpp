#include "content.h"

namespace imagec {

void AddLanguageMonitorKeys(ImageBuilder &b) { (void)b; }

} // namespace imagec
