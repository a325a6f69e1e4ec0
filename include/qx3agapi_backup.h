// Backup: the two legacy calls (sqlgbkp, sqlgbkup) and the versioned qx3gBackup.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_BACKUP_H
#define QX3AGAPI_BACKUP_H

#include "qx3agapi_lists.h"

// ---- qx3gBackup -------------------------------------------------------------------------------

// Version numbers from which qx3gBackup reads the later fields of its record (compared unsigned).
#define QX3_BACKUP_V1 8010200u  // iWord9
#define QX3_BACKUP_V2 8010400u  // string 4, iWord10, iWord11
#define QX3_BACKUP_V3 9050000u  // iWord12 to iWord16
// String 5, iWord17 and iWord18 are read from 10050300 on, and from 10010400 to 10049999.
#define QX3_BACKUP_V4 10050300u
#define QX3_BACKUP_V4_EARLY_FIRST 10010400u
#define QX3_BACKUP_V4_EARLY_LAST 10049999u

// The generic backup record (136 bytes). A null string pointer means the string is absent; each
// string is lent a NUL at p[length] for the duration of the call.
//
// OFFSET SIZE DESCRIPTION                                     READ
//      0    4 piString1, 4 iString1Len                         always
//      8    4 poOutput1   caller's buffer for output 1, or null
//     12    4 iOutput1Len its length, 1 to 33                  always
//     16    4 poOutput2   caller's buffer for output 2, or null
//     20    4 iOutput2Len its length, 1 to 15                  always
//     24    4 piTablespaceList                                 always
//     28    4 piMediaList                                      always
//     32    8 piString2, iString2Len                           always
//     40    8 piString3, iString3Len                           always
//     48   32 iWord1 to iWord8, passed through                 always
//     80    4 iWord9                                           V1
//     84    8 piString4, iString4Len                           V2
//     92    8 iWord10, iWord11                                 V2
//    100   20 iWord12 to iWord16                               V3
//    120    8 piString5, iString5Len                           V4
//    128    8 iWord17, iWord18                                 V4
typedef struct qx3gBackupStruct qx3gBackupStruct;
struct qx3gBackupStruct {
    char* piString1;
    uint32_t iString1Len;
    char* poOutput1;
    uint32_t iOutput1Len;
    char* poOutput2;
    uint32_t iOutput2Len;
    struct qx3gTablespaceList* piTablespaceList;
    struct qx3gMediaList* piMediaList;
    char* piString2;
    uint32_t iString2Len;
    char* piString3;
    uint32_t iString3Len;
    uint32_t iWord1to8[8];
    uint32_t iWord9;
    char* piString4;
    uint32_t iString4Len;
    uint32_t iWord10;
    uint32_t iWord11;
    uint32_t iWord12to16[5];
    char* piString5;
    uint32_t iString5Len;
    uint32_t iWord17;
    uint32_t iWord18;
};

// The native backup record qx3Backup receives (148 bytes). Every field whose version condition
// fails is 0 or null.
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString1
//      4   33 oOutput1          NUL-terminated text written by the native call
//     37   15 oOutput2          likewise
//     52    4 piTablespaceList  the call's native list, null for a null generic list
//     56    4 piMediaList       likewise
//     60    4 piString2
//     64    4 piString3
//     68   32 iWord1 to iWord8
//    100    4 iWord9            V1
//    104    4 piString4         V2
//    108    8 iWord10, iWord11  V2
//    116   20 iWord12 to iWord16 V3
//    136    4 piString5         V4
//    140    8 iWord17, iWord18  V4
typedef struct qx3BackupStruct qx3BackupStruct;
struct qx3BackupStruct {
    char* piString1;
    char oOutput1[33];
    char oOutput2[15];
    struct qx3TablespaceList* piTablespaceList;
    struct qx3MediaList* piMediaList;
    char* piString2;
    char* piString3;
    uint32_t iWord1to8[8];
    uint32_t iWord9;
    char* piString4;
    uint32_t iWord10;
    uint32_t iWord11;
    uint32_t iWord12to16[5];
    char* piString5;
    uint32_t iWord17;
    uint32_t iWord18;
};

