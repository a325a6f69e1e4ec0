// Database configuration (and, where the two families differ only in a column, the manager's):
// which tokens each entry point treats as strings and with which field size, the padding rule on
// returned fields, how the arguments reach the native call, and the update's restore list under
// every failure it can meet.
#include <string.h>

#include <algorithm>
#include <map>
#include <tuple>

#include "support/config.h"

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

// ---- Argument words -----------------------------------------------------------------------------

namespace {

enum Word { Alias, Count, Items, Ca };

struct ArgRow {
    const char* ep;
    const char* native;
    std::vector<Word> native_words;
};
const ArgRow kArgRows[] = {
    {"sqlgxdb", "sqlfxdb", {Alias, Count, Items, Ca}}, {"sqlgddb", "sqlfddb", {Alias, Count, Items, Ca}},
    {"sqlgxdbc", "sqlfxdb", {Alias, Count, Items, Ca}}, {"sqlgudb", "sqlfudb", {Alias, Count, Items, Ca}},
    {"sqlgeudb", "sqlfudb", {Alias, Count, Items, Ca}}, {"sqlgxsys", "sqlfxsys", {Count, Items, Ca}},
    {"sqlgdsys", "sqlfdsys", {Count, Items, Ca}},       {"sqlgusys", "sqlfusys", {Count, Items, Ca}},
};

}  // namespace

class CfgArguments : public ConfigTest {};

// The 16-bit words arrive with garbage in their high halves; the count is widened with zeros.
TEST_P(CfgArguments, ReachTheNativeCallInItsOrder) {
    for (const ArgRow& row : kArgRows) {
        for (uint32_t count_word : {0xABCD0003u, 0xFFFF0002u}) {
            SCOPED_TRACE(std::string(row.ep) + " count word " + std::to_string(count_word));
            next_row();
            const uint32_t count = count_word & 0xFFFF;
            LegacyRequest r(count);
            for (uint32_t i = 0; i < count; ++i) r.own(i, 1, 4, 3);  // numeric: nothing to do on them
            Guarded alias(7);
            alias.set(0, "SAMPLE!");
            Status st;
            standin::set_result(row.native, 0x0102);
            EXPECT_EQ(legacy(row.ep, 0x55AA0006, alias.chars(), count_word, r.lengths(), r.items(), st.ca()), 0x0102);
            auto natives = calls(row.native);
            ASSERT_EQ(natives.size(), 1u);
            ASSERT_EQ(natives[0].words.size(), row.native_words.size());
            for (size_t k = 0; k < row.native_words.size(); ++k) {
                const Word wd = row.native_words[k];
                const uint32_t expect = wd == Alias ? w(alias.data()) : wd == Count ? count : wd == Items ? w(r.items()) : w(st.ca());
                EXPECT_EQ(natives[0].words[k], expect) << "native word " << k;
                if (wd == Alias) {
                    EXPECT_EQ(standin::show(natives[0].strings[k]), "SAMPLE");
                }
            }
            EXPECT_EQ(memcmp(alias.data(), "SAMPLE!", 7), 0);
            EXPECT_EQ(natives[0].words.size() == 4, takes_alias(row.ep));
        }
    }
}

TEST_P(CfgArguments, ResetsForwardTheAliasAndTheRecord) {
    for (const char* ep : {"sqlgrdb", "sqlgrdbc"}) {
        SCOPED_TRACE(ep);
        next_row();
        Guarded alias(4);
        alias.set(0, "DB1x");
        Status st;
        standin::set_result("sqlfrdb", -1013);
        const int32_t rc = std::string(ep) == "sqlgrdb"
                               ? call(ep, 0x77770003u, st.ca(), alias.chars())
                               : call(ep, kIgnored1, 0x77770003u, st.ca(), kIgnored2, alias.chars());
        EXPECT_EQ(rc, -1013);
        auto natives = calls("sqlfrdb");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words, (std::vector<uint32_t>{w(alias.data()), w(st.ca())}));
        EXPECT_EQ(standin::show(natives[0].strings[0]), "DB1");
        EXPECT_EQ(memcmp(alias.data(), "DB1x", 4), 0);
    }
}

