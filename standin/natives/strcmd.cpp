// String-argument command natives: each records what it saw and fills the status record; the
// instance-name call also writes a name.
#include <string.h>

#include "native/strcmd.h"
#include "common.h"

namespace {
constexpr uint64_t S(unsigned word) { return uint64_t{1} << word; }
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE sqleatin_api(char* s3, char* s2, char* s1, sqlca* ca) {
    return native("sqleatin_api", {word(s3), word(s2), word(s1), word(ca)}, S(0) | S(1) | S(2), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqledcgd_api(char* s3, char* s2, char* s1, sqlca* ca) {
    return native("sqledcgd_api", {word(s3), word(s2), word(s1), word(ca)}, S(0) | S(1) | S(2), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlemgdb_api(char* s3, char* s2, char* s1, sqlca* ca) {
    return native("sqlemgdb_api", {word(s3), word(s2), word(s1), word(ca)}, S(0) | S(1) | S(2), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlutbau(char* s, sqlca* ca) { return native("sqlutbau", {word(s), word(ca)}, S(0), ca); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlesact_api(char* s, sqlca* ca) {
    return native("sqlesact_api", {word(s), word(ca)}, S(0), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqleuncd_api(char* s, sqlca* ca) {
    return native("sqleuncd_api", {word(s), word(ca)}, S(0), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqleuncn_api(char* s, sqlca* ca) {
    return native("sqleuncn_api", {word(s), word(ca)}, S(0), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqledrpd_api(char* s, uint32_t w, sqlca* ca) {
    return native("sqledrpd_api", {word(s), w, word(ca)}, S(0), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqleproc_api(char* s, uint32_t w3, uint32_t w1, uint32_t w2, sqlca* ca) {
    return native("sqleproc_api", {word(s), w3, w1, w2, word(ca)}, S(0), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqluvqdp(char* s, uint32_t w1, uint32_t w2, sqlca* ca) {
    return native("sqluvqdp", {word(s), w1, w2, word(ca)}, S(0), ca);
}

// The record's first string is shown as the string at the record's address; a test that wants the
// whole record as it stood during the call copies it in its in-call hook.
STANDIN_EXPORT int32_t QX3_NATIVE sqleregs_api(uint32_t kind, sqleRegistration* rec, sqlca* ca) {
    return native("sqleregs_api", {kind, word(rec), word(ca)}, S(1), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqledreg_api(uint32_t kind, sqleRegistration* rec, sqlca* ca) {
    return native("sqledreg_api", {kind, word(rec), word(ca)}, S(1), ca);
}

// Writes the name first and runs the test's hook after it, so that a test can stand in for a
// native that returns some other text in the buffer.
STANDIN_EXPORT int32_t QX3_NATIVE sqlegins_api(char* buffer, sqlca* ca) {
    standin::record("sqlegins_api", {word(buffer), word(ca)}, 0);
    static const char kName[] = "QX3INST";
    if (buffer != nullptr && standin::memory_accessible(word(buffer), sizeof kName, 2))
        memcpy(buffer, kName, sizeof kName);
    standin::notify_during_call();
    const int32_t rc = standin::result_of("sqlegins_api");
    standin::fill_sqlca(ca, "sqlegins_api", rc);
    return rc;
}

// Pass-throughs: the words are recorded as they came and never followed.
STANDIN_EXPORT int32_t QX3_NATIVE qx3UtilityControl(uint32_t version, void* parms, sqlca* ca) {
    return native("qx3UtilityControl", {version, word(parms), word(ca)}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqluadau(uint32_t w1, uint32_t w2) { return native("sqluadau", {w1, w2}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqluauth_api(uint32_t w) { return native("sqluauth_api", {w}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqledtin_api(uint32_t w) { return native("sqledtin_api", {w}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlefmem_api(uint32_t w1, uint32_t w2) {
    return native("sqlefmem_api", {w1, w2}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlefrce_api(uint32_t w4, uint32_t w3, uint32_t count, uint32_t w1) {
    return native("sqlefrce_api", {w4, w3, count, w1}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqleintr_api(void) { return native("sqleintr_api", {}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqleisig_api(uint32_t w) { return native("sqleisig_api", {w}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqleqryc_api(uint32_t w1, uint32_t v, uint32_t w3) {
    return native("sqleqryc_api", {w1, v, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlesetc_api(uint32_t w1, uint32_t v, uint32_t w3) {
    return native("sqlesetc_api", {w1, v, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlesdeg_api(uint32_t w4, uint32_t w3, uint32_t w2, uint32_t w1) {
    return native("sqlesdeg_api", {w4, w3, w2, w1}, 0, nullptr);
}
