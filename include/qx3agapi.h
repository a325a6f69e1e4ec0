// qx3agapi: the generic (length-counted) administrative interface of the database client.
//
// Every entry point is a stdcall function whose arguments are 32-bit words. A word that carries a
// 16-bit length (qx3_u16w) is read through its low 16 bits only; the high half may hold anything.
// Strings are a pointer plus a separate length and carry no NUL: the library lends them one for the
// duration of a call by writing it into the caller's own buffer at p[length] and puts the displaced
// byte back before it returns. The caller therefore owns one more writable byte behind each string.
//
// This header holds what every family shares: the calling convention, the word types and the
// status record. Each family declares its entry points in a header of its own.
#ifndef QX3AGAPI_H
#define QX3AGAPI_H

#include <stdint.h>

#if defined(_WIN32)
#define QX3_API __stdcall
#else
#define QX3_API __attribute__((stdcall))
#endif

#ifdef __cplusplus
#define QX3_EXTERN_C extern "C"
#else
#define QX3_EXTERN_C
#endif

// A 16-bit length or value passed in a whole argument word; only the low 16 bits are read.
typedef uint32_t qx3_u16w;

// The status record through which every call reports (136 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    8 sqlcaid   eye-catcher
//      8    4 sqlcabc   byte count of the record
//     12    4 sqlcode   outcome code; the codes the library sets itself are negative
//     16    2 sqlerrml  length of sqlerrmc
//     18   70 sqlerrmc  message tokens
//     88    8 sqlerrp   name of the reporting function, not necessarily NUL-terminated
//     96   24 sqlerrd   six diagnostic words
//    120   11 sqlwarn   warning flags
//    131    5 sqlstate  state code
struct sqlca {
    char sqlcaid[8];
    int32_t sqlcabc;
    int32_t sqlcode;
    int16_t sqlerrml;
    char sqlerrmc[70];
    char sqlerrp[8];
    int32_t sqlerrd[6];
    char sqlwarn[11];
    char sqlstate[5];
};

#ifdef __cplusplus
static_assert(sizeof(sqlca) == 136, "sqlca is 136 bytes");
static_assert(__builtin_offsetof(sqlca, sqlcabc) == 8, "sqlca.sqlcabc");
static_assert(__builtin_offsetof(sqlca, sqlcode) == 12, "sqlca.sqlcode");
static_assert(__builtin_offsetof(sqlca, sqlerrml) == 16, "sqlca.sqlerrml");
static_assert(__builtin_offsetof(sqlca, sqlerrmc) == 18, "sqlca.sqlerrmc");
static_assert(__builtin_offsetof(sqlca, sqlerrp) == 88, "sqlca.sqlerrp");
static_assert(__builtin_offsetof(sqlca, sqlerrd) == 96, "sqlca.sqlerrd");
static_assert(__builtin_offsetof(sqlca, sqlwarn) == 120, "sqlca.sqlwarn");
static_assert(__builtin_offsetof(sqlca, sqlstate) == 131, "sqlca.sqlstate");
#endif

// Codes the library raises itself (every other code comes from the native call).
#define QX3_RC_NO_APP_DATA (-1022) // the calling thread's application data cannot be prepared
#define QX3_RC_NO_MEMORY (-83)     // a memory block cannot be had, or a required record is missing

#include "qx3agapi_dbcfg.h"
#include "qx3agapi_esql.h"
#include "qx3agapi_strcmd.h"
#include "qx3agapi_scan.h"
#include "qx3agapi_mgrcfg.h"
#include "qx3agapi_vcfg.h"
#include "qx3agapi_backup.h"
#include "qx3agapi_restore.h"
#include "qx3agapi_recovery.h"
#include "qx3agapi_movement.h"
#include "qx3agapi_maint.h"
#include "qx3agapi_catalog.h"
#include "qx3agapi_instance.h"
#include "qx3agapi_monitor.h"

#endif
