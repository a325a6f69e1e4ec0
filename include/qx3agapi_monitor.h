// The snapshot monitor and the availability controls: high availability, quiesce, restart, activation.
//
// Words whose meaning belongs to the native interface alone are plain 32-bit words (uint32_t): the
// library hands them on without looking at them.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_MONITOR_H
#define QX3AGAPI_MONITOR_H

// ---- Snapshot monitor: the monitor area -------------------------------------------------------

// Width of an object name in the monitor area.
#define QX3_MONITOR_NAME_WIDTH 128

// One object of the monitor area (136 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    8 iLeading   the object's leading fields, passed on unread
//      8  128 name       object name, blank-padded, not terminated; lent a NUL just after its last
//                        non-blank character (in the next byte past the field when it has none)
typedef struct qx3gMonitorObject qx3gMonitorObject;
struct qx3gMonitorObject {
    uint32_t iLeading[2];
    char name[QX3_MONITOR_NAME_WIDTH];
};

// The monitor area: a count and that many objects. The caller keeps one writable spare byte behind
// the last object, for the NUL of a name that fills its whole field.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iObjectCount  number of objects that follow
//      4  136 objects[i]    object i at 4 + 136 * i
typedef struct qx3gMonitorArea qx3gMonitorArea;
struct qx3gMonitorArea {
    uint32_t iObjectCount;
    struct qx3gMonitorObject objects[1];
};

// The snapshot and snapshot-size requests begin with the monitor area; the rest of the caller's
// record reaches the native call unread, as the same record.
//
// OFFSET SIZE DESCRIPTION
//      0    4 piMonitorArea  the monitor area, or null
typedef struct qx3gSnapshotRequest qx3gSnapshotRequest;
struct qx3gSnapshotRequest {
    struct qx3gMonitorArea* piMonitorArea;
};

// The native snapshot record the legacy snapshot builds (24 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piMonitorArea
//      4   16 iWord2 .. iWord5   arguments 3, 4, 8 and 5 of sqlgmnss, in this order
//     20    4 iWord6             0
typedef struct qx3SnapshotRecord qx3SnapshotRecord;
struct qx3SnapshotRecord {
    struct qx3gMonitorArea* piMonitorArea;
    uint32_t iWord2;
    uint32_t iWord3;
    uint32_t iWord4;
    uint32_t iWord5;
    uint32_t iWord6;
};

// The native snapshot-size record the legacy size call builds (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piMonitorArea
//      4    4 iWord2   argument 3 of sqlgmnsz
//      8    4 iWord3   argument 6 of sqlgmnsz
//     12    4 iWord4   -1
typedef struct qx3SnapshotSizeRecord qx3SnapshotSizeRecord;
struct qx3SnapshotSizeRecord {
    struct qx3gMonitorArea* piMonitorArea;
    uint32_t iWord2;
    uint32_t iWord3;
    int32_t iWord4;
};

// Native versions the legacy monitor calls speak.
#define QX3_SNAPSHOT_VERSION 6010000u       // sqlgmnss
#define QX3_SNAPSHOT_SIZE_VERSION 7010000u  // sqlgmnsz, sqlgmrst

// ---- Snapshot monitor: reset --------------------------------------------------------------------

// The generic reset request (20 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iWord1      native field 1
//      4    4 piString    may be null; lent a NUL at piString[iStringLen]
//      8    4 iStringLen
//     12    4 iWord3      native field 3
//     16    4 iWord4      native field 4
typedef struct qx3gResetMonitorStruct qx3gResetMonitorStruct;
struct qx3gResetMonitorStruct {
    uint32_t iWord1;
    char* piString;
    uint32_t iStringLen;
    uint32_t iWord3;
    uint32_t iWord4;
};

// The native reset record (16 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iWord1
//      4    4 piString    NUL-terminated
//      8    4 iWord3
//     12    4 iWord4      -1 from the legacy reset
typedef struct qx3ResetMonitorStruct qx3ResetMonitorStruct;
struct qx3ResetMonitorStruct {
    uint32_t iWord1;
    char* piString;
    uint32_t iWord3;
    int32_t iWord4;
};

// ---- Availability: HADR -------------------------------------------------------------------------

