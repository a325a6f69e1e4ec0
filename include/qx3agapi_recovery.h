// Rollforward, recover and archive log, and the recovery history.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_RECOVERY_H
#define QX3AGAPI_RECOVERY_H

#include "qx3agapi_lists.h"

// ---- Rollforward --------------------------------------------------------------------------------

// The version the legacy sqlgroll hands its native call, whatever its caller's record holds.
#define QX3_ROLLFORWARD_LEGACY_VERSION 8010000u
// From this version on (compared unsigned) qx3gRollforward copies the native output word back.
#define QX3_ROLLFORWARD_OUTPUT_WORD 9000000u

// The native rollforward input record (72 bytes). Fields named iValue are passed through unread.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iValue1
//      4    4 piDbAlias
//      8    4 iValue2
//     12    4 piStopTime
//     16    4 piUserName
//     20    4 piPassword
//     24    4 piOverflowLogPath
//     28   12 iValue3, iValue4, iValue5
//     40    4 piTablespaceList   entries lent their NULs in place
//     44   16 iValue6 to iValue9
//     60    4 piDroppedTblID
//     64    4 piExportDir
//     68    4 iValue10
typedef struct qx3RollforwardIn qx3RollforwardIn;
struct qx3RollforwardIn {
    uint32_t iValue1;
    char* piDbAlias;
    uint32_t iValue2;
    char* piStopTime;
    char* piUserName;
    char* piPassword;
    char* piOverflowLogPath;
    uint32_t iValue3;
    uint32_t iValue4;
    uint32_t iValue5;
    struct sqluTablespaceList* piTablespaceList;
    uint32_t iValue6;
    uint32_t iValue7;
    uint32_t iValue8;
    uint32_t iValue9;
    char* piDroppedTblID;
    char* piExportDir;
    uint32_t iValue10;
};

// The rollforward output record (16 bytes), native and versioned alike; the legacy one is its
// first 12 bytes.
//
// OFFSET SIZE DESCRIPTION
//      0    4 poText   the caller's 33-byte text: NUL-terminated by the native call, blank-padded after
//      4    8 iWord1, iWord2   passed through
//     12    4 oWord    filled by the native call
typedef struct qx3RollforwardOut qx3RollforwardOut;
struct qx3RollforwardOut {
    char* poText;
    uint32_t iWord1;
    uint32_t iWord2;
    uint32_t oWord;
};

// The native parameter record (8 bytes), and the caller's versioned one of the same shape.
//
// OFFSET SIZE DESCRIPTION
//      0    4 input record
//      4    4 output record
typedef struct qx3RollforwardStruct qx3RollforwardStruct;
struct qx3RollforwardStruct {
    struct qx3RollforwardIn* pIn;
    struct qx3RollforwardOut* pOut;
};

// The versioned input record (100 bytes): seven 32-bit lengths, then the native record as it stands.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iDbAliasLen
//      4    4 iStopTimeLen
//      8    4 iUserNameLen
//     12    4 iPasswordLen
//     16    4 iOverflowLogPathLen
//     20    4 iDroppedTblIDLen
//     24    4 iExportDirLen
//     28   72 native: the native input record, word for word
typedef struct qx3gRollforwardIn qx3gRollforwardIn;
struct qx3gRollforwardIn {
    uint32_t iDbAliasLen;
    uint32_t iStopTimeLen;
    uint32_t iUserNameLen;
    uint32_t iPasswordLen;
    uint32_t iOverflowLogPathLen;
    uint32_t iDroppedTblIDLen;
    uint32_t iExportDirLen;
    struct qx3RollforwardIn native;
};

// The versioned parameter record (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 input record
//      4    4 output record (the native output record's shape)
typedef struct qx3gRollforwardStruct qx3gRollforwardStruct;
struct qx3gRollforwardStruct {
    struct qx3gRollforwardIn* pIn;
    struct qx3RollforwardOut* pOut;
};

