// m4k7db capabilities: the capabilities model as JSON, or as IPP printer
// attributes that an IPP printer simulator serves.
#include <ostream>
#include <sstream>

#include "args.h"
#include "capabilities.h"
#include "cli.h"
#include "engine/driver_slots.h"
#include "ipp_attributes.h"
#include "output_file.h"
#include "request.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db capabilities [settings] [--no-defaults] [--format json|ipp] [-o FILE]

The printer's capabilities, asked of the database the way 'm4k7db settings'
asks them (the driver dialog's lists), with each paper size's dimensions
(key 0x1003), printable area (0x1001) and margins (0x1002) in the normal
and the full-length margin mode (I[52]=5), the user-defined size's computed
area (0x1004) and page length (4147), each quality's resolution (4104), the
lists' marked defaults and the database version (root key 2).

Formats:
  json   the whole model (the default)
  ipp    IPP printer attributes in ipptool's ATTR syntax, for an IPP
         printer simulator's attributes file: media-supported, media-ready,
         media-col-database (every printable size's margins in 0.01 mm in
         the normal mode and, per allowed source, the full-length mode),
         media-source-supported, media-type-supported,
         print-quality-supported, printer-resolution-supported, the
         *-default attributes from the lists' marks and media-col-default.
         Paper sizes carry PWG self-describing names; media-type is
         "stationery" for code 1 and "transparency" for code 2 (the device
         mode's codes), otherwise m4k7-media-CODE; sources are
         m4k7-source-CODE; a quality's print-quality is high at the
         printer's highest resolution, draft at its lowest, else normal.
         The paper-size lists mark no default: media-default is the
         request's --size when printable, else the first printable size.

  -o FILE, --output FILE
         write into FILE (through a temporary file beside it, renamed when
         complete) instead of standard output

%SETTINGS%
Exit status: 0 written, 1 the ink-count list gave no answer, 2 a list failed
or FILE could not be written, 64 bad usage.

Examples:
  m4k7db capabilities
  m4k7db capabilities --format ipp -o m4k7.attrs
  m4k7db capabilities --format ipp --size 9
)";

} // namespace

int RunCapabilities(const Args &args, std::ostream &out, std::ostream &err) {
  Args rest = args;
  bool toFile = false;
  std::string path, error;
  if (!TakeOutputOption(&rest, &toFile, &path, &error)) return Usage(err, "capabilities", error);
  CommandLine cl;
  CommandShape shape{"capabilities", kHelp, kAcceptSettings | kAcceptFormat | kAcceptNoDefaults};
  shape.formats = {"json", "ipp"};
  // Without --format the parser leaves "text": the JSON model.
  if (int code = StartCommand(rest, shape, &cl, out, err); code != kGoOn) return code;
  OwnedRequest request;
  if (int code = BuildModelRequest(cl, "capabilities", &request, err); code != kGoOn) return code;
  const int32_t requestedSize = request.ints[ChosenSlot(4113)];
  const Capabilities caps = BuildCapabilities(request);
  std::string text;
  if (cl.format == "ipp") {
    text = IppAttributes(caps, requestedSize);
  } else {
    std::ostringstream json;
    json << CapabilitiesJson(caps) << '\n';
    text = json.str();
  }
  // A list that failed still leaves the rest of the model to write.
  const int code = WriteOutput("capabilities", toFile, path, text, out, err);
  return code != kExitOk ? code : caps.listsExit;
}

} // namespace m4k7cli
