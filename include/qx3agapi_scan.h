// Directory and tablespace scans: open, step through and close scans of the database, node and
// gateway directories; query tablespaces and their containers.
//
// Words whose meaning belongs to the native interface alone are passed as plain 32-bit words
// (uint32_t): the library hands them on without looking at them.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_SCAN_H
#define QX3AGAPI_SCAN_H


// ---- Records of the versioned database-directory scans ----

// Open-scan request, as the caller passes it (12 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iStringLen  length of piString
//      4    4 piString    string for the open call; lent a terminator at piString[iStringLen]
//      8    2 oValue1     first word returned by the open (written only when it succeeds)
//     10    2 oValue2     second word returned by the open (written only when it succeeds)
typedef struct qx3gDbDirOpenScanRec qx3gDbDirOpenScanRec;
struct qx3gDbDirOpenScanRec {
    uint32_t iStringLen;
    char* piString;
    uint16_t oValue1;
    uint16_t oValue2;
};

// Open-scan request as the native open takes it (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString    NUL-terminated string
//      4    2 oValue1     first word returned
//      6    2 oValue2     second word returned
typedef struct qx3DbDirOpenScanRec qx3DbDirOpenScanRec;
struct qx3DbDirOpenScanRec {
    char* piString;
    uint16_t oValue1;
    uint16_t oValue2;
};

// Next-entry request, the same for the caller and the native call (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    2 iHandle     the scan
//      2    2 (padding)
//      4    4 poEntry     where the native call put the entry (written only when it succeeds)
typedef struct qx3DbDirNextEntryRec qx3DbDirNextEntryRec;
struct qx3DbDirNextEntryRec {
    uint16_t iHandle;
    void* poEntry;
};

// Close-scan request, the same for the caller and the native call (2 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    2 iHandle     the scan
typedef struct qx3DbDirCloseScanRec qx3DbDirCloseScanRec;
struct qx3DbDirCloseScanRec {
    uint16_t iHandle;
};

// ---- Records of the tablespace queries ----

// A fetched tablespace record (176 bytes), laid out by the native interface. The library touches
// only the 6-byte text at offset 168, which it blank-pads after a successful fetch.
//
// OFFSET SIZE DESCRIPTION
//      0  168 native      filled by the native call
//    168    6 text6       NUL-terminated text, returned blank-padded without a NUL
//    174    2 native2     filled by the native call
typedef struct qx3TablespaceRecord qx3TablespaceRecord;
struct qx3TablespaceRecord {
    uint8_t native[168];
    char text6[6];
    uint8_t native2[2];
};

// A container name in the caller's array for sqlgstsc (292 bytes). The name is length-counted; it
// is lent a terminator at name[nameLen] for the duration of the call.
//
// OFFSET SIZE DESCRIPTION
//      0   12 native      passed on as it stands
//     12    4 nameLen     length of the name
//     16  276 name        the name, inline, with room for its terminator
typedef struct qx3ContainerName qx3ContainerName;
struct qx3ContainerName {
    uint8_t native[12];
    uint32_t nameLen;
    char name[276];
};

#ifdef __cplusplus
static_assert(sizeof(qx3gDbDirOpenScanRec) == 12, "qx3gDbDirOpenScanRec");
static_assert(__builtin_offsetof(qx3gDbDirOpenScanRec, piString) == 4, "qx3gDbDirOpenScanRec.piString");
static_assert(__builtin_offsetof(qx3gDbDirOpenScanRec, oValue1) == 8, "qx3gDbDirOpenScanRec.oValue1");
static_assert(__builtin_offsetof(qx3gDbDirOpenScanRec, oValue2) == 10, "qx3gDbDirOpenScanRec.oValue2");
static_assert(sizeof(qx3DbDirOpenScanRec) == 8, "qx3DbDirOpenScanRec");
static_assert(__builtin_offsetof(qx3DbDirOpenScanRec, oValue1) == 4, "qx3DbDirOpenScanRec.oValue1");
static_assert(__builtin_offsetof(qx3DbDirOpenScanRec, oValue2) == 6, "qx3DbDirOpenScanRec.oValue2");
static_assert(sizeof(qx3DbDirNextEntryRec) == 8, "qx3DbDirNextEntryRec");
static_assert(__builtin_offsetof(qx3DbDirNextEntryRec, poEntry) == 4, "qx3DbDirNextEntryRec.poEntry");
static_assert(sizeof(qx3DbDirCloseScanRec) == 2, "qx3DbDirCloseScanRec");
static_assert(sizeof(qx3TablespaceRecord) == 176, "qx3TablespaceRecord");
static_assert(__builtin_offsetof(qx3TablespaceRecord, text6) == 168, "qx3TablespaceRecord.text6");
static_assert(sizeof(qx3ContainerName) == 292, "qx3ContainerName");
static_assert(__builtin_offsetof(qx3ContainerName, nameLen) == 12, "qx3ContainerName.nameLen");
static_assert(__builtin_offsetof(qx3ContainerName, name) == 16, "qx3ContainerName.name");
#endif