TEST_P(CfgArguments, NullAliasGoesOnAsNull) {
    for (const char* ep : {"sqlgxdb", "sqlgudb", "sqlgeudb", "sqlgxdbc"}) {
        SCOPED_TRACE(ep);
        next_row();
        standin::checks_active(true);
        LegacyRequest r(0);
        Status st;
        EXPECT_EQ(legacy(ep, 9, nullptr, r, st.ca()), 0);
        auto natives = standin::calls_of(std::string(ep).find('u') != std::string::npos ? "sqlfudb" : "sqlfxdb");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_TRUE(natives[0].strings[0].null);
        EXPECT_TRUE(standin::checks().empty());
    }
}

namespace {

struct AppRow {
    const char* ep;
    const char* native;
};
const AppRow kAppRows[] = {
    {"sqlgxdb", "sqlfxdb"},   {"sqlgddb", "sqlfddb"},   {"sqlgxdbc", "sqlfxdb"}, {"sqlgudb", "sqlfudb"},
    {"sqlgeudb", "sqlfudb"},  {"sqlgxsys", "sqlfxsys"}, {"sqlgdsys", "sqlfdsys"}, {"sqlgusys", "sqlfusys"},
};

}  // namespace

TEST_P(CfgArguments, ApplicationDataFailureWritesOnlySqlcode) {
    for (const AppRow& row : kAppRows) {
        SCOPED_TRACE(row.ep);
        next_row();
        LegacyRequest r(2);
        r.own(0, 20, 6, 5);
        r.own(1, 7, 6, 5);
        Guarded alias(7);
        const Bytes alias_before = alias.bytes();
        const auto before = r.snapshot();
        Status st;
        standin::fail_app_data(-5);
        standin::checks_active(true);
        EXPECT_EQ(legacy(row.ep, 6, alias.chars(), r, st.ca()), 0);
        EXPECT_TRUE(SameBytes(st.with(-1022), st.mem));
        EXPECT_TRUE(calls(row.native).empty());
        EXPECT_TRUE(r.Unchanged(before));
        EXPECT_TRUE(SameBytes(alias_before, alias));
        EXPECT_TRUE(standin::checks().empty());
        EXPECT_EQ(standin::allocations(), 0u);
    }
}

QX3_BACKENDS(CfgArguments);

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

// A request of five items: two string-valued ones with buffers, a numeric one, a string-valued
// one with a null buffer and a last string-valued one. A memory failure at the k-th request, for
// every k the call makes, must end the call before the native one with the record written (or
// not, as sqloincaChkptr says), every byte back and every block released.
// A null value is skipped before anything else about it is read: its length is not looked at, so
// even a missing value length array does no harm while no present value needs it.
TEST_P(CfgUpdate, NullValueIsSkippedWithoutReadingItsLength) {
    for (const UpdateEntry& e : kUpdates) {
        SCOPED_TRACE(e.ep);
        next_row();
        LegacyRequest r(1);
        r.point(0, e.string_a, nullptr, 3);
        Guarded alias(7);
        alias.set(0, "SAMPLE!");
        Status st;
        const int32_t rc = legacy(e.ep, 6, alias.chars(), 1, nullptr, r.items(), st.ca());
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(calls(e.native).size(), 1u);
    }
}

