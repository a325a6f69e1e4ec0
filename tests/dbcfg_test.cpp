// Database configuration (and, where the two families differ only in a column, the manager's):
// which tokens each entry point treats as strings and with which field size, the padding rule on
// returned fields, and the update's restore list under the array checks.
#include <string.h>

#include <algorithm>
#include <iterator>
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

}  // namespace

class DbCfgTokenSets : public TokenSetTest {};

TEST_P(DbCfgTokenSets, GetsPadExactlyTheirOwnSetToItsFieldSizes) {
    ExpectGetPads("sqlgxdb", probe_tokens(column(kDbTokens, &DbToken::get)));
    ExpectGetPads("sqlgddb", probe_tokens(column(kDbTokens, &DbToken::get)));
    ExpectGetPads("sqlgxdbc", probe_tokens(column(kDbTokens, &DbToken::xdbc)));
}

TEST_P(DbCfgTokenSets, UpdatesTerminateExactlyTheirOwnSet) {
    ExpectUpdateTerminates("sqlgudb", probe_tokens(column(kDbTokens, &DbToken::udb)));
    ExpectUpdateTerminates("sqlgeudb", probe_tokens(column(kDbTokens, &DbToken::eudb)));
}

QX3_BACKENDS(DbCfgTokenSets);

// ---- The padding rule on one field -------------------------------------------------------------

namespace {

enum class Field { Good, Null, FailsWrite, FailsReadWrite, FailsRead };

struct PadRow {
    int32_t native_rc;
    int text;          // characters the native leaves before its NUL; -1: no NUL within the field; -2: N-1
    Field field;
    bool padded;
};
const PadRow kPadRows[] = {
    {0, -2, Field::Good, true},  {0, 0, Field::Good, true},      {0, 3, Field::Good, true},
    {0, -1, Field::Good, false}, {-1041, 3, Field::Good, true},   {2, 0, Field::Good, true},
    {-1041, -1, Field::Good, false}, {0, 3, Field::Null, false}, {0, 3, Field::FailsWrite, false},
    {0, 3, Field::FailsReadWrite, true}, {0, 3, Field::FailsRead, true},
};

const struct {
    const char* ep;
    const char* native;
    uint16_t token, size;
} kPadEntries[] = {
    {"sqlgxdb", "sqlfxdb", 44, 261},   {"sqlgddb", "sqlfddb", 602, 11},  {"sqlgxdbc", "sqlfxdb", 10173, 7},
    {"sqlgxsys", "sqlfxsys", 71, 5},   {"sqlgdsys", "sqlfdsys", 846, 129},
};

}  // namespace

class CfgPadding : public ConfigTest {};

