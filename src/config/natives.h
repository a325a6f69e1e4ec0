// Native configuration calls of the application interface (stdcall, NUL-terminated strings).
#ifndef QX3_CONFIG_NATIVES_H
#define QX3_CONFIG_NATIVES_H

#include "frame/platform.h"

extern "C" {
// Resets the configuration of the named database.
int32_t QX3_NATIVE sqlfrdb(char* alias, sqlca* ca);
}

#endif