// ---- Database directory, versioned ----
// No sqlca: -1. No record: -1078, with the call's name in sqlerrp.
QX3_EXTERN_C int32_t QX3_API qx3gDbDirOpenScan(uint32_t versionNumber, struct qx3gDbDirOpenScanRec* pParm,
                                               struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gDbDirGetNextEntry(uint32_t versionNumber, struct qx3DbDirNextEntryRec* pParm,
                                                   struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gDbDirCloseScan(uint32_t versionNumber, struct qx3DbDirCloseScanRec* pParm,
                                                struct sqlca* pSqlca);

// ---- Database directory, legacy ----
QX3_EXTERN_C int32_t QX3_API sqlgdosd(qx3_u16w pathLen, struct sqlca* pSqlca, uint32_t word3, uint32_t word4,
                                      char* pPath);
QX3_EXTERN_C int32_t QX3_API sqlgdgne(qx3_u16w handle, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgdcls(qx3_u16w handle, struct sqlca* pSqlca);

// ---- Node and gateway directories ----
QX3_EXTERN_C int32_t QX3_API sqlgnops(uint32_t word1, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgngne(qx3_u16w handle, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgncls(qx3_u16w handle, uint32_t word2);
QX3_EXTERN_C int32_t QX3_API sqlggdsc(uint32_t word1, uint32_t word2);
QX3_EXTERN_C int32_t QX3_API sqlggdcl(uint32_t word1);

// ---- Tablespaces and containers ----
QX3_EXTERN_C int32_t QX3_API sqlgotsq(uint32_t word1, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgftpq(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4);
// Fetches up to a count of records into pRecords; on success the native call leaves the number
// fetched in *pCount, and each record's text6 comes back blank-padded.
QX3_EXTERN_C int32_t QX3_API sqlgftsq(uint32_t word1, uint32_t word2, struct qx3TablespaceRecord* pRecords,
                                      uint32_t* pCount);
QX3_EXTERN_C int32_t QX3_API sqlgctsq(uint32_t word1);
QX3_EXTERN_C int32_t QX3_API sqlgstpq(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4);
// One record into pRecord; its text6 comes back blank-padded.
QX3_EXTERN_C int32_t QX3_API sqlgstsq(uint32_t word1, uint32_t word2, struct qx3TablespaceRecord* pRecord);
QX3_EXTERN_C int32_t QX3_API sqlgmtsq(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4,
                                      uint32_t word5);
// The native call leaves the number of records in *pCount and their address in *ppRecords; each
// record's text6 comes back blank-padded.
QX3_EXTERN_C int32_t QX3_API sqlgtsq(uint32_t word1, uint32_t* pCount, struct qx3TablespaceRecord** ppRecords);
QX3_EXTERN_C int32_t QX3_API sqlgotcq(uint32_t word1, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgftcq(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4);
QX3_EXTERN_C int32_t QX3_API sqlgctcq(uint32_t word1);
QX3_EXTERN_C int32_t QX3_API sqlgtcq(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4);
QX3_EXTERN_C int32_t QX3_API sqlggtss(uint32_t word1, uint32_t word2, uint32_t word3);
// Sets the containers of a tablespace: each of the count names is lent a terminator for the call.
// When the call cannot get memory it returns the memory service's code and leaves sqlca alone.
QX3_EXTERN_C int32_t QX3_API sqlgstsc(struct sqlca* pSqlca, uint32_t word2, uint32_t word3, uint32_t count,
                                      struct qx3ContainerName* pNames);

#endif
