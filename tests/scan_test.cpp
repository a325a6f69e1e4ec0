// Directory and tablespace scans: what the native side saw, what the caller's memory holds
// afterwards, and the scans' own exits.
#include <string.h>

#include <functional>
#include <sstream>

#include "natives/scan_directory.h"
#include "qx3agapi_scan.h"
#include "support/conformance.h"
#include "support/harness.h"

using namespace qx3test;
using namespace qx3test::conf;

namespace {

class ScanTest : public EntryTest {
public:
    using EntryTest::call;
};

const size_t kRecord = sizeof(qx3TablespaceRecord);
const size_t kText = offsetof(qx3TablespaceRecord, text6);
const size_t kName = sizeof(qx3ContainerName);
sqlca* const kNoSqlca = nullptr;

void* const kNoRecord = nullptr;

// Everything the library did besides the native call, by name.
std::vector<std::string> names_of_calls() {
    std::vector<std::string> out;
    for (const standin::Call& c : standin::calls()) out.push_back(c.name);
    return out;
}

}  // namespace

// ---- Members that only forward ----------------------------------------------------------------

// Transcribed from the interface description: the native call as written there. The results the
// engine sets are nonzero, so the fetches that pad only after a success leave their words alone.
QX3_CONFORMANCE(ScanForwarders,
    {.name = "sqlgdgne", .words = "uww", .native = "sqledgne_api", .args = "z1 2 3", .app = App::None},
    {.name = "sqlgnops", .words = "www", .native = "sqlenops_api", .args = "1 2 3", .app = App::None},
    {.name = "sqlgngne", .words = "uww", .native = "sqlengne_api", .args = "z1 2 3", .app = App::None},
    {.name = "sqlgncls", .words = "uw", .native = "sqlencls_api", .args = "z1 2", .app = App::None},
    {.name = "sqlggdsc", .words = "ww", .native = "sqlegdsc_api", .args = "2 1", .app = App::None},
    {.name = "sqlggdcl", .words = "w", .native = "sqlegdcl_api", .args = "1", .app = App::None},
    {.name = "sqlgotsq", .words = "www", .native = "sqlbotsq", .args = "1 2 3", .app = App::None},
    {.name = "sqlgftpq", .words = "wwww", .native = "sqlbftpq", .args = "1 2 3 4", .app = App::None},
    {.name = "sqlgftsq", .words = "wwww", .native = "sqlbftsq", .args = "1 2 3 4", .app = App::None},
    {.name = "sqlgctsq", .words = "w", .native = "sqlbctsq", .args = "1", .app = App::None},
    {.name = "sqlgstpq", .words = "wwww", .native = "sqlbstpq", .args = "1 2 3 4", .app = App::None},
    {.name = "sqlgstsq", .words = "www", .native = "sqlbstsq", .args = "1 2 3", .app = App::None},
    {.name = "sqlgmtsq", .words = "wwwww", .native = "sqlbmtsq", .args = "1 2 3 4 5", .app = App::None},
    {.name = "sqlgtsq", .words = "www", .native = "sqlbtsq", .args = "1 2 3", .app = App::None},
    {.name = "sqlgotcq", .words = "www", .native = "sqlbotcq", .args = "1 2 3", .app = App::None},
    {.name = "sqlgftcq", .words = "wwww", .native = "sqlbftcq", .args = "1 2 3 4", .app = App::None},
    {.name = "sqlgctcq", .words = "w", .native = "sqlbctcq", .args = "1", .app = App::None},
    {.name = "sqlgtcq", .words = "wwww", .native = "sqlbtcq", .args = "1 2 3 4", .app = App::None},
    {.name = "sqlggtss", .words = "www", .native = "sqlbgtss", .args = "1 2 3", .app = App::None},
    {.name = "sqlgdosd", .words = "ucwws", .native = "sqledosd_api", .args = "5 4 3 2", .strings = {S(5, 1)}},
    // The legacy close goes to the versioned native close with the version 8020000.
    {.name = "sqlgdcls", .words = "uc", .native = "qx3DbDirCloseScan", .args = "#8020000 ? 2 ?",
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

// ---- Versioned database-directory scans ----------------------------------------------------------

class VersionedScan : public ScanTest {
protected:
    // Opens a scan of the stand-in's directory through the library; returns its handle.
    uint16_t open_scan() {
        Guarded path(3);
        path.set(0, "C:x");
        qx3gDbDirOpenScanRec parm{2, path.chars(), 0, 0};
        sqlca ca;
        EXPECT_EQ(call("qx3gDbDirOpenScan", 8020000u, &parm, &ca), 0);
        EXPECT_EQ(parm.oValue2, standin::kDirEntryCount);
        return parm.oValue1;
    }
};

TEST_P(VersionedScan, MissingStatusOrRecordEndsTheCallFirst) {
    struct Row {
        const char* entry;
        const char* errp8;
    } rows[] = {
        {"qx3gDbDirOpenScan", "SQLGDOSD"},
        {"qx3gDbDirGetNextEntry", "SQLGDGNE"},
        {"qx3gDbDirCloseScan", "SQLGDCLS"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entry);
        standin::reset();
        Status st;
        Guarded parm(12);
        const Bytes parm_before = parm.bytes();
        standin::fail_app_data(1);  // the checks come before the step: it is never asked

        EXPECT_EQ(call(row.entry, 1u, kNoRecord, kNoSqlca), -1);
        EXPECT_EQ(call(row.entry, 1u, parm.data(), kNoSqlca), -1);
        EXPECT_TRUE(standin::calls().empty()) << "no sqlca: nothing at all happens";
        EXPECT_TRUE(SameBytes(parm_before, parm));

        EXPECT_EQ(call(row.entry, 1u, kNoRecord, st.ca()), -1078);
        EXPECT_TRUE(SameBytes(st.with(-1078, row.errp8), st.mem));
        EXPECT_EQ(names_of_calls(), std::vector<std::string>{"sqlofica"});
        for (const standin::Call& c : calls("sqlofica")) EXPECT_EQ(c.words[0], w(st.ca()));
    }
    // The legacy close has no record to miss; without a status record it too returns -1 at once.
    standin::reset();
    EXPECT_EQ(call("sqlgdcls", 1u, kNoSqlca), -1);
    EXPECT_TRUE(standin::calls().empty());
}

TEST_P(VersionedScan, OpenTerminatesAThirtyTwoBitLengthAndCopiesBothWordsBack) {
    // A length above 65535: a length cut to 16 bits would put the NUL at p[3].
    const uint32_t n = 0x10003;
    Guarded path(n + 1);
    const Bytes path_before = path.bytes();
    Guarded parm(sizeof(qx3gDbDirOpenScanRec));
    auto* p = parm.as<qx3gDbDirOpenScanRec>();
    p->iStringLen = n;
    p->piString = path.chars();
    Status st;
    const Bytes parm_before = parm.bytes();
    standin::checks_active(true);
    Bytes native_rec, path_during;
    standin::during_call([&](const standin::Call& c) {
        const uint8_t* r = reinterpret_cast<const uint8_t*>(uintptr_t{c.words[1]});
        native_rec.assign(r, r + sizeof(qx3DbDirOpenScanRec));
        path_during = path.bytes();
    });

    EXPECT_EQ(call("qx3gDbDirOpenScan", 0xFEDC1234u, parm.data(), st.ca()), 0);
    auto seen = calls("qx3DbDirOpenScan");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].words[0], 0xFEDC1234u) << "the version goes on unchanged";
    EXPECT_EQ(seen[0].words[2], w(st.ca()));
    EXPECT_EQ(seen[0].words[3], w(path.chars())) << "the native record carries the caller's string";
    ASSERT_EQ(native_rec.size(), 8u);
    EXPECT_EQ(memcmp(native_rec.data(), &p->piString, 4), 0) << "piString at offset 0 of the native record";
    Bytes expect_during = path_before;
    expect_during[n] = 0;
    EXPECT_TRUE(SameBytes(expect_during, path_during.data(), path_during.size()));
    ASSERT_EQ(standin::checks().size(), 1u);
    EXPECT_EQ(standin::checks()[0].length, n + 1);
    EXPECT_EQ(standin::checks()[0].mode, 3u);

    EXPECT_TRUE(SameBytes(path_before, path));
    Bytes expect_parm = parm_before;
    const uint16_t handle = p->oValue1, count = standin::kDirEntryCount;
    EXPECT_NE(handle, 0);
    memcpy(expect_parm.data() + 8, &handle, 2);
    memcpy(expect_parm.data() + 10, &count, 2);
    EXPECT_TRUE(SameBytes(expect_parm, parm)) << "oValue1 and oValue2, nothing else";
}

