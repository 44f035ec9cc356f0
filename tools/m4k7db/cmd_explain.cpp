// m4k7db explain DB KEY [settings]: the walk, node by node, checked against
// the engine.
#include <ostream>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "drvlists/drvlists.h"
#include "drvlists/grouped_entries.h"
#include "drvlists/list_keys.h"
#include "engine/engine.h"
#include "engine/status.h"
#include "json.h"
#include "key_info.h"
#include "node_view.h"
#include "request.h"
#include "text.h"
#include "walk_recorder.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db explain DB KEY [settings] [--brief] [--format text|json]

Shows how the database reaches its answer: the key-index entry, then every
node of the walk with the value each selector compared and where it came
from (parameter, printer data, locale), the case that matched, the leaves
skipped because they answer another key, and the leaf reached with its pool
slice. It is the engine's own walk, observed as it runs; the public
function's status closes the report.

Driver keys with code around the engine are explained by what that code
does: the list keys (4108-4119, 4173, 4174, 4177, 4180, 4186) by the walk
of their ids and of their mark pair, the grouped keys 4120-4125 entry by
entry (each entry walked for the fragment key 0x5008), key 4126 by the
print-mode row that matches I[4], I[9], I[5], I[8], I[6], I[81].

  --brief         only the nodes on the way to the result
  --format json   the trace as JSON

%SETTINGS%
Exit status: 0 answer, 1 no answer (status 1 or 3), 2 error (negative
status), 64 bad usage.

Examples:
  m4k7db explain root 8 --i0 2
  m4k7db explain drv 0x1007 --ink 6 --i9 1
  m4k7db explain drv 4121 --defaults --size 9 --mode 1 --brief
  m4k7db explain drv 4126 --defaults --quality 2 --mode 1
)";

// Each part of the report is written as text to `out` (which discards it
// when the report goes out as JSON) and kept in `report`.
struct Explainer {
  uint32_t key;
  OwnedRequest &request;
  bool brief;
  std::ostream &out;
  Json report = Json::object();
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();

  // The engine's lookup of one key, recorded.
  Json lookup(uint32_t k, const char *title) {
    TraceNode root;
    m4k7::LeafDescriptor leaf{};
    std::vector<std::string> notes;
    const AccessStatus status = RecordLookup(image, k, &request.engineView(), &root, &leaf, &notes);
    const bool walked = root.index != m4k7::kNoNodeIndex;
    Json j = Json::object();
    j.set("key", k);
    j.set("keyHex", HexKey(k));
    j.set("index", Json::arrayOf(notes));
    if (walked) j.set("trace", TraceJson(root));
    j.set("status", status);
    out << title << " " << HexKey(k) << " (" << k << ")\n";
    for (const std::string &n : notes) out << "  " << n << '\n';
    if (walked) WriteTrace(out, root, 2, brief);
    out << "  walk: " << StatusText(status);
    if (status == M4K7DB_OK) {
      j.set("leaf", Json::arrayOf(std::vector<std::string>{HexWord(leaf.word0), HexWord(leaf.word1)}));
      out << ", leaf " << HexWord(leaf.word0) << " " << HexWord(leaf.word1);
    }
    out << '\n';
    return j;
  }

  void plain() { report.set("lookup", lookup(key, "key")); }

