// Database configuration natives.
#include "common.h"
#include "config/natives.h"

STANDIN_EXPORT int32_t QX3_NATIVE sqlfrdb(char* alias, sqlca* ca) { return native("sqlfrdb", {word(alias), word(ca)}, 1, ca); }
