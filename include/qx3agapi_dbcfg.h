// Database configuration: legacy token-array calls on one database's configuration.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_DBCFG_H
#define QX3AGAPI_DBCFG_H


// One configuration parameter of a legacy token array; the native call receives the caller's array
// as it stands. An array of n items is 8 * n bytes.
//
// OFFSET SIZE DESCRIPTION
//      0    2 token     number of the configuration parameter
//      2    2 (padding) not read
//      4    4 value     the caller's buffer for the parameter's value
typedef struct qx3ConfigItem qx3ConfigItem;
struct qx3ConfigItem {
    uint16_t token;
    uint16_t reserved;
    char* value;
};

#ifdef __cplusplus
static_assert(sizeof(qx3ConfigItem) == 8, "qx3ConfigItem is 8 bytes");
static_assert(__builtin_offsetof(qx3ConfigItem, token) == 0, "qx3ConfigItem.token");
static_assert(__builtin_offsetof(qx3ConfigItem, value) == 4, "qx3ConfigItem.value");
#endif

// Get the current values / the defaults of the listed parameters of a database. String-valued
// parameters come back blank-padded to their field size.
QX3_EXTERN_C int32_t QX3_API sqlgxdb(qx3_u16w aliasLen, qx3_u16w count, struct qx3ConfigItem* items,
                                     struct sqlca* pSqlca, char* pAlias);
QX3_EXTERN_C int32_t QX3_API sqlgddb(qx3_u16w aliasLen, qx3_u16w count, struct qx3ConfigItem* items,
                                     struct sqlca* pSqlca, char* pAlias);
// As sqlgxdb, over a larger set of string-valued parameters; the two `reserved` words are ignored.
QX3_EXTERN_C int32_t QX3_API sqlgxdbc(uint32_t reserved1, qx3_u16w aliasLen, qx3_u16w count,
                                      struct qx3ConfigItem* items, struct sqlca* pSqlca, uint32_t reserved2,
                                      char* pAlias);

// Update the listed parameters of a database. lengths[i] is the length of item i's value when the
// parameter is string-valued (its value needs one more writable byte, lent a NUL during the call).
QX3_EXTERN_C int32_t QX3_API sqlgudb(qx3_u16w aliasLen, qx3_u16w count, uint16_t* lengths,
                                     struct qx3ConfigItem* items, struct sqlca* pSqlca, char* pAlias);
QX3_EXTERN_C int32_t QX3_API sqlgeudb(uint32_t reserved1, qx3_u16w aliasLen, qx3_u16w count, uint16_t* lengths,
                                      struct qx3ConfigItem* items, struct sqlca* pSqlca, uint32_t reserved2,
                                      char* pAlias);

// Reset the configuration of the database named by a length-counted alias.
QX3_EXTERN_C int32_t QX3_API sqlgrdb(qx3_u16w aliasLen, struct sqlca* pSqlca, char* pAlias);
QX3_EXTERN_C int32_t QX3_API sqlgrdbc(uint32_t reserved1, qx3_u16w aliasLen, struct sqlca* pSqlca,
                                      uint32_t reserved2, char* pAlias);

#endif
