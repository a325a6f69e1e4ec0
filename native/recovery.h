// Native rollforward, recover, archive-log and recovery-history calls of the application interface
// (stdcall, NUL-terminated strings). The versioned ones take the caller's version number unchanged.
#ifndef QX3_NATIVE_RECOVERY_H
#define QX3_NATIVE_RECOVERY_H

#include "native/platform.h"
#include "qx3agapi_recovery.h"

extern "C" {

int32_t QX3_NATIVE qx3Rollforward(uint32_t version, qx3RollforwardStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3Recover(uint32_t version, qx3RecoverStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3ArchiveLog(uint32_t version, qx3ArchiveLogStruct* pParm, sqlca* pSqlca);

// Close and fetch receive the caller's own record and words as they stand.
int32_t QX3_NATIVE qx3HistoryCloseScan(uint32_t version, void* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3HistoryGetEntry(uint32_t version, void* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3HistoryOpenScan(uint32_t version, qx3HistoryOpenStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3HistoryUpdate(uint32_t version, qx3HistoryUpdateStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3Prune(uint32_t version, qx3PruneStruct* pParm, sqlca* pSqlca);

// The legacy history calls; parameter names are the argument positions of the entry point.
int32_t QX3_NATIVE sqluhcls(uint32_t word1, uint32_t word2, uint32_t word3);
int32_t QX3_NATIVE sqluhgne(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4);
int32_t QX3_NATIVE sqluhops(char* piString1, char* piString2, char* piString3, uint32_t word7, uint32_t word8,
                            uint32_t word9, uint32_t word10, sqlca* pSqlca);
int32_t QX3_NATIVE sqluhupd(char* piString1, char* piString2, char* piString3, char* piString4, uint32_t word9,
                            sqlca* pSqlca);
int32_t QX3_NATIVE sqluhprn(char* piString1, uint32_t word3, uint32_t word4, sqlca* pSqlca);
}

#endif
