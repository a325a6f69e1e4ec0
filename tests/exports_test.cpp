// The exports of the shared library: every LIVE entry point under its documented and upper-case
// names, at one address, and nothing for the rest.
#include <dlfcn.h>

#include "frame/entry_table.inc"
#include "support/harness.h"

using namespace qx3test;

namespace {

struct Row {
    const char* name;
    const char* upper;
    unsigned bytes;
    bool live;
};
enum { TODO, LIVE };
const Row kRows[] = {
#define X(name, upper, bytes, family, frame, state) {#name, #upper, bytes, state == LIVE},
    QX3_ENTRY_TABLE(X)
#undef X
};

TEST(SharedLibraryExports, LiveRowsUnderTwoNamesAtOneAddressOthersAbsent) {
    Backend& so = so_backend();
    unsigned live = 0;
    for (const Row& r : kRows) {
        void* a = so.lookup(r.name);
        void* b = so.lookup(r.upper);
        if (r.live) {
            ++live;
            EXPECT_NE(a, nullptr) << r.name;
            EXPECT_EQ(a, b) << r.name << " and " << r.upper;
        } else {
            EXPECT_EQ(a, nullptr) << r.name << " is exported but not LIVE";
            EXPECT_EQ(b, nullptr) << r.upper << " is exported but not LIVE";
        }
        const std::string decorated = std::string(r.name) + "@" + std::to_string(r.bytes);
        EXPECT_EQ(so.lookup(decorated.c_str()), nullptr) << "ELF names carry no @N";
    }
    EXPECT_GE(live, 1u);
    EXPECT_EQ(so.lookup("sqlzThisIsAQX3Library"), nullptr);
}

}  // namespace
