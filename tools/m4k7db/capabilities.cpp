#include "capabilities.h"

#include <algorithm>

#include "engine/driver_slots.h"
#include "key_info.h"

namespace m4k7cli {

namespace {

// The dialog's lists (list_keys.h kDialogLists) and the keys asked beside them.
constexpr uint16_t kInkList = 4108, kMediaList = 4110, kPrintableList = m4k7::kAvailableList,
                   kSizeList = 4113, kSourceList = 4114, kModeList = 4116, kQualityList = 4118;
constexpr uint16_t kPrintableAreaKey = 0x1001; // printable [width, height]
constexpr uint16_t kMarginKey = 0x1002;        // [top, left]
constexpr uint16_t kPaperKey = 0x1003;         // paper [width, height]
constexpr uint16_t kComputedAreaKey = 0x1004;  // PrintableArea from I[29], I[30]
constexpr uint16_t kResolutionKey = 4104;      // [x, y] dots per inch
constexpr uint16_t kPageLengthKey = 4147;      // 1/60 inch
constexpr uint16_t kVersionKey = 2;            // root: the database version text

ListAnswer AskList(const DatabaseInfo &db, uint16_t key, OwnedRequest &request) {
  Answer a = Ask(db, key, request.view());
  return ListAnswer{a.status, a.status == M4K7DB_OK ? ItemsOf(a.bytes) : std::vector<ListItemView>()};
}

// A key answering two integers, or its status.
AccessStatus AskPair(const DatabaseInfo &db, uint16_t key, OwnedRequest &request, int32_t *a, int32_t *b) {
  Answer answer = Ask(db, key, request.view());
  if (answer.status != M4K7DB_OK) return answer.status;
  std::vector<int32_t> v = IntsOf(answer.bytes);
  if (v.size() < 2) return M4K7DB_FAILED;
  *a = v[0];
  *b = v[1];
  return M4K7DB_OK;
}

void AskArea(const DatabaseInfo &db, OwnedRequest &request, int32_t marginMode, SizeArea *area) {
  request.ints[m4k7::kSlotMarginMode] = marginMode;
  area->marginMode = marginMode;
  area->areaStatus = AskPair(db, kPrintableAreaKey, request, &area->printableWidth, &area->printableHeight);
  area->marginStatus = AskPair(db, kMarginKey, request, &area->top, &area->left);
  Answer length = Ask(db, kPageLengthKey, request.view());
  area->pageLengthStatus = length.status;
  std::vector<int32_t> v = IntsOf(length.bytes);
  if (length.status == M4K7DB_OK && !v.empty()) area->pageLength = v[0];
}

// Key 0x1004's PrintableArea: left, width, top, length.
void AskComputedArea(const DatabaseInfo &db, OwnedRequest &request, int32_t marginMode, SizeArea *area) {
  request.ints[m4k7::kSlotMarginMode] = marginMode;
  area->marginMode = marginMode;
  Answer a = Ask(db, kComputedAreaKey, request.view());
  std::vector<int32_t> v = IntsOf(a.bytes);
  area->areaStatus = a.status == M4K7DB_OK && v.size() < 4 ? M4K7DB_FAILED : a.status;
  area->marginStatus = area->areaStatus;
  if (area->areaStatus == M4K7DB_OK) {
    area->left = v[0];
    area->printableWidth = v[1];
    area->top = v[2];
    area->printableHeight = v[3];
  }
  Answer length = Ask(db, kPageLengthKey, request.view());
  area->pageLengthStatus = length.status;
  std::vector<int32_t> l = IntsOf(length.bytes);
  if (length.status == M4K7DB_OK && !l.empty()) area->pageLength = l[0];
}

const ListItemView *MarkedOf(const std::vector<ListItemView> &items) {
  for (const ListItemView &i : items)
    if (i.mark) return &i;
  return nullptr;
}

void AddDefault(Capabilities *caps, uint16_t key, const ListItemView *marked) {
  ListDefault d;
  d.key = key;
  d.slot = ChosenSlot(key);
  if (marked) {
    d.marked = true;
    d.id = marked->id;
    d.mark = marked->mark;
  }
  caps->defaults.push_back(d);
}

// One level's marked item as the list's default; the caps that carry it, or
// nullptr for a level without a mark (or without a marked level above it).
template <class Level>
const Level *MarkedLevel(Capabilities *caps, uint16_t key, const std::vector<Level> *level) {
  std::vector<ListItemView> items;
  if (level)
    for (const Level &l : *level) items.push_back(l.item);
  const ListItemView *marked = MarkedOf(items);
  AddDefault(caps, key, marked);
  if (level && marked)
    for (const Level &l : *level)
      if (l.item.id == marked->id) return &l;
  return nullptr;
}

// The marked items from the ink count down, each within the marked item
// above it.
void FindDefaults(Capabilities *caps) {
  const InkCaps *ink = MarkedLevel(caps, kInkList, &caps->inks);
  const MediaCaps *media = MarkedLevel(caps, kMediaList, ink ? &ink->media : nullptr);
  AddDefault(caps, kSourceList, media ? MarkedOf(media->sources.items) : nullptr);
  const QualityCaps *quality = MarkedLevel(caps, kQualityList, media ? &media->qualities : nullptr);
  MarkedLevel(caps, kModeList, quality ? &quality->modes : nullptr);
  // The paper-size list has no mark key.
  AddDefault(caps, kSizeList, nullptr);
}

void AskSizes(const DatabaseInfo &db, OwnedRequest &request, const std::vector<int32_t> &base,
              Capabilities *caps, const ListAnswer &sizes, const ListAnswer &printable) {
  const uint32_t sizeSlot = ChosenSlot(kSizeList);
  for (const ListItemView &s : sizes.items) {
    PaperSizeCaps size;
    size.item = s;
    size.printable = std::any_of(printable.items.begin(), printable.items.end(),
                                 [&](const ListItemView &p) { return p.id == s.id; });
    if (const char *name = m4k7::imageview::FindValueName(uint16_t(sizeSlot), s.id)) size.name = name;
    request.ints = base;
    request.ints[sizeSlot] = s.id;
    size.paperStatus = AskPair(db, kPaperKey, request, &size.width, &size.height);
    AskArea(db, request, caps->normalMarginMode, &size.normal);
    AskArea(db, request, m4k7::kMarginModeFullPage, &size.fullLength);
    size.computedStatus = Ask(db, kComputedAreaKey, request.view()).status;
    caps->sizes.push_back(std::move(size));
  }
  // The user-defined size: its area comes from the caller's dimensions, here
  // those of the first printable size with paper dimensions.
  const PaperSizeCaps *custom = nullptr, *probe = nullptr;
  for (const PaperSizeCaps &s : caps->sizes) {
    if (!custom && s.computedStatus == M4K7DB_OK) custom = &s;
    if (!probe && s.printable && s.hasPaper()) probe = &s;
  }
  if (!custom || !probe) return;
  UserDefinedCaps &u = caps->userDefined;
  u.asked = true;
  u.sizeId = custom->item.id;
  u.probeSize = probe->item.id;
  u.probeWidth = probe->width;
  u.probeHeight = probe->height;
  request.ints = base;
  request.ints[sizeSlot] = custom->item.id;
  // A request of fewer slots leaves them out: key 4147 then answers its status.
  for (uint32_t slot : {m4k7::kSlotCappedWidth, m4k7::kSlotCommandWidth})
    if (slot < request.ints.size()) request.ints[slot] = probe->width;
  for (uint32_t slot : {m4k7::kSlotCappedLength, m4k7::kSlotCommandLength})
    if (slot < request.ints.size()) request.ints[slot] = probe->height;
  AskComputedArea(db, request, caps->normalMarginMode, &u.normal);
  AskComputedArea(db, request, m4k7::kMarginModeFullPage, &u.fullLength);
}

Json ListJson(const ListAnswer &list) {
  Json j = Json::object();
  j.set("status", list.status);
  Json items = Json::array();
  for (const ListItemView &i : list.items) items.push(ItemJson(i));
  j.set("items", std::move(items));
  return j;
}

Json AreaJson(const SizeArea &a, const PaperSizeCaps *paper) {
  Json j = Json::object();
  j.set("marginMode", a.marginMode);
  j.set("areaStatus", a.areaStatus);
  j.set("marginStatus", a.marginStatus);
  if (a.known()) {
    j.set("printableWidth", a.printableWidth);
    j.set("printableHeight", a.printableHeight);
    j.set("top", a.top);
    j.set("left", a.left);
    if (paper && paper->hasPaper()) {
      j.set("right", paper->right(a));
      j.set("bottom", paper->bottom(a));
    }
  }
  j.set("pageLengthStatus", a.pageLengthStatus);
  if (a.pageLengthStatus == M4K7DB_OK) j.set("pageLength", a.pageLength);
  return j;
}

} // namespace

Json ItemJson(const ListItemView &i) {
  Json j = Json::object();
  j.set("id", i.id);
  j.set("mark", i.mark);
  return j;
}

std::string MarkedId(const ListItemView &item) {
  std::string text = std::to_string(item.id);
  if (item.mark) text += '*';
  if (item.mark && item.mark != 1) text += std::to_string(item.mark);
  return text;
}

int BuildModelRequest(CommandLine &cl, std::string_view command, OwnedRequest *request, std::ostream &err) {
  cl.settings.defaults = cl.settings.defaults || !cl.noDefaults;
  if (int code = BuildCommandRequest(DatabaseOf(m4k7::Database::Driver), cl, command, request, err);
      code != kGoOn)
    return code;
  if (request->ints.size() <= m4k7::kSlotSetting81)
    return Usage(err, command, "the driver's lists read slots up to I[81]: give --ints 82 or more");
  return kGoOn;
}

uint32_t ChosenSlot(uint16_t listKey) {
  const m4k7::ItemListConfig *config = m4k7::ItemListConfigOf(listKey);
  return config ? config->chooses : m4k7::kNoSlot;
}

const PaperSizeCaps *Capabilities::findSize(int32_t id) const {
  for (const PaperSizeCaps &s : sizes)
    if (s.item.id == id) return &s;
  return nullptr;
}

const ListDefault *Capabilities::defaultFor(uint32_t slot) const {
  for (const ListDefault &d : defaults)
    if (d.slot == slot) return &d;
  return nullptr;
}

Capabilities BuildCapabilities(OwnedRequest &request) {
  const DatabaseInfo &db = DatabaseOf(m4k7::Database::Driver);
  Capabilities caps;
  caps.request = request.summary();
  const std::vector<int32_t> base = request.ints;

  {
    OwnedRequest root;
    const m4k7::TemplateShape shape = StandardShape(DatabaseOf(m4k7::Database::Root));
    root.ints.assign(shape.intSlots, 0);
    root.strings.assign(shape.stringSlots, std::string());
    Answer v = Ask(DatabaseOf(m4k7::Database::Root), kVersionKey, root.view());
    caps.versionStatus = v.status;
    if (v.status == M4K7DB_OK) caps.version = WideOf(v.bytes).text;
  }

  // Every list the settings command shows: a negative status makes its exit 2.
  auto list = [&](uint16_t key) {
    ListAnswer a = AskList(db, key, request);
    if (a.status < 0) caps.listsExit = kExitError;
    return a;
  };

  const ListAnswer sizes = list(kSizeList), printable = list(kPrintableList);
  caps.sizesStatus = sizes.status;
  caps.printableStatus = printable.status;
  caps.normalMarginMode =
      base[m4k7::kSlotMarginMode] == m4k7::kMarginModeFullPage ? 0 : base[m4k7::kSlotMarginMode];

  const ListAnswer inks = list(kInkList);
  caps.inksStatus = inks.status;
  if (inks.status == M4K7DB_NOT_FOUND || inks.status == M4K7DB_UNKNOWN_KEY)
    caps.listsExit = std::max(caps.listsExit, kExitNoAnswer);
  const uint32_t inkSlot = ChosenSlot(kInkList), mediaSlot = ChosenSlot(kMediaList),
                 qualitySlot = ChosenSlot(kQualityList), modeSlot = ChosenSlot(kModeList);
  // Each level starts from the base request, so that a list is asked with
  // only the settings above it changed.
  for (const ListItemView &ink : inks.items) {
    request.ints = base;
    request.ints[inkSlot] = ink.id;
    const ListAnswer media = list(kMediaList);
    InkCaps inkCaps{ink, media.status, {}};
    for (const ListItemView &m : media.items) {
      request.ints[mediaSlot] = m.id;
      request.ints[qualitySlot] = base[qualitySlot];
      request.ints[modeSlot] = base[modeSlot];
      MediaCaps mediaCaps;
      mediaCaps.item = m;
      mediaCaps.sources = list(kSourceList);
      const ListAnswer qualities = list(kQualityList);
      mediaCaps.qualitiesStatus = qualities.status;
      for (const ListItemView &q : qualities.items) {
        request.ints[qualitySlot] = q.id;
        request.ints[modeSlot] = base[modeSlot];
        const ListAnswer modes = list(kModeList);
        QualityCaps qualityCaps;
        qualityCaps.item = q;
        qualityCaps.modesStatus = modes.status;
        for (const ListItemView &mode : modes.items) {
          request.ints[modeSlot] = mode.id;
          const AccessStatus record = Ask(db, kPrintModeKey, request.view()).status;
          if (record < 0) caps.listsExit = kExitError;
          qualityCaps.modes.push_back(PrintModeValue{mode, record});
        }
        // Every I[6] value of a quality leads to the same resolution.
        request.ints[modeSlot] = modes.items.empty() ? base[modeSlot] : modes.items.front().id;
        qualityCaps.resolutionStatus =
            AskPair(db, kResolutionKey, request, &qualityCaps.resolutionX, &qualityCaps.resolutionY);
        mediaCaps.qualities.push_back(std::move(qualityCaps));
      }
      inkCaps.media.push_back(std::move(mediaCaps));
    }
    caps.inks.push_back(std::move(inkCaps));
  }

  // The full-length page mode restricts the paper sources.
  if (base[m4k7::kSlotMarginMode] != m4k7::kMarginModeFullPage) {
    request.ints = base;
    request.ints[m4k7::kSlotMarginMode] = m4k7::kMarginModeFullPage;
    caps.askedFullLength = true;
    caps.fullLengthSources = list(kSourceList);
  }

  AskSizes(db, request, base, &caps, sizes, printable);
  FindDefaults(&caps);
  request.ints = base;
  return caps;
}

Json CapabilitiesJson(const Capabilities &caps) {
  Json j = Json::object();
  j.set("request", caps.request);
  Json version = Json::object();
  version.set("key", kVersionKey);
  version.set("status", caps.versionStatus);
  if (caps.versionStatus == M4K7DB_OK) version.set("text", caps.version);
  j.set("version", std::move(version));

  Json sizes = Json::array();
  for (const PaperSizeCaps &s : caps.sizes) {
    Json o = Json::object();
    o.set("id", s.item.id);
    if (!s.name.empty()) o.set("name", s.name);
    o.set("stringId", s.item.attr1);
    o.set("attr2", s.item.attr2);
    o.set("printable", s.printable);
    o.set("paperStatus", s.paperStatus);
    if (s.hasPaper()) {
      o.set("width", s.width);
      o.set("height", s.height);
    }
    o.set("normal", AreaJson(s.normal, &s));
    o.set("fullLength", AreaJson(s.fullLength, &s));
    o.set("computedAreaStatus", s.computedStatus);
    sizes.push(std::move(o));
  }
  Json sizeList = Json::object();
  sizeList.set("key", kSizeList);
  sizeList.set("slot", ChosenSlot(kSizeList));
  sizeList.set("status", caps.sizesStatus);
  sizeList.set("printableKey", kPrintableList);
  sizeList.set("printableStatus", caps.printableStatus);
  sizeList.set("items", std::move(sizes));
  j.set("paperSizes", std::move(sizeList));

  if (caps.userDefined.asked) {
    const UserDefinedCaps &u = caps.userDefined;
    Json o = Json::object();
    o.set("id", u.sizeId);
    o.set("areaKey", kComputedAreaKey);
    o.set("askedWithSize", u.probeSize);
    o.set("width", u.probeWidth);
    o.set("height", u.probeHeight);
    PaperSizeCaps probe;
    probe.width = u.probeWidth;
    probe.height = u.probeHeight;
    o.set("normal", AreaJson(u.normal, &probe));
    o.set("fullLength", AreaJson(u.fullLength, &probe));
    j.set("userDefinedSize", std::move(o));
  }

  Json inks = Json::array();
  for (const InkCaps &i : caps.inks) {
    Json io = ItemJson(i.item);
    io.set("mediaStatus", i.mediaStatus);
    Json media = Json::array();
    for (const MediaCaps &m : i.media) {
      Json mo = ItemJson(m.item);
      mo.set("stringId", m.item.attr1);
      mo.set("sources", ListJson(m.sources));
      mo.set("qualitiesStatus", m.qualitiesStatus);
      Json qualities = Json::array();
      for (const QualityCaps &q : m.qualities) {
        Json qo = ItemJson(q.item);
        qo.set("attr1", q.item.attr1);
        qo.set("attr2", q.item.attr2);
        if (q.resolutionStatus == M4K7DB_OK)
          qo.set("resolution", Json::arrayOf(std::vector<int32_t>{q.resolutionX, q.resolutionY}));
        qo.set("modesStatus", q.modesStatus);
        Json modes = Json::array();
        for (const PrintModeValue &v : q.modes) {
          Json vo = ItemJson(v.item);
          vo.set("printMode", v.hasRecord());
          modes.push(std::move(vo));
        }
        qo.set("modes", std::move(modes));
        qualities.push(std::move(qo));
      }
      mo.set("qualities", std::move(qualities));
      media.push(std::move(mo));
    }
    io.set("media", std::move(media));
    inks.push(std::move(io));
  }
  Json inkList = Json::object();
  inkList.set("key", kInkList);
  inkList.set("slot", ChosenSlot(kInkList));
  inkList.set("status", caps.inksStatus);
  inkList.set("items", std::move(inks));
  j.set("inks", std::move(inkList));

  j.set("normalMarginMode", caps.normalMarginMode);
  if (caps.askedFullLength) {
    Json full = ListJson(caps.fullLengthSources);
    full.set("marginMode", m4k7::kMarginModeFullPage);
    j.set("fullLengthSources", std::move(full));
  }
  Json defaults = Json::array();
  for (const ListDefault &d : caps.defaults) {
    Json o = Json::object();
    o.set("key", d.key);
    o.set("slot", d.slot);
    o.set("marked", d.marked);
    if (d.marked) {
      o.set("id", d.id);
      o.set("mark", d.mark);
    }
    defaults.push(std::move(o));
  }
  j.set("defaults", std::move(defaults));
  return j;
}

} // namespace m4k7cli
