#include "validate.h"

#include <cstdio>
#include <set>
#include <vector>

namespace imagec {

using m4k7::DbNode;
using m4k7::NodeKind;

namespace {

class Validator {
public:
  explicit Validator(const m4k7::ImageDescriptor &image) : img_(image), state_(image.nodeCount, 0) {}

  bool run(std::string *error);

private:
  enum : uint8_t { kUnseen, kOnPath, kDone };

  bool node(uint32_t index, bool inGuardedList);
  bool list(uint32_t start, uint32_t count, bool guarded);
  bool entries(uint32_t start, uint32_t count, bool strings);
  bool fail(uint32_t index, const char *what) {
    char text[160];
    std::snprintf(text, sizeof text, "key 0x%04X (%u): node %u: %s", unsigned(key_), unsigned(key_),
                  unsigned(index), what);
    error_ = text;
    return false;
  }

  const m4k7::ImageDescriptor &img_;
  std::vector<uint8_t> state_;
  uint16_t key_ = 0;
  std::string error_;
};

bool Validator::list(uint32_t start, uint32_t count, bool guarded) {
  if (count == 0) return true;
  if (start + count > img_.nodeCount) return fail(start, "list runs past the node table");
  for (uint32_t i = 0; i < count; ++i)
    if (!node(start + i, guarded)) return false;
  return true;
}

bool Validator::entries(uint32_t start, uint32_t count, bool strings) {
  if (count == 0) return true;
  if (start + count > img_.nodeCount) return fail(start, "case list runs past the node table");
  for (uint32_t i = 0; i < count; ++i) {
    const DbNode &e = img_.nodes[start + i];
    const NodeKind k = m4k7::kindOf(e);
    const bool allowed =
        k == NodeKind::NK_DEFAULT ||
        (strings ? k == NodeKind::NK_STRING_CASE : k == NodeKind::NK_CASE || k == NodeKind::NK_RANGE_CASE);
    if (!allowed) return fail(start + i, "entry of a kind its select does not accept");
    if (k == NodeKind::NK_RANGE_CASE) {
      const uint32_t j = e.word1;
      if (img_.intPool == nullptr || j + 1 >= img_.intCount)
        return fail(start + i, "range bounds outside IntPool");
      if (img_.intPool[j] > img_.intPool[j + 1]) return fail(start + i, "range bounds reversed");
    }
    if (k == NodeKind::NK_STRING_CASE) {
      const uint32_t s = e.word1;
      if (s >= img_.nodeCount) return fail(start + i, "string case names no node");
      const DbNode &t = img_.nodes[s];
      if (m4k7::kindOf(t) != NodeKind::NK_BYTES || m4k7::fieldOf(t) != 0)
        return fail(start + i, "string case names a node that is not a string");
      if (img_.stringPool == nullptr || m4k7::operandOf(t) + m4k7::countOf(t) > img_.stringSize)
        return fail(s, "string outside StringPool");
    }
    const uint32_t target = m4k7::operandOf(e);
    if (target >= img_.nodeCount) return fail(start + i, "case target is not a node");
    if (!node(target, false)) return false;
  }
  return true;
}

bool Validator::node(uint32_t index, bool inGuardedList) {
  if (index >= img_.nodeCount) return fail(index, "index outside the node table");
  if (state_[index] == kOnPath) return fail(index, "cycle: the node is its own descendant");
  const DbNode &n = img_.nodes[index];
  const NodeKind k = m4k7::kindOf(n);
  if (k == NodeKind::NK_GUARD && !inGuardedList) return fail(index, "guard outside a guarded sequence");
  if (state_[index] == kDone) return true;
  state_[index] = kOnPath;
  const uint32_t op = m4k7::operandOf(n), count = m4k7::countOf(n);
  bool ok = true;
  switch (k) {
  case NodeKind::NK_BYTES:
  case NodeKind::NK_INT8:
  case NodeKind::NK_UINT8:
  case NodeKind::NK_WIDE:
    ok = img_.bytePool != nullptr && op + count <= img_.byteSize ? true
                                                                 : fail(index, "leaf slice outside BytePool");
    break;
  case NodeKind::NK_INT32:
    ok = img_.intPool != nullptr && op + count <= img_.intCount ? true
                                                                : fail(index, "leaf slice outside IntPool");
    break;
  case NodeKind::NK_INT16:
  case NodeKind::NK_UINT16:
    ok = img_.shortPool != nullptr && op + count <= img_.shortCount
             ? true
             : fail(index, "leaf slice outside ShortPool");
    break;
  case NodeKind::NK_COMPUTED: break;
  case NodeKind::NK_SEQUENCE:
  case NodeKind::NK_GUARD: ok = list(op, count, false); break;
  case NodeKind::NK_GUARDED_SEQUENCE: ok = list(op, count, true); break;
  case NodeKind::NK_SELECT_PARAM:
  case NodeKind::NK_SELECT_PRINTER_DATA: ok = entries(op, count, false); break;
  case NodeKind::NK_SELECT_LOCALE:
    ok = m4k7::fieldOf(n) == m4k7::kLocaleSource ? entries(op, count, false)
                                                 : fail(index, "locale select without the locale tag");
    break;
  case NodeKind::NK_SELECT_STRING: ok = entries(op, count, true); break;
  case NodeKind::NK_SELECT_MASKED:
    if (op >= img_.nodeCount || m4k7::kindOf(img_.nodes[op]) != NodeKind::NK_MASK)
      ok = fail(index, "masked select whose operand is not a mask");
    else
      ok = entries(m4k7::operandOf(img_.nodes[op]), count, false);
    break;
  default: ok = fail(index, "node of a kind that cannot be walked here"); break;
  }
  state_[index] = kDone;
  return ok;
}

bool Validator::run(std::string *error) {
  auto done = [&](bool ok) {
    if (!ok) *error = error_;
    return ok;
  };
  if (img_.nodes == nullptr || img_.keys == nullptr || img_.keyNodes == nullptr || img_.keyCount == 0)
    return done(fail(0, "image without nodes or keys"));
  for (uint32_t i = 0; i < img_.keyCount; ++i) {
    key_ = img_.keys[i];
    if (i > 0 && img_.keys[i] <= img_.keys[i - 1])
      return done(fail(img_.keyNodes[i], "key index not sorted or repeated"));
    if (!node(img_.keyNodes[i], false)) return done(false);
  }
  // Every leaf must answer its own key from that key's start node.
  std::set<uint16_t> keys(img_.keys, img_.keys + img_.keyCount);
  for (uint32_t i = 0; i < img_.nodeCount; ++i) {
    const DbNode &n = img_.nodes[i];
    if (state_[i] != kDone) continue; // string nodes and masks are not walked
    const NodeKind k = m4k7::kindOf(n);
    if (m4k7::isLeafKind(k) && keys.count(m4k7::fieldOf(n)) == 0) {
      key_ = m4k7::fieldOf(n);
      return done(fail(i, "leaf of a key that is not in the index"));
    }
  }
  for (uint32_t g = 0; g < img_.groups.groupCount; ++g) {
    const uint32_t start = uint32_t(img_.groups.groupEntryStarts[g]), count = img_.groups.groupEntryCounts[g];
    key_ = img_.groups.groupKeys[g];
    if (start + count > img_.groups.entryCount) return done(fail(0, "grouped list outside its entry table"));
    for (uint32_t e = start; e < start + count; ++e)
      if (img_.groups.entryNodes[e] >= img_.nodeCount)
        return done(fail(img_.groups.entryNodes[e], "entry is not a node"));
  }
  for (uint32_t r = 0; r < img_.printModes.modeRowCount; ++r)
    for (int s = 0; s < 4; ++s)
      if (img_.printModes.modeRows[r].section[s] >= img_.printModes.sectionCounts[s])
        return done(fail(0, "print-mode row names a section record that does not exist"));
  return true;
}

} // namespace

bool ValidateImage(const m4k7::ImageDescriptor &image, std::string *error) {
  Validator v(image);
  return v.run(error);
}

} // namespace imagec