// The HADR requests: three strings as pointer and 32-bit length, then each call's own tail.
//
// OFFSET SIZE DESCRIPTION
//      0    8 piString1, iString1Len
//      8    8 piString2, iString2Len
//     16    8 piString3, iString3Len
//     24    4 iWord       (start only)
//     28    2 iValue      (start only; takeover: at 24)
typedef struct qx3gHADRStartStruct qx3gHADRStartStruct;
struct qx3gHADRStartStruct {
    char* piString1;
    uint32_t iString1Len;
    char* piString2;
    uint32_t iString2Len;
    char* piString3;
    uint32_t iString3Len;
    uint32_t iWord;
    uint16_t iValue;
};
typedef struct qx3gHADRTakeoverStruct qx3gHADRTakeoverStruct;
struct qx3gHADRTakeoverStruct {
    char* piString1;
    uint32_t iString1Len;
    char* piString2;
    uint32_t iString2Len;
    char* piString3;
    uint32_t iString3Len;
    uint16_t iValue;
};
typedef struct qx3gHADRStopStruct qx3gHADRStopStruct;
struct qx3gHADRStopStruct {
    char* piString1;
    uint32_t iString1Len;
    char* piString2;
    uint32_t iString2Len;
    char* piString3;
    uint32_t iString3Len;
};

// The native HADR records: the three strings NUL-terminated, then the tail.
//
// OFFSET SIZE DESCRIPTION
//      0   12 piString1 .. piString3
//     12    4 iWord       (start)        | 12 2 iValue (takeover), 14 2 zero
//     16    2 iValue      (start), 18 2 zero
typedef struct qx3HADRStartStruct qx3HADRStartStruct;
struct qx3HADRStartStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    uint32_t iWord;
    uint16_t iValue;
    uint16_t iReserved;
};
typedef struct qx3HADRTakeoverStruct qx3HADRTakeoverStruct;
struct qx3HADRTakeoverStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    uint16_t iValue;
    uint16_t iReserved;
};
typedef struct qx3HADRStopStruct qx3HADRStopStruct;
struct qx3HADRStopStruct {
    char* piString1;
    char* piString2;
    char* piString3;
};

// ---- Availability: restart, quiesce ------------------------------------------------------------

// The restart request (32 bytes): four lengths, then four strings (each may be null).
//
// OFFSET SIZE DESCRIPTION
//      0   16 iString1Len .. iString4Len
//     16   16 piString1 .. piString4
typedef struct qx3gDatabaseRestartStruct qx3gDatabaseRestartStruct;
struct qx3gDatabaseRestartStruct {
    uint32_t iString1Len;
    uint32_t iString2Len;
    uint32_t iString3Len;
    uint32_t iString4Len;
    char* piString1;
    char* piString2;
    char* piString3;
    char* piString4;
};
// The native restart record: the four strings, NUL-terminated (16 bytes).
typedef struct qx3DatabaseRestartStruct qx3DatabaseRestartStruct;
struct qx3DatabaseRestartStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    char* piString4;
};

// Version numbers for which the instance quiesce passes iWord10 on (compared unsigned): from
// QX3_IQUIESCE_V1 to QX3_IQUIESCE_V1_LAST, and from QX3_IQUIESCE_V2 on.
#define QX3_IQUIESCE_V1 9050600u
#define QX3_IQUIESCE_V1_LAST 9069999u
#define QX3_IQUIESCE_V2 9070200u

// The instance quiesce request (40 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    8 iString1Len, piString1
//      8    8 iString2Len, piString2
//     16    8 iString3Len, piString3
//     24    4 iWord7      native field 4
//     28    4 iWord8      native field 5
//     32    4 iWord9      not read
//     36    4 iWord10     native field 7, for the versions above
typedef struct qx3gInstanceQuiesceStruct qx3gInstanceQuiesceStruct;
struct qx3gInstanceQuiesceStruct {
    uint32_t iString1Len;
    char* piString1;
    uint32_t iString2Len;
    char* piString2;
    uint32_t iString3Len;
    char* piString3;
    uint32_t iWord7;
    uint32_t iWord8;
    uint32_t iWord9;
    uint32_t iWord10;
};
// The native instance quiesce record (28 bytes); iField6 is 0, iField7 0 for other versions.
//
// OFFSET SIZE DESCRIPTION
//      0   12 piString1 .. piString3
//     12    4 iWord7
//     16    4 iWord8
//     20    4 iField6
//     24    4 iField7
typedef struct qx3InstanceQuiesceStruct qx3InstanceQuiesceStruct;
struct qx3InstanceQuiesceStruct {
    char* piString1;
    char* piString2;
    char* piString3;
    uint32_t iWord7;
    uint32_t iWord8;
    uint32_t iField6;
    uint32_t iField7;
};

// The instance unquiesce request (8 bytes) and its native record (4 bytes).
typedef struct qx3gInstanceUnquiesceStruct qx3gInstanceUnquiesceStruct;
struct qx3gInstanceUnquiesceStruct {
    uint32_t iString1Len;
    char* piString1;
};
typedef struct qx3InstanceUnquiesceStruct qx3InstanceUnquiesceStruct;
struct qx3InstanceUnquiesceStruct {
    char* piString1;
};

