// The shared mechanisms of the frame where no conformance row reaches them: the blocks of copied
// lists by list shape, and the longest 32-bit length.
#include <string.h>

#include "frame/frame.h"
#include "frame/lists.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

class CopiedLists : public EntryTest {};

// qx3gBackup with a tablespace list and a media list (-1: none), every entry's text of length 5:
// a slot array and a pointer array for every list given, even an empty one, and a copy per entry;
// every byte back and every block released, the native called once.
TEST_P(CopiedLists, TwoBlocksAListAndOneAnEntry) {
    const struct { int ts, media; unsigned blocks; } rows[] = {{-1, -1, 0}, {2, 2, 8}, {0, 3, 7}, {-1, 300, 302}};
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.ts) + " and " + std::to_string(r.media) + " entries");
        expect_native_layer_clean();
        CallerMemory mem;
        Guarded& rec = mem.add("record", 136);
        memset(rec.data(), 0, 136);
        qx3gBackupStruct* p = rec.as<qx3gBackupStruct>();
        if (r.ts >= 0) p->piTablespaceList = generic_tablespaces(mem, "tablespaces", Texts(r.ts, "TSNAM")).list;
        if (r.media >= 0) p->piMediaList = generic_media(mem, "media", 'L', Texts(r.media, "MEDIA")).list;
        const auto before = mem.snapshot();
        standin::set_result("qx3Backup", 0x1234);
        Status st;
        EXPECT_EQ(call("qx3gBackup", 11010000u, p, st.ca()), 0x1234);
        EXPECT_EQ(calls("qx3Backup").size(), 1u);
        EXPECT_EQ(standin::allocations(), r.blocks);
        EXPECT_EQ(calls("sqlofmblkEx").size(), r.blocks);
        EXPECT_TRUE(mem.Is(before));
    }
}

QX3_BACKENDS(CopiedLists);

// A list entry of length 0xFFFFFFFF would put the NUL at T[-1]: no terminator, no check, the
// status as it was, the byte before the text untouched.
TEST(Mechanisms, NoByteBehindTheLongestEntry) {
    fresh_native_layer();
    Guarded s(2);
    const Bytes before = s.bytes();
    standin::checks_active(true);
    qx3::SlotRecord entry{5, 5};
    int32_t status = 7;
    qx3::entry_unit(entry, s.chars() + 1, 0xFFFFFFFFu, status);
    EXPECT_EQ(entry.pos, -1);
    EXPECT_EQ(status, 7);
    EXPECT_TRUE(standin::checks().empty());
    EXPECT_TRUE(SameBytes(before, s));
    expect_native_layer_clean();
}

}  // namespace
