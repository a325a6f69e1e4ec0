// Data movement: load, load query, export and import.
//
// Every form lends its length-counted strings a NUL at p[length] for the duration of the call and
// terminates, in place, the entries of each media list whose type is the one the call expects (a
// list of another type reaches the native call as the caller built it). The records below are a
// binary interface shared with the caller and with the native layer.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_MOVEMENT_H
#define QX3AGAPI_MOVEMENT_H

#include "qx3agapi_lists.h"

// ---- Load --------------------------------------------------------------------------------------

// First load sub-record: only its string is read; every other byte passes through. It is checked
// over 72 bytes before the call and over 68 before its string is given back.
//
// OFFSET SIZE DESCRIPTION
//      0   16 (passed through)
//     16    4 piString     length-counted string
//     20   34 (passed through)
//     54    2 iStringLen   its length
//     56   16 (passed through)
typedef struct qx3gLoadSub1 qx3gLoadSub1;
struct qx3gLoadSub1 {
    uint8_t reserved0[16];
    char* piString;
    uint8_t reserved20[34];
    uint16_t iStringLen;
    uint8_t reserved56[16];
};

// Second load sub-record (84 bytes): six strings and their lengths; the other words pass through.
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString1    length at 72
//      4    4 piString2    length at 74
//      8    4 piString3    length at 76
//     12   32 (passed through)
//     44    4 piString4    length at 78
//     48    4 piString5    length at 80
//     52    8 (passed through)
//     60    4 piString6    length at 82
//     64    8 (passed through)
//     72   12 iStringLen   the six lengths, u16 each
typedef struct qx3gLoadSub2 qx3gLoadSub2;
struct qx3gLoadSub2 {
    char* piString1;
    char* piString2;
    char* piString3;
    uint32_t reserved12[8];
    char* piString4;
    char* piString5;
    uint32_t reserved52[2];
    char* piString6;
    uint32_t reserved64[2];
    uint16_t iStringLen[6];
};

// The generic load record (76 bytes). The lists are in-place media lists; iValue1 to iValue8 pass
// through to the native record unread.
//
// OFFSET SIZE DESCRIPTION
//      0    4 piList1      media list of type 'S', given a slot array even when empty
//      4    4 piList2      media list of type 'S'
//      8    4 iValue1
//     12    4 iValue2
//     16    4 piString1    length at 62
//     20    4 iValue3
//     24    4 piString2    length at 64
//     28    4 piString3    length at 66
//     32    4 piList3      media list of type 'L'
//     36    4 piList4      media list of type 'L' or 'O', by its own type
//     40    4 iValue4
//     44    4 piSub1       first sub-record, passed on as it is
//     48    4 iValue5
//     52    4 piSub2       second sub-record, passed on as it is
//     56    4 iValue6
//     60    2 iValue7
//     62    2 iString1Len
//     64    2 iString2Len
//     66    2 iString3Len
//     68    4 iValue8
//     72    4 piList5      media list of type 'S'
typedef struct qx3gLoadStruct qx3gLoadStruct;
struct qx3gLoadStruct {
    sqluMediaList* piList1;
    sqluMediaList* piList2;
    uint32_t iValue1;
    uint32_t iValue2;
    char* piString1;
    uint32_t iValue3;
    char* piString2;
    char* piString3;
    sqluMediaList* piList3;
    sqluMediaList* piList4;
    uint32_t iValue4;
    struct qx3gLoadSub1* piSub1;
    uint32_t iValue5;
    struct qx3gLoadSub2* piSub2;
    uint32_t iValue6;
    uint16_t iValue7;
    uint16_t iString1Len;
    uint16_t iString2Len;
    uint16_t iString3Len;
    uint32_t iValue8;
    sqluMediaList* piList5;
};

// The native load record (72 bytes): the generic record without the three lengths.
//
// OFFSET SIZE DESCRIPTION
//      0   60 generic offsets 0 to 59, word for word
//     60    2 iValue7
//     62    2 (padding, not written)
//     64    4 iValue8
//     68    4 piList5
typedef struct qx3LoadStruct qx3LoadStruct;
struct qx3LoadStruct {
    sqluMediaList* piList1;
    sqluMediaList* piList2;
    uint32_t iValue1;
    uint32_t iValue2;
    char* piString1;
    uint32_t iValue3;
    char* piString2;
    char* piString3;
    sqluMediaList* piList3;
    sqluMediaList* piList4;
    uint32_t iValue4;
    struct qx3gLoadSub1* piSub1;
    uint32_t iValue5;
    struct qx3gLoadSub2* piSub2;
    uint32_t iValue6;
    uint16_t iValue7;
    uint16_t reserved62;
    uint32_t iValue8;
    sqluMediaList* piList5;
};