// The legacy rollforward record (80 bytes). The legacy record has no lengths for piDroppedTblID and
// piExportDir: both go on as strings of length 0.
//
// OFFSET SIZE DESCRIPTION                          NATIVE
//      0   10 five u16 lengths: iDbAliasLen, iStopTimeLen, iUserNameLen, iPasswordLen,
//             iOverflowLogPathLen
//     10    2 not read
//     12    4 iValue1                              0
//     16    4 piDbAlias                            4
//     20    2 iValue2 (u16)                        8, zero-extended
//     22    2 not read
//     24    4 piStopTime                           12
//     28    4 piUserName                           16
//     32    4 piPassword                           20
//     36    4 piOverflowLogPath                    24
//     40    2 iValue3 (u16)                        28, zero-extended
//     42    2 not read
//     44    4 iValue4                              32
//     48    2 iValue5 (u16)                        36, zero-extended
//     50    2 not read
//     52    4 piTablespaceList                     40
//     56    2 iValue6 (i16)                        44, sign-extended
//     58    2 iValue7 (i16)                        48, sign-extended
//     60    4 iValue8                              52
//     64    2 iValue9 (i16)                        56, sign-extended
//     66    6 not read
//     72    4 piDroppedTblID                       60
//     76    4 piExportDir                          64
typedef struct sqlgRollforwardIn sqlgRollforwardIn;
struct sqlgRollforwardIn {
    uint16_t iDbAliasLen;
    uint16_t iStopTimeLen;
    uint16_t iUserNameLen;
    uint16_t iPasswordLen;
    uint16_t iOverflowLogPathLen;
    uint16_t reserved1;
    uint32_t iValue1;
    char* piDbAlias;
    uint16_t iValue2;
    uint16_t reserved2;
    char* piStopTime;
    char* piUserName;
    char* piPassword;
    char* piOverflowLogPath;
    uint16_t iValue3;
    uint16_t reserved3;
    uint32_t iValue4;
    uint16_t iValue5;
    uint16_t reserved4;
    struct sqluTablespaceList* piTablespaceList;
    int16_t iValue6;
    int16_t iValue7;
    uint32_t iValue8;
    int16_t iValue9;
    uint8_t reserved5[6];
    char* piDroppedTblID;
    char* piExportDir;
};

// The legacy output record (12 bytes): the first three words of qx3RollforwardOut.
typedef struct sqlgRollforwardOut sqlgRollforwardOut;
struct sqlgRollforwardOut {
    char* poText;
    uint32_t iWord1;
    uint32_t iWord2;
};

// ---- Recover ------------------------------------------------------------------------------------

// The encryption library and the last two words are read from 10050300 on, and from 10010400 to
// 10049999 (compared unsigned).
#define QX3_RECOVER_V4 10050300u
#define QX3_RECOVER_V4_EARLY_FIRST 10010400u
#define QX3_RECOVER_V4_EARLY_LAST 10049999u

// The generic recover record (128 bytes; the last 16 are read only under V4). Each string is a
// pointer followed by its length; the pointer's field name is what an error report names.
//
// OFFSET SIZE DESCRIPTION                             NATIVE
//      0    8 piSourceDBAlias, iSourceDBAliasLen      0
//      8    8 piUserName, iUserNameLen                4
//     16    8 piPassword, iPasswordLen                8
//     24   16 iWord1 to iWord4                        12 to 24
//     40    8 piStopTime, iStopTimeLen                28
//     48    8 piOverflowLogPath, iOverflowLogPathLen  32
//     56   24 iWord5 to iWord10                       36 to 56
//     80    8 piHistoryFile, iHistoryFileLen          60
//     88    8 iWord11, iWord12                        64, 68
//     96    8 piComprLibrary, iComprLibraryLen        72
//    104    8 iWord13, iWord14                        76, 80
//    112    8 piEncrLibrary, iEncrLibraryLen (V4)     84
//    120    8 iWord15, iWord16 (V4)                   88, 92
typedef struct qx3gRecoverStruct qx3gRecoverStruct;
struct qx3gRecoverStruct {
    char* piSourceDBAlias;
    uint32_t iSourceDBAliasLen;
    char* piUserName;
    uint32_t iUserNameLen;
    char* piPassword;
    uint32_t iPasswordLen;
    uint32_t iWord1to4[4];
    char* piStopTime;
    uint32_t iStopTimeLen;
    char* piOverflowLogPath;
    uint32_t iOverflowLogPathLen;
    uint32_t iWord5to10[6];
    char* piHistoryFile;
    uint32_t iHistoryFileLen;
    uint32_t iWord11;
    uint32_t iWord12;
    char* piComprLibrary;
    uint32_t iComprLibraryLen;
    uint32_t iWord13;
    uint32_t iWord14;
    char* piEncrLibrary;
    uint32_t iEncrLibraryLen;
    uint32_t iWord15;
    uint32_t iWord16;
};