// A returned field is blank-padded from the native's NUL to its end, whatever the native's result,
// unless it has no NUL, is null, or fails its write check; its numeric neighbours stay as they are.
TEST_P(CfgPadding, ReturnedFieldsFollowThePaddingRule) {
    for (const auto& e : kPadEntries) {
        for (size_t k = 0; k < std::size(kPadRows); ++k) {
            const PadRow& row = kPadRows[k];
            SCOPED_TRACE(std::string(e.ep) + ": padding row " + std::to_string(k));
            next_row();
            const uint32_t n = e.size;
            const int text = row.text == -2 ? static_cast<int>(n) - 1 : row.text;
            Guarded value(text < 0 ? n + 1 : n);  // without a NUL in the field the native's sits just past it
            LegacyRequest r(3);
            Guarded& before_it = r.own(0, 1, 8, 0);
            r.point(1, e.token, row.field == Field::Null ? nullptr : value.chars(), 0);
            Guarded& after_it = r.own(2, 2, 8, 0);
            Guarded alias(7);
            const Bytes numeric0 = before_it.bytes(), numeric2 = after_it.bytes();
            Bytes left;  // what the native leaves in the value
            standin::after_call([&](const standin::Call&) {
                value.fill(0x70);
                value.data()[text >= 0 ? static_cast<uint32_t>(text) : n] = 0;
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
            if (row.field == Field::Null) {
                EXPECT_EQ(r.items()[1].value, nullptr);
                continue;
            }
            Bytes expect = left;
            if (row.padded) std::fill(expect.begin() + text, expect.begin() + n, ' ');
            EXPECT_TRUE(SameBytes(expect, value));
            EXPECT_TRUE(SameBytes(numeric0, before_it));
            EXPECT_TRUE(SameBytes(numeric2, after_it));
        }
    }
}

QX3_BACKENDS(CfgPadding);

// ---- Updates: the restore lists ----------------------------------------------------------------

namespace {

struct UpdateEntry {
    const char* ep;
    const char* tag;              // source tag of the restore entries
    uint16_t string_a, string_b;  // two string-valued tokens
    uint16_t numeric;             // a token numeric for this entry point, string-valued for another
    const char* native;
};
const UpdateEntry kUpdates[] = {
    {"sqlgudb", "sqlgcfg", 44, 702, 927, "sqlfudb"},
    {"sqlgeudb", "sqlgeudb", 20, 20, 44, "sqlfudb"},
    {"sqlgusys", "sqlgusys", 39, 10187, 844, "sqlfusys"},
};
const UpdateEntry& update(const char* ep) {
    return *std::find_if(std::begin(kUpdates), std::end(kUpdates), [&](const UpdateEntry& u) { return !strcmp(u.ep, ep); });
}

}  // namespace

class CfgUpdate : public ConfigTest {};

// Two items lend their NUL to the same byte of one buffer: the list gives it back newest first,
// so the caller's byte, not the first NUL, is what stays. Each entry records its item's index.
TEST_P(CfgUpdate, TwoItemsInOneBufferComeBackInReverseOrder) {
    const struct {
        size_t offset_b;
        uint16_t len_a, len_b;
        const char* seen_a;
        const char* seen_b;
    } shapes[] = {{0, 5, 5, "ABCDE", "ABCDE"}, {2, 5, 3, "ABCDE", "CDE"}, {0, 5, 2, "AB", "AB"}};
    for (const UpdateEntry& e : kUpdates) {
        for (const auto& s : shapes) {
            SCOPED_TRACE(std::string(e.ep) + ": second at " + std::to_string(s.offset_b) + " of length " +
                         std::to_string(s.len_b));
            next_row();
            Guarded buf(8), alias(7);
            buf.set(0, "ABCDEFGH");
            LegacyRequest r(2);
            r.point(0, e.string_a, buf.chars(), s.len_a);
            r.point(1, e.string_b, buf.chars() + s.offset_b, s.len_b);
            const auto before = r.snapshot();
            std::string seen_a, seen_b;
            std::map<uint32_t, uint32_t> entries;  // each live entry's first word, by address
            standin::during_call([&](const standin::Call&) {
                seen_a = buf.chars();
                seen_b = buf.chars() + s.offset_b;
                for (const standin::Block& b : standin::live_blocks())
                    entries[static_cast<uint32_t>(b.p)] = *reinterpret_cast<const uint32_t*>(b.p);
            });
            Status st;
            EXPECT_EQ(legacy(e.ep, 6, alias.chars(), r, st.ca()), 0);
            EXPECT_EQ(seen_a, s.seen_a);
            EXPECT_EQ(seen_b, s.seen_b);
            EXPECT_EQ(memcmp(buf.data(), "ABCDEFGH", 8), 0) << std::string(buf.chars(), 8);
            EXPECT_TRUE(r.Unchanged(before));
            std::vector<uint32_t> freed;
            for (const standin::Call& c : calls("sqlofmblkEx")) {
                EXPECT_EQ(standin::show(c.strings[0]), e.tag);
                freed.push_back(entries.count(c.words[2]) ? entries[c.words[2]] : 0xFFFFFFFF);
            }
            EXPECT_EQ(freed, (std::vector<uint32_t>{1, 0}));
        }
    }
}

// Pointer checks of the two arrays, made only while checks are active, in this order: the value
// length array (the database update for reading and writing, the manager's for writing), then the
// item array for reading and writing. A failing check leaves the native call to run with nothing
// terminated and no entry taken. A count of 0 (-1 here: high bits must not count) looks at no array.
TEST_P(CfgUpdate, ChecksOfTheArraysDecideWhetherAnythingIsTerminated) {
    enum Array { Lengths, Items, None };
    const struct {
        const char* ep;
        Array array;
        unsigned failing_mode;
        bool terminated;
    } rows[] = {
        {"sqlgudb", Lengths, 3, false},  {"sqlgudb", Lengths, 2, true},  {"sqlgudb", Lengths, 1, true},
        {"sqlgudb", Items, 3, false},    {"sqlgudb", Items, 2, true},    {"sqlgudb", Items, 1, true},
        {"sqlgeudb", Lengths, 3, false}, {"sqlgeudb", Lengths, 2, true}, {"sqlgeudb", Items, 3, false},
        {"sqlgusys", Lengths, 2, false}, {"sqlgusys", Lengths, 3, true}, {"sqlgusys", Lengths, 1, true},
        {"sqlgusys", Items, 3, false},   {"sqlgusys", Items, 2, true},   {"sqlgusys", Items, 1, true},
        {"sqlgudb", None, 0, false},     {"sqlgeudb", None, 0, false},   {"sqlgusys", None, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.ep) + " array " + std::to_string(row.array) + " fails in mode " +
                     std::to_string(row.failing_mode));
        const UpdateEntry& e = update(row.ep);
        next_row();
        LegacyRequest r(3);
        r.own(0, e.string_a, 5, 4);
        r.own(1, e.numeric, 5, 4);
        r.own(2, e.string_b, 3, 2);
        const auto before = r.snapshot();
        Guarded alias(7);
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = r.snapshot(); });
        standin::checks_active(true);
        if (row.array != None) {
            Guarded& failing = row.array == Lengths ? r.lengths_mem() : r.items_mem();
            standin::fail_checks(failing.data(), static_cast<uint32_t>(failing.size()), standin::mode_bit(row.failing_mode));
        }
        Status st;
        const uint32_t count = row.array == None ? 0xFFFF0000u : 3;
        EXPECT_EQ(legacy(e.ep, 6, alias.chars(), count, r.lengths(), r.items(), st.ca()), 0);
        ASSERT_EQ(calls(e.native).size(), 1u);
        EXPECT_EQ(calls(e.native)[0].words[takes_alias(e.ep) ? 1 : 0], row.array == None ? 0u : 3u);
        std::vector<Bytes> expect = before;
        if (row.terminated) expect[2].back() = expect[4].back() = 0;
        ASSERT_EQ(during.size(), before.size());
        for (size_t b = 2; b < expect.size(); ++b)
            EXPECT_TRUE(SameBytes(expect[b], during[b].data(), during[b].size())) << "value " << b - 2 << " during the call";
        EXPECT_TRUE(r.Unchanged(before));
        EXPECT_EQ(standin::allocations(), row.terminated ? 2u : 0u);

        std::vector<std::tuple<uintptr_t, uint32_t, unsigned>> made;
        for (const standin::Check& c : standin::checks()) made.emplace_back(c.p, c.length, c.mode);
        const size_t at = takes_alias(e.ep) ? 1 : 0;  // after the alias's
        if (row.array == None) {
            EXPECT_EQ(made.size(), at);
            continue;
        }
        ASSERT_GT(made.size(), at);
        EXPECT_EQ(made[at], std::make_tuple(reinterpret_cast<uintptr_t>(r.lengths()), 6u, takes_alias(e.ep) ? 3u : 2u));
        if (row.terminated || row.array == Items) {
            ASSERT_GT(made.size(), at + 1);
            EXPECT_EQ(made[at + 1], std::make_tuple(reinterpret_cast<uintptr_t>(r.items()), 24u, 3u));
        }
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
