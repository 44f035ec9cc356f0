/*
 * m4k7db.h -- the M4K7 printer database.
 *
 * The module describes the M4K7 inkjet printer to the components of its
 * driver package. A component asks a numbered question (a 16-bit key) of one
 * of six databases and receives a typed answer: a zero-terminated UTF-16
 * name, an array of signed 32-bit integers, a fixed record or printer command
 * bytes. The answer depends on the key, the caller's parameters, the
 * printer's stored data and the user's locale.
 *
 * The usual pattern is two calls:
 *
 *     uint32_t size = 0;
 *     if (VRT_AccessRootDataBase(3, &req, 0, NULL, &size) == M4K7DB_BUFFER_TOO_SMALL) {
 *         void *buf = malloc(size);
 *         status = VRT_AccessRootDataBase(3, &req, size, buf, &size);
 *     }
 *
 * Nothing is cached between calls; every call repeats the whole lookup. All
 * functions may be called from several threads at once.
 *
 * Printer data. On Windows the printer's stored data is the spooler's
 * printer data (GetPrinterDataW). Elsewhere the module reads it from the
 * printer-data file named by the environment variable M4K7DB_PRINTER_DATA
 * when it is set, otherwise from the CUPS destinations' options when the
 * module was built with CUPS; without either, no printer opens.
 *
 * This header works from C99 and C++.
 */
#ifndef M4K7DB_H
#define M4K7DB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Calling convention of the access functions: __stdcall on 32-bit Windows,
 * the platform's default elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define M4K7DB_CALL __stdcall
#else
#define M4K7DB_CALL
#endif

#if defined(_WIN32)
#if defined(M4K7DB_BUILDING)
#define M4K7DB_API
#else
#define M4K7DB_API __declspec(dllimport)
#endif
#elif defined(M4K7DB_BUILDING)
#define M4K7DB_API __attribute__((visibility("default")))
#else
#define M4K7DB_API
#endif

/* A printer handle: on Windows a spooler HANDLE from OpenPrinterW, elsewhere
 * one from m4k7db_open_printer. NULL means no printer. */
typedef void *PrinterHandle;

/* The request's context and counts: 32-bit values, each stored in a machine
 * word on 64-bit Windows, whose spooler components pass the record as seven
 * pointer-sized fields. */
#if defined(_WIN64)
typedef uint64_t AccessWord;
#else
typedef uint32_t AccessWord;
#endif

/* The request every access function takes. The caller owns it and
 * everything it references; the module only reads it and keeps nothing of
 * it after the call. I[n] below means intParams[n], S[n] stringParams[n]. */
typedef struct AccessRequest {
  PrinterHandle printerHandle;     /* printer whose stored data may be read; never closed by the module */
  AccessWord context;              /* never interpreted; carried into derived requests */
  AccessWord stringParamCount;     /* entries in stringParams */
  const char *const *stringParams; /* zero-terminated 8-bit strings; an absent entry reads as "" */
  AccessWord intParamCount;        /* entries in intParams */
  const int32_t *intParams;        /* the integer parameters */
  const uint16_t *printerName;     /* UTF-16LE, zero-terminated; opened only when printerHandle is NULL */
} AccessRequest;

/* On Windows the record is seven pointer-sized fields: 28 bytes in the 32-bit
 * DLL, 56 bytes in the 64-bit one, as the spooler's components lay it out. */
#if defined(_WIN32) && (defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L))
#ifdef __cplusplus
#define M4K7DB_STATIC_ASSERT static_assert
#else
#define M4K7DB_STATIC_ASSERT _Static_assert
#endif
#if defined(_WIN64)
M4K7DB_STATIC_ASSERT(sizeof(AccessRequest) == 56, "AccessRequest is seven 64-bit words");
#else
M4K7DB_STATIC_ASSERT(sizeof(AccessRequest) == 28, "AccessRequest is seven 32-bit words");
#endif
#undef M4K7DB_STATIC_ASSERT
#endif

/* The signed status of every call. Negative values are errors; positive
 * values are normal outcomes a caller handles. */
typedef int32_t AccessStatus;

#define M4K7DB_OK 0                /* the answer is in the buffer, *outSize its length in bytes */
#define M4K7DB_NOT_FOUND 1         /* key outside the function's range, or no answer for these parameters */
#define M4K7DB_BUFFER_TOO_SMALL 2  /* buffer absent or too small: *outSize holds the bytes needed */
#define M4K7DB_UNKNOWN_KEY 3       /* key in range but not in the database */
#define M4K7DB_FAILED (-1)         /* inconsistent database or exhausted scratch memory */
#define M4K7DB_MISSING_STRING (-2) /* a string parameter the answer needs is missing */
#define M4K7DB_MISSING_INT (-3)    /* an integer parameter the answer needs is missing */
#define M4K7DB_NO_PRINTER (-4)     /* no request, or the answer needs printer data and no printer is open */

/*
 * The six access functions share one signature:
 *
 *   key         only the low 16 bits count; each function accepts one range
 *               (root 0x0001-0x0FFF, driver 0x1001-0x1FFF, language monitor
 *               0x2001-0x2FFF, maintenance 0x3001-0x3FFF, PA 0x4001-0x4FFF,
 *               status monitor 0x6001-0x6FFF) and answers 1 to any other key.
 *   request     required; NULL gives M4K7DB_NO_PRINTER before anything else.
 *               With printerHandle NULL and printerName set, the function
 *               opens the printer for the call and closes it again; a name
 *               that does not open leaves the call without a printer.
 *   bufferSize  capacity of buffer in bytes.
 *   buffer      NULL (or too small) makes the call a size query.
 *   outSize     required: the bytes needed on status 2, the bytes written on
 *               status 0 (the driver's item lists, keys 4108-4116, 4118,
 *               4119, 4173, 4174, 4177, 4180 and 4186, leave it unwritten
 *               on success: the size query gave the size). Untouched on the
 *               early statuses 1 (out of range), 3 and -4.
 *
 * Returns one of the M4K7DB_ statuses above. Names arrive as zero-terminated
 * UTF-16 strings, integers as signed 32-bit values in host order, command
 * bytes without a terminator.
 */
M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessRootDataBase(uint32_t key, const AccessRequest *request,
                                                           uint32_t bufferSize, void *buffer,
                                                           uint32_t *outSize);
M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessDrvDataBase(uint32_t key, const AccessRequest *request,
                                                          uint32_t bufferSize, void *buffer,
                                                          uint32_t *outSize);
M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessLMDataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize);
M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessMntDataBase(uint32_t key, const AccessRequest *request,
                                                          uint32_t bufferSize, void *buffer,
                                                          uint32_t *outSize);
M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessPADataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize);
M4K7DB_API AccessStatus M4K7DB_CALL VRT_AccessSMDataBase(uint32_t key, const AccessRequest *request,
                                                         uint32_t bufferSize, void *buffer,
                                                         uint32_t *outSize);

#if !defined(_WIN32)
/* Opens a printer by its UTF-16 name the way a Windows caller would with
 * OpenPrinterW, so that a caller can hold one handle across many calls.
 * Returns 0 and sets *handle when the printer opened, nonzero otherwise.
 * The handle sees the printer's values as they were when it was opened. */
M4K7DB_API int m4k7db_open_printer(const uint16_t *name, PrinterHandle *handle);

/* Closes a handle from m4k7db_open_printer; NULL is ignored. */
M4K7DB_API void m4k7db_close_printer(PrinterHandle handle);
#endif

#ifdef __cplusplus
}
#endif

#endif /* M4K7DB_H */
