// Native entry points of the embedded-SQL runtime services (stdcall). The precompiler's runtime
// takes its 16-bit values widened to whole words.
#ifndef QX3_NATIVE_ESQL_H
#define QX3_NATIVE_ESQL_H

#include "native/platform.h"

extern "C" {
int32_t QX3_NATIVE sqlaaloc(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t word4);
int32_t QX3_NATIVE sqladloc(uint32_t v1, uint32_t word2);
int32_t QX3_NATIVE sqlacall(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4, uint32_t word5);
int32_t QX3_NATIVE sqlacmpd(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4, uint32_t word5);
// The fifth argument is always 0 from this library.
int32_t QX3_NATIVE sqlastvr(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t w4, uint32_t zero, uint32_t w6,
                            uint32_t w7, uint32_t w8);
int32_t QX3_NATIVE sqlastvra(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t w4, uint32_t zero, uint32_t w6,
                             uint32_t w7, uint32_t w8, uint32_t w9, uint32_t w10);
int32_t QX3_NATIVE sqlastsize(uint32_t v1, uint32_t w2, uint32_t w3, uint32_t v4, uint32_t w5, uint32_t v6);
int32_t QX3_NATIVE sqlastls(uint32_t w1, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE sqlastrt(uint32_t w1, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE sqlastop(uint32_t w1);
int32_t QX3_NATIVE sqlausda(uint32_t v1, uint32_t w2, uint32_t w3);
// Bind and rebind: NUL-terminated strings, the status record.
int32_t QX3_NATIVE sqlabndx(char* string2, char* string1, uint32_t word, sqlca* ca);
int32_t QX3_NATIVE sqlarbnd(char* string, sqlca* ca, uint32_t word);
}

#endif
