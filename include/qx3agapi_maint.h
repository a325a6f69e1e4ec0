// Maintenance utilities: runstats, reorg and inspect.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_MAINT_H
#define QX3AGAPI_MAINT_H


// ---- qx3gRunstats --------------------------------------------------------------------------------

// From this version on qx3gRunstats passes iValue7 and iValue8 (compared unsigned).
#define QX3_RUNSTATS_V1 8020000u

// A plain column (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piColumnName, required
//      4    2 iColumnNameLen
//      6    2 iValue
typedef struct qx3gColumnData {
    char* piColumnName;
    uint16_t iColumnNameLen;
    uint16_t iValue;
} qx3gColumnData;

// A distribution column (12 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piColumnName, required
//      4    2 iColumnNameLen
//      6    2 iValue1
//      8    2 iValue2
//     10    2 (padding)
typedef struct qx3gColumnDistData {
    char* piColumnName;
    uint16_t iColumnNameLen;
    uint16_t iValue1;
    uint16_t iValue2;
    uint16_t iReserved;
} qx3gColumnDistData;

// A column group (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piGroupColumnNames: iGroupSize name pointers, required
//      4    4 piGroupColumnNamesLen: iGroupSize u16 lengths, required
//      8    2 iGroupSize, at least 1
//     10    2 iValue1
//     12    2 iValue2
//     14    2 (padding)
typedef struct qx3gColumnGrpData {
    char** piGroupColumnNames;
    uint16_t* piGroupColumnNamesLen;
    int16_t iGroupSize;
    uint16_t iValue1;
    uint16_t iValue2;
    uint16_t iReserved;
} qx3gColumnGrpData;

// The generic runstats request (60 bytes). A count of 0 or less means the list is absent and its
// pointer is not read.
//
// OFFSET SIZE DESCRIPTION
//      0    8 iValue1, iValue2
//      8    4 piTablename, required; length at 36
//     12    4 piColumnList: iColumnCount pointers to qx3gColumnData
//     16    4 piColumnDistributionList: iDistributionCount pointers to qx3gColumnDistData
//     20    4 piColumnGroupList: iGroupCount pointers to qx3gColumnGrpData
//     24    4 piIndexList: iIndexCount name pointers
//     28    4 piIndexNamesLen: iIndexCount u16 lengths
//     32    4 iValue3
//     36    2 iTablenameLen
//     38    2 iColumnCount
//     40    2 iDistributionCount
//     42    2 iGroupCount
//     44    2 iIndexCount
//     46    6 iValue4, iValue5, iValue6 (u16 each)
//     52    8 iValue7, iValue8 (passed from QX3_RUNSTATS_V1 on)
typedef struct qx3gRunstatsStruct {
    uint32_t iValue1;
    uint32_t iValue2;
    char* piTablename;
    qx3gColumnData** piColumnList;
    qx3gColumnDistData** piColumnDistributionList;
    qx3gColumnGrpData** piColumnGroupList;
    char** piIndexList;
    uint16_t* piIndexNamesLen;
    uint32_t iValue3;
    uint16_t iTablenameLen;
    int16_t iColumnCount;
    int16_t iDistributionCount;
    int16_t iGroupCount;
    int16_t iIndexCount;
    uint16_t iValue4;
    uint16_t iValue5;
    uint16_t iValue6;
    uint32_t iValue7;
    uint32_t iValue8;
} qx3gRunstatsStruct;

// The native column record, for plain and distribution columns alike (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piColumnName: the caller's name, terminated in place
//      4    2 iValue1 (a distribution column's first value, or a plain column's value)
//      6    2 iValue2 (a distribution column's second value; not written for a plain column)
typedef struct qx3ColumnData {
    char* piColumnName;
    uint16_t iValue1;
    uint16_t iValue2;
} qx3ColumnData;

// The native column group record (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piGroupColumnNames: the caller's array, its names terminated in place
//      4    2 iGroupSize
//      6    2 iValue1
//      8    2 iValue2
//     10    6 (not written)
typedef struct qx3ColumnGrpData {
    char** piGroupColumnNames;
    uint16_t iGroupSize;
    uint16_t iValue1;
    uint16_t iValue2;
    uint16_t iReserved[3];
} qx3ColumnGrpData;

