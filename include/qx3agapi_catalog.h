// Directories and catalog: node catalog, database catalog and creation, gateway directory entries.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_CATALOG_H
#define QX3AGAPI_CATALOG_H


// ---- sqlgctnd ------------------------------------------------------------------------------------

// The node descriptor's fields are lent terminators only under this structure identifier.
#define QX3_NODE_ID 0x200u

// The node descriptor (46 bytes). Texts are blank-padded, each with one spare byte behind it.
//
// OFFSET SIZE DESCRIPTION
//      0    2 iStructId
//      2    2 iWord, passed on
//      4   31 text: 30 characters and a spare byte
//     35    9 name: 8 characters and a spare byte
//     44    1 iProtocol: selects the layout of the protocol record
//     45    1 (padding)
typedef struct sqlgNodeDescriptor {
    uint16_t iStructId;
    uint16_t iWord;
    char text[31];
    char name[9];
    uint8_t iProtocol;
    uint8_t iReserved;
} sqlgNodeDescriptor;

// ---- sqlgcrea, sqlgdbcr ---------------------------------------------------------------------------

// Eyecatchers of the database descriptor, one per entry point.
#define QX3_DBDESC_CREA "SQLDBD02"
#define QX3_DBDESC_DBCR "SQLDBDB0"

// The head of the database descriptor; the rest is passed on as it stands.
//
// OFFSET SIZE DESCRIPTION
//      0    8 eyecatcher
//      8    8 (not read here)
//     16  256 text1, blank-padded; its spare byte is text2's first byte
//    272   31 text2: 30 characters and a spare byte
typedef struct sqlgDbDescriptor {
    char eyecatcher[8];
    char words[8];
    char text1[256];
    char text2[31];
} sqlgDbDescriptor;

// The short text record (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0   10 text3: 9 characters and a spare byte
//     10    6 text4: 5 characters and a spare byte
typedef struct sqlgShortTexts {
    char text3[10];
    char text4[6];
} sqlgShortTexts;

// ---- qx3gUpdateAlternateServerForDB ---------------------------------------------------------------

// OFFSET SIZE DESCRIPTION
//      0    8 iString1Len, piString1 (may be null)
//      8    8 iString2Len, piString2
//     16    8 iString3Len, piString3
typedef struct qx3gUpdateAltServerStruct {
    uint32_t iString1Len;
    char* piString1;
    uint32_t iString2Len;
    char* piString2;
    uint32_t iString3Len;
    char* piString3;
} qx3gUpdateAltServerStruct;

// The native record: the three pointers, each terminated in place (or null).
typedef struct qx3UpdateAltServerStruct {
    char* piString1;
    char* piString2;
    char* piString3;
} qx3UpdateAltServerStruct;

// ---- Gateway directory entries --------------------------------------------------------------------

// Entries are converted only under this structure identifier.
#define QX3_GATEWAY_ID 0x100u

// A gateway directory entry (588 bytes). Texts are blank-padded, each with one spare byte behind it.
//
// OFFSET SIZE DESCRIPTION
//      0    2 iStructId
//      2    4 (not read here)
//      6   31 text1: 30 characters and a spare byte
//     37    9 name1: 8 characters and a spare byte
//     46   19 text2: 18 characters and a spare byte
//     65    9 name2: 8 characters and a spare byte
//     74  513 text3: 512 characters and a spare byte
//    587    1 (padding)
typedef struct sqlgGatewayEntry {
    uint16_t iStructId;
    char words[4];
    char text1[31];
    char name1[9];
    char text2[19];
    char name2[9];
    char text3[513];
    char reserved;
} sqlgGatewayEntry;

#ifdef __cplusplus
#define QX3_AT(T, f, o) static_assert(__builtin_offsetof(T, f) == (o), #T "." #f)
static_assert(sizeof(sqlgNodeDescriptor) == 46, "sqlgNodeDescriptor");
QX3_AT(sqlgNodeDescriptor, text, 4);
QX3_AT(sqlgNodeDescriptor, name, 35);
QX3_AT(sqlgNodeDescriptor, iProtocol, 44);
QX3_AT(sqlgDbDescriptor, text1, 16);
QX3_AT(sqlgDbDescriptor, text2, 272);
static_assert(sizeof(sqlgShortTexts) == 16, "sqlgShortTexts");
QX3_AT(sqlgShortTexts, text4, 10);
static_assert(sizeof(qx3gUpdateAltServerStruct) == 24, "qx3gUpdateAltServerStruct");
QX3_AT(qx3gUpdateAltServerStruct, piString2, 12);
QX3_AT(qx3gUpdateAltServerStruct, iString3Len, 16);
static_assert(sizeof(qx3UpdateAltServerStruct) == 12, "qx3UpdateAltServerStruct");
static_assert(sizeof(sqlgGatewayEntry) == 588, "sqlgGatewayEntry");
QX3_AT(sqlgGatewayEntry, text1, 6);
QX3_AT(sqlgGatewayEntry, name1, 37);
QX3_AT(sqlgGatewayEntry, text2, 46);
QX3_AT(sqlgGatewayEntry, name2, 65);
QX3_AT(sqlgGatewayEntry, text3, 74);
#undef QX3_AT
#endif

#endif
