#include "ipp_attributes.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "engine/driver_slots.h"

namespace m4k7cli {

namespace {

// PWG 5101.1 standard sizes, in 0.01 mm as IPP's media-size gives them.
struct StandardSize {
  const char *name;
  int32_t width, height;
};
constexpr StandardSize kStandardSizes[] = {
    {"iso_a2_420x594mm", 42000, 59400},         {"iso_a3_297x420mm", 29700, 42000},
    {"iso_a4_210x297mm", 21000, 29700},         {"iso_a5_148x210mm", 14800, 21000},
    {"iso_a6_105x148mm", 10500, 14800},         {"iso_b4_250x353mm", 25000, 35300},
    {"iso_b5_176x250mm", 17600, 25000},         {"iso_dl_110x220mm", 11000, 22000},
    {"jis_b3_364x515mm", 36400, 51500},         {"jis_b4_257x364mm", 25700, 36400},
    {"jis_b5_182x257mm", 18200, 25700},         {"jpn_hagaki_100x148mm", 10000, 14800},
    {"na_letter_8.5x11in", 21590, 27940},       {"na_legal_8.5x14in", 21590, 35560},
    {"na_ledger_11x17in", 27940, 43180},        {"na_c_17x22in", 43180, 55880},
    {"na_super-b_13x19in", 33020, 48260},       {"na_index-4x6_4x6in", 10160, 15240},
    {"na_executive_7.25x10.5in", 18415, 26670},
};

constexpr int kDraft = 3, kNormal = 4, kHigh = 5;

// A length in 0.01 mm as millimetres ("228.6") or, with unit 254, as
// inches when it is whole tenths of an inch ("13.3").
std::string Decimal(int32_t value, int32_t unit) {
  std::string text;
  if (unit == 254) {
    const int32_t tenths = value / 254;
    text = std::to_string(tenths / 10);
    if (tenths % 10) text += "." + std::to_string(tenths % 10);
    return text;
  }
  text = std::to_string(value / 100);
  if (int32_t rest = value % 100) {
    std::string fraction = (rest < 10 ? "0" : "") + std::to_string(rest);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    text += "." + fraction;
  }
  return text;
}

std::string Lowered(const std::string &name) {
  std::string out;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z')
      out += char(c - 'A' + 'a');
    else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
      out += c;
    else if (!out.empty() && out.back() != '-')
      out += '-';
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out;
}

struct Writer {
  std::string text;
  void line(const std::string &l) { text += l + "\n"; }
  void keywords(const char *name, const std::vector<std::string> &values) {
    std::string joined;
    for (const std::string &v : values) joined += (joined.empty() ? "" : ",") + v;
    line(std::string("ATTR keyword ") + name + " " + joined);
  }
};

// One media-col value: size, margins and, where given, source and type.
std::string MediaCol(const PaperSizeCaps &s, const SizeArea &a, const std::string &source,
                     const std::string &type, const std::string &indent) {
  const std::string in = indent + "\t";
  std::string t = "{\n";
  t += in + "MEMBER collection media-size {\n";
  t += in + "\tMEMBER integer x-dimension " + std::to_string(s.width) + "\n";
  t += in + "\tMEMBER integer y-dimension " + std::to_string(s.height) + "\n";
  t += in + "}\n";
  t += in + "MEMBER keyword media-size-name " + PwgMediaName(s.item.id, s.name, s.width, s.height) + "\n";
  t += in + "MEMBER integer media-top-margin " + std::to_string(a.top) + "\n";
  t += in + "MEMBER integer media-bottom-margin " + std::to_string(s.bottom(a)) + "\n";
  t += in + "MEMBER integer media-left-margin " + std::to_string(a.left) + "\n";
  t += in + "MEMBER integer media-right-margin " + std::to_string(s.right(a)) + "\n";
  if (!source.empty()) t += in + "MEMBER keyword media-source " + source + "\n";
  if (!type.empty()) t += in + "MEMBER keyword media-type " + type + "\n";
  return t + indent + "}";
}

} // namespace

std::string PwgMediaName(int32_t id, const std::string &name, int32_t width, int32_t height) {
  for (const StandardSize &s : kStandardSizes)
    if (s.width == width && s.height == height) return s.name;
  const std::string self = name.empty() ? "size-" + std::to_string(id) : Lowered(name);
  if (width % 254 == 0 && height % 254 == 0)
    return "custom_" + self + "_" + Decimal(width, 254) + "x" + Decimal(height, 254) + "in";
  return "custom_" + self + "_" + Decimal(width, 100) + "x" + Decimal(height, 100) + "mm";
}

std::string MediaTypeKeyword(int32_t code) {
  if (code == 1) return "stationery";
  if (code == 2) return "transparency";
  return "m4k7-media-" + std::to_string(code);
}

std::string MediaSourceKeyword(int32_t code) { return "m4k7-source-" + std::to_string(code); }

int IppQuality(const Capabilities &caps, int32_t qualityId) {
  int32_t best = 0, lowest = 0, highest = 0;
  for (const InkCaps &i : caps.inks)
    for (const MediaCaps &m : i.media)
      for (const QualityCaps &q : m.qualities) {
        if (q.resolutionStatus != M4K7DB_OK) continue;
        const int32_t r = std::min(q.resolutionX, q.resolutionY);
        lowest = lowest ? std::min(lowest, r) : r;
        highest = std::max(highest, r);
        if (q.item.id == qualityId) best = std::max(best, r);
      }
  if (!best) return 0;
  return best == highest ? kHigh : best == lowest ? kDraft : kNormal;
}

const PaperSizeCaps *DefaultMediaSize(const Capabilities &caps, int32_t requestedSize) {
  auto offered = [](const PaperSizeCaps &s) { return s.printable && s.hasPaper() && s.normal.known(); };
  for (const PaperSizeCaps &s : caps.sizes)
    if (s.item.id == requestedSize && offered(s)) return &s;
  for (const PaperSizeCaps &s : caps.sizes)
    if (offered(s)) return &s;
  return nullptr;
}

std::string IppAttributes(const Capabilities &caps, int32_t requestedSize) {
  Writer w;
  w.line("# The M4K7's capabilities as IPP printer attributes, from the printer database" +
         (caps.versionStatus == M4K7DB_OK ? " " + caps.version : std::string()) + ".");
  w.line("# Written by m4k7db capabilities --format ipp; request: " + caps.request);
  w.line("ATTR textWithoutLanguage printer-make-and-model \"M4K7" +
         (caps.versionStatus == M4K7DB_OK ? " (printer database " + caps.version + ")" : std::string()) +
         "\"");

  // Sizes: the printable ones with paper dimensions and a known area.
  std::vector<const PaperSizeCaps *> sizes;
  for (const PaperSizeCaps &s : caps.sizes)
    if (s.printable && s.hasPaper() && s.normal.known()) sizes.push_back(&s);
  std::vector<std::string> names;
  for (const PaperSizeCaps *s : sizes)
    names.push_back(PwgMediaName(s->item.id, s->name, s->width, s->height));
  w.keywords("media-supported", names);
  const PaperSizeCaps *defaultSize = DefaultMediaSize(caps, requestedSize);
  if (defaultSize) {
    const std::string name =
        PwgMediaName(defaultSize->item.id, defaultSize->name, defaultSize->width, defaultSize->height);
    w.keywords("media-ready", {name});
    w.keywords("media-default", {name});
  }

  // Every size in the normal mode, then in the full-length mode once per
  // source that mode allows.
  std::vector<std::string> entries;
  for (const PaperSizeCaps *s : sizes) entries.push_back(MediaCol(*s, s->normal, "", "", "\t"));
  if (caps.askedFullLength && caps.fullLengthSources.status == M4K7DB_OK)
    for (const ListItemView &source : caps.fullLengthSources.items)
      for (const PaperSizeCaps *s : sizes)
        if (s->fullLength.known())
          entries.push_back(MediaCol(*s, s->fullLength, MediaSourceKeyword(source.id), "", "\t"));
  std::string database = "ATTR collection media-col-database ";
  for (size_t i = 0; i < entries.size(); ++i) database += (i ? "," : "") + entries[i];
  if (!entries.empty()) w.line(database);

  // Sources, media types and qualities: every one some ink count and media offer.
  std::set<int32_t> sourceSet, qualitySet;
  std::vector<int32_t> sources, media, qualities;
  std::set<int32_t> mediaSet;
  std::set<std::pair<int32_t, int32_t>> resolutions;
  for (const InkCaps &i : caps.inks)
    for (const MediaCaps &m : i.media) {
      if (mediaSet.insert(m.item.id).second) media.push_back(m.item.id);
      for (const ListItemView &s : m.sources.items)
        if (sourceSet.insert(s.id).second) sources.push_back(s.id);
      for (const QualityCaps &q : m.qualities) {
        if (int v = IppQuality(caps, q.item.id)) qualitySet.insert(v);
        if (q.resolutionStatus == M4K7DB_OK) resolutions.insert({q.resolutionX, q.resolutionY});
      }
    }
  std::vector<std::string> words;
  for (int32_t s : sources) words.push_back(MediaSourceKeyword(s));
  if (!words.empty()) w.keywords("media-source-supported", words);
  words.clear();
  for (int32_t m : media) words.push_back(MediaTypeKeyword(m));
  if (!words.empty()) w.keywords("media-type-supported", words);
  std::string list;
  for (int v : qualitySet) list += (list.empty() ? "" : ",") + std::to_string(v);
  if (!list.empty()) w.line("ATTR enum print-quality-supported " + list);
  list.clear();
  auto resolution = [](int32_t x, int32_t y) {
    return x == y ? std::to_string(x) + "dpi" : std::to_string(x) + "x" + std::to_string(y) + "dpi";
  };
  for (const auto &[x, y] : resolutions) list += (list.empty() ? "" : ",") + resolution(x, y);
  if (!list.empty()) w.line("ATTR resolution printer-resolution-supported " + list);

  // Defaults: the lists' marked items.
  const ListDefault *source = caps.defaultFor(ChosenSlot(4114)), *type = caps.defaultFor(ChosenSlot(4110)),
                    *quality = caps.defaultFor(ChosenSlot(4118));
  std::string sourceWord, typeWord;
  // IPP has no media-source-default or media-type-default: the marked
  // source and media type go into media-col-default.
  if (source && source->marked) sourceWord = MediaSourceKeyword(source->id);
  if (type && type->marked) typeWord = MediaTypeKeyword(type->id);
  if (quality && quality->marked) {
    if (int v = IppQuality(caps, quality->id)) w.line("ATTR enum print-quality-default " + std::to_string(v));
    const ListDefault *ink = caps.defaultFor(ChosenSlot(4108));
    for (const InkCaps &i : caps.inks)
      for (const MediaCaps &m : i.media)
        for (const QualityCaps &q : m.qualities)
          if (ink && i.item.id == ink->id && type && m.item.id == type->id && q.item.id == quality->id &&
              q.resolutionStatus == M4K7DB_OK)
            w.line("ATTR resolution printer-resolution-default " + resolution(q.resolutionX, q.resolutionY));
  }
  if (defaultSize)
    w.line("ATTR collection media-col-default " +
           MediaCol(*defaultSize, defaultSize->normal, sourceWord, typeWord, ""));
  return w.text;
}

} // namespace m4k7cli
