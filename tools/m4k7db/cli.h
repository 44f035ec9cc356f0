// What every subcommand of the m4k7db tool shares: the six databases, the
// exit codes, and the subcommand entry points.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "api/access.h"
#include "drvlists/list_keys.h"
#include "engine/work_copy.h"
#include "m4k7db.h"

namespace m4k7::imageview {
struct KeyInfo;
}

namespace m4k7cli {

// Exit codes, the same for every subcommand (documented in --help and the
// man page).
inline constexpr int kExitOk = 0;       // the answer (or every answer) is there
inline constexpr int kExitNoAnswer = 1; // status 1 or 3: no answer for this key and request
inline constexpr int kExitError = 2;    // a negative status, an invalid image, an unreadable file
inline constexpr int kExitUsage = 64;   // bad command line

using AccessFunction = AccessStatus(M4K7DB_CALL *)(uint32_t, const AccessRequest *, uint32_t, void *,
                                                   uint32_t *);

struct DatabaseInfo {
  const char *name;     // the command-line name: root, drv, lm, mnt, pa, sm
  const char *title;    // for messages
  const char *function; // the exported function
  m4k7::Database db;
  AccessFunction access;
};

// The six databases in the order of the access functions.
const std::vector<DatabaseInfo> &Databases();
// nullptr for a name that is none of root, drv, lm, mnt, pa, sm.
const DatabaseInfo *FindDatabase(std::string_view name);
const DatabaseInfo &DatabaseOf(m4k7::Database db);
// The database's standard request shape: its request template's.
inline m4k7::TemplateShape StandardShape(const DatabaseInfo &db) {
  return m4k7::kTemplateShapes[size_t(db.db)];
}

// Driver keys answered by code around the engine, as the list services'
// own table says.
using m4k7::kFragmentKey;
using m4k7::kPrintModeKey;
// Key 4131: the driver's default settings as (slot, value) pairs.
inline constexpr uint16_t kDefaultSettingsKey = 4131;

// Subcommands: argv without the program name and the subcommand itself.
using Args = std::vector<std::string>;
int RunKeys(const Args &args, std::ostream &out, std::ostream &err);
int RunGet(const Args &args, std::ostream &out, std::ostream &err);
int RunExplain(const Args &args, std::ostream &out, std::ostream &err);
int RunJob(const Args &args, std::ostream &out, std::ostream &err);
int RunSettings(const Args &args, std::ostream &out, std::ostream &err);
int RunDump(const Args &args, std::ostream &out, std::ostream &err);
int RunCheck(const Args &args, std::ostream &out, std::ostream &err);
int RunPrinters(const Args &args, std::ostream &out, std::ostream &err);
int RunCapabilities(const Args &args, std::ostream &out, std::ostream &err);
int RunDatasheet(const Args &args, std::ostream &out, std::ostream &err);

// The whole command line (argv[1..]); what main() calls.
int RunTool(const Args &args, std::ostream &out, std::ostream &err);

// The exit code for an access status: 0, 1 for statuses 1 and 3, 2 for the
// rest.
int ExitCodeOf(AccessStatus status);

// What the caller of a key receives, as `m4k7db keys` shows it: an item
// list for the item-list keys, else the kinds of the key's leaves.
std::string AnswerOf(const m4k7::imageview::KeyInfo &k);

} // namespace m4k7cli
