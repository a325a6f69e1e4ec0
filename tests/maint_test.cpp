// Maintenance utilities: runstats, reorg and inspect. The conformance rows run every path; the
// tables below hold what rows cannot: the strings reorg selects by type and version, the inspect
// record map, and runstats' native records and its fault exits.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"

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

TEST_P(Maint, ReorgStringsByTypeAndVersion) {
    const struct {
        uint32_t type, version;
        const char* used;  // per string: '1' selected, '.' neither read nor touched
    } cases[] = {
        {1, 8999999, "111.."}, {2, 9000000, "1111."}, {1, 9069999, "1111."}, {2, 9070000, "11111"},
        {4, 9069999, "11..."}, {8, 9070000, "111.."}, {12, 9069999, "1...."}, {12, 9070000, "11..."},
        {0, 0, "11111"},       {3, 0, "11111"},       {0xFFFFFFFF, 9070000, "11111"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", version " + std::to_string(c.version));
        standin::reset();
        CallerMemory mem;
        qx3gReorgStruct* g = mem.add("record", sizeof(qx3gReorgStruct)).as<qx3gReorgStruct>();
        g->iReorgType = c.type;
        std::vector<const char*> nuls;
        for (int k = 0; k < 5; ++k) {
            char* s = mem.text("string", std::string(static_cast<size_t>(k + 2), static_cast<char>('a' + k)));
            g->iString[k] = {static_cast<uint32_t>(k + 2), s};
            if (c.used[k] == '1') nuls.push_back(s + k + 2);
        }
        const auto before = mem.snapshot(), expect_during = mem.with_nuls(before, nuls);
        bool ok = false;
        standin::during_call([&](const standin::Call&) { ok = mem.Is(expect_during); });
        EXPECT_EQ(call("qx3gReorg", c.version, w(g), w(Status().ca())), 0);
        EXPECT_TRUE(ok) << "only the selected strings hold a NUL during the call";
        const Bytes native = calls("qx3Reorg").at(0).record;
        ASSERT_EQ(native.size(), 40u);
        // The native record: the type and the caller's four words, then the selected strings' pointers.
        EXPECT_TRUE(SameBytes(Bytes(before[0].begin(), before[0].begin() + 20), native.data(), 20));
        for (int k = 0; k < 5; ++k)
            EXPECT_TRUE(c.used[k] != '1' || memcmp(&native[20 + 4 * k], &g->iString[k].piString, 4) == 0) << "pointer " << k;
        EXPECT_TRUE(mem.Is(before));
    }
}

// ---- qx3gInspect: the record map and the late field ----

