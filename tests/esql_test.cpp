// Embedded-SQL runtime services: every forwarding member against its row; addresses as numbers
// and the two byte copies, which make no native call.
#include <string.h>

#include "support/conformance.h"
#include "support/harness.h"

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

// sqlgaddr stores the address itself as the word, making no call; sqlgdref copies from the address
// that word holds, asking for nothing but application data.
TEST_P(HostMemory, SqlgaddrStoresTheWordAndSqlgdrefCopiesFromIt) {
    Guarded source(16);
    source.fill(0x11);
    Guarded word(4);
    Guarded target(16);
    EXPECT_EQ(call("sqlgaddr", w(source.data()), word.data()), 0);
    uint32_t stored = 0;
    memcpy(&stored, word.data(), 4);
    ASSERT_EQ(stored, w(source.data())) << "the copy below would read from elsewhere";
    EXPECT_EQ(call("sqlgdref", 16u, target.data(), word.data()), 0);
    EXPECT_TRUE(SameBytes(source.bytes(), target));
    ASSERT_EQ(standin::calls().size(), 1u);
    EXPECT_EQ(standin::calls()[0].name, "sqlo_create_init_app_data");
}

// sqlgdref checks the target for writing, then the source for reading, both over the count; the
// first that fails ends the call with -1 and nothing copied. A null address word with a count of
// 0 and checks off is never read.
struct DrefRow {
    const char* what;
    uint32_t count;
    bool checks, target_fails, source_fails, app_data_fails, null_word;
    int32_t result;
    size_t checks_made;
};
const DrefRow kDrefRows[] = {
    {"checks inactive: no check asked for", 16, false, false, false, false, false, 0, 0},
    {"checks active and passing", 16, true, false, false, false, false, 0, 2},
    {"target not writable", 16, true, true, false, false, false, -1, 1},
    {"source not readable", 16, true, false, true, false, false, -1, 2},
    {"application data fails", 16, true, false, false, true, false, -1, 0},
    {"count 0: checks cover 0 bytes", 0, true, false, false, false, false, 0, 2},
    {"a single byte", 1, true, false, false, false, false, 0, 2},
    {"count 0 never reads a null address word", 0, false, false, false, false, true, 0, 0},
};

TEST_P(HostMemory, SqlgdrefChecksThenCopies) {
    for (const DrefRow& row : kDrefRows) {
        SCOPED_TRACE(row.what);
        standin::reset();
        Guarded source(row.count), target(row.count), word(4);
        source.fill(0x2B);
        target.fill(0x90);
        const Bytes before = target.bytes(), source_before = source.bytes();
        const uint32_t address = w(source.data());
        memcpy(word.data(), &address, 4);
        standin::checks_active(row.checks);
        if (row.target_fails) standin::fail_checks(target.data(), 1, standin::mode_bit(2));
        if (row.source_fails) standin::fail_checks(source.data(), 1, standin::mode_bit(1));
        if (row.app_data_fails) standin::fail_app_data(5);

        EXPECT_EQ(call("sqlgdref", row.count, target.data(), row.null_word ? nullptr : word.data()), row.result);

        EXPECT_TRUE(SameBytes(row.result == 0 ? source_before : before, target));
        EXPECT_TRUE(SameBytes(source_before, source)) << "the source is only read";
        const auto& checks = standin::checks();
        ASSERT_EQ(checks.size(), row.checks_made);
        const uintptr_t where[2] = {w(target.data()), w(source.data())};
        for (size_t i = 0; i < checks.size(); ++i) {
            EXPECT_EQ(checks[i].p, where[i]) << "check " << i;
            EXPECT_EQ(checks[i].length, row.count) << "check " << i;
            EXPECT_EQ(checks[i].mode, 2u - i) << "check " << i;
        }
        ASSERT_EQ(standin::calls().size(), 1u) << "nothing but the application-data request";
        EXPECT_EQ(standin::calls()[0].name, "sqlo_create_init_app_data") << "framed, without a status record";
    }
}

// The word holding the source address sits inside the target, so the copy rewrites it as it goes:
// once byte 4 has been copied, the address points 0x80 bytes further on, and the bytes after it
// must come from there.
TEST_P(HostMemory, SqlgdrefReadsTheSourceAddressAgainForEveryByte) {
    Guarded source(256);  // ends on a page boundary, so it starts on a 256-byte boundary
    source.fill(0x61);
    uint8_t* first = source.data();
    uint8_t* second = source.data() + 0x80;
    ASSERT_EQ(w(first) & 0xFF, 0u);
    const uint32_t a = w(first);
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

// sqlgmcpy copies count bytes, asks for no application data and calls nothing.
TEST_P(HostMemory, SqlgmcpyCopiesCountBytes) {
    for (uint32_t count : {0u, 1u, 37u}) {
        SCOPED_TRACE(count);
        standin::reset();
        Guarded source(count + 4), target(count + 4);
        source.fill(0x19);
        target.fill(0x77);
        const Bytes source_before = source.bytes();
        Bytes expect = target.bytes();
        std::copy(source_before.begin() + 4, source_before.end(), expect.begin() + 4);
        standin::fail_app_data(1);  // not asked for
        EXPECT_EQ(call("sqlgmcpy", target.data() + 4, source.data() + 4, count), 0);
        EXPECT_TRUE(SameBytes(expect, target));
        EXPECT_TRUE(SameBytes(source_before, source));
        EXPECT_TRUE(standin::calls().empty()) << "no call into the native layer";
    }
}

QX3_BACKENDS(HostMemory);
