// Restore: the three legacy calls (sqlgrestore, sqlgrsto, sqlgrst) and the versioned qx3gRestore.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_RESTORE_H
#define QX3AGAPI_RESTORE_H

#include "qx3agapi_lists.h"

// ---- qx3gRestore ------------------------------------------------------------------------------

// Version numbers from which qx3gRestore reads the later fields of its record (compared unsigned).
#define QX3_RESTORE_R1 8010400u  // string 9, iWord8, iWord9
#define QX3_RESTORE_R2 8020000u  // string 10
#define QX3_RESTORE_R3 8020200u  // list 3
// List 4: from 9070200 to 9079999, and from 10010000 on.
#define QX3_RESTORE_R4_FIRST 9070200u
#define QX3_RESTORE_R4_LAST 9079999u
#define QX3_RESTORE_R4 10010000u
// String 12, iWord10, iWord11: from 10050300 on, and from 10010400 to 10049999.
#define QX3_RESTORE_R5 10050300u
#define QX3_RESTORE_R5_EARLY_FIRST 10010400u
#define QX3_RESTORE_R5_EARLY_LAST 10049999u

// The generic restore record (172 bytes). A null string pointer means the string is absent; each
// string is lent a NUL at p[length] for the duration of the call.
//
// OFFSET SIZE DESCRIPTION                                     READ
//      0    8 piString1, iString1Len                           always
//      8    8 piString2, iString2Len                           always
//     16    4 poOutput1   caller's buffer for the output text, or null
//     20    4 iOutput1Len its length, at most 36               always
//     24    8 piString3, iString3Len                           always
//     32    8 piString4, iString4Len                           always
//     40    8 piString5, iString5Len                           always
//     48    4 piTablespaceList                                 always
//     52    4 piMediaList                                      always
//     56    8 piString6, iString6Len                           always
//     64    8 piString7, iString7Len                           always
//     72    8 piString8, iString8Len                           always
//     80   28 iWord1 to iWord7, passed through                 always
//    108    8 piString9, iString9Len                           R1
//    116    8 iWord8, iWord9                                   R1
//    124    8 piString10, iString10Len                         R2
//    132    4 piList3     a list of the qx3gTablespaceList form R3
//    136    8 (not read)
//    144    4 piList4     a list of the qx3gTablespaceList form R4
//    148    8 piString11, iString11Len                         always
//    156    8 piString12, iString12Len                         R5
//    164    8 iWord10, iWord11                                 R5
typedef struct qx3gRestoreStruct qx3gRestoreStruct;
struct qx3gRestoreStruct {
    char* piString1;
    uint32_t iString1Len;
    char* piString2;
    uint32_t iString2Len;
    char* poOutput1;
    uint32_t iOutput1Len;
    char* piString3;
    uint32_t iString3Len;
    char* piString4;
    uint32_t iString4Len;
    char* piString5;
    uint32_t iString5Len;
    struct qx3gTablespaceList* piTablespaceList;
    struct qx3gMediaList* piMediaList;
    char* piString6;
    uint32_t iString6Len;
    char* piString7;
    uint32_t iString7Len;
    char* piString8;
    uint32_t iString8Len;
    uint32_t iWord1to7[7];
    char* piString9;
    uint32_t iString9Len;
    uint32_t iWord8;
    uint32_t iWord9;
    char* piString10;
    uint32_t iString10Len;
    struct qx3gTablespaceList* piList3;
    uint32_t reserved[2];
    struct qx3gTablespaceList* piList4;
    char* piString11;
    uint32_t iString11Len;
    char* piString12;
    uint32_t iString12Len;
    uint32_t iWord10;
    uint32_t iWord11;
};

