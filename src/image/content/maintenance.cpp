#include "content.h"

namespace imagec {

void AddMaintenanceKeys(ImageBuilder &b) { (void)b; }

} // namespace imagec