  // What the list services do around a list key's ids, from their own table.
  void list(const m4k7::ItemListConfig &config) {
    if (config.idsList != m4k7::kIdsFromLeaf) {
      uint32_t count = 0;
      AccessStatus read = m4k7::ReadTableIds(image.items, config.idsList, nullptr, 0, &count);
      std::vector<int32_t> ids(count + 1); // a buffer even for an empty list
      if (read == M4K7DB_BUFFER_TOO_SMALL)
        read = m4k7::ReadTableIds(image.items, config.idsList, ids.data(), count, &count);
      ids.resize(read == M4K7DB_OK ? count : 0);
      Json t = Json::object();
      t.set("listId", config.idsList);
      t.set("found", read != M4K7DB_NOT_FOUND);
      t.set("ids", Json::arrayOf(ids));
      report.set("table", std::move(t));
      out << "ids from the item-list table, list " << config.idsList << ": ";
      if (read == M4K7DB_NOT_FOUND) out << "absent (the list service answers 1)";
      if (read == M4K7DB_FAILED) out << "an item lies past the item pool (the list service answers -1)";
      for (int32_t id : ids) out << id << ' ';
      out << '\n';
    } else {
      report.set("lookup", lookup(key, "ids: key"));
    }
    std::string perItem;
    static const char *const kFields[] = {"", "attr1", "attr2", "attr3"};
    for (const m4k7::PerItemKey &q : config.perItem)
      if (q.key != m4k7::kNoKey)
        perItem +=
            std::string(perItem.empty() ? "" : ", ") + std::to_string(q.key) + " -> " + kFields[int(q.field)];
    if (!perItem.empty()) perItem = "I[" + std::to_string(config.slot) + "] set to each id: " + perItem;
    if (config.availability)
      perItem += "; attr3 0 for the ids key " + std::to_string(m4k7::kAvailableList) + " also lists";
    if (!perItem.empty()) {
      report.set("perItem", perItem);
      out << "per item: " << perItem << '\n';
    }
    if (config.markKey != m4k7::kNoKey) {
      out << "mark pair ("
          << (config.strictMark ? "required" : "optional: status 1 or 3 leaves the list unmarked") << "):\n";
      report.set("mark", lookup(config.markKey, "  mark key"));
    }
  }

  // The grouped list's entries, as the service finds and walks them.
  void grouped() {
    Json entries = Json::array();
    uint32_t first = 0, count = 0;
    if (m4k7::FindGroupedList(image, uint16_t(key), &first, &count) != M4K7DB_OK) {
      out << "key " << HexKey(key) << " has no grouped list in this image: the service answers 1\n";
      report.set("entries", std::move(entries));
      return;
    }
    const AccessRequest &er = request.engineView();
    out << "grouped list " << HexKey(key) << ": " << count << " entr" << (count == 1 ? "y" : "ies")
        << ", each walked for the fragment key " << HexKey(kFragmentKey) << "\n";
    const AccessStatus status =
        m4k7::ForEachGroupedEntry(image, first, count, [&](uint32_t m, uint32_t index) {
          TraceNode root;
          m4k7::LeafDescriptor leaf{};
          const AccessStatus t = RecordWalk(image, kFragmentKey, &er, index, &root, &leaf);
          Json e = Json::object();
          e.set("entry", m + 1);
          e.set("node", index);
          e.set("trace", TraceJson(root));
          e.set("status", t);
          entries.push(std::move(e));
          out << "entry " << m + 1 << " (node " << index << "):\n";
          WriteTrace(out, root, 2, brief);
          out << "  fragment: "
              << (t == M4K7DB_OK
                      ? m4k7::imageview::DescribeNode(image, m4k7::DbNode{leaf.word0, leaf.word1}).text
                  : t == M4K7DB_NOT_FOUND ? std::string("none for these settings (the entry adds nothing)")
                                          : StatusText(t) + ", which ends the call")
              << '\n';
          return t;
        });
    if (status == M4K7DB_FAILED)
      out << "an entry lies past the entry or node table: the service fails with -1\n";
    report.set("entries", std::move(entries));
  }

