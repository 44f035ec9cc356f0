// m4k7db explain DB KEY [settings]: the walk, node by node, checked against
// the engine.
#include <cstring>
#include <ostream>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "engine/engine.h"
#include "engine/status.h"
#include "json.h"
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
Exit status: 0 answer, 1 no answer (status 1 or 3), 2 error (negative status,
or a print-mode record that is not its row's sections), 64 bad usage.

Examples:
  m4k7db explain root 8 --i0 2
  m4k7db explain drv 0x1007 --ink 6 --i9 1
  m4k7db explain drv 4121 --defaults --size 9 --mode 1 --brief
  m4k7db explain drv 4126 --defaults --quality 2 --mode 1
)";

// What the list services do around a list key's ids.
struct ListConfig {
  uint16_t key;
  int listFromTable; // ids from the item-list table list of this id; -1: from the key's leaf
  const char *perItem;
  uint16_t markKey; // 0: none
  bool strict;
};
const ListConfig kLists[] = {
    {4108, -1, "I[4] set to each id: 20492 -> attr2, 20491 -> attr3", 20483, false},
    {4109, 4, "I[4] set to each id: 20492 -> attr2, 20491 -> attr3", 20483, false},
    {4110, -1, "", 20484, false},
    {4111, 5, "", 20484, false},
    {4112, -1, "I[28] set to each id: 20494 -> attr2", 0, false},
    {4113, -1, "I[28] set to each id: 20494 -> attr2; attr3 0 for the ids key 4112 also lists", 0, false},
    {4114, -1, "", 20482, false},
    {4115, 7, "", 20482, false},
    {4116, -1, "", 20493, false},
    {4118, -1, "I[8] set to each id: 20486 -> attr1, 20487 -> attr2", 20485, true},
    {4119, -1, "", 20485, true},
    {4173, -1, "", 20496, false},
    {4174, -1, "", 20496, false},
    {4177, -1, "", 0, false},
    {4180, -1, "I[28] set to each id: 20494 -> attr2", 20497, false},
    {4186, -1, "", 0, false},
};

std::string leafWords(const m4k7::LeafDescriptor &d) { return HexWord(d.word0) + " " + HexWord(d.word1); }

