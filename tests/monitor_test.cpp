// Snapshot monitor and availability controls: every member against its row; the object-list
// blank-trim and the snapshot exits as one table; the native records word by word.
#include <string.h>

#include <algorithm>
#include <iterator>
#include <memory>

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
}  // namespace

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

namespace {

// The first n words of a native record as the native read it (0 past its end).
std::vector<uint32_t> words_of(const Bytes& b, size_t n) {
    std::vector<uint32_t> v(n);
    memcpy(v.data(), b.data(), std::min(b.size(), 4 * n));
    return v;
}

// A monitor area in guarded memory: the count, the objects (names at 8 of each 136 bytes), a spare byte.
struct Area : Guarded {
    explicit Area(const std::vector<std::string>& names) : Guarded(4 + 136 * names.size() + 1) {
        fill(0x3C);
        const uint32_t n = static_cast<uint32_t>(names.size());
        memcpy(data(), &n, 4);
        for (size_t i = 0; i < n; ++i) set(4 + 136 * i + 8, names[i] + std::string(128 - names[i].size(), ' '));
    }
};

// The four snapshot calls, each handed the area its own way.
const char* const kSnaps[] = {"qx3gGetSnapshot", "sqlgmnss", "qx3gGetSnapshotSize", "sqlgmnsz"};
const char* native_of(int s) { return s >= 2 ? "qx3GetSnapshotSize" : "qx3GetSnapshot"; }

class MonitorNames : public EntryTest {
protected:
    Guarded request{24};
    int32_t snap(int s, void* area, sqlca* ca) {
        const uint32_t a = w(area);
        memcpy(request.data(), &a, 4);
        if (s == 1) return call("sqlgmnss", 1u, ca, 3u, 4u, 5u, area, 7u, 8u);
        if (s == 3) return call("sqlgmnsz", 1u, ca, 3u, area, 5u, 6u);
        return call(kSnaps[s], 9070000u, request.data(), ca);
    }
};

// ---- The blank-trim rule across the object list, and the exits of the snapshot calls ----

struct SnapRow {
    std::vector<std::string> names;  // field contents before blank padding
    std::vector<std::string> seen = {};  // what the native reads of each name; none: no name table
    uint32_t count = 0xFFFFFFFFu;    // the area's count, if not the number of names
    bool null_area = false;
    bool area_fails = false;         // the area fails its check over 140 bytes
    bool name_fails = false;         // the first name fails its check over 129 bytes: passed as it stands
    int32_t refuse = 0;              // sqloincaChkptr's answer
    int32_t result = 0x2468;         // the native's, or the exit's
    int32_t code = 0;                // the exit's sqlcode, stored with "sqlgmnsz"; 0: the record untouched
};

const std::vector<std::string> kTwo = {"  FIRST ", "SECOND"};
const SnapRow kSnapRows[] = {
    {{"SOLE  "}, {"SOLE"}},
    {{"", "B"}, {"", "B"}},                                                    // all blank
    {{std::string(128, 'F'), "NEXT"}, {std::string(128, 'F'), "NEXT"}},        // ends in the next object's first byte
    {{"A", std::string(127, 'G') + "H"}, {"A", std::string(127, 'G') + "H"}},  // ends in the spare byte
    {{"ONE", "TWO  ", " THREE", "", "MY DB  X"}, {"ONE", "TWO", " THREE", "", "MY DB  X"}},
    {.names = kTwo, .count = 0, .result = -1603, .code = -1603},  // no objects
    {.names = kTwo, .count = 0, .refuse = 1, .result = -1603},    // no objects, the record refused
    {.names = kTwo, .count = 1, .null_area = true},
    {.names = kTwo, .count = 0, .area_fails = true},
    {.names = kTwo, .seen = kTwo, .name_fails = true},
};

TEST_P(MonitorNames, EachNameEndsAfterItsLastNonBlankAndEveryByteComesBack) {
    for (size_t k = 0; k < std::size(kSnapRows); ++k) {
        const SnapRow& row = kSnapRows[k];
        for (int s = 0; s < 4; ++s) {
            SCOPED_TRACE("row " + std::to_string(k) + " / " + kSnaps[s]);
            standin::reset();
            Area area(row.names);
            if (row.count != 0xFFFFFFFFu) memcpy(area.data(), &row.count, 4);
            const Bytes before = area.bytes();
            Bytes expect = before, during;  // the only changes during the call: a NUL after each trimmed name
            for (size_t i = row.name_fails ? 1 : 0; i < row.seen.size(); ++i)
                expect[4 + 136 * i + 8 + row.seen[i].size()] = 0;
            Status st;
            standin::refuse_sqlca(row.refuse);
            standin::checks_active(row.area_fails || row.name_fails);
            if (row.area_fails) standin::fail_check_exact(area.data(), 140, standin::kAllModes);
            if (row.name_fails) standin::fail_check_exact(area.data() + 12, 129, standin::kAllModes);
            standin::during_call([&](const standin::Call&) { during = area.bytes(); });
            standin::set_result(native_of(s), 0x2468);
            EXPECT_EQ(snap(s, row.null_area ? nullptr : area.data(), st.ca()), row.result);
            const auto c = standin::calls_of(native_of(s));
            ASSERT_EQ(c.size(), row.result == 0x2468 ? 1u : 0u);
            const uint32_t a = row.null_area ? 0 : w(area.data());  // the legacy records, built from their words
            const std::vector<uint32_t> legacy = s == 1 ? std::vector<uint32_t>{a, 3, 4, 8, 5, 0}
                                                        : std::vector<uint32_t>{a, 3, 6, 0xFFFFFFFFu};
            if (s % 2 && !c.empty()) {
                EXPECT_EQ(words_of(c[0].record, legacy.size()), legacy) << "the native record";
            }
            EXPECT_TRUE(c.empty() ? SameBytes(row.code ? st.with(row.code, "sqlgmnsz") : st.before, st.mem)
                                  : SameBytes(expect, during.data(), during.size()))
                << "the status record without a native call, else the area during it";
            EXPECT_TRUE(SameBytes(before, area)) << "the area afterwards";
            ASSERT_EQ(standin::allocations(), row.seen.empty() ? 0u : 1u) << "a name table only where names are read";
            if (row.seen.empty()) continue;
            const auto table = standin::calls_of("sqloGetMemoryBlockExtended").at(0);
            EXPECT_EQ(table.words[1], 8u * row.seen.size()) << "one 8-byte slot per object";
            EXPECT_EQ(standin::show(table.strings[5]), s >= 2 ? "sqlgmnsz" : "sqlgmnss") << "source tag";
            ASSERT_EQ(c[0].lists.at(0).entries.size(), row.seen.size());
            for (size_t i = 0; i < row.seen.size(); ++i) {
                const std::string got = standin::show(c[0].lists[0].entries[i]);
                EXPECT_EQ(row.name_fails && i == 0 ? got.substr(0, 8) : got, row.seen[i]) << "object " << i;
            }
        }
    }
}

// A missing request: -1601 first, then the platform reports the missing parameter; nothing else.
TEST_P(MonitorNames, AMissingRequestIsReportedAsAMissingParameter) {
    for (int s : {0, 2}) {
        standin::reset();
        Status st;
        EXPECT_EQ(call(kSnaps[s], 9070000u, nullptr, st.ca()), 0);
        const auto r = standin::calls_of("sqlmprca").at(0);
        EXPECT_EQ(standin::show(r.strings[0]) + "/" + standin::show(r.strings[2]), std::string(kSnaps[s]) + "/data");
        EXPECT_EQ((std::vector<uint32_t>{r.words[1], r.words[3], r.words[4]}),
                  (std::vector<uint32_t>{4u, w(st.ca()), static_cast<uint32_t>(-1601)}));
        EXPECT_EQ(standin::calls_of("sqlmprca").size(), 1u);
        EXPECT_TRUE(calls(native_of(s)).empty()) << kSnaps[s];
    }
}

// The legacy reset builds its native record from its words, with its own version.
TEST_P(MonitorNames, LegacyResetBuildsItsRecordFromItsWords) {
    Guarded text(6);
    text.set(0, "RESETx");
    Status st;
    EXPECT_EQ(call("sqlgmrst", 0xFFFF0005u, 0xC2u, st.ca(), text.data(), 0xC5u, 0xC6u, 0xC7u), 0);
    const auto c = standin::calls_of("qx3ResetMonitor").at(0);
    EXPECT_EQ(words_of(c.record, 4), (std::vector<uint32_t>{0xC5, w(text.data()), 0xC7, 0xFFFFFFFFu}));
    EXPECT_EQ(text.bytes(), Bytes({'R', 'E', 'S', 'E', 'T', 'x'}));
}

QX3_BACKENDS(MonitorNames);

// ---- Native records of the versioned calls, word by word ----

// In an expected native record: the pointer of the request's string k.
constexpr uint32_t Sp(uint32_t k) { return 0x5EED0000u + k; }

struct MapRow {
    const char* name;
    uint32_t version, size;                              // the caller's request
    std::vector<std::pair<uint32_t, uint32_t>> strings;  // pointer offset, length offset
    std::vector<std::pair<uint32_t, uint32_t>> words;    // offset, value written there
    std::vector<uint32_t> native;                        // the native record from its start
};

// Native field 7 only for 9050600 to 9069999 and from 9070200 on; field 6 never.
MapRow quiesce(uint32_t version, uint32_t field7) {
    return {"qx3gInstanceQuiesce", version, 40, {{4, 0}, {12, 8}, {20, 16}},
            {{24, 0x97}, {28, 0x98}, {32, 0x99}, {36, 0x9A}}, {Sp(0), Sp(1), Sp(2), 0x97, 0x98, 0, field7}};
}

const std::vector<std::pair<uint32_t, uint32_t>> kHadrAt = {{0, 4}, {8, 12}, {16, 20}};
const MapRow kMapRows[] = {
    {"qx3gResetMonitor", 1, 20, {{4, 8}}, {{0, 0x11}, {12, 0x13}, {16, 0x14}}, {0x11, Sp(0), 0x13, 0x14}},
    {"qx3gHADRStart", 2, 32, kHadrAt, {{24, 0x24}, {28, 0xBEEF1234u}}, {Sp(0), Sp(1), Sp(2), 0x24, 0x1234}},
    {"qx3gHADRTakeover", 3, 28, kHadrAt, {{24, 0xBEEF5678u}}, {Sp(0), Sp(1), Sp(2), 0x5678}},
    {"qx3gHADRStop", 4, 24, kHadrAt, {}, {Sp(0), Sp(1), Sp(2)}},
    {"qx3gDatabaseRestart", 5, 32, {{16, 0}, {20, 4}, {24, 8}, {28, 12}}, {}, {Sp(0), Sp(1), Sp(2), Sp(3)}},
    {"qx3gInstanceUnquiesce", 6, 8, {{4, 0}}, {}, {Sp(0)}},
    {"qx3gDatabaseQuiesce", 7, 16, {}, {{0, 0x71}, {4, 0x72}, {8, 0x73}, {12, 0x74}}, {0, 0x73, 0x74, 0}},
    quiesce(9050599, 0), quiesce(9050600, 0x9A), quiesce(9069999, 0x9A), quiesce(9070000, 0),
    quiesce(9070199, 0), quiesce(9070200, 0x9A), quiesce(0xFFFFFFFFu, 0x9A),
};

class AvailabilityRecords : public EntryTest {};

TEST_P(AvailabilityRecords, NativeRecordsWordByWord) {
    for (const MapRow& row : kMapRows) {
        SCOPED_TRACE(std::string(row.name) + " version " + std::to_string(row.version));
        const std::string native = std::string("qx3") + (row.name + 4);  // the native of "qx3gX" is "qx3X"
        standin::reset();
        Guarded req(row.size);
        req.fill(0xE1);
        std::vector<std::unique_ptr<Guarded>> texts;
        for (size_t s = 0; s < row.strings.size(); ++s) {
            texts.push_back(std::make_unique<Guarded>(s + 3));
            texts.back()->set(0, std::string(s + 3, static_cast<char>(0x41 + s)));
            const uint32_t p = w(texts.back()->data()), n = static_cast<uint32_t>(s + 2);
            memcpy(req.data() + row.strings[s].first, &p, 4);
            memcpy(req.data() + row.strings[s].second, &n, 4);
        }
        for (const auto& [off, value] : row.words) memcpy(req.data() + off, &value, 4);
        const Bytes before = req.bytes();
        Status st;
        EXPECT_EQ(call(row.name, row.version, req.data(), st.ca()), 0);
        const auto c = standin::calls_of(native).at(0);
        std::vector<uint32_t> want;
        for (uint32_t v : row.native) want.push_back((v & 0xFFFF0000u) == Sp(0) ? w(texts.at(v - Sp(0))->data()) : v);
        EXPECT_EQ(words_of(c.record, want.size()), want);
        for (size_t s = 0; s < row.strings.size(); ++s)
            EXPECT_EQ(standin::show(c.strings[3 + s]), std::string(s + 2, static_cast<char>(0x41 + s)));
        EXPECT_TRUE(SameBytes(before, req)) << "the request afterwards";
        // A missing request reaches the native call as a missing record; the native's code comes back.
        standin::reset();
        EXPECT_EQ(call(row.name, row.version, nullptr, st.ca()), -1601);
        EXPECT_EQ(standin::calls_of(native).at(0).words[1], 0u);
    }
}

QX3_BACKENDS(AvailabilityRecords);

}  // namespace