TEST_P(Maint, InspectRecordMapByVersion) {
    for (uint32_t version : {8999999u, 9000000u}) {
        SCOPED_TRACE(version);
        standin::reset();
        Guarded rec(104);
        for (uint32_t i = 0; i < 104; ++i) rec.data()[i] = static_cast<uint8_t>(i < 20 ? 0 : 0x80 + i);  // null strings
        EXPECT_EQ(call("qx3gInspect", version, w(rec.data()), w(Status().ca())), 0);
        const auto c = standin::calls_of("qx3Inspect");
        Bytes expect(92, 0);
        for (uint32_t i = 20; i < 24; ++i) expect[i] = static_cast<uint8_t>(0x80 + i);        // value 1
        for (uint32_t i = 24; i < 82; ++i) expect[i] = static_cast<uint8_t>(0x80 + i + 20);   // values 2 to 21
        if (version >= 9000000u) expect[82] = 0x80 + 102, expect[83] = 0x80 + 103;          // value 22
        ASSERT_EQ(c.size(), 1u);
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
    char **grp_names, **idx;
    template <class T> T* add(const char* name, size_t size) { return mem.add(name, size).as<T>(); }
    // Two names, each in a buffer of its own, in an array of pointers, their lengths in another.
    char** pair(const char* what, const char* a, const char* b, uint16_t** lens) {
        char** names = add<char*>(what, 8);
        names[0] = mem.text(what, a), names[1] = mem.text(what, b);
        *lens = add<uint16_t>(what, 4);
        (*lens)[0] = static_cast<uint16_t>(strlen(a)), (*lens)[1] = static_cast<uint16_t>(strlen(b));
        return names;
    }
    RunstatsCall() {
        g = add<qx3gRunstatsStruct>("record", 60);
        for (uint32_t i = 0; i < 60; i += 4) *reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(g) + i) = 0xC0000000u + i;
        g->piTablename = mem.text("table", "STAFF"), g->iTablenameLen = 5;
        auto** cl = add<qx3gColumnData*>("columns", 8);
        for (int i = 0; i < 2; ++i) {
            cl[i] = col[i] = add<qx3gColumnData>("column", 8);
            *col[i] = {mem.text("column name", i ? "SALARY" : "ID"), static_cast<uint16_t>(i ? 6 : 2),
                       static_cast<uint16_t>(0x700 + i)};
        }
        auto** dl = add<qx3gColumnDistData*>("distribution", 4);
        dist = dl[0] = add<qx3gColumnDistData>("dist", 12);
        *dist = {mem.text("dist name", "DEPT"), 4, 0x801, 0x802, 0x8383};
        auto** gl = add<qx3gColumnGrpData*>("groups", 4);
        grp = gl[0] = add<qx3gColumnGrpData>("group", 16);
        uint16_t* glen;
        grp_names = pair("group names", "JOB", "YEARS", &glen);
        *grp = {grp_names, glen, 2, 0x901, 0x902, 0x9393};
        idx = pair("indexes", "IX1", "IXTWO", &g->piIndexNamesLen);
        g->piColumnList = cl, g->iColumnCount = 2, g->piColumnDistributionList = dl, g->iDistributionCount = 1;
        g->piColumnGroupList = gl, g->iGroupCount = 1, g->piIndexList = idx, g->iIndexCount = 2;
    }
    // Every count set to n (0 or below), every list pointer to one that must not be read.
    void no_lists(int16_t n) {
        for (uint32_t off : {12, 16, 20, 24}) memcpy(reinterpret_cast<char*>(g) + off, "\x10\0\0\0", 4);
        g->iColumnCount = g->iDistributionCount = g->iGroupCount = g->iIndexCount = n;
    }
};

