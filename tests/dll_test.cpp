// The shipped DLL as a file and as loaded code: its export table, DllMain, the data marker, and the
// stack discipline of every implemented entry point on both backends. That it loads at all (machine,
// relocations, no thread-local storage) every call of the DLL backend proves; so too that it imports
// by name only natives of the native table and the four host functions, the only imports the DLL
// backend binds (the stand-in's libraries export the native table and nothing a library could name).
#include <string.h>

#include <algorithm>
#include <set>

#include "frame/entry_table.inc"
#include "peloader/peloader.h"
#include "support/harness.h"

using namespace qx3test;

namespace {

enum { TODO, LIVE };
struct Row {
    std::string name;
    unsigned bytes;
    bool live;
};
const std::vector<Row> kRows = {
#define X(name, upper, bytes, family, frame, state) {#name, bytes, state == LIVE},
    QX3_ENTRY_TABLE(X)
#undef X
};

const char* const kMarker = "sqlzThisIsAQX3Library";

// Every name of the full set, in ascending byte order, gets its ordinal from 1; a row not LIVE leaves its
// four ordinals unused. Every name is code (that the four of a row are one address the stack test
// shows); the data marker, last, is in writable data that is not code. Nothing else is exported, and
// nothing else is writable.
TEST(DllFile, ExportsFourNamesPerLiveEntryPointAndTheMarkerAtTheirOrdinalsAndKeepsNoState) {
    pe::Info info;
    std::string err;
    ASSERT_TRUE(pe::parse(QX3_DLL_PATH, info, err)) << err;
    std::vector<std::string> all{kMarker};
    std::set<std::string> expected{kMarker};
    for (const Row& r : kRows) {
        const std::vector<std::string> names = dll_backend().names_of(r.name.c_str());
        all.insert(all.end(), names.begin(), names.end());
        if (r.live) expected.insert(names.begin(), names.end());
    }
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), 657u);
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
    // The library keeps no state of its own: outside the import addresses the loader binds, a writable
    // section holds the marker alone. The resources (the version resource) come out of the linker
    // flagged writable, but they are constant data that only the system's resource functions read:
    // no code here addresses them.
    const pe::Export* marker = info.export_named(kMarker);
    for (const pe::Section& s : info.sections) {
        bool imports = false;
        for (const pe::ImportModule& m : info.imports)
            for (const pe::ImportFunction& f : m.functions) imports = imports || s.contains(f.iat_rva);
        if (!s.writable || imports || s.name == ".rsrc") continue;
        EXPECT_TRUE(s.contains(marker->rva)) << s.name << " is writable and holds no marker";
        EXPECT_LE(s.mapped_size(), 4u) << s.name << " holds more than the marker";
    }
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
    Guarded scratch(1 << 20);
    for (const Row& r : kRows) {
        if (!r.live) continue;
        const std::vector<std::string> names = GetParam()->names_of(r.name.c_str());
        void* const fn = GetParam()->lookup(names.at(0).c_str());
        ASSERT_NE(fn, nullptr) << r.name;
        for (const std::string& n : names) EXPECT_EQ(GetParam()->lookup(n.c_str()), fn) << n;
        standin::reset();
        standin::fail_app_data(1);
        standin::checks_active(true);
        memset(scratch.data(), 0, scratch.size());
        std::vector<uint32_t> args(r.bytes / 4, w(scratch.data()));
        if (r.name == "sqlgmcpy") args.at(2) = 0;
        uint32_t delta = 0xFFFFFFFF;
        pe::call_stdcall_measure(fn, args.data(), static_cast<unsigned>(args.size()), &delta);
        EXPECT_EQ(delta, r.bytes) << r.name << ": row says @" << r.bytes;
    }
}

QX3_BACKENDS(StackDiscipline);

}  // namespace
