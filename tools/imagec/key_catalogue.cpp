#include "key_catalogue.h"

#include <algorithm>
#include <map>
#include <sstream>

#include "describe.h"
#include "emit.h"

namespace imagec {

namespace {

using m4k7::imageview::KeyLabel;

// The slots a lookup of one key may read, and the kinds of the leaves it may
// answer with, from the content graph: walked as the engine walks, a list
// stops after a member that always answers the key, a select may take any
// of its cases, and a leaf of another key is passed over. So a key that
// shares a tree names the slots read before its answer, not every slot of
// the tree.
class KeyWalk {
public:
  KeyWalk(const ImageBuilder &b, Key key) : b_(b), key_(key), answers_(b.nodes().size(), kUnknown) {}

  // Whether the node answers the key whatever the request holds.
  bool walk(NodeRef ref) {
    if (ref.id >= answers_.size()) return false;
    if (answers_[ref.id] != kUnknown) return answers_[ref.id] == kYes;
    const ContentNode &n = b_.node(ref);
    if (n.raw) return false;
    bool always = false;
    const uint32_t width = m4k7::valueWidthOf(n.kind);
    switch (m4k7::nodeOperandOf(n.kind)) {
    case m4k7::NodeOperand::None:
    case m4k7::NodeOperand::Slice: // the leaves: content holds no mask
      always = n.key == key_;
      if (always && n.kind == NodeKind::NK_COMPUTED)
        addOnce(kinds_, "computed " + m4k7::imageview::ComputedName(n.computedId));
      else if (always)
        addOnce(kinds_, width == 4 ? "integers" : width == 2 ? "name" : "bytes");
      break;
    case m4k7::NodeOperand::Children:
      for (NodeRef child : n.children)
        if ((always = walk(child))) break;
      break;
    case m4k7::NodeOperand::Members:
      for (NodeRef child : n.children) {
        if (b_.node(child).raw || b_.node(child).kind != NodeKind::NK_GUARD) {
          if ((always = walk(child))) break;
          continue;
        }
        addOnce(slots_, "I[" + std::to_string(n.param) + "]"); // a guard answers only when it holds
        walk(child);
      }
      break;
    case m4k7::NodeOperand::StringCases:
      addOnce(slots_, "S[" + std::to_string(n.param) + "]");
      always = !n.stringCases.empty();
      for (const StringCase &c : n.stringCases) always = walk(c.target) && always;
      always = always && n.stringCases.back().isDefault;
      break;
    default: { // the integer, masked, printer-data and locale selects
      std::ostringstream slot;
      if (n.kind == NodeKind::NK_SELECT_PRINTER_DATA)
        slot << "printer data " << n.param;
      else if (n.kind == NodeKind::NK_SELECT_LOCALE)
        slot << "locale";
      else
        slot << "I[" << n.param << "]";
      if (n.kind == NodeKind::NK_SELECT_MASKED) slot << "&0x" << std::uppercase << std::hex << n.mask;
      addOnce(slots_, slot.str());
      bool hasDefault = false, all = true;
      for (const Case &c : n.cases) {
        hasDefault = hasDefault || c.type == Case::Type::Default;
        all = walk(c.target) && all;
      }
      always = hasDefault && all;
    }
    }
    answers_[ref.id] = always ? kYes : kNo;
    return always;
  }

  std::string slots() const { return m4k7::imageview::Join(slots_, " "); }
  std::string answer() const { return m4k7::imageview::Join(kinds_, " or "); }

private:
  enum : uint8_t { kUnknown, kNo, kYes };

  static void addOnce(std::vector<std::string> &list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
  }

  const ImageBuilder &b_;
  Key key_;
  std::vector<uint8_t> answers_; // per content node: not walked yet, or whether it always answers
  std::vector<std::string> slots_, kinds_;
};

} // namespace

bool BuildKeyCatalogue(const ImageBuilder &b, KeyCatalogueTables *out, std::string *error) {
  std::map<Key, std::vector<NodeRef>> roots;
  for (const auto &[key, root] : b.keys()) roots[key].push_back(root);
  // Node 0 walks the roots as the compiler lays them out.
  if (b.hasAllRootsKey())
    for (const auto &root : b.rootOrder()) roots[b.allRootsKey()].push_back(root.first);
  // The table's texts live in out->text, which never moves what it holds.
  auto keep = [&](std::string text) { return out->text.emplace_back(std::move(text)).c_str(); };
  std::string problems;
  for (const auto &[key, list] : roots) {
    auto name = b.keyNames().find(key);
    if (name == b.keyNames().end() || name->second.empty())
      problems += KeyLabel(key) + ": no name: say what it answers where the content declares it\n";
    if (b.codeKeyNames().count(key))
      problems += KeyLabel(key) + ": named as answered by code, but it is in the key index\n";
    if (name == b.keyNames().end()) continue;
    KeyWalk walk(b, key);
    for (NodeRef root : list)
      if (walk.walk(root)) break;
    out->keys.push_back({key, keep(name->second), keep(walk.slots()), keep(walk.answer()), true});
  }
  for (const auto &[key, named] : b.codeKeyNames())
    if (!roots.count(key)) out->keys.push_back({key, keep(named.first), "", keep(named.second), false});
  std::sort(out->keys.begin(), out->keys.end(), [](const auto &x, const auto &y) { return x.key < y.key; });
  for (const auto &[slotValue, name] : b.valueNames())
    out->values.push_back({slotValue.first, slotValue.second, keep(name)});
  if (!problems.empty()) {
    problems.pop_back();
    if (error) *error = problems;
    return false;
  }
  return true;
}

std::string EmitKeyCatalogueSource(const KeyCatalogueTables &c) {
  std::ostringstream out;
  out << "// Generated by m4k7-imagec from src/image/content/*.cpp; do not edit.\n"
         "// Rebuild: cmake --build --preset default --target image\n"
         "// The tools' key names: "
      << c.keys.size() << " keys, " << c.values.size()
      << " value names. The module does not link this table.\n"
         "#include \"key_info.h\"\n\n"
         "namespace {\n\n"
         "using m4k7::imageview::KeyInfo;\n"
         "using m4k7::imageview::ValueName;\n\n"
         "constexpr KeyInfo kKeys[] = {\n";
  for (const auto &k : c.keys)
    out << "    {" << k.key << ", " << CLiteral(k.name) << ", " << CLiteral(k.slots) << ", "
        << CLiteral(k.answer) << ", " << (k.inIndex ? "true" : "false") << "},\n";
  if (c.keys.empty()) out << "    {},\n";
  out << "};\n\nconstexpr ValueName kValues[] = {\n";
  for (const auto &v : c.values)
    out << "    {" << v.slot << ", " << v.value << ", " << CLiteral(v.name) << "},\n";
  if (c.values.empty()) out << "    {},\n";
  out << "};\n\n"
         "constexpr m4k7::imageview::KeyCatalogue kCatalogue = {kKeys, "
      << c.keys.size() << ", kValues, " << c.values.size()
      << "};\n\n"
         "} // namespace\n\n"
         "const m4k7::imageview::KeyCatalogue &m4k7::imageview::CompiledKeyCatalogue() { return kCatalogue; "
         "}\n";
  return out.str();
}

} // namespace imagec
