// Maintenance utilities: runstats, reorg and inspect. The conformance rows run every path; the
// tables below hold what rows cannot: the strings reorg selects by type and version, the inspect
// record map, and runstats' native records and its fault exits.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
#include "support/lists.h"

using namespace qx3test;
using namespace qx3test::conf;

namespace {

// Runstats request with one entry in every list: record 1, column list 2 and entry 3, distribution
// list 4 and entry 5, group list 6, group 7 with its name array 8 and length array 9, index list 10
// and lengths 11.
const std::vector<Rec> kRunstatsRecs = {R(2, 60),        RF(1, 12, 4), RF(2, 0, 8),  RF(1, 16, 4),
                                        RF(4, 0, 12),    RF(1, 20, 4), RF(6, 0, 16), RF(7, 0, 4),
                                        RF(7, 4, 2),     RF(1, 24, 4), RF(1, 28, 2)};

QX3_CONFORMANCE(MaintRows,
    {.name = "sqlgreot", .words = "uuucsss", .native = "sqlureot_api", .args = "7 6 5 4",
     .strings = {S(5, 1), S(6, 2), S(7, 3)}},
    {.name = "qx3gReorg", .words = "vrc", .native = "qx3Reorg", .args = "1 ? 3", .version = 9070000,
     .recs = {R(2, 60)}, .strings = {SF(1, 24, 20), SF(1, 32, 28), SF(1, 40, 36), SF(1, 48, 44), SF(1, 56, 52)},
     .vals = {{F(1, 0), 2}}},
    {.name = "qx3gInspect", .words = "vrc", .native = "qx3Inspect", .args = "1 ? 3", .version = 9000000,
     .recs = {R(2, 104)}, .strings = {SF(1, 0, 32), SF(1, 4, 36), SF(1, 8, 40), SF(1, 12, 24), SF(1, 16, 28)}},
    {.name = "sqlgstat", .words = "uuwwrcrs", .native = "sqlustat_api", .args = "8 z2 7 b3 b4 6",
     .recs = {R(5, 4), R(7, 8)}, .strings = {S(8, 1), Str{F(2, 0), F(1, 0), 2}, Str{F(2, 4), F(1, 2), 2}},
     .vals = {{W(2), 0xABCD0002u}}, .mem = {.errp = "sqlgstat"}},
    {.name = "qx3gRunstats", .words = "vrc", .native = "qx3Runstats", .args = "1 ? 3", .app = App::PassRc,
     .version = 8020000, .recs = kRunstatsRecs,
     .strings = {SF(1, 8, 36, 2), SF(3, 0, 4, 2), SF(5, 0, 4, 2), Str{F(8, 0), F(9, 0), 2},
                 Str{F(10, 0), F(11, 0), 2}},
     .vals = {{F(1, 38), 1, 2}, {F(1, 40), 1, 2}, {F(1, 42), 1, 2}, {F(1, 44), 1, 2}, {F(7, 8), 1, 2}},
     .mem = {.errp = "qx3gRnst", .code = -2009, .refused = 1, .status_rc = true}, .nulls = false,
     .check_exits = {{1, -2032, "qx3gRnst", "piTablename"},
                     {1, -2032, "qx3gRnst", "qx3gColumnData.piColumnName"},
                     {1, -2032, "qx3gRnst", "qx3gColumnDistData.piColumnName"},
                     {1, -2032, "qx3gRnst", "qx3gColumnGrpData.piGroupColumnNames"},
                     {1, -2302, "qx3gRnst"}},
     .cptrs = true});

class Maint : public EntryTest {};
QX3_BACKENDS(Maint);

// ---- qx3gReorg: which strings a type and a version select ----

struct ReorgCase {
    uint32_t type;
    uint32_t version;
    const char* used;  // per string: '1' selected, '.' neither read nor touched
};

TEST_P(Maint, ReorgStringsByTypeAndVersion) {
    const ReorgCase cases[] = {
        {1, 8999999, "111.."}, {2, 9000000, "1111."}, {1, 9069999, "1111."}, {2, 9070000, "11111"},
        {4, 9069999, "11..."}, {8, 9070000, "111.."}, {12, 9069999, "1...."}, {12, 9070000, "11..."},
        {0, 0, "11111"},       {3, 0, "11111"},       {0xFFFFFFFF, 9070000, "11111"},
    };
    for (const ReorgCase& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", version " + std::to_string(c.version));
        standin::reset();
        CallerMemory mem;
        Guarded& rec = mem.add("record", sizeof(qx3gReorgStruct));
        qx3gReorgStruct* g = rec.as<qx3gReorgStruct>();
        g->iReorgType = c.type;
        char* s[5];
        for (int k = 0; k < 5; ++k) {
            s[k] = mem.text("string", std::string(static_cast<size_t>(k + 2), static_cast<char>('a' + k)));
            g->iString[k] = {static_cast<uint32_t>(k + 2), s[k]};
        }
        const auto before = mem.snapshot();
        std::vector<const char*> nuls;
        for (int k = 0; k < 5; ++k)
            if (c.used[k] == '1') nuls.push_back(s[k] + k + 2);
        const auto expect_during = mem.with_nuls(before, nuls);
        bool ok = false;
        std::vector<uint32_t> native_words(10);
        standin::during_call([&](const standin::Call& call) {
            ok = mem.Is(expect_during);
            memcpy(native_words.data(), reinterpret_cast<void*>(uintptr_t{call.words[1]}), 40);
        });
        Status st;
        EXPECT_EQ(call("qx3gReorg", c.version, w(g), w(st.ca())), 0);
        EXPECT_TRUE(ok) << "only the selected strings hold a NUL during the call";
        EXPECT_EQ(native_words[0], c.type);
        for (int k = 0; k < 5; ++k) {
            if (c.used[k] == '1') {
                EXPECT_EQ(native_words[5 + k], w(s[k])) << "string " << k + 1;
            }
        }
        EXPECT_TRUE(mem.Is(before));
    }
}

