// m4k7db job [settings]: what the driver sends for a job and its pages.
#include <algorithm>
#include <ostream>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "engine/engine.h"
#include "engine/status.h"
#include "json.h"
#include "request.h"
#include "text.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db job [settings] [--no-defaults] [--format text|json]

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
Key 4120 reads the printer's stored data: without --printer it fails (-4).

The settings start from the driver's defaults (key 4131) unless
--no-defaults is given.

%SETTINGS%
Exit status: 0 every key answered, 1 a list refused a setting or a key
answered nothing (status 1 or 3), 2 a key failed (negative status), 64 bad
usage.

Examples:
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

struct Check {
  uint32_t slot;
  uint16_t key;
  const char *what;
};
const Check kChecks[] = {
    {4, 4108, "ink count"},
    {5, 4110, "media type"},
    {8, 4118, "print quality"},
    {6, 4116, "I[6]"},
    {7, 4114, "paper source"},
    {28, 4113, "paper size"},
    {28, 4112, "printable paper size"},
};

// The slots a job's keys read.
const std::vector<uint32_t> kJobSlots = {4, 5, 6, 7, 8, 9, 28, 52, 79, 80, 81};

struct Fragment {
  uint32_t node = 0;
  AccessStatus status = 0;
  std::vector<uint8_t> bytes;
};

// Each entry of a grouped key walked and fetched on its own, so that the
// listing can say which entry gave which bytes.
std::vector<Fragment> fragmentsOf(uint16_t key, const AccessRequest &request) {
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  const m4k7::GroupedListTable &g = image.groups;
  std::vector<Fragment> out;
  if (!g.groupKeys || !g.groupEntryCounts || !g.groupEntryStarts || !g.entryNodes || !image.nodes) return out;
  for (uint32_t i = 0; i < g.groupCount; ++i) {
    if (g.groupKeys[i] != key) continue;
    for (uint32_t m = 0; m < g.groupEntryCounts[i]; ++m) {
      uint64_t at = uint64_t(uint32_t(g.groupEntryStarts[i])) + m;
      if (at >= g.entryCount || g.entryNodes[at] >= image.nodeCount) break;
      Fragment f;
      f.node = g.entryNodes[at];
      m4k7::LeafDescriptor leaf{};
      f.status = m4k7::WalkNode(image, kFragmentKey, &request, image.nodes[f.node].word0,
                                image.nodes[f.node].word1, &leaf);
      if (f.status == M4K7DB_OK) {
        uint32_t size = 0;
        AccessStatus s = m4k7::FetchLeaf(image, &request, 0, nullptr, &size, leaf);
        if (s == M4K7DB_BUFFER_TOO_SMALL || s == M4K7DB_OK) {
          f.bytes.assign(std::max<uint32_t>(size, 1), 0);
          s = m4k7::FetchLeaf(image, &request, size, f.bytes.data(), &size, leaf);
          f.bytes.resize(s == M4K7DB_OK ? size : 0);
        }
        f.status = s;
      }
      out.push_back(std::move(f));
    }
    break;
  }
  return out;
}

struct Worst {
  int code = kExitOk;
  void note(AccessStatus s) { code = std::max(code, ExitCodeOf(s)); }
  void refuse() { code = std::max(code, kExitNoAnswer); }
};

std::string help() {
  std::string text = kHelp;
  text.replace(text.find("%SETTINGS%"), 10, SettingsHelp());
  return text;
}

} // namespace

