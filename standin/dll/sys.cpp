// QX3SYS stand-in DLL: the platform services as a plausible client gives them when nothing goes
// wrong (application data ready, pointer checks off, every memory request granted), each traced.
#include "native/platform.h"
#include "trace.h"

#include <initializer_list>

namespace {

uint32_t w(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

void trace(const char* name, std::initializer_list<uint32_t> words, uint64_t strings = 0) {
    standin_dll::trace(name, words.begin(), static_cast<unsigned>(words.size()), strings);
}

}  // namespace

#define SERVICE STANDIN_DLL

SERVICE int32_t QX3_SERVICE sqlo_create_init_app_data(uint32_t what) {
    trace("sqlo_create_init_app_data", {what});
    return 0;
}
SERVICE int32_t QX3_SERVICE sqlo_ptr_check_active(void) {
    trace("sqlo_ptr_check_active", {});
    return 0;
}
SERVICE int32_t QX3_SERVICE sqloincaChkptr(sqlca* ca) {
    trace("sqloincaChkptr", {w(ca)});
    return 0;
}
SERVICE void QX3_SERVICE sqloinca(sqlca* ca) {
    trace("sqloinca", {w(ca)});
    standin_dll::fill_sqlca(ca, 0);
}
SERVICE void QX3_SERVICE sqlofica(sqlca* ca) {
    trace("sqlofica", {w(ca)});
    standin_dll::fill_sqlca(ca, 0);
}
SERVICE int32_t QX3_SERVICE sqlocptrs(void** pointer, uint32_t* length, uint8_t* flag, uint32_t a4, uint32_t a5) {
    trace("sqlocptrs", {w(pointer), w(length), w(flag), a4, a5});
    return 0;
}
SERVICE void* QX3_SERVICE sqloGetMemoryBlockExtended(uint32_t a1, uint32_t size, uint32_t a3, int32_t* rc,
                                                     uint32_t a5, const char* file, uint32_t line) {
    void* p = malloc(size ? size : 1);
    *rc = p ? 0 : static_cast<int32_t>(0x8B0F0000);
    trace("sqloGetMemoryBlockExtended", {a1, size, a3, w(rc), a5, w(file), line, w(p)}, 1u << 5);
    return p;
}
SERVICE void QX3_SERVICE sqlofmblkEx(const char* file, uint32_t line, void* block) {
    trace("sqlofmblkEx", {w(file), line, w(block)}, 1u << 0);
    free(block);
}
SERVICE int32_t QX3_SERVICE sqlogstt(void* buffer, int32_t width, int32_t lineWidth, void* status) {
    trace("sqlogstt", {w(buffer), static_cast<uint32_t>(width), static_cast<uint32_t>(lineWidth), w(status)});
    return 0;
}
SERVICE int32_t QX3_SERVICE sqlaintp_api(void* buffer, int32_t width, int32_t lineWidth, const char* messageFile,
                                         void* status) {
    trace("sqlaintp_api", {w(buffer), static_cast<uint32_t>(width), static_cast<uint32_t>(lineWidth), w(messageFile),
                           w(status)}, 1u << 3);
    return 0;
}
SERVICE void QX3_SERVICE sqltinit(void) { trace("sqltinit", {}); }
SERVICE void QX3_SERVICE pdtEntry(uint32_t probe) { trace("pdtEntry", {probe}); }
SERVICE void QX3_SERVICE sqleWlDispDiagEntry(uint32_t probe) { trace("sqleWlDispDiagEntry", {probe}); }
SERVICE void QX3_SERVICE sqleWlDispDiagExit(uint32_t probe) { trace("sqleWlDispDiagExit", {probe}); }
SERVICE void QX3_SERVICE sqltExit(uint32_t probe, int32_t result) {
    trace("sqltExit", {probe, static_cast<uint32_t>(result)});
}
SERVICE void QX3_SERVICE pdFlightRecordTrc(uint32_t probe, uint64_t v1, uint64_t v2, uint64_t v3) {
    trace("pdFlightRecordTrc", {probe, static_cast<uint32_t>(v1), static_cast<uint32_t>(v1 >> 32),
                                static_cast<uint32_t>(v2), static_cast<uint32_t>(v2 >> 32),
                                static_cast<uint32_t>(v3), static_cast<uint32_t>(v3 >> 32)});
}
SERVICE void QX3_SERVICE pdLog(uint64_t level, uint32_t id, uint64_t zero, uint32_t probe, uint32_t two,
                               uint64_t items, ...) {
    trace("pdLog", {static_cast<uint32_t>(level), id, static_cast<uint32_t>(zero), probe, two,
                    static_cast<uint32_t>(items)});
}
