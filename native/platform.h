// The services the library calls besides the native entry points: per-thread application data,
// pointer checks, the status-record write check, memory blocks, and the diagnostic services.
// All of them take the convention in which the caller removes the arguments (cdecl). The native
// entry points of the application interface are stdcall, like the library's own; their
// declarations are in this folder too, one header per family.
#ifndef QX3_NATIVE_PLATFORM_H
#define QX3_NATIVE_PLATFORM_H

#include <stdint.h>

#include "qx3agapi.h"

#if defined(_WIN32)
#define QX3_SERVICE __cdecl
#define QX3_NATIVE __stdcall
#else
#define QX3_SERVICE __attribute__((cdecl))
#define QX3_NATIVE __attribute__((stdcall))
#endif

extern "C" {

// Application data of the calling thread; 0 = ready. The library always passes 0x8E8215.
int32_t QX3_SERVICE sqlo_create_init_app_data(uint32_t what);

// Nonzero while pointer checks are active; asked afresh before every single check.
int32_t QX3_SERVICE sqlo_ptr_check_active(void);

// 0 when `length` bytes at p may be accessed in `mode` (1 read, 2 write, 3 both).
int32_t QX3_SERVICE sqlagcptr_real(const void* p, uint32_t length, uint8_t mode);

// Fills the status record to report a missing parameter.
void QX3_SERVICE sqlmprca(const char* function, uint16_t length, const char* parameter, sqlca* ca);

// 0 when the status record may be written.
int32_t QX3_SERVICE sqloincaChkptr(sqlca* ca);
void QX3_SERVICE sqloinca(sqlca* ca);
void QX3_SERVICE sqlofica(sqlca* ca);
int32_t QX3_SERVICE sqlocptrs(void** pointer, uint32_t* length, uint8_t* flag, uint32_t a4, uint32_t a5);

// Memory blocks. Failure is reported through *rc only; the returned pointer is then meaningless.
void* QX3_SERVICE sqloGetMemoryBlockExtended(uint32_t a1, uint32_t size, uint32_t a3, int32_t* rc,
                                             uint32_t a5, const char* file, uint32_t line);
void QX3_SERVICE sqlofmblkEx(const char* file, uint32_t line, void* block);

// Message services (return their result as it comes).
int32_t QX3_SERVICE sqlogstt(void* buffer, int32_t width, int32_t lineWidth, void* status);
int32_t QX3_SERVICE sqlaintp_api(void* buffer, int32_t width, int32_t lineWidth, const char* messageFile,
                                 void* status);

// Trace bracket of the load entry points; nothing is read back.
void QX3_SERVICE sqltinit(void);
void QX3_SERVICE pdtEntry(uint32_t probe);
void QX3_SERVICE sqleWlDispDiagEntry(uint32_t probe);
void QX3_SERVICE sqleWlDispDiagExit(uint32_t probe);
void QX3_SERVICE sqltExit(uint32_t probe, int32_t result);
void QX3_SERVICE pdFlightRecordTrc(uint32_t probe, uint64_t v1, uint64_t v2, uint64_t v3);

// Diagnostic-log record: level, identifier, 0, probe, 2, item count, then per item a type word, a
// length and an address.
void QX3_SERVICE pdLog(uint64_t level, uint32_t id, uint64_t zero, uint32_t probe, uint32_t two,
                       uint64_t items, ...);

// Component trace flags: a pointer to a table of 32-bit flag words, read afresh at every test.
#if defined(_WIN32)
__declspec(dllimport) extern uint32_t* g_sqltCompTraceFlags;
#else
extern uint32_t* g_sqltCompTraceFlags;
#endif

}  // extern "C"

#endif
