// The build's image pipeline: compile the content, check it, and write the
// module's generated source.
#pragma once

#include <cstdint>
#include <string>

#include "builder.h"
#include "compiler.h"

namespace imagec {

// Compile (layout and validation), then the print-mode agreement check: the
// image the build accepts. False with the messages, one a line.
bool BuildImage(const ImageBuilder &content, ImageTables *out, std::string *error);

// The generated m4k7_image.cpp: constant tables and m4k7::CompiledImage().
std::string EmitImageSource(const ImageTables &tables);

// The text as a C++ string literal, continued on a new line once a line
// holds wrapAt characters; octal escapes, which never swallow the character
// after them.
std::string CLiteral(const std::string &text, size_t wrapAt = SIZE_MAX);

// "nodes 4200, keys 190, ...": the counts the generated file and the build
// log show.
std::string CountsLine(const ImageTables &tables);

} // namespace imagec