// The native recover record (100 bytes), all zero before it is filled.
//
// OFFSET SIZE DESCRIPTION
//      0   12 piSourceDBAlias, piUserName, piPassword
//     12   16 iWord1 to iWord4
//     28    8 piStopTime, piOverflowLogPath
//     36   24 iWord5 to iWord10
//     60    4 piHistoryFile
//     64    8 iWord11, iWord12
//     72    4 piComprLibrary
//     76    8 iWord13, iWord14
//     84    4 piEncrLibrary (V4, else null)
//     88    8 iWord15, iWord16 (V4, else 0)
//     96    4 always 0
typedef struct qx3RecoverStruct qx3RecoverStruct;
struct qx3RecoverStruct {
    char* piSourceDBAlias;
    char* piUserName;
    char* piPassword;
    uint32_t iWord1to4[4];
    char* piStopTime;
    char* piOverflowLogPath;
    uint32_t iWord5to10[6];
    char* piHistoryFile;
    uint32_t iWord11;
    uint32_t iWord12;
    char* piComprLibrary;
    uint32_t iWord13;
    uint32_t iWord14;
    char* piEncrLibrary;
    uint32_t iWord15;
    uint32_t iWord16;
    uint32_t reserved;
};

// ---- Archive log --------------------------------------------------------------------------------

// The generic archive-log record (36 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0   12 iString1Len, iString2Len, iString3Len
//     12   12 piString1, piString2, piString3
//     24    4 iHalf1, iHalf2 (u16)
//     28    8 iWord1, iWord2
typedef struct qx3gArchiveLogStruct qx3gArchiveLogStruct;
struct qx3gArchiveLogStruct {
    uint32_t iString1Len;
    uint32_t iString2Len;
    uint32_t iString3Len;
    char* piString1;
    char* piString2;
    char* piString3;
    uint16_t iHalf1;
    uint16_t iHalf2;
    uint32_t iWord1;
    uint32_t iWord2;
};

// The native archive-log record (24 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0   12 piString1, piString2, piString3
//     12    4 iHalf1, iHalf2 (u16)
//     16    8 iWord1, iWord2
typedef struct qx3ArchiveLogStruct qx3ArchiveLogStruct;
struct qx3ArchiveLogStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    uint16_t iHalf1;
    uint16_t iHalf2;
    uint32_t iWord1;
    uint32_t iWord2;
};

// ---- Recovery history ---------------------------------------------------------------------------

// From this version on (compared unsigned) qx3gHistoryOpenScan copies oWord3 back.
#define QX3_HISTORY_OWORD3 9080000u

// The generic open-scan record (40 bytes).
//
// OFFSET SIZE DESCRIPTION                                        NATIVE
//      0   12 piString1, piString2, piString3                    0, 4, 8
//     12   12 iString1Len, iString2Len, iString3Len
//     24    8 oWord1, oWord2   copied back                       from 12, 16
//     32    4 oWord3           copied back from QX3_HISTORY_OWORD3 on   from 20
//     36    2 iHalf1 (u16)                                        24
//     38    2 oHalf1 (u16)     copied back                       from 26
typedef struct qx3gHistoryOpenStruct qx3gHistoryOpenStruct;
struct qx3gHistoryOpenStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    uint32_t iString1Len;
    uint32_t iString2Len;
    uint32_t iString3Len;
    uint32_t oWord1;
    uint32_t oWord2;
    uint32_t oWord3;
    uint16_t iHalf1;
    uint16_t oHalf1;
};

// The native open-scan record (28 bytes), all zero before it is filled.
//
// OFFSET SIZE DESCRIPTION
//      0   12 piString1, piString2, piString3
//     12   12 oWord1, oWord2, oWord3
//     24    2 iHalf1
//     26    2 oHalf1
typedef struct qx3HistoryOpenStruct qx3HistoryOpenStruct;
struct qx3HistoryOpenStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    uint32_t oWord1;
    uint32_t oWord2;
    uint32_t oWord3;
    uint16_t iHalf1;
    uint16_t oHalf1;
};

