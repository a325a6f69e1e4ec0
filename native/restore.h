// Native restore calls of the application interface (stdcall, NUL-terminated strings). The
// parameter names are the argument positions of the legacy entry point that passes each word.
#ifndef QX3_NATIVE_RESTORE_H
#define QX3_NATIVE_RESTORE_H

#include "native/platform.h"
#include "qx3agapi_restore.h"

extern "C" {

// Restore through the native record; the version number comes through unchanged.
int32_t QX3_NATIVE qx3Restore(uint32_t version, qx3RestoreStruct* pParm, sqlca* pSqlca);

// sqlgrestore's arguments 9 to 26, then 32, 33, 27, 29, 31, 34, 35.
int32_t QX3_NATIVE sqlurestore(char* piString1, char* piString2, uint32_t word11, uint32_t word12, uint32_t word13,
                               uint32_t word14, uint32_t word15, uint32_t word16, char* poOutput33,
                               char* pioText15, char* piString3, uint32_t word20, char* piString6,
                               sqluTablespaceList* piTablespaceList, sqluMediaList* piMediaList, char* piString4,
                               char* piString5, uint32_t word26, uint32_t word32, uint32_t word33, uint32_t word27,
                               uint32_t word29, uint32_t word31, uint32_t word34, sqlca* pSqlca);

// sqlgrsto's arguments 8 to 26, in their order.
int32_t QX3_NATIVE sqlursto(char* piString1, char* piString2, uint32_t word10, uint32_t word11, uint32_t word12,
                            uint32_t word13, char* poOutput33, char* pioText15, char* piString3, uint32_t word17,
                            sqluTablespaceList* piTablespaceList, sqluMediaList* piMediaList, char* piString4,
                            char* piString5, uint32_t word22, uint32_t word23, uint32_t word24, uint32_t word25,
                            sqlca* pSqlca);

// sqlgrst's arguments 8 to 23, then 29, 30, 24, 26, 28, 31, 32.
int32_t QX3_NATIVE sqlurst(char* piString1, char* piString2, uint32_t word10, uint32_t word11, uint32_t word12,
                           uint32_t word13, uint32_t word14, char* poOutput33, char* pioText15, char* piString3,
                           uint32_t word18, sqluTablespaceList* piTablespaceList, sqluMediaList* piMediaList,
                           char* piString4, char* piString5, uint32_t word23, uint32_t word29, uint32_t word30,
                           uint32_t word24, uint32_t word26, uint32_t word28, uint32_t word31, sqlca* pSqlca);
}

#endif
