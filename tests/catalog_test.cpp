// Directories and catalog: node catalog, database catalog and creation, gateway directory entries.
// The conformance rows run every path, the create calls' also under the other call's eyecatcher;
// the tables below hold the protocol layouts field by field, the blank-trim rule on its edges, the
// alternate-server exits and the padding of returned gateway entries.
#include <string.h>

#include <algorithm>
#include <tuple>

#include "qx3agapi.h"
#include "support/conformance.h"

using namespace qx3test;
using namespace qx3test::conf;

namespace {

constexpr uint32_t kEye02 = 'S' | 'Q' << 8 | 'L' << 16 | 'D' << 24;
constexpr uint32_t kEye02b = 'B' | 'D' << 8 | '0' << 16 | '2' << 24;
constexpr uint32_t kEyeB0b = 'B' | 'D' << 8 | 'B' << 16 | '0' << 24;
const std::vector<Trim> kShortTexts = {{F(1, 0), 9}, {F(1, 10), 5}};
const std::vector<Trim> kDbTexts = {{F(2, 272), 30}, {F(2, 16), 256}, kShortTexts[0], kShortTexts[1]};

QX3_CONFORMANCE(CatalogRows,
    {.name = "sqlgctnd", .words = "crr", .native = "sqlectnd_api", .args = "2 3 1", .recs = {R(2, 46), R(3, 271)},
     .trims = {{F(1, 4), 30}, {F(1, 35), 8}, {F(2, 0), 255}, {F(2, 256), 14}},
     .vals = {{F(1, 0), 0x200, 2}, {F(1, 44), 10, 1}}},
    {.name = "sqlgcadb", .words = "uuuuuucsussswss", .native = "sqlecadb_api", .args = "15 14 b13 12 11 10 z9 8 7",
     .strings = {S(8, 1), S(10, 2), S(11, 3), S(12, 4), S(14, 5), S(15, 6)}},
    {.name = "sqlgctdd", .words = "uuuuucussswss", .native = "sqlectdd_api", .args = "13 12 b11 10 9 8 z7 6",
     .strings = {S(8, 1), S(9, 2), S(10, 3), S(12, 4), S(13, 5)}},
    {.name = "sqlgcrea", .words = "uuucwwrrsss", .native = "sqlecrea_api", .args = "11 10 9 8 7 0 0 4",
     .recs = {R(7, 16), R(8, 303)}, .strings = {S(11, 3), S(10, 2), S(9, 1)}, .trims = kDbTexts,
     .vals = {{F(2, 0), kEye02}, {F(2, 4), kEye02b}}},
    {.name = "sqlgdbcr", .words = "uucrurss", .native = "sqledbcr_api", .args = "8 7 6 z5 4 3",
     .recs = {R(4, 16), R(6, 303)}, .strings = {S(7, 1), S(8, 2)}, .trims = kDbTexts,
     .vals = {{F(2, 0), kEye02}, {F(2, 4), kEyeB0b}}},
    {.name = "qx3gUpdateAlternateServerForDB", .words = "vrc", .native = "qx3UpdateAlternateServerForDB",
     .args = "1 ? 3", .app = App::Named, .app_name = "SQLGUPAS", .version = 0x12345678, .recs = {R(2, 24)},
     .strings = {SF(1, 4, 0), SF(1, 12, 8), SF(1, 20, 16)}},
    {.name = "sqlggdad", .words = "cr", .native = "sqlegdad_api", .args = "2 1", .recs = {R(2, 588)},
     .trims = {{F(1, 6), 30}, {F(1, 37), 8}, {F(1, 46), 18}, {F(1, 65), 8}, {F(1, 74), 512}},
     .vals = {{F(1, 0), 256, 2}}},
    {.name = "sqlggdel", .words = "cr", .native = "sqlegdel_api", .args = "2 1", .recs = {R(2, 588)},
     .trims = {{F(1, 37), 8}}, .vals = {{F(1, 0), 256, 2}}},
    {.name = "sqlggdge", .words = "cr", .native = "sqlegdge_api", .args = "2 1", .recs = {R(2, 588)},
     .trims = {{F(1, 37), 8}}, .vals = {{F(1, 0), 256, 2}}},
    {.name = "sqlggdgt", .words = "crr", .native = "sqlegdgt_api", .args = "2 3 1", .recs = {R(2, 2), R(3, 4 * 588)}});

// Under the other call's eyecatcher the descriptor's two texts are passed on as they stand; the
// short text record's two are still trimmed.
QX3_CONFORMANCE(CatalogOtherEyecatcherRows,
    {.name = "sqlgcrea", .words = "uuucwwrrsss", .native = "sqlecrea_api", .args = "11 10 9 8 7 0 0 4",
     .recs = {R(7, 16), R(8, 303)}, .strings = {S(11, 3), S(10, 2), S(9, 1)}, .trims = kShortTexts,
     .vals = {{F(2, 0), kEye02}, {F(2, 4), kEyeB0b}}},
    {.name = "sqlgdbcr", .words = "uucrurss", .native = "sqledbcr_api", .args = "8 7 6 z5 4 3",
     .recs = {R(4, 16), R(6, 303)}, .strings = {S(7, 1), S(8, 2)}, .trims = kShortTexts,
     .vals = {{F(2, 0), kEye02}, {F(2, 4), kEye02b}}});

class Catalog : public EntryTest {};
QX3_BACKENDS(Catalog);

// ---- sqlgctnd: each protocol layout field by field, and the blank-trim rule on the node ----

// The text (30 characters) and name (8) are lent a NUL after their last non-blank character, only
// under structure identifier 0x200; each protocol layout's text fields are lent one behind their
// width, and the protocol record is checked over its size for reading.
TEST_P(Catalog, NodeProtocolLayoutsAndBlankTrim) {
    using Fields = std::vector<std::pair<uint32_t, uint32_t>>;  // offset, width
    const Fields long_form = {{0, 255}, {256, 14}};
    const struct {
        uint8_t code;
        uint32_t checked;  // 0: no text fields
        Fields fields;
        const char* text = "abcdefghijklmnopqrstuvwxyz0123";
        const char* name = "NODENAME";
        uint32_t text_end = 30, name_end = 8;  // where each is lent its NUL
        uint16_t id = 0x200;
    } layouts[] = {
        {0, 27, {{0, 8}, {9, 8}, {18, 8}}}, {1, 12, {{2, 8}}}, {2, 126, {{0, 8}, {9, 8}, {18, 8}, {27, 8}}},
        {3, 271, long_form}, {4, 12, {{0, 8}}}, {5, 0, {}}, {6, 0, {}}, {7, 25, {{0, 15}, {16, 8}}}, {8, 0, {}},
        {9, 271, long_form}, {10, 271, long_form}, {11, 0, {}}, {255, 0, {}},
        {5, 0, {}, "                              ", "        ", 0, 0},
        {5, 0, {}, "my node                       ", "N1      ", 0, 0, 0x201},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE("protocol " + std::to_string(l.code) + ", text " + l.text);
        standin::reset();
        standin::checks_active(true);
        CallerMemory mem;
        sqlgNodeDescriptor* node = mem.add("node", 46).as<sqlgNodeDescriptor>();
        node->iStructId = l.id, node->iProtocol = l.code;
        memcpy(node->text, l.text, 30), memcpy(node->name, l.name, 8);
        // The protocol record ends at its checked size: a NUL one byte too far faults.
        Guarded& proto = mem.add("protocol", l.checked ? l.checked : 64);
        const auto before = mem.snapshot();
        std::vector<const char*> nuls;
        if (l.id == 0x200) nuls = {node->text + l.text_end, node->name + l.name_end};
        for (const auto& f : l.fields) nuls.push_back(proto.chars() + f.first + f.second);
        const auto expect = mem.with_nuls(before, nuls);
        bool ok = false;
        standin::during_call([&](const standin::Call&) { ok = mem.Is(expect); });
        EXPECT_EQ(call("sqlgctnd", w(Status().ca()), w(node), w(proto.data())), 0);
        EXPECT_TRUE(ok) << "every text field of the layout, and no other byte, is lent a NUL";
        EXPECT_TRUE(mem.Is(before));
        const bool checked = std::any_of(standin::checks().begin(), standin::checks().end(), [&](const standin::Check& c) {
            return c.p == w(proto.data()) && c.length == l.checked && c.mode == 1;
        });
        EXPECT_EQ(checked, l.checked != 0) << "the record is checked over its size for reading";
    }
}

// ---- qx3gUpdateAlternateServerForDB: its early exits ----

TEST_P(Catalog, AlternateServerExits) {
    Status st;
    EXPECT_EQ(call("qx3gUpdateAlternateServerForDB", 1u, 0u, w(st.ca())), -1078);
    EXPECT_TRUE(SameBytes(st.with(-1078, "SQLGUPAS"), st.mem));
    EXPECT_TRUE(standin::calls_of("sqlo_create_init_app_data").empty());
    Guarded rec(24);
    memset(rec.data(), 0, 24);
    EXPECT_EQ(call("qx3gUpdateAlternateServerForDB", 1u, w(rec.data()), 0u), -1);
    EXPECT_TRUE(standin::calls_of("qx3UpdateAlternateServerForDB").empty());
}

// ---- Returned names: blank-padded from their NUL over their fields ----

// Entry n as the stand-in returns it, padded, over the caller's bytes at `at`.
void pad_entry(Bytes& e, size_t at, unsigned n, bool keep_name1) {
    const std::string text[] = {"Gateway " + std::to_string(n), "GW" + std::to_string(n), "host.example", "NODE", "parameters"};
    const size_t start[] = {6, 37, 46, 65, 74, 587};  // each field runs up to the next
    e[at] = 0x00, e[at + 1] = 0x01;
    for (size_t f = 0; f < 5; ++f)
        for (size_t i = start[f]; i < start[f + 1] && (f != 1 || !keep_name1); ++i)
            e[at + i] = i - start[f] < text[f].size() ? static_cast<uint8_t>(text[f][i - start[f]]) : ' ';
}

// Each entry point hands the field to the one padding rule, whose edges (no NUL, NUL first or
// last, a failing write check) the configuration gets cover token by token. The instance name is
// padded over its 9 bytes whatever the native reported, the field alone checked, for writing; a
// fetched gateway entry only on a warning, its blank-padded name given back; a list pads every
// entry returned and no other.
TEST_P(Catalog, ReturnedNamesArePadded) {
    for (int32_t sqlcode : {1, 0, -1}) {
        for (const char* entry : {"sqlggdge", "sqlggdel", "sqlggins"}) {
            SCOPED_TRACE(std::string(entry) + " sqlcode " + std::to_string(sqlcode));
            standin::reset();
            const bool ins = strcmp(entry, "sqlggins") == 0;
            standin::checks_active(ins);
            Guarded g(ins ? 9 : 588);
            sqlgGatewayEntry* e = g.as<sqlgGatewayEntry>();
            if (!ins) {
                e->iStructId = 256;
                memcpy(e->name1, "GWX     ~", 9);
            }
            Bytes padded = g.bytes();
            if (ins) standin::set_result("sqlegins_api", -1032 * sqlcode);
            else pad_entry(padded, 0, 1, true);
            Status st;
            standin::after_call([&](const standin::Call&) { st.ca()->sqlcode = sqlcode; });
            EXPECT_EQ(call(entry, w(st.ca()), w(e)), ins ? -1032 * sqlcode : 0);
            if (ins) {
                EXPECT_TRUE(SameBytes(Bytes{'Q', 'X', '3', 'I', 'N', 'S', 'T', ' ', ' '}, g));
                ASSERT_EQ(standin::checks().size(), 1u);
                EXPECT_EQ(std::tuple(standin::checks()[0].p, standin::checks()[0].length, standin::checks()[0].mode),
                          std::tuple(w(g.data()), 9u, 2u)) << "the field, for writing";
            } else if (sqlcode > 0) { EXPECT_TRUE(SameBytes(padded, g)); }
            else { EXPECT_EQ(std::string(e->text1, 10) + std::string(e->name1, 9), std::string("Gateway 1\0GWX     ~", 19)); }
        }
    }
    standin::reset();
    Guarded entries(4 * 588), count(2);
    Bytes expect = entries.bytes();
    for (unsigned i = 0; i < 3; ++i) pad_entry(expect, 588 * i, i, false);
    Status st;
    EXPECT_EQ(call("sqlggdgt", w(st.ca()), w(count.data()), w(entries.data())), 0);
    EXPECT_EQ(*count.as<int16_t>(), 3);
    EXPECT_TRUE(SameBytes(expect, entries)) << "entries 0 to 2 padded, entry 3 untouched";
}

}  // namespace
