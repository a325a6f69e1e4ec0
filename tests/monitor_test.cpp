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

// Call words with caller memory left open: the request, the status record, the monitor area and
// string k (Sp(k)) stand for their addresses; the same in an expected native record.
constexpr uint32_t kReq = 0xFEED0001u, kCa = 0xFEED0002u, kArea = 0xFEED0003u;
constexpr uint32_t Sp(uint32_t k) { return 0x5EED0000u + k; }
std::vector<uint32_t> resolve(std::vector<uint32_t> v, uint32_t req, uint32_t ca, uint32_t area = 0,
                              const std::vector<char*>& texts = {}) {
    for (uint32_t& x : v)
        x = x == kReq ? req : x == kCa ? ca : x == kArea ? area : (x & 0xFFFF0000u) == Sp(0) ? w(texts.at(x - Sp(0))) : x;
    return v;
}

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

// The four snapshot calls, each handed the area its own way, and the source tag of its name table.
const struct {
    const char *name, *native, *tag;
    std::vector<uint32_t> words;
} kSnaps[] = {{"qx3gGetSnapshot", "qx3GetSnapshot", "sqlgmnss", {9070000, kReq, kCa}},
              {"sqlgmnss", "qx3GetSnapshot", "sqlgmnss", {1, kCa, 3, 4, 5, kArea, 7, 8}},
              {"qx3gGetSnapshotSize", "qx3GetSnapshotSize", "sqlgmnsz", {9070000, kReq, kCa}},
              {"sqlgmnsz", "qx3GetSnapshotSize", "sqlgmnsz", {1, kCa, 3, kArea, 5, 6}}};

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

class MonitorNames : public EntryTest {};

TEST_P(MonitorNames, EachNameEndsAfterItsLastNonBlankAndEveryByteComesBack) {
    for (size_t k = 0; k < std::size(kSnapRows); ++k) {
        const SnapRow& row = kSnapRows[k];
        for (const auto& sn : kSnaps) {
            SCOPED_TRACE("row " + std::to_string(k) + " / " + sn.name);
            standin::reset();
            Area area(row.names);
            Guarded request(24);
            const uint32_t a = row.null_area ? 0 : w(area.data());
            memcpy(request.data(), &a, 4);
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
            standin::set_result(sn.native, 0x2468);
            EXPECT_EQ(call_words(sn.name, resolve(sn.words, w(request.data()), w(st.ca()), a)), row.result);
            const auto c = standin::calls_of(sn.native);
            ASSERT_EQ(c.size(), row.result == 0x2468 ? 1u : 0u);
            EXPECT_TRUE(c.empty() ? SameBytes(row.code ? st.with(row.code, "sqlgmnsz") : st.before, st.mem)
                                  : SameBytes(expect, during.data(), during.size()))
                << "the status record without a native call, else the area during it";
            EXPECT_TRUE(SameBytes(before, area)) << "the area afterwards";
            ASSERT_EQ(standin::allocations(), row.seen.empty() ? 0u : 1u) << "a name table only where names are read";
            if (row.seen.empty()) continue;
            const auto table = standin::calls_of("sqloGetMemoryBlockExtended").at(0);
            EXPECT_EQ(table.words[1], 8u * row.seen.size()) << "one 8-byte slot per object";
            EXPECT_EQ(standin::show(table.strings[5]), sn.tag) << "source tag";
            ASSERT_EQ(c[0].lists.at(0).entries.size(), row.seen.size());
            for (size_t i = 0; i < row.seen.size(); ++i) {
                const std::string got = standin::show(c[0].lists[0].entries[i]);
                EXPECT_EQ(row.name_fails && i == 0 ? got.substr(0, 8) : got, row.seen[i]) << "object " << i;
            }
        }
    }
}

QX3_BACKENDS(MonitorNames);

// ---- Native records word by word, the legacy calls' fixed versions, a missing request ----

struct MapRow {
    const char *name, *native;
    std::vector<uint32_t> words;                          // the call's
    uint32_t size;                                        // the request's
    std::vector<std::pair<uint32_t, uint32_t>> strings;  // pointer offset, length offset
    std::vector<std::pair<uint32_t, uint32_t>> fields;   // offset, value written there
    std::vector<uint32_t> got;                            // the version the native got, then its record
    bool reports = false;  // a missing request is reported as a missing parameter, else goes on as null
};

std::vector<uint32_t> V(uint32_t version) { return {version, kReq, kCa}; }

// Native field 7 only for 9050600 to 9069999 and from 9070200 on; field 6 never.
MapRow quiesce(uint32_t version, uint32_t field7) {
    return {"qx3gInstanceQuiesce", "qx3InstanceQuiesce", V(version), 40, {{4, 0}, {12, 8}, {20, 16}},
            {{24, 0x97}, {28, 0x98}, {32, 0x99}, {36, 0x9A}}, {version, Sp(0), Sp(1), Sp(2), 0x97, 0x98, 0, field7}};
}

