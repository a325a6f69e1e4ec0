// QX3APP stand-in DLL: the two services QX3APP provides; its native entry points are the thunks of
// natives.cpp.
#include "native/platform.h"
#include "trace.h"

STANDIN_DLL int32_t QX3_SERVICE sqlagcptr_real(const void* p, uint32_t length, uint8_t mode) {
    const uint32_t words[] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)), length, mode};
    standin_dll::trace("sqlagcptr_real", words, 3, 0);
    return 0;
}

STANDIN_DLL void QX3_SERVICE sqlmprca(const char* function, uint16_t length, const char* parameter, sqlca* ca) {
    const uint32_t words[] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(function)), length,
                              static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parameter)),
                              static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ca))};
    standin_dll::trace("sqlmprca", words, 4, (1u << 0) | (1u << 2));
    standin_dll::fill_sqlca(ca, -2032);
}
