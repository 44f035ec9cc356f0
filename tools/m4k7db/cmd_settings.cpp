// m4k7db settings: the combinations the database allows, asked of the
// database the way the driver's dialog asks it.
#include <algorithm>
#include <map>
#include <ostream>

#include "args.h"
#include "capabilities.h"
#include "cli.h"
#include "decode.h"
#include "engine/driver_slots.h"
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

std::string listText(AccessStatus status, const std::vector<ListItemView> &items) {
  if (status != M4K7DB_OK) return "(" + StatusText(status) + ")";
  std::string text;
  for (const ListItemView &i : items) text += (text.empty() ? "" : " ") + MarkedId(i);
  return text.empty() ? "(empty)" : text;
}
std::string listText(const ListAnswer &list) { return listText(list.status, list.items); }

// "I[4]": the setting a list's items are values for.
std::string slotOf(uint16_t listKey) { return "I[" + std::to_string(ChosenSlot(listKey)) + "]"; }

Json listJson(const ListAnswer &list) {
  Json j = Json::array();
  for (const ListItemView &i : list.items) j.push(ItemJson(i));
  return j;
}

template <class T> std::vector<ListItemView> itemsOf(const std::vector<T> &v) {
  std::vector<ListItemView> items;
  for (const T &e : v) items.push_back(e.item);
  return items;
}

} // namespace

int RunSettings(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  const CommandShape shape{"settings", kHelp, kAcceptSettings | kAcceptFormat | kAcceptNoDefaults};
  if (int code = StartCommand(args, shape, &cl, out, err); code != kGoOn) return code;
  OwnedRequest request;
  if (int code = BuildModelRequest(cl, "settings", &request, err); code != kGoOn) return code;
  const bool json = cl.format == "json";
  TextOut text(cl, out);
  const Capabilities caps = BuildCapabilities(request);
  Json report = Json::object();
  report.set("request", caps.request);
  text << "Driver settings the database offers\nrequest: " << caps.request << "\n"
       << "(* the list's marked item, *N marked N; ! no print-mode record, key 4126)\n\n";

  Json sizeJson = Json::array();
  text << "Paper sizes " << slotOf(4113) << " (key 4113; printable: in key 4112's list):\n";
  if (caps.sizesStatus != M4K7DB_OK) text << "  " << listText(caps.sizesStatus, {}) << '\n';
  std::vector<std::vector<std::string>> rows = {{"size", "attr1", "attr2", "printable", "name"}};
  for (const PaperSizeCaps &s : caps.sizes) {
    rows.push_back({std::to_string(s.item.id), std::to_string(s.item.attr1), std::to_string(s.item.attr2),
                    s.printable ? "yes" : "no", s.name});
    Json j = Json::object();
    j.set("id", s.item.id);
    j.set("attr1", s.item.attr1);
    j.set("attr2", s.item.attr2);
    j.set("printable", s.printable);
    if (!s.name.empty()) j.set("name", s.name);
    sizeJson.push(std::move(j));
  }
  report.set("sizes", std::move(sizeJson));
  // Columns as wide as their heading and a blank, two blanks apart.
  std::vector<TextColumn> columns;
  for (const std::string &heading : rows[0]) columns.push_back({heading.size() + 1, heading.size() + 1});
  WriteColumns(text, rows, columns, 2);
  text << '\n';

  text << "Ink count " << slotOf(4108) << " (key 4108): " << listText(caps.inksStatus, itemsOf(caps.inks))
       << "\n";
  Json inkJson = Json::array();
  for (const InkCaps &ink : caps.inks) {
    Json ij = ItemJson(ink.item), mediaJson = Json::array();
    text << "\nInk count " << ink.item.id << ": media " << slotOf(4110)
         << " (key 4110): " << listText(ink.mediaStatus, itemsOf(ink.media)) << "\n";
    std::vector<std::vector<std::string>> mediaRows = {
        {"media", "sources " + slotOf(4114) + " (4114)",
         "qualities " + slotOf(4118) + " (4118), each with its " + slotOf(4116) + " values (4116)"}};
    for (const MediaCaps &m : ink.media) {
      Json mj = ItemJson(m.item), qualityJson = Json::array();
      mj.set("sources", listJson(m.sources));
      std::string qualityText;
      for (const QualityCaps &q : m.qualities) {
        Json qj = ItemJson(q.item), modeJson = Json::array();
        qj.set("attr1", q.item.attr1);
        qj.set("attr2", q.item.attr2);
        std::string modeText;
        for (const PrintModeValue &mode : q.modes) {
          Json mo = ItemJson(mode.item);
          mo.set("printMode", mode.hasRecord());
          modeJson.push(std::move(mo));
          modeText += (modeText.empty() ? "" : " ") + MarkedId(mode.item) + (mode.hasRecord() ? "" : "!");
        }
        qj.set("modes", std::move(modeJson));
        qualityJson.push(std::move(qj));
        qualityText += (qualityText.empty() ? "" : "  ") + MarkedId(q.item) + ": " +
                       (q.modesStatus == M4K7DB_OK ? modeText : listText(q.modesStatus, {}));
      }
      mj.set("qualities", std::move(qualityJson));
      mediaJson.push(std::move(mj));
      mediaRows.push_back({MarkedId(m.item), listText(m.sources),
                           m.qualitiesStatus == M4K7DB_OK ? qualityText : listText(m.qualitiesStatus, {})});
    }
    WriteColumns(text, mediaRows, {{7, 7}, {20, 20, false, 1}, {0, SIZE_MAX, false, 1}}, 2);
    ij.set("media", std::move(mediaJson));
    inkJson.push(std::move(ij));
  }
  report.set("inks", std::move(inkJson));

  // The full-length page mode restricts the paper sources.
  if (caps.askedFullLength) {
    report.set("fullLengthSources", listJson(caps.fullLengthSources));
    text << "\nWith margin mode I[52]=5 (full-length page), paper sources (4114): "
         << listText(caps.fullLengthSources) << '\n';
  }
  if (json) out << report << '\n';
  return caps.listsExit;
}

} // namespace m4k7cli
