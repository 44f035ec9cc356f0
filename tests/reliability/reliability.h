// What the reliability tests share: one call with a guarded buffer, the
// two-call pattern, the keys of every database, and a printer-data file
// that holds a value for every name the image knows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api/access.h"
#include "m4k7db.h"
#include "support/printer_data_file.h"

namespace m4k7::reliability {

using test::PrinterDataFile;

// One answer; `size` is kUnwritten when the call left outSize alone.
inline constexpr uint32_t kUnwritten = 0xFFFFFFFFu;
struct Reply {
  AccessStatus status = 0;
  uint32_t size = kUnwritten;
  std::vector<uint8_t> bytes; // the whole buffer after the call
  bool guardIntact = true;    // nothing written past bufferSize
  bool operator==(const Reply &) const = default;
};

// One call with a buffer of bufferSize bytes (none when !withBuffer)
// followed by guard bytes.
Reply CallOnce(Database db, uint32_t key, const AccessRequest &request, uint32_t bufferSize, bool withBuffer);

// The size query, then a call with a buffer of the size it reported; the
// size query's reply when it did not answer 2.
Reply CallTwice(Database db, uint32_t key, const AccessRequest &request);

// Every key of the compiled image that one of the six functions accepts,
// with its database, and the driver's list keys that have no index entry.
struct DatabaseKey {
  Database db;
  uint16_t key;
};
std::vector<DatabaseKey> EveryPublicKey();

// The printer-data value names of root keys 8 and 18, in ASCII.
std::vector<std::string> ValueNames();

// A section for `printer` with every value name as a dword: the window
// value for the silent-mode time, `others` for the rest.
std::string SectionWithEveryValue(const std::string &printer, uint32_t others);

} // namespace m4k7::reliability