TEST_P(VersionedScan, NextEntryHandsTheHandleOnAndTheEntryBack) {
    const uint16_t handle = open_scan();
    standin::reset();
    Guarded parm(sizeof(qx3DbDirNextEntryRec));
    parm.as<qx3DbDirNextEntryRec>()->iHandle = handle;
    Status st;
    const Bytes before = parm.bytes();
    EXPECT_EQ(call("qx3gDbDirGetNextEntry", 0x00ABCDEFu, parm.data(), st.ca()), 0);
    auto seen = calls("qx3DbDirGetNextEntry");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].words[0], 0x00ABCDEFu);
    EXPECT_EQ(seen[0].words[2], w(st.ca()));
    EXPECT_EQ(seen[0].words[3], handle) << "the native record's iHandle";
    const auto* entry = static_cast<const standin::DirEntry*>(parm.as<qx3DbDirNextEntryRec>()->poEntry);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(entry->alias, 8), "SAMPLE  ");
    Bytes expect = before;
    memcpy(expect.data() + 4, &entry, 4);
    EXPECT_TRUE(SameBytes(expect, parm)) << "poEntry alone changes";

    // A failing step (here: the native wrote an address and then failed) leaves poEntry alone.
    standin::set_result("qx3DbDirGetNextEntry", 1014);
    standin::during_call([](const standin::Call& c) {
        reinterpret_cast<qx3DbDirNextEntryRec*>(uintptr_t{c.words[1]})->poEntry = reinterpret_cast<void*>(0x5150);
    });
    const Bytes after_first = parm.bytes();
    EXPECT_EQ(call("qx3gDbDirGetNextEntry", 1u, parm.data(), st.ca()), 1014);
    EXPECT_TRUE(SameBytes(after_first, parm));
    standin::during_call(nullptr);
    standin::set_result("qx3DbDirGetNextEntry", 0);
    qx3DbDirCloseScanRec close{handle};
    EXPECT_EQ(call("qx3gDbDirCloseScan", 1u, &close, st.ca()), 0);
}

