// String-argument commands: every forwarding member against its row; the registration record's
// irregular terminators; the instance-name padding.
#include <string.h>

#include "support/conformance.h"

using namespace qx3test;
using namespace qx3test::conf;

// What each entry point does, written from the interface's description of the family.
QX3_CONFORMANCE(StringCommandsRows,
    {.name = "sqlgatin", .words = "uuucsss", .native = "sqleatin_api", .args = "7 6 5 4",
     .strings = {S(5, 1), S(6, 2), S(7, 3)}},
    {.name = "sqlgdcgd", .words = "uuucsss", .native = "sqledcgd_api", .args = "7 6 5 4",
     .strings = {S(5, 1), S(6, 2), S(7, 3)}},
    {.name = "sqlgmgdb", .words = "uuucsss", .native = "sqlemgdb_api", .args = "7 6 5 4",
     .strings = {S(7, 3), S(6, 2), S(5, 1)}},
    {.name = "sqlgtbau", .words = "usc", .native = "sqlutbau", .args = "2 3", .strings = {S(2, 1)}},
    {.name = "sqlgsact", .words = "usc", .native = "sqlesact_api", .args = "2 3", .strings = {S(2, 1)}},
    {.name = "sqlguncd", .words = "ucs", .native = "sqleuncd_api", .args = "3 2", .strings = {S(3, 1)}},
    {.name = "sqlguncn", .words = "ucs", .native = "sqleuncn_api", .args = "3 2", .strings = {S(3, 1)}},
    {.name = "sqlgdrpd", .words = "wucws", .native = "sqledrpd_api", .args = "5 4 3", .strings = {S(5, 2)}},
    {.name = "sqlgproc", .words = "ucswww", .native = "sqleproc_api", .args = "3 6 4 5 2", .strings = {S(3, 1)}},
    {.name = "sqlgvqdp", .words = "uswwc", .native = "sqluvqdp", .args = "2 3 4 5", .strings = {S(2, 1)}},
    {.name = "qx3gUtilityControl", .words = "www", .native = "qx3UtilityControl", .args = "1 2 3", .app = App::None},
    {.name = "sqlgadau", .words = "ww", .native = "sqluadau", .args = "1 2", .app = App::None},
    {.name = "sqlgauth", .words = "w", .native = "sqluauth_api", .args = "1", .app = App::None},
    {.name = "sqlgdtin", .words = "w", .native = "sqledtin_api", .args = "1", .app = App::None},
    {.name = "sqlgfmem", .words = "ww", .native = "sqlefmem_api", .args = "1 2", .app = App::None},
    {.name = "sqlgfrce", .words = "wuww", .native = "sqlefrce_api", .args = "4 3 z2 1", .app = App::None},
    {.name = "sqlgintr", .words = "", .native = "sqleintr_api", .args = "", .app = App::None},
    {.name = "sqlgisig", .words = "w", .native = "sqleisig_api", .args = "1", .app = App::None},
    {.name = "sqlgqryc", .words = "wuw", .native = "sqleqryc_api", .args = "1 z2 3", .app = App::None},
    {.name = "sqlgsetc", .words = "wuw", .native = "sqlesetc_api", .args = "1 z2 3", .app = App::None},
    {.name = "sqlgsdeg", .words = "wwww", .native = "sqlesdeg_api", .args = "4 3 2 1", .app = App::None},
    {.name = "sqlggstt", .words = "iiww", .native = "sqlogstt", .args = "4 s1 s2 3", .app = App::None},
    {.name = "sqlgintp", .words = "iiww", .native = "sqlaintp_api", .args = "4 s1 s2 ? 3", .app = App::None},
    // The registration record: two inline strings, each with its u16 length behind its field.
    {.name = "sqlgregs", .words = "urc", .native = "sqleregs_api", .args = "z1 2 3", .recs = {R(2, 184)},
     .strings = {SI(1, 0, 50, 2), SI(1, 52, 182, 2)}},
    {.name = "sqlgdreg", .words = "urc", .native = "sqledreg_api", .args = "z1 2 3", .recs = {R(2, 184)},
     .strings = {SI(1, 0, 50, 2), SI(1, 52, 182, 2)}},
    // The instance name comes back blank-padded over 9 bytes.
    {.name = "sqlggins", .words = "cr", .native = "sqlegins_api", .args = "2 1", .recs = {R(2, 9)}, .outs = {{F(1, 0), 9}}});

class StringCommands : public EntryTest {};
QX3_BACKENDS(StringCommands);

// The registration record: lengths at offsets 50 and 182 behind the strings at 0 and 52. Each
// string is checked over length + 1 for reading and writing, after the whole record; one that
// fails, or runs past the record, goes on unterminated. Per case: the record offsets that hold a
// NUL during the call (-1: none; -2: the record passed as null), and the checks made as (record
// offset, length), all in mode 3.
const struct RegRow {
    const char* what;
    uint16_t length1, length2;  // as stored in the record
    bool checks;
    int nul1, nul2;
    std::vector<std::pair<uint32_t, uint32_t>> checked;
} kRegRows[] = {
    {"string 1 fills its field: the NUL lands on length 1", 50, 129, false, 50, 181, {}},
    // Length 2 is read once string 1's NUL sits on its low byte: 0x0105 reads as 0x0100, whose
    // range runs past the record.
    {"length 2 read after string 1's NUL", 182, 0x0105, true, 182, -1, {{0, 184}, {0, 183}, {52, 257}}},
    {"both terminators on one byte", 62, 10, false, 62, 62, {}},
    {"null record: nothing placed, the null record checked", 10, 20, true, -2, -2, {{0, 184}}},
};

TEST_P(StringCommands, SqlgregsTerminatesTheRecordStrings) {
    for (const RegRow& row : kRegRows) {
        SCOPED_TRACE(row.what);
        standin::reset();
        Guarded rec(184);
        memcpy(rec.data() + 50, &row.length1, 2), memcpy(rec.data() + 182, &row.length2, 2);
        const Bytes before = rec.bytes();
        standin::checks_active(row.checks);
        Bytes during, expect = before;
        standin::during_call([&](const standin::Call&) { during = rec.bytes(); });
        const bool null = row.nul1 == -2;
        EXPECT_EQ(call("sqlgregs", 0xBEEF8003u, null ? nullptr : rec.data(), Status().ca()), 0);
        ASSERT_EQ(calls("sqleregs_api").size(), 1u);
        for (int at : {row.nul1, row.nul2}) if (at >= 0) expect[at] = 0;
        EXPECT_TRUE(null || SameBytes(expect, during.data(), during.size())) << "during the call";
        EXPECT_TRUE(SameBytes(before, rec)) << "afterwards";
        std::vector<std::pair<uint32_t, uint32_t>> seen;
        for (const auto& c : standin::checks()) {
            EXPECT_EQ(c.mode, 3u);
            seen.push_back({static_cast<uint32_t>(c.p - (null ? 0u : w(rec.data()))), c.length});
        }
        EXPECT_EQ(seen, row.checked);
    }
}
