// Command-line parsing: numbers, keys, and the options every subcommand
// shares (request settings, output format).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"

namespace m4k7cli {

// A 32-bit value: decimal or 0x hex, optionally signed. Values from
// 2147483648 to 4294967295 (0x80000000 to 0xFFFFFFFF) are taken as their
// 32-bit pattern, so 0x80000001 is -2147483647.
bool ParseValue(std::string_view text, int32_t *value, std::string *error);
// A key: decimal or 0x hex, 0 to 0xFFFFFFFF (the access functions take 32
// bits and use the low 16).
bool ParseKey(std::string_view text, uint32_t *key, std::string *error);
// A parameter slot index, 0 to kMaxSlots - 1.
bool ParseSlot(std::string_view text, uint32_t *slot, std::string *error);
// A slot count for --ints / --strs, 0 to kMaxSlots.
bool ParseSlotCount(std::string_view text, uint32_t *count, std::string *error);
inline constexpr uint32_t kMaxSlots = 4096;

// A named driver setting: one option that sets one or more slots.
struct NamedSetting {
  const char *option; // "--ink"
  std::vector<uint32_t> slots;
  const char *help;
};
const std::vector<NamedSetting> &NamedSettings();

// One integer setting from the command line; a named option may set several
// slots (--paper-width).
struct IntSetting {
  std::vector<uint32_t> slots;
  int32_t value = 0;
  std::string option; // as given, for messages
};
struct StringSetting {
  uint32_t slot = 0;
  std::string text;
  std::string option;
};

struct Settings {
  std::vector<IntSetting> ints; // in command-line order; a later one wins
  std::vector<StringSetting> strings;
  bool hasIntCount = false;
  uint32_t intCount = 0;
  bool hasStringCount = false;
  uint32_t stringCount = 0;
  bool hasPrinter = false;
  std::string printer; // UTF-8
  bool useHandle = false;
  bool defaults = false; // start from key 4131's default settings
};

// What a subcommand accepts besides --help.
enum Accept : uint32_t {
  kAcceptSettings = 1u << 0, // --int, --str, --ints, --strs, named settings, --printer, --handle, --defaults
  kAcceptFormat = 1u << 1,   // --format F
  kAcceptRaw = 1u << 2,      // --raw
  kAcceptBrief = 1u << 3,    // --brief
  kAcceptFile = 1u << 4,     // --file PATH
  kAcceptNoDefaults = 1u << 5, // --no-defaults
  kAcceptStrict = 1u << 6,     // --strict
};

struct CommandLine {
  std::vector<std::string> positional;
  Settings settings;
  std::string format = "text";
  bool raw = false;
  bool brief = false;
  bool help = false;
  bool noDefaults = false;
  bool strict = false;
  bool hasFile = false;
  std::string file;
};

// Options may come before, between or after the positional arguments;
// "--" ends them. Both "--opt VALUE" and "--opt=VALUE" work. False with a
// message for an unknown option, a missing or malformed value, or a
// format outside formats.
bool ParseCommandLine(const Args &args, uint32_t accept, const std::vector<std::string> &formats,
                      CommandLine *out, std::string *error);

// The settings part of every subcommand's help.
std::string SettingsHelp();

// Reports a bad command line on err ("m4k7db get: ...", then where the help
// is) and returns kExitUsage.
int Usage(std::ostream &err, std::string_view command, const std::string &message);

// A subcommand's command line: what it accepts and its help, which may hold
// %SETTINGS% for SettingsHelp().
struct CommandShape {
  const char *name;
  const char *help;
  uint32_t accept;
  size_t maxPositional = 0;
  std::vector<std::string> formats = {"text", "json"};
};
inline constexpr int kGoOn = -1;
// Parses the command line. kGoOn when the command is to run; else its exit
// code, after the help on out (--help) or a usage error on err, such as
// "unexpected argument \"4\"" for one positional argument too many.
int StartCommand(const Args &args, const CommandShape &shape, CommandLine *cl, std::ostream &out,
                 std::ostream &err);

// Where a command writes its text: into the buffer of `to`, or nowhere under
// --format json, where the command prints its JSON report instead.
struct TextOut : std::ostream {
  TextOut(const CommandLine &cl, std::ostream &to)
      : std::ostream(cl.format == "json" ? nullptr : to.rdbuf()) {}
};

// DB and KEY, the positional arguments of get and explain: kGoOn, or the
// usage exit after a message on err.
int ParseDatabaseKey(const CommandLine &cl, std::string_view command, const DatabaseInfo **db, uint32_t *key,
                     std::ostream &err);

} // namespace m4k7cli