// The native runstats request (64 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    8 iValue1, iValue2
//      8    4 piTablename
//     12    4 piColumnList: native column array, or null
//     16    4 piColumnDistributionList: native distribution array, or null
//     20    4 piColumnGroupList: native group array, or null
//     24    4 piIndexList: the caller's array, or null
//     28    4 iValue3
//     32    8 iColumnCount, iDistributionCount, iGroupCount, iIndexCount (u16 each)
//     40    6 iValue4, iValue5, iValue6
//     46    2 (not written)
//     48    8 iValue7, iValue8 (0 below QX3_RUNSTATS_V1)
//     56    8 dSampling: always 100.0
typedef struct qx3RunstatsStruct {
    uint32_t iValue1;
    uint32_t iValue2;
    char* piTablename;
    qx3ColumnData** piColumnList;
    qx3ColumnData** piColumnDistributionList;
    qx3ColumnGrpData** piColumnGroupList;
    char** piIndexList;
    uint32_t iValue3;
    uint16_t iColumnCount;
    uint16_t iDistributionCount;
    uint16_t iGroupCount;
    uint16_t iIndexCount;
    uint16_t iValue4;
    uint16_t iValue5;
    uint16_t iValue6;
    uint16_t iReserved;
    uint32_t iValue7;
    uint32_t iValue8;
    double dSampling;
} qx3RunstatsStruct;

// ---- qx3gReorg -----------------------------------------------------------------------------------

// Version numbers from which more of the reorg strings are read (compared unsigned).
#define QX3_REORG_V1 9000000u
#define QX3_REORG_V2 9070000u

// The generic reorg request (60 bytes). Which strings are read depends on iReorgType and the version.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iReorgType
//      4   16 iValue1 to iValue4
//     20   40 iString[0..4]: iLength, piString for strings 1 to 5
// One length-counted string of the reorg request.
typedef struct qx3gReorgString {
    uint32_t iLength;
    char* piString;
} qx3gReorgString;

typedef struct qx3gReorgStruct {
    uint32_t iReorgType;
    uint32_t iValue1;
    uint32_t iValue2;
    uint32_t iValue3;
    uint32_t iValue4;
    qx3gReorgString iString[5];
} qx3gReorgStruct;

// The native reorg request (40 bytes); a string that the type and version leave out is not written.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iReorgType
//      4   16 iValue1 to iValue4
//     20   20 piString1 to piString5
typedef struct qx3ReorgStruct {
    uint32_t iReorgType;
    uint32_t iValue1;
    uint32_t iValue2;
    uint32_t iValue3;
    uint32_t iValue4;
    char* piString[5];
} qx3ReorgStruct;

// ---- qx3gInspect ---------------------------------------------------------------------------------

// From this version on qx3gInspect passes iValue22 (compared unsigned).
#define QX3_INSPECT_V1 9000000u

// The generic inspect request (104 bytes). The lengths of strings 4 and 5 come first.
//
// OFFSET SIZE DESCRIPTION
//      0   20 piString1 to piString5
//     20    4 iValue1
//     24    4 iString4Len
//     28    4 iString5Len
//     32    4 iString1Len
//     36    4 iString2Len
//     40    4 iString3Len
//     44   36 iValue2 to iValue10 (32-bit)
//     80   22 iValue11 to iValue21 (u16)
//    102    2 iValue22 (passed from QX3_INSPECT_V1 on)
typedef struct qx3gInspectStruct {
    char* piString[5];
    uint32_t iValue1;
    uint32_t iString4Len;
    uint32_t iString5Len;
    uint32_t iString1Len;
    uint32_t iString2Len;
    uint32_t iString3Len;
    uint32_t iWords[9];
    uint16_t iShorts[11];
    uint16_t iValue22;
} qx3gInspectStruct;

// The native inspect request (92 bytes, zero-filled before use).
//
// OFFSET SIZE DESCRIPTION
//      0   20 piString1 to piString5
//     20    4 iValue1
//     24   36 iValue2 to iValue10
//     60   22 iValue11 to iValue21
//     82    2 iValue22, or 0 below QX3_INSPECT_V1
//     84    8 zero
typedef struct qx3InspectStruct {
    char* piString[5];
    uint32_t iValue1;
    uint32_t iWords[9];
    uint16_t iShorts[11];
    uint16_t iValue22;
    uint32_t iReserved[2];
} qx3InspectStruct;

