// Native instance and partition calls of the application interface (stdcall, NUL-terminated
// strings). Words the library passes on without looking at them are plain 32-bit words here too.
#ifndef QX3_NATIVE_INSTANCE_H
#define QX3_NATIVE_INSTANCE_H

#include "native/platform.h"
#include "qx3agapi_instance.h"

extern "C" {
// Start and stop through the native record; the version number comes through unchanged.
int32_t QX3_NATIVE qx3InstanceStart(uint32_t version, qx3InstanceStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE qx3InstanceStop(uint32_t version, qx3InstanceStruct* pParm, sqlca* pSqlca);

// Partition start and stop: the caller's record, its inline strings terminated in place.
int32_t QX3_NATIVE sqlepstr_api(void* pRecord, sqlca* pSqlca);
int32_t QX3_NATIVE sqlepstart_api(void* pRecord, sqlca* pSqlca);
int32_t QX3_NATIVE sqlepstp_api(void* pRecord, sqlca* pSqlca);
int32_t QX3_NATIVE sqlestar_api(void);
int32_t QX3_NATIVE sqlestop_api(uint32_t word);

// Partitioned-database services.
int32_t QX3_NATIVE sqleaddn_api(void* pOptions, sqlca* pSqlca);
int32_t QX3_NATIVE sqlecran_api(char* string, uint32_t word, sqlca* pSqlca);
int32_t QX3_NATIVE sqledpan_api(char* string, uint32_t word, sqlca* pSqlca);
int32_t QX3_NATIVE sqledrpn_api(uint32_t node, uint32_t word, sqlca* pSqlca);
int32_t QX3_NATIVE sqludrdt_api(char* string1, char* string2, char* string3, uint32_t word7, uint32_t half8,
                                uint32_t word9, uint32_t half10, uint32_t option, uint32_t word12);
int32_t QX3_NATIVE sqlugrpn_api(uint32_t half1, uint32_t word2, uint32_t word3, uint32_t half4, uint32_t half5,
                                uint32_t word6, uint32_t word7, uint32_t word8, uint32_t half9, uint32_t word10,
                                uint32_t signed11, uint32_t zero12, uint32_t zero13);
int32_t QX3_NATIVE sqlugtpi_api(char* string, uint32_t word3, uint32_t word4);
}

#endif
