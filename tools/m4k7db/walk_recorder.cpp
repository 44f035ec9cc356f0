#include "walk_recorder.h"

#include <ostream>

#include "decode.h"
#include "engine/walk.h"
#include "node_view.h"
#include "request.h"
#include "text.h"

namespace m4k7cli {

using m4k7::DbNode;
using m4k7::ImageDescriptor;
using m4k7::LeafDescriptor;
using m4k7::ValueSource;

namespace {

std::string nodeRef(uint32_t index) { return "node " + std::to_string(index); }

// The tree being built; the stack holds the nodes entered and not yet left.
struct Recording {
  Recording(const ImageDescriptor &i, const AccessRequest *r) : image(i), request(r) {}
  const ImageDescriptor &image;
  const AccessRequest *request;
  TraceNode top; // its one child is the walk's start node
  std::vector<TraceNode *> stack{&top};
  int64_t valueNameFor = -1; // the number whose name the next node's walk finds
  std::string valueName;     // the last name a key-8 walk found
  TraceNode &current() const { return *stack.back(); }
};

struct Recorder : m4k7::NoObserver {
  Recording *r;

  void Entered(uint32_t index, uint32_t word0, uint32_t word1) const {
    TraceNode &parent = r->current();
    parent.children.emplace_back();
    TraceNode &node = parent.children.back();
    node.index = index;
    node.word0 = word0;
    node.word1 = word1;
    node.what = m4k7::imageview::DescribeNode(r->image, DbNode{word0, word1}).text;
    if (r->valueNameFor >= 0) {
      node.what = "value name: key 8 with I[0] = " + std::to_string(r->valueNameFor) + ": " + node.what;
      node.valueName = true;
      r->valueNameFor = -1;
    }
    r->stack.push_back(&node);
  }
  void Left(AccessStatus status) const {
    r->current().result = status;
    r->stack.pop_back();
  }
  void Leaf(bool answers) const {
    TraceNode &node = r->current();
    node.answers = answers;
    node.otherKey = !answers;
    node.notes.push_back(answers ? "answers the key" : "another key's leaf: skipped");
    // Key 8's answer: the name of the printer-data value a select reads.
    const uint32_t offset = m4k7::operandOf(node.word0), size = m4k7::countOf(node.word1);
    if (answers && m4k7::kindOf(node.word0) == m4k7::NodeKind::NK_WIDE && r->image.bytePool &&
        uint64_t(offset) + size <= r->image.byteSize) {
      const char *text = reinterpret_cast<const char *>(r->image.bytePool + offset);
      r->valueName.assign(text, size);
      r->valueName.resize(r->valueName.find('\0') == std::string::npos ? size : r->valueName.find('\0'));
    }
  }
  void Compared(ValueSource source, uint16_t selector, uint32_t read, uint32_t value) const {
    static const char *const kSources[] = {" (parameter)", " (printer data)", " (locale)"};
    std::string note = source == ValueSource::Parameter ? "I[" + std::to_string(selector) + "]"
                       : source == ValueSource::PrinterData
                           ? r->valueName + " (value " + std::to_string(selector) + ")"
                           : std::string("the locale's country code");
    note += " = " + std::to_string(int32_t(read));
    if (value != read) note += ", masked: " + std::to_string(int32_t(value)) + " (" + Hex32(value) + ")";
    r->current().notes.push_back(note + kSources[int(source)]);
  }
  void ComparedText(uint16_t slot, const char *text) const {
    const std::string note = "S[" + std::to_string(slot) + "] = " + QuoteBytes(text) + " (parameter)";
    std::vector<std::string> &notes = r->current().notes;
    if (notes.empty() || notes.back() != note) notes.push_back(note);
  }
  void Case(uint32_t entry, bool matched) const {
    if (!matched) return;
    std::string text;
    const DbNode e = r->image.nodes[entry];
    m4k7::imageview::DescribeEntry(r->image, e, &text);
    r->current().notes.push_back(text + " matched (" + nodeRef(entry) + ") -> " +
                                 nodeRef(m4k7::operandOf(e)));
  }
  void Guard(uint32_t index, uint16_t slot, int32_t value, bool passed) const {
    TraceNode &node = r->current();
    const std::string note = "I[" + std::to_string(slot) + "] = " + std::to_string(value) + " (parameter)";
    if (node.notes.empty()) node.notes.push_back(note);
    if (passed) return;
    node.children.emplace_back();
    TraceNode &skipped = node.children.back();
    skipped.index = index;
    skipped.word0 = r->image.nodes[index].word0;
    skipped.word1 = r->image.nodes[index].word1;
    skipped.what = "GUARD =" + std::to_string(m4k7::fieldOf(skipped.word1)) + ": I[" + std::to_string(slot) +
                   "] differs, skipped";
    skipped.notWalked = true;
    skipped.result = M4K7DB_NOT_FOUND;
  }
  void ValueName(int32_t number) const { r->valueNameFor = number; }
  void DefaultForMissingValue() const {
    r->current().notes.push_back(
        "the printer has no such value: the default, the select's last case, decides");
  }
  void Stopped(m4k7::WalkStop stop, AccessStatus status) const {
    std::string note = m4k7::WalkStopText(stop);
    // A missing slot: which one, and how many the request has.
    const AccessRequest *request = r->request;
    const std::string slot = std::to_string(m4k7::fieldOf(r->current().word1));
    if (stop == m4k7::WalkStop::MissingInt)
      note = "needs I[" + slot + "], the request has " +
             std::to_string(request && request->intParams ? request->intParamCount : 0) + " integer slots";
    else if (stop == m4k7::WalkStop::MissingString)
      note = "needs S[" + slot + "], the request has " +
             std::to_string(request && request->stringParams ? request->stringParamCount : 0) +
             " string slots";
    r->current().notes.push_back(note + ": " + StatusText(status));
  }
};

} // namespace

AccessStatus RecordWalk(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                        uint32_t index, TraceNode *root, LeafDescriptor *leaf) {
  Recording recording(image, request);
  const DbNode &start = image.nodes[index];
  const AccessStatus status =
      m4k7::WalkNode(image, key, request, start.word0, start.word1, leaf, index, Recorder{{}, &recording});
  *root = recording.top.children.empty() ? TraceNode{} : std::move(recording.top.children.front());
  return status;
}

AccessStatus RecordLookup(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                          TraceNode *root, LeafDescriptor *leaf, std::vector<std::string> *notes) {
  *root = TraceNode{};
  uint32_t index = 0;
  const AccessStatus found = m4k7::FindKeyStart(image, key, &index);
  if (found == M4K7DB_UNKNOWN_KEY) {
    notes->push_back("key " + HexKey(uint16_t(key)) + " is not among the " + std::to_string(image.keyCount) +
                     " keys of the index: " + StatusText(found));
    return found;
  }
  if (found != M4K7DB_OK) {
    notes->push_back("the key index, or the node it names, is absent or broken: " + StatusText(found));
    return found;
  }
  notes->push_back("key " + HexKey(uint16_t(key)) + " starts at " + nodeRef(index));
  return RecordWalk(image, key, request, index, root, leaf);
}

void WriteTrace(std::ostream &out, const TraceNode &node, int indent, bool brief) {
  std::string pad(size_t(indent), ' ');
  std::string head = node.index == m4k7::kNoNodeIndex ? "" : nodeRef(node.index) + ": ";
  out << pad << head << node.what << '\n';
  std::string notePad(size_t(indent + 4), ' ');
  for (const std::string &note : node.notes) out << notePad << note << '\n';
  size_t quiet = 0;
  for (const TraceNode &c : node.children) {
    if (brief && c.result == M4K7DB_NOT_FOUND && !c.valueName) {
      ++quiet;
      continue;
    }
    WriteTrace(out, c, indent + 2, brief);
  }
  if (quiet)
    out << std::string(size_t(indent + 2), ' ') << "(" << quiet << " other "
        << (quiet == 1 ? "child" : "children") << " gave no answer)\n";
}

Json TraceJson(const TraceNode &node) {
  Json j = Json::object();
  if (node.index != m4k7::kNoNodeIndex) j.set("node", node.index);
  j.set("kind", NodeKindName(uint8_t(node.word0 >> 24)));
  j.set("words", Json::arrayOf(std::vector<std::string>{HexWord(node.word0), HexWord(node.word1)}));
  j.set("what", node.what);
  if (!node.notes.empty()) j.set("notes", Json::arrayOf(node.notes));
  j.set("result", node.result);
  if (node.answers) j.set("answers", true);
  if (node.otherKey) j.set("otherKey", true);
  if (!node.children.empty()) {
    Json children = Json::array();
    for (const TraceNode &c : node.children) children.push(TraceJson(c));
    j.set("children", std::move(children));
  }
  return j;
}

} // namespace m4k7cli
