#include "request.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#include "engine/status.h"
#include "key_info.h"
#include "text.h"

namespace m4k7cli {

const std::vector<DatabaseInfo> &Databases() {
  static const std::vector<DatabaseInfo> kDatabases = {
      {"root", "root", "VRT_AccessRootDataBase", m4k7::Database::Root, VRT_AccessRootDataBase},
      {"drv", "driver", "VRT_AccessDrvDataBase", m4k7::Database::Driver, VRT_AccessDrvDataBase},
      {"lm", "language monitor", "VRT_AccessLMDataBase", m4k7::Database::LanguageMonitor,
       VRT_AccessLMDataBase},
      {"mnt", "maintenance", "VRT_AccessMntDataBase", m4k7::Database::Maintenance, VRT_AccessMntDataBase},
      {"pa", "PA", "VRT_AccessPADataBase", m4k7::Database::PA, VRT_AccessPADataBase},
      {"sm", "status monitor", "VRT_AccessSMDataBase", m4k7::Database::StatusMonitor, VRT_AccessSMDataBase},
  };
  return kDatabases;
}

const DatabaseInfo *FindDatabase(std::string_view name) {
  for (const DatabaseInfo &db : Databases())
    if (name == db.name) return &db;
  return nullptr;
}

const DatabaseInfo &DatabaseOf(m4k7::Database db) {
  for (const DatabaseInfo &info : Databases())
    if (info.db == db) return info;
  return Databases().front();
}

int ExitCodeOf(AccessStatus status) {
  if (status == M4K7DB_OK) return kExitOk;
  if (status == M4K7DB_NOT_FOUND || status == M4K7DB_UNKNOWN_KEY) return kExitNoAnswer;
  return kExitError;
}

std::string StatusText(AccessStatus status) {
  return std::string(m4k7::StatusName(status)) + " (" + std::to_string(status) + ")";
}

std::string StatusHint(const DatabaseInfo &db, uint32_t key, AccessStatus status) {
  m4k7::KeyRange range = m4k7::RangeOf(db.db);
  switch (status) {
  case M4K7DB_OK: return "";
  case M4K7DB_NOT_FOUND:
    if (!InRange(db, key))
      return "key " + HexKey(uint16_t(key)) + " lies outside the " + db.title + " database's keys " +
             HexKey(range.first) + "-" + HexKey(range.last) + ", so " + db.function +
             " answers 1 without looking";
    return "no answer for these settings: no leaf of the key on the branch they reach (see 'm4k7db explain')";
  case M4K7DB_BUFFER_TOO_SMALL: return "the answer grew between the size query and the second call";
  case M4K7DB_UNKNOWN_KEY: return "the key is not in the image's key index";
  case M4K7DB_FAILED: return "inconsistent image or exhausted scratch memory";
  case M4K7DB_MISSING_STRING: return "the answer needs a string slot the request lacks (--strs)";
  case M4K7DB_MISSING_INT: return "the answer needs an integer slot the request lacks (--ints)";
  case M4K7DB_NO_PRINTER:
    return "the answer reads the printer's stored data and no printer is open (--printer)";
  default: return "";
  }
}

bool InRange(const DatabaseInfo &db, uint32_t key) {
  m4k7::KeyRange range = m4k7::RangeOf(db.db);
  uint16_t k = uint16_t(key);
  return k >= range.first && k <= range.last;
}

const char *DatabaseNameOf(uint16_t key) {
  for (const DatabaseInfo &db : Databases())
    if (InRange(db, key)) return db.name;
  return "internal";
}

OwnedRequest::~OwnedRequest() {
  if (toolHandle) m4k7db_close_printer(toolHandle);
}

const AccessRequest &OwnedRequest::build(bool forEngine) {
  pointers_.clear();
  for (const std::string &s : strings) pointers_.push_back(s.c_str());
  request_ = AccessRequest{};
  request_.intParamCount = uint32_t(ints.size());
  request_.intParams = ints.empty() ? nullptr : ints.data();
  request_.stringParamCount = uint32_t(pointers_.size());
  request_.stringParams = pointers_.empty() ? nullptr : pointers_.data();
  if (forEngine) {
    request_.printerHandle = toolHandle;
  } else {
    request_.printerHandle = handle;
    if (!handle && hasName) request_.printerName = reinterpret_cast<const uint16_t *>(printerName.c_str());
  }
  return request_;
}

const AccessRequest &OwnedRequest::view() { return build(false); }
const AccessRequest &OwnedRequest::engineView() { return build(true); }

std::string OwnedRequest::describe(const std::vector<uint32_t> &slots) const {
  std::string text;
  for (uint32_t slot : slots) {
    if (slot >= ints.size()) continue;
    if (!text.empty()) text += ' ';
    text += "I[" + std::to_string(slot) + "]=" + std::to_string(ints[slot]);
    if (const char *name = m4k7::imageview::FindValueName(uint16_t(slot), ints[slot]))
      text += std::string(" (") + name + ")";
  }
  return text;
}

std::string OwnedRequest::summary() const {
  // "N integer slots (I[4]=4 ...)": the count, then the slots in use.
  auto slots = [](const auto &values, const char *kind, const char *letter, auto show) {
    std::string set;
    for (size_t i = 0; i < values.size(); ++i)
      if (!show(values[i]).empty())
        set += (set.empty() ? "" : " ") + std::string(letter) + std::to_string(i) + "]=" + show(values[i]);
    return std::to_string(values.size()) + " " + kind + (values.size() == 1 ? "" : "s") +
           (set.empty() ? "" : " (" + set + ")");
  };
  std::string text =
      slots(ints, "integer slot", "I[", [](int32_t v) { return v ? std::to_string(v) : std::string(); }) +
      ", " +
      slots(strings, "string slot", "S[", [](const std::string &s) { return s.empty() ? s : QuoteBytes(s); });
  if (!hasName)
    text += ", no printer";
  else
    text += ", printer \"" + printerText + "\"" +
            (toolHandle ? (handle ? " by handle" : " by name") : " (does not open)");
  return text;
}

std::vector<int32_t> DefaultPairs() {
  std::vector<int32_t> ints(m4k7::kDriverSlotCount, 0);
  AccessRequest request{};
  request.intParamCount = uint32_t(ints.size());
  request.intParams = ints.data();
  Answer a = Ask(DatabaseOf(m4k7::Database::Driver), kDefaultSettingsKey, request);
  if (a.status != M4K7DB_OK) return {};
  return IntsOf(a.bytes);
}

bool BuildRequest(const DatabaseInfo &db, const Settings &settings, OwnedRequest *request, std::string *error,
                  std::ostream &err) {
  const m4k7::TemplateShape shape = StandardShape(db);
  uint32_t intCount = settings.hasIntCount ? settings.intCount : shape.intSlots;
  uint32_t stringCount = settings.hasStringCount ? settings.stringCount : shape.stringSlots;
  request->ints.assign(intCount, 0);
  request->strings.assign(stringCount, std::string());

  if (settings.defaults) {
    std::vector<int32_t> pairs = DefaultPairs();
    if (pairs.empty()) err << "m4k7db: warning: key 4131 gave no default settings; starting from zeros\n";
    for (size_t i = 0; i + 1 < pairs.size(); i += 2)
      if (pairs[i] >= 0 && uint32_t(pairs[i]) < intCount) request->ints[size_t(pairs[i])] = pairs[i + 1];
  }

  for (const IntSetting &s : settings.ints) {
    bool any = false;
    for (uint32_t slot : s.slots) {
      if (slot >= intCount) continue;
      request->ints[slot] = s.value;
      any = true;
    }
    if (!any) {
      std::string slots;
      for (uint32_t slot : s.slots) slots += (slots.empty() ? "I[" : ", I[") + std::to_string(slot) + "]";
      *error = s.option + " sets " + slots + ", beyond the " + std::to_string(intCount) + " integer slot" +
               (intCount == 1 ? "" : "s") + " of the " + db.name + " request (give --ints " +
               std::to_string(s.slots.front() + 1) + " or more)";
      return false;
    }
  }
  for (const StringSetting &s : settings.strings) {
    if (s.slot >= stringCount) {
      *error = s.option + " sets S[" + std::to_string(s.slot) + "], beyond the " +
               std::to_string(stringCount) + " string slot" + (stringCount == 1 ? "" : "s") + " of the " +
               db.name + " request (give --strs " + std::to_string(s.slot + 1) + " or more)";
      return false;
    }
    if (s.text.find('\0') != std::string::npos) {
      *error = s.option + ": a string parameter ends at its first zero byte";
      return false;
    }
    request->strings[s.slot] = s.text;
  }

  if (settings.useHandle && !settings.hasPrinter) {
    *error = "--handle needs --printer NAME";
    return false;
  }
  if (settings.hasPrinter) {
    if (!Utf8ToUtf16(settings.printer, &request->printerName)) {
      *error = "--printer: the name is not valid UTF-8";
      return false;
    }
    request->printerText = settings.printer;
    request->hasName = true;
    PrinterHandle probe = nullptr;
    if (m4k7db_open_printer(reinterpret_cast<const uint16_t *>(request->printerName.c_str()), &probe) != 0 ||
        !probe) {
      err << "m4k7db: printer \"" << settings.printer
          << "\" does not open (see M4K7DB_PRINTER_DATA); asking without a printer\n";
      probe = nullptr;
    }
    request->toolHandle = probe;
    if (settings.useHandle) request->handle = probe;
  }
  return true;
}

int BuildCommandRequest(const DatabaseInfo &db, const CommandLine &cl, std::string_view command,
                        OwnedRequest *request, std::ostream &err) {
  std::string error;
  return BuildRequest(db, cl.settings, request, &error, err) ? kGoOn : Usage(err, command, error);
}

Answer Ask(const DatabaseInfo &db, uint32_t key, const AccessRequest &request) {
  Answer a;
  uint32_t size = 0;
  a.status = db.access(key, &request, 0, nullptr, &size);
  if (a.status != M4K7DB_BUFFER_TOO_SMALL) {
    a.sizeQueryOnly = true;
    a.size = a.status == M4K7DB_OK ? size : 0;
    return a;
  }
  // The item lists leave the size unwritten on success: keep the size the
  // query reported.
  a.bytes.assign(std::max<uint32_t>(size, 1), 0);
  uint32_t needed = size;
  a.status = db.access(key, &request, needed, a.bytes.data(), &size);
  a.size = a.status == M4K7DB_OK ? std::min(size, needed) : size;
  a.bytes.resize(a.status == M4K7DB_OK ? a.size : 0);
  return a;
}

std::vector<int32_t> IntsOf(const std::vector<uint8_t> &bytes) {
  std::vector<int32_t> ints(bytes.size() / 4);
  if (!ints.empty()) std::memcpy(ints.data(), bytes.data(), ints.size() * 4);
  return ints;
}

} // namespace m4k7cli