int RunJob(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  std::string error;
  if (!ParseCommandLine(args, kAcceptSettings | kAcceptFormat | kAcceptNoDefaults, {"text", "json"}, &cl,
                        &error))
    return Usage(err, "job", error);
  if (cl.help) {
    out << help();
    return kExitOk;
  }
  if (!cl.positional.empty()) return Usage(err, "job", "unexpected argument \"" + cl.positional[0] + "\"");
  const DatabaseInfo &db = DatabaseOf(m4k7::Database::Driver);
  cl.settings.defaults = cl.settings.defaults || !cl.noDefaults;
  OwnedRequest request;
  if (!BuildRequest(db, cl.settings, &request, &error, err)) return Usage(err, "job", error);
  bool json = cl.format == "json";
  Worst worst;
  Json report = Json::object();
  report.set("settings", request.describe(kJobSlots));
  report.set("request", request.summary());

  if (!json) {
    out << "job for " << request.describe(kJobSlots) << '\n';
    out << "request: " << request.summary() << '\n';
    out << "settings offered by the driver's lists:\n";
  }
  Json checks = Json::array();
  for (const Check &c : kChecks) {
    Json j = Json::object();
    j.set("slot", c.slot);
    j.set("key", c.key);
    j.set("what", c.what);
    if (c.slot >= request.ints.size()) continue;
    int32_t value = request.ints[c.slot];
    j.set("value", value);
    Answer a = Ask(db, c.key, request.view());
    j.set("status", a.status);
    std::string line = "  I[" + std::to_string(c.slot) + "]=" + std::to_string(value) + "  " + c.what +
                       ", key " + std::to_string(c.key) + ": ";
    if (a.status != M4K7DB_OK) {
      worst.note(a.status);
      if (a.status == M4K7DB_NOT_FOUND || a.status == M4K7DB_UNKNOWN_KEY) worst.refuse();
      line += "the list answers " + StatusText(a.status) + " for these settings";
      j.set("offered", false);
    } else {
      std::vector<int32_t> ids;
      for (const ListItemView &item : ItemsOf(a.bytes)) ids.push_back(item.id);
      bool offered = std::find(ids.begin(), ids.end(), value) != ids.end();
      if (!offered) worst.refuse();
      j.set("offered", offered);
      j.set("values", Json::arrayOf(ids));
      line += offered ? "offered (" : "NOT OFFERED; the list has (";
      for (size_t i = 0; i < ids.size(); ++i) {
        if (i) line += ' ';
        line += std::to_string(ids[i]);
      }
      line += ")";
    }
    if (!json) out << line << '\n';
    checks.push(std::move(j));
  }
  report.set("checks", std::move(checks));

  Json stages = Json::array();
  for (const Stage &stage : kStages) {
    if (!json) out << stage.title << ":\n";
    for (uint16_t key : stage.keys) {
      Answer a = Ask(db, key, request.view());
      worst.note(a.status);
      Json j = Json::object();
      j.set("stage", stage.title);
      j.set("key", key);
      j.set("status", a.status);
      j.set("statusName", m4k7::StatusName(a.status));
      if (!json) {
        out << "  key " << key << " (" << HexKey(key) << "): " << StatusText(a.status);
        if (a.status == M4K7DB_OK) out << ", " << a.size << " bytes";
        out << '\n';
        if (a.status != M4K7DB_OK) out << "    refused: " << StatusHint(db, key, a.status) << '\n';
      }
      std::vector<Fragment> fragments = fragmentsOf(key, request.engineView());
      Json entries = Json::array();
      for (size_t m = 0; m < fragments.size(); ++m) {
        const Fragment &f = fragments[m];
        Json e = Json::object();
        e.set("entry", m + 1);
        e.set("node", f.node);
        e.set("status", f.status);
        e.set("size", f.bytes.size());
        entries.push(std::move(e));
        if (!json && fragments.size() > 1) {
          out << "    entry " << m + 1 << " (node " << f.node << "): ";
          if (f.status == M4K7DB_OK)
            out << f.bytes.size()
                << " bytes: " << HexBytes(f.bytes.data(), std::min<size_t>(f.bytes.size(), 24))
                << (f.bytes.size() > 24 ? " ..." : "") << '\n';
          else if (f.status == M4K7DB_NOT_FOUND)
            out << "nothing for these settings\n";
          else
            out << StatusText(f.status) << '\n';
        }
      }
      j.set("entries", std::move(entries));
      if (a.status == M4K7DB_OK) {
        j.set("size", a.size);
        j.set("hex", HexBytes(a.bytes));
        j.set("commands", CommandsJson(a.bytes));
        if (!json) WriteCommandsText(out, a.bytes, 4);
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
  if (!json) out << "print-mode record, key 4126: " << StatusText(record.status) << '\n';
  if (record.status == M4K7DB_OK) {
    KindInfo kind{AnswerKind::PrintMode, "print-mode record"};
    AddAnswerJson(&pm, kind, record.bytes);
    if (!json) WriteAnswerText(out, kind, record.bytes, 2);
  } else if (!json) {
    out << "  refused: "
        << (record.status == M4K7DB_NOT_FOUND
                ? "no print-mode row for " + request.describe({4, 9, 5, 8, 6, 81}) +
                      " (see 'm4k7db explain drv 4126')"
                : StatusHint(db, kPrintModeKey, record.status))
        << '\n';
  }
  report.set("printMode", std::move(pm));
  report.set("supported", worst.code == kExitOk);
  if (json) {
    report.write(out);
    out << '\n';
  } else {
    out << (worst.code == kExitOk ? "every key answered: the combination is supported\n"
            : worst.code == kExitNoAnswer
                ? "the combination is not supported as it stands (see the refusals above)\n"
                : "a key failed (see above)\n");
  }
  return worst.code;
}

} // namespace m4k7cli
