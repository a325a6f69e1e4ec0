// Native backup calls of the application interface (stdcall, NUL-terminated strings).
#ifndef QX3_NATIVE_BACKUP_H
#define QX3_NATIVE_BACKUP_H

#include "native/platform.h"
#include "qx3agapi_backup.h"

extern "C" {

// Backup through the native record; the version number comes through unchanged.
int32_t QX3_NATIVE qx3Backup(uint32_t version, qx3BackupStruct* pParm, sqlca* pSqlca);

// The legacy backups: arguments 5 to the last of sqlgbkp and sqlgbkup, in their order.
int32_t QX3_NATIVE sqlubkp(char* piString1, uint32_t word6, uint32_t word7, uint32_t word8, uint32_t word9,
                           char* poOutput33, char* poOutput15, uint32_t word12, sqluTablespaceList* piTablespaceList,
                           sqluMediaList* piMediaList, char* piString2, char* piString3, uint32_t word17,
                           uint32_t word18, uint32_t word19, uint32_t word20, uint32_t word21, uint32_t word22,
                           uint32_t word23, sqlca* pSqlca);
int32_t QX3_NATIVE sqlubkup(char* piString1, uint32_t word6, uint32_t word7, uint32_t word8, uint32_t word9,
                            char* poOutput33, char* poOutput15, uint32_t word12,
                            sqluTablespaceList* piTablespaceList, sqluMediaList* piMediaList, char* piString2,
                            char* piString3, uint32_t word17, uint32_t word18, uint32_t word19, uint32_t word20,
                            sqlca* pSqlca);
}

#endif
