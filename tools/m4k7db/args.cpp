#include "args.h"

#include <algorithm>
#include <charconv>
#include <ostream>

#include "engine/driver_slots.h"

namespace m4k7cli {

namespace {

// Unsigned decimal or 0x hex digits, at most max.
bool parseUnsigned(std::string_view text, uint64_t max, uint64_t *value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t v = 0;
  const char *end = text.data() + text.size();
  const auto [stop, problem] = std::from_chars(text.data(), end, v, base);
  if (problem != std::errc() || stop != end || v > max) return false;
  *value = v;
  return true;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A number from 0 to max, or `what` and the bound as the message.
bool parseBounded(std::string_view text, uint32_t max, const std::string &what, uint32_t *out,
                  std::string *error) {
  uint64_t v = 0;
  if (!parseUnsigned(text, max, &v)) {
    *error = what + std::to_string(max);
    return false;
  }
  *out = uint32_t(v);
  return true;
}

} // namespace

bool ParseValue(std::string_view text, int32_t *value, std::string *error) {
  bool negative = false;
  std::string_view digits = text;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  uint64_t v = 0;
  if (!parseUnsigned(digits, negative ? 0x80000000ull : 0xFFFFFFFFull, &v)) {
    uint64_t ignored;
    bool isNumber = parseUnsigned(digits, UINT64_MAX / 16, &ignored);
    *error =
        quoted(text) + (isNumber ? " does not fit in 32 bits" : " is not a number (decimal, or hex with 0x)");
    return false;
  }
  *value = negative ? int32_t(uint32_t(0) - uint32_t(v)) : int32_t(uint32_t(v));
  return true;
}

bool ParseKey(std::string_view text, uint32_t *key, std::string *error) {
  uint64_t v = 0;
  if (!parseUnsigned(text, 0xFFFFFFFFull, &v)) {
    uint64_t ignored;
    if (!text.empty() && text[0] == '-')
      *error = "key " + quoted(text) + " is negative";
    else if (parseUnsigned(text, UINT64_MAX / 16, &ignored))
      *error = "key " + quoted(text) + " is beyond 32 bits (0xFFFFFFFF)";
    else
      *error = "key " + quoted(text) + " is not a number (decimal, or hex with 0x)";
    return false;
  }
  *key = uint32_t(v);
  return true;
}

bool ParseSlot(std::string_view text, uint32_t *slot, std::string *error) {
  return parseBounded(text, kMaxSlots - 1, "slot " + quoted(text) + " is not a slot index from 0 to ", slot,
                      error);
}

bool ParseSlotCount(std::string_view text, uint32_t *count, std::string *error) {
  return parseBounded(text, kMaxSlots, quoted(text) + " is not a slot count from 0 to ", count, error);
}

namespace {

// A setting offered by one of the dialog's lists: "I[4], ink count (key
// 4108)", the list from the list configuration's `chooses` column.
std::string Offered(uint32_t slot, const std::string &what, const std::string &after = "") {
  return "I[" + std::to_string(slot) + "], " + what + std::to_string(m4k7::DialogListOf(slot)) + after;
}

} // namespace

const std::vector<NamedSetting> &NamedSettings() {
  using m4k7::kSlotInkCount, m4k7::kSlotMedia, m4k7::kSlotPrintMode, m4k7::kSlotSource, m4k7::kSlotQuality,
      m4k7::kSlotPaperSize;
  static const std::string kInk = Offered(kSlotInkCount, "ink count (key ", ")"),
                           kMedia = Offered(kSlotMedia, "media type (key ", ")"),
                           kMode = Offered(kSlotPrintMode, "the setting key ", " lists (1 to 3)"),
                           kSource = Offered(kSlotSource, "paper source (key ", ")"),
                           kQuality = Offered(kSlotQuality, "print quality (key ", ")"),
                           kSize = Offered(kSlotPaperSize,
                                           "paper size (keys " + std::to_string(m4k7::kAvailableList) + ", ",
                                           ")");
  static const std::vector<NamedSetting> kNamed = {
      {"--direction",
       {m4k7::kSlotDirection},
       "I[0], direction of keys 0x1021/0x1022 (1: media to sizes, 0: sizes to media)"},
      {"--ink", {kSlotInkCount}, kInk.c_str()},
      {"--media", {kSlotMedia}, kMedia.c_str()},
      {"--mode", {kSlotPrintMode}, kMode.c_str()},
      {"--source", {kSlotSource}, kSource.c_str()},
      {"--quality", {kSlotQuality}, kQuality.c_str()},
      {"--size", {kSlotPaperSize}, kSize.c_str()},
      {"--margin-mode", {m4k7::kSlotMarginMode}, "I[52], margin mode (5: full-length page)"},
      {"--options", {m4k7::kSlotOptions}, "I[79], option flags (bit 0x800000 sends the option command)"},
      {"--option-value", {m4k7::kSlotOptionValue}, "I[80], the option command's 16-bit value"},
      {"--paper-width",
       {m4k7::kSlotAreaWidth, m4k7::kSlotCappedWidth, m4k7::kSlotCommandWidth},
       "paper width in 0.01 mm: I[25], I[29] and I[96]"},
      {"--paper-length",
       {m4k7::kSlotAreaLength, m4k7::kSlotCappedLength, m4k7::kSlotCommandLength},
       "paper length in 0.01 mm: I[26], I[30] and I[97]"},
  };
  return kNamed;
}

std::string SettingsHelp() {
  std::string text = "Request settings (I[n] is integer slot n, S[n] string slot n):\n"
                     "  --int N=V          set I[N] to V (decimal or 0x hex, 32 bits)\n"
                     "  --str N=TEXT       set S[N] to TEXT\n"
                     "  --iN V, --sN TEXT  the same, e.g. --i9 1, --s0 SSR\n";
  for (const NamedSetting &s : NamedSettings()) {
    std::string option = std::string("  ") + s.option + " V";
    option.resize(std::max<size_t>(option.size() + 1, 21), ' ');
    text += option + s.help + "\n";
  }
  text += "  --ints K, --strs K give the request K integer / string slots instead of the\n"
          "                     database's standard shape (root 1+1, drv 106, lm 14+5, mnt 1,\n"
          "                     pa 4, sm 17+9); setting a slot beyond them is an error\n"
          "                     (a paper width or length fills only the slots that fit)\n"
          "  --defaults         start from the driver's default settings (key 4131)\n"
          "  --printer NAME     the request names the printer; the access function opens\n"
          "                     it (from $M4K7DB_PRINTER_DATA) for each call\n"
          "  --handle           open the printer once (m4k7db_open_printer) and pass the\n"
          "                     handle instead of the name\n"
          "A printer that does not open is reported on stderr and the call goes on\n"
          "without a printer, as the module itself does.\n";
  return text;
}

int Usage(std::ostream &err, std::string_view command, const std::string &message) {
  err << "m4k7db " << command << ": " << message << "\nTry 'm4k7db " << command << " --help'.\n";
  return kExitUsage;
}

int StartCommand(const Args &args, const CommandShape &shape, CommandLine *cl, std::ostream &out,
                 std::ostream &err) {
  std::string error;
  if (!ParseCommandLine(args, shape.accept, shape.formats, cl, &error)) return Usage(err, shape.name, error);
  if (cl->help) {
    std::string help = shape.help;
    if (size_t at = help.find("%SETTINGS%"); at != std::string::npos) help.replace(at, 10, SettingsHelp());
    out << help;
    return kExitOk;
  }
  if (cl->positional.size() > shape.maxPositional)
    return Usage(err, shape.name, "unexpected argument " + quoted(cl->positional[shape.maxPositional]));
  return kGoOn;
}

int ParseDatabaseKey(const CommandLine &cl, std::string_view command, const DatabaseInfo **db, uint32_t *key,
                     std::ostream &err) {
  if (cl.positional.size() < 2)
    return Usage(err, command,
                 cl.positional.empty() ? "expected DB and KEY" : "expected a KEY after the database");
  *db = FindDatabase(cl.positional[0]);
  if (!*db)
    return Usage(err, command,
                 "unknown database " + quoted(cl.positional[0]) + ": choose root, drv, lm, mnt, pa or sm");
  std::string error;
  return ParseKey(cl.positional[1], key, &error) ? kGoOn : Usage(err, command, error);
}

namespace {

// The options that take no value, where each is kept, and what a command
// must accept to take it (--help every command takes).
struct Flag {
  const char *name;
  uint32_t accept;
  bool &(*field)(CommandLine &);
};
const Flag kFlags[] = {
    {"--help", ~0u, [](CommandLine &c) -> bool & { return c.help; }},
    {"--raw", kAcceptRaw, [](CommandLine &c) -> bool & { return c.raw; }},
    {"--brief", kAcceptBrief, [](CommandLine &c) -> bool & { return c.brief; }},
    {"--no-defaults", kAcceptNoDefaults, [](CommandLine &c) -> bool & { return c.noDefaults; }},
    {"--strict", kAcceptStrict, [](CommandLine &c) -> bool & { return c.strict; }},
    {"--handle", kAcceptSettings, [](CommandLine &c) -> bool & { return c.settings.useHandle; }},
    {"--defaults", kAcceptSettings, [](CommandLine &c) -> bool & { return c.settings.defaults; }},
};

// --iN / --sN: the slot in the digits after the letter.
bool slotSuffix(std::string_view name, char letter, uint32_t *slot) {
  if (name.size() < 4 || name[2] != letter) return false;
  std::string_view digits = name.substr(3);
  std::string ignored;
  return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
         ParseSlot(digits, slot, &ignored);
}

struct Parser {
  const Args &args;
  uint32_t accept;
  const std::vector<std::string> &formats;
  CommandLine *out;
  std::string *error;
  size_t i = 0;
  std::string_view inlineValue; // after '=' in "--opt=VALUE"
  bool hasInline = false;

