// The shipped DLL as a file and as loaded code: its export and import tables, DllMain, the data
// marker, and the stack discipline of every implemented entry point on both backends. That it loads
// at all (machine, relocations, no thread-local storage) every call of the DLL backend proves.
#include <string.h>
#include <strings.h>
#include <sys/mman.h>

#include <algorithm>
#include <set>

#include "frame/entry_table.inc"
#include "native/table.inc"
#include "peloader/peloader.h"
#include "support/harness.h"

using namespace qx3test;

namespace {

enum { TODO, LIVE };
struct Row {
    std::string name;
    unsigned bytes;
    bool live;
    std::vector<std::string> names;
};
const std::vector<Row> kRows = {
#define X(name, upper, bytes, family, frame, state) \
    {#name, bytes, state == LIVE, {#upper, #upper "@" #bytes, #name, #name "@" #bytes}},
    QX3_ENTRY_TABLE(X)
#undef X
};

const char* const kMarker = "sqlzThisIsAQX3Library";

pe::Info parsed() {
    pe::Info info;
    std::string err;
    EXPECT_TRUE(pe::parse(QX3_DLL_PATH, info, err)) << err;
    return info;
}

// Every name of the full set, in ascending byte order, gets its ordinal from 1; a row not LIVE leaves its
// four ordinals unused. Every name is code (that the four of a row are one address the stack test
// shows); the data marker, last, is in writable data that is not code. Nothing else is exported.
TEST(DllFile, ExportsFourNamesPerLiveEntryPointAndTheMarkerAtTheirOrdinals) {
    const pe::Info info = parsed();
    std::vector<std::string> all{kMarker};
    std::set<std::string> expected{kMarker};
    for (const Row& r : kRows) {
        all.insert(all.end(), r.names.begin(), r.names.end());
        if (r.live) expected.insert(r.names.begin(), r.names.end());
    }
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), 657u);
    ASSERT_EQ(all.back(), kMarker);
    for (unsigned ordinal = 1; ordinal <= all.size(); ++ordinal) {
        const std::string& n = all[ordinal - 1];
        const pe::Export* e = info.export_named(n);
        if (!expected.count(n)) {
            EXPECT_EQ(e, nullptr) << n << " exported but its row is not LIVE";
            EXPECT_EQ(info.export_ordinal(ordinal), nullptr) << "ordinal of " << n << " must stay unused";
            continue;
        }
        ASSERT_NE(e, nullptr) << n << " missing";
        EXPECT_EQ(e->ordinal, ordinal) << n;
        EXPECT_FALSE(e->forwarder) << n;
        const pe::Section* s = info.section_of(e->rva);
        ASSERT_NE(s, nullptr) << n;
        EXPECT_EQ(s->executable, n != kMarker) << n;
        EXPECT_EQ(s->writable, n == kMarker) << n;
    }
    EXPECT_EQ(info.exports.size(), expected.size()) << "exports without a name or beyond the set";
}

// The DLL backend binds only kernel32's DisableThreadLibraryCalls, three C runtime functions and
// the native modules, by name: what remains to see is that the native imports are all in the
// native table, none by ordinal.
TEST(DllFile, ImportsByNameOnlyWhatTheNativeTableHolds) {
    std::set<std::string> natives{"g_sqltCompTraceFlags"};
#define N(name, bytes, module, family) natives.insert(#name);
    QX3_NATIVE_TABLE(N)
#undef N
    size_t seen = 0;
    for (const pe::ImportModule& m : parsed().imports)
        for (const pe::ImportFunction& f : m.functions) {
            EXPECT_FALSE(f.by_ordinal) << m.module << " imported by ordinal";
            if (strncasecmp(m.module.c_str(), "qx3", 3) != 0) continue;
            ++seen;
            EXPECT_TRUE(natives.count(f.name)) << m.module << "!" << f.name;
        }
    EXPECT_GT(seen, 100u);
}

// DllMain turns thread notifications off with its own handle on process attach only, and says yes to
// every reason. The data marker reads zero.
TEST(DllMain, TurnsOffThreadNotificationsAndLeavesTheDataMarkerZero) {
    std::string err;
    pe::Image* img = load_dll(err);
    ASSERT_NE(img, nullptr) << err;
    const size_t before = disable_thread_calls().size();
    EXPECT_TRUE(pe::attach(img));
    ASSERT_EQ(disable_thread_calls().size(), before + 1);
    EXPECT_EQ(disable_thread_calls().back(), w(pe::base(img)));
    auto* marker = static_cast<volatile uint32_t*>(pe::proc(img, kMarker));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(*marker, 0u);
    using Entry = int(__attribute__((stdcall)) *)(void*, uint32_t, void*);
    const Entry entry = reinterpret_cast<Entry>(static_cast<char*>(pe::base(img)) + pe::info(img).entry_rva);
    for (uint32_t reason : {2u, 3u}) EXPECT_EQ(entry(pe::base(img), reason, nullptr), 1) << "reason " << reason;
    EXPECT_TRUE(pe::detach(img));
    EXPECT_EQ(disable_thread_calls().size(), before + 1) << "only process attach turns notifications off";
    pe::unload(img);
}

// Every implemented entry point removes exactly its N bytes of arguments, and all the names the backend
// exports it by are one address (that the shared library exports nothing else is its own CTest check).
// The application data is made to fail so that framed entry points return at once; every argument word
// points at a zeroed scratch area large enough for any 16-bit length, and pointer checks are active, so
// the unframed ones forward harmless values. The memory copy has no check to stop it and gets a count of
// 0 (its third word). A block left behind is a fault at the next reset.
class StackDiscipline : public EntryTest {};

TEST_P(StackDiscipline, CalleeRemovesExactlyItsArgumentBytesAndEveryNameIsOneAddress) {
    const size_t scratch_size = 1 << 20;
    void* scratch = mmap(nullptr, scratch_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(scratch, MAP_FAILED);
    for (const Row& r : kRows) {
        if (!r.live) continue;
        const std::vector<std::string> names = GetParam()->names_of(r.name.c_str());
        void* const fn = GetParam()->lookup(names.at(0).c_str());
        ASSERT_NE(fn, nullptr) << r.name;
        for (const std::string& n : names) EXPECT_EQ(GetParam()->lookup(n.c_str()), fn) << n;
        standin::reset();
        standin::fail_app_data(1);
        standin::checks_active(true);
        memset(scratch, 0, scratch_size);
        std::vector<uint32_t> args(r.bytes / 4, w(scratch));
        if (r.name == "sqlgmcpy") args.at(2) = 0;
        uint32_t delta = 0xFFFFFFFF;
        pe::call_stdcall_measure(fn, args.data(), static_cast<unsigned>(args.size()), &delta);
        EXPECT_EQ(delta, r.bytes) << r.name << ": row says @" << r.bytes;
    }
    munmap(scratch, scratch_size);
}

QX3_BACKENDS(StackDiscipline);

}  // namespace
