// Directory and tablespace scans. Most members only hand their words on: a table says how. The
// versioned database-directory scans and the legacy close have exits of their own, three
// tablespace fetches blank-pad a returned text, and setting containers lends a terminator to each
// name of a caller's array.
#include "native/scan.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

namespace {

// Source tag of the tablespace routines' memory blocks.
constexpr const char kTag[] = "sqlgts";

// The version the legacy close of a database-directory scan speaks to the versioned native close.
constexpr uint32_t kLegacyCloseVersion = 8020000;

// Return codes of the directory scans' own exits.
constexpr int32_t kNoSqlca = -1;
constexpr int32_t kNoRecord = -1078;

// A fetched tablespace record's text field.
constexpr uint32_t kRecordSize = sizeof(qx3TablespaceRecord);
constexpr uint32_t kTextSize = sizeof(qx3TablespaceRecord::text6);

// Before converting anything the versioned database-directory scans need a status record, a
// parameter record and the thread's application data, tested in that order. 0 lets the call go on;
// otherwise the call's result.
int32_t scan_frame(sqlca* ca, const void* parm, const DiagName& name) {
    if (ca == nullptr) return kNoSqlca;
    if (parm == nullptr) return status_exit(ca, kNoRecord, name);
    if (!app_data_ready()) return app_data_failed_named(ca, name);
    return 0;
}

// Blank-pads the text of `count` fetched records from `first` on, 176 bytes apart. The count and
// the first record's address are read afresh for each record: the caller's words may be the
// native call's own output.
template <class Count, class First>
void pad_records(Count&& count, First&& first) {
    for (uint32_t i = 0; i < count(); ++i) {
        char* record = reinterpret_cast<char*>(first()) + i * kRecordSize;
        pad_field(record + offsetof(qx3TablespaceRecord, text6), kTextSize);
    }
}

}  // namespace

// ---- Members that only forward ----
//
// Routes: the native each calls and, in the native's order, the words it passes, whole or only
// their low 16 bits. None runs the application-data step.
QX3_ROUTE(sqlgdgne, sqledgne_api, unframed(pass(zx(A1), A2, A3)))
QX3_ROUTE(sqlgnops, sqlenops_api, unframed(pass(A1, A2, A3)))
QX3_ROUTE(sqlgngne, sqlengne_api, unframed(pass(zx(A1), A2, A3)))
QX3_ROUTE(sqlgncls, sqlencls_api, unframed(pass(zx(A1), A2)))
QX3_ROUTE(sqlggdsc, sqlegdsc_api, unframed(pass(A2, A1)))
QX3_ROUTE(sqlggdcl, sqlegdcl_api, unframed(pass(A1)))
QX3_ROUTE(sqlgotsq, sqlbotsq, unframed(pass(A1, A2, A3)))
QX3_ROUTE(sqlgftpq, sqlbftpq, unframed(pass(A1, A2, A3, A4)))
QX3_ROUTE(sqlgctsq, sqlbctsq, unframed(pass(A1)))
QX3_ROUTE(sqlgstpq, sqlbstpq, unframed(pass(A1, A2, A3, A4)))
QX3_ROUTE(sqlgmtsq, sqlbmtsq, unframed(pass(A1, A2, A3, A4, A5)))
QX3_ROUTE(sqlgotcq, sqlbotcq, unframed(pass(A1, A2, A3)))
QX3_ROUTE(sqlgftcq, sqlbftcq, unframed(pass(A1, A2, A3, A4)))
QX3_ROUTE(sqlgctcq, sqlbctcq, unframed(pass(A1)))
QX3_ROUTE(sqlgtcq, sqlbtcq, unframed(pass(A1, A2, A3, A4)))
QX3_ROUTE(sqlggtss, sqlbgtss, unframed(pass(A1, A2, A3)))

QX3_WORD_FORWARDER(sqlgdgne, SQLGDGNE, 3)
QX3_WORD_FORWARDER(sqlgnops, SQLGNOPS, 3)
QX3_WORD_FORWARDER(sqlgngne, SQLGNGNE, 3)
QX3_WORD_FORWARDER(sqlgncls, SQLGNCLS, 2)
QX3_WORD_FORWARDER(sqlggdsc, SQLGGDSC, 2)
QX3_WORD_FORWARDER(sqlggdcl, SQLGGDCL, 1)
QX3_WORD_FORWARDER(sqlgotsq, SQLGOTSQ, 3)
QX3_WORD_FORWARDER(sqlgftpq, SQLGFTPQ, 4)
QX3_WORD_FORWARDER(sqlgctsq, SQLGCTSQ, 1)
QX3_WORD_FORWARDER(sqlgstpq, SQLGSTPQ, 4)
QX3_WORD_FORWARDER(sqlgmtsq, SQLGMTSQ, 5)
QX3_WORD_FORWARDER(sqlgotcq, SQLGOTCQ, 3)
QX3_WORD_FORWARDER(sqlgftcq, SQLGFTCQ, 4)
QX3_WORD_FORWARDER(sqlgctcq, SQLGCTCQ, 1)
QX3_WORD_FORWARDER(sqlgtcq, SQLGTCQ, 4)
QX3_WORD_FORWARDER(sqlggtss, SQLGGTSS, 3)
#undef QX3_SCAN_FORWARDER

