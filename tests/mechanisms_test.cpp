// The shared mechanisms of the frame, exercised directly against the stand-in where no entry point
// reaches them: the longest lengths, restore lists, slot arrays and memory blocks.
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

// One block of 8 bytes per slot; an element whose check fails gets no terminator and is not asked
// for again; the rest come back in index order, and the block goes.
TEST_F(Mechanisms, SlotArrayPlacesRestoresInIndexOrderAndReleases) {
    Guarded buf(3 * 6);
    const Bytes before = buf.bytes();
    char* strings[3] = {buf.chars(), buf.chars() + 6, buf.chars() + 12};
    standin::checks_active(true);
    standin::fail_checks(strings[1], 6, standin::mode_bit(3));
    qx3::SlotArray slots("sqlgts");
    ASSERT_EQ(slots.take(3), 0);
    ASSERT_EQ(standin::live_blocks().size(), 1u);
    EXPECT_EQ(standin::live_blocks()[0].size, 24u);
    EXPECT_EQ(standin::live_blocks()[0].tag, "sqlgts");
    for (uint32_t i = 0; i < 3; ++i) slots.place(i, strings[i], 5);
    EXPECT_EQ(buf.data()[5], 0);
    EXPECT_EQ(buf.data()[11], before[11]);
    EXPECT_EQ(buf.data()[17], 0);
    std::vector<uint32_t> asked;
    slots.restore_and_release([&](uint32_t i) {
        asked.push_back(i);
        return strings[i];
    });
    EXPECT_EQ(asked, (std::vector<uint32_t>{0, 2})) << "only placed slots, in index order";
    EXPECT_TRUE(standin::live_blocks().empty());
    EXPECT_TRUE(SameBytes(before, buf));
}

// A request looks at the service's code alone: a refused one leaves the pointer and the slot array
// untaken, with nothing to release; a granted one carries its size and tag to the service and back.
TEST_F(Mechanisms, BlockRequestLooksAtTheCodeAloneAndCarriesItsTag) {
    void* out = reinterpret_cast<void*>(uintptr_t{0xC0FFEE});
    standin::fail_allocation(1, 77);
    EXPECT_EQ(qx3::block_get("sqlgbkp", 16, &out), 77);
    EXPECT_EQ(out, reinterpret_cast<void*>(uintptr_t{0xC0FFEE})) << "the failed request's pointer is not taken";
    qx3::SlotArray slots("sqlgts");
    standin::fail_allocation(1, 0x1234);
    EXPECT_EQ(slots.take(4), 0x1234);
    EXPECT_FALSE(slots.taken());
    slots.restore_and_release([](uint32_t) -> char* {
        ADD_FAILURE() << "nothing to restore";
        return nullptr;
    });
    EXPECT_TRUE(calls("sqlofmblkEx").empty());
    ASSERT_EQ(qx3::block_get("sqlgbkp", 16, &out), 0);
    qx3::block_free("sqlgbkp", out);
    auto gets = calls("sqloGetMemoryBlockExtended");
    ASSERT_EQ(gets.size(), 3u);
    EXPECT_EQ(gets[2].words[0] + gets[2].words[2] + gets[2].words[4], 0u);
    EXPECT_EQ(gets[2].words[1], 16u);
    EXPECT_EQ(standin::show(gets[2].strings[5]), "sqlgbkp");
    auto frees = calls("sqlofmblkEx");
    ASSERT_EQ(frees.size(), 1u);
    EXPECT_EQ(frees[0].words[2], w(out));
    EXPECT_EQ(standin::show(frees[0].strings[0]), "sqlgbkp");
}

}  // namespace