  // Key 4126: the row the service picks, by the service's own search.
  void printMode(const Answer &answer) {
    const m4k7::PrintModeTables &t = image.printModes;
    Json pm = Json::object();
    const AccessRequest &er = request.engineView();
    if (er.intParamCount < m4k7::kPrintModeSlotsNeeded || !er.intParams) {
      out << "the record needs I[81]; the request has " << er.intParamCount << " integer slots: -3\n";
      pm.set("row", Json());
      report.set("printMode", std::move(pm));
      return;
    }
    std::string text;
    for (int i = 0; i < 6; ++i)
      text += (i ? " I[" : "I[") + std::to_string(m4k7::kPrintModeSlots[i]) +
              "]=" + std::to_string(er.intParams[m4k7::kPrintModeSlots[i]]);
    pm.set("settings", text);
    out << "print-mode rows searched for " << text << ":\n";
    const m4k7::PrintModeRow *row = m4k7::FindPrintModeRow(t, er.intParams);
    if (row != nullptr) {
      pm.set("row", uint32_t(row - t.modeRows));
      pm.set("sections", Json::arrayOf(std::vector<uint16_t>(row->section, row->section + 4)));
      out << "  row " << (row - t.modeRows) << " matches first: section records " << row->section[0] << ", "
          << row->section[1] << ", " << row->section[2] << ", " << row->section[3] << "\n";
    } else {
      // What the rows offer for the same ink count, I[9] and media.
      std::vector<std::string> near;
      for (uint32_t r = 0; t.modeRows && r < t.modeRowCount; ++r) {
        const m4k7::PrintModeRow &mr = t.modeRows[r];
        bool same = true;
        for (int i = 0; i < 3; ++i) same = same && mr.match[i] == er.intParams[m4k7::kPrintModeSlots[i]];
        std::string rest;
        for (int i = 3; i < 6; ++i)
          rest += "I[" + std::to_string(m4k7::kPrintModeSlots[i]) + "]=" + std::to_string(mr.match[i]) + " ";
        if (same) near.push_back(rest + "(row " + std::to_string(r) + ")");
      }
      pm.set("row", Json());
      pm.set("sameInkAndMedia", Json::arrayOf(near));
      out << "  none of the " << t.modeRowCount << " rows matches: the service answers " << answer.status
          << "\n";
      if (!near.empty()) out << "  rows for the same I[4], I[9], I[5]:\n";
      for (const std::string &n : near) out << "    " << n << '\n';
    }
    report.set("printMode", std::move(pm));
  }
};

} // namespace

int RunExplain(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  const DatabaseInfo *db = nullptr;
  uint32_t key = 0;
  const CommandShape shape{"explain", kHelp, kAcceptSettings | kAcceptFormat | kAcceptBrief, 2};
  if (int code = StartCommand(args, shape, &cl, out, err); code != kGoOn) return code;
  if (int code = ParseDatabaseKey(cl, "explain", &db, &key, err); code != kGoOn) return code;
  OwnedRequest request;
  if (int code = BuildCommandRequest(*db, cl, "explain", &request, err); code != kGoOn) return code;

  const bool json = cl.format == "json";
  TextOut text(cl, out);
  Answer answer = Ask(*db, key, request.view());
  Explainer x{key, request, cl.brief, text};
  const m4k7::imageview::KeyInfo *info = m4k7::imageview::FindKeyInfo(uint16_t(key));
  x.report.set("database", db->name);
  x.report.set("key", key);
  x.report.set("keyHex", HexKey(key));
  if (info) x.report.set("name", info->name);
  x.report.set("request", request.summary());
  x.report.set("inRange", InRange(*db, key));
  text << "explain " << db->name << " key " << uint16_t(key) << " (" << HexKey(uint16_t(key)) << ")"
       << (info ? std::string(": ") + info->name : std::string()) << "\n"
       << "request: " << request.summary() << '\n';
  if (!InRange(*db, key))
    text << "note: " << db->function
         << " answers not found (1) for this key without looking; the walk below is "
         << "the image's own\n";
  using m4k7::DriverKeyService;
  const bool driver = db->db == m4k7::Database::Driver && InRange(*db, key);
  switch (driver ? m4k7::ServiceOfDriverKey(uint16_t(key)) : DriverKeyService::Lookup) {
  case DriverKeyService::ItemList: x.list(*m4k7::ItemListConfigOf(uint16_t(key))); break;
  case DriverKeyService::GroupedList: x.grouped(); break;
  case DriverKeyService::PrintMode: x.printMode(answer); break;
  case DriverKeyService::Lookup: x.plain(); break;
  }

  x.report.set("status", answer.status);
  x.report.set("statusName", m4k7::StatusName(answer.status));
  if (json) out << x.report << '\n';
  text << db->function << ": " << StatusText(answer.status);
  if (answer.status == M4K7DB_OK) text << ", " << answer.size << " bytes";
  text << '\n';
  if (std::string hint = StatusHint(*db, key, answer.status); !hint.empty()) text << "  " << hint << '\n';
  if (answer.status == M4K7DB_OK && !cl.brief) {
    Json decoded = Json::object(); // the JSON report leaves the answer to get
    DecodeAnswer(KindOfKey(*db, key, request.engineView()), answer.bytes, 2, text, &decoded);
  }
  return ExitCodeOf(answer.status);
}

} // namespace m4k7cli
