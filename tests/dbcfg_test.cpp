// Database configuration (and, where the two families differ only in a column, the manager's):
// which tokens each entry point treats as strings and with which field size, the padding rule on
// returned fields, how the arguments reach the native call, and the update's restore list under
// every failure it can meet.
#include <string.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "support/config.h"
#include "support/conformance.h"

using namespace qx3test;
using namespace qx3test::config;

namespace {

constexpr bool Y = true, N = false;

// The database's string-valued tokens, written down independently of the library's tables.
struct DbToken {
    uint16_t token;
    uint16_t size;
    bool get;   // sqlgxdb, sqlgddb
    bool udb;   // sqlgudb
    bool xdbc;  // sqlgxdbc
    bool eudb;  // sqlgeudb
};
const DbToken kDbTokens[] = {
    {20, 243, Y, Y, Y, Y},     {44, 261, Y, Y, N, N},    {46, 256, Y, Y, N, N},    {103, 243, Y, Y, Y, N},
    {105, 13, Y, Y, Y, N},     {107, 13, Y, Y, Y, N},    {120, 18, Y, Y, Y, N},    {121, 34, Y, Y, Y, N},
    {305, 65, Y, Y, N, N},     {306, 65, Y, Y, N, N},    {307, 31, Y, Y, N, N},    {501, 65, Y, Y, N, N},
    {602, 11, Y, Y, N, N},     {702, 23, Y, Y, N, N},    {926, 256, N, N, Y, N},   {927, 1024, N, N, Y, N},
    {954, 258, N, N, Y, N},    {10134, 1024, N, N, Y, N}, {10170, 128, N, N, Y, N}, {10173, 7, N, N, Y, N},
    {10200, 256, N, N, Y, N},
};

std::vector<TokenColumn> db_column(bool DbToken::*col) {
    std::vector<TokenColumn> out;
    for (const DbToken& t : kDbTokens) out.push_back({t.token, t.size, t.*col});
    return out;
}

}  // namespace

class DbCfgTokenSets : public TokenSetTest {};

TEST_P(DbCfgTokenSets, GetsPadExactlyTheirOwnSetToItsFieldSizes) {
    ExpectGetPads("sqlgxdb", probe_tokens(db_column(&DbToken::get)));
    ExpectGetPads("sqlgddb", probe_tokens(db_column(&DbToken::get)));
    ExpectGetPads("sqlgxdbc", probe_tokens(db_column(&DbToken::xdbc)));
}

TEST_P(DbCfgTokenSets, UpdatesTerminateExactlyTheirOwnSet) {
    ExpectUpdateTerminates("sqlgudb", probe_tokens(db_column(&DbToken::udb)));
    ExpectUpdateTerminates("sqlgeudb", probe_tokens(db_column(&DbToken::eudb)));
}

QX3_BACKENDS(DbCfgTokenSets);

// ---- The padding rule on one field -------------------------------------------------------------

namespace {

enum class Field { Good, Null, FailsWrite, FailsReadWrite, FailsRead };

struct PadRow {
    const char* what;
    int32_t native_rc;
    int text;          // characters the native leaves before its NUL; -1: no NUL within the field
    Field field;
    bool padded;
};
const PadRow kPadRows[] = {
    {"N-1 characters end with one blank", 0, -2 /* N-1 */, Field::Good, true},
    {"empty value becomes N blanks", 0, 0, Field::Good, true},
    {"short value", 0, 3, Field::Good, true},
    {"no NUL within the field: left alone", 0, -1, Field::Good, false},
    {"failed native call still pads", -1041, 3, Field::Good, true},
    {"failed native call, empty value", 2, 0, Field::Good, true},
    {"failed native call, no NUL", -1041, -1, Field::Good, false},
    {"null value pointer", 0, 3, Field::Null, false},
    {"field fails its write check", 0, 3, Field::FailsWrite, false},
    {"a failing read-write check does not matter", 0, 3, Field::FailsReadWrite, true},
    {"a failing read check does not matter", 0, 3, Field::FailsRead, true},
};

struct PadEntry {
    const char* ep;
    const char* native;
    uint16_t token;
    uint16_t size;
};
const PadEntry kPadEntries[] = {
    {"sqlgxdb", "sqlfxdb", 44, 261},   {"sqlgddb", "sqlfddb", 602, 11},  {"sqlgxdbc", "sqlfxdb", 10173, 7},
    {"sqlgxsys", "sqlfxsys", 71, 5},   {"sqlgdsys", "sqlfdsys", 846, 129},
};

}  // namespace

