// QX3APP stand-in: the pointer-check service and the missing-parameter report. The native entry
// points of each family live in natives/, one file per family, all linked into the same library.
#include <string.h>

#include "common.h"
#include "native/platform.h"

using namespace standin;

extern "C" int32_t standin_check(const void* p, uint32_t length, uint8_t mode);

STANDIN_EXPORT int32_t QX3_SERVICE sqlagcptr_real(const void* p, uint32_t length, uint8_t mode) {
    return standin_check(p, length, mode);
}

STANDIN_EXPORT void QX3_SERVICE sqlmprca(const char* function, uint16_t length, const char* parameter, sqlca* ca) {
    // A fifth word the library did not pass: the sqlcode the record held when the report began.
    const uint32_t code_before = ca != nullptr ? static_cast<uint32_t>(ca->sqlcode) : 0;
    record("sqlmprca", {word(function), length, word(parameter), word(ca), code_before}, (1u << 0) | (1u << 2));
    if (ca == nullptr) return;
    fill_sqlca(ca, "sqlmprca", -2032);
    const size_t n = parameter ? strnlen(parameter, sizeof ca->sqlerrmc) : 0;
    memcpy(ca->sqlerrmc, parameter, n);
    ca->sqlerrml = static_cast<int16_t>(n);
}