TEST_P(VersionedScan, ClosesHandTheHandleOnAtTheirVersion) {
    struct Row {
        const char* what;
        bool legacy;
        uint32_t version;  // what the caller passes (the legacy close has none)
        uint32_t expect_version;
    } rows[] = {
        {"versioned close passes its version", false, 0x12345678u, 0x12345678u},
        {"legacy close always speaks 8020000", true, 0, 8020000u},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        standin::reset();
        const uint16_t handle = open_scan();
        standin::reset();
        Status st;
        Guarded rec(sizeof(qx3DbDirCloseScanRec));
        rec.as<qx3DbDirCloseScanRec>()->iHandle = handle;
        const Bytes rec_before = rec.bytes();
        // The legacy close's handle word carries junk in its high half.
        const int32_t rc = row.legacy ? call("sqlgdcls", 0xBEEF0000u | handle, st.ca())
                                      : call("qx3gDbDirCloseScan", row.version, rec.data(), st.ca());
        EXPECT_EQ(rc, 0);
        auto seen = calls("qx3DbDirCloseScan");
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].words[0], row.expect_version);
        EXPECT_EQ(seen[0].words[2], w(st.ca()));
        EXPECT_EQ(seen[0].words[3], handle);
        EXPECT_TRUE(SameBytes(rec_before, rec));
        // Closed: a second close is the native call's failure, returned as it is.
        const int32_t again = row.legacy ? call("sqlgdcls", uint32_t{handle}, st.ca())
                                         : call("qx3gDbDirCloseScan", row.version, rec.data(), st.ca());
        EXPECT_EQ(again, standin::kScanUnknown);
        EXPECT_EQ(st.ca()->sqlcode, standin::kScanUnknown);
    }
}

QX3_BACKENDS(VersionedScan);

// ---- Tablespace fetches that pad -----------------------------------------------------------------

class Padding : public ScanTest {
protected:
    // Calls one of the three padding fetches on `count` records at `recs`, the native call
    // returning `rc`; the native call writes the count (and, for sqlgtsq, the records' address).
    int32_t fetch(const std::string& entry, Guarded& recs, uint32_t count, int32_t rc) {
        Guarded words(8);  // a count word and an address word, as the caller owns them
        auto* count_word = words.as<uint32_t>();
        auto* address_word = words.as<qx3TablespaceRecord*>() + 1;
        const std::string native = entry == "sqlgftsq" ? "sqlbftsq" : entry == "sqlgstsq" ? "sqlbstsq" : "sqlbtsq";
        standin::set_result(native, rc);
        standin::during_call([&](const standin::Call&) {
            *count_word = count;
            *address_word = recs.as<qx3TablespaceRecord>();
        });
        int32_t result = 0;
        std::vector<uint32_t> expect;
        if (entry == "sqlgftsq") {
            result = call("sqlgftsq", 0xF1F1F1F1u, 0xF2F2F2F2u, recs.data(), count_word);
            expect = {0xF1F1F1F1u, 0xF2F2F2F2u, w(recs.data()), w(count_word)};
        } else if (entry == "sqlgstsq") {
            result = call("sqlgstsq", 0xF1F1F1F1u, 0xF2F2F2F2u, recs.data());
            expect = {0xF1F1F1F1u, 0xF2F2F2F2u, w(recs.data())};
        } else {
            result = call("sqlgtsq", 0xF1F1F1F1u, count_word, address_word);
            expect = {0xF1F1F1F1u, w(count_word), w(address_word)};
        }
        auto seen = calls(native);
        EXPECT_EQ(seen.size(), 1u);
        if (!seen.empty()) {
            EXPECT_EQ(seen[0].words, expect);
        }
        standin::during_call(nullptr);
        return result;
    }
};

