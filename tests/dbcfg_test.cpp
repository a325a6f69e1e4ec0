// The legacy configuration calls of database and manager, as tables with a column for the entry
// point: which tokens each treats as strings and their field sizes, the padding rule, the updates'
// restore lists and the checks of their arrays. Then the rows of both.
#include <string.h>

#include <algorithm>
#include <set>
#include <tuple>

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

// A request in caller memory, each buffer against a guard page: the item array, the value length
// array, an alias of the longest 16-bit length, then whatever else a test adds.
struct Request : CallerMemory {
    Guarded &items, &lengths, &alias;
    explicit Request(size_t n) : items(add("items", 8 * n)), lengths(add("lengths", 2 * n)), alias(add("alias", 65536)) {}
    qx3ConfigItem& item(size_t i) const { return items.as<qx3ConfigItem>()[i]; }
    void point(size_t i, uint16_t token, char* value, uint16_t length) {
        item(i).token = token;  // its two bytes of padding keep their pattern
        item(i).value = value;
        lengths.as<uint16_t>()[i] = length;
    }
};

}  // namespace

class LegacyCfg : public EntryTest {
protected:
    // Calls `e` with the alias at 65535 characters, the length word's high half set, where it takes one.
    int32_t legacy(const Legacy& e, uint32_t count, Request& r, sqlca* ca) {
        std::vector<uint32_t> words;
        for (const char* k = e.words; *k; ++k)
            words.push_back(*k == 'x' ? 0xDEADBEEF : *k == 'A' ? 0x8001FFFF : *k == 'C' ? count : *k == 'L' ? w(r.lengths.data())
                            : *k == 'I' ? w(r.items.data()) : *k == 'c' ? w(ca) : w(r.alias.data()));
        return call_words(e.ep, words);
    }
};

// Every token of the table, its neighbours and the extremes in one request to each entry point; the
// alias, where there is one, is lent its NUL at 65535 after one check over 65536 bytes. Item i's
// case is i % 6: 4 a null value (no check), 5 a value failing its check; the database's update
// takes no entry for either, the manager's one for each. A get's native returns 0, -1041 or 2 and
// leaves in every buffer garbage with a NUL at 2, at N - 1, at 0 or nowhere (cases 0 to 3): each
// string field, exactly the field, is blank-padded from its NUL, unless it has none, is null or
// fails its one check for writing over N; numeric ones, in larger buffers, stay as the native left
// them. An update's string values, each of length i % 7 + 1 with one byte more, show a NUL there
// during the call alone, each checked over length + 1 for reading and writing, each with a restore
// entry. Checks beside these: the alias, and an update's two arrays.
TEST_P(LegacyCfg, EachEntryPointTreatsExactlyItsOwnTokensAsStrings) {
    std::vector<uint16_t> probe{0, 1, 65535};
    for (const Token& t : kTokens)
        for (int d : {-1, 0, 1})
            if (std::find(probe.begin(), probe.end(), t.token + d) == probe.end())
                probe.push_back(static_cast<uint16_t>(t.token + d));
    const size_t n = probe.size();
    for (int k = 0; k < 8; ++k) {
        const Legacy& e = kLegacy[k];
        const bool update = e.tag != nullptr;
        const int32_t rc = std::vector<int32_t>{0, -1041, 2}[k % 3];
        SCOPED_TRACE(e.ep);
        expect_native_layer_clean();
        std::vector<int> size(n, -1);  // -1: numeric here
        for (size_t i = 0; i < n; ++i)
            for (const Token& t : kTokens)
                if (t.token == probe[i] && (t.in >> k & 1)) size[i] = t.size;
        Request r(n);
        std::vector<Guarded*> v(n);
        standin::checks_active(true);
        for (size_t i = 0; i < n; ++i) {  // a numeric value's buffer is larger than any field
            v[i] = &r.add("value " + std::to_string(i), update ? i % 7 + 2 : size[i] >= 0 ? size[i] : 1100);
            r.point(i, probe[i], i % 6 == 4 ? nullptr : v[i]->chars(), update ? i % 7 + 1 : 0);
            if (i % 6 == 5) standin::fail_checks(v[i]->data(), v[i]->size(), standin::mode_bit(update ? 3 : 2));
        }
        const std::vector<Bytes> before = r.snapshot();
        std::vector<Bytes> during, after = before;
        standin::during_call([&](const standin::Call&) { during = r.snapshot(); });
        if (!update)
            standin::after_call([&](const standin::Call&) {
                for (size_t i = 0; i < n; ++i) {
                    v[i]->fill(0x70);
                    if (i % 6 != 3) v[i]->data()[i % 6 == 1 ? v[i]->size() - 1 : i % 6 == 2 ? 0 : 2] = 0;
                }
                after = r.snapshot();
            });
        standin::set_result(e.native, rc);
        Status st;
        EXPECT_EQ(legacy(e, static_cast<uint32_t>(n), r, st.ca()), rc);
        after[2] = before[2];  // the alias's, lent its NUL while the native ran
        std::vector<const char*> lent;
        if (has_alias(e)) lent.push_back(r.alias.chars() + 65535);
        // Every check, each once: the alias's, each string value's but a null one's, an update's arrays.
        std::multiset<std::tuple<uintptr_t, uint32_t, unsigned>> made, expected;
        for (const standin::Check& c : standin::checks()) made.emplace(c.p, c.length, c.mode);
        if (has_alias(e)) expected.emplace(w(r.alias.data()), 65536, 3);
        if (update) expected.emplace(w(r.lengths.data()), 2 * n, has_alias(e) ? 3 : 2);
        if (update) expected.emplace(w(r.items.data()), 8 * n, 3);
        size_t entries = 0;
        for (size_t i = 0; i < n; ++i) {
            if (size[i] < 0) continue;
            if (i % 6 != 4)
                expected.emplace(w(v[i]->data()), update ? i % 7 + 2 : static_cast<uint32_t>(size[i]), update ? 3 : 2);
            entries += update && (!has_alias(e) || i % 6 < 4);
            if (i % 6 >= 4) continue;
            Bytes& field = after[3 + i];
            if (update) lent.push_back(v[i]->chars() + i % 7 + 1);
            else if (i % 6 != 3) std::fill(field.begin() + (i % 6 == 1 ? field.size() - 1 : i % 6 == 2 ? 0 : 2), field.end(), ' ');
        }
        EXPECT_TRUE(r.Same(r.with_nuls(before, lent), during)) << "during the call";
        EXPECT_TRUE(r.Is(after)) << "afterwards";
        EXPECT_EQ(made, expected);
        EXPECT_EQ(standin::allocations(), entries) << "restore entries";
    }
}