class CfgPadding : public ConfigTest {};

TEST_P(CfgPadding, ReturnedFieldsFollowThePaddingRule) {
    for (const PadEntry& e : kPadEntries) {
        for (const PadRow& row : kPadRows) {
            SCOPED_TRACE(std::string(e.ep) + ": " + row.what);
            next_row();
            const uint32_t n = e.size;
            const int text = row.text == -2 ? static_cast<int>(n) - 1 : row.text;
            // Without a NUL in the field the native's NUL sits just past it, still in the buffer.
            Guarded value(text < 0 ? n + 1 : n);
            LegacyRequest r(3);
            Guarded& before_it = r.own(0, 1, 8, 0);  // numeric neighbours, untouched throughout
            r.point(1, e.token, row.field == Field::Null ? nullptr : value.chars(), 0);
            Guarded& after_it = r.own(2, 2, 8, 0);
            Guarded alias(7);
            alias.set(0, "SAMPLE!");
            const Bytes numeric0 = before_it.bytes(), numeric2 = after_it.bytes();

            Bytes left;  // what the native leaves in the value
            standin::after_call([&](const standin::Call&) {
                value.fill(0x70);
                if (text >= 0) value.data()[text] = 0;
                else value.data()[n] = 0;
                left = value.bytes();
            });
            standin::set_result(e.native, row.native_rc);
            if (row.field != Field::Good && row.field != Field::Null) {
                standin::checks_active(true);
                const unsigned mode = row.field == Field::FailsWrite ? 2 : row.field == Field::FailsRead ? 1 : 3;
                standin::fail_checks(value.data(), n, standin::mode_bit(mode));
            }
            Status st;
            EXPECT_EQ(legacy(e.ep, 6, alias.chars(), r, st.ca()), row.native_rc);
            ASSERT_EQ(calls(e.native).size(), 1u);

            if (row.field == Field::Null) {
                EXPECT_EQ(r.items()[1].value, nullptr);
                EXPECT_TRUE(standin::checks().empty());
                continue;
            }
            Bytes expect = left;
            if (row.padded)
                for (uint32_t i = static_cast<uint32_t>(text); i < n; ++i) expect[i] = ' ';
            EXPECT_TRUE(SameBytes(expect, value));
            EXPECT_TRUE(SameBytes(numeric0, before_it));
            EXPECT_TRUE(SameBytes(numeric2, after_it));
            EXPECT_EQ(memcmp(alias.data(), "SAMPLE!", 7), 0);
        }
    }
}

QX3_BACKENDS(CfgPadding);

// ---- Updates: the restore lists ----------------------------------------------------------------

namespace {

struct UpdateEntry {
    const char* ep;
    const char* tag;    // source tag of the restore entries
    const char* errp8;  // diagnostic name as the 8 bytes of sqlerrp
    uint16_t string_a, string_b;  // two string-valued tokens
    uint16_t numeric;             // a token numeric for this entry point, string-valued for another
    const char* native;
};
const UpdateEntry kUpdates[] = {
    {"sqlgudb", "sqlgcfg", "sqlgudb\0", 44, 702, 927, "sqlfudb"},
    {"sqlgeudb", "sqlgeudb", "sqlgeudb", 20, 20, 44, "sqlfudb"},
    {"sqlgusys", "sqlgusys", "sqlgusys", 39, 10187, 844, "sqlfusys"},
};

// The index each live restore entry records (its first word), by block address.
std::map<uint32_t, uint32_t> entry_indexes() {
    std::map<uint32_t, uint32_t> out;
    for (const standin::Block& b : standin::live_blocks()) out[static_cast<uint32_t>(b.p)] = *reinterpret_cast<const uint32_t*>(b.p);
    return out;
}

}  // namespace

class CfgUpdate : public ConfigTest {};