TEST_P(Padding, FetchedTextsBecomeBlankPaddedFields) {
    // Five records' texts; what each becomes when padded.
    const std::string texts[5] = {std::string("AB\0xyz", 6), "ABCDEF", std::string("\0QRSTU", 6),
                                  std::string("ABCDE\0", 6), std::string("A\0B\0C\0", 6)};
    const std::string padded[5] = {"AB    ", "ABCDEF", "      ", "ABCDE ", "A     "};
    struct Row {
        const char* what;
        const char* entry;
        uint32_t count;  // records the native call says it fetched (sqlgstsq: always one)
        int32_t rc;
        bool checks;
        int refused;           // record whose text fails its write check, -1 none
        unsigned refused_modes;
        unsigned padded_records;
    } rows[] = {
        {"sqlgftsq pads the fetched records", "sqlgftsq", 5, 0, false, -1, 0, 5},
        {"sqlgftsq pads no more than fetched", "sqlgftsq", 2, 0, false, -1, 0, 2},
        {"sqlgftsq with none fetched", "sqlgftsq", 0, 0, false, -1, 0, 0},
        {"sqlgftsq after a failure", "sqlgftsq", 5, 20, false, -1, 0, 0},
        {"sqlgftsq skips a refused text", "sqlgftsq", 5, 0, true, 2, standin::mode_bit(2), 5},
        {"sqlgftsq: only the write check counts", "sqlgftsq", 5, 0, true, 2,
         standin::mode_bit(1) | standin::mode_bit(3), 5},
        {"sqlgtsq pads the records it points at", "sqlgtsq", 5, 0, false, -1, 0, 5},
        {"sqlgtsq pads no more than counted", "sqlgtsq", 3, 0, true, -1, 0, 3},
        {"sqlgtsq after a failure", "sqlgtsq", 5, -2, false, -1, 0, 0},
        {"sqlgtsq skips a refused text", "sqlgtsq", 5, 0, true, 0, standin::mode_bit(2), 5},
        {"sqlgstsq pads its one record", "sqlgstsq", 5, 0, true, -1, 0, 1},
        {"sqlgstsq after a failure", "sqlgstsq", 5, 1, false, -1, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        standin::reset();
        Guarded recs(5 * kRecord);
        for (size_t i = 0; i < 5; ++i) recs.set(i * kRecord + kText, texts[i]);
        Bytes expect = recs.bytes();
        for (size_t i = 0; i < row.padded_records; ++i)
            if (static_cast<int>(i) != row.refused || row.refused_modes != standin::mode_bit(2))
                memcpy(expect.data() + i * kRecord + kText, padded[i].data(), 6);
        standin::checks_active(row.checks);
        if (row.refused >= 0) standin::fail_checks(recs.data() + row.refused * kRecord + kText, 6, row.refused_modes);

        EXPECT_EQ(fetch(row.entry, recs, row.count, row.rc), row.rc);
        EXPECT_TRUE(SameBytes(expect, recs));
        // One write check per record looked at, over its text alone.
        const auto& checks = standin::checks();
        ASSERT_EQ(checks.size(), row.checks ? row.padded_records : 0u);
        for (size_t i = 0; i < checks.size(); ++i) {
            EXPECT_EQ(checks[i].p, reinterpret_cast<uintptr_t>(recs.data() + i * kRecord + kText));
            EXPECT_EQ(checks[i].length, 6u);
            EXPECT_EQ(checks[i].mode, 2u);
        }
        EXPECT_EQ(standin::allocations(), 0u);
        EXPECT_TRUE(calls("sqlo_create_init_app_data").empty()) << "not framed";
    }
}

QX3_BACKENDS(Padding);

// ---- sqlgstsc --------------------------------------------------------------------------------------

class Containers : public ScanTest {
protected:
    // Three container names; the last one fills its record to the guard page.
    static constexpr uint32_t kLens[3] = {5, 0, 275};
    Guarded names{3 * kName};
    qx3ContainerName* rec(size_t i) { return names.as<qx3ContainerName>() + i; }
    void SetUp() override {
        ScanTest::SetUp();
        for (size_t i = 0; i < 3; ++i) rec(i)->nameLen = kLens[i];
    }
};

TEST_P(Containers, NoNamesMeansNoCall) {
    Status st;
    const Bytes before = names.bytes();
    EXPECT_EQ(call("sqlgstsc", st.ca(), 2u, 3u, 0u, names.data()), 0);
    EXPECT_EQ(names_of_calls(), std::vector<std::string>{"sqlo_create_init_app_data"});
    EXPECT_TRUE(SameBytes(st.before, st.mem));
    EXPECT_TRUE(SameBytes(before, names));
}

QX3_BACKENDS(Containers);
