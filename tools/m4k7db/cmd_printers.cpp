// m4k7db printers: the printers the module can open, from the file or the
// CUPS destinations it reads, and their values.
#include <cstdlib>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "engine/engine.h"
#include "engine/image.h"
#include "json.h"
#include "node_view.h"
#include "platform/posix/printer_data_file.h"

#if defined(M4K7DB_HAVE_CUPS)
#include <cups/cups.h>

#include "platform/cups/cups_store.h"
#endif
#include "request.h"
#include "text.h"

namespace m4k7cli {

namespace {

namespace pd = m4k7::platform::printer_data;

const char kHelp[] = R"(Usage: m4k7db printers [--file PATH] [--format text|json]

Lists the printers the module can open, from the store it reads them from:
the printer-data file named by $M4K7DB_PRINTER_DATA, or, when that is unset
and the module was built with CUPS, the CUPS destinations. Each printer
comes with its values (dwords in decimal and hex, hex values as bytes; for
CUPS the options that hold a number), the number under which root key 8
names each value, and whether the module opens it. Malformed lines of a
file are listed with their line number and the printer they keep from
opening. --file PATH reads that file instead, as the module would with
M4K7DB_PRINTER_DATA=PATH.

File format:
  ; comment                    (also #)
  [M4K7 Series]                a printer
  TpxUI_CustomECPMode = dword:0
  TpxLM_Flags = hex:01,02,03

A CUPS destination stores a value as an option:
  lpadmin -p NAME -o TpxUI_CustomECPMode-default=1

Exit status: 0 listed (every line well-formed), 1 malformed lines (listed),
2 no store (no file named and no CUPS in this build) or an unreadable file,
64 bad usage.

Examples:
  M4K7DB_PRINTER_DATA=printers.ini m4k7db printers
  m4k7db printers --file printers.ini --format json
)";

// Value names of root key 8 and their numbers, as the module answers them.
std::map<std::string, int32_t> valueNumbers() {
  // A printer-data select names its value by a 16-bit number, so the name
  // of each number is every name the module can read.
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  std::map<std::string, int32_t> numbers;
  for (int32_t number = 0; number <= 0xFFFF; ++number) {
    m4k7::LeafDescriptor name{};
    std::vector<uint8_t> bytes;
    if (m4k7::LookupValueName(image, number, &name) == M4K7DB_OK &&
        m4k7::imageview::FetchLeafBytes(image, nullptr, name, &bytes) == M4K7DB_OK)
      numbers.emplace(WideOf(bytes).text, number);
  }
  return numbers;
}

std::string dwordText(uint32_t d) { return "dword " + std::to_string(d) + " (" + Hex32(d) + ")"; }

std::string valueText(const pd::Value &v, const uint32_t *dword) {
  if (dword) return dwordText(*dword);
  std::string text = "hex, " + std::to_string(v.bytes.size()) + " byte" + (v.bytes.size() == 1 ? "" : "s");
  if (!v.bytes.empty()) text += ": " + HexBytes(v.bytes);
  if (v.bytes.size() > 4) text += " (longer than 4 bytes: the module cannot read it)";
  return text;
}

std::string valueLabel(const std::string &name) {
  std::string label = "  " + name;
  label.resize(std::max<size_t>(label.size() + 2, 40), ' ');
  return label;
}

// The module's own open, to show what a caller gets.
bool Opens(const std::string &utf8Name) {
  std::u16string name;
  PrinterHandle h = nullptr;
  const bool opens = Utf8ToUtf16(utf8Name, &name) &&
                     m4k7db_open_printer(reinterpret_cast<const uint16_t *>(name.c_str()), &h) == 0 && h;
  if (h) m4k7db_close_printer(h);
  return opens;
}

#if defined(M4K7DB_HAVE_CUPS)
// The destinations the module opens when no file is named, with the options
// that root key 8 names: the values the module reads.
Json cupsDestinations(std::ostream &text) {
  cups_dest_t *dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  const std::map<std::string, int32_t> numbers = valueNumbers();
  Json printers = Json::array();
  text << "CUPS destinations (M4K7DB_PRINTER_DATA is not set): " << count << " printer"
       << (count == 1 ? "" : "s") << (count == 0 ? " (no scheduler answered, or it has none)" : "") << '\n';
  for (int d = 0; d < count; ++d) {
    const cups_dest_t &dest = dests[d];
    if (dest.instance) continue; // the module opens destinations by name alone
    const bool opens = Opens(dest.name);
    Json pj = Json::object(), values = Json::array();
    pj.set("name", dest.name);
    pj.set("opens", opens);
    text << "\n[" << dest.name << "]  " << (opens ? "opens" : "does not open") << '\n';
    for (int o = 0; o < dest.num_options; ++o) {
      const std::string name = dest.options[o].name;
      auto number = numbers.find(name);
      if (number == numbers.end()) continue;
      uint32_t value = 0;
      const bool readable = m4k7::platform::cups::ParseOptionNumber(dest.options[o].value, &value);
      Json vj = Json::object();
      vj.set("name", name);
      vj.set("number", number->second);
      vj.set("text", dest.options[o].value);
      if (readable) vj.set("value", value);
      values.push(std::move(vj));
      text << valueLabel(name)
           << (readable ? dwordText(value)
                        : QuoteBytes(dest.options[o].value) + ", not a 32-bit number: reads fail")
           << "  [key 8 value " << number->second << "]\n";
    }
    pj.set("values", std::move(values));
    printers.push(std::move(pj));
  }
  cupsFreeDests(count, dests);
  Json report = Json::object();
  report.set("store", "cups");
  report.set("printers", std::move(printers));
  return report;
}
#endif

// The printers of a printer-data file, with its malformed lines: 0 when
// there are none, else 1.
int fileStore(const std::string &path, const std::string &content, std::ostream &text, Json *out) {
  const pd::File parsed = pd::ParseFile(content);
  const std::map<std::string, int32_t> numbers = valueNumbers();
  Json report = Json::object(), printers = Json::array(), malformed = Json::array();
  report.set("store", "file");
  report.set("file", path);
  text << "printer-data file " << path << ": " << parsed.printers.size() << " printer"
       << (parsed.printers.size() == 1 ? "" : "s") << "\n";
  for (const pd::Printer &printer : parsed.printers) {
    const bool opens = Opens(printer.name);
    Json pj = Json::object(), values = Json::array();
    pj.set("name", printer.name);
    pj.set("line", printer.line);
    pj.set("opens", opens);
    text << "\n[" << printer.name << "]  line " << printer.line << ", "
         << (opens ? "opens" : "does not open");
    if (opens != printer.opens) {
      pj.set("parserOpens", printer.opens);
      text << " (the file's parser says it " << (printer.opens ? "opens" : "does not") << ")";
    }
    text << '\n';
    for (const pd::Value &v : printer.values) {
      const bool isDword = v.kind == pd::ValueKind::kDword && v.bytes.size() == 4;
      const uint32_t dword = isDword ? uint32_t(v.bytes[0]) | uint32_t(v.bytes[1]) << 8 |
                                           uint32_t(v.bytes[2]) << 16 | uint32_t(v.bytes[3]) << 24
                                     : 0;
      Json vj = Json::object();
      vj.set("name", v.name);
      vj.set("line", v.line);
      vj.set("kind", v.kind == pd::ValueKind::kDword ? "dword" : "hex");
      vj.set("hex", HexBytes(v.bytes));
      if (isDword) vj.set("value", dword);
      text << valueLabel(v.name) << valueText(v, isDword ? &dword : nullptr);
      if (auto number = numbers.find(v.name); number != numbers.end()) {
        vj.set("number", number->second);
        text << "  [key 8 value " << number->second << "]";
      }
      text << "  (line " << v.line << ")\n";
      values.push(std::move(vj));
    }
    if (printer.values.empty()) text << "  (no values)\n";
    pj.set("values", std::move(values));
    printers.push(std::move(pj));
  }
  report.set("printers", std::move(printers));
  if (!parsed.malformed.empty()) text << "\nmalformed lines:\n";
  for (const pd::Malformed &m : parsed.malformed) {
    Json mj = Json::object();
    mj.set("line", m.line);
    mj.set("reason", m.reason);
    text << "  line " << m.line << ": " << m.reason;
    if (m.printer >= 0 && size_t(m.printer) < parsed.printers.size()) {
      mj.set("printer", parsed.printers[size_t(m.printer)].name);
      text << " (keeps \"" << parsed.printers[size_t(m.printer)].name << "\" from opening)\n";
    } else {
      text << " (before any printer: ignored)\n";
    }
    malformed.push(std::move(mj));
  }
  report.set("malformed", std::move(malformed));
  *out = std::move(report);
  return parsed.malformed.empty() ? kExitOk : kExitNoAnswer;
}

} // namespace

int RunPrinters(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  if (int code = StartCommand(args, {"printers", kHelp, kAcceptFormat | kAcceptFile}, &cl, out, err);
      code != kGoOn)
    return code;
  const bool json = cl.format == "json";
  TextOut text(cl, out);
  std::string path = cl.file;
  if (!cl.hasFile) {
    const char *env = std::getenv("M4K7DB_PRINTER_DATA");
    if (!env || !*env) {
#if defined(M4K7DB_HAVE_CUPS)
      Json report = cupsDestinations(text);
      if (json) out << report << '\n';
      return kExitOk;
#else
      err << "m4k7db printers: M4K7DB_PRINTER_DATA is not set and this build reads no CUPS destinations, so "
             "no "
             "printer opens (give --file PATH to read a file)\n";
      return kExitError;
#endif
    }
    path = env;
  }
  // An empty file reads as no data at all; only a missing one is an error.
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    err << "m4k7db printers: cannot read \"" << path << "\"\n";
    return kExitError;
  }
  std::stringstream content;
  content << file.rdbuf();
  // The module reads the file its variable names: point it at this one so
  // that "opens" below is the module's own answer for this file.
  if (cl.hasFile) setenv("M4K7DB_PRINTER_DATA", path.c_str(), 1);
  Json report;
  const int code = fileStore(path, content.str(), text, &report);
  if (json) out << report << '\n';
  return code;
}

} // namespace m4k7cli