// An update's two items lend their NULs to one byte of a buffer "ABCDEFGH", each through a pointer
// and length of its own, the alias apart (given back last, it would hide their order); the entries,
// 12 bytes each (database) or 16 (manager), go back newest first, so the caller's byte is what
// stays, each freed under the call's tag. Null and failing values, and each entry's item, are the
// first test's. Each row also runs with the length array's check failing, then the item array's
// (the native call made with nothing terminated, no entry taken), and with a count of 0 whose high
// bits must not count (no array looked at). The arrays are checked only while checks are active,
// the length array first over 2 bytes an item (database: reading and writing; manager: writing),
// then the item array over 8.
TEST_P(LegacyCfg, UpdatesGiveEveryByteBackNewestFirst) {
    // Two tokens each update takes as strings.
    const struct { uint8_t ep; uint16_t a, b; } rows[] = {{UDB, 44, 702}, {EUDB, 20, 20}, {USYS, 39, 10187}};
    enum Array { None, Lengths, Items, Zero };  // whose check fails; Zero: the count
    for (const auto& row : rows) {
        for (Array array : {None, Lengths, Items, Zero}) {
            const Legacy& e = kLegacy[__builtin_ctz(row.ep)];
            SCOPED_TRACE(std::string(e.ep) + " array " + std::to_string(array));
            expect_native_layer_clean();
            Request r(2);
            Guarded& buf = r.add("buffer", 8);
            buf.set(0, "ABCDEFGH");
            r.point(0, row.a, buf.chars(), 5);
            r.point(1, row.b, buf.chars() + 2, 3);
            standin::checks_active(true);
            if (array == Lengths) standin::fail_checks(r.lengths.data(), 4, standin::kAllModes);
            if (array == Items) standin::fail_checks(r.items.data(), 16, standin::kAllModes);
            const auto before = r.snapshot();
            std::string during;
            standin::during_call([&](const standin::Call&) {
                during.assign(buf.chars(), 8);
                for (const standin::Block& b : standin::live_blocks()) EXPECT_EQ(b.size, row.ep == USYS ? 16u : 12u);
            });
            Status st;
            EXPECT_EQ(legacy(e, array == Zero ? 0xFFFF0000u : 2, r, st.ca()), 0);
            EXPECT_EQ(during, std::string(array == None ? "ABCDE\0GH" : "ABCDEFGH", 8)) << "during the call";
            EXPECT_TRUE(r.Is(before));
            EXPECT_EQ(standin::allocations(), array == None ? 2u : 0u) << "restore entries";
            for (const standin::Call& c : calls("sqlofmblkEx")) EXPECT_EQ(standin::show(c.strings[0]), e.tag);
            if (array == None) continue;  // a plain call's checks are the first test's
            // With no value lent a NUL, the checks are the alias's, then the arrays' as far as they get.
            std::vector<std::tuple<uintptr_t, uint32_t, unsigned>> made, expected;
            for (const standin::Check& c : standin::checks()) made.emplace_back(c.p, c.length, c.mode);
            if (has_alias(e)) expected.emplace_back(w(r.alias.data()), 65536, 3);
            if (array != Zero) expected.emplace_back(w(r.lengths.data()), 4, has_alias(e) ? 3 : 2);
            if (array == Items) expected.emplace_back(w(r.items.data()), 16, 3);
            EXPECT_EQ(made, expected);
        }
    }
}

