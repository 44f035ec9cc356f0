// m4k7db keys [PATTERN]: every key the image's content names, with what it
// answers and the slots a lookup of it may read.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>

#include "args.h"
#include "cli.h"
#include "json.h"
#include "key_info.h"
#include "request.h"
#include "text.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db keys [PATTERN] [--format text|json]

Lists the keys of the compiled-in image: database, key in hex and decimal,
name, what the caller receives, and the request slots a lookup of the key
may read, in the order the walk reads them (I[n] integer slot n, S[n] string
slot n; a masked select shows its mask, "printer data N" the printer's
stored value that root key 8 names N): a request that holds them all never
fails for a missing slot. The names come from the image's content and the
slots from its trees; the driver keys answered by code from the module's
own tables (grouped lists, item lists, the print-mode record) are listed
too, with no slots.

PATTERN picks the keys:
  a number (decimal or 0x hex)   that key
  root, drv, lm, mnt, pa, sm or internal
                                 that database's keys
  any other text                 keys whose name or slots hold it, ignoring
                                 case ("paper", "I[28]")

  --format json   the same as one JSON object

Exit status: 0 listed, 1 no key matches, 64 bad usage.

Examples:
  m4k7db keys
  m4k7db keys paper
  m4k7db keys 0x1003
  m4k7db keys "I[5]"
  m4k7db keys internal --format json
)";

std::string Lower(std::string text) {
  for (char &c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

} // namespace

// What the caller receives: the driver turns some keys' integers into item
// lists and answers grouped keys with the joined fragments.
std::string AnswerOf(const m4k7::imageview::KeyInfo &k) {
  if (k.inIndex && m4k7::IsItemListKey(uint16_t(k.key)))
    return std::string("item list (from ") + k.answer + ")";
  return k.answer;
}

int RunKeys(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  if (int code = StartCommand(args, {"keys", kHelp, kAcceptFormat, 1}, &cl, out, err); code != kGoOn)
    return code;
  const std::string pattern = cl.positional.empty() ? std::string() : cl.positional[0];
  uint32_t number = 0;
  std::string ignored;
  const bool byNumber = !pattern.empty() && ParseKey(pattern, &number, &ignored);
  const bool byDatabase = pattern == "internal" || FindDatabase(pattern);

  const m4k7::imageview::KeyCatalogue &catalogue = m4k7::imageview::CompiledKeyCatalogue();
  std::vector<const m4k7::imageview::KeyInfo *> shown;
  for (uint32_t i = 0; i < catalogue.keyCount; ++i) {
    const m4k7::imageview::KeyInfo &k = catalogue.keys[i];
    const bool match =
        pattern.empty() ||
        (byNumber     ? k.key == number
         : byDatabase ? pattern == DatabaseNameOf(k.key)
                      : (Lower(k.name) + "\n" + Lower(k.slots)).find(Lower(pattern)) != std::string::npos);
    if (match) shown.push_back(&k);
  }

  if (cl.format == "json") {
    Json list = Json::array();
    for (const auto *k : shown) {
      Json o = Json::object();
      o.set("database", DatabaseNameOf(k->key));
      o.set("key", k->key);
      o.set("keyHex", HexKey(k->key));
      o.set("name", k->name);
      o.set("answer", AnswerOf(*k));
      o.set("slots", k->slots);
      o.set("inIndex", k->inIndex);
      list.push(std::move(o));
    }
    Json o = Json::object();
    o.set("keys", std::move(list));
    out << o << '\n';
  } else {
    // The fragment key's long answer overflows rather than widening every row.
    std::vector<std::vector<std::string>> rows;
    if (!shown.empty()) rows.push_back({"db", "key", "name", "answer", "slots"});
    size_t inIndex = 0;
    for (const auto *k : shown) {
      rows.push_back({DatabaseNameOf(k->key), HexKey(k->key) + " (" + std::to_string(k->key) + ")", k->name,
                      AnswerOf(*k), k->slots});
      inIndex += k->inIndex ? 1 : 0;
    }
    WriteColumns(out, rows, {{8, 8, false, 0}, {14, 14, false, 1}, {4, SIZE_MAX, false, 1}, {6, 26}, {}});
    if (!shown.empty())
      out << shown.size() << " key" << (shown.size() == 1 ? "" : "s") << ": " << inIndex
          << " in the key index, " << shown.size() - inIndex << " answered by code\n";
  }
  if (shown.empty()) {
    err << "m4k7db keys: no key matches \"" << pattern << "\"\n";
    return kExitNoAnswer;
  }
  return kExitOk;
}

} // namespace m4k7cli