// The generic update record (40 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0   16 piString1 to piString4
//     16   16 iString1Len to iString4Len
//     32    8 iWord1, iWord2
typedef struct qx3gHistoryUpdateStruct qx3gHistoryUpdateStruct;
struct qx3gHistoryUpdateStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    char* piString4;
    uint32_t iString1Len;
    uint32_t iString2Len;
    uint32_t iString3Len;
    uint32_t iString4Len;
    uint32_t iWord1;
    uint32_t iWord2;
};

// The native update record (24 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0   16 piString1 to piString4
//     16    8 iWord1, iWord2
typedef struct qx3HistoryUpdateStruct qx3HistoryUpdateStruct;
struct qx3HistoryUpdateStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    char* piString4;
    uint32_t iWord1;
    uint32_t iWord2;
};

// The generic prune record (24 bytes): here the length comes first.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iString1Len
//      4    4 piString1
//      8   16 iWord1 to iWord4
typedef struct qx3gPruneStruct qx3gPruneStruct;
struct qx3gPruneStruct {
    uint32_t iString1Len;
    char* piString1;
    uint32_t iWord1;
    uint32_t iWord2;
    uint32_t iWord3;
    uint32_t iWord4;
};

// The native prune record (20 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString1
//      4   16 iWord1 to iWord4
typedef struct qx3PruneStruct qx3PruneStruct;
struct qx3PruneStruct {
    char* piString1;
    uint32_t iWord1;
    uint32_t iWord2;
    uint32_t iWord3;
    uint32_t iWord4;
};

