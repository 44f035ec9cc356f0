#include "content.h"

namespace imagec {

void AddPAKeys(ImageBuilder &b) { (void)b; }

} // namespace imagec
