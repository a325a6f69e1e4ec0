// Directory and tablespace scans: what the native side saw, what the caller's memory holds
// afterwards, and the scans' own exits.
#include <string.h>

#include "natives/scan_directory.h"
#include "qx3agapi_scan.h"
#include "support/conformance.h"
#include "support/harness.h"

using namespace qx3test;
using namespace qx3test::conf;

class ScanTest : public EntryTest {};

const size_t kRecord = sizeof(qx3TablespaceRecord);
const size_t kText = offsetof(qx3TablespaceRecord, text6);

// ---- Members that only forward ----------------------------------------------------------------

// Transcribed from the interface description: the native call as written there. The results the
// engine sets are nonzero, so the fetches that pad only after a success leave their words alone.
#define F0(n, w, nat, a) {.name = n, .words = w, .native = nat, .args = a, .app = App::None}
QX3_CONFORMANCE(ScanForwarders,
    F0("sqlgdgne", "uww", "sqledgne_api", "z1 2 3"), F0("sqlgnops", "www", "sqlenops_api", "1 2 3"),
    F0("sqlgngne", "uww", "sqlengne_api", "z1 2 3"), F0("sqlgncls", "uw", "sqlencls_api", "z1 2"),
    F0("sqlggdsc", "ww", "sqlegdsc_api", "2 1"), F0("sqlggdcl", "w", "sqlegdcl_api", "1"),
    F0("sqlgotsq", "www", "sqlbotsq", "1 2 3"), F0("sqlgftpq", "wwww", "sqlbftpq", "1 2 3 4"),
    F0("sqlgftsq", "wwww", "sqlbftsq", "1 2 3 4"), F0("sqlgctsq", "w", "sqlbctsq", "1"),
    F0("sqlgstpq", "wwww", "sqlbstpq", "1 2 3 4"), F0("sqlgstsq", "www", "sqlbstsq", "1 2 3"),
    F0("sqlgmtsq", "wwwww", "sqlbmtsq", "1 2 3 4 5"), F0("sqlgtsq", "www", "sqlbtsq", "1 2 3"),
    F0("sqlgotcq", "www", "sqlbotcq", "1 2 3"), F0("sqlgftcq", "wwww", "sqlbftcq", "1 2 3 4"),
    F0("sqlgctcq", "w", "sqlbctcq", "1"), F0("sqlgtcq", "wwww", "sqlbtcq", "1 2 3 4"),
    F0("sqlggtss", "www", "sqlbgtss", "1 2 3"),
    {.name = "sqlgdosd", .words = "ucwws", .native = "sqledosd_api", .args = "5 4 3 2", .strings = {S(5, 1)}},
    // The legacy close goes to the versioned native close with the version 8020000, the low half of
    // its handle word in the native record.
    {.name = "sqlgdcls", .words = "uc", .native = "qx3DbDirCloseScan", .args = "#8020000 ? 2 z1",
     .app = App::Named, .app_name = "SQLGDCLS"},
    // The versioned scans: the native record is the library's own; outputs come back on success.
    // (The stand-in records the record's string or handle as a word of its own, after the three.)
    {.name = "qx3gDbDirOpenScan", .words = "vrc", .native = "qx3DbDirOpenScan", .args = "1 ? 3 ?",
     .app = App::Named, .app_name = "SQLGDOSD", .version = 8020000, .recs = {R(2, 12)},
     .strings = {SF(1, 4, 0)}, .outs = {{F(1, 8), 4}}},
    {.name = "qx3gDbDirGetNextEntry", .words = "vrc", .native = "qx3DbDirGetNextEntry", .args = "1 ? 3 ?",
     .app = App::Named, .app_name = "SQLGDGNE", .version = 8020000, .recs = {R(2, 8)}, .outs = {{F(1, 4), 4}}},
    {.name = "qx3gDbDirCloseScan", .words = "vrc", .native = "qx3DbDirCloseScan", .args = "1 ? 3 ?",
     .app = App::Named, .app_name = "SQLGDCLS", .version = 8020000, .recs = {R(2, 2)}},
    // Container names: two 292-byte records, each with an inline name behind its u32 length; one
    // slot array; a memory failure returns the service's own code.
    {.name = "sqlgstsc", .words = "cwwwr", .native = "sqlbstsc", .args = "1 2 3 4 5 ? ?", .recs = {R(5, 584)},
     .strings = {SI(1, 16, 12), SI(1, 308, 304)}, .vals = {{W(4), 2}}, .mem = {.service_rc = true}});
