#include "print_mode_agreement.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#include "describe.h"
#include "drvlists/drvlists.h"
#include "drvlists/grouped_entries.h"
#include "drvlists/list_keys.h"
#include "engine/engine.h"
#include "node_view.h"

namespace imagec {

namespace {

using namespace std::string_view_literals;

constexpr uint16_t kPageSetupKey = 4121;

// ESC ( c with 3 data bytes, ESC ( d with two big-endian resolutions,
// ESC ( t with 3 data bytes.
constexpr size_t kCommandSize = 25;
constexpr std::string_view kEscC = "\x1B(c\x03\x00"sv;
constexpr std::string_view kEscD = "\x1B(d\x04\x00"sv;
constexpr std::string_view kEscT = "\x1B(t\x03\x00"sv;

// Where the data of ESC ( c, ESC ( d and ESC ( t start in the command.
size_t DataStart(char command) { return command == 'c' ? 5 : command == 'd' ? 13 : 22; }

bool IsPrintModeCommand(const std::vector<uint8_t> &f) {
  auto at = [&f](size_t offset, std::string_view text) {
    return std::memcmp(f.data() + offset, text.data(), text.size()) == 0;
  };
  return f.size() == kCommandSize && at(0, kEscC) && at(8, kEscD) && at(17, kEscT);
}

std::string RowName(uint32_t r, const m4k7::PrintModeRow &row) {
  std::string s = "print-mode row " + std::to_string(r) + " (";
  for (int i = 0; i < 6; ++i) {
    if (i) s += ", ";
    s += "I[" + std::to_string(m4k7::kPrintModeSlots[i]) + "]=" + std::to_string(row.match[i]);
  }
  return s + ")";
}

// The print-mode command that key 4121's entries carry for the request, by
// the shape every such command has; false when no entry yields one.
bool FindCommand(const m4k7::ImageDescriptor &image, uint32_t first, uint32_t count,
                 const AccessRequest &request, std::vector<uint8_t> *command, std::string *source,
                 std::string *why) {
  bool found = false;
  const AccessStatus status = m4k7::ForEachGroupedEntry(image, first, count, [&](uint32_t m, uint32_t node) {
    if (found) return m4k7::kOk;
    m4k7::LeafDescriptor leaf{};
    const AccessStatus walked = m4k7::WalkGroupedEntry(image, node, &request, &leaf);
    if (walked != m4k7::kOk) {
      if (walked != m4k7::kNotFound)
        *why = "key 4121's entry " + std::to_string(m + 1) + " fails with " + m4k7::StatusName(walked);
      return walked;
    }
    std::vector<uint8_t> bytes;
    if (m4k7::imageview::FetchLeafBytes(image, &request, leaf, &bytes) != m4k7::kOk ||
        bytes.size() != kCommandSize || std::memcmp(bytes.data(), kEscC.data(), 3) != 0)
      return m4k7::kOk;
    *command = std::move(bytes);
    *source = m4k7::imageview::KeyLabel(kPageSetupKey) + ", entry " + std::to_string(m + 1) + " (node " +
              std::to_string(node) + ")";
    found = true;
    return m4k7::kOk;
  });
  if (found) return true;
  if (status == m4k7::kFailed && why->empty()) *why = "key 4121's entries lie outside the tables";
  if (why->empty()) *why = "key 4121 sends no print-mode command";
  return false;
}

} // namespace

bool CheckPrintModeAgreement(const m4k7::ImageDescriptor &image, std::string *error) {
  const m4k7::PrintModeTables &t = image.printModes;
  uint32_t first = 0, count = 0;
  // No page set-up sequence to agree with yet.
  if (m4k7::FindGroupedList(image, kPageSetupKey, &first, &count) != m4k7::kOk) return true;
  if (t.modeRows == nullptr || t.modeRowCount == 0) return true;

  std::vector<int32_t> ints(m4k7::kDriverSlotCount, 0);
  AccessRequest request{};
  request.intParamCount = m4k7::kDriverSlotCount;
  request.intParams = ints.data();

  for (uint32_t r = 0; r < t.modeRowCount; ++r) {
    const m4k7::PrintModeRow &row = t.modeRows[r];
    for (int i = 0; i < 6; ++i) ints[m4k7::kPrintModeSlots[i]] = row.match[i];
    if (t.sectionTable1 == nullptr || row.section[0] >= t.sectionCounts[0]) {
      *error = RowName(r, row) + ": section 1 index " + std::to_string(row.section[0]) + " outside its table";
      return false;
    }
    std::vector<uint8_t> fragment;
    std::string source, why;
    if (!FindCommand(image, first, count, request, &fragment, &source, &why)) {
      *error = RowName(r, row) + ": " + why;
      return false;
    }
    if (!IsPrintModeCommand(fragment)) {
      *error =
          RowName(r, row) + ": the print-mode command of " + source + " is not ESC ( c, ESC ( d, ESC ( t";
      return false;
    }
    const uint8_t *s1 = t.sectionTable1 + size_t(row.section[0]) * m4k7::kSection1Size;
    for (size_t i = 0; i < std::size(m4k7::kSection1Fields); ++i) {
      const m4k7::Section1Field &f = m4k7::kSection1Fields[i];
      if (f.command == 0) continue;
      uint16_t field;
      std::memcpy(&field, s1 + 2 * i, 2);
      const size_t at = DataStart(f.command) + f.dataAt;
      const uint32_t said = f.width == 2 ? uint32_t(fragment[at] << 8 | fragment[at + 1]) : fragment[at];
      if (field == said) continue;
      *error = RowName(r, row) + ": section 1 bytes " + std::to_string(2 * i) + "-" +
               std::to_string(2 * i + 1) + " = " + std::to_string(field) + " but ESC ( " + f.command +
               " says " + std::to_string(said) + " in " + source;
      return false;
    }
  }
  return true;
}

} // namespace imagec
