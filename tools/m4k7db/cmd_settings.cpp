// m4k7db settings: the combinations the database allows, asked of the
// database the way the driver's dialog asks it.
#include <algorithm>
#include <map>
#include <ostream>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "json.h"
#include "key_info.h"
#include "request.h"
#include "text.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db settings [settings] [--no-defaults] [--format text|json]

Lists the driver settings the database offers, asked the way the driver's
dialog asks them: the ink counts (key 4108); for each ink count the media
types (4110); for each media type the paper sources (4114) and the print
qualities (4118); for each quality the I[6] values (4116); and the paper
sizes (4113, with the printable ones from 4112). Each list's marked item,
the one its mark pair names, is the dialog's default. Every I[6] value is
also asked for its print-mode record (4126): a value without one is
flagged, since the driver cannot print with it.

The request starts from the driver's defaults (key 4131; --no-defaults
starts from zeros); the options below fix the settings that are not
iterated, such as --i9, --i81 or --margin-mode.

In the text form, "*" marks a list's marked item ("*2": marked with 2),
"!" an I[6] value with no print-mode record.

%SETTINGS%
Exit status: 0 listed, 1 the ink-count list gave no answer, 2 a list failed,
64 bad usage.

Examples:
  m4k7db settings
  m4k7db settings --i9 1
  m4k7db settings --margin-mode 5 --format json
)";

struct ListAnswer {
  AccessStatus status = 0;
  std::vector<ListItemView> items;
};

ListAnswer askList(uint16_t key, OwnedRequest &request) {
  Answer a = Ask(DatabaseOf(m4k7::Database::Driver), key, request.view());
  ListAnswer out;
  out.status = a.status;
  if (a.status == M4K7DB_OK) out.items = ItemsOf(a.bytes);
  return out;
}

std::string marked(const ListItemView &item) {
  std::string text = std::to_string(item.id);
  if (item.mark == 1)
    text += "*";
  else if (item.mark)
    text += "*" + std::to_string(item.mark);
  return text;
}

std::string listText(const ListAnswer &list) {
  if (list.status != M4K7DB_OK) return "(" + StatusText(list.status) + ")";
  std::string text;
  for (const ListItemView &i : list.items) text += (text.empty() ? "" : " ") + marked(i);
  return text.empty() ? "(empty)" : text;
}

Json itemJson(const ListItemView &i) {
  Json j = Json::object();
  j.set("id", i.id);
  j.set("mark", i.mark);
  return j;
}

Json listJson(const ListAnswer &list) {
  Json j = Json::array();
  for (const ListItemView &i : list.items) j.push(itemJson(i));
  return j;
}

} // namespace

