// The shared mechanisms of the frame, exercised directly against the stand-in where no entry point
// reaches them: the longest lengths and the restore list's walk. (Slot arrays and memory blocks
// are seen through the list tables and every row's memory failures.)
#include <string.h>

#include "frame/frame.h"
#include "frame/lists.h"
#include "support/harness.h"

using namespace qx3test;

namespace {

class Mechanisms : public ::testing::Test {
protected:
    void SetUp() override { fresh_native_layer(); }
    void TearDown() override { expect_native_layer_clean(); }
};

// A 16-bit length of 65535 borrows the byte right before the guard page, after one check over
// 65536 bytes. A 32-bit length of 0xFFFFFFFF would put the NUL at p[-1]: no terminator, no check,
// the status as it was, the byte before the string untouched.
TEST_F(Mechanisms, TheLongestLengths) {
    Guarded s(65536);
    const Bytes before = s.bytes();
    standin::checks_active(true);
    qx3::Slot slot;
    slot.place(s.chars(), 0xFFFF);
    ASSERT_EQ(slot.pos, 0xFFFF);
    EXPECT_EQ(s.data()[0xFFFF], 0);
    EXPECT_EQ(slot.saved, before[0xFFFF]);
    ASSERT_EQ(standin::checks().size(), 1u);
    EXPECT_EQ(standin::checks()[0].length, 65536u);
    slot.restore(s.chars());
    EXPECT_TRUE(SameBytes(before, s));
    for (bool checks : {false, true}) {
        SCOPED_TRACE(checks ? "checks on" : "checks off");
        standin::reset();
        standin::checks_active(checks);
        slot.place(s.chars() + 1, 0xFFFFFFFFu);
        EXPECT_EQ(slot.pos, -1);
        qx3::SlotRecord entry{};
        int32_t status = 7;
        qx3::entry_unit(entry, s.chars() + 1, 0xFFFFFFFFu, status);
        EXPECT_EQ(entry.pos, -1);
        EXPECT_EQ(status, 7);
        EXPECT_TRUE(standin::checks().empty());
        EXPECT_TRUE(SameBytes(before, s));
    }
}

// Three elements of one buffer, terminated 0, 1, 2, the last push refused: the walk gives them back
// 2, 1, 0 — so two terminators on one byte leave the caller's byte — and releases each entry
// before it looks at the next.
TEST_F(Mechanisms, RestoreListUnwindsNewestFirstAndReleasesAsItGoes) {
    Guarded buf(12);
    const Bytes before = buf.bytes();
    qx3::RestoreList list("sqlgcfg");
    for (uint32_t i = 0; i < 3; ++i) {
        char* at = buf.chars() + 4 * i + 3;
        ASSERT_EQ(list.push(i, static_cast<uint8_t>(*at)), 0);
        *at = 0;
    }
    standin::fail_allocation(1, 0x8B0F0001);
    EXPECT_EQ(list.push(9, 'y'), 0x8B0F0001);
    ASSERT_EQ(standin::live_blocks().size(), 3u);
    for (const standin::Block& b : standin::live_blocks()) {
        EXPECT_EQ(b.size, 12u);
        EXPECT_EQ(b.tag, "sqlgcfg");
    }
    std::vector<uint32_t> order;
    std::vector<size_t> live_at_visit;
    list.unwind([&](uint32_t index, uint8_t saved) {
        order.push_back(index);
        live_at_visit.push_back(standin::live_blocks().size());
        buf.chars()[4 * index + 3] = static_cast<char>(saved);
    });
    EXPECT_EQ(order, (std::vector<uint32_t>{2, 1, 0}));
    EXPECT_EQ(live_at_visit, (std::vector<size_t>{3, 2, 1}));
    EXPECT_TRUE(SameBytes(before, buf));
}

}  // namespace
