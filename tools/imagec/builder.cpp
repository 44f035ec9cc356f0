#include "builder.h"

namespace imagec {

using T = ContentNode::Type;

// The builder only records: every check (refs, ranges, duplicate keys) is
// the compiler's, so that one message can name the key it concerns.

NodeRef ImageBuilder::add(ContentNode node) {
  nodes_.push_back(std::move(node));
  return NodeRef{uint32_t(nodes_.size() - 1)};
}

NodeRef ImageBuilder::ints(Key key, std::vector<int64_t> values) {
  return add({.type = T::Ints, .key = key, .ints = std::move(values)});
}

NodeRef ImageBuilder::wide(Key key, std::string_view name) {
  return add({.type = T::Wide, .key = key, .bytes = std::string(name)});
}

NodeRef ImageBuilder::bytes(Key key, std::string_view data) {
  return add({.type = T::Bytes, .key = key, .bytes = std::string(data)});
}

NodeRef ImageBuilder::computed(Key key, uint16_t computedValueId) {
  return add({.type = T::Computed, .key = key, .computedId = computedValueId});
}

NodeRef ImageBuilder::sequence(std::vector<NodeRef> children) {
  return add({.type = T::Sequence, .children = std::move(children)});
}

NodeRef ImageBuilder::guard(uint16_t value, std::vector<NodeRef> children) {
  return add({.type = T::Guard, .param = value, .children = std::move(children)});
}

NodeRef ImageBuilder::guarded(uint16_t param, std::vector<NodeRef> members) {
  return add({.type = T::Guarded, .param = param, .children = std::move(members)});
}

NodeRef ImageBuilder::select(uint16_t param, std::vector<Case> cases) {
  return add({.type = T::Select, .param = param, .cases = std::move(cases)});
}

NodeRef ImageBuilder::selectMasked(uint16_t param, uint32_t mask, std::vector<Case> cases) {
  return add({.type = T::SelectMasked, .param = param, .mask = mask, .cases = std::move(cases)});
}

NodeRef ImageBuilder::selectString(uint16_t param, std::vector<StringCase> cases) {
  return add({.type = T::SelectString, .param = param, .stringCases = std::move(cases)});
}

NodeRef ImageBuilder::selectPrinterData(uint16_t valueNumber, std::vector<Case> cases) {
  return add({.type = T::SelectPrinterData, .param = valueNumber, .cases = std::move(cases)});
}

NodeRef ImageBuilder::selectLocale(std::vector<Case> cases) {
  // The only locale source the engine accepts.
  return add({.type = T::SelectLocale, .param = m4k7::kLocaleSource, .cases = std::move(cases)});
}

NodeRef ImageBuilder::raw(uint32_t word0, uint32_t word1) {
  return add({.type = T::Raw, .rawWord0 = word0, .rawWord1 = word1});
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
