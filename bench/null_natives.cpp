// A native layer whose natives do nothing: every native entry point of the application interface
// returns 0 at once, the platform services answer "ready", "checks inactive" and "may write", and
// memory blocks come from malloc. The benchmark measures the library against it, so that what is
// timed is the conversion and not a native call.
#include <malloc.h>
#include <stdlib.h>

#include "native/platform.h"

// Argument lists of n bytes of 32-bit words, for the stdcall natives: the callee removes exactly
// the bytes the table gives.
#define QX3_NW_0 void
#define QX3_NW_4 uint32_t
#define QX3_NW_8 QX3_NW_4, uint32_t
#define QX3_NW_12 QX3_NW_8, uint32_t
#define QX3_NW_16 QX3_NW_12, uint32_t
#define QX3_NW_20 QX3_NW_16, uint32_t
#define QX3_NW_24 QX3_NW_20, uint32_t
#define QX3_NW_28 QX3_NW_24, uint32_t
#define QX3_NW_32 QX3_NW_28, uint32_t
#define QX3_NW_36 QX3_NW_32, uint32_t
#define QX3_NW_40 QX3_NW_36, uint32_t
#define QX3_NW_44 QX3_NW_40, uint32_t
#define QX3_NW_48 QX3_NW_44, uint32_t
#define QX3_NW_52 QX3_NW_48, uint32_t
#define QX3_NW_56 QX3_NW_52, uint32_t
#define QX3_NW_60 QX3_NW_56, uint32_t
#define QX3_NW_64 QX3_NW_60, uint32_t
#define QX3_NW_68 QX3_NW_64, uint32_t
#define QX3_NW_72 QX3_NW_68, uint32_t
#define QX3_NW_76 QX3_NW_72, uint32_t
#define QX3_NW_80 QX3_NW_76, uint32_t
#define QX3_NW_84 QX3_NW_80, uint32_t
#define QX3_NW_88 QX3_NW_84, uint32_t
#define QX3_NW_92 QX3_NW_88, uint32_t
#define QX3_NW_96 QX3_NW_92, uint32_t
#define QX3_NW_100 QX3_NW_96, uint32_t
#define QX3_NW_104 QX3_NW_100, uint32_t
#define QX3_NW_108 QX3_NW_104, uint32_t
#define QX3_NW_112 QX3_NW_108, uint32_t
#define QX3_NW_116 QX3_NW_112, uint32_t
#define QX3_NW_120 QX3_NW_116, uint32_t

// Rows of the frame family are the services, written out below; every other row is a native.
#define QX3_CAT(a, b) QX3_CAT_(a, b)
#define QX3_CAT_(a, b) a##b
#define QX3_SECOND(a, b, ...) b
#define QX3_IS_PROBE(...) QX3_SECOND(__VA_ARGS__, 0, ~)
#define QX3_FRAME_PROBE_frame ~, 1
#define QX3_IF_0(then_, else_) else_
#define QX3_IF_1(then_, else_) then_
#define QX3_IS_FRAME(family) QX3_IS_PROBE(QX3_CAT(QX3_FRAME_PROBE_, family))
#define QX3_NULL_NATIVE(name, bytes, module, family)                                                   \
    QX3_CAT(QX3_IF_, QX3_IS_FRAME(family))(,                                                           \
        extern "C" __attribute__((visibility("default"), stdcall)) int32_t name(QX3_NW_##bytes) { return 0; })

#include "native/table.inc"

QX3_NATIVE_TABLE(QX3_NULL_NATIVE)

#define NULL_EXPORT extern "C" __attribute__((visibility("default")))

static uint32_t g_flags[256];
extern "C" {
__attribute__((visibility("default"))) uint32_t* g_sqltCompTraceFlags = g_flags;

// Blocks handed out since the start: the benchmark reports blocks per call from it.
__attribute__((visibility("default"))) uint32_t qx3null_blocks = 0;
}

NULL_EXPORT int32_t QX3_SERVICE sqlo_create_init_app_data(uint32_t) { return 0; }
NULL_EXPORT int32_t QX3_SERVICE sqlo_ptr_check_active(void) { return 0; }
NULL_EXPORT int32_t QX3_SERVICE sqlagcptr_real(const void*, uint32_t, uint8_t) { return 0; }
NULL_EXPORT void QX3_SERVICE sqlmprca(const char*, uint16_t, const char*, sqlca*) {}
NULL_EXPORT int32_t QX3_SERVICE sqloincaChkptr(sqlca*) { return 0; }
NULL_EXPORT void QX3_SERVICE sqloinca(sqlca*) {}
NULL_EXPORT void QX3_SERVICE sqlofica(sqlca*) {}
NULL_EXPORT int32_t QX3_SERVICE sqlocptrs(void**, uint32_t*, uint8_t*, uint32_t, uint32_t) { return 0; }
// A platform memory service keeps its memory pooled: a large block comes from memory already
// mapped, as a small one does, rather than from fresh pages mapped and faulted in for each call.
__attribute__((constructor)) static void pool_memory() {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

NULL_EXPORT void* QX3_SERVICE sqloGetMemoryBlockExtended(uint32_t, uint32_t size, uint32_t, int32_t* rc, uint32_t,
                                                         const char*, uint32_t) {
    ++qx3null_blocks;
    void* p = malloc(size ? size : 1);
    *rc = p == nullptr ? 1 : 0;
    return p;
}
NULL_EXPORT void QX3_SERVICE sqlofmblkEx(const char*, uint32_t, void* block) { free(block); }
NULL_EXPORT int32_t QX3_SERVICE sqlogstt(void*, int32_t, int32_t, void*) { return 0; }
NULL_EXPORT int32_t QX3_SERVICE sqlaintp_api(void*, int32_t, int32_t, const char*, void*) { return 0; }
NULL_EXPORT void QX3_SERVICE sqltinit(void) {}
NULL_EXPORT void QX3_SERVICE pdtEntry(uint32_t) {}
NULL_EXPORT void QX3_SERVICE sqleWlDispDiagEntry(uint32_t) {}
NULL_EXPORT void QX3_SERVICE sqleWlDispDiagExit(uint32_t) {}
NULL_EXPORT void QX3_SERVICE sqltExit(uint32_t, int32_t) {}
NULL_EXPORT void QX3_SERVICE pdFlightRecordTrc(uint32_t, uint64_t, uint64_t, uint64_t) {}
NULL_EXPORT void QX3_SERVICE pdLog(uint64_t, uint32_t, uint64_t, uint32_t, uint32_t, uint64_t, ...) {}
