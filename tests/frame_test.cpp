// The call frame and the terminator rules, through the model entry point sqlgrdb: what the native
// side sees, which checks are made, what the caller's memory holds afterwards, and the library's
// own exits.
#include <string.h>

#include "support/harness.h"

using namespace qx3test;

namespace {

enum class Ptr { Null, Good, CheckFails };

struct PlaceRow {
    const char* what;
    uint32_t length_word;  // the whole argument word; only its low 16 bits are the length
    Ptr ptr;
    bool checks;           // pointer checks active
    unsigned fail_modes;   // with CheckFails: in which access modes the alias's range fails
    bool terminated;       // the native side sees a NUL at alias[length]
};

const PlaceRow kPlaceRows[] = {
    {"length 5, checks off", 5, Ptr::Good, false, 0, true},
    {"high half of the length word ignored", 0xBEEF0005, Ptr::Good, false, 0, true},
    {"length 0 terminates p[0]", 0, Ptr::Good, false, 0, true},
    {"length 0, high half set", 0xFFFF0000, Ptr::Good, false, 0, true},
    {"length 65535", 0xFFFF, Ptr::Good, true, 0, true},
    {"checks on and passing", 5, Ptr::Good, true, 0, true},
    {"check fails in mode 3", 5, Ptr::CheckFails, true, standin::mode_bit(3), false},
    {"a failing read check does not matter", 5, Ptr::CheckFails, true, standin::mode_bit(1), true},
    {"a failing write check does not matter", 5, Ptr::CheckFails, true, standin::mode_bit(2), true},
    {"failing ranges ignored while checks are off", 5, Ptr::CheckFails, false, standin::kAllModes, true},
    {"null alias, checks off", 5, Ptr::Null, false, 0, false},
    {"null alias, checks on", 5, Ptr::Null, true, 0, false},
};

}  // namespace

// One test per row, each run on every backend.
class Placing : public EntryTest {};

TEST_P(Placing, SqlgrdbPlacesAndRestoresTheAliasTerminator) {
    for (const PlaceRow& row : kPlaceRows) {
        SCOPED_TRACE(row.what);
        standin::reset();
        const uint32_t n = row.length_word & 0xFFFF;
        Guarded alias(n + 1);  // the string and its one borrowed byte, against the guard page
        alias.fill(0x61);
        const Bytes before = alias.bytes();
        Status st;
        char* p = row.ptr == Ptr::Null ? nullptr : alias.chars();
        standin::checks_active(row.checks);
        if (row.ptr == Ptr::CheckFails) standin::fail_checks(p, n + 1, row.fail_modes);

        Bytes during;
        standin::during_call([&](const standin::Call&) { during = alias.bytes(); });
        standin::set_result("sqlfrdb", 0x1234);
        const int32_t rc = call("sqlgrdb", row.length_word, st.ca(), p);

        EXPECT_EQ(rc, 0x1234);
        auto natives = calls("sqlfrdb");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words[0], w(p)) << "the alias pointer goes on unchanged";
        EXPECT_EQ(natives[0].words[1], w(st.ca())) << "the caller's sqlca goes on unchanged";
        Bytes expect_during = before;
        if (row.terminated) {
            expect_during[n] = 0;
            EXPECT_EQ(standin::show(natives[0].strings[0]), std::string(alias.chars(), n));
        } else if (row.ptr == Ptr::Null) {
            EXPECT_TRUE(natives[0].strings[0].null);
        } else {
            EXPECT_FALSE(natives[0].strings[0].terminated) << "sent on unterminated";
        }
        if (row.ptr != Ptr::Null) {
            EXPECT_TRUE(SameBytes(expect_during, during.data(), during.size())) << "during the call";
        }
        EXPECT_TRUE(SameBytes(before, alias)) << "afterwards";

        // Checks: none while inactive or for a null pointer; otherwise exactly one, over n + 1 bytes,
        // read and write.
        const auto& checks = standin::checks();
        if (!row.checks || row.ptr == Ptr::Null) {
            EXPECT_TRUE(checks.empty());
        } else {
            ASSERT_EQ(checks.size(), 1u);
            EXPECT_EQ(checks[0].p, reinterpret_cast<uintptr_t>(p));
            EXPECT_EQ(checks[0].length, n + 1);
            EXPECT_EQ(checks[0].mode, 3u);
        }
        // The frame asks for application data once, with its fixed request, before the native call.
        ASSERT_GE(standin::calls().size(), 2u);
        EXPECT_EQ(standin::calls()[0].name, "sqlo_create_init_app_data");
        EXPECT_EQ(standin::calls()[0].words[0], 0x8E8215u);
        EXPECT_EQ(standin::allocations(), 0u) << "sqlgrdb needs no memory block";
    }
}

TEST_P(Placing, SqlgrdbBuffersSharedAcrossCallsComeBackEachTime) {
    // One buffer holding "AB" then "CD": two calls on overlapping strings leave it as it was.
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
