#include "print_mode_agreement.h"

namespace imagec {

bool CheckPrintModeAgreement(const m4k7::ImageDescriptor &image, std::string *error) {
  (void)image;
  (void)error;
  return true;
}

} // namespace imagec
