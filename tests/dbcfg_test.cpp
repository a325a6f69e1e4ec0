// The legacy configuration calls of database and manager, as tables with a column for the entry
// point: which tokens each treats as strings and their field sizes, the padding rule, the updates'
// restore lists and the checks of their arrays. Then the database's rows.
#include <string.h>

#include <algorithm>
#include <map>
#include <memory>

#include "support/conformance.h"

using namespace qx3test;

namespace {

// The legacy entry points, one bit each, in the order of kLegacy.
enum : uint8_t { XDB = 1, DDB = 2, XDBC = 4, UDB = 8, EUDB = 16, XSYS = 32, DSYS = 64, USYS = 128 };
constexpr uint8_t DB = XDB | DDB | UDB, MGR = XSYS | DSYS | USYS;

// Argument words: x ignored, A alias length, C count, L value length array, I item array, c status
// record, a alias. The tag is that of an update's restore entries.
const struct Legacy { const char *ep, *words, *native, *tag; } kLegacy[] = {
    {"sqlgxdb", "ACIca", "sqlfxdb", nullptr},  {"sqlgddb", "ACIca", "sqlfddb", nullptr},
    {"sqlgxdbc", "xACIcxa", "sqlfxdb", nullptr}, {"sqlgudb", "ACLIca", "sqlfudb", "sqlgcfg"},
    {"sqlgeudb", "xACLIcxa", "sqlfudb", "sqlgeudb"}, {"sqlgxsys", "CIc", "sqlfxsys", nullptr},
    {"sqlgdsys", "CIc", "sqlfdsys", nullptr},  {"sqlgusys", "CLIc", "sqlfusys", "sqlgusys"},
};
const Legacy& of(uint8_t bit) { return kLegacy[__builtin_ctz(bit)]; }
bool has_alias(const Legacy& e) { return strchr(e.words, 'a') != nullptr; }

// The string-valued tokens, written down independently of the library's tables: field size and the
// entry points that treat the token as a string (size 0: an update's alone, never padded).
const struct Token { uint16_t token, size; uint8_t in; } kTokens[] = {
    {20, 243, DB | XDBC | EUDB}, {44, 261, DB}, {46, 256, DB}, {103, 243, DB | XDBC}, {105, 13, DB | XDBC},
    {107, 13, DB | XDBC}, {120, 18, DB | XDBC}, {121, 34, DB | XDBC}, {305, 65, DB}, {306, 65, DB},
    {307, 31, DB}, {501, 65, DB}, {602, 11, DB}, {702, 23, DB}, {926, 256, XDBC}, {927, 1024, XDBC},
    {954, 258, XDBC}, {10134, 1024, XDBC}, {10170, 128, XDBC}, {10173, 7, XDBC}, {10200, 256, XDBC},
    {7, 9, MGR}, {24, 15, MGR}, {25, 65, MGR}, {27, 216, MGR}, {28, 26, MGR}, {39, 0, USYS}, {47, 49, MGR},
    {48, 49, MGR}, {62, 0, USYS}, {63, 0, USYS}, {65, 216, MGR}, {66, 20, MGR}, {67, 9, MGR}, {71, 5, MGR},
    {74, 256, MGR}, {75, 256, MGR}, {76, 256, MGR}, {77, 32, MGR}, {92, 9, MGR}, {305, 36, MGR},
    {311, 256, MGR}, {313, 227, MGR}, {844, 129, XSYS | DSYS}, {845, 129, XSYS | DSYS},
    {846, 129, XSYS | DSYS}, {941, 216, XSYS | USYS}, {969, 216, XSYS | USYS}, {10123, 216, XSYS},
    {10124, 216, XSYS}, {10125, 216, XSYS}, {10145, 256, XSYS | USYS}, {10181, 256, XSYS | USYS},
    {10187, 256, XSYS | USYS},
};

// A request in caller memory: the item array, the value length array and each value buffer against
// a guard page.
struct Request {
    Guarded items, lengths;
    std::vector<std::unique_ptr<Guarded>> values;
    explicit Request(size_t n) : items(8 * n), lengths(2 * n), values(n) {}
    qx3ConfigItem& item(size_t i) const { return items.as<qx3ConfigItem>()[i]; }
    void point(size_t i, uint16_t token, char* value, uint16_t length) {
        item(i).token = token;  // its two bytes of padding keep their pattern
        item(i).value = value;
        lengths.as<uint16_t>()[i] = length;
    }
    // Item i with a buffer of its own, `size` bytes of a pattern.
    Guarded& own(size_t i, uint16_t token, size_t size, uint16_t length) {
        values[i] = std::make_unique<Guarded>(size);
        values[i]->fill(static_cast<uint8_t>(0x41 + i));
        point(i, token, values[i]->chars(), length);
        return *values[i];
    }
    std::vector<Bytes> snapshot() const {
        std::vector<Bytes> s{items.bytes(), lengths.bytes()};
        for (const auto& v : values) s.push_back(v ? v->bytes() : Bytes{});
        return s;
    }
};

// Buffer by buffer: 0 the item array, 1 the length array, 2 + i the value of item i.
::testing::AssertionResult Same(const std::vector<Bytes>& expect, const std::vector<Bytes>& now) {
    if (expect.size() != now.size()) return ::testing::AssertionFailure() << "no snapshot";
    for (size_t b = 0; b < now.size(); ++b)
        if (auto r = SameBytes(expect[b], now[b].data(), now[b].size()); !r) return r << " in buffer " << b;
    return ::testing::AssertionSuccess();
}

}  // namespace

