#include "builder.h"

namespace imagec {

namespace {

ContentNode Make(ContentNode::Type type) {
  ContentNode n;
  n.type = type;
  return n;
}

} // namespace

// The builder only records: every check (refs, ranges, duplicate keys) is
// the compiler's, so that one message can name the key it concerns.

NodeRef ImageBuilder::add(ContentNode node) {
  nodes_.push_back(std::move(node));
  return NodeRef{uint32_t(nodes_.size() - 1)};
}

NodeRef ImageBuilder::ints(Key key, std::vector<int64_t> values) {
  ContentNode n = Make(ContentNode::Type::Ints);
  n.key = key;
  n.ints = std::move(values);
  return add(std::move(n));
}

NodeRef ImageBuilder::wide(Key key, std::string_view name) {
  ContentNode n = Make(ContentNode::Type::Wide);
  n.key = key;
  n.bytes = std::string(name);
  return add(std::move(n));
}

NodeRef ImageBuilder::bytes(Key key, std::string_view data) {
  ContentNode n = Make(ContentNode::Type::Bytes);
  n.key = key;
  n.bytes = std::string(data);
  return add(std::move(n));
}

NodeRef ImageBuilder::computed(Key key, uint16_t computedValueId) {
  ContentNode n = Make(ContentNode::Type::Computed);
  n.key = key;
  n.computedId = computedValueId;
  return add(std::move(n));
}

NodeRef ImageBuilder::sequence(std::vector<NodeRef> children) {
  ContentNode n = Make(ContentNode::Type::Sequence);
  n.children = std::move(children);
  return add(std::move(n));
}

NodeRef ImageBuilder::guard(uint16_t value, std::vector<NodeRef> children) {
  ContentNode n = Make(ContentNode::Type::Guard);
  n.param = value;
  n.children = std::move(children);
  return add(std::move(n));
}

NodeRef ImageBuilder::guarded(uint16_t param, std::vector<NodeRef> members) {
  ContentNode n = Make(ContentNode::Type::Guarded);
  n.param = param;
  n.children = std::move(members);
  return add(std::move(n));
}

NodeRef ImageBuilder::select(uint16_t param, std::vector<Case> cases) {
  ContentNode n = Make(ContentNode::Type::Select);
  n.param = param;
  n.cases = std::move(cases);
  return add(std::move(n));
}

NodeRef ImageBuilder::selectMasked(uint16_t param, uint32_t mask, std::vector<Case> cases) {
  ContentNode n = Make(ContentNode::Type::SelectMasked);
  n.param = param;
  n.mask = mask;
  n.cases = std::move(cases);
  return add(std::move(n));
}

NodeRef ImageBuilder::selectString(uint16_t param, std::vector<StringCase> cases) {
  ContentNode n = Make(ContentNode::Type::SelectString);
  n.param = param;
  n.stringCases = std::move(cases);
  return add(std::move(n));
}

NodeRef ImageBuilder::selectPrinterData(uint16_t valueNumber, std::vector<Case> cases) {
  ContentNode n = Make(ContentNode::Type::SelectPrinterData);
  n.param = valueNumber;
  n.cases = std::move(cases);
  return add(std::move(n));
}

NodeRef ImageBuilder::selectLocale(std::vector<Case> cases) {
  ContentNode n = Make(ContentNode::Type::SelectLocale);
  n.param = 0x500F; // the only locale source the engine accepts
  n.cases = std::move(cases);
  return add(std::move(n));
}

NodeRef ImageBuilder::raw(uint32_t word0, uint32_t word1) {
  ContentNode n = Make(ContentNode::Type::Raw);
  n.rawWord0 = word0;
  n.rawWord1 = word1;
  return add(std::move(n));
}

void ImageBuilder::key(Key key, NodeRef root) { keys_.emplace_back(key, root); }

void ImageBuilder::key(Key key, std::string_view name, NodeRef root) {
  keys_.emplace_back(key, root);
  keyNames_[key] = std::string(name);
}

void ImageBuilder::nameCodeKey(Key key, std::string_view name, std::string_view answer) {
  codeKeyNames_[key] = {std::string(name), std::string(answer)};
}

void ImageBuilder::nameValue(uint16_t slot, int32_t value, std::string_view name) {
  valueNames_[{slot, value}] = std::string(name);
}

void ImageBuilder::hang(NodeRef node) { hung_.push_back(node); }

void ImageBuilder::groupedList(Key key, std::vector<NodeRef> entries) {
  groupedLists_.emplace_back(key, std::move(entries));
}

void ImageBuilder::itemList(uint16_t listId, std::vector<std::pair<uint16_t, int32_t>> items) {
  itemLists_.emplace_back(listId, std::move(items));
}

void ImageBuilder::printModeRow(const PrintModeRowSource &row) { printModeRows_.push_back(row); }

} // namespace imagec
