// Instance start and stop, and the partitioned-database services.
//
// Strings of the start and stop records are lent a terminator only when their length is greater
// than 0; a zero-length string goes on untouched. The user and group strings of the start options
// are the exception: they are lent one whenever their pointer is set.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_INSTANCE_H
#define QX3AGAPI_INSTANCE_H

// ---- Start and stop of the instance (versioned) ----

// Request record of qx3gInstanceStart and qx3gInstanceStop (20 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    1 iFlag         nonzero: piString and piSubRecord1 are in use
//      4    4 iStringLen    length of piString
//      8    4 piString      string
//     12    4 piSubRecord1  options (qx3gInstanceOptions)
//     16    4 piSubRecord2  start: qx3gStartOptions; stop: qx3gStopOptions
typedef struct qx3gInstanceStruct qx3gInstanceStruct;
struct qx3gInstanceStruct {
    uint8_t iFlag;
    uint32_t iStringLen;
    char* piString;
    struct qx3gInstanceOptions* piSubRecord1;
    void* piSubRecord2;
};

// Sub-record 1, the same for start and stop (28 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    1 iOption       option byte
//      4    4 iString1Len   length of piString1
//      8    4 piString1
//     12    4 iString2Len   length of piString2
//     16    4 piString2
//     20    4 iString3Len   length of piString3
//     24    4 piString3
typedef struct qx3gInstanceOptions qx3gInstanceOptions;
struct qx3gInstanceOptions {
    uint8_t iOption;
    uint32_t iString1Len;
    char* piString1;
    uint32_t iString2Len;
    char* piString2;
    uint32_t iString3Len;
    char* piString3;
};

// Sub-record 2 of start. Bytes 0 to 67 reach the native record as they stand (lengths included);
// the library reads nothing past the type byte at 88.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iStringXLen   length of piStringX
//      4    4 piStringX
//      8    4 iWord1        copied
//     12    2 iHalf1        copied
//     16    4 iWord2        copied
//     20    4 iStringYLen   length of piStringY
//     24    4 piStringY
//     28    8 iWord3to4     copied
//     36    4 iStringZLen   length of piStringZ
//     40    4 piStringZ
//     44    4 iWord5        copied
//     48    2 iHalf2        copied
//     52   16 iWord6to9     copied
//     68    1 iSelector     nonzero: the string the type byte chooses is in use
//     69    1 iVersionByte  carried only by some versions; cleared for the others
//     72    4 iUserLen      length of piUser
//     76    4 piUser        string U
//     80    4 iGroupLen     length of piGroup
//     84    4 piGroup       string G
//     88    1 iType         'U' chooses piUser, 'G' piGroup
typedef struct qx3gStartOptions qx3gStartOptions;
struct qx3gStartOptions {
    uint32_t iStringXLen;
    char* piStringX;
    uint32_t iWord1;
    uint16_t iHalf1;
    uint32_t iWord2;
    uint32_t iStringYLen;
    char* piStringY;
    uint32_t iWord3to4[2];
    uint32_t iStringZLen;
    char* piStringZ;
    uint32_t iWord5;
    uint16_t iHalf2;
    uint32_t iWord6to9[4];
    uint8_t iSelector;
    uint8_t iVersionByte;
    uint32_t iUserLen;
    char* piUser;
    uint32_t iGroupLen;
    char* piGroup;
    uint8_t iType;
};

// Sub-record 2 of stop (8 bytes), handed to the native call by pointer.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iStringLen    length of piString
//      4    4 piString
typedef struct qx3gStopOptions qx3gStopOptions;
struct qx3gStopOptions {
    uint32_t iStringLen;
    char* piString;
};

// The native forms, built by the call and living only during it.
//
// Native start and stop record (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    1 iFlag         as in the request
//      4    4 piString      as in the request
//      8    4 piSubRecord1  the call's native qx3InstanceOptions
//     12    4 piSubRecord2  start: the call's native qx3StartOptions; stop: the caller's own
typedef struct qx3InstanceStruct qx3InstanceStruct;
struct qx3InstanceStruct {
    uint8_t iFlag;
    char* piString;
    struct qx3InstanceOptions* piSubRecord1;
    void* piSubRecord2;
};

// Native sub-record 1 (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    1 iOption
//      4    4 piString1
//      8    4 piString2
//     12    4 piString3
typedef struct qx3InstanceOptions qx3InstanceOptions;
struct qx3InstanceOptions {
    uint8_t iOption;
    char* piString1;
    char* piString2;
    char* piString3;
};

// Native sub-record 2 of start (84 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0   68 iHead         bytes 0 to 67 of qx3gStartOptions
//     68    1 iSelector
//     69    1 iVersionByte
//     72    4 piUser
//     76    4 piGroup
//     80    1 iType
typedef struct qx3StartOptions qx3StartOptions;
struct qx3StartOptions {
    uint8_t iHead[68];
    uint8_t iSelector;
    uint8_t iVersionByte;
    char* piUser;
    char* piGroup;
    uint8_t iType;
};