// Two items lend their NUL to the same byte of one buffer: the list gives it back newest first,
// so the caller's byte, not the first NUL, is what stays.
TEST_P(CfgUpdate, TwoItemsInOneBufferComeBackInReverseOrder) {
    struct Shape {
        const char* what;
        size_t offset_b;
        uint16_t len_a, len_b;
        const char* seen_a;
        const char* seen_b;
    } shapes[] = {
        {"same string twice", 0, 5, 5, "ABCDE", "ABCDE"},
        {"second inside the first, same end", 2, 5, 3, "ABCDE", "CDE"},
        {"second ends inside the first", 0, 5, 2, "AB", "AB"},
    };
    for (const UpdateEntry& e : kUpdates) {
        for (const Shape& s : shapes) {
            SCOPED_TRACE(std::string(e.ep) + ": " + s.what);
            next_row();
            Guarded buf(8);
            buf.set(0, "ABCDEFGH");
            LegacyRequest r(2);
            r.point(0, e.string_a, buf.chars(), s.len_a);
            r.point(1, e.string_b, buf.chars() + s.offset_b, s.len_b);
            const auto before = r.snapshot();
            Guarded alias(7);
            alias.set(0, "SAMPLE!");
            std::string seen_a, seen_b;
            std::map<uint32_t, uint32_t> entries;
            standin::during_call([&](const standin::Call&) {
                seen_a.assign(buf.chars(), strnlen(buf.chars(), 8));
                seen_b.assign(buf.chars() + s.offset_b, strnlen(buf.chars() + s.offset_b, 8 - s.offset_b));
                entries = entry_indexes();
            });
            Status st;
            EXPECT_EQ(legacy(e.ep, 6, alias.chars(), r, st.ca()), 0);
            EXPECT_EQ(seen_a, s.seen_a);
            EXPECT_EQ(seen_b, s.seen_b);
            EXPECT_EQ(memcmp(buf.data(), "ABCDEFGH", 8), 0) << std::string(buf.chars(), 8);
            EXPECT_TRUE(r.Unchanged(before));
            // Entries are released newest first, each recording its item.
            std::vector<uint32_t> freed;
            for (const standin::Call& c : calls("sqlofmblkEx")) {
                EXPECT_EQ(standin::show(c.strings[0]), e.tag);
                freed.push_back(entries.count(c.words[2]) ? entries[c.words[2]] : 0xFFFFFFFF);
            }
            EXPECT_EQ(freed, (std::vector<uint32_t>{1, 0}));
        }
    }
}