int RunSettings(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  const CommandSpec spec{"settings", kHelp, kAcceptSettings | kAcceptFormat | kAcceptNoDefaults};
  if (int code = StartCommand(args, spec, &cl, out, err); code != kGoOn) return code;
  std::string error;
  const DatabaseInfo &db = DatabaseOf(m4k7::Database::Driver);
  cl.settings.defaults = cl.settings.defaults || !cl.noDefaults;
  OwnedRequest request;
  if (!BuildRequest(db, cl.settings, &request, &error, err)) return Usage(err, "settings", error);
  if (request.ints.size() < 82)
    return Usage(err, "settings", "the driver's lists read slots up to I[81]: give --ints 82 or more");
  bool json = cl.format == "json";
  int code = kExitOk;
  auto note = [&](AccessStatus s) {
    if (s < 0) code = kExitError;
  };
  Json report = Json::object();
  report.set("request", request.summary());
  if (!json)
    out << "Driver settings the database offers\nrequest: " << request.summary() << "\n"
        << "(* the list's marked item, *N marked N; ! no print-mode record, key 4126)\n\n";

  // Paper sizes do not depend on the other settings.
  ListAnswer sizes = askList(4113, request);
  ListAnswer printable = askList(4112, request);
  note(sizes.status);
  note(printable.status);
  Json sizeJson = Json::array();
  if (!json) out << "Paper sizes I[28] (key 4113; printable: in key 4112's list):\n";
  std::vector<std::vector<std::string>> rows = {{"size", "attr1", "attr2", "printable", "name"}};
  for (const ListItemView &s : sizes.items) {
    bool isPrintable = std::any_of(printable.items.begin(), printable.items.end(),
                                   [&](const ListItemView &p) { return p.id == s.id; });
    const char *name = m4k7::imageview::FindValueName(28, s.id);
    rows.push_back({std::to_string(s.id), std::to_string(s.attr1), std::to_string(s.attr2),
                    isPrintable ? "yes" : "no", name ? name : ""});
    Json j = Json::object();
    j.set("id", s.id);
    j.set("attr1", s.attr1);
    j.set("attr2", s.attr2);
    j.set("printable", isPrintable);
    if (name) j.set("name", name);
    sizeJson.push(std::move(j));
  }
  report.set("sizes", std::move(sizeJson));
  if (!json) {
    if (sizes.status != M4K7DB_OK) out << "  " << listText(sizes) << '\n';
    for (const auto &row : rows) {
      std::string line = "  ";
      for (size_t c = 0; c < row.size(); ++c) {
        std::string cell = row[c];
        cell.resize(std::max<size_t>(cell.size() + 2, rows[0][c].size() + 3), ' ');
        line += cell;
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out << line << '\n';
    }
    out << '\n';
  }

  ListAnswer inks = askList(4108, request);
  note(inks.status);
  if (inks.status == M4K7DB_NOT_FOUND || inks.status == M4K7DB_UNKNOWN_KEY)
    code = std::max(code, kExitNoAnswer);
  if (!json) out << "Ink count I[4] (key 4108): " << listText(inks) << "\n";
  Json inkJson = Json::array();
  const uint32_t kInk = 4, kMedia = 5, kMode = 6, kQuality = 8;
  // Each level starts from the base request, so that a list is asked with
  // only the settings above it changed.
  const std::vector<int32_t> base = request.ints;
  for (const ListItemView &ink : inks.items) {
    request.ints = base;
    request.ints[kInk] = ink.id;
    ListAnswer media = askList(4110, request);
    note(media.status);
    Json ij = itemJson(ink);
    if (!json)
      out << "\nInk count " << ink.id << ": media I[5] (key 4110): " << listText(media) << "\n"
          << "  media   sources I[7] (4114)  qualities I[8] (4118), each with its I[6] values (4116)\n";
    Json mediaJson = Json::array();
    for (const ListItemView &m : media.items) {
      request.ints[kMedia] = m.id;
      request.ints[kQuality] = base[kQuality];
      request.ints[kMode] = base[kMode];
      ListAnswer sources = askList(4114, request);
      ListAnswer qualities = askList(4118, request);
      note(sources.status);
      note(qualities.status);
      Json mj = itemJson(m);
      mj.set("sources", listJson(sources));
      std::string qualityText;
      Json qualityJson = Json::array();
      for (const ListItemView &q : qualities.items) {
        request.ints[kQuality] = q.id;
        request.ints[kMode] = base[kMode];
        ListAnswer modes = askList(4116, request);
        note(modes.status);
        Json qj = itemJson(q);
        qj.set("attr1", q.attr1);
        qj.set("attr2", q.attr2);
        Json modeJson = Json::array();
        std::string modeText;
        for (const ListItemView &mode : modes.items) {
          request.ints[kMode] = mode.id;
          Answer record = Ask(db, kPrintModeKey, request.view());
          note(record.status);
          Json mo = itemJson(mode);
          mo.set("printMode", record.status == M4K7DB_OK);
          modeJson.push(std::move(mo));
          modeText += (modeText.empty() ? "" : " ") + marked(mode) + (record.status == M4K7DB_OK ? "" : "!");
        }
        if (modes.status != M4K7DB_OK) modeText = listText(modes);
        qj.set("modes", std::move(modeJson));
        qualityJson.push(std::move(qj));
        qualityText += (qualityText.empty() ? "" : "  ") + marked(q) + ": " + modeText;
      }
      if (qualities.status != M4K7DB_OK) qualityText = listText(qualities);
      mj.set("qualities", std::move(qualityJson));
      mediaJson.push(std::move(mj));
      if (!json) {
        std::string name = marked(m), src = listText(sources);
        name.resize(std::max<size_t>(name.size() + 1, 8), ' ');
        src.resize(std::max<size_t>(src.size() + 1, 21), ' ');
        out << "  " << name << src << qualityText << '\n';
      }
    }
    ij.set("media", std::move(mediaJson));
    inkJson.push(std::move(ij));
  }
  report.set("inks", std::move(inkJson));

  // The full-length page mode restricts the paper sources.
  if (base[52] != 5) {
    request.ints = base;
    request.ints[52] = 5;
    ListAnswer full = askList(4114, request);
    note(full.status);
    report.set("fullLengthSources", listJson(full));
    if (!json)
      out << "\nWith margin mode I[52]=5 (full-length page), paper sources (4114): " << listText(full)
          << '\n';
  }
  if (json) {
    out << report << '\n';
  }
  return code;
}

} // namespace m4k7cli