// ---- qx3gInspect: the record map and the late field ----

TEST_P(Maint, InspectRecordMapByVersion) {
    for (uint32_t version : {8999999u, 9000000u}) {
        SCOPED_TRACE(version);
        standin::reset();
        CallerMemory mem;
        Guarded& rec = mem.add("record", 104);
        for (uint32_t i = 0; i < 104; ++i) rec.data()[i] = static_cast<uint8_t>(0x80 + i);
        memset(rec.data(), 0, 20);  // null strings
        EXPECT_EQ(call("qx3gInspect", version, w(rec.data()), w(Status().ca())), 0);
        const auto c = standin::calls_of("qx3Inspect");
        ASSERT_EQ(c.size(), 1u);
        Bytes expect(92, 0);
        for (uint32_t i = 20; i < 24; ++i) expect[i] = static_cast<uint8_t>(0x80 + i);        // value 1
        for (uint32_t i = 24; i < 82; ++i) expect[i] = static_cast<uint8_t>(0x80 + i + 20);   // values 2 to 21
        if (version >= 9000000u) expect[82] = 0x80 + 102, expect[83] = 0x80 + 103;          // value 22
        EXPECT_TRUE(SameBytes(expect, c[0].record.data(), c[0].record.size()));
    }
}

// ---- qx3gRunstats ----

