// The exported access functions: argument checks and the engine live in
// AccessDatabase (api/access.h); these only name their database.
#include "api/access.h"
#include "m4k7db.h"
#include "platform/platform.h"

using m4k7::Database;

namespace {

// Each export jumps here with its database; the image is the compiled one.
AccessStatus AccessCompiledImage(Database db, uint32_t key, const AccessRequest *request, uint32_t bufferSize,
                                 void *buffer, uint32_t *outSize) {
  return m4k7::AccessDatabase(m4k7::CompiledImage(), db, key, request, bufferSize, buffer, outSize);
}

} // namespace

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessRootDataBase(uint32_t key, const AccessRequest *request,
                                                           uint32_t bufferSize, void *buffer,
                                                           uint32_t *outSize) {
  return AccessCompiledImage(Database::Root, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessDrvDataBase(uint32_t key, const AccessRequest *request,
                                                          uint32_t bufferSize, void *buffer,
                                                          uint32_t *outSize) {
  return AccessCompiledImage(Database::Driver, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessLMDataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize) {
  return AccessCompiledImage(Database::LanguageMonitor, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessMntDataBase(uint32_t key, const AccessRequest *request,
                                                          uint32_t bufferSize, void *buffer,
                                                          uint32_t *outSize) {
  return AccessCompiledImage(Database::Maintenance, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessPADataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize) {
  return AccessCompiledImage(Database::PA, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessSMDataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize) {
  return AccessCompiledImage(Database::StatusMonitor, key, request, bufferSize, buffer, outSize);
}

#if !defined(_WIN32)
// A POSIX caller has no spooler to open printers with, so the module lends
// it the one its own by-name path uses.
M4K7DB_API int m4k7db_open_printer(const uint16_t *name, PrinterHandle *handle) {
  if (name == nullptr || handle == nullptr) return 1;
  *handle = m4k7::platform::OpenPrinter(name);
  return *handle != nullptr ? 0 : 1;
}

M4K7DB_API void m4k7db_close_printer(PrinterHandle handle) { m4k7::platform::ClosePrinter(handle); }
#endif