// ---- Database directory, versioned ----

QX3_ENTRY(qx3gDbDirOpenScan, QX3GDBDIROPENSCAN,
          (uint32_t versionNumber, qx3gDbDirOpenScanRec* pParm, sqlca* pSqlca)) {
    if (int32_t rc = scan_frame(pSqlca, pParm, diag("SQLGDOSD")); rc != 0) return rc;
    Term string;
    string.place(pParm->piString, pParm->iStringLen);
    qx3DbDirOpenScanRec native{string.p, 0, 0};
    const int32_t rc = qx3DbDirOpenScan(versionNumber, &native, pSqlca);
    if (rc == 0) {
        pParm->oValue1 = native.oValue1;
        pParm->oValue2 = native.oValue2;
    }
    string.restore();
    return rc;
}

QX3_ENTRY(qx3gDbDirGetNextEntry, QX3GDBDIRGETNEXTENTRY,
          (uint32_t versionNumber, qx3DbDirNextEntryRec* pParm, sqlca* pSqlca)) {
    if (int32_t rc = scan_frame(pSqlca, pParm, diag("SQLGDGNE")); rc != 0) return rc;
    qx3DbDirNextEntryRec native{pParm->iHandle, nullptr};
    const int32_t rc = qx3DbDirGetNextEntry(versionNumber, &native, pSqlca);
    if (rc == 0) pParm->poEntry = native.poEntry;
    return rc;
}

QX3_ENTRY(qx3gDbDirCloseScan, QX3GDBDIRCLOSESCAN,
          (uint32_t versionNumber, qx3DbDirCloseScanRec* pParm, sqlca* pSqlca)) {
    if (int32_t rc = scan_frame(pSqlca, pParm, diag("SQLGDCLS")); rc != 0) return rc;
    qx3DbDirCloseScanRec native{pParm->iHandle};
    return qx3DbDirCloseScan(versionNumber, &native, pSqlca);
}

// ---- Database directory, legacy ----

QX3_ENTRY(sqlgdosd, SQLGDOSD, (qx3_u16w pathLen, sqlca* pSqlca, uint32_t word3, uint32_t word4, char* pPath)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term path;
    path.place(pPath, zx(pathLen));
    const int32_t rc = sqledosd_api(pPath, word4, word3, pSqlca);
    path.restore();
    return rc;
}

// The legacy close is served by the versioned native close, at the version it was made for. It
// has no parameter record to miss: only the status record is tested.
QX3_ENTRY(sqlgdcls, SQLGDCLS, (qx3_u16w handle, sqlca* pSqlca)) {
    if (pSqlca == nullptr) return kNoSqlca;
    if (!app_data_ready()) return app_data_failed_named(pSqlca, diag("SQLGDCLS"));
    qx3DbDirCloseScanRec native{static_cast<uint16_t>(zx(handle))};
    return qx3DbDirCloseScan(kLegacyCloseVersion, &native, pSqlca);
}

// ---- Tablespace fetches that blank-pad their records' text ----

QX3_ENTRY(sqlgftsq, SQLGFTSQ, (uint32_t word1, uint32_t word2, qx3TablespaceRecord* pRecords, uint32_t* pCount)) {
    const int32_t rc = sqlbftsq(word1, word2, pRecords, pCount);
    if (rc == 0) pad_records([&] { return *pCount; }, [&] { return pRecords; });
    return rc;
}

QX3_ENTRY(sqlgstsq, SQLGSTSQ, (uint32_t word1, uint32_t word2, qx3TablespaceRecord* pRecord)) {
    const int32_t rc = sqlbstsq(word1, word2, pRecord);
    if (rc == 0) pad_records([] { return 1u; }, [&] { return pRecord; });
    return rc;
}

QX3_ENTRY(sqlgtsq, SQLGTSQ, (uint32_t word1, uint32_t* pCount, qx3TablespaceRecord** ppRecords)) {
    const int32_t rc = sqlbtsq(word1, pCount, ppRecords);
    if (rc == 0) pad_records([&] { return *pCount; }, [&] { return *ppRecords; });
    return rc;
}

// ---- Setting containers: a terminator for every name of the caller's array ----

QX3_ENTRY(sqlgstsc, SQLGSTSC, (sqlca* pSqlca, uint32_t word2, uint32_t word3, uint32_t count, qx3ContainerName* pNames)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (count == 0) return 0;
    SlotArray slots(kTag);
    // Without memory the call ends with the memory service's own code; the status record is left
    // alone.
    if (int32_t rc = slots.take(count); rc != 0) return rc;
    for (uint32_t i = 0; i < count; ++i) slots.place(i, pNames[i].name, pNames[i].nameLen);
    const int32_t rc = sqlbstsc(pSqlca, word2, word3, count, pNames);
    slots.restore_and_release([&](uint32_t i) { return pNames[i].name; });
    return rc;
}