struct Explainer {
  const DatabaseInfo &db;
  uint32_t key;
  OwnedRequest &request;
  bool brief;
  bool json;
  std::ostream &out;
  Json report = Json::object();
  bool agrees = true;
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
    if (status == M4K7DB_OK)
      j.set("leaf", Json::arrayOf(std::vector<std::string>{HexWord(leaf.word0), HexWord(leaf.word1)}));
    if (!json) {
      out << title << " " << HexKey(k) << " (" << k << ")\n";
      for (const std::string &n : notes) out << "  " << n << '\n';
      if (walked) WriteTrace(out, root, 2, brief);
      out << "  walk: " << StatusText(status);
      if (status == M4K7DB_OK) out << ", leaf " << leafWords(leaf);
      out << '\n';
    }
    return j;
  }

  void plain() { report.set("lookup", lookup(key, "key")); }

  void list() {
    const ListConfig *config = nullptr;
    for (const ListConfig &c : kLists)
      if (c.key == uint16_t(key)) config = &c;
    if (!config) return plain();
    if (config->listFromTable >= 0) {
      Json t = Json::object();
      t.set("listId", config->listFromTable);
      const m4k7::ItemListTable &items = image.items;
      std::vector<int32_t> ids;
      bool found = false;
      if (items.listIds && items.itemCounts && items.itemStarts && items.itemIds)
        for (uint32_t i = 0; i < items.listCount && !found; ++i) {
          if (items.listIds[i] != config->listFromTable) continue;
          found = true;
          for (uint32_t m = 0; m < items.itemCounts[i]; ++m) {
            uint64_t at = uint64_t(uint32_t(items.itemStarts[i])) + m;
            if (at < items.itemPoolCount) ids.push_back(items.itemIds[at]);
          }
        }
      t.set("found", found);
      t.set("ids", Json::arrayOf(ids));
      report.set("table", std::move(t));
      if (!json) {
        out << "ids from the item-list table, list " << config->listFromTable << ": ";
        if (!found) out << "absent (the list service answers 1)";
        for (int32_t id : ids) out << id << ' ';
        out << '\n';
      }
    } else {
      report.set("lookup", lookup(key, "ids: key"));
    }
    if (*config->perItem) {
      report.set("perItem", config->perItem);
      if (!json) out << "per item: " << config->perItem << '\n';
    }
    if (config->markKey) {
      if (!json)
        out << "mark pair ("
            << (config->strict ? "required" : "optional: status 1 or 3 leaves the list unmarked") << "):\n";
      report.set("mark", lookup(config->markKey, "  mark key"));
    }
  }

  void grouped() {
    const m4k7::GroupedListTable &g = image.groups;
    Json entries = Json::array();
    if (!g.groupKeys || !g.groupEntryCounts || !g.groupEntryStarts || !g.entryNodes || !image.nodes) {
      if (!json) out << "the image has no grouped-list table: the service answers 1\n";
      report.set("entries", std::move(entries));
      return;
    }
    uint32_t group = 0;
    while (group < g.groupCount && g.groupKeys[group] != uint16_t(key)) ++group;
    if (group == g.groupCount) {
      if (!json) out << "key " << HexKey(key) << " has no grouped list: the service answers 1\n";
      report.set("entries", std::move(entries));
      return;
    }
    uint32_t count = g.groupEntryCounts[group];
    uint32_t start = uint32_t(g.groupEntryStarts[group]);
    const AccessRequest &er = request.engineView();
    if (!json)
      out << "grouped list " << HexKey(key) << ": " << count << " entr" << (count == 1 ? "y" : "ies")
          << ", each walked for the fragment key " << HexKey(kFragmentKey) << "\n";
    for (uint32_t m = 0; m < count; ++m) {
      Json e = Json::object();
      e.set("entry", m + 1);
      if (uint64_t(start) + m >= g.entryCount || g.entryNodes[start + m] >= image.nodeCount) {
        if (!json) out << "entry " << m + 1 << ": past the entry or node table: the service fails with -1\n";
        e.set("status", M4K7DB_FAILED);
        entries.push(std::move(e));
        break;
      }
      uint32_t index = g.entryNodes[start + m];
      TraceNode root;
      m4k7::LeafDescriptor leaf{};
      const AccessStatus t = RecordWalk(image, kFragmentKey, &er, index, &root, &leaf);
      e.set("node", index);
      e.set("trace", TraceJson(root));
      e.set("status", t);
      if (!json) {
        out << "entry " << m + 1 << " (node " << index << "):\n";
        WriteTrace(out, root, 2, brief);
        out << "  fragment: "
            << (t == M4K7DB_OK
                    ? m4k7::imageview::DescribeNode(image, m4k7::DbNode{leaf.word0, leaf.word1}).text
                : t == M4K7DB_NOT_FOUND ? std::string("none for these settings (the entry adds nothing)")
                                        : StatusText(t) + ", which ends the call")
            << '\n';
      }
      entries.push(std::move(e));
      if (t != M4K7DB_OK && t != M4K7DB_NOT_FOUND) break;
    }
    report.set("entries", std::move(entries));
  }

  void printMode(const Answer &answer) {
    static const uint32_t kSlots[6] = {4, 9, 5, 8, 6, 81};
    const m4k7::PrintModeTables &t = image.printModes;
    Json pm = Json::object();
    const AccessRequest &er = request.engineView();
    if (er.intParamCount < 82 || !er.intParams) {
      if (!json)
        out << "the record needs I[81]; the request has " << er.intParamCount << " integer slots: -3\n";
      pm.set("row", Json());
      report.set("printMode", std::move(pm));
      agrees = agrees && answer.status == M4K7DB_MISSING_INT;
      return;
    }
    int32_t settings[6];
    std::string text;
    for (int i = 0; i < 6; ++i) {
      settings[i] = er.intParams[kSlots[i]];
      text +=
          (i ? " " : "") + std::string("I[") + std::to_string(kSlots[i]) + "]=" + std::to_string(settings[i]);
    }
    int64_t row = -1;
    std::vector<std::string> near;
    for (uint32_t r = 0; t.modeRows && r < t.modeRowCount && row < 0; ++r) {
      const m4k7::PrintModeRow &mr = t.modeRows[r];
      bool all = true;
      for (int i = 0; i < 6; ++i) all = all && int32_t(mr.match[i]) == settings[i];
      if (all) row = r;
    }
    pm.set("settings", text);
    if (row >= 0) {
      const m4k7::PrintModeRow &mr = t.modeRows[row];
      pm.set("row", row);
      pm.set("sections", Json::arrayOf(std::vector<uint16_t>(mr.section, mr.section + 4)));
      // The record the service answered must be the four section records of the row.
      bool same =
          answer.status == M4K7DB_OK && answer.bytes.size() == m4k7::kPrintModeRecordSize &&
          std::memcmp(answer.bytes.data(), t.sectionTable1 + size_t(mr.section[0]) * m4k7::kSection1Size,
                      m4k7::kSection1Size) == 0 &&
          std::memcmp(answer.bytes.data() + 48, t.sectionTable2 + size_t(mr.section[1]) * m4k7::kSection2Size,
                      m4k7::kSection2Size) == 0 &&
          std::memcmp(answer.bytes.data() + 88, t.sectionTable3 + size_t(mr.section[2]) * m4k7::kSection3Size,
                      m4k7::kSection3Size) == 0 &&
          std::memcmp(answer.bytes.data() + 124,
                      t.sectionTable4 + size_t(mr.section[3]) * m4k7::kSection4Size,
                      m4k7::kSection4Size) == 0;
      agrees = agrees && same;
      pm.set("agrees", same);
      if (!json)
        out << "print-mode rows searched for " << text << ":\n  row " << row
            << " matches first: section records " << mr.section[0] << ", " << mr.section[1] << ", "
            << mr.section[2] << ", " << mr.section[3] << '\n'
            << "  the answer is those four records: " << (same ? "agrees\n" : "DISAGREES\n");
    } else {
      // What the rows offer for the same ink count, I[9] and media.
      for (uint32_t r = 0; t.modeRows && r < t.modeRowCount; ++r) {
        const m4k7::PrintModeRow &mr = t.modeRows[r];
        if (mr.match[0] == settings[0] && mr.match[1] == settings[1] && mr.match[2] == settings[2])
          near.push_back("I[8]=" + std::to_string(mr.match[3]) + " I[6]=" + std::to_string(mr.match[4]) +
                         " I[81]=" + std::to_string(mr.match[5]) + " (row " + std::to_string(r) + ")");
      }
      bool same = answer.status == M4K7DB_NOT_FOUND;
      agrees = agrees && same;
      pm.set("row", Json());
      pm.set("sameInkAndMedia", Json::arrayOf(near));
      pm.set("agrees", same);
      if (!json) {
        out << "print-mode rows searched for " << text << ":\n  none of the " << t.modeRowCount
            << " rows matches: the service answers 1\n";
        if (!near.empty()) {
          out << "  rows for the same I[4], I[9], I[5]:\n";
          for (const std::string &n : near) out << "    " << n << '\n';
        }
        out << "  the service's status " << (same ? "agrees\n" : "DISAGREES\n");
      }
    }
    report.set("printMode", std::move(pm));
  }
};

