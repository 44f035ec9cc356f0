// m4k7db job [settings]: what the driver sends for a job and its pages.
#include <algorithm>
#include <ostream>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "drvlists/drvlists.h"
#include "drvlists/grouped_entries.h"
#include "engine/driver_slots.h"
#include "engine/engine.h"
#include "engine/status.h"
#include "json.h"
#include "key_info.h"
#include "node_view.h"
#include "request.h"
#include "text.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db job [settings] [--no-defaults] [--strict] [--format text|json]

Shows what the driver sends to the printer for a job with the given
settings: the grouped command sequences, each decoded into its escape
sequences, in this order:

  job start     4123 (ESC @), 4120 (control-language block, option command),
                4122
  each page     4121 before the page's raster data (ESC ( b, the print-mode
                commands, the page format, ESC ( l), 4124 after it
  job end       4125

and the print-mode record (key 4126) for the same settings. The order is
how this tool lays the keys out; the keys themselves only give the bytes.
First the settings are checked against the lists the driver offers (ink
count 4108, media 4110, quality 4118, I[6] 4116, paper source 4114, paper
size 4113 and 4112): a value a list does not offer is reported with the key
that refused it, and so is a key that answers nothing for the combination.

Without settings the job is the driver's default one: the settings start
from the database's defaults (key 4131), and a setting that neither they nor
the command line give takes the item its list marks, or the list's first
item where it marks none. When the marked I[6] has no print-mode record, the
first I[6] its list offers that has one is taken, and the output says so.
--no-defaults starts from zeros instead.

Key 4120 reads the printer's stored data. Without a printer (--printer NAME;
'm4k7db printers' lists those the module can open) it is reported as
skipped and the job still succeeds; --strict makes a skipped key a failure.

%SETTINGS%
Exit status: 0 every key answered (or was skipped for want of a printer),
1 a list refused a setting or a key answered nothing (status 1 or 3), 2 a
key failed (negative status; a skipped key with --strict), 64 bad usage.

Examples:
  m4k7db job
  m4k7db job --printer "M4K7 Series" --size 9 --mode 1
  m4k7db job --ink 6 --media 275 --quality 2 --mode 1 --size 1 --format json
  m4k7db job --size 256 --paper-width 15000 --paper-length 20000 --mode 1
)";

struct Stage {
  const char *title;
  std::vector<uint16_t> keys;
};
const Stage kStages[] = {
    {"job start", {4123, 4120, 4122}},
    {"each page, before its raster data", {4121}},
    {"each page, after its raster data", {4124}},
    {"job end", {4125}},
};

// The lists a job's settings are checked against, in this order; each
// checks the setting its configuration says its items choose.
struct Check {
  uint16_t key;
  const char *what;
};
const Check kChecks[] = {
    {4108, "ink count"},    {4110, "media type"}, {4118, "print quality"},        {4116, "I[6]"},
    {4114, "paper source"}, {4113, "paper size"}, {4112, "printable paper size"},
};

// The slots a job's keys read.
const std::vector<uint32_t> kJobSlots = {m4k7::kSlotInkCount,    m4k7::kSlotMedia,      m4k7::kSlotPrintMode,
                                         m4k7::kSlotSource,      m4k7::kSlotQuality,    m4k7::kSlotSetting9,
                                         m4k7::kSlotPaperSize,   m4k7::kSlotMarginMode, m4k7::kSlotOptions,
                                         m4k7::kSlotOptionValue, m4k7::kSlotSetting81};

// Each entry of a grouped key walked and fetched on its own, so that the
// listing can say which entry gave which bytes.
Json entriesOf(uint16_t key, const AccessRequest &request, std::ostream &text) {
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  Json entries = Json::array();
  uint32_t first = 0, count = 0;
  if (m4k7::FindGroupedList(image, key, &first, &count) != M4K7DB_OK) return entries;
  m4k7::ForEachGroupedEntry(image, first, count, [&](uint32_t m, uint32_t node) {
    std::vector<uint8_t> bytes;
    m4k7::LeafDescriptor leaf{};
    AccessStatus s = m4k7::WalkGroupedEntry(image, node, &request, &leaf);
    if (s == M4K7DB_OK) s = m4k7::imageview::FetchLeafBytes(image, &request, leaf, &bytes);
    Json e = Json::object();
    e.set("entry", m + 1);
    e.set("node", node);
    e.set("status", s);
    e.set("size", bytes.size());
    entries.push(std::move(e));
    if (count > 1) {
      text << "    entry " << m + 1 << " (node " << node << "): ";
      if (s == M4K7DB_OK)
        text << bytes.size() << " bytes: " << HexBytes(bytes.data(), std::min<size_t>(bytes.size(), 24))
             << (bytes.size() > 24 ? " ..." : "") << '\n';
      else
        text << (s == M4K7DB_NOT_FOUND ? "nothing for these settings" : StatusText(s)) << '\n';
    }
    return M4K7DB_OK; // every entry is listed, whatever it answered
  });
  return entries;
}