// The generic load-query record (28 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iValue1
//      4    4 iStringALen
//      8    4 piStringA
//     12    4 iValue2
//     16    4 iValue3
//     20    4 iStringBLen
//     24    4 piStringB
typedef struct qx3gLoadQueryStruct qx3gLoadQueryStruct;
struct qx3gLoadQueryStruct {
    uint32_t iValue1;
    uint32_t iStringALen;
    char* piStringA;
    uint32_t iValue2;
    uint32_t iValue3;
    uint32_t iStringBLen;
    char* piStringB;
};

// The native load-query record (20 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iValue1
//      4    4 piStringA
//      8    4 iValue2
//     12    4 iValue3
//     16    4 piStringB
typedef struct qx3LoadQueryStruct qx3LoadQueryStruct;
struct qx3LoadQueryStruct {
    uint32_t iValue1;
    char* piStringA;
    uint32_t iValue2;
    uint32_t iValue3;
    char* piStringB;
};

// ---- Export and import -------------------------------------------------------------------------

// Version number from which qx3gExport reads lists 3 and 4 (compared unsigned).
#define QX3_EXPORT_LISTS34 9000000u

// The generic export record (60 bytes).
//
// OFFSET SIZE DESCRIPTION                                   READ
//      0    4 piString1    length at 40                      always
//      4    4 piList1      media list of type 'L'            always
//      8    4 piList2      media list of type 'C'            always
//     12    8 iValue1, iValue2                               always
//     20    4 piString2    length at 42                      always
//     24    4 iValue3                                        always
//     28    4 piString3    length at 44                      always
//     32    2 iValue4                                        always
//     34    2 (not read)
//     36    4 iValue5                                        always
//     40    6 iString1Len, iString2Len, iString3Len (u16)    always
//     46    6 (not read)
//     52    4 piList3      media list of type 'L'            QX3_EXPORT_LISTS34
//     56    4 piList4      media list of type 'C'            QX3_EXPORT_LISTS34
typedef struct qx3gExportStruct qx3gExportStruct;
struct qx3gExportStruct {
    char* piString1;
    sqluMediaList* piList1;
    sqluMediaList* piList2;
    uint32_t iValue1;
    uint32_t iValue2;
    char* piString2;
    uint32_t iValue3;
    char* piString3;
    uint16_t iValue4;
    uint16_t reserved34;
    uint32_t iValue5;
    uint16_t iString1Len;
    uint16_t iString2Len;
    uint16_t iString3Len;
    uint8_t reserved46[6];
    sqluMediaList* piList3;
    sqluMediaList* piList4;
};

// The native export record (52 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString1
//      4    4 piList1
//      8    4 piList2
//     12    8 iValue1, iValue2
//     20    4 piString2
//     24    4 iValue3
//     28    4 piString3
//     32    2 iValue4
//     34    2 (padding)
//     36    4 iValue5
//     40    4 iReserved    not set by the library
//     44    4 piList3      null below QX3_EXPORT_LISTS34
//     48    4 piList4      null below QX3_EXPORT_LISTS34
typedef struct qx3ExportStruct qx3ExportStruct;
struct qx3ExportStruct {
    char* piString1;
    sqluMediaList* piList1;
    sqluMediaList* piList2;
    uint32_t iValue1;
    uint32_t iValue2;
    char* piString2;
    uint32_t iValue3;
    char* piString3;
    uint16_t iValue4;
    uint16_t reserved34;
    uint32_t iValue5;
    uint32_t iReserved;
    sqluMediaList* piList3;
    sqluMediaList* piList4;
};

// The generic import record (60 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString1    length at 44
//      4    4 piList1      media list of type 'L'
//      8    8 iValue1, iValue2
//     16    4 piString2    length at 46
//     20    4 iValue3
//     24    4 piString3    length at 48
//     28    2 iValue4
//     30    2 (not read)
//     32   12 iValue5, iValue6, iValue7
//     44    6 iString1Len, iString2Len, iString3Len (u16)
//     50    6 (not read)
//     56    4 iValue8
typedef struct qx3gImportStruct qx3gImportStruct;
struct qx3gImportStruct {
    char* piString1;
    sqluMediaList* piList1;
    uint32_t iValue1;
    uint32_t iValue2;
    char* piString2;
    uint32_t iValue3;
    char* piString3;
    uint16_t iValue4;
    uint16_t reserved30;
    uint32_t iValue5;
    uint32_t iValue6;
    uint32_t iValue7;
    uint16_t iString1Len;
    uint16_t iString2Len;
    uint16_t iString3Len;
    uint8_t reserved50[6];
    uint32_t iValue8;
};