// A request with two columns, one distribution column, one group of two names and two indexes.
struct RunstatsCall {
    CallerMemory mem;
    qx3gRunstatsStruct* g;
    qx3gColumnData* col[2];
    qx3gColumnDistData* dist;
    qx3gColumnGrpData* grp;
    char** grp_names;
    char** idx;
    RunstatsCall() {
        g = mem.add("record", 60).as<qx3gRunstatsStruct>();
        for (uint32_t i = 0; i < 60; i += 4) {
            const uint32_t v = 0xC0000000u + i;
            memcpy(reinterpret_cast<char*>(g) + i, &v, 4);
        }
        g->piTablename = mem.text("table", "STAFF");
        g->iTablenameLen = 5;
        auto** cl = mem.add("columns", 8).as<qx3gColumnData*>();
        for (int i = 0; i < 2; ++i) {
            col[i] = mem.add("column", 8).as<qx3gColumnData>();
            *col[i] = {mem.text("column name", i ? "SALARY" : "ID"), static_cast<uint16_t>(i ? 6 : 2),
                       static_cast<uint16_t>(0x700 + i)};
            cl[i] = col[i];
        }
        auto** dl = mem.add("distribution", 4).as<qx3gColumnDistData*>();
        dist = dl[0] = mem.add("dist", 12).as<qx3gColumnDistData>();
        *dist = {mem.text("dist name", "DEPT"), 4, 0x801, 0x802, 0x8383};
        auto** gl = mem.add("groups", 4).as<qx3gColumnGrpData*>();
        grp = gl[0] = mem.add("group", 16).as<qx3gColumnGrpData>();
        grp_names = mem.add("group names", 8).as<char*>();
        grp_names[0] = mem.text("g0", "JOB");
        grp_names[1] = mem.text("g1", "YEARS");
        auto* glen = mem.add("group lengths", 4).as<uint16_t>();
        glen[0] = 3, glen[1] = 5;
        *grp = {grp_names, glen, 2, 0x901, 0x902, 0x9393};
        idx = mem.add("indexes", 8).as<char*>();
        idx[0] = mem.text("i0", "IX1");
        idx[1] = mem.text("i1", "IXTWO");
        auto* ilen = mem.add("index lengths", 4).as<uint16_t>();
        ilen[0] = 3, ilen[1] = 5;
        g->piColumnList = cl, g->iColumnCount = 2;
        g->piColumnDistributionList = dl, g->iDistributionCount = 1;
        g->piColumnGroupList = gl, g->iGroupCount = 1;
        g->piIndexList = idx, g->piIndexNamesLen = ilen, g->iIndexCount = 2;
    }
};

TEST_P(Maint, RunstatsNativeRecordsAndNames) {
    for (uint32_t version : {8019999u, 8020000u}) {
        SCOPED_TRACE(version);
        standin::reset();
        RunstatsCall r;
        const auto before = r.mem.snapshot();
        Status st;
        standin::set_result("qx3Runstats", 0x1234);
        EXPECT_EQ(call("qx3gRunstats", version, w(r.g), w(st.ca())), 0x1234);
        const auto c = standin::calls_of("qx3Runstats");
        ASSERT_EQ(c.size(), 1u);
        EXPECT_EQ(c[0].items, (std::vector<std::string>{
                                  "table=STAFF", "column 0 (1792)=ID", "column 1 (1793)=SALARY",
                                  "distribution 0 (2049 2050)=DEPT", "group 0 (2305 2306) 0=JOB",
                                  "group 0 (2305 2306) 1=YEARS", "index 0=IX1", "index 1=IXTWO"}));
        const Bytes& n = c[0].record;
        ASSERT_EQ(n.size(), 64u);
        auto word = [&](size_t off) { uint32_t v; memcpy(&v, &n[off], 4); return v; };
        auto half = [&](size_t off) { uint16_t v; memcpy(&v, &n[off], 2); return v; };
        EXPECT_EQ(word(0), 0xC0000000u);
        EXPECT_EQ(word(4), 0xC0000004u);
        EXPECT_EQ(word(8), w(r.g->piTablename));
        EXPECT_EQ(word(24), w(r.idx));
        EXPECT_EQ(word(28), 0xC0000020u);
        EXPECT_EQ((std::vector<uint16_t>{half(32), half(34), half(36), half(38)}),
                  (std::vector<uint16_t>{2, 1, 1, 2}));
        // Values 4 to 6: the u16s at 46, 48, 50.
        EXPECT_EQ((std::vector<uint16_t>{half(40), half(42), half(44)}), (std::vector<uint16_t>{0xC000, 0x0030, 0xC000}));
        EXPECT_EQ(word(48), version >= 8020000u ? 0xC0000034u : 0u);
        EXPECT_EQ(word(52), version >= 8020000u ? 0xC0000038u : 0u);
        EXPECT_TRUE(SameBytes(Bytes{0, 0, 0, 0, 0, 0, 0x59, 0x40}, &n[56], 8));
        EXPECT_TRUE(r.mem.Is(before));
    }
}