QX3_BACKENDS(LegacyCfg);

// ---- Every entry point against its row ------------------------------------------------------------

using namespace qx3test::conf;

// An update's string item: its value pointer in the item array, its length in the length array.
constexpr Str Item(uint32_t item, uint32_t length_index) { return {F(2, 8 * item + 4), F(1, 2 * length_index)}; }

// Items: a string token (105, padded over 13 bytes by the gets) and a numeric one (1), each value a
// record of its own; the count word carries high bits that must not reach the native call.
#define QX3_DB_GET(entry, native_name)                                                                   \
    {.name = entry, .words = "uurcs", .native = native_name, .args = "5 z2 3 4",                          \
     .recs = {R(3, 16), RF(1, 4, 13), RF(1, 12, 4)}, .strings = {S(5, 1)},                                 \
     .vals = {{W(2), 0x66660002}, {F(1, 0), 105, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 13}, {F(3, 0), 4}}}
QX3_CONFORMANCE(DatabaseConfigRows, QX3_DB_GET("sqlgxdb", "sqlfxdb"), QX3_DB_GET("sqlgddb", "sqlfddb"),
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
#undef QX3_DB_GET

// Items: a string token (7, padded over 9 bytes by the gets) and a numeric one (1).
QX3_CONFORMANCE(ManagerConfigRows,
    {.name = "sqlgxsys", .words = "urc", .native = "sqlfxsys", .args = "z1 2 3", .recs = {R(2, 16), RF(1, 4, 9), RF(1, 12, 4)},
     .vals = {{W(1), 0x66660002}, {F(1, 0), 7, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 9}, {F(3, 0), 4}}},
    {.name = "sqlgdsys", .words = "urc", .native = "sqlfdsys", .args = "z1 2 3", .recs = {R(2, 16), RF(1, 4, 9), RF(1, 12, 4)},
     .vals = {{W(1), 0x66660002}, {F(1, 0), 7, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 9}, {F(3, 0), 4}}},
    // The update takes an entry for every string item, terminated or not: tokens 7 and 39 here.
    {.name = "sqlgusys", .words = "urrc", .native = "sqlfusys", .args = "z1 3 4", .recs = {R(2, 6), R(3, 24), RF(2, 12, 4)},
     .strings = {{F(2, 4), F(1, 0)}, {F(2, 20), F(1, 4)}},
     .vals = {{W(1), 0x55550003}, {F(2, 0), 7, 2}, {F(2, 8), 1, 2}, {F(2, 16), 39, 2}}, .mem = {.errp = "sqlgusys"}},
    {.name = "sqlgrsys", .words = "c", .native = "sqlfrsys", .args = "1", .app = App::None});
