// The PE loader against the probe DLL (testdll/). Loading, binding and calling are proven by every call the DLL backend makes:
// what stays here is what those calls never show — refusals of corrupt or unsupported images,
// page protections and unloading.
#include "peloader/peloader.h"

#include <gtest/gtest.h>

#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#ifndef PELOADER_TEST_DLL
#error "PELOADER_TEST_DLL must name the probe DLL"
#endif

namespace {

// The resolver binds every import from PROBEFAKE.dll it does not refuse to one harmless data word:
// loading runs no code of the DLL, and the one probe function called here imports nothing.
struct Host {
    std::set<std::string> refuse;  // names the resolver declines
    int word = 0;
};

void* resolve(void* ctx, const char* module, const char* name) {
    Host* h = static_cast<Host*>(ctx);
    const bool known = std::set<std::string>{"fake_add", "fake_log", "#7", "fake_counter"}.count(name);
    return known && !h->refuse.count(name) && pe::same_module(module, "probefake.dll") ? &h->word : nullptr;
}

std::vector<uint8_t> read_probe() {
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(PELOADER_TEST_DLL, "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}
uint32_t get32(const std::vector<uint8_t>& b, std::size_t off) { uint32_t v; std::memcpy(&v, &b[off], 4); return v; }
void put32(std::vector<uint8_t>& b, std::size_t off, uint32_t v) { std::memcpy(&b[off], &v, 4); }
void put16(std::vector<uint8_t>& b, std::size_t off, uint16_t v) { std::memcpy(&b[off], &v, 2); }

// File offsets of the structures the corruption tests edit.
struct Layout {
    pe::Info info;
    uint32_t pe_off = 0, opt = 0, sections = 0;
    std::size_t needed = 0;  // the end of the last section's data: what follows is the symbol table
    explicit Layout(const std::vector<uint8_t>& b) {
        std::string err;
        if (!pe::parse_memory(b.data(), b.size(), info, err)) ADD_FAILURE() << err;
        pe_off = get32(b, 0x3c);
        opt = pe_off + 24;
        sections = opt + (get32(b, pe_off + 20) & 0xFFFF);
        for (const pe::Section& s : info.sections) needed = std::max<std::size_t>(needed, s.raw_offset + s.raw_size);
    }
    uint32_t dir(unsigned i) const { return opt + 96 + 8 * i; }  // offset of data directory i
    uint32_t file_off(uint32_t rva) const {
        const pe::Section* s = info.section_of(rva);
        return s ? s->raw_offset + (rva - s->rva) : 0;
    }
    uint32_t section_header(const char* name) const {
        for (std::size_t i = 0; i < info.sections.size(); ++i)
            if (info.sections[i].name == name) return sections + 40 * static_cast<uint32_t>(i);
        return 0;
    }
};

// Bytes placed so that the last one sits right before an inaccessible page.
struct Guarded {
    const std::size_t span;
    uint8_t* const mem;
    explicit Guarded(std::size_t cap)
        : span((cap + 2 * kPage - 1) / kPage * kPage),
          mem(static_cast<uint8_t*>(mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {
        mprotect(mem + span - kPage, kPage, PROT_NONE);
    }
    ~Guarded() { munmap(mem, span); }
    const uint8_t* place(const uint8_t* data, std::size_t n) {
        return static_cast<uint8_t*>(std::memcpy(mem + span - kPage - n, data, n));
    }
    static constexpr std::size_t kPage = 4096;
};

// Runs f and reports whether it raised SIGSEGV/SIGBUS.
sigjmp_buf g_fault_jmp;
__attribute__((force_align_arg_pointer)) void on_fault(int) { siglongjmp(g_fault_jmp, 1); }
template <class F>
bool faults(F f) {
    struct sigaction sa {}, old_segv {}, old_bus {};
    sa.sa_handler = on_fault;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_NODEFER;
    sigaction(SIGSEGV, &sa, &old_segv);
    sigaction(SIGBUS, &sa, &old_bus);
    volatile bool faulted = false;
    if (sigsetjmp(g_fault_jmp, 1) == 0) f();
    else faulted = true;
    sigaction(SIGSEGV, &old_segv, nullptr);
    sigaction(SIGBUS, &old_bus, nullptr);
    return faulted;
}

class PeLoader : public ::testing::Test {
protected:
    void SetUp() override {
        clean = read_probe();
        ASSERT_FALSE(clean.empty());
    }
    void TearDown() override {
        EXPECT_EQ(pe::mapped_bytes(), 0u) << "an image is still mapped";
    }
    Host host;
    std::vector<uint8_t> clean;
};

TEST_F(PeLoader, ParseMissingFileNamesIt) {
    pe::Info info;
    std::string err;
    EXPECT_FALSE(pe::parse("/nonexistent/probe.dll", info, err));
    EXPECT_NE(err.find("/nonexistent/probe.dll"), std::string::npos) << err;
}

// Cutting into the section data is refused; cutting only what follows it (the COFF symbol table)
// is not. No parse reads beyond the bytes it got.
TEST_F(PeLoader, ParseRefusesEveryTruncationOfTheImage) {
    const Layout L(clean);
    ASSERT_GT(L.needed, 0x400u);
    ASSERT_LE(L.needed, clean.size());
    Guarded g(clean.size());
    for (std::size_t n = 0; n <= clean.size(); ++n) {
        pe::Info info;
        std::string err;
        const uint8_t* p = g.place(clean.data(), n);
        bool ok = false;
        ASSERT_FALSE(faults([&] { ok = pe::parse_memory(p, n, info, err); })) << "read beyond " << n << " bytes";
        ASSERT_EQ(ok, n >= L.needed) << "length " << n << ": " << err;
        ASSERT_EQ(err.empty(), ok) << "length " << n;
    }
}

// Each edit, and the message that names what is wrong. Corrupt structures fail parse and load alike;
// well-formed images of what the loader does not support parse, and only load refuses them.
TEST_F(PeLoader, RefusesCorruptAndUnsupportedImagesNamingTheFault) {
    const Layout L(clean);
    const uint32_t exp = L.file_off(get32(clean, L.dir(0))), imp = L.file_off(get32(clean, L.dir(1)));
    const uint32_t rel = L.file_off(get32(clean, L.dir(5)));
    const uint32_t lookup = L.file_off(get32(clean, imp)), ords = L.file_off(get32(clean, exp + 36));
    const uint32_t eat = L.file_off(get32(clean, exp + 28));
    const uint32_t data_sh = L.section_header(".data"), text_sh = L.section_header(".text");
    ASSERT_TRUE(exp && imp && rel && lookup && ords && eat && data_sh && text_sh);
    uint16_t first;  // the first relocation entry, a HIGHLOW
    std::memcpy(&first, &clean[rel + 8], 2);
    ASSERT_EQ(first >> 12, 3);
    const pe::Section* r = L.info.section_named(".reloc");
    const uint32_t last = r->rva + std::min(r->raw_size, r->virtual_size) - 1;
    char at[32];
    std::snprintf(at, sizeof at, " at 0x%x", get32(clean, rel) + (first & 0xfff));

    struct Row {
        std::string what;
        std::vector<std::pair<uint32_t, uint32_t>> put32s, put16s;  // (file offset, value)
        std::string error;
        bool parses = false;
    };
    std::vector<Row> rows = {
        {"MZ magic", {}, {{0, 0x584d}}, "not an MZ executable"},
        {"e_lfanew past the end", {{0x3c, 0xfffffff0}}, {}, "no PE signature"},
        {"PE signature", {}, {{L.pe_off, 0x4650}}, "no PE signature"},
        {"PE32+ magic", {}, {{L.opt, 0x20b}}, "is not PE32"},
        {"SizeOfOptionalHeader too small", {}, {{L.pe_off + 20, 40}}, "optional header truncated"},
        {"SizeOfHeaders past the image", {{L.opt + 60, 0x100000}}, {}, "SizeOfHeaders"},
        {"section count past the file", {}, {{L.pe_off + 6, 0xffff}}, "section table truncated"},
        {"section data past the file", {{data_sh + 20, 0x7ffff000}}, {}, "beyond the end of the file"},
        {"section past SizeOfImage", {{data_sh + 12, 0x7ff00000}}, {}, "extends beyond SizeOfImage"},
        {"sections overlap", {{data_sh + 12, get32(clean, text_sh + 12)}}, {}, "overlaps"},
        {"export directory outside", {{L.dir(0), 0x7ff00000}}, {}, "export directory"},
        {"export ordinal index", {}, {{ords, 0xfff0}}, "beyond the address table"},
        {"export address outside", {{eat, 0x7ff00000}}, {}, "points outside the image"},
        {"export count implausible", {{exp + 20, 0x7fffffff}}, {}, "implausible"},
        {"export table runs past its section", {{exp + 20, 0x2000}}, {}, "not in the image"},
        {"unterminated module name at the end of the data", {{imp + 12, last}}, {},
         "module name or address table missing"},
        {"import module name", {{imp + 12, 0x7ff00000}}, {}, "module name or address table missing"},
        {"import function name", {{lookup, 0x7ff00000}}, {}, "name unreadable"},
        {"relocation block size", {{rel + 4, 3}}, {}, "bad size"},
        {"relocation block past directory", {{rel + 4, 0x10000}}, {}, "bad size"},
        {"relocation outside image", {{rel, 0x7ff00000}}, {}, "outside the image"},
        {"amd64 machine", {}, {{L.pe_off + 4, 0x8664}}, "machine 0x8664 is not i386", true},
        // Directories pointed at the export directory: present and readable.
        {"TLS directory", {{L.dir(9), get32(clean, L.dir(0))}, {L.dir(9) + 4, 24}}, {}, "thread-local storage", true},
        {"delay imports", {{L.dir(13), get32(clean, L.dir(0))}, {L.dir(13) + 4, 24}}, {}, "delay-load imports", true},
    };
    for (unsigned type : {1u, 2u, 4u, 5u, 9u, 10u})
        rows.push_back({"relocation type " + std::to_string(type), {},
                        {{rel + 8, static_cast<uint32_t>((type << 12) | (first & 0xfff))}},
                        "relocation type " + std::to_string(type) + at, true});
    Guarded g(L.needed);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<uint8_t> b = clean;
        if (row.what.rfind("unterminated", 0) == 0)
            std::fill(b.begin() + L.file_off(last), b.begin() + r->raw_offset + r->raw_size, 'A');
        for (auto [off, v] : row.put32s) put32(b, off, v);
        for (auto [off, v] : row.put16s) put16(b, off, static_cast<uint16_t>(v));
        ASSERT_NE(b, clean);
        // Without the symbol table, the last section's data ends against the guard page.
        const uint8_t* p = g.place(b.data(), L.needed);
        pe::Info info;
        std::string err;
        bool parsed = !row.parses;
        ASSERT_FALSE(faults([&] { parsed = pe::parse_memory(p, L.needed, info, err); })) << "read beyond the data";
        EXPECT_EQ(parsed, row.parses) << err;
        if (!row.parses) { EXPECT_NE(err.find(row.error), std::string::npos) << err; }
        if (row.what.rfind("relocation type", 0) == 0) { EXPECT_EQ(info.relocs_other, 1u); }
        err.clear();
        EXPECT_EQ(pe::load_memory(p, L.needed, resolve, &host, err), nullptr);
        EXPECT_NE(err.find(row.error), std::string::npos) << err;
        EXPECT_EQ(pe::mapped_bytes(), 0u);
    }
}

TEST_F(PeLoader, LoadRefusesEachUnboundImportNamingIt) {
    for (const char* key : {"fake_add", "fake_counter", "fake_log", "#7"}) {
        SCOPED_TRACE(key);
        Host h;
        h.refuse.insert(key);
        std::string err;
        EXPECT_EQ(pe::load(PELOADER_TEST_DLL, resolve, &h, err), nullptr);
        EXPECT_NE(err.find(std::string("PROBEFAKE.dll!") + key), std::string::npos) << err;
        EXPECT_EQ(pe::mapped_bytes(), 0u);
    }
    std::string err;
    EXPECT_EQ(pe::load(PELOADER_TEST_DLL, nullptr, nullptr, err), nullptr);
    EXPECT_NE(err.find("PROBEFAKE.dll!fake_add"), std::string::npos) << err;
}

// Each section gets its own permissions; the DLL writing its constant data faults; unloading
// releases the whole mapping.
TEST_F(PeLoader, SectionsGetTheirOwnPermissionsUntilUnloaded) {
    std::string err;
    pe::Image* img = pe::load(PELOADER_TEST_DLL, resolve, &host, err);
    ASSERT_NE(img, nullptr) << err;
    EXPECT_EQ(pe::mapped_bytes(), pe::mapped_size(img));
    EXPECT_GE(pe::mapped_size(img), pe::info(img).size_of_image);
    uint8_t* base = static_cast<uint8_t*>(pe::base(img));
    auto at = [&](const char* s) { return base + pe::info(img).section_named(s)->rva; };
    const struct {
        const char* where;
        uint8_t* addr;
        bool write_faults;
    } rows[] = {
        {"headers", base, true},           {".text", at(".text"), true},    {".rdata", at(".rdata"), true},
        {".edata", at(".edata"), true},    {".reloc", at(".reloc"), true},  {".data", at(".data") + 0x10, false},
        {".bss", at(".bss") + 0x40, false}, {".idata", at(".idata") + 0x90, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.where);
        volatile uint8_t* p = r.addr;
        uint8_t before = 0;
        ASSERT_FALSE(faults([&] { before = *p; })) << "not readable";
        const uint8_t flipped = static_cast<uint8_t>(before ^ 0x5a);
        EXPECT_EQ(faults([&] { *p = flipped; }), r.write_faults);
        EXPECT_EQ(*p, r.write_faults ? before : flipped);
        if (!r.write_faults) *p = before;
    }
    // probe_data holds {text, self, constant, ...}: the constant stays as it was.
    const uint32_t v[] = {0x1111};
    EXPECT_TRUE(faults([&] { pe::call_stdcall_measure(pe::proc(img, "probe_poke_const"), v, 1, nullptr); }));
    EXPECT_EQ(**reinterpret_cast<int**>(static_cast<char*>(pe::proc(img, "probe_data")) + 8), 0x5eed);
    pe::unload(img);
    EXPECT_EQ(pe::mapped_bytes(), 0u);
    EXPECT_TRUE(faults([&] { (void)*static_cast<volatile uint8_t*>(base); }));
}

}  // namespace
