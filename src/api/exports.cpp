// The module's exported functions: argument passing only, over the image
// compiled into the module.
#include "api/access.h"
#include "m4k7db.h"
#include "platform/platform.h"

using m4k7::AccessDatabase;
using m4k7::CompiledImage;
using m4k7::Database;

extern "C" {

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessRootDataBase(uint32_t key, const AccessRequest *request,
                                                           uint32_t bufferSize, void *buffer,
                                                           uint32_t *outSize) {
  return AccessDatabase(CompiledImage(), Database::Root, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessDrvDataBase(uint32_t key, const AccessRequest *request,
                                                          uint32_t bufferSize, void *buffer,
                                                          uint32_t *outSize) {
  return AccessDatabase(CompiledImage(), Database::Driver, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessLMDataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize) {
  return AccessDatabase(CompiledImage(), Database::LanguageMonitor, key, request, bufferSize, buffer,
                        outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessMntDataBase(uint32_t key, const AccessRequest *request,
                                                          uint32_t bufferSize, void *buffer,
                                                          uint32_t *outSize) {
  return AccessDatabase(CompiledImage(), Database::Maintenance, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessPADataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize) {
  return AccessDatabase(CompiledImage(), Database::PA, key, request, bufferSize, buffer, outSize);
}

M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessSMDataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize) {
  return AccessDatabase(CompiledImage(), Database::StatusMonitor, key, request, bufferSize, buffer, outSize);
}

#if !defined(_WIN32)
M4K7DB_API int m4k7db_open_printer(const uint16_t *name, PrinterHandle *handle) {
  if (handle == nullptr) return 1;
  *handle = name ? m4k7::platform::OpenPrinter(name) : nullptr;
  return *handle ? 0 : 1;
}

M4K7DB_API void m4k7db_close_printer(PrinterHandle handle) { m4k7::platform::ClosePrinter(handle); }
#endif

} // extern "C"
