// Directory and tablespace scans. Most members only hand their words on: a table says how. The
// versioned database-directory scans and the legacy close have exits of their own, three
// tablespace fetches blank-pad a returned text, and setting containers lends a terminator to each
// name of a caller's array.
#include "commands/scan_natives.h"
#include "frame/forward_words.h"
#include "frame/frame.h"

using namespace qx3;

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

// An exit the scan raises itself: code and name into the status record, then sqlofica on it.
int32_t scan_exit(sqlca* ca, int32_t code, const DiagName& name) {
    set_status(ca, code, name);
    sqlofica(ca);
    return code;
}

// Before converting anything the versioned database-directory scans need a status record, a
// parameter record and the thread's application data, tested in that order. 0 lets the call go on;
// otherwise the call's result.
int32_t scan_frame(sqlca* ca, const void* parm, const DiagName& name) {
    if (ca == nullptr) return kNoSqlca;
    if (parm == nullptr) return scan_exit(ca, kNoRecord, name);
    if (!app_data_ready()) return scan_exit(ca, kNoAppData, name);
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
// entry, NAME, native call, generic words, then per native argument: which generic word, and
// whether whole or only its low 16 bits. None runs the application-data step.
#define QX3_SCAN_FORWARDERS(X)                                                  \
    X(sqlgdgne, SQLGDGNE, sqledgne_api, 3, low16(1), whole(2), whole(3))        \
    X(sqlgnops, SQLGNOPS, sqlenops_api, 3, whole(1), whole(2), whole(3))        \
    X(sqlgngne, SQLGNGNE, sqlengne_api, 3, low16(1), whole(2), whole(3))        \
    X(sqlgncls, SQLGNCLS, sqlencls_api, 2, low16(1), whole(2))                  \
    X(sqlggdsc, SQLGGDSC, sqlegdsc_api, 2, whole(2), whole(1))                  \
    X(sqlggdcl, SQLGGDCL, sqlegdcl_api, 1, whole(1))                            \
    X(sqlgotsq, SQLGOTSQ, sqlbotsq, 3, whole(1), whole(2), whole(3))            \
    X(sqlgftpq, SQLGFTPQ, sqlbftpq, 4, whole(1), whole(2), whole(3), whole(4))  \
    X(sqlgctsq, SQLGCTSQ, sqlbctsq, 1, whole(1))                                \
    X(sqlgstpq, SQLGSTPQ, sqlbstpq, 4, whole(1), whole(2), whole(3), whole(4))  \
    X(sqlgmtsq, SQLGMTSQ, sqlbmtsq, 5, whole(1), whole(2), whole(3), whole(4), whole(5)) \
    X(sqlgotcq, SQLGOTCQ, sqlbotcq, 3, whole(1), whole(2), whole(3))            \
    X(sqlgftcq, SQLGFTCQ, sqlbftcq, 4, whole(1), whole(2), whole(3), whole(4))  \
    X(sqlgctcq, SQLGCTCQ, sqlbctcq, 1, whole(1))                                \
    X(sqlgtcq, SQLGTCQ, sqlbtcq, 4, whole(1), whole(2), whole(3), whole(4))     \
    X(sqlggtss, SQLGGTSS, sqlbgtss, 3, whole(1), whole(2), whole(3))

#define QX3_SCAN_WORDS_1 (uint32_t w1)
#define QX3_SCAN_WORDS_2 (uint32_t w1, uint32_t w2)
#define QX3_SCAN_WORDS_3 (uint32_t w1, uint32_t w2, uint32_t w3)
#define QX3_SCAN_WORDS_4 (uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4)
#define QX3_SCAN_WORDS_5 (uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4, uint32_t w5)
#define QX3_SCAN_NAMES_1 w1
#define QX3_SCAN_NAMES_2 w1, w2
#define QX3_SCAN_NAMES_3 w1, w2, w3
#define QX3_SCAN_NAMES_4 w1, w2, w3, w4
#define QX3_SCAN_NAMES_5 w1, w2, w3, w4, w5

#define QX3_SCAN_FORWARDER(fn, up, native, words, ...)                   \
    QX3_ENTRY(fn, up, QX3_SCAN_WORDS_##words) {                          \
        return forward<&native, __VA_ARGS__>(QX3_SCAN_NAMES_##words);    \
    }
QX3_SCAN_FORWARDERS(QX3_SCAN_FORWARDER)
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
    if (!app_data_ready()) return scan_exit(pSqlca, kNoAppData, diag("SQLGDCLS"));
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