// The native restore record qx3Restore receives (156 bytes). Every field whose version condition
// fails, and every reserved word, is 0 or null.
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString1
//      4    4 piString2
//      8   36 oOutput1          NUL-terminated text written by the native call
//     44   12 piString3, piString4, piString5
//     56    4 piTablespaceList  the call's native list, null for a null generic list
//     60    4 piMediaList       likewise
//     64   12 piString6, piString7, piString8
//     76   28 iWord1 to iWord7
//    104    4 piString9         R1
//    108    8 iWord8, iWord9    R1
//    116    4 piString10        R2
//    120    4 piList3           native list 3, null for a null generic list 3 (R3)
//    124    4 (0)
//    128    4 piList4           native list 4, null for a null generic list 4 (R4)
//    132    4 piString11
//    136    4 (0)
//    140    4 piString12        R5
//    144    8 iWord10, iWord11  R5
//    152    4 (0)
typedef struct qx3RestoreStruct qx3RestoreStruct;
struct qx3RestoreStruct {
    char* piString1;
    char* piString2;
    char oOutput1[36];
    char* piString3;
    char* piString4;
    char* piString5;
    struct qx3TablespaceList* piTablespaceList;
    struct qx3MediaList* piMediaList;
    char* piString6;
    char* piString7;
    char* piString8;
    uint32_t iWord1to7[7];
    char* piString9;
    uint32_t iWord8;
    uint32_t iWord9;
    char* piString10;
    struct qx3TablespaceList* piList3;
    uint32_t reserved1;
    struct qx3TablespaceList* piList4;
    char* piString11;
    uint32_t reserved2;
    char* piString12;
    uint32_t iWord10;
    uint32_t iWord11;
    uint32_t reserved3;
};

#ifdef __cplusplus
static_assert(sizeof(qx3gRestoreStruct) == 172, "qx3gRestoreStruct");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString2) == 8, "qx3gRestoreStruct.piString2");
static_assert(__builtin_offsetof(qx3gRestoreStruct, poOutput1) == 16, "qx3gRestoreStruct.poOutput1");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iOutput1Len) == 20, "qx3gRestoreStruct.iOutput1Len");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString3) == 24, "qx3gRestoreStruct.piString3");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString4) == 32, "qx3gRestoreStruct.piString4");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString5) == 40, "qx3gRestoreStruct.piString5");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piTablespaceList) == 48, "qx3gRestoreStruct.piTablespaceList");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piMediaList) == 52, "qx3gRestoreStruct.piMediaList");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString6) == 56, "qx3gRestoreStruct.piString6");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString7) == 64, "qx3gRestoreStruct.piString7");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString8) == 72, "qx3gRestoreStruct.piString8");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iWord1to7) == 80, "qx3gRestoreStruct.iWord1to7");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString9) == 108, "qx3gRestoreStruct.piString9");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iString9Len) == 112, "qx3gRestoreStruct.iString9Len");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iWord8) == 116, "qx3gRestoreStruct.iWord8");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iWord9) == 120, "qx3gRestoreStruct.iWord9");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString10) == 124, "qx3gRestoreStruct.piString10");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piList3) == 132, "qx3gRestoreStruct.piList3");
static_assert(__builtin_offsetof(qx3gRestoreStruct, reserved) == 136, "qx3gRestoreStruct.reserved");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piList4) == 144, "qx3gRestoreStruct.piList4");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString11) == 148, "qx3gRestoreStruct.piString11");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iString11Len) == 152, "qx3gRestoreStruct.iString11Len");
static_assert(__builtin_offsetof(qx3gRestoreStruct, piString12) == 156, "qx3gRestoreStruct.piString12");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iString12Len) == 160, "qx3gRestoreStruct.iString12Len");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iWord10) == 164, "qx3gRestoreStruct.iWord10");
static_assert(__builtin_offsetof(qx3gRestoreStruct, iWord11) == 168, "qx3gRestoreStruct.iWord11");

static_assert(sizeof(qx3RestoreStruct) == 156, "qx3RestoreStruct");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString2) == 4, "qx3RestoreStruct.piString2");
static_assert(__builtin_offsetof(qx3RestoreStruct, oOutput1) == 8, "qx3RestoreStruct.oOutput1");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString3) == 44, "qx3RestoreStruct.piString3");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString4) == 48, "qx3RestoreStruct.piString4");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString5) == 52, "qx3RestoreStruct.piString5");
static_assert(__builtin_offsetof(qx3RestoreStruct, piTablespaceList) == 56, "qx3RestoreStruct.piTablespaceList");
static_assert(__builtin_offsetof(qx3RestoreStruct, piMediaList) == 60, "qx3RestoreStruct.piMediaList");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString6) == 64, "qx3RestoreStruct.piString6");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString7) == 68, "qx3RestoreStruct.piString7");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString8) == 72, "qx3RestoreStruct.piString8");
static_assert(__builtin_offsetof(qx3RestoreStruct, iWord1to7) == 76, "qx3RestoreStruct.iWord1to7");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString9) == 104, "qx3RestoreStruct.piString9");
static_assert(__builtin_offsetof(qx3RestoreStruct, iWord8) == 108, "qx3RestoreStruct.iWord8");
static_assert(__builtin_offsetof(qx3RestoreStruct, iWord9) == 112, "qx3RestoreStruct.iWord9");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString10) == 116, "qx3RestoreStruct.piString10");
static_assert(__builtin_offsetof(qx3RestoreStruct, piList3) == 120, "qx3RestoreStruct.piList3");
static_assert(__builtin_offsetof(qx3RestoreStruct, reserved1) == 124, "qx3RestoreStruct.reserved1");
static_assert(__builtin_offsetof(qx3RestoreStruct, piList4) == 128, "qx3RestoreStruct.piList4");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString11) == 132, "qx3RestoreStruct.piString11");
static_assert(__builtin_offsetof(qx3RestoreStruct, reserved2) == 136, "qx3RestoreStruct.reserved2");
static_assert(__builtin_offsetof(qx3RestoreStruct, piString12) == 140, "qx3RestoreStruct.piString12");
static_assert(__builtin_offsetof(qx3RestoreStruct, iWord10) == 144, "qx3RestoreStruct.iWord10");
static_assert(__builtin_offsetof(qx3RestoreStruct, iWord11) == 148, "qx3RestoreStruct.iWord11");
static_assert(__builtin_offsetof(qx3RestoreStruct, reserved3) == 152, "qx3RestoreStruct.reserved3");
#endif

