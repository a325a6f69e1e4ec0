// Rollforward, recover, archive-log and recovery-history natives. Each records its native record as
// it read it and, in lists[0], the strings that record points at as it saw them (then, for
// rollforward, the tablespace list in lists[1]); then it fills its outputs as a client would.
#include "natives/seen_lists.h"
#include "native/recovery.h"

namespace {

standin::SeenList strings(std::initializer_list<const char*> ps) {
    standin::SeenList out;
    out.null = false;
    for (const char* p : ps) out.entries.push_back(standin::read_seen(p));
    out.count = static_cast<uint32_t>(out.entries.size());
    return out;
}

void add_record(standin::Call& c, const void* p, size_t n) {
    const std::vector<uint8_t> b = seen::bytes(p, n);
    c.record.insert(c.record.end(), b.begin(), b.end());
}

// What a native fills in for its caller: the log a rollforward stopped at, and words that show.
const char kStoppedAt[] = "S0000007.LOG";

}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3Rollforward(uint32_t version, qx3RollforwardStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Rollforward", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    if (pParm != nullptr && seen::readable(pParm, sizeof *pParm)) {
        qx3RollforwardIn* in = pParm->pIn;
        qx3RollforwardOut* out = pParm->pOut;
        add_record(c, in, sizeof *in);
        add_record(c, out, sizeof *out);
        if (in != nullptr && seen::readable(in, sizeof *in)) {
            c.lists.push_back(strings({in->piDbAlias, in->piUserName, in->piPassword, in->piStopTime,
                                       in->piOverflowLogPath, in->piDroppedTblID, in->piExportDir}));
            c.lists.push_back(seen::tablespaces(in->piTablespaceList));
        }
        if (out != nullptr && seen::readable(out, sizeof *out)) {
            seen::put_text(out->poText, 33, kStoppedAt);
            // The word exists from this version on only.
            if (version >= 9000000u) out->oWord = 0x600DF00Du;
        }
    }
    return seen::finish("qx3Rollforward", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3Recover(uint32_t version, qx3RecoverStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Recover", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    add_record(c, pParm, sizeof *pParm);
    if (!c.record.empty())
        c.lists.push_back(strings({pParm->piSourceDBAlias, pParm->piUserName, pParm->piPassword, pParm->piStopTime,
                                   pParm->piOverflowLogPath, pParm->piHistoryFile, pParm->piComprLibrary,
                                   pParm->piEncrLibrary}));
    return seen::finish("qx3Recover", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3ArchiveLog(uint32_t version, qx3ArchiveLogStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3ArchiveLog", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    add_record(c, pParm, sizeof *pParm);
    if (!c.record.empty()) c.lists.push_back(strings({pParm->piString1, pParm->piString2, pParm->piString3}));
    return seen::finish("qx3ArchiveLog", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3HistoryCloseScan(uint32_t version, void* pParm, sqlca* pSqlca) {
    standin::record("qx3HistoryCloseScan", {version, word(pParm), word(pSqlca)}, 0);
    return seen::finish("qx3HistoryCloseScan", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3HistoryGetEntry(uint32_t version, void* pParm, sqlca* pSqlca) {
    standin::record("qx3HistoryGetEntry", {version, word(pParm), word(pSqlca)}, 0);
    return seen::finish("qx3HistoryGetEntry", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3HistoryOpenScan(uint32_t version, qx3HistoryOpenStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3HistoryOpenScan", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    add_record(c, pParm, sizeof *pParm);
    if (!c.record.empty()) {
        c.lists.push_back(strings({pParm->piString1, pParm->piString2, pParm->piString3}));
        // A scan handle, the number of entries, and from 9080000 on a third count.
        pParm->oWord1 = 0x4A11u;
        pParm->oWord2 = 17;
        if (version >= 9080000u) pParm->oWord3 = 0x33u;
        pParm->oHalf1 = 0xB00Bu;
    }
    standin::notify_after_call();
    return seen::finish("qx3HistoryOpenScan", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3HistoryUpdate(uint32_t version, qx3HistoryUpdateStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3HistoryUpdate", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    add_record(c, pParm, sizeof *pParm);
    if (!c.record.empty())
        c.lists.push_back(strings({pParm->piString1, pParm->piString2, pParm->piString3, pParm->piString4}));
    return seen::finish("qx3HistoryUpdate", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3Prune(uint32_t version, qx3PruneStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Prune", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    add_record(c, pParm, sizeof *pParm);
    if (!c.record.empty()) c.lists.push_back(strings({pParm->piString1}));
    return seen::finish("qx3Prune", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluhcls(uint32_t word1, uint32_t word2, uint32_t word3) {
    return native("sqluhcls", {word1, word2, word3}, 0, nullptr);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluhgne(uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4) {
    return native("sqluhgne", {word1, word2, word3, word4}, 0, nullptr);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluhops(char* piString1, char* piString2, char* piString3, uint32_t word7,
                                           uint32_t word8, uint32_t word9, uint32_t word10, sqlca* pSqlca) {
    return native("sqluhops",
                  {word(piString1), word(piString2), word(piString3), word7, word8, word9, word10, word(pSqlca)},
                  0b111, pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluhupd(char* piString1, char* piString2, char* piString3, char* piString4,
                                           uint32_t word9, sqlca* pSqlca) {
    return native("sqluhupd", {word(piString1), word(piString2), word(piString3), word(piString4), word9, word(pSqlca)},
                  0b1111, pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluhprn(char* piString1, uint32_t word3, uint32_t word4, sqlca* pSqlca) {
    return native("sqluhprn", {word(piString1), word3, word4, word(pSqlca)}, 0b1, pSqlca);
}