#ifdef __cplusplus
#define QX3_AT(T, f, o) static_assert(__builtin_offsetof(T, f) == (o), #T "." #f)
static_assert(sizeof(qx3RollforwardIn) == 72, "qx3RollforwardIn");
QX3_AT(qx3RollforwardIn, piDbAlias, 4);
QX3_AT(qx3RollforwardIn, piStopTime, 12);
QX3_AT(qx3RollforwardIn, piOverflowLogPath, 24);
QX3_AT(qx3RollforwardIn, piTablespaceList, 40);
QX3_AT(qx3RollforwardIn, iValue9, 56);
QX3_AT(qx3RollforwardIn, piDroppedTblID, 60);
QX3_AT(qx3RollforwardIn, iValue10, 68);
static_assert(sizeof(qx3RollforwardOut) == 16, "qx3RollforwardOut");
QX3_AT(qx3RollforwardOut, oWord, 12);
static_assert(sizeof(qx3RollforwardStruct) == 8, "qx3RollforwardStruct");
static_assert(sizeof(qx3gRollforwardStruct) == 8, "qx3gRollforwardStruct");
static_assert(sizeof(qx3gRollforwardIn) == 100, "qx3gRollforwardIn");
QX3_AT(qx3gRollforwardIn, iExportDirLen, 24);
QX3_AT(qx3gRollforwardIn, native, 28);
static_assert(sizeof(sqlgRollforwardIn) == 80, "sqlgRollforwardIn");
QX3_AT(sqlgRollforwardIn, iOverflowLogPathLen, 8);
QX3_AT(sqlgRollforwardIn, iValue1, 12);
QX3_AT(sqlgRollforwardIn, piDbAlias, 16);
QX3_AT(sqlgRollforwardIn, iValue2, 20);
QX3_AT(sqlgRollforwardIn, piStopTime, 24);
QX3_AT(sqlgRollforwardIn, piOverflowLogPath, 36);
QX3_AT(sqlgRollforwardIn, iValue3, 40);
QX3_AT(sqlgRollforwardIn, iValue4, 44);
QX3_AT(sqlgRollforwardIn, iValue5, 48);
QX3_AT(sqlgRollforwardIn, piTablespaceList, 52);
QX3_AT(sqlgRollforwardIn, iValue6, 56);
QX3_AT(sqlgRollforwardIn, iValue7, 58);
QX3_AT(sqlgRollforwardIn, iValue8, 60);
QX3_AT(sqlgRollforwardIn, iValue9, 64);
QX3_AT(sqlgRollforwardIn, piDroppedTblID, 72);
QX3_AT(sqlgRollforwardIn, piExportDir, 76);
static_assert(sizeof(sqlgRollforwardOut) == 12, "sqlgRollforwardOut");
static_assert(sizeof(qx3gRecoverStruct) == 128, "qx3gRecoverStruct");
QX3_AT(qx3gRecoverStruct, iWord1to4, 24);
QX3_AT(qx3gRecoverStruct, piStopTime, 40);
QX3_AT(qx3gRecoverStruct, iWord5to10, 56);
QX3_AT(qx3gRecoverStruct, piHistoryFile, 80);
QX3_AT(qx3gRecoverStruct, piComprLibrary, 96);
QX3_AT(qx3gRecoverStruct, piEncrLibrary, 112);
QX3_AT(qx3gRecoverStruct, iWord16, 124);
static_assert(sizeof(qx3RecoverStruct) == 100, "qx3RecoverStruct");
QX3_AT(qx3RecoverStruct, iWord1to4, 12);
QX3_AT(qx3RecoverStruct, piStopTime, 28);
QX3_AT(qx3RecoverStruct, iWord5to10, 36);
QX3_AT(qx3RecoverStruct, piHistoryFile, 60);
QX3_AT(qx3RecoverStruct, piComprLibrary, 72);
QX3_AT(qx3RecoverStruct, piEncrLibrary, 84);
QX3_AT(qx3RecoverStruct, iWord15, 88);
QX3_AT(qx3RecoverStruct, reserved, 96);
static_assert(sizeof(qx3gArchiveLogStruct) == 36, "qx3gArchiveLogStruct");
QX3_AT(qx3gArchiveLogStruct, piString1, 12);
QX3_AT(qx3gArchiveLogStruct, iHalf1, 24);
QX3_AT(qx3gArchiveLogStruct, iHalf2, 26);
QX3_AT(qx3gArchiveLogStruct, iWord1, 28);
static_assert(sizeof(qx3ArchiveLogStruct) == 24, "qx3ArchiveLogStruct");
QX3_AT(qx3ArchiveLogStruct, iHalf1, 12);
QX3_AT(qx3ArchiveLogStruct, iHalf2, 14);
QX3_AT(qx3ArchiveLogStruct, iWord1, 16);
static_assert(sizeof(qx3gHistoryOpenStruct) == 40, "qx3gHistoryOpenStruct");
QX3_AT(qx3gHistoryOpenStruct, iString1Len, 12);
QX3_AT(qx3gHistoryOpenStruct, oWord1, 24);
QX3_AT(qx3gHistoryOpenStruct, oWord3, 32);
QX3_AT(qx3gHistoryOpenStruct, iHalf1, 36);
QX3_AT(qx3gHistoryOpenStruct, oHalf1, 38);
static_assert(sizeof(qx3HistoryOpenStruct) == 28, "qx3HistoryOpenStruct");
QX3_AT(qx3HistoryOpenStruct, oWord1, 12);
QX3_AT(qx3HistoryOpenStruct, iHalf1, 24);
QX3_AT(qx3HistoryOpenStruct, oHalf1, 26);
static_assert(sizeof(qx3gHistoryUpdateStruct) == 40, "qx3gHistoryUpdateStruct");
QX3_AT(qx3gHistoryUpdateStruct, iString1Len, 16);
QX3_AT(qx3gHistoryUpdateStruct, iWord1, 32);
static_assert(sizeof(qx3HistoryUpdateStruct) == 24, "qx3HistoryUpdateStruct");
QX3_AT(qx3HistoryUpdateStruct, iWord1, 16);
static_assert(sizeof(qx3gPruneStruct) == 24, "qx3gPruneStruct");
QX3_AT(qx3gPruneStruct, piString1, 4);
QX3_AT(qx3gPruneStruct, iWord3, 16);
static_assert(sizeof(qx3PruneStruct) == 20, "qx3PruneStruct");
QX3_AT(qx3PruneStruct, iWord3, 12);
#undef QX3_AT
#endif

#endif
