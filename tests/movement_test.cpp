// Data movement: load, load queries, export and import. The rows give each entry point's words,
// strings, lists and exits; the tables below check what the rows cannot: the native records field
// by field and the trace bracket. The media lists by place, type and count are in the list
// conversions' table.
#include <string.h>

#include "qx3agapi_movement.h"
#include "support/conformance.h"
#include "support/harness.h"

using namespace qx3test;
using namespace qx3test::conf;

namespace {
// A media list of one entry with an inline text: its record, then its entry array.
constexpr Val type_of(int node, char type) { return {F(node, 0), static_cast<uint32_t>(type), 1}; }
constexpr Val one_entry(int node) { return {F(node, 4), 1}; }
constexpr Val null_at(int node, uint32_t off) { return {F(node, off), 0}; }

class Movement : public EntryTest {};
QX3_BACKENDS(Movement);
}  // namespace

// Transcribed from the interface description: argument orders, offsets, codes as numbers.
QX3_CONFORMANCE(MovementRows,
    // Record, list 1 ('S') and its entries, list 3 ('L') and its entries, then both sub-records.
    {.name = "qx3gLoad", .words = "vrc", .native = "qx3Load", .args = "1 ? 3", .app = App::Untouched,
     .version = 0x01020304,
     .recs = {R(2, 76), RF(1, 0, 12), RF(2, 8, 260), RF(1, 32, 12), RF(4, 8, 220), RF(1, 44, 72), RF(1, 52, 84)},
     .strings = {SI(3, 4, 0), SI(5, 4, 0), SF(1, 16, 62, 2), SF(1, 24, 64, 2), SF(1, 28, 66, 2), SF(6, 16, 54, 2),
                 SF(7, 0, 72, 2), SF(7, 4, 74, 2), SF(7, 8, 76, 2), SF(7, 44, 78, 2), SF(7, 48, 80, 2),
                 SF(7, 60, 82, 2)},
     .vals = {null_at(1, 4), null_at(1, 36), null_at(1, 72), type_of(2, 'S'), one_entry(2), type_of(4, 'L'),
              one_entry(4)},
     .mem = {.errp = "sqluMake"}, .entries = {0, 1}},
    {.name = "sqlgload", .words = "uuurnwwswssiwwrnwwc", .native = "sqluload_api",
     .args = "4 5 6 7 8 9 10 11 s12 13 14 15 16 17 18 19",
     .recs = {R(4, 12), RF(1, 8, 260), R(15, 12), RF(3, 8, 220)},
     .strings = {SI(2, 4, 0), SI(4, 4, 0), S(8, 1), S(10, 2), S(11, 3)},
     .vals = {type_of(1, 'S'), one_entry(1), type_of(3, 'L'), one_entry(3)},
     .mem = {.errp = "sqluMake"}, .entries = {0, 1}},
    {.name = "qx3gLoadQuery", .words = "vrc", .native = "qx3LoadQuery", .args = "1 ? 3", .version = 7,
     .recs = {R(2, 28)}, .strings = {SF(1, 24, 20), SF(1, 8, 4)}, .own_status = true},
    {.name = "sqlgqry", .words = "uussc", .native = "sqluqry_api", .args = "3 4 5",
     .strings = {S(3, 1), S(4, 2)}, .own_status = true},
    // Record, list 1 ('L') and its entries, list 2 ('C') and its entries; lists 3 and 4 null.
    {.name = "qx3gExport", .words = "vrc", .native = "qx3Export", .args = "1 ? 3", .version = 9000000,
     .recs = {R(2, 60), RF(1, 4, 12), RF(2, 8, 220), RF(1, 8, 12), RF(4, 8, 260)},
     .strings = {SI(3, 4, 0), SI(5, 4, 0), SF(1, 0, 40, 2), SF(1, 20, 42, 2), SF(1, 28, 44, 2)},
     .vals = {null_at(1, 52), null_at(1, 56), type_of(2, 'L'), one_entry(2), type_of(4, 'C'), one_entry(4)},
     .mem = {.errp = "sqluMake"}, .check_exit = Exit{1, -83, "QX3GEXPR"}, .entries = {0, 1}},
    {.name = "sqlgexpt", .words = "uuucwiswswws", .native = "sqluexpt_api", .args = "12 11 10 9 8 7 s6 5 4",
     .strings = {S(7, 1), S(9, 2), S(12, 3)}},
    {.name = "sqlgexpr", .words = "uuusrrwwswsiwwc", .native = "sqluexpr_api",
     .args = "4 5 6 7 8 9 10 11 s12 13 14 15",
     .recs = {R(5, 12), RF(1, 8, 220), R(6, 12), RF(3, 8, 260)},
     .strings = {SI(2, 4, 0), SI(4, 4, 0), S(9, 2), S(11, 3), S(4, 1)},
     .vals = {type_of(1, 'L'), one_entry(1), type_of(3, 'C'), one_entry(3)},
     .mem = {.errp = "sqlgexpr", .asks = false, .inca = true}, .entries = {0, 1}, .own_status = true},
    {.name = "qx3gImport", .words = "vrc", .native = "qx3Import", .args = "1 ? 3", .version = 0xFFFFFFFF,
     .recs = {R(2, 60), RF(1, 4, 12), RF(2, 8, 220)},
     .strings = {SI(3, 4, 0), SF(1, 0, 44, 2), SF(1, 16, 46, 2), SF(1, 24, 48, 2)},
     .vals = {type_of(2, 'L'), one_entry(2)}, .mem = {.errp = "sqluMake"}, .entries = {0}},
    {.name = "sqlgimpt", .words = "uuucwwiswswws", .native = "sqluimpt_api", .args = "13 12 11 10 9 8 s7 6 5 4",
     .strings = {S(8, 1), S(10, 2), S(13, 3)}},
    {.name = "sqlgimpr", .words = "uuusrwwswsiwwwwc", .native = "sqluimpr_api",
     .args = "4 5 6 7 8 9 10 s11 12 13 14 15 16", .recs = {R(5, 12), RF(1, 8, 220)},
     .strings = {SI(2, 4, 0), S(8, 2), S(10, 3), S(4, 1)}, .vals = {type_of(1, 'L'), one_entry(1)},
     .mem = {.errp = "sqlgimpr"}, .entries = {0}, .own_status = true});

