// Snapshot monitor and availability controls: every member against its row; the object-list
// blank-trim and the snapshot exits as one table; the native records byte by byte as another.
#include <string.h>

#include <algorithm>
#include <iterator>

#include "support/conformance.h"
#include "support/harness.h"

using namespace qx3test;
using namespace qx3test::conf;

namespace {
// A monitor area of two objects and its spare byte: names at 12 and 148 of the area (record `n`).
constexpr uint32_t kArea2 = 4 + 2 * 136 + 1;
std::vector<Trim> names_of(int n) { return {{F(n, 12), 128}, {F(n, 148), 128}}; }
const Mem kNameTable{.errp = "sqlgmnsz", .code = -1607, .refused = -1607};
const std::vector<Str> kHadr = {SF(1, 0, 4), SF(1, 8, 12), SF(1, 16, 20)}, kThree = {S(4, 1), S(5, 2), S(6, 3)};

QX3_CONFORMANCE(MonitorRows,
    {.name = "qx3gGetSnapshot", .words = "vrc", .native = "qx3GetSnapshot", .args = "1 2 3", .version = 9070000,
     .recs = {R(2, 24), RF(1, 0, kArea2)}, .trims = names_of(2), .vals = {{F(2, 0), 2}}, .mem = kNameTable},
    {.name = "sqlgmnss", .words = "wcwwwrww", .native = "qx3GetSnapshot", .args = "#6010000 ? 2",
     .recs = {R(6, kArea2)}, .trims = names_of(1), .vals = {{F(1, 0), 2}}, .mem = kNameTable},
    {.name = "qx3gGetSnapshotSize", .words = "vrc", .native = "qx3GetSnapshotSize", .args = "1 2 3", .version = 8020000,
     .recs = {R(2, 16), RF(1, 0, kArea2)}, .trims = names_of(2), .vals = {{F(2, 0), 2}}, .mem = kNameTable},
    {.name = "sqlgmnsz", .words = "wcwrww", .native = "qx3GetSnapshotSize", .args = "#7010000 ? 2",
     .recs = {R(4, kArea2)}, .trims = names_of(1), .vals = {{F(1, 0), 2}}, .mem = kNameTable},
    {.name = "qx3gResetMonitor", .words = "vrc", .native = "qx3ResetMonitor", .args = "1 ? 3 ?", .version = 7010000,
     .recs = {R(2, 20)}, .strings = {SF(1, 4, 8)}},
    {.name = "sqlgmrst", .words = "uwcswww", .native = "qx3ResetMonitor", .args = "#7010000 ? 3 ?",
     .strings = {S(4, 1)}},
    {.name = "sqlgmon", .words = "wwwww", .native = "sqlmon", .args = "5 4 3 2", .app = App::None},
    {.name = "qx3gMonitorSwitches", .words = "www", .native = "qx3MonitorSwitches", .args = "1 2 3", .app = App::None},
    {.name = "qx3gConvMonStream", .words = "www", .native = "qx3ConvMonStream", .args = "1 2 3", .app = App::None});

// The natives that take a record of strings also record those strings as extra words ("?").
QX3_CONFORMANCE(AvailabilityRows,
    {.name = "qx3gDatabasePing", .words = "vwc", .native = "qx3DatabasePing", .args = "1 2 3", .version = 9010000},
    {.name = "qx3gDatabaseQuiesce", .words = "vrc", .native = "qx3DatabaseQuiesce", .args = "1 ? 3", .app = App::None,
     .version = 9050000, .recs = {R(2, 16)}},
    {.name = "qx3gDatabaseUnquiesce", .words = "vwc", .native = "qx3DatabaseUnquiesce", .args = "1 0 3",
     .app = App::None, .version = 9050000},
    {.name = "qx3gInstanceQuiesce", .words = "vrc", .native = "qx3InstanceQuiesce", .args = "1 ? 3 ? ? ?",
     .app = App::None, .version = 9070200, .recs = {R(2, 40)}, .strings = {SF(1, 4, 0), SF(1, 12, 8), SF(1, 20, 16)}},
    {.name = "qx3gInstanceUnquiesce", .words = "vrc", .native = "qx3InstanceUnquiesce", .args = "1 ? 3 ?",
     .app = App::None, .version = 9050000, .recs = {R(2, 8)}, .strings = {SF(1, 4, 0)}},
    {.name = "sqlgrstd", .words = "uuucsss", .native = "sqlerstd_api", .args = "7 6 5 4",
     .strings = {S(7, 3), S(6, 2), S(5, 1)}},
    {.name = "qx3gDatabaseRestart", .words = "vrc", .native = "qx3DatabaseRestart", .args = "1 ? 3 ? ? ? ?",
     .version = 9050000, .recs = {R(2, 32)}, .strings = {SF(1, 16, 0), SF(1, 20, 4), SF(1, 24, 8), SF(1, 28, 12)}},
    {.name = "qx3gHADRStart", .words = "vrc", .native = "qx3HADRStart", .args = "1 ? 3 ? ? ?", .version = 8020000,
     .recs = {R(2, 32)}, .strings = kHadr},
    {.name = "qx3gHADRTakeover", .words = "vrc", .native = "qx3HADRTakeover", .args = "1 ? 3 ? ? ?",
     .version = 8020000, .recs = {R(2, 28)}, .strings = kHadr},
    {.name = "qx3gHADRStop", .words = "vrc", .native = "qx3HADRStop", .args = "1 ? 3 ? ? ?", .version = 8020000,
     .recs = {R(2, 24)}, .strings = kHadr},
    {.name = "sqlg_activate_db", .words = "uuussswc", .native = "sqle_activate_db_api", .args = "4 5 6 0 8",
     .strings = kThree},
    {.name = "sqlg_deactivate_db", .words = "uuussswc", .native = "sqle_deactivate_db_api", .args = "4 5 6 0 8",
     .strings = kThree});

// Caller memory laid out from an entry point's row: words of their own, string k a text of length k + 2.
struct Laid {
    Row row;
    CallerMemory texts;
    RowMemory mem;
    Laid(const char* name, sqlca* ca)
        : row(*std::find_if(registered_rows().begin(), registered_rows().end(),
                            [&](const Row& r) { return std::string(r.name) == name; })),
          mem(row, ca, [](char, uint32_t k) { return 0xA1u + k; }, [](Guarded& g, size_t k) { g.fill(0x61 + 7 * k); }) {
        for (uint32_t s = 0; s < row.strings.size(); ++s) {
            const Str& st = row.strings[s];
            mem.put(st.ptr, w(texts.text("string", std::string(s + 4, static_cast<char>('A' + s)))), 4);
            mem.put(st.len, st.len.node == 0 ? 0xFFFF0000u | (s + 2) : s + 2, st.width);
        }
    }
};

const std::vector<std::string> kTwo = {"  FIRST ", "SECOND"};
const struct {
    std::vector<std::string> names = {}, seen = {};  // fields before blank padding; each as trimmed (none: not read)
    bool null_area = false, area_fails = false, name_fails = false;  // failing: the area over 140, name 0 over 129
    int32_t refuse = 0, result = 0x2468, code = 0;  // sqloincaChkptr's answer; the result; the exit's sqlcode
} kSnapRows[] = {
    {{"SOLE  "}, {"SOLE"}},
    // all blank; a full name, its NUL on the next object's first byte; blanks kept inside; the spare byte lent
    {{"", std::string(128, 'F'), " MY DB  X  ", std::string(127, 'G') + "H"},
     {"", std::string(128, 'F'), " MY DB  X", std::string(127, 'G') + "H"}},
    {.result = -1603, .code = -1603},  // no objects
    {.refuse = 1, .result = -1603},    // no objects, the record refused
    {.names = kTwo, .null_area = true},
    {.names = kTwo, .area_fails = true},
    {.names = kTwo, .seen = kTwo, .name_fails = true},
};

class Monitor : public EntryTest {};

// The blank-trim rule across the object list, and the exits of the snapshot calls (sqlerrp "sqlgmnsz").
TEST_P(Monitor, EachNameEndsAfterItsLastNonBlankAndEveryByteComesBack) {
    for (size_t k = 0; k < std::size(kSnapRows); ++k) {
        const auto& row = kSnapRows[k];
        for (const char* name : {"qx3gGetSnapshot", "sqlgmnss", "qx3gGetSnapshotSize", "sqlgmnsz"}) {
            SCOPED_TRACE("row " + std::to_string(k) + " / " + name);
            standin::reset();
            Status st;
            Laid in(name, st.ca());
            Guarded area(4 + 136 * row.names.size() + 1);  // count, objects of 136 bytes (name at 8), spare byte
            in.mem.put(in.row.recs.back().at, row.null_area ? 0 : w(area.data()), 4);
            const uint32_t n = static_cast<uint32_t>(row.names.size());
            memcpy(area.data(), &n, 4);
            for (size_t i = 0; i < row.names.size(); ++i)
                area.set(4 + 136 * i + 8, row.names[i] + std::string(128 - row.names[i].size(), ' '));
            const Bytes before = area.bytes();
            Bytes expect = before, during;  // the only changes during the call: a NUL after each trimmed name
            for (size_t i = row.name_fails ? 1 : 0; i < row.seen.size(); ++i)
                expect[4 + 136 * i + 8 + row.seen[i].size()] = 0;
            standin::refuse_sqlca(row.refuse);
            standin::checks_active(row.area_fails || row.name_fails);
            if (row.area_fails) standin::fail_check_exact(area.data(), 140, standin::kAllModes);
            if (row.name_fails) standin::fail_check_exact(area.data() + 12, 129, standin::kAllModes);
            standin::during_call([&](const standin::Call&) { during = area.bytes(); });
            standin::set_result(in.row.native, 0x2468);
            EXPECT_EQ(call_words(name, in.mem.words()), row.result);
            const auto c = standin::calls_of(in.row.native);
            ASSERT_EQ(c.size(), row.result == 0x2468 ? 1u : 0u);
            EXPECT_TRUE(c.empty() ? SameBytes(row.code ? st.with(row.code, "sqlgmnsz") : st.before, st.mem)
                                  : SameBytes(expect, during.data(), during.size()))
                << "the status record without a native call, else the area during it";
            EXPECT_TRUE(SameBytes(before, area)) << "the area afterwards";
            ASSERT_EQ(standin::allocations(), row.seen.empty() ? 0u : 1u) << "a name table only where names are read";
            if (row.seen.empty()) continue;
            const auto table = standin::calls_of("sqloGetMemoryBlockExtended").at(0);
            EXPECT_EQ(table.words[1], 8u * row.seen.size()) << "one 8-byte slot per object";
            EXPECT_EQ(standin::show(table.strings[5]), strstr(in.row.native, "Size") ? "sqlgmnsz" : "sqlgmnss");
        }
    }
}

// A native record span by span, covering it whole: `width` bytes at `to` from argument word k (W(k)),
// the caller's request (F(1, off)) or a constant (K(v)); the version is the caller's or the call's own.
struct Span { uint32_t to; At from; uint32_t width; };
struct MapRow { const char* name; uint32_t version; std::vector<Span> spans; };
constexpr At K(uint32_t v) { return {-1, v}; }

// Native field 7 only for 9050600 to 9069999 and from 9070200 on; field 6 never.
MapRow quiesce(uint32_t version, bool field7) {
    return {"qx3gInstanceQuiesce", version, {{0, F(1, 4), 4}, {4, F(1, 12), 4}, {8, F(1, 20), 4}, {12, F(1, 24), 8},
                                             {20, K(0), 4}, {24, field7 ? F(1, 36) : K(0), 4}}};
}

const MapRow kMapRows[] = {
    {"qx3gGetSnapshot", 1, {{0, F(1, 0), 24}}},
    {"qx3gGetSnapshotSize", 2, {{0, F(1, 0), 16}}},
    {"sqlgmnss", 6010000, {{0, W(6), 4}, {4, W(3), 4}, {8, W(4), 4}, {12, W(8), 4}, {16, W(5), 4}, {20, K(0), 4}}},
    {"sqlgmnsz", 7010000, {{0, W(4), 4}, {4, W(3), 4}, {8, W(6), 4}, {12, K(~0u), 4}}},
    {"qx3gResetMonitor", 3, {{0, F(1, 0), 8}, {8, F(1, 12), 8}}},
    {"sqlgmrst", 7010000, {{0, W(5), 4}, {4, W(4), 4}, {8, W(7), 4}, {12, K(~0u), 4}}},
    {"qx3gHADRStart", 4, {{0, F(1, 0), 4}, {4, F(1, 8), 4}, {8, F(1, 16), 4}, {12, F(1, 24), 6}, {18, K(0), 2}}},
    {"qx3gHADRTakeover", 5, {{0, F(1, 0), 4}, {4, F(1, 8), 4}, {8, F(1, 16), 4}, {12, F(1, 24), 2}, {14, K(0), 2}}},
    {"qx3gHADRStop", 6, {{0, F(1, 0), 4}, {4, F(1, 8), 4}, {8, F(1, 16), 4}}},
    {"qx3gDatabaseRestart", 7, {{0, F(1, 16), 16}}},
    {"qx3gInstanceUnquiesce", 8, {{0, F(1, 4), 4}}},
    {"qx3gDatabaseQuiesce", 9, {{0, K(0), 4}, {4, F(1, 8), 8}, {12, K(0), 4}}},
    quiesce(9050599, false), quiesce(9050600, true), quiesce(9069999, true), quiesce(9070000, false),
    quiesce(9070199, false), quiesce(9070200, true), quiesce(0xFFFFFFFFu, true),
};

// A missing request: a snapshot call stores -1601 and reports the missing parameter, with no native
// call; the others hand the native call a missing record, and its code comes back.
TEST_P(Monitor, NativeRecordsByteByByteAndAMissingRequest) {
    for (const MapRow& row : kMapRows) {
        SCOPED_TRACE(std::string(row.name) + " version " + std::to_string(row.version));
        standin::reset();
        Status st;
        Laid in(row.name, st.ca());
        if (in.row.words[0] == 'v') in.mem.put(W(1), row.version, 4);
        const std::vector<Bytes> before = in.mem.snapshot();
        EXPECT_EQ(call_words(row.name, in.mem.words()), 0);
        const auto c = standin::calls_of(in.row.native).at(0);
        Bytes want;  // as long as the spans reach
        for (const Span& r : row.spans) {
            const uint8_t* from = r.from.node < 0    ? reinterpret_cast<const uint8_t*>(&r.from.off)
                                  : r.from.node == 0 ? reinterpret_cast<const uint8_t*>(&in.mem.words()[r.from.off - 1])
                                                     : before[0].data() + r.from.off;
            want.resize(std::max<size_t>(want.size(), r.to + r.width), 0xEE);
            memcpy(want.data() + r.to, from, r.width);
        }
        EXPECT_TRUE(SameBytes(want, c.record.data(), c.record.size())) << "the native record";
        if (in.row.words[0] != 'v') continue;
        const bool reports = std::string(row.name).rfind("qx3gGetSnapshot", 0) == 0;
        standin::reset();
        EXPECT_EQ(call(row.name, row.version, nullptr, st.ca()), reports ? 0 : -1601);
        EXPECT_EQ(standin::calls_of(in.row.native).size(), reports ? 0u : 1u);
        const auto r = standin::calls_of(reports ? "sqlmprca" : in.row.native).at(0);
        EXPECT_EQ(r.words[1], reports ? 4u : 0u) << "the parameter name's length, or a missing record";
        EXPECT_EQ(r.words[reports ? 3 : 2], w(st.ca()));
        if (reports) {  // the call's own name, the parameter's, and the code stored before the report
            EXPECT_EQ(standin::show(r.strings[0]) + " " + standin::show(r.strings[2]), std::string(row.name) + " data");
            EXPECT_EQ(static_cast<int32_t>(r.words[4]), -1601);
        }
    }
}

QX3_BACKENDS(Monitor);

}  // namespace
