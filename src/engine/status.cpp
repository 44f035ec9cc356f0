#include "engine/status.h"

namespace m4k7 {

const char *StatusName(AccessStatus status) {
  switch (status) {
  case kOk: return "ok";
  case kNotFound: return "not found";
  case kBufferTooSmall: return "buffer too small";
  case kUnknownKey: return "unknown key";
  case kFailed: return "failed";
  case kMissingString: return "missing string parameter";
  case kMissingInt: return "missing integer parameter";
  case kNoPrinter: return "no printer";
  default: return "unknown status";
  }
}

} // namespace m4k7