// ---- Native records, offset by offset ------------------------------------------------------------

// Load, load query, export and import: each generic record filled with distinct 16-bit halves (top
// bit set, so a widening with the sign shows), its list and string pointers null; each native field
// as it arrived, against the generic bytes it comes from.
TEST_P(Movement, NativeRecordsTakeEachFieldFromItsGenericOffset) {
    constexpr uint32_t none = ~0u;  // an output or a field not read: 0 on arrival
    // Native offset, the generic offset its bytes come from, how many, and which bits of the generic
    // bytes it keeps (a 16-bit value widened to a word keeps the low half).
    struct Field {
        uint32_t native, generic, size = 4, keep = ~0u;
    };
    struct Row {
        const char* entry;  // the native is the same name without its "g"
        uint32_t version;
        size_t generic_size;  // the caller's record ends on a guard page
        std::initializer_list<uint32_t> nulls;
        std::vector<Field> map;
    } rows[] = {
        {"qx3gLoad", 5, 76, {0, 4, 16, 24, 28, 32, 36, 44, 52, 72},
         {{8, 8}, {12, 12}, {20, 20}, {40, 40}, {48, 48}, {56, 56}, {60, 60, 2}, {64, 68}}},
        {"qx3gLoadQuery", 6, 28, {8, 24}, {{0, 0}, {8, 12}, {12, 16}}},
        // Below the version of lists 3 and 4 the record may end before them.
        {"qx3gExport", 8999999, 52, {0, 4, 8, 20, 28}, {{12, 12}, {16, 16}, {24, 24}, {36, 36}, {44, none}, {48, none}}},
        {"qx3gImport", 0, 60, {0, 4, 16, 24},
         {{8, 8}, {12, 12}, {20, 20}, {28, 28, 4, 0xFFFF}, {32, 32}, {36, 36}, {40, 40}, {44, none}, {48, 56}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.entry) + " " + std::to_string(r.version));
        standin::reset();
        Guarded rec(r.generic_size);
        for (uint32_t off = 0; off < r.generic_size; off += 2) {
            const uint16_t half = static_cast<uint16_t>(0x8000u + off * 0x101u);
            memcpy(rec.data() + off, &half, 2);
        }
        for (uint32_t off : r.nulls) memset(rec.data() + off, 0, 4);
        const Bytes before = rec.bytes();
        Bytes arrived;
        standin::during_call([&](const standin::Call& c) { arrived = c.record; });
        Status st;
        EXPECT_EQ(call(r.entry, r.version, rec.data(), st.ca()), 0);
        for (const auto& f : r.map) {
            uint32_t got = 0, want = 0;
            ASSERT_LE(f.native + f.size, arrived.size());
            memcpy(&got, arrived.data() + f.native, f.size);
            if (f.generic != none) memcpy(&want, before.data() + f.generic, f.size);
            EXPECT_EQ(got, want & f.keep) << "native " << f.native;
        }
    }
}