// Restore through a generic record. Source tag of its blocks sqlgrestore; "qx3gRest" on its own
// errors.
QX3_EXTERN_C int32_t QX3_API qx3gRestore(uint32_t version, struct qx3gRestoreStruct* pParm, struct sqlca* pSqlca);

// ---- Legacy restore ---------------------------------------------------------------------------

// Each takes five strings (sqlgrestore six) with 16-bit lengths first, an in/out text of 15 bytes
// that is lent a NUL it keeps, a 33-byte output buffer, and the tablespace and media lists (types
// 'L' and 'O') lent terminators in place. Words marked `ignored` are never read; the others reach
// the native call in the order of its declaration. "sqlgbkup" on their own errors.
QX3_EXTERN_C int32_t QX3_API sqlgrestore(
    qx3_u16w string1Len, qx3_u16w string2Len, qx3_u16w textLen, qx3_u16w string3Len, qx3_u16w string4Len,
    qx3_u16w string5Len, qx3_u16w string6Len, uint32_t ignored8, char* piString1, char* piString2, uint32_t word11,
    uint32_t word12, uint32_t word13, uint32_t word14, uint32_t word15, uint32_t word16, char* poOutput33,
    char* pioText15, char* piString3, uint32_t word20, char* piString6, struct sqluTablespaceList* piTablespaceList,
    struct sqluMediaList* piMediaList, char* piString4, char* piString5, uint32_t word26, uint32_t word27,
    uint32_t ignored28, uint32_t word29, uint32_t ignored30, uint32_t word31, uint32_t word32, uint32_t word33,
    uint32_t word34, struct sqlca* pSqlca);

QX3_EXTERN_C int32_t QX3_API sqlgrsto(qx3_u16w string1Len, qx3_u16w string2Len, qx3_u16w textLen, qx3_u16w string3Len,
                                      qx3_u16w string4Len, qx3_u16w string5Len, uint32_t ignored7, char* piString1,
                                      char* piString2, uint32_t word10, uint32_t word11, uint32_t word12,
                                      uint32_t word13, char* poOutput33, char* pioText15, char* piString3,
                                      uint32_t word17, struct sqluTablespaceList* piTablespaceList,
                                      struct sqluMediaList* piMediaList, char* piString4, char* piString5,
                                      uint32_t word22, uint32_t word23, uint32_t word24, uint32_t word25,
                                      struct sqlca* pSqlca);

QX3_EXTERN_C int32_t QX3_API sqlgrst(qx3_u16w string1Len, qx3_u16w string2Len, qx3_u16w textLen, qx3_u16w string3Len,
                                     qx3_u16w string4Len, qx3_u16w string5Len, uint32_t ignored7, char* piString1,
                                     char* piString2, uint32_t word10, uint32_t word11, uint32_t word12,
                                     uint32_t word13, uint32_t word14, char* poOutput33, char* pioText15,
                                     char* piString3, uint32_t word18, struct sqluTablespaceList* piTablespaceList,
                                     struct sqluMediaList* piMediaList, char* piString4, char* piString5,
                                     uint32_t word23, uint32_t word24, uint32_t ignored25, uint32_t word26,
                                     uint32_t ignored27, uint32_t word28, uint32_t word29, uint32_t word30,
                                     uint32_t word31, struct sqlca* pSqlca);

#endif
