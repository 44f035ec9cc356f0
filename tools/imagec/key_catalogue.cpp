#include "key_catalogue.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "describe.h"

namespace imagec {

namespace {

using T = ContentNode::Type;
using m4k7::imageview::KeyLabel;

// The slots and leaf kinds of one key, from the content graph: only the
// selectors on a path to one of the key's own leaves count, so a key that
// shares a tree names the slots that choose its answer, not every slot of
// the tree.
class KeyPaths {
public:
  KeyPaths(const ImageBuilder &b, Key key) : b_(b), key_(key), leads_(b.nodes().size(), kUnknown) {}

  void walk(NodeRef ref) {
    if (!leads(ref) || !seen_.insert(ref.id).second) return;
    const ContentNode &n = b_.node(ref);
    switch (n.type) {
    case T::Ints: addAnswer("integers"); return;
    case T::Wide: addAnswer("name"); return;
    case T::Bytes: addAnswer("bytes"); return;
    case T::Computed: addAnswer("computed " + m4k7::imageview::ComputedName(n.computedId)); return;
    case T::Select: addSlot("I[" + std::to_string(n.param) + "]"); break;
    case T::SelectMasked: {
      std::ostringstream mask;
      mask << "I[" << n.param << "]&0x" << std::uppercase << std::hex << n.mask;
      addSlot(mask.str());
      break;
    }
    case T::SelectString: addSlot("S[" + std::to_string(n.param) + "]"); break;
    case T::SelectPrinterData: addSlot("printer data " + std::to_string(n.param)); break;
    case T::SelectLocale: addSlot("locale"); break;
    default: break;
    }
    for (NodeRef child : n.children) {
      // A guarded sequence reads its slot only for the guards it tries.
      if (n.type == T::Guarded && leads(child) && b_.node(child).type == T::Guard)
        addSlot("I[" + std::to_string(n.param) + "]");
      walk(child);
    }
    for (const Case &c : n.cases) walk(c.target);
    for (const StringCase &c : n.stringCases) walk(c.target);
  }

  std::string slots() const { return join(slots_, " "); }
  std::string answer() const { return join(answers_, " or "); }

private:
  enum : uint8_t { kUnknown, kNo, kYes };

  // Whether the node has a leaf of this key at or below it.
  bool leads(NodeRef ref) {
    if (ref.id >= leads_.size()) return false;
    uint8_t &state = leads_[ref.id];
    if (state != kUnknown) return state == kYes;
    state = kNo; // the content graph is acyclic, so this is never read early
    const ContentNode &n = b_.node(ref);
    bool any = false;
    switch (n.type) {
    case T::Ints:
    case T::Wide:
    case T::Bytes:
    case T::Computed: any = n.key == key_; break;
    default:
      for (NodeRef c : n.children) any = leads(c) || any;
      for (const Case &c : n.cases) any = leads(c.target) || any;
      for (const StringCase &c : n.stringCases) any = leads(c.target) || any;
    }
    state = any ? kYes : kNo;
    return any;
  }

  static void addOnce(std::vector<std::string> &list, std::string item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(std::move(item));
  }
  void addSlot(std::string slot) { addOnce(slots_, std::move(slot)); }
  void addAnswer(std::string answer) { addOnce(answers_, std::move(answer)); }
  static std::string join(const std::vector<std::string> &list, const char *separator) {
    std::string out;
    for (const std::string &item : list) out += (out.empty() ? "" : separator) + item;
    return out;
  }

  const ImageBuilder &b_;
  Key key_;
  std::vector<uint8_t> leads_;
  std::set<uint32_t> seen_;
  std::vector<std::string> slots_, answers_;
};

std::string Literal(const std::string &text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

} // namespace

bool BuildKeyCatalogue(const ImageBuilder &b, KeyCatalogueTables *out, std::string *error) {
  std::map<Key, std::vector<NodeRef>> roots;
  for (const auto &[key, root] : b.keys()) roots[key].push_back(root);
  if (b.hasAllRootsKey()) {
    std::vector<NodeRef> &all = roots[b.allRootsKey()];
    for (const auto &[key, root] : b.keys()) all.push_back(root);
    all.insert(all.end(), b.hung().begin(), b.hung().end());
  }
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
    KeyPaths paths(b, key);
    for (NodeRef root : list) paths.walk(root);
    out->keys.push_back({key, keep(name->second), keep(paths.slots()), keep(paths.answer()), true});
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
    out << "    {" << k.key << ", " << Literal(k.name) << ", " << Literal(k.slots) << ", "
        << Literal(k.answer) << ", " << (k.inIndex ? "true" : "false") << "},\n";
  if (c.keys.empty()) out << "    {},\n";
  out << "};\n\nconstexpr ValueName kValues[] = {\n";
  for (const auto &v : c.values)
    out << "    {" << v.slot << ", " << v.value << ", " << Literal(v.name) << "},\n";
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
