// Versioned configuration: one request carries any number of parameters, each with its own
// length-counted value buffer, and an optional length-counted database alias. Every value buffer
// with a non-null pointer needs one more writable byte, lent a NUL during the call, whatever the
// parameter's type. The record layout is the same for every version number.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_VCFG_H
#define QX3AGAPI_VCFG_H


// One parameter of a request (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iToken     configuration parameter number
//      4    4 iValueLen  length of the value in bytes
//      8    4 pioValue   the caller's value buffer; may be null
//     12    4 iFlags     handed to the native item unchanged
typedef struct qx3gCfgItem qx3gCfgItem;
struct qx3gCfgItem {
    uint32_t iToken;
    uint32_t iValueLen;
    char* pioValue;
    uint32_t iFlags;
};

// The request (20 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iNumItems    number of items in piItems
//      4    4 piItems      array of iNumItems items
//      8    4 iFlags       handed to the native request unchanged
//     12    4 iDbAliasLen  length of piDbAlias in bytes
//     16    4 piDbAlias    database alias, not terminated; may be null
typedef struct qx3gCfgParm qx3gCfgParm;
struct qx3gCfgParm {
    uint32_t iNumItems;
    struct qx3gCfgItem* piItems;
    uint32_t iFlags;
    uint32_t iDbAliasLen;
    char* piDbAlias;
};

// The native request the library builds for the duration of the call, with NUL-terminated strings.
//
// Native item (12 bytes):
// OFFSET SIZE DESCRIPTION
//      0    4 token  iToken
//      4    4 value  pioValue, NUL-terminated in place at iValueLen when non-null
//      8    4 flags  iFlags of the item
typedef struct qx3CfgItem qx3CfgItem;
struct qx3CfgItem {
    uint32_t token;
    char* value;
    uint32_t flags;
};

// Native request (16 bytes):
// OFFSET SIZE DESCRIPTION
//      0    4 count  iNumItems
//      4    4 items  the native item array
//      8    4 flags  iFlags of the request
//     12    4 alias  piDbAlias, NUL-terminated in place, or null
typedef struct qx3CfgParm qx3CfgParm;
struct qx3CfgParm {
    uint32_t count;
    struct qx3CfgItem* items;
    uint32_t flags;
    char* alias;
};

#ifdef __cplusplus
static_assert(sizeof(qx3gCfgItem) == 16, "qx3gCfgItem is 16 bytes");
static_assert(__builtin_offsetof(qx3gCfgItem, iToken) == 0, "qx3gCfgItem.iToken");
static_assert(__builtin_offsetof(qx3gCfgItem, iValueLen) == 4, "qx3gCfgItem.iValueLen");
static_assert(__builtin_offsetof(qx3gCfgItem, pioValue) == 8, "qx3gCfgItem.pioValue");
static_assert(__builtin_offsetof(qx3gCfgItem, iFlags) == 12, "qx3gCfgItem.iFlags");
static_assert(sizeof(qx3gCfgParm) == 20, "qx3gCfgParm is 20 bytes");
static_assert(__builtin_offsetof(qx3gCfgParm, iNumItems) == 0, "qx3gCfgParm.iNumItems");
static_assert(__builtin_offsetof(qx3gCfgParm, piItems) == 4, "qx3gCfgParm.piItems");
static_assert(__builtin_offsetof(qx3gCfgParm, iFlags) == 8, "qx3gCfgParm.iFlags");
static_assert(__builtin_offsetof(qx3gCfgParm, iDbAliasLen) == 12, "qx3gCfgParm.iDbAliasLen");
static_assert(__builtin_offsetof(qx3gCfgParm, piDbAlias) == 16, "qx3gCfgParm.piDbAlias");
static_assert(sizeof(qx3CfgItem) == 12, "qx3CfgItem is 12 bytes");
static_assert(__builtin_offsetof(qx3CfgItem, token) == 0, "qx3CfgItem.token");
static_assert(__builtin_offsetof(qx3CfgItem, value) == 4, "qx3CfgItem.value");
static_assert(__builtin_offsetof(qx3CfgItem, flags) == 8, "qx3CfgItem.flags");
static_assert(sizeof(qx3CfgParm) == 16, "qx3CfgParm is 16 bytes");
static_assert(__builtin_offsetof(qx3CfgParm, count) == 0, "qx3CfgParm.count");
static_assert(__builtin_offsetof(qx3CfgParm, items) == 4, "qx3CfgParm.items");
static_assert(__builtin_offsetof(qx3CfgParm, flags) == 8, "qx3CfgParm.flags");
static_assert(__builtin_offsetof(qx3CfgParm, alias) == 12, "qx3CfgParm.alias");
#endif

// Get / set the parameters of a request. The version number goes to the native call as it came.
QX3_EXTERN_C int32_t QX3_API qx3gCfgGet(uint32_t version, struct qx3gCfgParm* pParmStruct, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gCfgSet(uint32_t version, struct qx3gCfgParm* pParmStruct, struct sqlca* pSqlca);

#endif