// Pointer checks of the two arrays, made only while checks are active. A failing check leaves the
// native call to run with nothing terminated and no entry taken. The database update checks its
// value length array for reading and writing, the manager update for writing; both check the item
// array for reading and writing.
TEST_P(CfgUpdate, ChecksOfTheArraysDecideWhetherAnythingIsTerminated) {
    enum Array { Lengths, Items };
    struct Row {
        const char* ep;
        Array array;
        unsigned failing_mode;
        bool terminated;
    } rows[] = {
        {"sqlgudb", Lengths, 3, false},  {"sqlgudb", Lengths, 2, true},   {"sqlgudb", Lengths, 1, true},
        {"sqlgudb", Items, 3, false},    {"sqlgudb", Items, 2, true},     {"sqlgudb", Items, 1, true},
        {"sqlgeudb", Lengths, 3, false}, {"sqlgeudb", Lengths, 2, true},  {"sqlgeudb", Items, 3, false},
        {"sqlgusys", Lengths, 2, false}, {"sqlgusys", Lengths, 3, true},  {"sqlgusys", Lengths, 1, true},
        {"sqlgusys", Items, 3, false},   {"sqlgusys", Items, 2, true},    {"sqlgusys", Items, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.ep) + (row.array == Lengths ? " value lengths" : " items") + " fail in mode " +
                     std::to_string(row.failing_mode));
        const UpdateEntry& e = *std::find_if(std::begin(kUpdates), std::end(kUpdates),
                                             [&](const UpdateEntry& u) { return std::string(u.ep) == row.ep; });
        next_row();
        LegacyRequest r(3);
        r.own(0, e.string_a, 5, 4);
        r.own(1, e.numeric, 5, 4);
        r.own(2, e.string_b, 3, 2);
        const auto before = r.snapshot();
        Guarded alias(7);
        alias.set(0, "SAMPLE!");
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = r.snapshot(); });
        standin::checks_active(true);
        Guarded& failing = row.array == Lengths ? r.lengths_mem() : r.items_mem();
        standin::fail_checks(failing.data(), static_cast<uint32_t>(failing.size()), standin::mode_bit(row.failing_mode));
        Status st;
        EXPECT_EQ(legacy(e.ep, 6, alias.chars(), r, st.ca()), 0);

        ASSERT_EQ(calls(e.native).size(), 1u);
        ASSERT_EQ(during.size(), before.size());
        std::vector<Bytes> expect = before;
        if (row.terminated) {
            expect[2].back() = 0;
            expect[4].back() = 0;
        }
        for (size_t b = 2; b < expect.size(); ++b)
            EXPECT_TRUE(SameBytes(expect[b], during[b].data(), during[b].size())) << "value " << b - 2 << " during the call";
        EXPECT_TRUE(r.Unchanged(before));
        EXPECT_EQ(standin::allocations(), row.terminated ? 2u : 0u);

        // Whatever failed, the checks made come in this order, over these sizes and modes.
        const unsigned lengths_mode = takes_alias(e.ep) ? 3 : 2;
        std::vector<std::tuple<uintptr_t, uint32_t, unsigned>> made, first;
        for (const standin::Check& c : standin::checks()) made.emplace_back(c.p, c.length, c.mode);
        const uintptr_t lengths_at = reinterpret_cast<uintptr_t>(r.lengths()), items_at = reinterpret_cast<uintptr_t>(r.items());
        size_t at = takes_alias(e.ep) ? 1 : 0;  // after the alias's
        ASSERT_GT(made.size(), at);
        EXPECT_EQ(made[at], std::make_tuple(lengths_at, 6u, lengths_mode));
        if (made.size() > at + 1 && std::get<0>(made[at + 1]) == items_at) {
            EXPECT_EQ(made[at + 1], std::make_tuple(items_at, 24u, 3u));
        } else {
            EXPECT_FALSE(row.terminated) << "the item array was not checked";
        }
    }
}

// A count of 0 forwards at once: no array is looked at (both may be null), only the alias is lent
// its terminator.
TEST_P(CfgUpdate, CountZeroTouchesNothingButTheAlias) {
    for (const UpdateEntry& e : kUpdates) {
        SCOPED_TRACE(e.ep);
        next_row();
        standin::checks_active(true);
        Guarded alias(7);
        alias.set(0, "SAMPLE!");
        Status st;
        EXPECT_EQ(legacy(e.ep, 0xFFFF0006, alias.chars(), 0xFFFF0000, nullptr, nullptr, st.ca()), 0);
        auto natives = calls(e.native);
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words[takes_alias(e.ep) ? 1 : 0], 0u);
        if (takes_alias(e.ep)) {
            EXPECT_EQ(standin::show(natives[0].strings[0]), "SAMPLE");
        }
        EXPECT_EQ(standin::checks().size(), takes_alias(e.ep) ? 1u : 0u);
        EXPECT_EQ(standin::allocations(), 0u);
        EXPECT_EQ(memcmp(alias.data(), "SAMPLE!", 7), 0);
    }
}

