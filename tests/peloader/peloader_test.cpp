// The PE loader against the probe DLL (testdll/). Loading, binding and calling are proven by every call the DLL backend makes:
// what stays here is what those calls never show — refusals of corrupt, unsupported or unbindable images, lookups by
// ordinal and of forwarders, page protections and unloading.
#include "peloader/peloader.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifndef PELOADER_TEST_DLL
#error "PELOADER_TEST_DLL must name the probe DLL"
#endif

namespace {

// Binds both imports of PROBEFAKE.dll, unless ctx names it, to one harmless word: loading runs no code of the DLL.
int g_word;
void* resolve(void* refuse, const char* module, const char* name) {
    const std::string n = name;
    const bool known = n == "fake_add" || n == "#7";
    return known && n != static_cast<const char*>(refuse) && pe::same_module(module, "probefake.dll") ? &g_word : nullptr;
}

// A copy of n bytes whose last one sits right before an inaccessible page.
constexpr std::size_t kRoom = 1 << 16, kPage = 4096;
const uint8_t* against_guard(const uint8_t* data, std::size_t n) {
    static uint8_t* const room = [] {
        void* m = mmap(nullptr, kRoom + kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        mprotect(static_cast<uint8_t*>(m) + kRoom, kPage, PROT_NONE);
        return static_cast<uint8_t*>(m);
    }();
    return static_cast<uint8_t*>(std::memcpy(room + kRoom - n, data, n));
}

// What the kernel may do with the byte at p on our behalf, a pipe's EFAULT telling what it may not: 0 nothing,
// 1 read it, 2 read it and write it (back as it was).
int access_at(const void* p) {
    int fd[2];
    if (pipe(fd) != 0) return -1;
    const int a = write(fd[1], p, 1) != 1 ? 0 : read(fd[0], const_cast<void*>(p), 1) != 1 ? 1 : 2;
    close(fd[0]);
    close(fd[1]);
    return a;
}

// The probe's bytes and the file offsets of the structures the tests edit.
class PeLoader : public ::testing::Test {
protected:
    void SetUp() override {
        clean.resize(kRoom);
        FILE* f = std::fopen(PELOADER_TEST_DLL, "rb");
        ASSERT_NE(f, nullptr);
        clean.resize(std::fread(clean.data(), 1, clean.size(), f));
        std::fclose(f);
        ASSERT_LT(clean.size(), kRoom);
        std::string err;
        ASSERT_TRUE(pe::parse_memory(clean.data(), clean.size(), info, err)) << err;
        opt = get32(0x3c) + 24;
        for (const pe::Section& s : info.sections) needed = std::max<std::size_t>(needed, s.raw_offset + s.raw_size);
    }
    void TearDown() override { EXPECT_EQ(pe::mapped_bytes(), 0u) << "an image is still mapped"; }
    uint32_t get32(std::size_t off) const { uint32_t v; std::memcpy(&v, &clean[off], 4); return v; }
    uint32_t dir(unsigned i) const { return opt + 96 + 8 * i; }  // data directory i
    uint32_t file_off(uint32_t rva) const {
        const pe::Section* s = info.section_of(rva);
        return s ? s->raw_offset + (rva - s->rva) : 0;
    }
    uint32_t section_header(const char* name) const {
        for (std::size_t i = 0; i < info.sections.size(); ++i)
            if (info.sections[i].name == name) return opt + (get32(opt - 4) & 0xFFFF) + 40 * static_cast<uint32_t>(i);
        return 0;
    }
    std::vector<uint8_t> clean;
    pe::Info info;
    uint32_t opt = 0;        // the optional header
    std::size_t needed = 0;  // the end of the last section's data: what follows is the symbol table
};

// Cutting into the section data is refused with a message; cutting only what follows it (the COFF symbol
// table) is not. No parse reads beyond the bytes it got: the last one sits against an inaccessible page.
TEST_F(PeLoader, ParseRefusesEveryTruncationOfTheImage) {
    ASSERT_GT(needed, 0x400u);
    ASSERT_LT(needed, clean.size());
    for (std::size_t n = 0; n <= clean.size(); ++n) {
        std::string err;
        ASSERT_EQ(pe::parse_memory(against_guard(clean.data(), n), n, info, err), n >= needed) << "length " << n << ": " << err;
        ASSERT_EQ(err.empty(), n >= needed) << "length " << n;
    }
}

// Each edit or refused import, and the message that names what is wrong. Corrupt structures fail parse and
// load alike; well-formed images the loader does not support, or whose imports the host does not bind,
// parse, and only load refuses them. Nothing stays mapped, and nothing is read beyond the data.
TEST_F(PeLoader, RefusesCorruptUnsupportedAndUnbindableImagesNamingTheFault) {
    const uint32_t pe_off = opt - 24, exp = file_off(get32(dir(0))), imp = file_off(get32(dir(1)));
    const uint32_t rel = file_off(get32(dir(5))), lookup = file_off(get32(imp));
    const uint32_t ords = file_off(get32(exp + 36)), eat = file_off(get32(exp + 28));
    const uint32_t data_sh = section_header(".data"), text_sh = section_header(".text");
    ASSERT_TRUE(exp && imp && rel && lookup && ords && eat && data_sh && text_sh);
    const uint16_t first = static_cast<uint16_t>(get32(rel + 8));  // the first relocation entry, a HIGHLOW
    ASSERT_EQ(first >> 12, 3);
    const pe::Section* r = info.section_named(".reloc");
    const uint32_t last = r->rva + std::min(r->raw_size, r->virtual_size) - 1;
    char at[32];
    std::snprintf(at, sizeof at, " at 0x%x", get32(rel) + (first & 0xfff));

    struct Row {
        std::string what;
        std::vector<std::array<uint32_t, 3>> edits;  // (file offset, value, width)
        std::string error;
        bool parses = false;
        const char* refuse = "";  // the import the resolver declines; null: no resolver
    };
    std::vector<Row> rows = {
        {"MZ magic", {{0, 0x584d, 2}}, "not an MZ executable"},
        {"e_lfanew past the end", {{0x3c, 0xfffffff0, 4}}, "no PE signature"},
        {"PE signature", {{pe_off, 0x4650, 2}}, "no PE signature"},
        {"PE32+ magic", {{opt, 0x20b, 2}}, "is not PE32"},
        {"SizeOfOptionalHeader too small", {{pe_off + 20, 40, 2}}, "optional header truncated"},
        {"SizeOfHeaders past the image", {{opt + 60, 0x100000, 4}}, "SizeOfHeaders"},
        {"section count past the file", {{pe_off + 6, 0xffff, 2}}, "section table truncated"},
        {"section data past the file", {{data_sh + 20, 0x7ffff000, 4}}, "beyond the end of the file"},
        {"section past SizeOfImage", {{data_sh + 12, 0x7ff00000, 4}}, "extends beyond SizeOfImage"},
        {"sections overlap", {{data_sh + 12, get32(text_sh + 12), 4}}, "overlaps"},
        {"export directory outside", {{dir(0), 0x7ff00000, 4}}, "export directory"},
        {"export ordinal index", {{ords, 0xfff0, 2}}, "beyond the address table"},
        {"export address outside", {{eat, 0x7ff00000, 4}}, "points outside the image"},
        {"export count implausible", {{exp + 20, 0x7fffffff, 4}}, "implausible"},
        {"export table runs past its section", {{exp + 20, 0x2000, 4}}, "not in the image"},
        {"unterminated module name at the end of the data", {{imp + 12, last, 4}}, "module name or address table missing"},
        {"import module name", {{imp + 12, 0x7ff00000, 4}}, "module name or address table missing"},
        {"import module name in zeroed data", {{imp + 12, info.section_named(".bss")->rva, 4}}, "module name or address table missing"},
        {"import function name", {{lookup, 0x7ff00000, 4}}, "name unreadable"},
        {"relocation block size", {{rel + 4, 3, 4}}, "bad size"},
        {"relocation block past directory", {{rel + 4, 0x10000, 4}}, "bad size"},
        {"relocation outside image", {{rel, 0x7ff00000, 4}}, "outside the image"},
        {"amd64 machine", {{pe_off + 4, 0x8664, 2}}, "machine 0x8664 is not i386", true},
        // Directories pointed at the export directory: present and readable.
        {"TLS directory", {{dir(9), get32(dir(0)), 4}, {dir(9) + 4, 24, 4}}, "thread-local storage", true},
        {"delay imports", {{dir(13), get32(dir(0)), 4}, {dir(13) + 4, 24, 4}}, "delay-load imports", true},
        {"import by name refused", {}, "PROBEFAKE.dll!fake_add", true, "fake_add"},
        {"import by ordinal refused", {}, "PROBEFAKE.dll!#7", true, "#7"},
        {"no resolver", {}, "PROBEFAKE.dll!fake_add", true, nullptr},
    };
    for (unsigned type : {1u, 2u, 4u, 5u, 9u, 10u})
        rows.push_back({"relocation type " + std::to_string(type), {{rel + 8, (type << 12) | (first & 0xfff), 2}},
                        "relocation type " + std::to_string(type) + at, true});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<uint8_t> b = clean;
        if (row.what.rfind("unterminated", 0) == 0)
            std::fill(b.begin() + file_off(last), b.begin() + r->raw_offset + r->raw_size, 'A');
        for (auto [off, v, width] : row.edits) std::memcpy(&b[off], &v, width);
        // Without the symbol table, the last section's data ends against the guard page.
        const uint8_t* p = against_guard(b.data(), needed);
        pe::Info parsed;
        std::string err;
        EXPECT_EQ(pe::parse_memory(p, needed, parsed, err), row.parses) << err;
        if (!row.parses) { EXPECT_NE(err.find(row.error), std::string::npos) << err; }
        if (row.what.rfind("relocation type", 0) == 0) { EXPECT_EQ(parsed.relocs_other, 1u); }
        err.clear();
        EXPECT_EQ(pe::load_memory(p, needed, row.refuse ? resolve : nullptr, const_cast<char*>(row.refuse), err), nullptr);
        EXPECT_NE(err.find(row.error), std::string::npos) << err;
        EXPECT_EQ(pe::mapped_bytes(), 0u);
    }
}

// Each section gets its own permissions, first byte to last; exports are found by name and by ordinal
// (its base applied), never through a forwarder or an unused ordinal; unloading releases the whole mapping.
// A file that is not there is refused by a message naming it.
TEST_F(PeLoader, SectionsGetTheirOwnPermissionsAndExportsTheirOrdinalsUntilUnloaded) {
    std::string err;
    EXPECT_FALSE(pe::parse("/nonexistent/probe.dll", info, err));
    EXPECT_NE(err.find("/nonexistent/probe.dll"), std::string::npos) << err;
    pe::Image* img = pe::load(PELOADER_TEST_DLL, resolve, const_cast<char*>(""), err);
    ASSERT_NE(img, nullptr) << err;
    EXPECT_EQ(pe::mapped_bytes(), pe::mapped_size(img));
    EXPECT_GE(pe::mapped_size(img), pe::info(img).size_of_image);
    uint8_t* const base = static_cast<uint8_t*>(pe::base(img));
    EXPECT_EQ(access_at(base), 1) << "headers";
    for (auto [name, access] : {std::pair{".text", 1}, {".rdata", 1}, {".edata", 1}, {".reloc", 1}, {".data", 2},
                                {".bss", 2}, {".idata", 2}}) {
        const pe::Section* s = pe::info(img).section_named(name);
        ASSERT_NE(s, nullptr) << name;
        for (uint32_t off : {0u, s->mapped_size() - 1}) EXPECT_EQ(access_at(base + s->rva + off), access) << name << "+" << off;
    }
    // probe_named holds 0x0b1e at ordinal 5, probe_hidden 0x41dd at ordinal 8 only; 6 is unused, 7 forwarded.
    const struct { const char* name; unsigned ordinal; int holds; } lookups[] = {
        {"probe_named", 0, 0x0b1e}, {nullptr, 5, 0x0b1e}, {nullptr, 8, 0x41dd}, {"probe_hidden", 0, 0}, {"probe_forward", 0, 0},
        {"probe_Named", 0, 0},      {nullptr, 4, 0},      {nullptr, 6, 0},      {nullptr, 7, 0},        {nullptr, 9, 0},
    };
    for (const auto& l : lookups) {
        int holds = 0;
        if (void* p = l.name ? pe::proc(img, l.name) : pe::proc_ordinal(img, l.ordinal)) std::memcpy(&holds, p, 4);
        EXPECT_EQ(holds, l.holds) << (l.name ? l.name : "") << " #" << l.ordinal;
    }
    pe::unload(img);
    EXPECT_EQ(access_at(base), 0);
}

}  // namespace