TEST_P(CfgUpdate, MemoryFailureAtEveryAllocation) {
    for (const UpdateEntry& e : kUpdates) {
        const bool manager = !takes_alias(e.ep);
        bool finished = false;
        for (unsigned k = 1; !finished && k < 10; ++k) {
            for (int32_t inca : {0, 7}) {
                SCOPED_TRACE(std::string(e.ep) + " fails at request " + std::to_string(k) + (inca ? ", record refused" : ""));
                next_row();
                LegacyRequest r(5);
                r.own(0, e.string_a, 6, 5);
                r.own(1, e.string_b, 4, 3);
                r.own(2, e.numeric, 6, 5);
                r.point(3, e.string_a, nullptr, 2);
                r.own(4, e.string_b, 1, 0);
                const auto before = r.snapshot();
                Guarded alias(7);
                alias.set(0, "SAMPLE!");
                Status st;
                standin::checks_active(true);
                standin::fail_allocation(k);
                standin::refuse_sqlca(inca);
                const int32_t rc = legacy(e.ep, 6, alias.chars(), r, st.ca());

                // Three items get entries in a database update, four in a manager update (its
                // null buffer too); the one after the last fails no request.
                const unsigned requests = manager ? 4 : 3;
                if (k > requests) {
                    EXPECT_EQ(standin::allocations(), requests);
                    EXPECT_EQ(rc, 0);
                    EXPECT_EQ(calls(e.native).size(), 1u);
                    finished = true;
                } else {
                    EXPECT_EQ(standin::allocations(), k) << "no request after the failing one";
                    EXPECT_EQ(rc, -83);
                    EXPECT_TRUE(calls(e.native).empty());
                    auto asked = calls("sqloincaChkptr");
                    ASSERT_EQ(asked.size(), 1u);
                    EXPECT_EQ(asked[0].words[0], w(st.ca()));
                    EXPECT_TRUE(SameBytes(inca == 0 ? st.with(-83, e.errp8) : st.before, st.mem));
                    EXPECT_EQ(calls("sqlofmblkEx").size(), k - 1);
                }
                for (const standin::Call& c : calls("sqloGetMemoryBlockExtended"))
                    EXPECT_EQ(standin::show(c.strings[5]), e.tag);
                EXPECT_TRUE(r.Unchanged(before));
                EXPECT_EQ(memcmp(alias.data(), "SAMPLE!", 7), 0);
                EXPECT_TRUE(standin::live_blocks().empty()) << "ledger";
                EXPECT_TRUE(standin::faults().empty()) << standin::trace();
            }
        }
        EXPECT_TRUE(finished) << e.ep;
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

// The largest count: every item is walked, the count is widened with zeros, and no fixed limit
// stands in the way. Every 256th item and the very last are string-valued; each value is one
// character with its borrowed byte, all in one buffer.
TEST_P(CfgUpdate, CountOf65535) {
    for (const UpdateEntry& e : kUpdates) {
        if (std::string(e.ep) == "sqlgeudb") continue;
        SCOPED_TRACE(e.ep);
        next_row();
        const size_t n = 65535;
        LegacyRequest r(n);
        Guarded values(2 * n);
        std::vector<size_t> strings;
        for (size_t i = 0; i < n; ++i) {
            const bool string = i % 256 == 0 || i == n - 1;
            r.point(i, string ? e.string_b : 1, values.chars() + 2 * i, 1);
            if (string) strings.push_back(i);
        }
        const Bytes values_before = values.bytes();
        const auto before = r.snapshot();
        Bytes during;
        standin::during_call([&](const standin::Call&) { during = values.bytes(); });
        Status st;
        EXPECT_EQ(legacy(e.ep, 6, Guarded(7).chars(), 0x5A5AFFFF, r.lengths(), r.items(), st.ca()), 0);
        auto natives = calls(e.native);
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words[takes_alias(e.ep) ? 1 : 0], 65535u);
        Bytes expect = values_before;
        for (size_t i : strings) expect[2 * i + 1] = 0;
        EXPECT_TRUE(SameBytes(expect, during.data(), during.size())) << "during the call";
        EXPECT_TRUE(SameBytes(values_before, values));
        EXPECT_TRUE(r.Unchanged(before));
        EXPECT_EQ(standin::allocations(), strings.size());
    }
}

// Gets at the largest count: the field of the very last item is padded too.
TEST_P(CfgUpdate, GetsAtCountOf65535) {
    struct Row {
        const char* ep;
        uint16_t token, size;
    } rows[] = {{"sqlgxdb", 602, 11}, {"sqlgxsys", 71, 5}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ep);
        next_row();
        const size_t n = 65535;
        LegacyRequest r(n);
        std::vector<size_t> strings;
        for (size_t i = 0; i < n; ++i)
            if (i % 1024 == 0 || i == n - 1) strings.push_back(i);
        Guarded fields(row.size * strings.size());
        for (size_t i = 0; i < n; ++i) r.point(i, 1, nullptr, 0);
        for (size_t k = 0; k < strings.size(); ++k) r.point(strings[k], row.token, fields.chars() + row.size * k, 0);
        standin::after_call([&](const standin::Call&) {
            fields.fill(0x30);
            for (size_t k = 0; k < strings.size(); ++k) fields.data()[row.size * k + 1] = 0;
        });
        Status st;
        EXPECT_EQ(legacy(row.ep, 6, Guarded(7).chars(), 0xA5A5FFFF, nullptr, r.items(), st.ca()), 0);
        Guarded expect(fields.size());
        expect.fill(0x30);
        for (size_t k = 0; k < strings.size(); ++k) memset(expect.data() + row.size * k + 1, ' ', row.size - 1u);
        EXPECT_TRUE(SameBytes(expect.bytes(), fields));
    }
}

QX3_BACKENDS(CfgUpdate);