class LegacyCfg : public EntryTest {
protected:
    Guarded alias_{7};
    // Calls `e` with an alias of 6 characters where it takes one.
    int32_t legacy(const Legacy& e, uint32_t count, Request& r, sqlca* ca) {
        std::vector<uint32_t> words;
        for (const char* k = e.words; *k; ++k)
            words.push_back(*k == 'x' ? 0xDEADBEEF : *k == 'A' ? 6 : *k == 'C' ? count : *k == 'L' ? w(r.lengths.data())
                            : *k == 'I' ? w(r.items.data()) : *k == 'c' ? w(ca) : w(alias_.data()));
        return call_words(e.ep, words);
    }
};

// Every token of the table, its neighbours and the extremes in one request to each entry point. A
// get's native leaves "ab", a NUL and garbage in every buffer: its string fields, each buffer
// exactly the field, read "ab" and blanks afterwards, each checked once for writing over its size;
// numeric ones, in larger buffers, stay as the native left them. An update's string values, each of
// length i % 7 + 1 with one byte more, show a NUL there during the call alone, each checked over
// length + 1 for reading and writing, each with a restore entry. Checks beside these: the alias,
// and an update's two arrays.
TEST_P(LegacyCfg, EachEntryPointTreatsExactlyItsOwnTokensAsStrings) {
    std::vector<uint16_t> probe{0, 1, 65535};
    for (const Token& t : kTokens)
        for (int d : {-1, 0, 1})
            if (std::find(probe.begin(), probe.end(), t.token + d) == probe.end())
                probe.push_back(static_cast<uint16_t>(t.token + d));
    for (int k = 0; k < 8; ++k) {
        const Legacy& e = kLegacy[k];
        const bool update = e.tag != nullptr;
        SCOPED_TRACE(e.ep);
        expect_native_layer_clean();
        std::vector<int> size(probe.size(), -1);  // -1: numeric here
        for (size_t i = 0; i < probe.size(); ++i)
            for (const Token& t : kTokens)
                if (t.token == probe[i] && (t.in >> k & 1)) size[i] = t.size;
        Request r(probe.size());
        for (size_t i = 0; i < probe.size(); ++i)  // a numeric value's buffer is larger than any field
            update ? r.own(i, probe[i], i % 7 + 2, static_cast<uint16_t>(i % 7 + 1))
                   : r.own(i, probe[i], size[i] >= 0 ? size[i] : 1100, 0);
        const std::vector<Bytes> before = r.snapshot();
        std::vector<Bytes> during, left = before;
        standin::during_call([&](const standin::Call&) { during = r.snapshot(); });
        if (!update)
            standin::after_call([&](const standin::Call&) {
                for (auto& v : r.values) v->set(0, std::string("ab\0", 3));
                left = r.snapshot();
            });
        standin::checks_active(true);
        Status st;
        EXPECT_EQ(legacy(e, static_cast<uint32_t>(probe.size()), r, st.ca()), 0);
        std::vector<Bytes> in_call = before, after = left;
        size_t strings = 0;
        for (size_t i = 0; i < probe.size(); ++i) {
            if (size[i] < 0) continue;
            ++strings;
            if (update) in_call[2 + i].back() = 0;
            else std::fill(after[2 + i].begin() + 2, after[2 + i].end(), ' ');
        }
        EXPECT_TRUE(Same(in_call, during)) << "during the call";
        EXPECT_TRUE(Same(after, r.snapshot())) << "afterwards";
        size_t value_checks = 0;
        for (const standin::Check& c : standin::checks())
            for (size_t i = 0; i < probe.size(); ++i)
                if (c.p == reinterpret_cast<uintptr_t>(r.values[i]->data())) {
                    ++value_checks;
                    EXPECT_GE(size[i], 0) << "numeric token " << probe[i] << " checked";
                    EXPECT_EQ(c.length, update ? i % 7 + 2 : static_cast<uint32_t>(size[i])) << "token " << probe[i];
                    EXPECT_EQ(c.mode, update ? 3u : 2u) << "token " << probe[i];
                }
        EXPECT_EQ(value_checks, strings);
        EXPECT_EQ(standin::checks().size(), strings + has_alias(e) + 2 * update);
        EXPECT_EQ(standin::allocations(), update ? strings : 0u) << "one restore entry per string value";
    }
}