const std::vector<std::pair<uint32_t, uint32_t>> kHadrAt = {{0, 4}, {8, 12}, {16, 20}};
const MapRow kMapRows[] = {
    {"qx3gResetMonitor", "qx3ResetMonitor", V(1), 20, {{4, 8}}, {{0, 0x11}, {12, 0x13}, {16, 0x14}},
     {1, 0x11, Sp(0), 0x13, 0x14}},
    {"sqlgmrst", "qx3ResetMonitor", {0xFFFF0002u, 0xC2, kCa, Sp(0), 0xC5, 0xC6, 0xC7}, 4, {}, {},
     {7010000, 0xC5, Sp(0), 0xC7, 0xFFFFFFFFu}},
    {"sqlgmnss", "qx3GetSnapshot", {0xA1, kCa, 0xA3, 0xA4, 0xA5, 0, 0xA7, 0xA8}, 4, {}, {},
     {6010000, 0, 0xA3, 0xA4, 0xA8, 0xA5, 0}},
    {"sqlgmnsz", "qx3GetSnapshotSize", {0xB1, kCa, 0xB3, 0, 0xB5, 0xB6}, 4, {}, {}, {7010000, 0, 0xB3, 0xB6, 0xFFFFFFFFu}},
    {"qx3gGetSnapshot", "qx3GetSnapshot", V(8), 24, {}, {{0, 0}}, {8, 0}, true},
    {"qx3gGetSnapshotSize", "qx3GetSnapshotSize", V(9), 24, {}, {{0, 0}}, {9, 0}, true},
    {"qx3gHADRStart", "qx3HADRStart", V(2), 32, kHadrAt, {{24, 0x24}, {28, 0xBEEF1234u}}, {2, Sp(0), Sp(1), Sp(2), 0x24, 0x1234}},
    {"qx3gHADRTakeover", "qx3HADRTakeover", V(3), 28, kHadrAt, {{24, 0xBEEF5678u}}, {3, Sp(0), Sp(1), Sp(2), 0x5678}},
    {"qx3gHADRStop", "qx3HADRStop", V(4), 24, kHadrAt, {}, {4, Sp(0), Sp(1), Sp(2)}},
    {"qx3gDatabaseRestart", "qx3DatabaseRestart", V(5), 32, {{16, 0}, {20, 4}, {24, 8}, {28, 12}}, {},
     {5, Sp(0), Sp(1), Sp(2), Sp(3)}},
    {"qx3gInstanceUnquiesce", "qx3InstanceUnquiesce", V(6), 8, {{4, 0}}, {}, {6, Sp(0)}},
    {"qx3gDatabaseQuiesce", "qx3DatabaseQuiesce", V(7), 16, {}, {{0, 0x71}, {4, 0x72}, {8, 0x73}, {12, 0x74}},
     {7, 0, 0x73, 0x74, 0}},
    quiesce(9050599, 0), quiesce(9050600, 0x9A), quiesce(9069999, 0x9A), quiesce(9070000, 0),
    quiesce(9070199, 0), quiesce(9070200, 0x9A), quiesce(0xFFFFFFFFu, 0x9A),
};

class MonitorRecords : public EntryTest {};

// Each string k of a request is given a length of k + 2 over a text of k + 3 characters; the native
// reads it as far as its length; every byte comes back.
TEST_P(MonitorRecords, NativeRecordsWordByWordAndAMissingRequest) {
    for (const MapRow& row : kMapRows) {
        SCOPED_TRACE(std::string(row.name) + " version " + std::to_string(row.got[0]));
        standin::reset();
        CallerMemory m;
        uint8_t* req = m.add("request", row.size).data();
        std::vector<char*> texts;
        for (uint32_t s = 0; s < 4; ++s) texts.push_back(m.text("string", std::string(s + 3, static_cast<char>('A' + s))));
        for (size_t s = 0; s < row.strings.size(); ++s) {
            const uint32_t p = w(texts[s]), n = static_cast<uint32_t>(s + 2);
            memcpy(req + row.strings[s].first, &p, 4);
            memcpy(req + row.strings[s].second, &n, 4);
        }
        for (const auto& [off, value] : row.fields) memcpy(req + off, &value, 4);
        const auto before = m.snapshot();
        Status st;
        EXPECT_EQ(call_words(row.name, resolve(row.words, w(req), w(st.ca()), 0, texts)), 0);
        const auto c = standin::calls_of(row.native).at(0);
        const std::vector<uint32_t> want = resolve(row.got, 0, 0, 0, texts);
        std::vector<uint32_t> seen = words_of(c.record, want.size() - 1);
        seen.insert(seen.begin(), c.words[0]);
        EXPECT_EQ(seen, want) << "the version, then the native record";
        for (size_t s = 3; s < c.words.size(); ++s)
            EXPECT_EQ(standin::show(c.strings[s]), std::string(s - 1, static_cast<char>('A' + s - 3)));
        EXPECT_TRUE(m.Is(before)) << "caller memory afterwards";
        if (row.words[1] != kReq) continue;
        // A missing request: a snapshot call stores -1601 and reports the missing parameter, with no
        // native call; the others hand the native call a missing record, and its code comes back.
        standin::reset();
        EXPECT_EQ(call_words(row.name, resolve(row.words, 0, w(st.ca()))), row.reports ? 0 : -1601);
        EXPECT_EQ(standin::calls_of(row.native).size(), row.reports ? 0u : 1u);
        if (!row.reports) {
            EXPECT_EQ(standin::calls_of(row.native).at(0).words[1], 0u);
        }
        const auto r = standin::calls_of("sqlmprca");
        ASSERT_EQ(r.size(), row.reports ? 1u : 0u);
        if (row.reports) {
            EXPECT_EQ(standin::show(r[0].strings[0]) + "/" + standin::show(r[0].strings[2]), std::string(row.name) + "/data");
            EXPECT_EQ((std::vector<uint32_t>{r[0].words[1], r[0].words[3], r[0].words[4]}),
                      (std::vector<uint32_t>{4u, w(st.ca()), static_cast<uint32_t>(-1601)}));
        }
    }
}

QX3_BACKENDS(MonitorRecords);

}  // namespace