#ifdef __cplusplus
static_assert(sizeof(qx3gInstanceStruct) == 20, "qx3gInstanceStruct");
static_assert(__builtin_offsetof(qx3gInstanceStruct, iStringLen) == 4, "qx3gInstanceStruct.iStringLen");
static_assert(__builtin_offsetof(qx3gInstanceStruct, piString) == 8, "qx3gInstanceStruct.piString");
static_assert(__builtin_offsetof(qx3gInstanceStruct, piSubRecord1) == 12, "qx3gInstanceStruct.piSubRecord1");
static_assert(__builtin_offsetof(qx3gInstanceStruct, piSubRecord2) == 16, "qx3gInstanceStruct.piSubRecord2");

static_assert(sizeof(qx3gInstanceOptions) == 28, "qx3gInstanceOptions");
static_assert(__builtin_offsetof(qx3gInstanceOptions, iString1Len) == 4, "qx3gInstanceOptions.iString1Len");
static_assert(__builtin_offsetof(qx3gInstanceOptions, piString1) == 8, "qx3gInstanceOptions.piString1");
static_assert(__builtin_offsetof(qx3gInstanceOptions, iString2Len) == 12, "qx3gInstanceOptions.iString2Len");
static_assert(__builtin_offsetof(qx3gInstanceOptions, piString2) == 16, "qx3gInstanceOptions.piString2");
static_assert(__builtin_offsetof(qx3gInstanceOptions, iString3Len) == 20, "qx3gInstanceOptions.iString3Len");
static_assert(__builtin_offsetof(qx3gInstanceOptions, piString3) == 24, "qx3gInstanceOptions.piString3");

static_assert(__builtin_offsetof(qx3gStartOptions, piStringX) == 4, "qx3gStartOptions.piStringX");
static_assert(__builtin_offsetof(qx3gStartOptions, iWord1) == 8, "qx3gStartOptions.iWord1");
static_assert(__builtin_offsetof(qx3gStartOptions, iHalf1) == 12, "qx3gStartOptions.iHalf1");
static_assert(__builtin_offsetof(qx3gStartOptions, iWord2) == 16, "qx3gStartOptions.iWord2");
static_assert(__builtin_offsetof(qx3gStartOptions, iStringYLen) == 20, "qx3gStartOptions.iStringYLen");
static_assert(__builtin_offsetof(qx3gStartOptions, piStringY) == 24, "qx3gStartOptions.piStringY");
static_assert(__builtin_offsetof(qx3gStartOptions, iWord3to4) == 28, "qx3gStartOptions.iWord3to4");
static_assert(__builtin_offsetof(qx3gStartOptions, iStringZLen) == 36, "qx3gStartOptions.iStringZLen");
static_assert(__builtin_offsetof(qx3gStartOptions, piStringZ) == 40, "qx3gStartOptions.piStringZ");
static_assert(__builtin_offsetof(qx3gStartOptions, iWord5) == 44, "qx3gStartOptions.iWord5");
static_assert(__builtin_offsetof(qx3gStartOptions, iHalf2) == 48, "qx3gStartOptions.iHalf2");
static_assert(__builtin_offsetof(qx3gStartOptions, iWord6to9) == 52, "qx3gStartOptions.iWord6to9");
static_assert(__builtin_offsetof(qx3gStartOptions, iSelector) == 68, "qx3gStartOptions.iSelector");
static_assert(__builtin_offsetof(qx3gStartOptions, iVersionByte) == 69, "qx3gStartOptions.iVersionByte");
static_assert(__builtin_offsetof(qx3gStartOptions, iUserLen) == 72, "qx3gStartOptions.iUserLen");
static_assert(__builtin_offsetof(qx3gStartOptions, piUser) == 76, "qx3gStartOptions.piUser");
static_assert(__builtin_offsetof(qx3gStartOptions, iGroupLen) == 80, "qx3gStartOptions.iGroupLen");
static_assert(__builtin_offsetof(qx3gStartOptions, piGroup) == 84, "qx3gStartOptions.piGroup");
static_assert(__builtin_offsetof(qx3gStartOptions, iType) == 88, "qx3gStartOptions.iType");

static_assert(sizeof(qx3gStopOptions) == 8, "qx3gStopOptions");
static_assert(__builtin_offsetof(qx3gStopOptions, piString) == 4, "qx3gStopOptions.piString");

static_assert(sizeof(qx3InstanceStruct) == 16, "qx3InstanceStruct");
static_assert(__builtin_offsetof(qx3InstanceStruct, piString) == 4, "qx3InstanceStruct.piString");
static_assert(__builtin_offsetof(qx3InstanceStruct, piSubRecord1) == 8, "qx3InstanceStruct.piSubRecord1");
static_assert(__builtin_offsetof(qx3InstanceStruct, piSubRecord2) == 12, "qx3InstanceStruct.piSubRecord2");

