// Status codes of every engine and service operation, shared with the ABI.
#pragma once

#include "m4k7db.h"

namespace m4k7 {

inline constexpr AccessStatus kOk = M4K7DB_OK;
inline constexpr AccessStatus kNotFound = M4K7DB_NOT_FOUND;
inline constexpr AccessStatus kBufferTooSmall = M4K7DB_BUFFER_TOO_SMALL;
inline constexpr AccessStatus kUnknownKey = M4K7DB_UNKNOWN_KEY;
inline constexpr AccessStatus kFailed = M4K7DB_FAILED;
inline constexpr AccessStatus kMissingString = M4K7DB_MISSING_STRING;
inline constexpr AccessStatus kMissingInt = M4K7DB_MISSING_INT;
inline constexpr AccessStatus kNoPrinter = M4K7DB_NO_PRINTER;

// "ok", "not found", ... for tools and test messages.
const char *StatusName(AccessStatus status);

} // namespace m4k7