// The native import record (52 bytes), all zero but for what the call sets.
//
// OFFSET SIZE DESCRIPTION
//      0    4 piString1
//      4    4 piList1
//      8    8 iValue1, iValue2
//     16    4 piString2
//     20    4 iValue3
//     24    4 piString3
//     28    2 iValue4 (the two bytes after it are zero)
//     32   12 iValue5, iValue6, iValue7
//     44    4 iReserved    always 0
//     48    4 iValue8
typedef struct qx3ImportStruct qx3ImportStruct;
struct qx3ImportStruct {
    char* piString1;
    sqluMediaList* piList1;
    uint32_t iValue1;
    uint32_t iValue2;
    char* piString2;
    uint32_t iValue3;
    char* piString3;
    uint16_t iValue4;
    uint16_t reserved30;
    uint32_t iValue5;
    uint32_t iValue6;
    uint32_t iValue7;
    uint32_t iReserved;
    uint32_t iValue8;
};

#ifdef __cplusplus
static_assert(sizeof(qx3gLoadSub1) == 72, "qx3gLoadSub1");
static_assert(__builtin_offsetof(qx3gLoadSub1, piString) == 16, "qx3gLoadSub1.piString");
static_assert(__builtin_offsetof(qx3gLoadSub1, iStringLen) == 54, "qx3gLoadSub1.iStringLen");
static_assert(sizeof(qx3gLoadSub2) == 84, "qx3gLoadSub2");
static_assert(__builtin_offsetof(qx3gLoadSub2, piString4) == 44, "qx3gLoadSub2.piString4");
static_assert(__builtin_offsetof(qx3gLoadSub2, piString5) == 48, "qx3gLoadSub2.piString5");
static_assert(__builtin_offsetof(qx3gLoadSub2, piString6) == 60, "qx3gLoadSub2.piString6");
static_assert(__builtin_offsetof(qx3gLoadSub2, iStringLen) == 72, "qx3gLoadSub2.iStringLen");
static_assert(sizeof(qx3gLoadStruct) == 76, "qx3gLoadStruct");
static_assert(__builtin_offsetof(qx3gLoadStruct, piString1) == 16, "qx3gLoadStruct.piString1");
static_assert(__builtin_offsetof(qx3gLoadStruct, piList3) == 32, "qx3gLoadStruct.piList3");
static_assert(__builtin_offsetof(qx3gLoadStruct, piSub1) == 44, "qx3gLoadStruct.piSub1");
static_assert(__builtin_offsetof(qx3gLoadStruct, piSub2) == 52, "qx3gLoadStruct.piSub2");
static_assert(__builtin_offsetof(qx3gLoadStruct, iValue7) == 60, "qx3gLoadStruct.iValue7");
static_assert(__builtin_offsetof(qx3gLoadStruct, iString1Len) == 62, "qx3gLoadStruct.iString1Len");
static_assert(__builtin_offsetof(qx3gLoadStruct, iString3Len) == 66, "qx3gLoadStruct.iString3Len");
static_assert(__builtin_offsetof(qx3gLoadStruct, iValue8) == 68, "qx3gLoadStruct.iValue8");
static_assert(__builtin_offsetof(qx3gLoadStruct, piList5) == 72, "qx3gLoadStruct.piList5");
static_assert(sizeof(qx3LoadStruct) == 72, "qx3LoadStruct");
static_assert(__builtin_offsetof(qx3LoadStruct, iValue7) == 60, "qx3LoadStruct.iValue7");
static_assert(__builtin_offsetof(qx3LoadStruct, iValue8) == 64, "qx3LoadStruct.iValue8");
static_assert(__builtin_offsetof(qx3LoadStruct, piList5) == 68, "qx3LoadStruct.piList5");
static_assert(sizeof(qx3gLoadQueryStruct) == 28, "qx3gLoadQueryStruct");
static_assert(__builtin_offsetof(qx3gLoadQueryStruct, piStringA) == 8, "qx3gLoadQueryStruct.piStringA");
static_assert(__builtin_offsetof(qx3gLoadQueryStruct, iStringBLen) == 20, "qx3gLoadQueryStruct.iStringBLen");
static_assert(__builtin_offsetof(qx3gLoadQueryStruct, piStringB) == 24, "qx3gLoadQueryStruct.piStringB");
static_assert(sizeof(qx3LoadQueryStruct) == 20, "qx3LoadQueryStruct");
static_assert(__builtin_offsetof(qx3LoadQueryStruct, piStringB) == 16, "qx3LoadQueryStruct.piStringB");
static_assert(sizeof(qx3gExportStruct) == 60, "qx3gExportStruct");
static_assert(__builtin_offsetof(qx3gExportStruct, piString2) == 20, "qx3gExportStruct.piString2");
static_assert(__builtin_offsetof(qx3gExportStruct, iValue4) == 32, "qx3gExportStruct.iValue4");
static_assert(__builtin_offsetof(qx3gExportStruct, iValue5) == 36, "qx3gExportStruct.iValue5");
static_assert(__builtin_offsetof(qx3gExportStruct, iString1Len) == 40, "qx3gExportStruct.iString1Len");
static_assert(__builtin_offsetof(qx3gExportStruct, piList3) == 52, "qx3gExportStruct.piList3");
static_assert(__builtin_offsetof(qx3gExportStruct, piList4) == 56, "qx3gExportStruct.piList4");
static_assert(sizeof(qx3ExportStruct) == 52, "qx3ExportStruct");
static_assert(__builtin_offsetof(qx3ExportStruct, iReserved) == 40, "qx3ExportStruct.iReserved");
static_assert(__builtin_offsetof(qx3ExportStruct, piList3) == 44, "qx3ExportStruct.piList3");
static_assert(sizeof(qx3gImportStruct) == 60, "qx3gImportStruct");
static_assert(__builtin_offsetof(qx3gImportStruct, iValue4) == 28, "qx3gImportStruct.iValue4");
static_assert(__builtin_offsetof(qx3gImportStruct, iString1Len) == 44, "qx3gImportStruct.iString1Len");
static_assert(__builtin_offsetof(qx3gImportStruct, iValue8) == 56, "qx3gImportStruct.iValue8");
static_assert(sizeof(qx3ImportStruct) == 52, "qx3ImportStruct");
static_assert(__builtin_offsetof(qx3ImportStruct, iReserved) == 44, "qx3ImportStruct.iReserved");
static_assert(__builtin_offsetof(qx3ImportStruct, iValue8) == 48, "qx3ImportStruct.iValue8");
#endif