  bool fail(std::string message) {
    *error = std::move(message);
    return false;
  }

  // The value of an option: after '=' or the next argument.
  bool value(std::string_view name, std::string *v) {
    if (hasInline)
      *v = std::string(inlineValue);
    else if (i + 1 < args.size())
      *v = args[++i];
    else
      return fail(std::string(name) + " needs a value");
    return true;
  }

  // --int N=V, --iN V and a named setting (given) set integer slots; --str
  // N=TEXT and --sN TEXT a string slot.
  bool slotSetting(std::string_view name, const NamedSetting *named, uint32_t slot) {
    // --str and --sN; every named setting is an integer one.
    const bool isString = !named && name[2] == 's';
    std::string v;
    if (!value(name, &v)) return false;
    std::string text = v;
    if (name == "--int" || name == "--str") {
      const size_t eq = v.find('=');
      std::string slotError;
      if (eq == std::string::npos) return fail(std::string(name) + " " + quoted(v) + ": expected N=VALUE");
      if (!ParseSlot(std::string_view(v).substr(0, eq), &slot, &slotError))
        return fail(std::string(name) + ": " + slotError);
      text = v.substr(eq + 1);
    }
    const std::string option = std::string(name) + " " + v;
    if (isString) {
      out->settings.strings.push_back({slot, text, option});
      return true;
    }
    IntSetting s{named ? named->slots : std::vector<uint32_t>{slot}, 0, option};
    std::string valueError;
    if (!ParseValue(text, &s.value, &valueError)) return fail(std::string(name) + ": " + valueError);
    out->settings.ints.push_back(std::move(s));
    return true;
  }