// The restore pass finds each value again through the caller's arrays as they stand after the
// native call: the database update through the item's pointer and its length, the manager update
// through the item's pointer and the position it saved.
TEST_P(CfgUpdate, RestoreReadsTheCallersArraysAgain) {
    struct Row {
        const char* ep;
        bool move_pointer;
        bool shorten_length;
        int restored_at;  // offset in the new buffer that gets the caller's byte; -1: none
    } rows[] = {
        {"sqlgudb", true, false, 4},  {"sqlgudb", false, true, 3},  {"sqlgudb", true, true, 3},
        {"sqlgusys", true, false, 4}, {"sqlgusys", false, true, 4}, {"sqlgusys", true, true, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.ep) + (row.move_pointer ? " pointer moved" : "") +
                     (row.shorten_length ? " length shortened" : ""));
        const UpdateEntry& e = *std::find_if(std::begin(kUpdates), std::end(kUpdates),
                                             [&](const UpdateEntry& u) { return std::string(u.ep) == row.ep; });
        next_row();
        Guarded a(5), b(5);
        a.set(0, "abcdX");
        b.set(0, "vwxyZ");
        LegacyRequest r(1);
        r.point(0, e.string_a, a.chars(), 4);
        Guarded alias(7);
        standin::during_call([&](const standin::Call&) {
            if (row.move_pointer) r.items()[0].value = b.chars();
            if (row.shorten_length) r.lengths()[0] = 3;
        });
        Status st;
        EXPECT_EQ(legacy(e.ep, 6, alias.chars(), r, st.ca()), 0);
        std::string expect_a = "abcd", expect_b = "vwxyZ";
        expect_a.push_back(row.move_pointer ? '\0' : 'X');  // the NUL stays where nothing restores it
        std::string& target = row.move_pointer ? expect_b : expect_a;
        if (!row.move_pointer && row.restored_at == 3) expect_a[4] = '\0';
        target[row.restored_at] = 'X';
        EXPECT_EQ(std::string(a.chars(), 5), expect_a);
        EXPECT_EQ(std::string(b.chars(), 5), expect_b);
    }
}

QX3_BACKENDS(CfgUpdate);

// ---- Every entry point against its row ------------------------------------------------------------

namespace {
using namespace qx3test::conf;
// An update's string item: its value pointer in the item array, its length in the length array.
constexpr Str Item(uint32_t item, uint32_t length_index) { return {F(2, 8 * item + 4), F(1, 2 * length_index)}; }
}  // namespace

// Items: a string token (105, padded over 13 bytes by the gets) and a numeric one (1), each value a
// record of its own; the count word carries high bits that must not reach the native call.
QX3_CONFORMANCE(DatabaseConfigRows,
    {.name = "sqlgxdb", .words = "uurcs", .native = "sqlfxdb", .args = "5 z2 3 4",
     .recs = {R(3, 16), RF(1, 4, 13), RF(1, 12, 4)}, .strings = {S(5, 1)},
     .vals = {{W(2), 0x66660002}, {F(1, 0), 105, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 13}, {F(3, 0), 4}}},
    {.name = "sqlgddb", .words = "uurcs", .native = "sqlfddb", .args = "5 z2 3 4",
     .recs = {R(3, 16), RF(1, 4, 13), RF(1, 12, 4)}, .strings = {S(5, 1)},
     .vals = {{W(2), 0x66660002}, {F(1, 0), 105, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 13}, {F(3, 0), 4}}},
    {.name = "sqlgxdbc", .words = "wuurcws", .native = "sqlfxdb", .args = "7 z3 4 5",
     .recs = {R(4, 16), RF(1, 4, 13), RF(1, 12, 4)}, .strings = {S(7, 2)},
     .vals = {{W(3), 0x66660002}, {F(1, 0), 105, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 13}, {F(3, 0), 4}}},
    // Updates: tokens 20 and 44 are strings for sqlgudb, only 20 for sqlgeudb; one restore entry
    // per terminated item.
    {.name = "sqlgudb", .words = "uurrcs", .native = "sqlfudb", .args = "6 z2 4 5",
     .recs = {R(3, 6), R(4, 24), RF(2, 12, 4)}, .strings = {S(6, 1), Item(0, 0), Item(2, 2)},
     .vals = {{W(2), 0x55550003}, {F(2, 0), 20, 2}, {F(2, 8), 1, 2}, {F(2, 16), 44, 2}},
     .mem = {.errp = "sqlgudb"}},
    {.name = "sqlgeudb", .words = "wuurrcws", .native = "sqlfudb", .args = "8 z3 5 6",
     .recs = {R(4, 4), R(5, 16), RF(2, 12, 4)}, .strings = {S(8, 2), Item(0, 0)},
     .vals = {{W(3), 0x55550002}, {F(2, 0), 20, 2}, {F(2, 8), 44, 2}, {F(1, 2), 3, 2}}, .mem = {.errp = "sqlgeudb"}},
    {.name = "sqlgrdb", .words = "ucs", .native = "sqlfrdb", .args = "3 2", .strings = {S(3, 1)}},
    {.name = "sqlgrdbc", .words = "wucws", .native = "sqlfrdb", .args = "5 3", .strings = {S(5, 2)}});