// ---- Trace bracket ---------------------------------------------------------------------------------

// Each bracket service gets the probe; the exit and the flight record the result too, the latter
// widened to 64 bits with its sign.
TEST_P(Movement, TraceBracketFollowsTheFlagsOnEveryPath) {
    const struct {
        uint32_t entry_flags, exit_flags;
        bool app_fails;
        std::vector<std::string> services;
    } rows[] = {
        {0x1, 0x2, false, {"sqltinit", "pdtEntry", "sqltExit"}},
        {0x40000, 0x8000, true, {"sqltinit", "sqleWlDispDiagEntry", "sqleWlDispDiagExit", "sqltExit"}},
        {0x40001, 0x8082, true, {"sqltinit", "pdtEntry", "sqleWlDispDiagEntry", "sqleWlDispDiagExit", "sqltExit", "pdFlightRecordTrc"}},
        {0xFFFBFFFE, 0xFFFF7F7D, false, {"sqltinit"}},
    };
    const std::string bracket = " sqltinit pdtEntry sqleWlDispDiagEntry sqleWlDispDiagExit sqltExit pdFlightRecordTrc ";
    for (const char* name : {"qx3gLoad", "sqlgload"}) {
        const bool versioned = name[0] == 'q';
        const uint32_t probe = versioned ? 0x1C93006A : 0x1C930069;
        for (const auto& r : rows) {
            SCOPED_TRACE(testing::Message() << name << " flags " << r.entry_flags << "/" << r.exit_flags);
            standin::reset();
            standin::trace_flags()[0x248 / 4] = r.entry_flags;
            standin::trace_flags()[0x54 / 4] = r.exit_flags;
            if (r.app_fails) standin::fail_app_data(3);
            standin::set_result(versioned ? "qx3Load" : "sqluload_api", -7);
            Guarded rec(76);
            memset(rec.data(), 0, 76);
            Status st;
            std::vector<uint32_t> words(19, 0);
            words[18] = w(st.ca());
            const int32_t want = !r.app_fails ? -7 : versioned ? -1022 : 0;
            EXPECT_EQ(versioned ? call(name, 1u, rec.data(), st.ca()) : call_words(name, words), want);
            const uint32_t rc = static_cast<uint32_t>(want), hi = want < 0 ? 0xFFFFFFFFu : 0;
            std::vector<std::pair<std::string, std::vector<uint32_t>>> seen, expect;
            for (const standin::Call& c : standin::calls())
                if (bracket.find(" " + c.name + " ") != std::string::npos) seen.emplace_back(c.name, c.words);
            for (const std::string& n : r.services)
                expect.emplace_back(n, n == "sqltinit"            ? std::vector<uint32_t>{}
                                       : n == "sqltExit"          ? std::vector<uint32_t>{probe, rc}
                                       : n == "pdFlightRecordTrc" ? std::vector<uint32_t>{probe, rc, hi, 0, 0, 0, 0}
                                                                  : std::vector<uint32_t>{probe});
            EXPECT_EQ(seen, expect);
        }
    }
}
