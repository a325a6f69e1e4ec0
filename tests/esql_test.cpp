// Embedded-SQL runtime services: every forwarding member against its row; addresses as numbers
// and the two byte copies, which make no native call.
#include <string.h>

#include <array>

#include "support/conformance.h"

using namespace qx3test;

using namespace qx3test::conf;

// What each entry point does, written from the interface's description of the family.
QX3_CONFORMANCE(RuntimeServicesRows,
    {.name = "sqlgaloc", .words = "uuuw", .native = "sqlaaloc", .args = "z1 z2 z3 4", .app = App::None},
    {.name = "sqlgdloc", .words = "uw", .native = "sqladloc", .args = "z1 2", .app = App::None},
    {.name = "sqlgcall", .words = "uuuuw", .native = "sqlacall", .args = "z1 z2 z3 z4 5", .app = App::None},
    {.name = "sqlgcmpd", .words = "uuuuw", .native = "sqlacmpd", .args = "z1 z2 z3 z4 5", .app = App::None},
    {.name = "sqlgstlv", .words = "uuuwwww", .native = "sqlastvr", .args = "z1 z2 z3 4 #0 5 6 7", .app = App::None},
    {.name = "sqlgsetv", .words = "uuuuwww", .native = "sqlastvr", .args = "z1 z2 z3 z4 #0 5 6 7", .app = App::None},
    {.name = "sqlgstlva", .words = "uuuwwwwww", .native = "sqlastvra", .args = "z1 z2 z3 4 #0 5 6 7 8 9", .app = App::None},
    {.name = "sqlgsetasz", .words = "uwwuwu", .native = "sqlastsize", .args = "z1 2 3 z4 5 z6", .app = App::None},
    {.name = "sqlgsets", .words = "uww", .native = "sqlastls", .args = "z1 2 3", .app = App::None},
    {.name = "sqlgstls", .words = "www", .native = "sqlastls", .args = "1 2 3", .app = App::None},
    {.name = "sqlgstrt", .words = "www", .native = "sqlastrt", .args = "1 2 3", .app = App::None},
    {.name = "sqlgstop", .words = "w", .native = "sqlastop", .args = "1", .app = App::None},
    {.name = "sqlgusda", .words = "uww", .native = "sqlausda", .args = "z1 2 3", .app = App::None},
    {.name = "sqlgbndx", .words = "uucwss", .native = "sqlabndx", .args = "6 5 4 3", .strings = {S(5, 1), S(6, 2)}},
    {.name = "sqlgrbnd", .words = "uscw", .native = "sqlarbnd", .args = "2 3 4", .strings = {S(2, 1)}},
    // The memory routines call no native: only their outputs change.
    {.name = "sqlgaddr", .words = "wr", .app = App::None, .recs = {R(2, 4)}, .outs = {{F(1, 0), 4}}},
    {.name = "sqlgmcpy", .words = "rrw", .app = App::None, .recs = {R(1, 8), R(2, 8)}, .vals = {{W(3), 8}},
     .outs = {{F(1, 0), 8}}},
    {.name = "sqlgdref", .words = "wrr", .app = App::NoStatus, .recs = {R(2, 8), R(3, 4), RF(2, 0, 8)},
     .vals = {{W(1), 8}}, .outs = {{F(1, 0), 8}}});

// ---- Addresses as numbers, and copies ----

class HostMemory : public EntryTest {};
QX3_BACKENDS(HostMemory);

// sqlgmcpy copies count bytes, asking for nothing and checking nothing. sqlgdref copies from the
// address that sqlgaddr stored as the word itself: it asks for application data, then checks the
// target for writing and the source for reading, both over the count; the first that fails ends
// the call with -1 and nothing copied. A null address word with a count of 0 and checks off is
// never read.
const struct CopyRow {
    const char* entry;
    uint32_t count;
    bool checks, target_fails, source_fails, app_data_fails, null_word;
    int32_t result;
    size_t checks_made;
} kCopyRows[] = {
    {"sqlgdref", 16, true, false, false, false, false, 0, 2},  {"sqlgdref", 16, true, true, false, false, false, -1, 1},
    {"sqlgdref", 16, true, false, true, false, false, -1, 2},  {"sqlgdref", 16, true, false, false, true, false, -1, 0},
    {"sqlgdref", 0, true, false, false, false, false, 0, 2},   {"sqlgdref", 0, false, false, false, false, true, 0, 0},
    {"sqlgmcpy", 0, true, true, true, true, false, 0, 0},      {"sqlgmcpy", 37, true, true, true, true, false, 0, 0},
};

TEST_P(HostMemory, CopiesCheckAndAskAsDocumented) {
    for (const CopyRow& row : kCopyRows) {
        SCOPED_TRACE("row " + std::to_string(&row - kCopyRows));
        standin::reset();
        Guarded source(row.count + 4), target(row.count + 4), word(4);  // the call starts 4 bytes in
        source.fill(0x2B), target.fill(0x90);
        uint8_t *from = source.data() + 4, *to = target.data() + 4;
        const Bytes before = target.bytes(), source_before = source.bytes();
        Bytes copied = before;
        std::copy(source_before.begin() + 4, source_before.end(), copied.begin() + 4);
        const bool dref = strcmp(row.entry, "sqlgdref") == 0;
        if (dref && !row.null_word) { EXPECT_EQ(call("sqlgaddr", w(from), word.data()), 0); }
        standin::checks_active(row.checks);
        if (row.target_fails) standin::fail_checks(to, 1, standin::mode_bit(2));
        if (row.source_fails) standin::fail_checks(from, 1, standin::mode_bit(1));
        if (row.app_data_fails) standin::fail_app_data(5);
        EXPECT_EQ(dref ? call("sqlgdref", row.count, to, row.null_word ? nullptr : word.data())
                       : call("sqlgmcpy", to, from, row.count), row.result);
        EXPECT_TRUE(SameBytes(row.result == 0 ? copied : before, target));
        EXPECT_TRUE(SameBytes(source_before, source)) << "the source is only read";
        std::vector<std::array<uint32_t, 3>> seen, want = {{w(to), row.count, 2}, {w(from), row.count, 1}};
        for (const auto& c : standin::checks()) seen.push_back({static_cast<uint32_t>(c.p), c.length, c.mode});
        want.resize(row.checks_made);
        EXPECT_EQ(seen, want) << "checks as (address, length, mode)";
    }
}

// The word holding the source address sits inside the target, so the copy rewrites it as it goes:
// once byte 4 has been copied, the address points 0x80 bytes further on, and the bytes after it
// must come from there.
TEST_P(HostMemory, SqlgdrefReadsTheSourceAddressAgainForEveryByte) {
    Guarded source(256);  // ends on a page boundary, so it starts on a 256-byte boundary
    source.fill(0x61);
    uint8_t *first = source.data(), *second = first + 0x80;
    const uint32_t a = w(first);
    ASSERT_EQ(a & 0xFF, 0u);
    first[4] = 0x80;  // byte 4 turns the address's low byte into that of `second`
    for (int i = 5; i < 8; ++i) {
        second[i] = static_cast<uint8_t>(a >> (8 * (i - 4)));
        first[i] = static_cast<uint8_t>(i - 4);  // what a copy with the address read once would bring
    }
    Guarded target(8);
    memcpy(target.data() + 4, &a, 4);
    EXPECT_EQ(call("sqlgdref", 8u, target.data(), target.data() + 4), 0);
    const Bytes expect = {first[0], first[1], first[2], first[3], 0x80, second[5], second[6], second[7]};
    EXPECT_TRUE(SameBytes(expect, target));
}