#ifdef __cplusplus
#define QX3_AT(T, f, o) static_assert(__builtin_offsetof(T, f) == (o), #T "." #f)
static_assert(sizeof(qx3gColumnData) == 8, "qx3gColumnData");
QX3_AT(qx3gColumnData, iColumnNameLen, 4);
QX3_AT(qx3gColumnData, iValue, 6);
static_assert(sizeof(qx3gColumnDistData) == 12, "qx3gColumnDistData");
QX3_AT(qx3gColumnDistData, iValue1, 6);
QX3_AT(qx3gColumnDistData, iValue2, 8);
static_assert(sizeof(qx3gColumnGrpData) == 16, "qx3gColumnGrpData");
QX3_AT(qx3gColumnGrpData, piGroupColumnNamesLen, 4);
QX3_AT(qx3gColumnGrpData, iGroupSize, 8);
QX3_AT(qx3gColumnGrpData, iValue1, 10);
QX3_AT(qx3gColumnGrpData, iValue2, 12);
static_assert(sizeof(qx3gRunstatsStruct) == 60, "qx3gRunstatsStruct");
QX3_AT(qx3gRunstatsStruct, piTablename, 8);
QX3_AT(qx3gRunstatsStruct, piColumnList, 12);
QX3_AT(qx3gRunstatsStruct, piColumnDistributionList, 16);
QX3_AT(qx3gRunstatsStruct, piColumnGroupList, 20);
QX3_AT(qx3gRunstatsStruct, piIndexList, 24);
QX3_AT(qx3gRunstatsStruct, piIndexNamesLen, 28);
QX3_AT(qx3gRunstatsStruct, iValue3, 32);
QX3_AT(qx3gRunstatsStruct, iTablenameLen, 36);
QX3_AT(qx3gRunstatsStruct, iColumnCount, 38);
QX3_AT(qx3gRunstatsStruct, iDistributionCount, 40);
QX3_AT(qx3gRunstatsStruct, iGroupCount, 42);
QX3_AT(qx3gRunstatsStruct, iIndexCount, 44);
QX3_AT(qx3gRunstatsStruct, iValue4, 46);
QX3_AT(qx3gRunstatsStruct, iValue6, 50);
QX3_AT(qx3gRunstatsStruct, iValue7, 52);
QX3_AT(qx3gRunstatsStruct, iValue8, 56);
static_assert(sizeof(qx3ColumnData) == 8, "qx3ColumnData");
QX3_AT(qx3ColumnData, iValue1, 4);
QX3_AT(qx3ColumnData, iValue2, 6);
static_assert(sizeof(qx3ColumnGrpData) == 16, "qx3ColumnGrpData");
QX3_AT(qx3ColumnGrpData, iGroupSize, 4);
QX3_AT(qx3ColumnGrpData, iValue1, 6);
QX3_AT(qx3ColumnGrpData, iValue2, 8);
static_assert(sizeof(qx3RunstatsStruct) == 64, "qx3RunstatsStruct");
QX3_AT(qx3RunstatsStruct, piIndexList, 24);
QX3_AT(qx3RunstatsStruct, iValue3, 28);
QX3_AT(qx3RunstatsStruct, iColumnCount, 32);
QX3_AT(qx3RunstatsStruct, iIndexCount, 38);
QX3_AT(qx3RunstatsStruct, iValue4, 40);
QX3_AT(qx3RunstatsStruct, iValue6, 44);
QX3_AT(qx3RunstatsStruct, iValue7, 48);
QX3_AT(qx3RunstatsStruct, iValue8, 52);
QX3_AT(qx3RunstatsStruct, dSampling, 56);
static_assert(sizeof(qx3gReorgStruct) == 60, "qx3gReorgStruct");
static_assert(sizeof(qx3gReorgString) == 8, "qx3gReorgString");
QX3_AT(qx3gReorgString, piString, 4);
QX3_AT(qx3gReorgStruct, iString, 20);
static_assert(sizeof(qx3ReorgStruct) == 40, "qx3ReorgStruct");
QX3_AT(qx3ReorgStruct, piString, 20);
static_assert(sizeof(qx3gInspectStruct) == 104, "qx3gInspectStruct");
QX3_AT(qx3gInspectStruct, iValue1, 20);
QX3_AT(qx3gInspectStruct, iString4Len, 24);
QX3_AT(qx3gInspectStruct, iString1Len, 32);
QX3_AT(qx3gInspectStruct, iString3Len, 40);
QX3_AT(qx3gInspectStruct, iWords, 44);
QX3_AT(qx3gInspectStruct, iShorts, 80);
QX3_AT(qx3gInspectStruct, iValue22, 102);
static_assert(sizeof(qx3InspectStruct) == 92, "qx3InspectStruct");
QX3_AT(qx3InspectStruct, iWords, 24);
QX3_AT(qx3InspectStruct, iShorts, 60);
QX3_AT(qx3InspectStruct, iValue22, 82);
QX3_AT(qx3InspectStruct, iReserved, 84);
#undef QX3_AT
#endif

#endif