// Per row a spoilt request (null: no record at all) and what comes of it. Code 0: the native call,
// its record word by word (values 7 and 8 only from 8020000 on) and the names as lists; counts of
// 0 or below leave their lists unread and null. Otherwise: the code and the parameter's name
// (empty: sqlerrmc untouched) in the status, no native call. Every byte back either way.
TEST_P(Maint, RunstatsRecordsNamesAndFaults) {
    using R = RunstatsCall&;
// A fault: a pointer set to null (result 0), or a block whose check for reading fails with `rc`
// (result 1, whatever rc is).
#define NULLED(f) [](R r) { r.f = nullptr; }, 0
#define REFUSED(p, size, rc) [](R r) { standin::fail_check_exact(r.p, size, 1, rc); }, 1
    static const struct {
        void (*spoil)(RunstatsCall&);
        int32_t result, code;
        const char* name;
        uint32_t version = 8020000u;
    } rows[] = {
        {[](R) {}, 0x1234, 0, "", 8019999u}, {[](R) {}, 0x1234, 0, ""}, {[](R r) { r.no_lists(0); }, 0x1234, 0, ""},
        {[](R r) { r.no_lists(-1); }, 0x1234, 0, "", 8019999u}, {[](R r) { r.no_lists(-32768); }, 0x1234, 0, ""},
        {NULLED(g->piTablename), -2032, "piTablename"},    {NULLED(g->piColumnList), -2032, "piColumnList"},
        {NULLED(g->piColumnList[1]), -2032, "piColumnList"}, {REFUSED(g->piColumnList, 8, 2), -2032, "piColumnList"},
        {REFUSED(col[1], 8, 7), -2032, "qx3gColumnData"}, {NULLED(col[1]->piColumnName), -2032, "qx3gColumnData.piColumnName"},
        {NULLED(g->piColumnDistributionList), -2032, "piColumnDistributionList"}, {REFUSED(dist, 12, 9), -2032, "qx3gColumnDistData"},
        {NULLED(g->piColumnGroupList), -2032, "piColumnGroupList"}, {REFUSED(grp, 16, 5), -2032, "qx3gColumnGrpData"},
        {NULLED(grp->piGroupColumnNames), -2032, "qx3gColumnGrpData.piGroupColumnNames"},
        {NULLED(grp->piGroupColumnNamesLen), -2032, "qx3gColumnGrpData.piGroupColumnNamesLen"},
        {[](R r) { r.grp->iGroupSize = 0; }, 0, -2032, "qx3gColumnGrpData.iGroupSize"},
        {REFUSED(grp_names, 8, 3), -2032, "qx3gColumnGrpData.piGroupColumnNames"},
        {REFUSED(grp->piGroupColumnNamesLen, 4, 4), -2032, "qx3gColumnGrpData.piGroupColumnNamesLen"},
        {NULLED(grp_names[1]), -2032, "qx3gColumnGrpData.piGroupColumnNames"},
        {NULLED(g->piIndexList), -2302, ""}, {NULLED(g->piIndexNamesLen), -2302, ""}, {REFUSED(idx, 8, 6), -2302, ""},
        {NULLED(idx[1]), -2302, ""}, {nullptr, 0, -2032, "data"},
    };
#undef NULLED
#undef REFUSED
    for (const auto& row : rows) {
        SCOPED_TRACE("row " + std::to_string(&row - rows) + " " + row.name);
        standin::reset();
        RunstatsCall r;
        if (row.spoil) row.spoil(r);
        const auto before = r.mem.snapshot();
        Status st;
        standin::set_result("qx3Runstats", 0x1234);
        EXPECT_EQ(call("qx3gRunstats", row.version, row.spoil ? w(r.g) : 0u, w(st.ca())), row.result);
        EXPECT_TRUE(r.mem.Is(before));
        const auto c = standin::calls_of("qx3Runstats");
        if (row.code != 0) {
            EXPECT_TRUE(c.empty());
            EXPECT_TRUE(SameBytes(st.with(row.code, "qx3gRnst", *row.name ? row.name : nullptr), st.mem));
            continue;
        }
        ASSERT_EQ(c.size(), 1u);
        const Bytes& n = c[0].record;
        ASSERT_EQ(n.size(), 64u);
        auto word = [&](size_t off) { uint32_t v; memcpy(&v, &n[off], 4); return v; };
        if (r.g->iColumnCount < 1) {
            EXPECT_TRUE(SameBytes(Bytes(16, 0), &n[12], 16)) << "four null lists";
            EXPECT_EQ(c[0].items, std::vector<std::string>{"table=STAFF"});
            continue;
        }
        EXPECT_EQ(c[0].items, (std::vector<std::string>{"table=STAFF", "column 0 (1792)=ID", "column 1 (1793)=SALARY",
                                                       "distribution 0 (2049 2050)=DEPT", "group 0 (2305 2306) 0=JOB",
                                                       "group 0 (2305 2306) 1=YEARS", "index 0=IX1", "index 1=IXTWO"}));
        const bool v1 = row.version >= 8020000u;
        EXPECT_EQ((std::vector<uint32_t>{word(0), word(4), word(8), word(24), word(28), word(32), word(36), word(40),
                                         word(44) & 0xFFFF, word(48), word(52), word(56), word(60)}),
                  (std::vector<uint32_t>{0xC0000000u, 0xC0000004u, w(r.g->piTablename), w(r.idx), 0xC0000020u,
                                         0x00010002u, 0x00020001u, 0x0030C000u, 0xC000u, v1 ? 0xC0000034u : 0u,
                                         v1 ? 0xC0000038u : 0u, 0, 0x40590000u}));
    }
    standin::refuse_sqlca(0x55);
    Status refused;
    EXPECT_EQ(call("qx3gRunstats", 8020000u, 0u, w(refused.ca())), 0x55) << "no record, the status record refused";
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
        names[0] = mem.text("name", "IDX"), lens[0] = 3;
        const auto before = mem.snapshot();
        standin::checks_active(true);
        standin::fail_check_exact(failing ? static_cast<void*>(names) : lens, failing ? 4 : 2, standin::mode_bit(failing ? 3 : 1));
        EXPECT_EQ(call("sqlgstat", 3u, 1u, 0u, 0u, w(lens), w(Status().ca()), w(names), w(table)), 0);
        EXPECT_EQ(calls("sqlustat_api").at(0).items, std::vector<std::string>{"index 0=IDX~<no NUL>"});
        EXPECT_TRUE(mem.Is(before));
    }
}

}  // namespace
