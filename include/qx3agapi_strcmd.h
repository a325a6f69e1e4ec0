// String-argument commands: calls that lend their length-counted strings a terminator and forward,
// the registration calls with their fixed record, the instance name, and plain pass-throughs.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_STRCMD_H
#define QX3AGAPI_STRCMD_H


// A signed 16-bit value passed in a whole argument word; only the low 16 bits are read, with sign.
typedef uint32_t qx3_i16w;

// Registration record (184 bytes), passed on to the native interface as it is. Each string is
// inline, followed by its length; the library lends each a terminator at string[length].
//
// OFFSET SIZE DESCRIPTION
//      0   50 string1   first string, inline
//     50    2 length1   length of string1
//     52  130 string2   second string, inline
//    182    2 length2   length of string2
typedef struct sqleRegistration sqleRegistration;
struct sqleRegistration {
    char string1[50];
    uint16_t length1;
    char string2[130];
    uint16_t length2;
};
#ifdef __cplusplus
static_assert(sizeof(sqleRegistration) == 184, "sqleRegistration is 184 bytes");
static_assert(__builtin_offsetof(sqleRegistration, string1) == 0, "sqleRegistration.string1");
static_assert(__builtin_offsetof(sqleRegistration, length1) == 50, "sqleRegistration.length1");
static_assert(__builtin_offsetof(sqleRegistration, string2) == 52, "sqleRegistration.string2");
static_assert(__builtin_offsetof(sqleRegistration, length2) == 182, "sqleRegistration.length2");
#endif

// Three strings, each with its length; the status record between the lengths and the strings.
QX3_EXTERN_C int32_t QX3_API sqlgatin(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, struct sqlca* pSqlca,
                                      char* pString1, char* pString2, char* pString3);
QX3_EXTERN_C int32_t QX3_API sqlgdcgd(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, struct sqlca* pSqlca,
                                      char* pString1, char* pString2, char* pString3);
QX3_EXTERN_C int32_t QX3_API sqlgmgdb(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, struct sqlca* pSqlca,
                                      char* pString1, char* pString2, char* pString3);

// One string.
QX3_EXTERN_C int32_t QX3_API sqlgtbau(qx3_u16w len, char* pString, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgsact(qx3_u16w len, char* pString, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlguncd(qx3_u16w len, struct sqlca* pSqlca, char* pString);
QX3_EXTERN_C int32_t QX3_API sqlguncn(qx3_u16w len, struct sqlca* pSqlca, char* pString);
// The first word is not read.
QX3_EXTERN_C int32_t QX3_API sqlgdrpd(uint32_t reserved, qx3_u16w len, struct sqlca* pSqlca, uint32_t word,
                                      char* pString);
QX3_EXTERN_C int32_t QX3_API sqlgproc(qx3_u16w len, struct sqlca* pSqlca, char* pString, uint32_t word4,
                                      uint32_t word5, uint32_t word6);
QX3_EXTERN_C int32_t QX3_API sqlgvqdp(qx3_u16w len, char* pString, uint32_t word3, uint32_t word4,
                                      struct sqlca* pSqlca);

// Registration; `kind` is passed on with its low 16 bits.
QX3_EXTERN_C int32_t QX3_API sqlgregs(qx3_u16w kind, struct sqleRegistration* pRecord, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgdreg(qx3_u16w kind, struct sqleRegistration* pRecord, struct sqlca* pSqlca);

// The instance name, returned blank-padded into 9 bytes.
QX3_EXTERN_C int32_t QX3_API sqlggins(struct sqlca* pSqlca, char* pInstance);

// Pass-throughs: no application-data step, no status record of the library's own.
QX3_EXTERN_C int32_t QX3_API qx3gUtilityControl(uint32_t versionNumber, void* pParmStruct, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgadau(uint32_t word1, uint32_t word2);
QX3_EXTERN_C int32_t QX3_API sqlgauth(uint32_t word);
QX3_EXTERN_C int32_t QX3_API sqlgdtin(uint32_t word);
QX3_EXTERN_C int32_t QX3_API sqlgfmem(uint32_t word1, uint32_t word2);
QX3_EXTERN_C int32_t QX3_API sqlgfrce(uint32_t word1, qx3_u16w count, uint32_t word3, uint32_t word4);
QX3_EXTERN_C int32_t QX3_API sqlgintr(void);
QX3_EXTERN_C int32_t QX3_API sqlgisig(uint32_t word);
QX3_EXTERN_C int32_t QX3_API sqlgqryc(uint32_t word1, qx3_u16w value, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgsetc(uint32_t word1, qx3_u16w value, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgsdeg(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4);

// Message texts: the status record's message (sqlggstt) or the message of an sqlca (sqlgintp),
// formatted into a buffer of `width` bytes with lines of `lineWidth`.
QX3_EXTERN_C int32_t QX3_API sqlggstt(qx3_i16w width, qx3_i16w lineWidth, void* pStatus, void* pBuffer);
QX3_EXTERN_C int32_t QX3_API sqlgintp(qx3_i16w width, qx3_i16w lineWidth, void* pStatus, void* pBuffer);

#endif