// The database quiesce request (16 bytes): only the words at 8 and 12 are read.
//
// OFFSET SIZE DESCRIPTION
//      0    8 iWord1, iWord2   not read
//      8    4 iWord3           native field 2
//     12    4 iWord4           native field 3
typedef struct qx3gDatabaseQuiesceStruct qx3gDatabaseQuiesceStruct;
struct qx3gDatabaseQuiesceStruct {
    uint32_t iWord1;
    uint32_t iWord2;
    uint32_t iWord3;
    uint32_t iWord4;
};
// The native database quiesce record (16 bytes); fields 1 and 4 are 0.
typedef struct qx3DatabaseQuiesceStruct qx3DatabaseQuiesceStruct;
struct qx3DatabaseQuiesceStruct {
    uint32_t iField1;
    uint32_t iWord3;
    uint32_t iWord4;
    uint32_t iField4;
};

#ifdef __cplusplus
static_assert(sizeof(qx3gMonitorObject) == 136 && __builtin_offsetof(qx3gMonitorObject, name) == 8, "monitor object");
static_assert(__builtin_offsetof(qx3gMonitorArea, objects) == 4, "monitor area");
static_assert(sizeof(qx3SnapshotRecord) == 24 && __builtin_offsetof(qx3SnapshotRecord, iWord2) == 4 &&
                  __builtin_offsetof(qx3SnapshotRecord, iWord5) == 16 && __builtin_offsetof(qx3SnapshotRecord, iWord6) == 20,
              "qx3SnapshotRecord");
static_assert(sizeof(qx3SnapshotSizeRecord) == 16 && __builtin_offsetof(qx3SnapshotSizeRecord, iWord4) == 12,
              "qx3SnapshotSizeRecord");
static_assert(sizeof(qx3gResetMonitorStruct) == 20 && __builtin_offsetof(qx3gResetMonitorStruct, piString) == 4 &&
                  __builtin_offsetof(qx3gResetMonitorStruct, iStringLen) == 8 &&
                  __builtin_offsetof(qx3gResetMonitorStruct, iWord3) == 12 &&
                  __builtin_offsetof(qx3gResetMonitorStruct, iWord4) == 16,
              "qx3gResetMonitorStruct");
static_assert(sizeof(qx3ResetMonitorStruct) == 16 && __builtin_offsetof(qx3ResetMonitorStruct, piString) == 4 &&
                  __builtin_offsetof(qx3ResetMonitorStruct, iWord3) == 8 && __builtin_offsetof(qx3ResetMonitorStruct, iWord4) == 12,
              "qx3ResetMonitorStruct");
static_assert(sizeof(qx3gHADRStartStruct) == 32 && __builtin_offsetof(qx3gHADRStartStruct, iString1Len) == 4 &&
                  __builtin_offsetof(qx3gHADRStartStruct, piString2) == 8 &&
                  __builtin_offsetof(qx3gHADRStartStruct, iString3Len) == 20 &&
                  __builtin_offsetof(qx3gHADRStartStruct, iWord) == 24 && __builtin_offsetof(qx3gHADRStartStruct, iValue) == 28,
              "qx3gHADRStartStruct");
static_assert(sizeof(qx3gHADRTakeoverStruct) == 28 && __builtin_offsetof(qx3gHADRTakeoverStruct, iValue) == 24,
              "qx3gHADRTakeoverStruct");
static_assert(sizeof(qx3gHADRStopStruct) == 24 && __builtin_offsetof(qx3gHADRStopStruct, piString3) == 16, "qx3gHADRStopStruct");
static_assert(sizeof(qx3HADRStartStruct) == 20 && __builtin_offsetof(qx3HADRStartStruct, iWord) == 12 &&
                  __builtin_offsetof(qx3HADRStartStruct, iValue) == 16,
              "qx3HADRStartStruct");
static_assert(sizeof(qx3HADRTakeoverStruct) == 16 && __builtin_offsetof(qx3HADRTakeoverStruct, iValue) == 12,
              "qx3HADRTakeoverStruct");
static_assert(sizeof(qx3HADRStopStruct) == 12, "qx3HADRStopStruct");
static_assert(sizeof(qx3gDatabaseRestartStruct) == 32 && __builtin_offsetof(qx3gDatabaseRestartStruct, iString4Len) == 12 &&
                  __builtin_offsetof(qx3gDatabaseRestartStruct, piString1) == 16 &&
                  __builtin_offsetof(qx3gDatabaseRestartStruct, piString4) == 28,
              "qx3gDatabaseRestartStruct");
