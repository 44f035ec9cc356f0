#include "reliability.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "engine/image.h"

namespace m4k7::reliability {

namespace {

constexpr size_t kGuard = 32;
constexpr uint8_t kGuardByte = 0xA7;

using AccessFunction = AccessStatus(M4K7DB_CALL *)(uint32_t, const AccessRequest *, uint32_t, void *,
                                                   uint32_t *);

AccessFunction FunctionOf(Database db) {
  switch (db) {
  case Database::Root: return VRT_AccessRootDataBase;
  case Database::Driver: return VRT_AccessDrvDataBase;
  case Database::LanguageMonitor: return VRT_AccessLMDataBase;
  case Database::Maintenance: return VRT_AccessMntDataBase;
  case Database::PA: return VRT_AccessPADataBase;
  case Database::StatusMonitor: return VRT_AccessSMDataBase;
  }
  return VRT_AccessRootDataBase;
}

} // namespace

Reply CallOnce(Database db, uint32_t key, const AccessRequest &request, uint32_t bufferSize,
               bool withBuffer) {
  std::vector<uint8_t> buffer(size_t(withBuffer ? bufferSize : 0) + kGuard, 0x5C);
  const size_t room = buffer.size() - kGuard;
  std::memset(buffer.data() + room, kGuardByte, kGuard);
  Reply r;
  r.status = FunctionOf(db)(key, &request, bufferSize, withBuffer ? buffer.data() : nullptr, &r.size);
  for (size_t i = room; i < buffer.size(); ++i) r.guardIntact = r.guardIntact && buffer[i] == kGuardByte;
  buffer.resize(room);
  r.bytes = std::move(buffer);
  return r;
}

Reply CallTwice(Database db, uint32_t key, const AccessRequest &request) {
  Reply query = CallOnce(db, key, request, 0, false);
  if (query.status != 2 || query.size == kUnwritten) return query;
  return CallOnce(db, key, request, query.size, true);
}

std::vector<DatabaseKey> EveryPublicKey() {
  const ImageDescriptor &image = CompiledImage();
  std::vector<DatabaseKey> keys;
  constexpr Database kAll[] = {Database::Root,        Database::Driver, Database::LanguageMonitor,
                               Database::Maintenance, Database::PA,     Database::StatusMonitor};
  auto add = [&](uint16_t key) {
    for (const DatabaseKey &k : keys)
      if (k.key == key) return;
    for (Database db : kAll)
      if (key >= RangeOf(db).first && key <= RangeOf(db).last) keys.push_back({db, key});
  };
  for (uint32_t i = 0; i < image.keyCount; ++i) add(image.keys[i]);
  for (uint16_t key = 4108; key <= 4126; ++key) add(key);
  return keys;
}

std::vector<std::string> ValueNames() {
  std::vector<std::string> names;
  int32_t slot = 0;
  AccessRequest r{};
  r.intParamCount = 1;
  r.intParams = &slot;
  for (uint32_t key : {8u, 18u}) {
    for (slot = 0; slot < 1000; ++slot) {
      Reply name = CallTwice(Database::Root, key, r);
      if (name.status != 0 || name.bytes.size() < 4) continue;
      std::string ascii;
      for (size_t i = 0; i + 1 < name.bytes.size() && name.bytes[i] != 0; i += 2)
        ascii += char(name.bytes[i]);
      bool known = false;
      for (const std::string &n : names) known = known || n == ascii;
      if (!known && !ascii.empty()) names.push_back(ascii);
    }
  }
  return names;
}

std::string SectionWithEveryValue(const std::string &printer, uint32_t others) {
  std::string text = "[" + printer + "]\n";
  for (const std::string &name : ValueNames())
    text +=
        name + " = dword:" + (name == "TpxUI_SilentModeTime" ? "0x04B00168" : std::to_string(others)) + "\n";
  return text;
}

} // namespace m4k7::reliability