struct Worst {
  int code = kExitOk;
  void note(AccessStatus s) { code = std::max(code, ExitCodeOf(s)); }
  void refuse() { code = std::max(code, kExitNoAnswer); }
};

// The ids of a list key's answer, and the one it marks (or its first).
struct Offered {
  std::vector<int32_t> ids;
  int32_t chosen = 0;
  bool marked = false;
};
Offered OfferedBy(const std::vector<uint8_t> &bytes) {
  Offered o;
  for (const ListItemView &item : ItemsOf(bytes)) {
    o.ids.push_back(item.id);
    if (item.mark && !o.marked) {
      o.chosen = item.id;
      o.marked = true;
    }
  }
  if (!o.marked && !o.ids.empty()) o.chosen = o.ids.front();
  return o;
}

std::string Joined(const std::vector<int32_t> &ids) {
  std::string text;
  for (int32_t id : ids) text += (text.empty() ? "" : " ") + std::to_string(id);
  return text;
}

} // namespace

int RunJob(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  const CommandShape shape{"job", kHelp, kAcceptSettings | kAcceptFormat | kAcceptNoDefaults | kAcceptStrict};
  if (int code = StartCommand(args, shape, &cl, out, err); code != kGoOn) return code;
  const DatabaseInfo &db = DatabaseOf(m4k7::Database::Driver);
  cl.settings.defaults = cl.settings.defaults || !cl.noDefaults;
  OwnedRequest request;
  if (int code = BuildCommandRequest(db, cl, "job", &request, err); code != kGoOn) return code;
  const bool json = cl.format == "json";
  TextOut text(cl, out);
  Worst worst;
  Json report = Json::object();

  // With defaults, a slot that neither the command line nor key 4131 sets
  // takes its list's marked (or first) item, so a job needs no setting.
  std::vector<bool> given(request.ints.size(), !cl.settings.defaults);
  for (const IntSetting &s : cl.settings.ints)
    for (uint32_t slot : s.slots)
      if (slot < given.size()) given[slot] = true;
  const std::vector<int32_t> pairs = cl.settings.defaults ? DefaultPairs() : std::vector<int32_t>();
  for (size_t i = 0; i + 1 < pairs.size(); i += 2)
    if (pairs[i] >= 0 && size_t(pairs[i]) < given.size()) given[size_t(pairs[i])] = true;

  std::vector<std::string> lines;
  Json checks = Json::array();
  Offered modes; // what key 4116 offers, when I[6] came from it
  for (const Check &c : kChecks) {
    const uint32_t slot = m4k7::ItemListConfigOf(c.key)->chooses;
    if (slot >= request.ints.size()) continue;
    Answer a = Ask(db, c.key, request.view());
    Offered offered = a.status == M4K7DB_OK ? OfferedBy(a.bytes) : Offered();
    std::string origin;
    if (!given[slot] && !offered.ids.empty()) {
      request.ints[slot] = offered.chosen;
      given[slot] = true;
      origin = offered.marked ? "the list's mark" : "the list's first item";
      if (slot == m4k7::kSlotPrintMode) modes = offered;
    }
    int32_t value = request.ints[slot];
    Json j = Json::object();
    j.set("slot", slot);
    j.set("key", c.key);
    j.set("what", c.what);
    j.set("value", value);
    if (!origin.empty()) j.set("from", origin);
    j.set("status", a.status);
    std::string line =
        "  " + request.describe({slot}) + "  " + c.what + ", key " + std::to_string(c.key) + ": ";
    if (a.status != M4K7DB_OK) {
      worst.note(a.status);
      if (a.status == M4K7DB_NOT_FOUND || a.status == M4K7DB_UNKNOWN_KEY) worst.refuse();
      line += "the list answers " + StatusText(a.status) + " for these settings";
      j.set("offered", false);
    } else {
      bool isOffered = std::find(offered.ids.begin(), offered.ids.end(), value) != offered.ids.end();
      if (!isOffered) worst.refuse();
      j.set("offered", isOffered);
      j.set("values", Json::arrayOf(offered.ids));
      line += (isOffered ? "offered (" : "NOT OFFERED; the list has (") + Joined(offered.ids) + ")";
      if (!origin.empty()) line += ", taken from " + origin;
    }
    lines.push_back(line);
    checks.push(std::move(j));
  }
  // Key 4116 marks an I[6] for which the image has no print-mode row; the
  // default job takes the first value it offers that has one.
  if (!modes.ids.empty() && Ask(db, kPrintModeKey, request.view()).status == M4K7DB_NOT_FOUND) {
    for (int32_t id : modes.ids) {
      request.ints[m4k7::kSlotPrintMode] = id;
      if (Ask(db, kPrintModeKey, request.view()).status == M4K7DB_OK) break;
      request.ints[m4k7::kSlotPrintMode] = modes.chosen;
    }
    if (request.ints[m4k7::kSlotPrintMode] != modes.chosen) {
      std::string note = "I[6]=" + std::to_string(request.ints[m4k7::kSlotPrintMode]) +
                         " instead: no print-mode row (key 4126) has I[6]=" + std::to_string(modes.chosen) +
                         ", so the first value key 4116 offers that has one";
      lines.push_back("  " + note);
      report.set("note", note);
    }
  }
  report.set("settings", request.describe(kJobSlots));
  report.set("request", request.summary());
  report.set("checks", std::move(checks));
  text << "job for " << request.describe(kJobSlots) << '\n';
  text << "request: " << request.summary() << '\n';
  text << "settings offered by the driver's lists:\n";
  for (const std::string &line : lines) text << line << '\n';

  Json stages = Json::array();
  std::vector<int32_t> skipped;
  for (const Stage &stage : kStages) {
    text << stage.title << ":\n";
    for (uint16_t key : stage.keys) {
      Answer a = Ask(db, key, request.view());
      // Without a printer, a key that reads the printer's stored data is
      // skipped: the rest of the job does not depend on it.
      const bool skip = a.status == M4K7DB_NO_PRINTER && !cl.strict;
      if (skip)
        skipped.push_back(key);
      else
        worst.note(a.status);
      Json j = Json::object();
      j.set("stage", stage.title);
      j.set("key", key);
      j.set("status", a.status);
      j.set("statusName", m4k7::StatusName(a.status));
      j.set("skipped", skip);
      text << "  key " << key << " (" << HexKey(key) << ")";
      if (const auto *info = m4k7::imageview::FindKeyInfo(key)) text << " " << info->name;
      text << ": " << StatusText(a.status);
      if (a.status == M4K7DB_OK) text << ", " << a.size << " bytes";
      text << '\n';
      if (skip)
        text << "    skipped: it reads the printer's stored data; give --printer NAME ('m4k7db printers' "
                "lists "
                "them), --strict to fail\n";
      else if (a.status != M4K7DB_OK)
        text << "    refused: " << StatusHint(db, key, a.status) << '\n';
      j.set("entries", entriesOf(key, request.engineView(), text));
      if (a.status == M4K7DB_OK) {
        j.set("size", a.size);
        j.set("hex", HexBytes(a.bytes));
        j.set("commands", DecodeCommands(a.bytes, 4, text));
      }
      stages.push(std::move(j));
    }
  }
  report.set("sequence", std::move(stages));

  Answer record = Ask(db, kPrintModeKey, request.view());
  worst.note(record.status);
  Json pm = Json::object();
  pm.set("key", kPrintModeKey);
  pm.set("status", record.status);
  pm.set("statusName", m4k7::StatusName(record.status));
  text << "print-mode record, key 4126: " << StatusText(record.status) << '\n';
  if (record.status == M4K7DB_OK) {
    const KindInfo kind{AnswerKind::PrintMode, "print-mode record"};
    DecodeAnswer(kind, record.bytes, 2, text, &pm);
  } else {
    text << "  refused: "
         << (record.status == M4K7DB_NOT_FOUND ? "no print-mode row for " +
                                                     request.describe({std::begin(m4k7::kPrintModeSlots),
                                                                       std::end(m4k7::kPrintModeSlots)}) +
                                                     " (see 'm4k7db explain drv 4126')"
                                               : StatusHint(db, kPrintModeKey, record.status))
         << '\n';
  }
  report.set("printMode", std::move(pm));
  report.set("supported", worst.code == kExitOk);
  report.set("skipped", Json::arrayOf(skipped));
  if (json) out << report << '\n';
  if (worst.code == kExitOk && !skipped.empty())
    text << "every key answered but " << Joined(skipped)
         << ", skipped for want of a printer: the combination is supported\n";
  else
    text << (worst.code == kExitOk ? "every key answered: the combination is supported\n"
             : worst.code == kExitNoAnswer
                 ? "the combination is not supported as it stands (see the refusals above)\n"
                 : "a key failed (see above)\n");
  return worst.code;
}

} // namespace m4k7cli