static_assert(sizeof(qx3DatabaseRestartStruct) == 16, "qx3DatabaseRestartStruct");
static_assert(sizeof(qx3gInstanceQuiesceStruct) == 40 && __builtin_offsetof(qx3gInstanceQuiesceStruct, piString1) == 4 &&
                  __builtin_offsetof(qx3gInstanceQuiesceStruct, piString3) == 20 &&
                  __builtin_offsetof(qx3gInstanceQuiesceStruct, iWord7) == 24 &&
                  __builtin_offsetof(qx3gInstanceQuiesceStruct, iWord10) == 36,
              "qx3gInstanceQuiesceStruct");
static_assert(sizeof(qx3InstanceQuiesceStruct) == 28 && __builtin_offsetof(qx3InstanceQuiesceStruct, iWord7) == 12 &&
                  __builtin_offsetof(qx3InstanceQuiesceStruct, iField6) == 20 &&
                  __builtin_offsetof(qx3InstanceQuiesceStruct, iField7) == 24,
              "qx3InstanceQuiesceStruct");
static_assert(sizeof(qx3gInstanceUnquiesceStruct) == 8 && sizeof(qx3InstanceUnquiesceStruct) == 4, "instance unquiesce");
static_assert(sizeof(qx3gDatabaseQuiesceStruct) == 16 && sizeof(qx3DatabaseQuiesceStruct) == 16 &&
                  __builtin_offsetof(qx3DatabaseQuiesceStruct, iWord3) == 4,
              "database quiesce");
#endif

// ---- Entry points -------------------------------------------------------------------------------

// Snapshot and snapshot size. Blocks carry the source tags sqlgmnss (snapshots) and sqlgmnsz
// (sizes); "sqlgmnsz" goes into sqlerrp with -1603 (no objects) and -1607 (no memory).
QX3_EXTERN_C int32_t QX3_API qx3gGetSnapshot(uint32_t version, struct qx3gSnapshotRequest* pParmStruct, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgmnss(uint32_t reserved1, struct sqlca* pSqlca, uint32_t word3, uint32_t word4,
                                      uint32_t word5, struct qx3gMonitorArea* area, uint32_t reserved7, uint32_t word8);
QX3_EXTERN_C int32_t QX3_API qx3gGetSnapshotSize(uint32_t version, struct qx3gSnapshotRequest* pParmStruct,
                                                 struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgmnsz(uint32_t reserved1, struct sqlca* pSqlca, uint32_t word3, struct qx3gMonitorArea* area,
                                      uint32_t reserved5, uint32_t word6);
QX3_EXTERN_C int32_t QX3_API qx3gResetMonitor(uint32_t version, struct qx3gResetMonitorStruct* pParmStruct,
                                              struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgmrst(qx3_u16w len, uint32_t reserved2, struct sqlca* pSqlca, char* pString, uint32_t word5,
                                      uint32_t reserved6, uint32_t word7);
// No call frame: forwarded at once (sqlgmon with its last four words reversed).
QX3_EXTERN_C int32_t QX3_API sqlgmon(uint32_t reserved1, uint32_t p, uint32_t q, uint32_t r, uint32_t s);
QX3_EXTERN_C int32_t QX3_API qx3gMonitorSwitches(uint32_t w1, uint32_t w2, uint32_t w3);
QX3_EXTERN_C int32_t QX3_API qx3gConvMonStream(uint32_t w1, uint32_t w2, uint32_t w3);

// Availability. Database quiesce and unquiesce and the instance calls run without the
// application-data step.
QX3_EXTERN_C int32_t QX3_API qx3gDatabasePing(uint32_t version, uint32_t pParmStruct, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gDatabaseQuiesce(uint32_t version, struct qx3gDatabaseQuiesceStruct* pParmStruct,
                                                 struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gDatabaseUnquiesce(uint32_t version, uint32_t pParmStruct, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gInstanceQuiesce(uint32_t version, struct qx3gInstanceQuiesceStruct* pParmStruct,
                                                 struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gInstanceUnquiesce(uint32_t version, struct qx3gInstanceUnquiesceStruct* pParmStruct,
                                                   struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgrstd(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, struct sqlca* pSqlca, char* s1,
                                      char* s2, char* s3);
QX3_EXTERN_C int32_t QX3_API qx3gDatabaseRestart(uint32_t version, struct qx3gDatabaseRestartStruct* pParmStruct,
                                                 struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gHADRStart(uint32_t version, struct qx3gHADRStartStruct* pParmStruct, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gHADRTakeover(uint32_t version, struct qx3gHADRTakeoverStruct* pParmStruct,
                                              struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API qx3gHADRStop(uint32_t version, struct qx3gHADRStopStruct* pParmStruct, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlg_activate_db(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, char* s1, char* s2, char* s3,
                                              uint32_t reserved7, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlg_deactivate_db(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, char* s1, char* s2,
                                                char* s3, uint32_t reserved7, struct sqlca* pSqlca);

#endif
