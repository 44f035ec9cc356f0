// m4k7db get DB KEY [settings]: one question, through the public function.
#include <ostream>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "engine/status.h"
#include "json.h"
#include "key_info.h"
#include "request.h"
#include "text.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db get DB KEY [settings] [--format text|json] [--raw]

Asks KEY of database DB through its public function (VRT_Access*DataBase)
with the two-call pattern (a size query, then a call with a buffer of that
size), and prints the status, the size and the answer decoded by its kind:
integers, UTF-16 names, command bytes split into their escape sequences
(ESC ( x with its length and data, ESC [ K control blocks with their text
lines, ESC @), item lists (keys 4108-4119, 4173, 4174, 4177, 4180, 4186) as a
table of id/attr1/attr2/attr3/mark, the print-mode record (4126) by sections.
The kind comes from the leaf the engine reaches for the same request.

  DB     root, drv, lm, mnt, pa or sm
  KEY    decimal or 0x hex, up to 0xFFFFFFFF; the module uses the low 16 bits
         and answers 1 for a key outside the database's range

  --format json   the same as one JSON object
  --raw           write the answer's bytes to stdout, nothing else

%SETTINGS%
Exit status: 0 answer, 1 no answer (status 1 or 3), 2 error (negative
status), 64 bad usage.

Examples:
  m4k7db get root 3
  m4k7db get drv 0x1003 --size 9
  m4k7db get drv 4121 --defaults --size 9 --mode 1 --format json
  m4k7db get root 18 --s0 SSR
  m4k7db get drv 4120 --printer "M4K7 Series" --raw | od -c
)";

} // namespace

int RunGet(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  const DatabaseInfo *db = nullptr;
  uint32_t key = 0;
  if (int code =
          StartCommand(args, {"get", kHelp, kAcceptSettings | kAcceptFormat | kAcceptRaw, 2}, &cl, out, err);
      code != kGoOn)
    return code;
  if (int code = ParseDatabaseKey(cl, "get", &db, &key, err); code != kGoOn) return code;
  if (cl.raw && cl.format == "json") return Usage(err, "get", "--raw and --format json exclude each other");

  OwnedRequest request;
  if (int code = BuildCommandRequest(*db, cl, "get", &request, err); code != kGoOn) return code;

  Answer answer = Ask(*db, key, request.view());
  const m4k7::imageview::KeyInfo *info = m4k7::imageview::FindKeyInfo(uint16_t(key));
  KindInfo kind;
  if (answer.status == M4K7DB_OK) kind = KindOfKey(*db, key, request.engineView());
  std::string hint = StatusHint(*db, key, answer.status);

  if (cl.raw) {
    if (answer.status == M4K7DB_OK)
      out.write(reinterpret_cast<const char *>(answer.bytes.data()), std::streamsize(answer.bytes.size()));
    else
      err << "m4k7db: " << db->name << " key " << key << ": " << StatusText(answer.status) << ": " << hint
          << '\n';
    return ExitCodeOf(answer.status);
  }

  const bool json = cl.format == "json";
  TextOut text(cl, out);
  Json o = Json::object();
  o.set("database", db->name);
  o.set("function", db->function);
  o.set("key", key);
  o.set("keyHex", HexKey(key));
  if (info) o.set("name", info->name);
  o.set("asked", uint16_t(key));
  o.set("inRange", InRange(*db, key));
  o.set("status", answer.status);
  o.set("statusName", m4k7::StatusName(answer.status));
  if (!hint.empty()) o.set("reason", hint);
  o.set("size", answer.size);
  text << db->name << " key " << uint16_t(key) << " (" << HexKey(uint16_t(key)) << ")";
  if (info) text << " \"" << info->name << "\"";
  text << ", " << db->function << '\n';
  if (key > 0xFFFF) text << "note: the module uses the low 16 bits of " << Hex32(key) << '\n';
  text << "status: " << StatusText(answer.status);
  if (answer.status == M4K7DB_OK) text << ", " << answer.size << " byte" << (answer.size == 1 ? "" : "s");
  text << '\n';
  if (!hint.empty()) text << "  " << hint << '\n';
  if (answer.status == M4K7DB_OK) DecodeAnswer(kind, answer.bytes, 0, text, &o);
  if (json) out << o << '\n';
  return ExitCodeOf(answer.status);
}

} // namespace m4k7cli
