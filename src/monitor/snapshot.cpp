// The snapshot monitor: snapshots and their sizes lend every object name of the monitor area a NUL
// after its last non-blank character; the resets terminate their one string; the legacy forms
// build the native record themselves, with the native version they speak; three members only
// forward.
#include <stddef.h>

#include "native/monitor.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

namespace {

// Source tags of the name tables: snapshots, and snapshot sizes.
constexpr const char kSnapshotTag[] = "sqlgmnss";
constexpr const char kSizeTag[] = "sqlgmnsz";

// The one name all four snapshot calls report their own errors under.
constexpr DiagName kSnapshotName = diag("sqlgmnsz");

constexpr int32_t kMissingParameter = -1601;
constexpr int32_t kNoObjects = -1603;
constexpr int32_t kNoNameTable = -1607;

// The area is checked over its count and one object before anything in it is read.
constexpr uint32_t kAreaCheck = offsetof(qx3gMonitorArea, objects) + sizeof(qx3gMonitorObject);

// The caller's area need not be aligned: its count is read byte-wise.
uint32_t count_of(const qx3gMonitorArea* area) {
    uint32_t n;
    __builtin_memcpy(&n, area, sizeof n);
    return n;
}

char* name_of(qx3gMonitorArea* area, uint32_t i) {
    return reinterpret_cast<char*>(area) + offsetof(qx3gMonitorArea, objects) + i * sizeof(qx3gMonitorObject) +
           offsetof(qx3gMonitorObject, name);
}

// Lends each object name of `area` its terminator around `native_call`. An area that is null or
// fails its check goes to the native call as it stands; an empty one never gets there.
template <class Native>
int32_t with_names_terminated(const char* tag, sqlca* ca, qx3gMonitorArea* area, Native&& native_call) {
    if (area == nullptr || !accessible(area, kAreaCheck, kReadWrite)) return native_call();
    if (count_of(area) == 0) return memory_failed(ca, kSnapshotName, kNoObjects);
    SlotArray slots(tag);
    if (slots.take(count_of(area)) != 0) return memory_failed(ca, kSnapshotName, kNoNameTable);
    // The count is read afresh for every object: it lives in the caller's memory.
    for (uint32_t i = 0; i < slots.count() && i < count_of(area); ++i)
        slots.place_trimmed(i, name_of(area, i), QX3_MONITOR_NAME_WIDTH);
    const int32_t rc = native_call();
    slots.restore_and_release([area](uint32_t i) { return name_of(area, i); });
    return rc;
}

// A versioned request must be there: the native call is told which parameter is missing.
int32_t missing_request(sqlca* ca, const char* function) {
    ca->sqlcode = kMissingParameter;
    sqlmprca(function, sizeof "data" - 1, "data", ca);
    return 0;
}

}  // namespace

// ---- Snapshots and their sizes ----

QX3_ENTRY(qx3gGetSnapshot, QX3GGETSNAPSHOT, (uint32_t version, qx3gSnapshotRequest* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return missing_request(pSqlca, "qx3gGetSnapshot");
    return with_names_terminated(kSnapshotTag, pSqlca, pParmStruct->piMonitorArea,
                                 [&] { return qx3GetSnapshot(version, pParmStruct, pSqlca); });
}

QX3_ENTRY(sqlgmnss, SQLGMNSS, (uint32_t reserved1, sqlca* pSqlca, uint32_t word3, uint32_t word4, uint32_t word5,
                               qx3gMonitorArea* area, uint32_t reserved7, uint32_t word8)) {
    (void)reserved1;
    (void)reserved7;
    if (!app_data_ready()) return app_data_failed(pSqlca);
    qx3SnapshotRecord record{area, word3, word4, word8, word5, 0};
    return with_names_terminated(kSnapshotTag, pSqlca, area,
                                 [&] { return qx3GetSnapshot(QX3_SNAPSHOT_VERSION, &record, pSqlca); });
}

QX3_ENTRY(qx3gGetSnapshotSize, QX3GGETSNAPSHOTSIZE,
          (uint32_t version, qx3gSnapshotRequest* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return missing_request(pSqlca, "qx3gGetSnapshotSize");
    return with_names_terminated(kSizeTag, pSqlca, pParmStruct->piMonitorArea,
                                 [&] { return qx3GetSnapshotSize(version, pParmStruct, pSqlca); });
}

QX3_ENTRY(sqlgmnsz, SQLGMNSZ, (uint32_t reserved1, sqlca* pSqlca, uint32_t word3, qx3gMonitorArea* area,
                               uint32_t reserved5, uint32_t word6)) {
    (void)reserved1;
    (void)reserved5;
    if (!app_data_ready()) return app_data_failed(pSqlca);
    qx3SnapshotSizeRecord record{area, word3, word6, -1};
    return with_names_terminated(kSizeTag, pSqlca, area,
                                 [&] { return qx3GetSnapshotSize(QX3_SNAPSHOT_SIZE_VERSION, &record, pSqlca); });
}

// ---- Resets ----

// A missing request reaches the native call as a missing record, which it reports.
QX3_ENTRY(qx3gResetMonitor, QX3GRESETMONITOR, (uint32_t version, qx3gResetMonitorStruct* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return qx3ResetMonitor(version, nullptr, pSqlca);
    Term string;
    string.place(pParmStruct->piString, pParmStruct->iStringLen);
    qx3ResetMonitorStruct record{pParmStruct->iWord1, string.p, pParmStruct->iWord3,
                                 static_cast<int32_t>(pParmStruct->iWord4)};
    const int32_t rc = qx3ResetMonitor(version, &record, pSqlca);
    string.restore();
    return rc;
}

QX3_ENTRY(sqlgmrst, SQLGMRST, (qx3_u16w len, uint32_t reserved2, sqlca* pSqlca, char* pString, uint32_t word5,
                               uint32_t reserved6, uint32_t word7)) {
    (void)reserved2;
    (void)reserved6;
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term string;
    string.place(pString, zx(len));
    qx3ResetMonitorStruct record{word5, pString, word7, -1};
    const int32_t rc = qx3ResetMonitor(QX3_SNAPSHOT_SIZE_VERSION, &record, pSqlca);
    string.restore();
    return rc;
}

// ---- Forwarded at once ----

QX3_ROUTE(sqlgmon, sqlmon, unframed(pass(A5, A4, A3, A2)))
QX3_ROUTE(qx3gMonitorSwitches, qx3MonitorSwitches, unframed(pass(A1, A2, A3)))
QX3_ROUTE(qx3gConvMonStream, qx3ConvMonStream, unframed(pass(A1, A2, A3)))

QX3_WORD_FORWARDER(sqlgmon, SQLGMON, 5)
QX3_WORD_FORWARDER(qx3gMonitorSwitches, QX3GMONITORSWITCHES, 3)
QX3_WORD_FORWARDER(qx3gConvMonStream, QX3GCONVMONSTREAM, 3)
