#include "builder.h"

#include <set>

#include "describe.h"

namespace imagec {

using m4k7::imageview::KeyLabel;

// The builder only records: every check (refs, ranges, duplicate keys) is
// the compiler's, so that one message can name the key it concerns.

NodeRef ImageBuilder::add(ContentNode node) {
  nodes_.push_back(std::move(node));
  return NodeRef{uint32_t(nodes_.size() - 1)};
}

NodeRef ImageBuilder::ints(Key key, std::vector<int64_t> values) {
  return add({.kind = NodeKind::NK_INT32, .key = key, .ints = std::move(values)});
}

NodeRef ImageBuilder::wide(Key key, std::string_view name) {
  return add({.kind = NodeKind::NK_WIDE, .key = key, .bytes = std::string(name)});
}

NodeRef ImageBuilder::bytes(Key key, std::string_view data) {
  return add({.kind = NodeKind::NK_BYTES, .key = key, .bytes = std::string(data)});
}

NodeRef ImageBuilder::computed(Key key, uint16_t computedValueId) {
  return add({.kind = NodeKind::NK_COMPUTED, .key = key, .computedId = computedValueId});
}

NodeRef ImageBuilder::sequence(std::vector<NodeRef> children) {
  return add({.kind = NodeKind::NK_SEQUENCE, .children = std::move(children)});
}

NodeRef ImageBuilder::guard(uint16_t value, std::vector<NodeRef> children) {
  return add({.kind = NodeKind::NK_GUARD, .param = value, .children = std::move(children)});
}

NodeRef ImageBuilder::guarded(uint16_t param, std::vector<NodeRef> members) {
  return add({.kind = NodeKind::NK_GUARDED_SEQUENCE, .param = param, .children = std::move(members)});
}

NodeRef ImageBuilder::select(uint16_t param, std::vector<Case> cases) {
  return add({.kind = NodeKind::NK_SELECT_PARAM, .param = param, .cases = std::move(cases)});
}

NodeRef ImageBuilder::selectMasked(uint16_t param, uint32_t mask, std::vector<Case> cases) {
  return add({.kind = NodeKind::NK_SELECT_MASKED, .param = param, .mask = mask, .cases = std::move(cases)});
}

NodeRef ImageBuilder::selectString(uint16_t param, std::vector<StringCase> cases) {
  return add({.kind = NodeKind::NK_SELECT_STRING, .param = param, .stringCases = std::move(cases)});
}

NodeRef ImageBuilder::selectPrinterData(uint16_t valueNumber, std::vector<Case> cases) {
  return add({.kind = NodeKind::NK_SELECT_PRINTER_DATA, .param = valueNumber, .cases = std::move(cases)});
}

NodeRef ImageBuilder::selectLocale(std::vector<Case> cases) {
  // The only locale source the engine accepts.
  return add({.kind = NodeKind::NK_SELECT_LOCALE, .param = m4k7::kLocaleSource, .cases = std::move(cases)});
}

NodeRef ImageBuilder::raw(uint32_t word0, uint32_t word1) {
  return add({.raw = true, .rawWord0 = word0, .rawWord1 = word1});
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

std::vector<std::pair<NodeRef, std::string>> ImageBuilder::rootOrder() const {
  std::map<Key, NodeRef> first;
  for (const auto &[key, root] : keys_) first.emplace(key, root);
  std::vector<std::pair<NodeRef, std::string>> order;
  std::set<uint32_t> placed;
  auto add = [&](NodeRef root, std::string label) {
    if (placed.insert(root.id).second) order.emplace_back(root, std::move(label));
  };
  auto driver = [](Key key) { return key >= 0x1000 && key <= 0x5FFF; };
  for (const auto &[key, root] : first)
    if (driver(key)) add(root, KeyLabel(key) + ": ");
  for (size_t i = 0; i < hung_.size(); ++i) add(hung_[i], "hung node " + std::to_string(i + 1) + ": ");
  for (const auto &[key, root] : first)
    if (!driver(key)) add(root, KeyLabel(key) + ": ");
  return order;
}

void ImageBuilder::groupedList(Key key, std::vector<NodeRef> entries) {
  groupedLists_.emplace_back(key, std::move(entries));
}

void ImageBuilder::itemList(uint16_t listId, std::vector<std::pair<uint16_t, int32_t>> items) {
  itemLists_.emplace_back(listId, std::move(items));
}

void ImageBuilder::printModeRow(const PrintModeRowSource &row) { printModeRows_.push_back(row); }

} // namespace imagec
