// QX3APP stand-in: the pointer-check service, the missing-parameter report, and the native entry
// points of every implemented family. Each native records what it saw (words, and the strings at
// its string arguments during the call), runs the test's in-call hook, fills its outputs as a
// database client would, and returns the result the test set (0 by default).
#include <string.h>

#include "common.h"
#include "config/natives.h"
#include "frame/platform.h"

using namespace standin;

extern "C" int32_t standin_check(const void* p, uint32_t length, uint8_t mode);

STANDIN_EXPORT int32_t QX3_SERVICE sqlagcptr_real(const void* p, uint32_t length, uint8_t mode) {
    return standin_check(p, length, mode);
}

STANDIN_EXPORT void QX3_SERVICE sqlmprca(const char* function, uint16_t length, const char* parameter, sqlca* ca) {
    record("sqlmprca", {word(function), length, word(parameter), word(ca)}, (1u << 0) | (1u << 2));
    if (ca == nullptr) return;
    fill_sqlca(ca, "sqlmprca", -2032);
    const size_t n = parameter ? strnlen(parameter, sizeof ca->sqlerrmc) : 0;
    memcpy(ca->sqlerrmc, parameter, n);
    ca->sqlerrml = static_cast<int16_t>(n);
}

// The common shape of a native: record, hook, result, status record.
static int32_t native(const char* name, std::vector<uint32_t> words, uint64_t strings, sqlca* ca) {
    record(name, std::move(words), strings);
    notify_during_call();
    const int32_t rc = result_of(name);
    fill_sqlca(ca, name, rc);
    return rc;
}

// ---- Database configuration ----

STANDIN_EXPORT int32_t QX3_NATIVE sqlfrdb(char* alias, sqlca* ca) { return native("sqlfrdb", {word(alias), word(ca)}, 1, ca); }