#undef F0

// ---- Exits and outputs of the versioned directory scans ---------------------------------------

// Exits taken before the native call: no status record, -1 and nothing at all happens (the checks
// come before the application-data step, which would fail); no record, -1078 under the call's own
// name; no container names, 0 and no native call.
TEST_P(ScanTest, ExitsBeforeTheNativeCall) {
    const struct {
        const char* entry;
        bool ca, record;
        int32_t rc;
        const char* errp;
        std::vector<std::string> services;
    } rows[] = {
        {"qx3gDbDirOpenScan", false, true, -1, nullptr, {}},
        {"qx3gDbDirOpenScan", true, false, -1078, "SQLGDOSD", {"sqlofica"}},
        {"qx3gDbDirGetNextEntry", false, true, -1, nullptr, {}},
        {"qx3gDbDirGetNextEntry", true, false, -1078, "SQLGDGNE", {"sqlofica"}},
        {"qx3gDbDirCloseScan", false, true, -1, nullptr, {}},
        {"qx3gDbDirCloseScan", true, false, -1078, "SQLGDCLS", {"sqlofica"}},
        {"sqlgdcls", false, true, -1, nullptr, {}},
        {"sqlgstsc", true, true, 0, nullptr, {"sqlo_create_init_app_data"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.entry << " " << r.ca << r.record);
        standin::reset();
        Status st;
        Guarded rec(3 * sizeof(qx3ContainerName));
        const Bytes before = rec.bytes();
        sqlca* ca = r.ca ? st.ca() : nullptr;
        void* p = r.record ? rec.data() : nullptr;
        if (!r.ca) standin::fail_app_data(1);
        const std::string e = r.entry;
        EXPECT_EQ(e == "sqlgdcls" ? call("sqlgdcls", 1u, ca) : e == "sqlgstsc" ? call("sqlgstsc", ca, 2u, 3u, 0u, p)
                                                                                : call(r.entry, 1u, p, ca),
                  r.rc);
        std::vector<std::string> seen;
        for (const standin::Call& c : standin::calls()) seen.push_back(c.name);
        EXPECT_EQ(seen, r.services);
        EXPECT_TRUE(SameBytes(before, rec));
        EXPECT_TRUE(SameBytes(r.errp ? st.with(r.rc, r.errp) : st.before, st.mem));
    }
}

// Open: a length above 65535 (cut to 16 bits the NUL would land at p[3]), both output words back.
// Next entry: the handle goes on, the entry comes back; a failing step leaves poEntry as it was.
TEST_P(ScanTest, OpenAndNextEntryHandTheirWordsOnAndBack) {
    const uint32_t n = 0x10003;
    Guarded path(n + 1), open(sizeof(qx3gDbDirOpenScanRec)), next(sizeof(qx3DbDirNextEntryRec));
    *open.as<qx3gDbDirOpenScanRec>() = {n, path.chars(), 0, 0};
    Status st;
    const Bytes path_before = path.bytes();
    Bytes expect = open.bytes(), path_during;
    standin::during_call([&](const standin::Call&) { path_during = path.bytes(); });
    EXPECT_EQ(call("qx3gDbDirOpenScan", 0xFEDC1234u, open.data(), st.ca()), 0);
    EXPECT_TRUE(SameBytes(path_before, path));
    EXPECT_EQ(path_during.at(n), 0);
    path_during[n] = path_before[n];
    EXPECT_TRUE(SameBytes(path_before, path_during.data(), path_during.size())) << "one NUL, at p[n]";
    const uint16_t handle = open.as<qx3gDbDirOpenScanRec>()->oValue1;
    const uint32_t both = handle | uint32_t{standin::kDirEntryCount} << 16;
    EXPECT_NE(handle, 0);
    memcpy(expect.data() + 8, &both, 4);
    EXPECT_TRUE(SameBytes(expect, open)) << "oValue1 and oValue2, nothing else";

    standin::reset();
    next.as<qx3DbDirNextEntryRec>()->iHandle = handle;
    expect = next.bytes();
    EXPECT_EQ(call("qx3gDbDirGetNextEntry", 0x00ABCDEFu, next.data(), st.ca()), 0);
    ASSERT_EQ(calls("qx3DbDirGetNextEntry").size(), 1u);
    EXPECT_EQ(calls("qx3DbDirGetNextEntry")[0].words[3], handle) << "the native record's iHandle";
    const auto* entry = static_cast<const standin::DirEntry*>(next.as<qx3DbDirNextEntryRec>()->poEntry);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(entry->alias, 8), "SAMPLE  ");
    memcpy(expect.data() + 4, &entry, 4);
    EXPECT_TRUE(SameBytes(expect, next)) << "poEntry alone changes";
    standin::set_result("qx3DbDirGetNextEntry", 1014);
    standin::during_call([](const standin::Call& c) {
        reinterpret_cast<qx3DbDirNextEntryRec*>(uintptr_t{c.words[1]})->poEntry = reinterpret_cast<void*>(0x5150);
    });
    EXPECT_EQ(call("qx3gDbDirGetNextEntry", 1u, next.data(), st.ca()), 1014);
    EXPECT_TRUE(SameBytes(expect, next));
}

