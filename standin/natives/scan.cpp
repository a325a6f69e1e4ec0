// Directory-scan and tablespace natives. The versioned database-directory scan walks a small
// directory of three entries; the other natives record what they were given and return the
// test's result: their words mean nothing the stand-in could act on without knowing more than the
// library does.
#include <string.h>

#include <map>

#include "native/scan.h"
#include "common.h"
#include "natives/scan_directory.h"

using namespace standin;

namespace {

// A blank-padded text field, as the directory keeps its names.
template <size_t N>
void blank_padded(char (&field)[N], const char* text) {
    memset(field, ' ', N);
    memcpy(field, text, strnlen(text, N));
}

DirEntry entry(const char* alias, const char* database, const char* comment, uint16_t type) {
    DirEntry e;
    blank_padded(e.alias, alias);
    blank_padded(e.database, database);
    blank_padded(e.comment, comment);
    e.type = type;
    return e;
}

const DirEntry* directory() {
    static const DirEntry entries[kDirEntryCount] = {
        entry("SAMPLE", "SAMPLE", "Sample database", 1),
        entry("PAYROLL", "PAYDB", "Payroll on host hr1", 2),
        entry("ARCHIVE", "ARCH", "Read-only archive", 1),
    };
    return entries;
}

// Open scans: handle -> index of the next entry to hand out.
std::map<uint16_t, uint16_t>& scans() {
    static auto* m = new std::map<uint16_t, uint16_t>;
    return *m;
}
uint16_t next_handle = 0;

int32_t fail_with(sqlca* ca, const char* name, int32_t rc) {
    fill_sqlca(ca, name, rc);
    return rc;
}

}  // namespace

// ---- Database directory, versioned ----
// Each records a fourth word that the library did not pass: the record's string or handle as the
// native side read it, so that tests see it as they see any argument.

STANDIN_EXPORT int32_t QX3_NATIVE qx3DbDirOpenScan(uint32_t version, qx3DbDirOpenScanRec* parm, sqlca* ca) {
    const uint32_t s = parm ? word(parm->piString) : 0;
    int32_t rc = native("qx3DbDirOpenScan", {version, word(parm), word(ca), s}, 1u << 3, ca);
    if (rc != 0) return rc;
    if (parm == nullptr) return fail_with(ca, "qx3DbDirOpenScan", -1078);
    do ++next_handle; while (next_handle == 0 || scans().count(next_handle) != 0);
    scans()[next_handle] = 0;
    parm->oValue1 = next_handle;
    parm->oValue2 = kDirEntryCount;
    return 0;
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3DbDirGetNextEntry(uint32_t version, qx3DbDirNextEntryRec* parm, sqlca* ca) {
    const uint32_t h = parm ? parm->iHandle : 0;
    int32_t rc = native("qx3DbDirGetNextEntry", {version, word(parm), word(ca), h}, 0, ca);
    if (rc != 0) return rc;
    if (parm == nullptr) return fail_with(ca, "qx3DbDirGetNextEntry", -1078);
    auto it = scans().find(parm->iHandle);
    if (it == scans().end()) return fail_with(ca, "qx3DbDirGetNextEntry", kScanUnknown);
    if (it->second >= kDirEntryCount) return fail_with(ca, "qx3DbDirGetNextEntry", kScanAtEnd);
    parm->poEntry = const_cast<DirEntry*>(&directory()[it->second++]);
    return 0;
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3DbDirCloseScan(uint32_t version, qx3DbDirCloseScanRec* parm, sqlca* ca) {
    const uint32_t h = parm ? parm->iHandle : 0;
    int32_t rc = native("qx3DbDirCloseScan", {version, word(parm), word(ca), h}, 0, ca);
    if (rc != 0) return rc;
    if (parm == nullptr) return fail_with(ca, "qx3DbDirCloseScan", -1078);
    if (scans().erase(parm->iHandle) == 0) return fail_with(ca, "qx3DbDirCloseScan", kScanUnknown);
    return 0;
}

// ---- Database directory, legacy; node and gateway directories ----

STANDIN_EXPORT int32_t QX3_NATIVE sqledosd_api(char* path, uint32_t w2, uint32_t w3, sqlca* ca) {
    return native("sqledosd_api", {word(path), w2, w3, word(ca)}, 1u << 0, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqledgne_api(uint32_t handle, uint32_t w2, uint32_t w3) {
    return native("sqledgne_api", {handle, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlenops_api(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("sqlenops_api", {w1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlengne_api(uint32_t handle, uint32_t w2, uint32_t w3) {
    return native("sqlengne_api", {handle, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlencls_api(uint32_t handle, uint32_t w2) {
    return native("sqlencls_api", {handle, w2}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlegdsc_api(uint32_t w1, uint32_t w2) {
    return native("sqlegdsc_api", {w1, w2}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlegdcl_api(uint32_t w1) { return native("sqlegdcl_api", {w1}, 0, nullptr); }

// ---- Tablespaces and containers ----

STANDIN_EXPORT int32_t QX3_NATIVE sqlbotsq(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("sqlbotsq", {w1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbftpq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4) {
    return native("sqlbftpq", {w1, w2, w3, w4}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbftsq(uint32_t w1, uint32_t w2, qx3TablespaceRecord* records, uint32_t* count) {
    return native("sqlbftsq", {w1, w2, word(records), word(count)}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbctsq(uint32_t w1) { return native("sqlbctsq", {w1}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlbstpq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4) {
    return native("sqlbstpq", {w1, w2, w3, w4}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbstsq(uint32_t w1, uint32_t w2, qx3TablespaceRecord* record) {
    return native("sqlbstsq", {w1, w2, word(record)}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbmtsq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4, uint32_t w5) {
    return native("sqlbmtsq", {w1, w2, w3, w4, w5}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbtsq(uint32_t w1, uint32_t* count, qx3TablespaceRecord** records) {
    return native("sqlbtsq", {w1, word(count), word(records)}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbotcq(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("sqlbotcq", {w1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbftcq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4) {
    return native("sqlbftcq", {w1, w2, w3, w4}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbctcq(uint32_t w1) { return native("sqlbctcq", {w1}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlbtcq(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4) {
    return native("sqlbtcq", {w1, w2, w3, w4}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlbgtss(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("sqlbgtss", {w1, w2, w3}, 0, nullptr);
}

// Records, after the five argument words, each container name's address as a string word (at most
// eight), so that tests see the names as the native side read them.
STANDIN_EXPORT int32_t QX3_NATIVE sqlbstsc(sqlca* ca, uint32_t w2, uint32_t w3, uint32_t count,
                                           qx3ContainerName* names) {
    std::vector<uint32_t> words{word(ca), w2, w3, count, word(names)};
    uint64_t strings = 0;
    for (uint32_t i = 0; names != nullptr && i < count && i < 8; ++i) {
        strings |= uint64_t{1} << words.size();
        words.push_back(word(names[i].name));
    }
    return native("sqlbstsc", std::move(words), strings, ca);
}