  bool option(std::string_view name) {
    for (const Flag &f : kFlags)
      if (name == f.name && (accept & f.accept)) {
        f.field(*out) = true;
        return !hasInline || fail(std::string(name) + " takes no value");
      }
    std::string v;
    if ((accept & kAcceptFormat) && name == "--format") {
      if (!value(name, &v)) return false;
      if (std::find(formats.begin(), formats.end(), v) == formats.end()) {
        std::string message = "--format " + quoted(v) + ": choose one of";
        for (const std::string &f : formats) message += " " + f;
        return fail(message);
      }
      out->format = v;
      return true;
    }
    if ((accept & kAcceptFile) && name == "--file") return out->hasFile = value(name, &out->file);
    if (accept & kAcceptSettings) {
      Settings &s = out->settings;
      if (name == "--printer") return s.hasPrinter = value(name, &s.printer);
      if (name == "--ints" || name == "--strs") {
        uint32_t count = 0;
        std::string countError;
        if (!value(name, &v)) return false;
        if (!ParseSlotCount(v, &count, &countError)) return fail(std::string(name) + ": " + countError);
        (name == "--ints" ? s.hasIntCount : s.hasStringCount) = true;
        (name == "--ints" ? s.intCount : s.stringCount) = count;
        return true;
      }
      const NamedSetting *named = nullptr;
      for (const NamedSetting &n : NamedSettings())
        if (name == n.option) named = &n;
      uint32_t slot = 0;
      if (named || name == "--int" || name == "--str" || slotSuffix(name, 'i', &slot) ||
          slotSuffix(name, 's', &slot))
        return slotSetting(name, named, slot);
    }
    return fail("unknown option " + std::string(name));
  }

  bool run() {
    bool optionsEnded = false;
    for (i = 0; i < args.size(); ++i) {
      const std::string &arg = args[i];
      if (optionsEnded || arg.size() < 2 || arg[0] != '-' || (arg[1] >= '0' && arg[1] <= '9')) {
        // A lone "-" or a negative number is a positional argument.
        out->positional.push_back(arg);
        continue;
      }
      if (arg[1] != '-' && arg != "-h") return fail("unknown option " + arg);
      if (arg == "--") {
        optionsEnded = true;
        continue;
      }
      std::string_view name = arg;
      const size_t eq = name.find('=');
      hasInline = eq != std::string_view::npos;
      inlineValue = hasInline ? name.substr(eq + 1) : std::string_view();
      if (!option(arg == "-h" ? "--help" : name.substr(0, eq))) return false;
    }
    return true;
  }
};

} // namespace

bool ParseCommandLine(const Args &args, uint32_t accept, const std::vector<std::string> &formats,
                      CommandLine *out, std::string *error) {
  *out = CommandLine{};
  Parser parser{args, accept, formats, out, error, 0, {}, false};
  return parser.run();
}

} // namespace m4k7cli