// Counts of 0 or below: the list pointer is not read and the native pointer is null.
TEST_P(Maint, RunstatsEmptyListsAreNotRead) {
    for (int16_t count : {int16_t{0}, int16_t{-1}, int16_t{-32768}}) {
        standin::reset();
        RunstatsCall r;
        r.g->piColumnList = reinterpret_cast<qx3gColumnData**>(uintptr_t{0x10});
        r.g->piColumnDistributionList = reinterpret_cast<qx3gColumnDistData**>(uintptr_t{0x10});
        r.g->piColumnGroupList = reinterpret_cast<qx3gColumnGrpData**>(uintptr_t{0x10});
        r.g->piIndexList = reinterpret_cast<char**>(uintptr_t{0x10});
        r.g->iColumnCount = r.g->iDistributionCount = r.g->iGroupCount = r.g->iIndexCount = count;
        EXPECT_EQ(call("qx3gRunstats", 8020000u, w(r.g), w(Status().ca())), 0);
        const auto c = standin::calls_of("qx3Runstats");
        ASSERT_EQ(c.size(), 1u);
        EXPECT_TRUE(SameBytes(Bytes(16, 0), &c[0].record[12], 16)) << "four null lists";
        EXPECT_EQ(standin::allocations(), 0u);
    }
}

// Each fault: its code, the parameter's name, the status as result, every byte back, nothing called.
struct Fault {
    const char* what;
    void (*spoil)(RunstatsCall&);
    int32_t code;
    const char* name;  // null: sqlerrmc untouched
    int32_t result;
};

TEST_P(Maint, RunstatsFaultExits) {
    static const Fault faults[] = {
        {"null table", [](RunstatsCall& r) { r.g->piTablename = nullptr; }, -2032, "piTablename", 0},
        {"null column list", [](RunstatsCall& r) { r.g->piColumnList = nullptr; }, -2032, "piColumnList", 0},
        {"null second column", [](RunstatsCall& r) { r.g->piColumnList[1] = nullptr; }, -2032, "piColumnList", 0},
        {"unreadable column", [](RunstatsCall& r) { standin::fail_check_exact(r.col[1], 8, 1, 7); }, -2032,
         "qx3gColumnData", 1},
        {"null column name", [](RunstatsCall& r) { r.col[1]->piColumnName = nullptr; }, -2032,
         "qx3gColumnData.piColumnName", 0},
        {"null distribution list", [](RunstatsCall& r) { r.g->piColumnDistributionList = nullptr; }, -2032,
         "piColumnDistributionList", 0},
        {"unreadable distribution", [](RunstatsCall& r) { standin::fail_check_exact(r.dist, 12, 1, 9); }, -2032,
         "qx3gColumnDistData", 1},
        {"null distribution name", [](RunstatsCall& r) { r.dist->piColumnName = nullptr; }, -2032,
         "qx3gColumnDistData.piColumnName", 0},
        {"null group list", [](RunstatsCall& r) { r.g->piColumnGroupList = nullptr; }, -2032, "piColumnGroupList", 0},
        {"unreadable group", [](RunstatsCall& r) { standin::fail_check_exact(r.grp, 16, 1, 5); }, -2032,
         "qx3gColumnGrpData", 1},
        {"null group names", [](RunstatsCall& r) { r.grp->piGroupColumnNames = nullptr; }, -2032,
         "qx3gColumnGrpData.piGroupColumnNames", 0},
        {"null group lengths", [](RunstatsCall& r) { r.grp->piGroupColumnNamesLen = nullptr; }, -2032,
         "qx3gColumnGrpData.piGroupColumnNamesLen", 0},
        {"group size 0", [](RunstatsCall& r) { r.grp->iGroupSize = 0; }, -2032, "qx3gColumnGrpData.iGroupSize", 0},
        {"unreadable group names", [](RunstatsCall& r) { standin::fail_check_exact(r.grp_names, 8, 1, 3); }, -2032,
         "qx3gColumnGrpData.piGroupColumnNames", 1},
        {"unreadable group lengths",
         [](RunstatsCall& r) { standin::fail_check_exact(r.grp->piGroupColumnNamesLen, 4, 1, 4); }, -2032,
         "qx3gColumnGrpData.piGroupColumnNamesLen", 1},
        {"null second group name", [](RunstatsCall& r) { r.grp_names[1] = nullptr; }, -2032,
         "qx3gColumnGrpData.piGroupColumnNames", 0},
        {"null index list", [](RunstatsCall& r) { r.g->piIndexList = nullptr; }, -2302, nullptr, 0},
        {"null index lengths", [](RunstatsCall& r) { r.g->piIndexNamesLen = nullptr; }, -2302, nullptr, 0},
        {"unreadable index list", [](RunstatsCall& r) { standin::fail_check_exact(r.idx, 8, 1, 6); }, -2302, nullptr,
         1},
        {"null second index", [](RunstatsCall& r) { r.idx[1] = nullptr; }, -2302, nullptr, 0},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        standin::reset();
        RunstatsCall r;
        f.spoil(r);
        const auto before = r.mem.snapshot();
        Status st;
        EXPECT_EQ(call("qx3gRunstats", 8020000u, w(r.g), w(st.ca())), f.result);
        EXPECT_TRUE(standin::calls_of("qx3Runstats").empty());
        Bytes expect = st.with(f.code, "qx3gRnst");
        if (f.name != nullptr) {
            const int16_t n = static_cast<int16_t>(strlen(f.name));
            memcpy(&expect[16], &n, 2);
            memcpy(&expect[18], f.name, strlen(f.name) + 1);
        }
        EXPECT_TRUE(SameBytes(expect, st.mem));
        EXPECT_TRUE(r.mem.Is(before));
        EXPECT_TRUE(standin::live_blocks().empty());
    }
}

