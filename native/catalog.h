// Native directory and catalog calls of the application interface (stdcall, NUL-terminated
// strings and text fields).
#ifndef QX3_NATIVE_CATALOG_H
#define QX3_NATIVE_CATALOG_H

#include "native/platform.h"
#include "qx3agapi_catalog.h"

extern "C" {
int32_t QX3_NATIVE sqlectnd_api(sqlgNodeDescriptor* pNode, void* pProtocol, sqlca* pSqlca);

// The legacy catalog and create calls take the generic arguments last one first.
int32_t QX3_NATIVE sqlecadb_api(char* s6, char* s5, uint32_t byteValue, char* s4, char* s3, char* s2,
                                uint32_t shortValue, char* s1, sqlca* pSqlca);
int32_t QX3_NATIVE sqlectdd_api(char* s5, char* s4, uint32_t byteValue, char* s3, char* s2, char* s1,
                                uint32_t shortValue, sqlca* pSqlca);
int32_t QX3_NATIVE sqlecrea_api(char* s3, char* s2, char* s1, sqlgDbDescriptor* pDesc, sqlgShortTexts* pTexts,
                                uint32_t zero1, uint32_t zero2, sqlca* pSqlca);
int32_t QX3_NATIVE sqledbcr_api(char* s2, char* s1, sqlgDbDescriptor* pDesc, uint32_t shortValue,
                                sqlgShortTexts* pTexts, sqlca* pSqlca);
int32_t QX3_NATIVE qx3UpdateAlternateServerForDB(uint32_t version, qx3UpdateAltServerStruct* pParm,
                                                 sqlca* pSqlca);

// Gateway directory entries.
int32_t QX3_NATIVE sqlegdad_api(sqlgGatewayEntry* pEntry, sqlca* pSqlca);
int32_t QX3_NATIVE sqlegdel_api(sqlgGatewayEntry* pEntry, sqlca* pSqlca);
int32_t QX3_NATIVE sqlegdge_api(sqlgGatewayEntry* pEntry, sqlca* pSqlca);
int32_t QX3_NATIVE sqlegdgt_api(int16_t* pCount, sqlgGatewayEntry* pEntries, sqlca* pSqlca);
}

#endif
