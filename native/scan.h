// Native directory-scan and tablespace calls of the application interface (stdcall,
// NUL-terminated strings). Words whose meaning is the native interface's own are plain words.
#ifndef QX3_NATIVE_SCAN_H
#define QX3_NATIVE_SCAN_H

#include "native/platform.h"
#include "qx3agapi_scan.h"

extern "C" {
// Database directory, versioned (the legacy close is served by qx3DbDirCloseScan too).
int32_t QX3_NATIVE qx3DbDirOpenScan(uint32_t version, qx3DbDirOpenScanRec* parm, sqlca* ca);
int32_t QX3_NATIVE qx3DbDirGetNextEntry(uint32_t version, qx3DbDirNextEntryRec* parm, sqlca* ca);
int32_t QX3_NATIVE qx3DbDirCloseScan(uint32_t version, qx3DbDirCloseScanRec* parm, sqlca* ca);

// Database directory, legacy.
int32_t QX3_NATIVE sqledosd_api(char* path, uint32_t w2, uint32_t w3, sqlca* ca);
int32_t QX3_NATIVE sqledgne_api(uint32_t handle, uint32_t w2, uint32_t w3);

// Node and gateway directories.
int32_t QX3_NATIVE sqlenops_api(uint32_t w1, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE sqlengne_api(uint32_t handle, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE sqlencls_api(uint32_t handle, uint32_t w2);
int32_t QX3_NATIVE sqlegdsc_api(uint32_t w1, uint32_t w2);
int32_t QX3_NATIVE sqlegdcl_api(uint32_t w1);

// Tablespaces and containers.
int32_t QX3_NATIVE sqlbotsq(uint32_t w1, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE sqlbftpq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4);
int32_t QX3_NATIVE sqlbftsq(uint32_t w1, uint32_t w2, qx3TablespaceRecord* records, uint32_t* count);
int32_t QX3_NATIVE sqlbctsq(uint32_t w1);
int32_t QX3_NATIVE sqlbstpq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4);
int32_t QX3_NATIVE sqlbstsq(uint32_t w1, uint32_t w2, qx3TablespaceRecord* record);
int32_t QX3_NATIVE sqlbmtsq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4, uint32_t w5);
int32_t QX3_NATIVE sqlbtsq(uint32_t w1, uint32_t* count, qx3TablespaceRecord** records);
int32_t QX3_NATIVE sqlbotcq(uint32_t w1, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE sqlbftcq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4);
int32_t QX3_NATIVE sqlbctcq(uint32_t w1);
int32_t QX3_NATIVE sqlbtcq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4);
int32_t QX3_NATIVE sqlbgtss(uint32_t w1, uint32_t w2, uint32_t w3);
int32_t QX3_NATIVE sqlbstsc(sqlca* ca, uint32_t w2, uint32_t w3, uint32_t count, qx3ContainerName* names);
}

#endif
