// Commands that write a file (-o FILE): the option, and a writer that
// leaves either the whole new file or nothing.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "cli.h"

namespace m4k7cli {

// Takes "-o FILE", "--output FILE" and "--output=FILE" out of args (before
// a "--"); the last one wins. False with a message for an option without
// its file.
bool TakeOutputOption(Args *args, bool *given, std::string *path, std::string *error);

// Writes text into a temporary file in path's folder, then renames it to
// path, so that a reader never sees a partial file. False with a message
// naming the path when the folder is missing, path is a folder or a file
// without write permission, or a write fails; nothing is left behind.
bool WriteFileAtomically(const std::string &path, std::string_view text, std::string *error);

// Writes text to out, or with WriteFileAtomically when a path is given:
// kExitOk, or kExitError after "m4k7db COMMAND: MESSAGE" on err.
int WriteOutput(std::string_view command, bool toFile, const std::string &path, std::string_view text,
                std::ostream &out, std::ostream &err);

} // namespace m4k7cli