static_assert(sizeof(qx3InstanceOptions) == 16, "qx3InstanceOptions");
static_assert(__builtin_offsetof(qx3InstanceOptions, piString1) == 4, "qx3InstanceOptions.piString1");
static_assert(__builtin_offsetof(qx3InstanceOptions, piString2) == 8, "qx3InstanceOptions.piString2");
static_assert(__builtin_offsetof(qx3InstanceOptions, piString3) == 12, "qx3InstanceOptions.piString3");

static_assert(sizeof(qx3StartOptions) == 84, "qx3StartOptions");
static_assert(__builtin_offsetof(qx3StartOptions, iSelector) == 68, "qx3StartOptions.iSelector");
static_assert(__builtin_offsetof(qx3StartOptions, iVersionByte) == 69, "qx3StartOptions.iVersionByte");
static_assert(__builtin_offsetof(qx3StartOptions, piUser) == 72, "qx3StartOptions.piUser");
static_assert(__builtin_offsetof(qx3StartOptions, piGroup) == 76, "qx3StartOptions.piGroup");
static_assert(__builtin_offsetof(qx3StartOptions, iType) == 80, "qx3StartOptions.iType");
#endif

// The version number reaches the native call unchanged.
QX3_EXTERN_C int32_t QX3_API qx3gInstanceStart(uint32_t versionNumber, struct qx3gInstanceStruct* pParmStruct,
                                               struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gInstanceStop(uint32_t versionNumber, struct qx3gInstanceStruct* pParmStruct,
                                              struct sqlca* pSqlca);

// ---- Partition start and stop (legacy) ----

// The partition records are passed on as they are; each string is a u32 length followed by its
// text inline, lent a terminator in place when the length is nonzero.
//
// sqlgpstr, 792 bytes: strings at (length, text) 0/4, 248/252, 264/268, 532/536; NUL at text[length].
// sqlgpstart, 824 bytes: strings at 8/12, 260/264, 528/532; NUL at text[min(length, 235)] for the
//   first and text[min(length, 255)] for the others.
// sqlgpstp, 520 bytes: one string at 0/4; NUL at text[length].
QX3_EXTERN_C int32_t QX3_API sqlgpstr(void* pRecord, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgpstart(void* pRecord, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgpstp(void* pRecord, struct sqlca* pSqlca);

// Start and stop of the database manager, forwarded at once.
QX3_EXTERN_C int32_t QX3_API sqlgstar(void);
QX3_EXTERN_C int32_t QX3_API sqlgstdm(uint32_t word);

// ---- Partitioned-database services ----

// The first word of sqlgaddn, sqlgcran, sqlgdpan and sqlgdrpn is never read. sqlgaddn checks its
// 16-byte option record before the application-data step and, when that step fails, returns the
// outcome of the check.
QX3_EXTERN_C int32_t QX3_API sqlgaddn(uint32_t reserved, struct sqlca* pSqlca, void* pOptions);
QX3_EXTERN_C int32_t QX3_API sqlgcran(uint32_t reserved, qx3_u16w len, struct sqlca* pSqlca, uint32_t word,
                                      char* pString);
QX3_EXTERN_C int32_t QX3_API sqlgdpan(uint32_t reserved, qx3_u16w len, struct sqlca* pSqlca, uint32_t word,
                                      char* pString);
QX3_EXTERN_C int32_t QX3_API sqlgdrpn(uint32_t reserved, struct sqlca* pSqlca, uint32_t word, qx3_u16w node);

// Redistribution: three strings, then words; only the low 8 bits of `option` are passed on.
QX3_EXTERN_C int32_t QX3_API sqlgdrdt(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, char* pString1,
                                      char* pString2, char* pString3, uint32_t word7, qx3_u16w half8,
                                      uint32_t word9, qx3_u16w half10, uint32_t option, uint32_t word12);

// Partitioning information: both reach one native call; sqlggrpn adds a signed 16-bit eleventh
// word and never reads its last two.
QX3_EXTERN_C int32_t QX3_API sqlggrpi(qx3_u16w half1, uint32_t word2, uint32_t word3, qx3_u16w half4,
                                      qx3_u16w half5, uint32_t word6, uint32_t word7, uint32_t word8,
                                      qx3_u16w half9, uint32_t word10);
QX3_EXTERN_C int32_t QX3_API sqlggrpn(qx3_u16w half1, uint32_t word2, uint32_t word3, qx3_u16w half4,
                                      qx3_u16w half5, uint32_t word6, uint32_t word7, uint32_t word8,
                                      qx3_u16w half9, uint32_t word10, uint32_t signed11, uint32_t unused12,
                                      uint32_t unused13);
QX3_EXTERN_C int32_t QX3_API sqlggtpi(qx3_u16w len, char* pString, uint32_t word3, uint32_t word4);

#endif
