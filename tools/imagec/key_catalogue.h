// The tools' table of key names: what the content says each key answers,
// with the slots a lookup of it may read and the kinds of the leaves it may
// answer with, worked out from the content graph. The module never links it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "builder.h"
#include "key_info.h"

namespace imagec {

struct KeyCatalogueTables {
  std::vector<m4k7::imageview::KeyInfo> keys; // ascending; the texts live in `text`
  std::vector<m4k7::imageview::ValueName> values;
  std::deque<std::string> text;

  KeyCatalogueTables() = default;
  KeyCatalogueTables(const KeyCatalogueTables &) = delete; // the views point into `text`
  KeyCatalogueTables &operator=(const KeyCatalogueTables &) = delete;
  m4k7::imageview::KeyCatalogue view() const {
    return {keys.data(), uint32_t(keys.size()), values.data(), uint32_t(values.size())};
  }
};

// False with one line per key that has no name ("key 0x1003 (4099): no
// name"), or a code-answered name for a key that is in the index.
bool BuildKeyCatalogue(const ImageBuilder &content, KeyCatalogueTables *out, std::string *error);

// The generated m4k7_key_catalogue.cpp: the table and CompiledKeyCatalogue().
std::string EmitKeyCatalogueSource(const KeyCatalogueTables &catalogue);

} // namespace imagec