// ---- Tablespace fetches that pad -----------------------------------------------------------------

// The native call writes the count (and, for sqlgtsq, the records' address) into words the caller
// owns; the fetch then hands the text of each record it names to the one padding rule, whose edges
// (no NUL, NUL first or last, a failing write check) the configuration gets cover token by token.
TEST_P(ScanTest, FetchedTextsBecomeBlankPaddedFields) {
    struct Row {
        const char* entry;
        uint32_t count;  // records the native call says it fetched (sqlgstsq: always one)
        int32_t rc;
        unsigned padded_records;
    } rows[] = {
        {"sqlgftsq", 0, 0, 0}, {"sqlgftsq", 5, 20, 0}, {"sqlgftsq", 5, 0, 5},
        {"sqlgtsq", 3, 0, 3},  {"sqlgtsq", 5, -2, 0},
        {"sqlgstsq", 5, 0, 1}, {"sqlgstsq", 5, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.entry << " count " << row.count << " rc " << row.rc);
        standin::reset();
        Guarded recs(5 * kRecord), words(8);
        for (size_t i = 0; i < 5; ++i) recs.set(i * kRecord + kText, std::string("AB\0xyz", 6));
        Bytes expect = recs.bytes();
        for (size_t i = 0; i < row.padded_records; ++i) memcpy(expect.data() + i * kRecord + kText, "AB    ", 6);
        auto* count_word = words.as<uint32_t>();
        auto* address_word = words.as<qx3TablespaceRecord*>() + 1;
        const std::string e = row.entry, native = "sqlb" + e.substr(4);
        standin::set_result(native, row.rc);
        standin::during_call([&](const standin::Call&) {
            *count_word = row.count;
            *address_word = recs.as<qx3TablespaceRecord>();
        });
        EXPECT_EQ(e == "sqlgftsq"   ? call("sqlgftsq", 1u, 2u, recs.data(), count_word)
                  : e == "sqlgstsq" ? call("sqlgstsq", 1u, 2u, recs.data())
                                    : call("sqlgtsq", 1u, count_word, address_word),
                  row.rc);
        EXPECT_TRUE(SameBytes(expect, recs));
    }
}

QX3_BACKENDS(ScanTest);