std::string help() {
  std::string text = kHelp;
  text.replace(text.find("%SETTINGS%"), 10, SettingsHelp());
  return text;
}

} // namespace

int RunExplain(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  std::string error;
  if (!ParseCommandLine(args, kAcceptSettings | kAcceptFormat | kAcceptBrief, {"text", "json"}, &cl, &error))
    return Usage(err, "explain", error);
  if (cl.help) {
    out << help();
    return kExitOk;
  }
  if (cl.positional.size() != 2) return Usage(err, "explain", "expected DB and KEY");
  const DatabaseInfo *db = FindDatabase(cl.positional[0]);
  if (!db)
    return Usage(err, "explain",
                 "unknown database \"" + cl.positional[0] + "\": choose root, drv, lm, mnt, pa or sm");
  uint32_t key = 0;
  if (!ParseKey(cl.positional[1], &key, &error)) return Usage(err, "explain", error);
  OwnedRequest request;
  if (!BuildRequest(*db, cl.settings, &request, &error, err)) return Usage(err, "explain", error);

  bool json = cl.format == "json";
  Answer answer = Ask(*db, key, request.view());
  Explainer x{*db, key, request, cl.brief, json, out};
  x.report.set("database", db->name);
  x.report.set("key", key);
  x.report.set("keyHex", HexKey(key));
  x.report.set("request", request.summary());
  x.report.set("inRange", InRange(*db, key));
  if (!json) {
    out << "explain " << db->name << " key " << uint16_t(key) << " (" << HexKey(uint16_t(key)) << ")\n"
        << "request: " << request.summary() << '\n';
    if (!InRange(*db, key))
      out << "note: " << db->function
          << " answers not found (1) for this key without looking; the walk below is "
          << "the image's own\n";
  }
  bool driver = db->db == m4k7::Database::Driver && InRange(*db, key);
  if (driver && IsGroupedKey(key))
    x.grouped();
  else if (driver && uint16_t(key) == kPrintModeKey)
    x.printMode(answer);
  else if (driver && IsItemListKey(key))
    x.list();
  else
    x.plain();

  x.report.set("status", answer.status);
  x.report.set("statusName", m4k7::StatusName(answer.status));
  x.report.set("agrees", x.agrees);
  if (json) {
    x.report.write(out);
    out << '\n';
  } else {
    out << db->function << ": " << StatusText(answer.status);
    if (answer.status == M4K7DB_OK) out << ", " << answer.size << " bytes";
    out << '\n';
    std::string hint = StatusHint(*db, key, answer.status);
    if (!hint.empty()) out << "  " << hint << '\n';
    if (answer.status == M4K7DB_OK && !cl.brief)
      WriteAnswerText(out, KindOfKey(*db, key, request.engineView()), answer.bytes, 2);
  }
  if (!x.agrees) {
    err << "m4k7db explain: the print-mode record is not the sections of its row\n";
    return kExitError;
  }
  return ExitCodeOf(answer.status);
}

} // namespace m4k7cli
