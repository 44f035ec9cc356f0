#include "args.h"

#include <algorithm>
#include <cstring>
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
  if (text.empty()) return false;
  uint64_t v = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return false;
    v = v * uint64_t(base) + uint64_t(digit);
    if (v > max) return false;
  }
  *value = v;
  return true;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

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
  uint64_t v = 0;
  if (!parseUnsigned(text, kMaxSlots - 1, &v)) {
    *error = "slot " + quoted(text) + " is not a slot index from 0 to " + std::to_string(kMaxSlots - 1);
    return false;
  }
  *slot = uint32_t(v);
  return true;
}

bool ParseSlotCount(std::string_view text, uint32_t *count, std::string *error) {
  uint64_t v = 0;
  if (!parseUnsigned(text, kMaxSlots, &v)) {
    *error = quoted(text) + " is not a slot count from 0 to " + std::to_string(kMaxSlots);
    return false;
  }
  *count = uint32_t(v);
  return true;
}

const std::vector<NamedSetting> &NamedSettings() {
  static const std::vector<NamedSetting> kNamed = {
      {"--direction",
       {m4k7::kSlotDirection},
       "I[0], direction of keys 0x1021/0x1022 (1: media to sizes, 0: sizes to media)"},
      {"--ink", {m4k7::kSlotInkCount}, "I[4], ink count (key 4108)"},
      {"--media", {m4k7::kSlotMedia}, "I[5], media type (key 4110)"},
      {"--mode", {m4k7::kSlotPrintMode}, "I[6], the setting key 4116 lists (1 to 3)"},
      {"--source", {m4k7::kSlotSource}, "I[7], paper source (key 4114)"},
      {"--quality", {m4k7::kSlotQuality}, "I[8], print quality (key 4118)"},
      {"--size", {m4k7::kSlotPaperSize}, "I[28], paper size (keys 4112, 4113)"},
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

std::string PositionalError(const CommandLine &cl, size_t min, size_t max, const char *missing) {
  if (cl.positional.size() > max) return "unexpected argument " + quoted(cl.positional[max]);
  return cl.positional.size() < min ? missing : "";
}

int Usage(std::ostream &err, std::string_view command, const std::string &message) {
  err << "m4k7db " << command << ": " << message << "\nTry 'm4k7db " << command << " --help'.\n";
  return kExitUsage;
}

namespace {

struct Parser {
  const Args &args;
  uint32_t accept;
  const std::vector<std::string> &formats;
  CommandLine *out;
  std::string *error;
  size_t i = 0;

  // The value of an option: after '=' or the next argument.
  bool value(std::string_view name, bool hasInline, std::string_view inlineValue, std::string *v) {
    if (hasInline) {
      *v = std::string(inlineValue);
      return true;
    }
    if (i + 1 >= args.size()) {
      *error = std::string(name) + " needs a value";
      return false;
    }
    *v = args[++i];
    return true;
  }

  bool noValue(std::string_view name, bool hasInline) {
    if (hasInline) *error = std::string(name) + " takes no value";
    return !hasInline;
  }

  bool refuse(std::string_view name) {
    *error = "unknown option " + std::string(name);
    return false;
  }

  // "N=V" of --int and --str.
  bool slotAssignment(std::string_view name, const std::string &v, uint32_t *slot, std::string *rest) {
    size_t eq = v.find('=');
    if (eq == std::string::npos) {
      *error = std::string(name) + " " + quoted(v) + ": expected N=VALUE";
      return false;
    }
    std::string slotError;
    if (!ParseSlot(std::string_view(v).substr(0, eq), slot, &slotError)) {
      *error = std::string(name) + ": " + slotError;
      return false;
    }
    *rest = v.substr(eq + 1);
    return true;
  }

  bool addInt(std::vector<uint32_t> slots, std::string_view name, const std::string &v, std::string option) {
    IntSetting s;
    std::string valueError;
    if (!ParseValue(v, &s.value, &valueError)) {
      *error = std::string(name) + ": " + valueError;
      return false;
    }
    s.slots = std::move(slots);
    s.option = std::move(option);
    out->settings.ints.push_back(std::move(s));
    return true;
  }

  // --iN / --sN: the digits after the letter.
  static bool slotSuffix(std::string_view name, char letter, uint32_t *slot) {
    if (name.size() < 4 || name[2] != letter) return false;
    std::string_view digits = name.substr(3);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    std::string ignored;
    return ParseSlot(digits, slot, &ignored);
  }

  bool setting(std::string_view name, bool hasInline, std::string_view inlineValue, bool *handled) {
    *handled = true;
    std::string v;
    if (name == "--int" || name == "--str") {
      if (!value(name, hasInline, inlineValue, &v)) return false;
      uint32_t slot = 0;
      std::string rest;
      if (!slotAssignment(name, v, &slot, &rest)) return false;
      if (name == "--int") return addInt({slot}, name, rest, "--int " + v);
      out->settings.strings.push_back({slot, rest, "--str " + v});
      return true;
    }
    if (name == "--ints" || name == "--strs") {
      if (!value(name, hasInline, inlineValue, &v)) return false;
      std::string countError;
      uint32_t count = 0;
      if (!ParseSlotCount(v, &count, &countError)) {
        *error = std::string(name) + ": " + countError;
        return false;
      }
      if (name == "--ints") {
        out->settings.hasIntCount = true;
        out->settings.intCount = count;
      } else {
        out->settings.hasStringCount = true;
        out->settings.stringCount = count;
      }
      return true;
    }
    if (name == "--printer") {
      if (!value(name, hasInline, inlineValue, &v)) return false;
      out->settings.hasPrinter = true;
      out->settings.printer = v;
      return true;
    }
    if (name == "--handle") {
      out->settings.useHandle = true;
      return noValue(name, hasInline);
    }
    if (name == "--defaults") {
      out->settings.defaults = true;
      return noValue(name, hasInline);
    }
    uint32_t slot = 0;
    if (slotSuffix(name, 'i', &slot))
      return value(name, hasInline, inlineValue, &v) && addInt({slot}, name, v, std::string(name) + " " + v);
    if (slotSuffix(name, 's', &slot)) {
      if (!value(name, hasInline, inlineValue, &v)) return false;
      out->settings.strings.push_back({slot, v, std::string(name) + " " + v});
      return true;
    }
    for (const NamedSetting &s : NamedSettings())
      if (name == s.option)
        return value(name, hasInline, inlineValue, &v) &&
               addInt(s.slots, name, v, std::string(name) + " " + v);
    *handled = false;
    return true;
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
      if (arg[1] != '-' && arg != "-h") return refuse(arg);
      if (arg == "--") {
        optionsEnded = true;
        continue;
      }
      std::string_view name = arg;
      std::string_view inlineValue;
      bool hasInline = false;
      if (size_t eq = name.find('='); eq != std::string_view::npos) {
        inlineValue = name.substr(eq + 1);
        name = name.substr(0, eq);
        hasInline = true;
      }
      if (name == "--help" || name == "-h") {
        out->help = true;
        if (!noValue(name, hasInline)) return false;
        continue;
      }
      if (accept & kAcceptSettings) {
        bool handled = false;
        if (!setting(name, hasInline, inlineValue, &handled)) return false;
        if (handled) continue;
      }
      if ((accept & kAcceptFormat) && name == "--format") {
        std::string v;
        if (!value(name, hasInline, inlineValue, &v)) return false;
        if (std::find(formats.begin(), formats.end(), v) == formats.end()) {
          *error = "--format " + quoted(v) + ": choose one of";
          for (const std::string &f : formats) *error += " " + f;
          return false;
        }
        out->format = v;
        continue;
      }
      if ((accept & kAcceptRaw) && name == "--raw") {
        out->raw = true;
        if (!noValue(name, hasInline)) return false;
        continue;
      }
      if ((accept & kAcceptBrief) && name == "--brief") {
        out->brief = true;
        if (!noValue(name, hasInline)) return false;
        continue;
      }
      if ((accept & kAcceptNoDefaults) && name == "--no-defaults") {
        out->noDefaults = true;
        if (!noValue(name, hasInline)) return false;
        continue;
      }
      if ((accept & kAcceptStrict) && name == "--strict") {
        out->strict = true;
        if (!noValue(name, hasInline)) return false;
        continue;
      }
      if ((accept & kAcceptFile) && name == "--file") {
        if (!value(name, hasInline, inlineValue, &out->file)) return false;
        out->hasFile = true;
        continue;
      }
      return refuse(name);
    }
    return true;
  }
};

} // namespace

bool ParseCommandLine(const Args &args, uint32_t accept, const std::vector<std::string> &formats,
                      CommandLine *out, std::string *error) {
  *out = CommandLine{};
  Parser parser{args, accept, formats, out, error};
  return parser.run();
}

} // namespace m4k7cli
