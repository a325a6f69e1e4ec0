// Native maintenance calls of the application interface (stdcall, NUL-terminated strings).
#ifndef QX3_NATIVE_MAINT_H
#define QX3_NATIVE_MAINT_H

#include "native/platform.h"
#include "qx3agapi_maint.h"

extern "C" {
// The versioned requests: the version number comes through unchanged.
int32_t QX3_NATIVE qx3Runstats(uint32_t version, qx3RunstatsStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3Reorg(uint32_t version, qx3ReorgStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3Inspect(uint32_t version, qx3InspectStruct* pParm, sqlca* pSqlca);

// Legacy runstats: the table name, the index count and names, two byte values widened.
int32_t QX3_NATIVE sqlustat_api(char* piTablename, uint32_t iIndexCount, char** piIndexList, uint32_t value1,
                                uint32_t value2, sqlca* pSqlca);
// Legacy reorg: its three strings last one first.
int32_t QX3_NATIVE sqlureot_api(char* string3, char* string2, char* string1, sqlca* pSqlca);
}

#endif
