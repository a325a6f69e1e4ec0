// Native configuration calls of the application interface (stdcall, NUL-terminated strings), for
// the database, manager and versioned configuration families.
#ifndef QX3_NATIVE_CONFIG_H
#define QX3_NATIVE_CONFIG_H

#include "native/platform.h"

extern "C" {
// Database configuration. The get and defaults calls fill every string-valued item's buffer with a
// NUL-terminated string; the update reads NUL-terminated values. The item array is the caller's.
int32_t QX3_NATIVE sqlfxdb(char* alias, uint32_t count, qx3ConfigItem* items, sqlca* ca);
int32_t QX3_NATIVE sqlfddb(char* alias, uint32_t count, qx3ConfigItem* items, sqlca* ca);
int32_t QX3_NATIVE sqlfudb(char* alias, uint32_t count, qx3ConfigItem* items, sqlca* ca);
// Resets the configuration of the named database.
int32_t QX3_NATIVE sqlfrdb(char* alias, sqlca* ca);

// Manager configuration, as the database calls without an alias.
int32_t QX3_NATIVE sqlfxsys(uint32_t count, qx3ConfigItem* items, sqlca* ca);
int32_t QX3_NATIVE sqlfdsys(uint32_t count, qx3ConfigItem* items, sqlca* ca);
int32_t QX3_NATIVE sqlfusys(uint32_t count, qx3ConfigItem* items, sqlca* ca);
int32_t QX3_NATIVE sqlfrsys(sqlca* ca);

// Versioned configuration over the native request; the version number is the caller's.
int32_t QX3_NATIVE qx3CfgGet(uint32_t version, qx3CfgParm* request, sqlca* ca);
int32_t QX3_NATIVE qx3CfgSet(uint32_t version, qx3CfgParm* request, sqlca* ca);
}

#endif
