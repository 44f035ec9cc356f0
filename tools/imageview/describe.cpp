#include "describe.h"

#include <cstdio>

namespace m4k7::imageview {

std::string KindName(uint8_t kind) {
  static const char *const kNames[] = {
      nullptr,         "BYTES",
      "INT32",         "INT8",
      "INT16",         "UINT8",
      "UINT16",        "WIDE",
      "SEQUENCE",      "GUARDED_SEQUENCE",
      "GUARD",         "SELECT_PARAM",
      "SELECT_STRING", "SELECT_PRINTER_DATA",
      "SELECT_LOCALE", "CASE",
      "STRING_CASE",   "DEFAULT",
      "COMPUTED",      "SELECT_MASKED",
      "MASK",          "RANGE_CASE",
  };
  if (kind >= 1 && kind <= 21) return kNames[kind];
  return "kind " + std::to_string(kind);
}

std::string ComputedName(uint16_t id) {
  static const char *const kNames[] = {
      nullptr,          "CV_PAGE_FORMAT_COMMAND", "CV_PRINTABLE_AREA_CAPPED", "CV_PRINTABLE_AREA",
      "CV_PAGE_LENGTH", "CV_SET_TIME_BLOCK",      "CV_OPTION_COMMAND",        "CV_SILENT_MODE_BLOCK",
  };
  if (id >= 1 && id <= 7) return kNames[id];
  return "computed value " + std::to_string(id);
}

std::string Hex16(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", unsigned(value));
  return text;
}

std::string KeyLabel(uint16_t key) { return "key " + Hex16(key) + " (" + std::to_string(key) + ")"; }

} // namespace m4k7::imageview
