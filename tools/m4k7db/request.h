// Requests built from the command line, and calls of the public functions.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "args.h"
#include "cli.h"

namespace m4k7cli {

// A request that owns everything it points to. The module sees it through
// view(); the tool's own engine calls (kind lookup, walk trace, grouped
// entries) see it through engineView(), which carries an open handle
// instead of the name because the engine itself never opens a printer.
class OwnedRequest {
public:
  OwnedRequest() = default;
  ~OwnedRequest();
  OwnedRequest(const OwnedRequest &) = delete;
  OwnedRequest &operator=(const OwnedRequest &) = delete;

  std::vector<int32_t> ints;
  std::vector<std::string> strings;
  std::u16string printerName; // used when hasName
  bool hasName = false;
  PrinterHandle handle = nullptr;     // passed to the module (--handle)
  PrinterHandle toolHandle = nullptr; // for the tool's engine calls; owned
  std::string printerText;            // UTF-8 name, for messages

  const AccessRequest &view();
  const AccessRequest &engineView();

  // "I[4]=4 I[5]=1 I[28]=9 (A4) ..." of the given slots, as far as the request
  // has them; values the content names are shown with their names.
  std::string describe(const std::vector<uint32_t> &slots) const;
  // "106 integer slots (I[4]=4 I[28]=9), 0 string slots, no printer": the
  // non-zero and non-empty slots only.
  std::string summary() const;

private:
  const AccessRequest &build(bool forEngine);
  std::vector<const char *> pointers_;
  AccessRequest request_{};
};

// Fills the request: the database's standard shape (or --ints/--strs),
// key 4131's defaults when asked, then the settings in order. The printer
// is probed once; one that does not open is reported on err ("asking
// without a printer") and the request goes on without it. False with a
// message for a slot beyond the request or a name that is not UTF-8.
bool BuildRequest(const DatabaseInfo &db, const Settings &settings, OwnedRequest *request, std::string *error,
                  std::ostream &err);
// BuildRequest for a command: kGoOn, or the usage exit after its message.
int BuildCommandRequest(const DatabaseInfo &db, const CommandLine &cl, std::string_view command,
                        OwnedRequest *request, std::ostream &err);

// Key 4131's (slot, value) pairs, asked with a standard driver request;
// empty when it does not answer.
std::vector<int32_t> DefaultPairs();

// One call of the public function with the two-call pattern: a size query,
// then a call with a buffer of the size it reported.
struct Answer {
  AccessStatus status = 0;
  uint32_t size = 0;
  std::vector<uint8_t> bytes;
  bool sizeQueryOnly = false; // the first call did not return 2
};
Answer Ask(const DatabaseInfo &db, uint32_t key, const AccessRequest &request);

// The integers of an answer (host order).
std::vector<int32_t> IntsOf(const std::vector<uint8_t> &bytes);

// "ok (0)", "not found (1)", ...
std::string StatusText(AccessStatus status);

// Why a call gave its status, in a sentence for the status line: the range
// test, the key index, a missing slot, a missing printer.
std::string StatusHint(const DatabaseInfo &db, uint32_t key, AccessStatus status);

// Whether the low 16 bits of the key lie in the database's range.
bool InRange(const DatabaseInfo &db, uint32_t key);
// The name of the database whose range holds the key: "drv", or "internal"
// for a key no access function accepts.
const char *DatabaseNameOf(uint16_t key);

} // namespace m4k7cli