// A returned field is blank-padded from the native's NUL to its end, whatever the native's result,
// unless it has no NUL, is null, or fails its check for writing.
TEST_P(LegacyCfg, ReturnedFieldsFollowThePaddingRule) {
    // text: characters before the native's NUL; -1: no NUL within the field; -2: N - 1. check: the
    // mode the field's check fails in; 0: none; -1: the value is null.
    const struct { int32_t rc; int text, check; bool padded; } rows[] = {
        {0, -2, 0, true}, {0, 0, 0, true},  {0, 3, 0, true},  {0, -1, 0, false}, {-1041, 3, 0, true}, {2, 0, 0, true},
        {-1041, -1, 0, false}, {0, 3, -1, false}, {0, 3, 2, false}, {0, 3, 3, true}, {0, 3, 1, true}};
    const struct { uint8_t ep; uint16_t token, size; } fields[] = {
        {XDB, 44, 261}, {DDB, 602, 11}, {XDBC, 10173, 7}, {XSYS, 71, 5}, {DSYS, 846, 129}};
    for (const auto& f : fields) {
        for (const auto& row : rows) {
            const Legacy& e = of(f.ep);
            SCOPED_TRACE(std::string(e.ep) + " text " + std::to_string(row.text) + " check " + std::to_string(row.check) +
                         " rc " + std::to_string(row.rc));
            expect_native_layer_clean();
            const int text = row.text == -2 ? f.size - 1 : row.text;
            Request r(1);
            Guarded& v = r.own(0, f.token, text < 0 ? f.size + 1u : f.size, 0);  // else the NUL sits just past it
            if (row.check < 0) r.item(0).value = nullptr;
            Bytes left;
            standin::after_call([&](const standin::Call&) {
                v.fill(0x70);
                v.data()[text >= 0 ? text : f.size] = 0;
                left = v.bytes();
            });
            standin::set_result(e.native, row.rc);
            standin::checks_active(row.check > 0);
            if (row.check > 0) standin::fail_checks(v.data(), f.size, standin::mode_bit(row.check));
            Status st;
            EXPECT_EQ(legacy(e, 1, r, st.ca()), row.rc);
            EXPECT_EQ(r.item(0).value, row.check < 0 ? nullptr : v.chars());
            if (row.padded) std::fill(left.begin() + text, left.begin() + f.size, ' ');
            EXPECT_TRUE(SameBytes(left, v));
        }
    }
}

