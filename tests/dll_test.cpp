// The shipped DLL as a file and as loaded code: its export and import tables, DllMain, the data
// marker, and the stack discipline of every implemented entry point on both backends.
#include <string.h>
#include <sys/mman.h>

#include <algorithm>
#include <map>
#include <set>

#include "frame/entry_table.inc"
#include "native/table.inc"
#include "peloader/peloader.h"
#include "support/harness.h"

using namespace qx3test;

namespace {

enum { TODO, LIVE };
struct Row {
    std::string name, upper;
    unsigned bytes;
    bool live;
};
const std::vector<Row> kRows = {
#define X(name, upper, bytes, family, frame, state) {#name, #upper, bytes, state == LIVE},
    QX3_ENTRY_TABLE(X)
#undef X
};

const char* const kMarker = "sqlzThisIsAQX3Library";

// The ordinals the export scheme gives: every name of the full set, in ascending byte order, from 1.
std::map<std::string, unsigned> full_ordinals() {
    std::vector<std::string> all{kMarker};
    for (const Row& r : kRows) {
        const std::string at = "@" + std::to_string(r.bytes);
        all.insert(all.end(), {r.upper, r.upper + at, r.name, r.name + at});
    }
    std::sort(all.begin(), all.end());
    std::map<std::string, unsigned> ord;
    for (size_t i = 0; i < all.size(); ++i) ord[all[i]] = static_cast<unsigned>(i + 1);
    return ord;
}

pe::Info parsed() {
    pe::Info info;
    std::string err;
    EXPECT_TRUE(pe::parse(QX3_DLL_PATH, info, err)) << err;
    return info;
}

TEST(DllFile, IsAnI386Dll) {
    const pe::Info info = parsed();
    EXPECT_EQ(info.machine, pe::kMachineI386);
    EXPECT_TRUE(info.is_dll);
    EXPECT_NE(info.entry_rva, 0u) << "DllMain is the entry point";
    EXPECT_EQ(info.relocs_other, 0u);
    EXPECT_FALSE(info.has_tls) << "no thread-local state, no constructors";
}

TEST(DllFile, ExportsFourNamesPerLiveEntryPointAtTheirOrdinals) {
    const pe::Info info = parsed();
    const auto ordinals = full_ordinals();
    ASSERT_EQ(ordinals.size(), 657u);
    std::set<std::string> expected{kMarker};
    for (const Row& r : kRows) {
        const std::string at = "@" + std::to_string(r.bytes);
        const std::string names[4] = {r.upper, r.upper + at, r.name, r.name + at};
        const pe::Export* first = info.export_named(names[0]);
        for (const std::string& n : names) {
            const pe::Export* e = info.export_named(n);
            if (!r.live) {
                EXPECT_EQ(e, nullptr) << n << " exported but its row is not LIVE";
                EXPECT_EQ(info.export_ordinal(ordinals.at(n)), nullptr) << "ordinal of " << n << " must stay unused";
                continue;
            }
            expected.insert(n);
            ASSERT_NE(e, nullptr) << n << " missing";
            EXPECT_EQ(e->ordinal, ordinals.at(n)) << n;
            EXPECT_FALSE(e->forwarder) << n;
            ASSERT_NE(first, nullptr);
            EXPECT_EQ(e->rva, first->rva) << n << " and " << names[0] << " differ";
            const pe::Section* s = info.section_of(e->rva);
            ASSERT_NE(s, nullptr) << n;
            EXPECT_TRUE(s->executable) << n << " is not code";
        }
    }
    std::set<std::string> have;
    for (const pe::Export& e : info.exports) {
        EXPECT_FALSE(e.name.empty()) << "ordinal " << e.ordinal << " exported without a name";
        have.insert(e.name);
    }
    EXPECT_EQ(have, expected);
}

TEST(DllFile, DataMarkerIsLastAndInWritableData) {
    const pe::Info info = parsed();
    const pe::Export* e = info.export_named(kMarker);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->ordinal, 657u);
    const pe::Section* s = info.section_of(e->rva);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->writable) << s->name;
    EXPECT_FALSE(s->executable) << s->name;
}

