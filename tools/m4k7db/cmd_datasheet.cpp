// m4k7db datasheet: the printer's capabilities as one HTML page.
#include <ostream>

#include "args.h"
#include "capabilities.h"
#include "cli.h"
#include "datasheet_html.h"
#include "engine/driver_slots.h"
#include "output_file.h"
#include "request.h"

#ifndef M4K7DB_VERSION_TEXT
#define M4K7DB_VERSION_TEXT "unknown"
#endif

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db datasheet [settings] [--no-defaults] [-o FILE]

Writes the printer's datasheet: one self-contained HTML5 page (inline CSS
and SVG, no script, no external file or font) that reads offline and prints
on A4. It shows every paper size drawn to scale with its printable area in
the normal and the full-length margin mode, in millimetres and inches, and
marks the sizes the printer does not lay out; the settings matrix per ink
count (media by quality: what is allowed, the marked defaults, the I[6]
values and which of them have no print-mode record); the paper sources per
media; the lists' defaults; the key catalogue as 'm4k7db keys' lists it;
and the database version (root key 2) with the image's counts.

The page is asked of the database the way 'm4k7db settings' asks it: the
request starts from the driver's defaults (key 4131; --no-defaults starts
from zeros), and the options below fix the settings that are not iterated.

  -o, --output FILE   write the page to FILE (written beside it and renamed:
                      a failed write leaves no partial file) instead of
                      standard output

%SETTINGS%
Exit status: 0 written, 1 the ink-count list gave no answer, 2 a list failed
or FILE cannot be written, 64 bad usage.

Examples:
  m4k7db datasheet -o datasheet.html
  m4k7db datasheet --i9 1 > datasheet-i9.html
)";

} // namespace

int RunDatasheet(const Args &args, std::ostream &out, std::ostream &err) {
  Args rest = args;
  bool toFile = false;
  std::string path, error;
  if (!TakeOutputOption(&rest, &toFile, &path, &error)) return Usage(err, "datasheet", error);
  CommandLine cl;
  const CommandShape shape{"datasheet", kHelp, kAcceptSettings | kAcceptNoDefaults};
  if (int code = StartCommand(rest, shape, &cl, out, err); code != kGoOn) return code;
  OwnedRequest request;
  if (int code = BuildModelRequest(cl, "datasheet", &request, err); code != kGoOn) return code;
  const Capabilities caps = BuildCapabilities(request);
  const int written =
      WriteOutput("datasheet", toFile, path, DatasheetHtml(caps, M4K7DB_VERSION_TEXT), out, err);
  return written != kExitOk ? written : caps.listsExit;
}

} // namespace m4k7cli
