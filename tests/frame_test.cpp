// The placing rule at the lengths no conformance row uses, through the model entry point sqlgrdb:
// a length of 0 (whatever the high half of its word) borrows the string's first byte, and the
// same buffer lent to calls one after another comes back each time.
#include <string.h>

#include "support/harness.h"

using namespace qx3test;

namespace {

class Placing : public EntryTest {};

TEST_P(Placing, SqlgrdbLengthZeroBorrowsTheFirstByte) {
    for (uint32_t word : {0u, 0xFFFF0000u}) {
        SCOPED_TRACE(word);
        standin::reset();
        Guarded alias(1);  // the one borrowed byte, against the guard page
        alias.fill(0x61);
        const Bytes before = alias.bytes();
        Status st;
        standin::checks_active(true);
        Bytes during;
        standin::during_call([&](const standin::Call&) { during = alias.bytes(); });
        EXPECT_EQ(call("sqlgrdb", word, st.ca(), alias.chars()), 0);
        auto natives = calls("sqlfrdb");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(standin::show(natives[0].strings[0]), "");
        EXPECT_TRUE(SameBytes(Bytes{0}, during.data(), during.size())) << "during the call";
        EXPECT_TRUE(SameBytes(before, alias)) << "afterwards";
        ASSERT_EQ(standin::checks().size(), 1u);
        EXPECT_EQ(standin::checks()[0].p, w(alias.data()));
        EXPECT_EQ(standin::checks()[0].length, 1u);
        EXPECT_EQ(standin::checks()[0].mode, 3u);
    }
}

TEST_P(Placing, SqlgrdbBuffersSharedAcrossCallsComeBackEachTime) {
    Guarded buf(5);
    buf.set(0, "ABCDE");
    Status st;
    EXPECT_EQ(call("sqlgrdb", 2u, st.ca(), buf.chars()), 0);
    EXPECT_EQ(call("sqlgrdb", 4u, st.ca(), buf.chars()), 0);
    auto natives = calls("sqlfrdb");
    ASSERT_EQ(natives.size(), 2u);
    EXPECT_EQ(standin::show(natives[0].strings[0]), "AB");
    EXPECT_EQ(standin::show(natives[1].strings[0]), "ABCD");
    EXPECT_EQ(memcmp(buf.data(), "ABCDE", 5), 0);
}

QX3_BACKENDS(Placing);

}  // namespace
