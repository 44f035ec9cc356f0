// What the tools know of each key beyond its tree: a name in the system's
// own words, the request slots a lookup of it may read, and what it answers.
// The image compiler takes them from the content and writes them to a
// table of their own (generated/m4k7_key_catalogue.cpp, library
// m4k7db_key_catalogue) that only the tools link: the module's image and
// exports do not carry a byte of it.
#pragma once

#include <cstdint>

namespace m4k7::imageview {

struct KeyInfo {
  uint16_t key;
  const char *name;  // "paper size [width, height]"
  const char *slots; // "I[28] I[52]": the slots a lookup may read, in walk order; "" for none
  const char
      *answer;  // the kinds of the leaves it may answer with: "integers or computed CV_PAGE_LENGTH", ...
  bool inIndex; // false: answered by code from the module's own tables
};

// A name for one value of an integer slot: I[28] = 9 is "A4".
struct ValueName {
  uint16_t slot;
  int32_t value;
  const char *name;
};

struct KeyCatalogue {
  const KeyInfo *keys; // ascending by key
  uint32_t keyCount;
  const ValueName *values; // ascending by (slot, value)
  uint32_t valueCount;
};

// The catalogue of the compiled-in image; defined by the generated table.
const KeyCatalogue &CompiledKeyCatalogue();

// nullptr for a key the catalogue does not hold.
const KeyInfo *FindKeyInfo(uint16_t key, const KeyCatalogue &catalogue = CompiledKeyCatalogue());
// nullptr for a value without a name.
const char *FindValueName(uint16_t slot, int32_t value,
                          const KeyCatalogue &catalogue = CompiledKeyCatalogue());

} // namespace m4k7::imageview
