// Native data-movement calls of the application interface (stdcall, NUL-terminated strings). The
// parameter names are the argument positions of the legacy entry point that passes each word.
#ifndef QX3_NATIVE_MOVEMENT_H
#define QX3_NATIVE_MOVEMENT_H

#include "native/platform.h"
#include "qx3agapi_movement.h"

extern "C" {

// Load through the native record; the version number comes through unchanged.
int32_t QX3_NATIVE qx3Load(uint32_t version, qx3LoadStruct* pParm, sqlca* pSqlca);

// sqlgload's arguments 4 to 19, the 16-bit value at 12 widened with its sign.
int32_t QX3_NATIVE sqluload_api(sqluMediaList* list4, sqluMediaList* list5, uint32_t value6, uint32_t value7,
                                char* string8, uint32_t value9, char* string10, char* string11, int32_t value12,
                                uint32_t value13, uint32_t value14, sqluMediaList* list15, sqluMediaList* list16,
                                uint32_t value17, uint32_t value18, sqlca* pSqlca);

int32_t QX3_NATIVE qx3LoadQuery(uint32_t version, qx3LoadQueryStruct* pParm, sqlca* pSqlca);
int32_t QX3_NATIVE sqluqry_api(char* string1, char* string2, sqlca* pSqlca);

int32_t QX3_NATIVE qx3Export(uint32_t version, qx3ExportStruct* pParm, sqlca* pSqlca);
// sqlgexpt's arguments 4 to 12, last one first.
int32_t QX3_NATIVE sqluexpt_api(char* string12, uint32_t value11, uint32_t value10, char* string9, uint32_t value8,
                                char* string7, int32_t value6, uint32_t value5, sqlca* pSqlca);
// sqlgexpr's arguments 4 to 15, in their order.
int32_t QX3_NATIVE sqluexpr_api(char* string4, sqluMediaList* list5, sqluMediaList* list6, uint32_t value7,
                                uint32_t value8, char* string9, uint32_t value10, char* string11, int32_t value12,
                                uint32_t value13, uint32_t value14, sqlca* pSqlca);

int32_t QX3_NATIVE qx3Import(uint32_t version, qx3ImportStruct* pParm, sqlca* pSqlca);
// sqlgimpt's arguments 4 to 13, last one first.
int32_t QX3_NATIVE sqluimpt_api(char* string13, uint32_t value12, uint32_t value11, char* string10, uint32_t value9,
                                char* string8, int32_t value7, uint32_t value6, uint32_t value5, sqlca* pSqlca);
// sqlgimpr's arguments 4 to 16, in their order.
int32_t QX3_NATIVE sqluimpr_api(char* string4, sqluMediaList* list5, uint32_t value6, uint32_t value7, char* string8,
                                uint32_t value9, char* string10, int32_t value11, uint32_t value12, uint32_t value13,
                                uint32_t value14, uint32_t value15, sqlca* pSqlca);
}

#endif
