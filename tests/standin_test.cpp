// The stand-in's pointer check and ledger must be real: tests of the library's checks and blocks
// are worth only as much as the check and the ledger behind them.
#include <sys/mman.h>

#include "native/platform.h"
#include "support/harness.h"

using namespace qx3test;

namespace {

// The check follows the process mappings; a failing range fails only the modes it names, and only
// where it overlaps.
TEST(StandinChecks, FollowTheProcessMappingsAndFailingRanges) {
    standin::reset();
    const size_t page = 4096;
    void* m = mmap(nullptr, 3 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(m, MAP_FAILED);
    uint8_t *rw = static_cast<uint8_t*>(m), *ro = rw + page, *none = rw + 2 * page;
    ASSERT_EQ(mprotect(ro, page, PROT_READ), 0);
    ASSERT_EQ(mprotect(none, page, PROT_NONE), 0);
    standin::fail_checks(rw + 16, 16, standin::mode_bit(2));
    const struct { const char* what; const void* p; uint32_t len; uint8_t mode; bool ok; } rows[] = {
        {"read-only page, read", ro, 16, 1, true},
        {"read-only page, write", ro, 16, 2, false},
        {"read-only page, both", ro, 16, 3, false},
        {"writable into read-only, read", rw + page - 8, 16, 1, true},
        {"writable into read-only, write", rw + page - 8, 16, 2, false},
        {"last readable byte", none - 1, 1, 1, true},
        {"one byte into the guard", none - 1, 2, 1, false},
        {"guard page", none, 1, 1, false},
        {"null", nullptr, 1, 1, false},
        {"failing range, other mode", rw + 20, 4, 1, true},
        {"failing range overlapped by one byte", rw, 17, 2, false},
        {"failing range touched, not overlapped", rw, 16, 2, true},
    };
    for (const auto& r : rows) EXPECT_EQ(sqlagcptr_real(r.p, r.len, r.mode) == 0, r.ok) << r.what;
    munmap(m, 3 * page);
    standin::reset();
}

// A release under the wrong tag or of an unknown block is a fault; so is a block still live at a
// reset, which is forgotten by the ledger but not by the faults.
TEST(StandinLedger, CatchesWrongTagUnknownReleaseAndLeftBlocks) {
    standin::reset();
    int32_t rc = -1;
    void* p = sqloGetMemoryBlockExtended(0, 8, 0, &rc, 0, "sqlgcfg", 1);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(standin::live_blocks().size(), 1u);
    sqlofmblkEx("sqlgusys", 2, p);
    sqlofmblkEx("sqlgcfg", 3, p);
    EXPECT_EQ(standin::faults().size(), 2u);
    standin::clear_faults();
    (void)sqloGetMemoryBlockExtended(0, 4, 0, &rc, 0, "sqlgts", 4);
    ASSERT_EQ(rc, 0);
    standin::reset();
    EXPECT_TRUE(standin::live_blocks().empty());
    ASSERT_EQ(standin::faults().size(), 1u);
    EXPECT_NE(standin::faults()[0].find("tag sqlgts"), std::string::npos) << standin::faults()[0];
    standin::clear_faults();
}

}  // namespace