TEST(DllFile, ImportsOnlyTheNativeLayerKernel32AndTheCRuntime) {
    const pe::Info info = parsed();
    std::set<std::string> app, sys;
#define N(name, bytes, module, family) (std::string(#module) == "APP" ? app : sys).insert(#name);
    QX3_NATIVE_TABLE(N)
#undef N
    const std::map<std::string, std::set<std::string>> allowed = {
        {"QX3APP.dll", app},
        {"QX3SYS.dll", sys},
        {"QX3WINT.dll", {"g_sqltCompTraceFlags"}},
        {"KERNEL32.dll", {"DisableThreadLibraryCalls"}},
        {"msvcrt.dll", {"memcpy", "memset", "sprintf"}},
    };
    bool kernel32 = false;
    for (const pe::ImportModule& m : info.imports) {
        const auto it = std::find_if(allowed.begin(), allowed.end(),
                                     [&](const auto& a) { return pe::same_module(a.first.c_str(), m.module.c_str()); });
        ASSERT_NE(it, allowed.end()) << "imports from " << m.module;
        kernel32 = kernel32 || it->first == "KERNEL32.dll";
        for (const pe::ImportFunction& f : m.functions) {
            EXPECT_FALSE(f.by_ordinal) << m.module << " imported by ordinal";
            EXPECT_TRUE(it->second.count(f.name)) << m.module << "!" << f.name << " is not allowed";
        }
    }
    EXPECT_TRUE(kernel32) << "DllMain's kernel32 import is missing";
}

// A fresh image of the DLL, for watching its entry point.
struct FreshImage {
    pe::Image* img = nullptr;
    FreshImage() {
        std::string err;
        img = load_dll(err);
        EXPECT_NE(img, nullptr) << err;
    }
    ~FreshImage() {
        if (img) pe::unload(img);
    }
};

TEST(DllMain, TurnsOffThreadNotificationsWithItsOwnHandleAndSaysYesToEverything) {
    FreshImage dll;
    ASSERT_NE(dll.img, nullptr);
    const size_t before = disable_thread_calls().size();
    EXPECT_TRUE(pe::attach(dll.img));
    ASSERT_EQ(disable_thread_calls().size(), before + 1);
    EXPECT_EQ(disable_thread_calls().back(), w(pe::base(dll.img)));

    using Entry = int(__attribute__((stdcall)) *)(void*, uint32_t, void*);
    const Entry entry = reinterpret_cast<Entry>(static_cast<char*>(pe::base(dll.img)) + pe::info(dll.img).entry_rva);
    for (uint32_t reason : {2u, 3u}) EXPECT_EQ(entry(pe::base(dll.img), reason, nullptr), 1) << "reason " << reason;
    EXPECT_TRUE(pe::detach(dll.img));
    EXPECT_EQ(disable_thread_calls().size(), before + 1) << "only process attach turns notifications off";
}

TEST(DllMain, DataMarkerReadsZeroAndIsWritable) {
    FreshImage dll;
    ASSERT_NE(dll.img, nullptr);
    ASSERT_TRUE(pe::attach(dll.img));
    auto* marker = static_cast<volatile uint32_t*>(pe::proc(dll.img, kMarker));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(*marker, 0u);
    *marker = 0xA5A5A5A5u;
    EXPECT_EQ(*marker, 0xA5A5A5A5u);
    *marker = 0;
    pe::detach(dll.img);
}

// Every implemented entry point removes exactly its N bytes of arguments, under each of the names
// the backend exports it by. The application data is made to fail so that framed entry points
// return at once; every argument word points at a zeroed scratch area large enough for any 16-bit
// length, and pointer checks are active, so the unframed ones forward harmless values. The memory
// copy has no check to stop it and gets a count of 0.
class StackDiscipline : public EntryTest {};

const std::map<std::string, std::map<unsigned, uint32_t>> kHarmlessWords = {
    {"sqlgmcpy", {{2, 0}}},
};

TEST_P(StackDiscipline, CalleeRemovesExactlyItsArgumentBytesUnderEveryName) {
    const size_t scratch_size = 1 << 20;
    void* scratch = mmap(nullptr, scratch_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(scratch, MAP_FAILED);
    unsigned live = 0;
    for (const Row& r : kRows) {
        if (!r.live) continue;
        ++live;
        const std::vector<std::string> names = GetParam()->names_of(r.name.c_str());
        EXPECT_EQ(names.size(), std::string(GetParam()->name()) == "dll" ? 4u : 2u);
        for (const std::string& n : names) {
            SCOPED_TRACE(n);
            standin::reset();
            standin::fail_app_data(1);
            standin::checks_active(true);
            memset(scratch, 0, scratch_size);
            std::vector<uint32_t> args(r.bytes / 4, w(scratch));
            if (auto it = kHarmlessWords.find(r.name); it != kHarmlessWords.end())
                for (auto [index, value] : it->second) args.at(index) = value;
            void* fn = GetParam()->lookup(n.c_str());
            ASSERT_NE(fn, nullptr);
            uint32_t delta = 0xFFFFFFFF;
            pe::call_stdcall_measure(fn, args.data(), static_cast<unsigned>(args.size()), &delta);
            EXPECT_EQ(delta, r.bytes) << n << ": row says @" << r.bytes;
            for (const standin::Block& b : standin::live_blocks()) ADD_FAILURE() << "block of tag " << b.tag << " left";
        }
    }
    EXPECT_GE(live, 1u);
    munmap(scratch, scratch_size);
}

QX3_BACKENDS(StackDiscipline);

}  // namespace
