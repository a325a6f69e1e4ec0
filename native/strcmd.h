// Native entry points of the string-argument commands (stdcall, NUL-terminated strings). Words the
// commands pass on without looking at them are plain 32-bit words here too.
#ifndef QX3_NATIVE_STRCMD_H
#define QX3_NATIVE_STRCMD_H

#include "native/platform.h"
#include "qx3agapi_strcmd.h"

extern "C" {
// Three strings, handed over last one first.
int32_t QX3_NATIVE sqleatin_api(char* string3, char* string2, char* string1, sqlca* ca);
int32_t QX3_NATIVE sqledcgd_api(char* string3, char* string2, char* string1, sqlca* ca);
int32_t QX3_NATIVE sqlemgdb_api(char* string3, char* string2, char* string1, sqlca* ca);

// One string.
int32_t QX3_NATIVE sqlutbau(char* string, sqlca* ca);
int32_t QX3_NATIVE sqlesact_api(char* string, sqlca* ca);
int32_t QX3_NATIVE sqleuncd_api(char* string, sqlca* ca);
int32_t QX3_NATIVE sqleuncn_api(char* string, sqlca* ca);
int32_t QX3_NATIVE sqledrpd_api(char* string, uint32_t word, sqlca* ca);
int32_t QX3_NATIVE sqleproc_api(char* string, uint32_t word3, uint32_t word1, uint32_t word2, sqlca* ca);
int32_t QX3_NATIVE sqluvqdp(char* string, uint32_t word1, uint32_t word2, sqlca* ca);

// Registration: the record is passed on as it is, its two strings terminated in place.
int32_t QX3_NATIVE sqleregs_api(uint32_t kind, sqleRegistration* record, sqlca* ca);
int32_t QX3_NATIVE sqledreg_api(uint32_t kind, sqleRegistration* record, sqlca* ca);

// Writes the instance name, NUL-terminated, into a buffer of 9 bytes.
int32_t QX3_NATIVE sqlegins_api(char* buffer, sqlca* ca);

// Pass-throughs.
int32_t QX3_NATIVE qx3UtilityControl(uint32_t versionNumber, void* parmStruct, sqlca* ca);
int32_t QX3_NATIVE sqluadau(uint32_t word1, uint32_t word2);
int32_t QX3_NATIVE sqluauth_api(uint32_t word);
int32_t QX3_NATIVE sqledtin_api(uint32_t word);
int32_t QX3_NATIVE sqlefmem_api(uint32_t word1, uint32_t word2);
int32_t QX3_NATIVE sqlefrce_api(uint32_t word4, uint32_t word3, uint32_t count, uint32_t word1);
int32_t QX3_NATIVE sqleintr_api(void);
int32_t QX3_NATIVE sqleisig_api(uint32_t word);
int32_t QX3_NATIVE sqleqryc_api(uint32_t word1, uint32_t value, uint32_t word3);
int32_t QX3_NATIVE sqlesetc_api(uint32_t word1, uint32_t value, uint32_t word3);
int32_t QX3_NATIVE sqlesdeg_api(uint32_t word4, uint32_t word3, uint32_t word2, uint32_t word1);
}

#endif
