// Test helpers: build requests of any shape and ask the public functions
// with the two-call pattern.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "api/access.h"
#include "m4k7db.h"

namespace m4k7::test {

// A request that owns its parameter arrays. setInt grows the array.
struct Request {
  std::vector<int32_t> ints;
  std::vector<std::string> strings;
  std::vector<bool> absentStrings; // true: that slot is a null pointer
  std::u16string printerName;      // empty: no name
  PrinterHandle printerHandle = nullptr;
  uint32_t context = 0;

  static Request Ints(uint32_t count) {
    Request r;
    r.ints.assign(count, 0);
    return r;
  }
  // The standard shape of a database: root 1+1, driver 106, LM 14+5, Mnt 1,
  // PA 4, SM 17+9.
  static Request Standard(Database db);

  Request &set(uint32_t slot, int32_t value);
  Request &setString(uint32_t slot, std::string value);
  Request &withSettings(std::initializer_list<std::pair<uint32_t, int32_t>> slots);

  // The ABI view; valid while this object lives and is not changed.
  const AccessRequest &view();

private:
  std::vector<const char *> pointers_;
  AccessRequest request_{};
};

struct Answer {
  AccessStatus status = 0;
  uint32_t size = 0;
  std::vector<uint8_t> bytes;
  std::vector<int32_t> ints() const;
  std::u16string wide() const; // without the terminating zero
  std::string text() const { return std::string(bytes.begin(), bytes.end()); }
};

// Size query (no buffer), then a call with a buffer of exactly the size the
// query reported. When the query does not return 2 its status is the answer.
// Records a test failure when the two calls disagree on the size.
Answer Ask(Database db, uint32_t key, Request &request);

// One call with a real buffer of the given size; checks nothing is written
// past it.
Answer AskOnce(Database db, uint32_t key, Request &request, uint32_t bufferSize);

std::string Hex(const std::vector<uint8_t> &bytes);   // "1B 28 70 ..."
std::vector<uint8_t> Bytes(std::string_view escaped); // "\x1B(p" style literal as bytes
std::u16string Utf16(std::string_view ascii);

} // namespace m4k7::test
