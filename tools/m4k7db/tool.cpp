// The top of the command line: subcommand dispatch, overall help, version.
#include <ostream>

#include "cli.h"

#ifndef M4K7DB_VERSION_TEXT
#define M4K7DB_VERSION_TEXT "unknown"
#endif

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db COMMAND [ARGS...]

Asks and examines the M4K7 printer database compiled into this program.

Commands:
  keys [PATTERN]           the keys with their names, answers and slots read
  get DB KEY [settings]    ask one key through its public function, decoded
  explain DB KEY [settings]
                           the walk to the answer, node by node
  job [settings]           the command sequences and print-mode record of a job
  settings [settings]      the setting combinations the driver's lists offer
  dump [KEY...]            the image as text, or --format dot for a graph
  check                    validate the image and print its counts
  printers                 the printers the module can open, and their values
  capabilities [settings]  the capabilities model as JSON, or IPP attributes
  datasheet [-o FILE]      the printer's datasheet as one HTML page
  help [COMMAND]           this text, or a command's

DB is root, drv, lm, mnt, pa or sm; KEY decimal or 0x hex. Every command
takes --help. Settings are integer and string slots of the request
(--int N=V, --str N=TEXT, --ink 4, --media 1, ...): see 'm4k7db get --help'.

Exit status, for every command:
  0   the answer is there
  1   no answer: status 1 (not found) or 3 (unknown key), a refused setting
  2   error: a negative status, an invalid image, an unreadable file
  64  bad usage

Environment:
  M4K7DB_PRINTER_DATA   the printer-data file the module opens printers from

Examples:
  m4k7db keys paper
  m4k7db get root 3
  m4k7db explain drv 0x1003 --size 9 --brief
  m4k7db job --printer "M4K7 Series" --size 9 --mode 1
)";

struct Command {
  const char *name;
  int (*run)(const Args &, std::ostream &, std::ostream &);
};
const Command kCommands[] = {
    {"keys", RunKeys},
    {"get", RunGet},
    {"explain", RunExplain},
    {"job", RunJob},
    {"settings", RunSettings},
    {"dump", RunDump},
    {"check", RunCheck},
    {"printers", RunPrinters},
    {"capabilities", RunCapabilities},
    {"datasheet", RunDatasheet},
};

} // namespace

int RunTool(const Args &args, std::ostream &out, std::ostream &err) {
  if (args.empty()) {
    err << "m4k7db: a command is needed\nTry 'm4k7db --help'.\n";
    return kExitUsage;
  }
  const std::string &first = args[0];
  auto isHelp = [](const std::string &a) { return a == "--help" || a == "-h"; };
  if (isHelp(first) || (first == "help" && (args.size() == 1 || isHelp(args[1])))) {
    out << kHelp;
    return kExitOk;
  }
  if (first == "--version") {
    out << "m4k7db " << M4K7DB_VERSION_TEXT << '\n';
    return kExitOk;
  }
  std::string name = first;
  Args rest(args.begin() + 1, args.end());
  if (first == "help") {
    if (args.size() > 2) {
      err << "m4k7db help: unexpected argument \"" << args[2] << "\"\nTry 'm4k7db --help'.\n";
      return kExitUsage;
    }
    name = args[1];
    rest = {"--help"};
  }
  for (const Command &c : kCommands)
    if (name == c.name) return c.run(rest, out, err);
  err << "m4k7db: unknown command \"" << name << "\"\nTry 'm4k7db --help'.\n";
  return kExitUsage;
}

} // namespace m4k7cli