#ifdef __cplusplus
static_assert(sizeof(qx3gBackupStruct) == 136, "qx3gBackupStruct");
static_assert(__builtin_offsetof(qx3gBackupStruct, iString1Len) == 4, "qx3gBackupStruct.iString1Len");
static_assert(__builtin_offsetof(qx3gBackupStruct, poOutput1) == 8, "qx3gBackupStruct.poOutput1");
static_assert(__builtin_offsetof(qx3gBackupStruct, iOutput1Len) == 12, "qx3gBackupStruct.iOutput1Len");
static_assert(__builtin_offsetof(qx3gBackupStruct, poOutput2) == 16, "qx3gBackupStruct.poOutput2");
static_assert(__builtin_offsetof(qx3gBackupStruct, iOutput2Len) == 20, "qx3gBackupStruct.iOutput2Len");
static_assert(__builtin_offsetof(qx3gBackupStruct, piTablespaceList) == 24, "qx3gBackupStruct.piTablespaceList");
static_assert(__builtin_offsetof(qx3gBackupStruct, piMediaList) == 28, "qx3gBackupStruct.piMediaList");
static_assert(__builtin_offsetof(qx3gBackupStruct, piString2) == 32, "qx3gBackupStruct.piString2");
static_assert(__builtin_offsetof(qx3gBackupStruct, iString2Len) == 36, "qx3gBackupStruct.iString2Len");
static_assert(__builtin_offsetof(qx3gBackupStruct, piString3) == 40, "qx3gBackupStruct.piString3");
static_assert(__builtin_offsetof(qx3gBackupStruct, iString3Len) == 44, "qx3gBackupStruct.iString3Len");
static_assert(__builtin_offsetof(qx3gBackupStruct, iWord1to8) == 48, "qx3gBackupStruct.iWord1to8");
static_assert(__builtin_offsetof(qx3gBackupStruct, iWord9) == 80, "qx3gBackupStruct.iWord9");
static_assert(__builtin_offsetof(qx3gBackupStruct, piString4) == 84, "qx3gBackupStruct.piString4");
static_assert(__builtin_offsetof(qx3gBackupStruct, iString4Len) == 88, "qx3gBackupStruct.iString4Len");
static_assert(__builtin_offsetof(qx3gBackupStruct, iWord10) == 92, "qx3gBackupStruct.iWord10");
static_assert(__builtin_offsetof(qx3gBackupStruct, iWord11) == 96, "qx3gBackupStruct.iWord11");
static_assert(__builtin_offsetof(qx3gBackupStruct, iWord12to16) == 100, "qx3gBackupStruct.iWord12to16");
static_assert(__builtin_offsetof(qx3gBackupStruct, piString5) == 120, "qx3gBackupStruct.piString5");
static_assert(__builtin_offsetof(qx3gBackupStruct, iString5Len) == 124, "qx3gBackupStruct.iString5Len");
static_assert(__builtin_offsetof(qx3gBackupStruct, iWord17) == 128, "qx3gBackupStruct.iWord17");
static_assert(__builtin_offsetof(qx3gBackupStruct, iWord18) == 132, "qx3gBackupStruct.iWord18");

static_assert(sizeof(qx3BackupStruct) == 148, "qx3BackupStruct");
static_assert(__builtin_offsetof(qx3BackupStruct, oOutput1) == 4, "qx3BackupStruct.oOutput1");
static_assert(__builtin_offsetof(qx3BackupStruct, oOutput2) == 37, "qx3BackupStruct.oOutput2");
static_assert(__builtin_offsetof(qx3BackupStruct, piTablespaceList) == 52, "qx3BackupStruct.piTablespaceList");
static_assert(__builtin_offsetof(qx3BackupStruct, piMediaList) == 56, "qx3BackupStruct.piMediaList");
static_assert(__builtin_offsetof(qx3BackupStruct, piString2) == 60, "qx3BackupStruct.piString2");
static_assert(__builtin_offsetof(qx3BackupStruct, piString3) == 64, "qx3BackupStruct.piString3");
static_assert(__builtin_offsetof(qx3BackupStruct, iWord1to8) == 68, "qx3BackupStruct.iWord1to8");
static_assert(__builtin_offsetof(qx3BackupStruct, iWord9) == 100, "qx3BackupStruct.iWord9");
static_assert(__builtin_offsetof(qx3BackupStruct, piString4) == 104, "qx3BackupStruct.piString4");
static_assert(__builtin_offsetof(qx3BackupStruct, iWord10) == 108, "qx3BackupStruct.iWord10");
static_assert(__builtin_offsetof(qx3BackupStruct, iWord11) == 112, "qx3BackupStruct.iWord11");
static_assert(__builtin_offsetof(qx3BackupStruct, iWord12to16) == 116, "qx3BackupStruct.iWord12to16");
static_assert(__builtin_offsetof(qx3BackupStruct, piString5) == 136, "qx3BackupStruct.piString5");
static_assert(__builtin_offsetof(qx3BackupStruct, iWord17) == 140, "qx3BackupStruct.iWord17");
static_assert(__builtin_offsetof(qx3BackupStruct, iWord18) == 144, "qx3BackupStruct.iWord18");
#endif

// Backup through a generic record. Source tag of its blocks sqlgbkp; "qx3gBack" on its own errors.
QX3_EXTERN_C int32_t QX3_API qx3gBackup(uint32_t version, struct qx3gBackupStruct* pParm, struct sqlca* pSqlca);

// ---- Legacy backup ----------------------------------------------------------------------------

// Both take three strings with 16-bit lengths, a fourth word that is never read, and hand every
// argument from the fifth on to the native call in the same order. Output buffers: 33 and 15
// bytes, blank-padded after the call. Lists: the tablespace list and the media list (types 'L' and
// 'O') are lent terminators in place.
QX3_EXTERN_C int32_t QX3_API sqlgbkp(qx3_u16w string1Len, qx3_u16w string2Len, qx3_u16w string3Len, uint32_t ignored,
                                     char* piString1, uint32_t word6, uint32_t word7, uint32_t word8, uint32_t word9,
                                     char* poOutput33, char* poOutput15, uint32_t word12,
                                     struct sqluTablespaceList* piTablespaceList, struct sqluMediaList* piMediaList,
                                     char* piString2, char* piString3, uint32_t word17, uint32_t word18,
                                     uint32_t word19, uint32_t word20, uint32_t word21, uint32_t word22,
                                     uint32_t word23, struct sqlca* pSqlca);

QX3_EXTERN_C int32_t QX3_API sqlgbkup(qx3_u16w string1Len, qx3_u16w string2Len, qx3_u16w string3Len, uint32_t ignored,
                                      char* piString1, uint32_t word6, uint32_t word7, uint32_t word8, uint32_t word9,
                                      char* poOutput33, char* poOutput15, uint32_t word12,
                                      struct sqluTablespaceList* piTablespaceList, struct sqluMediaList* piMediaList,
                                      char* piString2, char* piString3, uint32_t word17, uint32_t word18,
                                      uint32_t word19, uint32_t word20, struct sqlca* pSqlca);

#endif
