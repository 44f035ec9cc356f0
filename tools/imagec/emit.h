// Writes compiled tables as the module's generated source.
#pragma once

#include <string>

#include "compiler.h"

namespace imagec {

std::string EmitImageSource(const ImageTables &tables);
// One line of counts: nodes, keys and pool sizes.
std::string CountsLine(const ImageTables &tables);

} // namespace imagec