// Two items of an update lend their NULs within one buffer "ABCDEFGH", each at its own length; the
// entries go back newest first, so the caller's bytes, not a NUL, are what stays. An entry holds
// its item's index, then the displaced byte (database) or the NUL's position, -1 for a string item
// left unterminated (manager), whose null or failing value the database takes no entry for.
// Each row runs four times: as it stands; with the value length array's check failing, then the
// item array's (the native call is made with nothing terminated and no entry taken); and with a
// count of 0 whose high bits must not count (no array looked at). The arrays are checked only
// while checks are active, in this order: the length array over 2 bytes an item (the database's
// for reading and writing, the manager's for writing), the item array over 8 for both.
TEST_P(LegacyCfg, UpdatesGiveEveryByteBackNewestFirst) {
    constexpr int kNull = -1, kFails = -2;  // in place of an offset into the buffer
    struct Item { uint16_t token; int at; uint16_t len; };
    // `freed`: the entries in the order they are freed, each its index and displaced byte or position.
    using Entries = std::vector<std::pair<uint32_t, int32_t>>;
    const struct { uint8_t ep; Item a, b; const char* during; Entries freed; } rows[] = {
        {UDB, {44, 0, 5}, {702, 0, 5}, "ABCDE\0GH", {{1, 0}, {0, 'F'}}},
        {UDB, {44, 0, 5}, {702, 2, 3}, "ABCDE\0GH", {{1, 0}, {0, 'F'}}},
        {UDB, {44, 0, 5}, {702, 0, 2}, "AB\0DE\0GH", {{1, 'C'}, {0, 'F'}}},
        {UDB, {20, kNull, 3}, {702, kFails, 3}, "ABCDEFGH", {}},
        {EUDB, {20, 0, 5}, {20, 0, 5}, "ABCDE\0GH", {{1, 0}, {0, 'F'}}},
        {EUDB, {20, 0, 5}, {20, 2, 3}, "ABCDE\0GH", {{1, 0}, {0, 'F'}}},
        {EUDB, {20, 0, 5}, {20, 0, 2}, "AB\0DE\0GH", {{1, 'C'}, {0, 'F'}}},
        {USYS, {39, 0, 5}, {10187, 0, 5}, "ABCDE\0GH", {{1, 5}, {0, 5}}},
        {USYS, {39, 0, 5}, {10187, 2, 3}, "ABCDE\0GH", {{1, 3}, {0, 5}}},
        {USYS, {39, 0, 5}, {10187, 0, 2}, "AB\0DE\0GH", {{1, 2}, {0, 5}}},
        {USYS, {39, kNull, 3}, {63, kFails, 3}, "ABCDEFGH", {{1, -1}, {0, -1}}},
    };
    enum Array { None, Lengths, Items, Zero };  // whose check fails; Zero: the count
    for (const auto& row : rows) {
        for (Array array : {None, Lengths, Items, Zero}) {
            const Legacy& e = of(row.ep);
            SCOPED_TRACE(std::string(e.ep) + " row " + std::to_string(&row - rows) + " array " + std::to_string(array));
            expect_native_layer_clean();
            Guarded buf(8);
            buf.set(0, "ABCDEFGH");
            Request r(2);
            standin::checks_active(true);
            size_t i = 0;
            for (const Item& it : {row.a, row.b}) {
                r.point(i++, it.token, it.at == kNull ? nullptr : buf.chars() + std::max(it.at, 0), it.len);
                if (it.at == kFails) standin::fail_checks(buf.data(), 8, standin::mode_bit(3));
            }
            if (array == Lengths) standin::fail_checks(r.lengths.data(), 4, standin::kAllModes);
            if (array == Items) standin::fail_checks(r.items.data(), 16, standin::kAllModes);
            const auto before = r.snapshot();
            Bytes during;
            std::map<uintptr_t, Entries::value_type> entries;  // each live entry, by address
            standin::during_call([&](const standin::Call&) {
                during = buf.bytes();
                for (const standin::Block& b : standin::live_blocks()) {
                    int32_t second = 0;
                    memcpy(&second, reinterpret_cast<const uint8_t*>(b.p) + 4, row.ep == USYS ? 4 : 2);
                    entries[b.p] = {*reinterpret_cast<const uint32_t*>(b.p), second};
                }
            });
            Status st;
            EXPECT_EQ(legacy(e, array == Zero ? 0xFFFF0000u : 2, r, st.ca()), 0);
            ASSERT_EQ(calls(e.native).size(), 1u);
            EXPECT_EQ(calls(e.native)[0].words[has_alias(e)], array == Zero ? 0u : 2u) << "the count";
            const char* in_call = array == None ? row.during : "ABCDEFGH";
            EXPECT_TRUE(SameBytes(Bytes(in_call, in_call + 8), during.data(), during.size())) << "during the call";
            EXPECT_EQ(memcmp(buf.data(), "ABCDEFGH", 8), 0) << std::string(buf.chars(), 8);
            EXPECT_TRUE(Same(before, r.snapshot()));
            Entries freed;
            for (const standin::Call& c : calls("sqlofmblkEx")) {
                EXPECT_EQ(standin::show(c.strings[0]), e.tag);
                freed.push_back(entries.count(c.words[2]) ? entries[c.words[2]] : Entries::value_type{99, 99});
            }
            EXPECT_EQ(freed, array == None ? row.freed : Entries{});

            const auto& made = standin::checks();
            const size_t at = has_alias(e);  // after the alias's
            auto made_at = [&](size_t k, const Guarded& g, unsigned mode) {
                return made.size() > k && made[k].p == reinterpret_cast<uintptr_t>(g.data()) &&
                       made[k].length == g.size() && made[k].mode == mode;
            };
            EXPECT_TRUE(array == Zero ? made.size() == at : made_at(at, r.lengths, has_alias(e) ? 3 : 2))
                << "the length array first, or (count 0) no array checked";
            EXPECT_TRUE(array == Zero || array == Lengths || made_at(at + 1, r.items, 3)) << "then the item array";
        }
    }
}

QX3_BACKENDS(LegacyCfg);

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