TEST_P(Maint, RunstatsNullOrUnreadableRecord) {
    Status st;
    EXPECT_EQ(call("qx3gRunstats", 8020000u, 0u, w(st.ca())), 0);
    Bytes expect = st.with(-2032, "qx3gRnst");
    memcpy(&expect[16], "\x04\x00" "data", 7);
    EXPECT_TRUE(SameBytes(expect, st.mem));
    standin::refuse_sqlca(0x55);
    Status refused;
    EXPECT_EQ(call("qx3gRunstats", 8020000u, 0u, w(refused.ca())), 0x55);
    EXPECT_TRUE(refused.untouched());
}

// ---- sqlgstat: an index array that fails its check leaves every name as it stands ----

TEST_P(Maint, StatArrayCheckFailing) {
    for (int failing : {0, 1}) {
        standin::reset();
        CallerMemory mem;
        char* table = mem.text("table", "ORG");
        auto* lens = mem.add("lengths", 2).as<uint16_t>();
        char** names = mem.add("names", 4).as<char*>();
        names[0] = mem.text("name", "IDX");
        lens[0] = 3;
        const auto before = mem.snapshot();
        standin::checks_active(true);
        if (failing == 0) standin::fail_check_exact(lens, 2, standin::mode_bit(1));
        else standin::fail_check_exact(names, 4, standin::mode_bit(3));
        EXPECT_EQ(call("sqlgstat", 3u, 1u, 0u, 0u, w(lens), w(Status().ca()), w(names), w(table)), 0);
        const auto c = standin::calls_of("sqlustat_api");
        ASSERT_EQ(c.size(), 1u);
        EXPECT_EQ(standin::show(c[0].strings[0]), "ORG");
        EXPECT_EQ(c[0].items, std::vector<std::string>{"index 0=IDX~<no NUL>"});
        EXPECT_TRUE(mem.Is(before));
        EXPECT_EQ(standin::allocations(), 0u);
    }
}

}  // namespace