// ---- Entry points ------------------------------------------------------------------------------

QX3_EXTERN_C int32_t QX3_API qx3gLoad(uint32_t version, struct qx3gLoadStruct* pParm, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgload(qx3_u16w string1Len, qx3_u16w string2Len, qx3_u16w string3Len,
                                      sqluMediaList* list1, sqluMediaList* list2, uint32_t value6, uint32_t value7,
                                      char* string1, uint32_t value9, char* string2, char* string3,
                                      qx3_u16w value12, uint32_t value13, uint32_t value14, sqluMediaList* list3,
                                      sqluMediaList* list4, uint32_t value17, uint32_t value18, struct sqlca* pSqlca);
// Returns the outcome of its own pointer checks; the query's outcome is in the status record.
QX3_EXTERN_C int32_t QX3_API qx3gLoadQuery(uint32_t version, struct qx3gLoadQueryStruct* pParm, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgqry(qx3_u16w string1Len, qx3_u16w string2Len, char* string1, char* string2,
                                     struct sqlca* pSqlca);

QX3_EXTERN_C int32_t QX3_API qx3gExport(uint32_t version, struct qx3gExportStruct* pParm, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgexpt(qx3_u16w string7Len, qx3_u16w string9Len, qx3_u16w string12Len,
                                      struct sqlca* pSqlca, uint32_t value5, qx3_u16w value6, char* string7,
                                      uint32_t value8, char* string9, uint32_t value10, uint32_t value11,
                                      char* string12);
// Returns the outcome of its own pointer checks; the export's outcome is in the status record.
QX3_EXTERN_C int32_t QX3_API sqlgexpr(qx3_u16w string4Len, qx3_u16w string9Len, qx3_u16w string11Len,
                                      char* string4, sqluMediaList* list5, sqluMediaList* list6, uint32_t value7,
                                      uint32_t value8, char* string9, uint32_t value10, char* string11,
                                      qx3_u16w value12, uint32_t value13, uint32_t value14, struct sqlca* pSqlca);

QX3_EXTERN_C int32_t QX3_API qx3gImport(uint32_t version, struct qx3gImportStruct* pParm, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgimpt(qx3_u16w string8Len, qx3_u16w string10Len, qx3_u16w string13Len,
                                      struct sqlca* pSqlca, uint32_t value5, uint32_t value6, qx3_u16w value7,
                                      char* string8, uint32_t value9, char* string10, uint32_t value11,
                                      uint32_t value12, char* string13);
// Returns the outcome of its own pointer checks; the import's outcome is in the status record.
QX3_EXTERN_C int32_t QX3_API sqlgimpr(qx3_u16w string4Len, qx3_u16w string8Len, qx3_u16w string10Len,
                                      char* string4, sqluMediaList* list5, uint32_t value6, uint32_t value7,
                                      char* string8, uint32_t value9, char* string10, qx3_u16w value11,
                                      uint32_t value12, uint32_t value13, uint32_t value14, uint32_t value15,
                                      struct sqlca* pSqlca);

#endif
