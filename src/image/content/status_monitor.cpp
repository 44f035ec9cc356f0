#include "content.h"

namespace imagec {

void AddStatusMonitorKeys(ImageBuilder &b) { (void)b; }

} // namespace imagec
