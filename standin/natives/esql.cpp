// Embedded-SQL runtime natives: each records the words it was given; bind and rebind also the
// strings, and they fill the status record.
#include "native/esql.h"
#include "common.h"

STANDIN_EXPORT int32_t QX3_NATIVE sqlaaloc(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t w4) {
    return native("sqlaaloc", {v1, v2, v3, w4}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqladloc(uint32_t v1, uint32_t w2) { return native("sqladloc", {v1, w2}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlacall(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4, uint32_t w5) {
    return native("sqlacall", {v1, v2, v3, v4, w5}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlacmpd(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4, uint32_t w5) {
    return native("sqlacmpd", {v1, v2, v3, v4, w5}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlastvr(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t w4, uint32_t zero,
                                           uint32_t w6, uint32_t w7, uint32_t w8) {
    return native("sqlastvr", {v1, v2, v3, w4, zero, w6, w7, w8}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlastvra(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t w4, uint32_t zero,
                                            uint32_t w6, uint32_t w7, uint32_t w8, uint32_t w9, uint32_t w10) {
    return native("sqlastvra", {v1, v2, v3, w4, zero, w6, w7, w8, w9, w10}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlastsize(uint32_t v1, uint32_t w2, uint32_t w3, uint32_t v4, uint32_t w5,
                                             uint32_t v6) {
    return native("sqlastsize", {v1, w2, w3, v4, w5, v6}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlastls(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("sqlastls", {w1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlastrt(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("sqlastrt", {w1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlastop(uint32_t w1) { return native("sqlastop", {w1}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlausda(uint32_t v1, uint32_t w2, uint32_t w3) {
    return native("sqlausda", {v1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlabndx(char* s2, char* s1, uint32_t w, sqlca* ca) {
    return native("sqlabndx", {word(s2), word(s1), w, word(ca)}, 0b11, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlarbnd(char* s, sqlca* ca, uint32_t w) {
    return native("sqlarbnd", {word(s), word(ca), w}, 0b1, ca);
}
