// Tests of the PE loader against the probe DLL (testdll/), whose imports
// from PROBEFAKE.dll are bound to the host functions below.
#include "peloader/peloader.h"

#include <gtest/gtest.h>

#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#ifndef PELOADER_TEST_DLL
#error "PELOADER_TEST_DLL must name the probe DLL"
#endif

namespace {

// ---------------------------------------------------------------------------
// Host side of PROBEFAKE.dll

struct Host {
    std::vector<std::string> events;  // calls the DLL made into the host, in order
    std::vector<std::string> queries; // "module!name" as the resolver was asked
    std::set<std::string> refuse;     // names the resolver declines
    int counter = 0;                  // the imported data object fake_counter
};

Host* g_host = nullptr;

#define HOST_FN __attribute__((force_align_arg_pointer))
#define HOST_STDCALL __attribute__((force_align_arg_pointer, stdcall))

HOST_STDCALL int host_fake_add(int a, int b)
{
    g_host->events.push_back("fake_add(" + std::to_string(a) + "," + std::to_string(b) + ")");
    return a + b;
}

HOST_FN void host_fake_log(const char* what, int value)
{
    g_host->events.push_back("fake_log(" + std::string(what) + "," + std::to_string(value) + ")");
}

HOST_STDCALL int host_fake_secret(int x)
{
    g_host->events.push_back("fake_secret(" + std::to_string(x) + ")");
    return 3 * x;
}

HOST_FN void* resolve(void* ctx, const char* module, const char* name)
{
    Host* h = static_cast<Host*>(ctx);
    h->queries.push_back(std::string(module) + "!" + name);
    if (h->refuse.count(name) || !pe::same_module(module, "probefake.dll"))
        return nullptr;
    std::string n = name;
    if (n == "fake_add")
        return reinterpret_cast<void*>(&host_fake_add);
    if (n == "fake_log")
        return reinterpret_cast<void*>(&host_fake_log);
    if (n == "#7")
        return reinterpret_cast<void*>(&host_fake_secret);
    if (n == "fake_counter")
        return &h->counter;
    return nullptr;
}

// Layout of the probe's data exports (testdll/probe.cpp).
struct ProbeData {
    const char* text;
    int* self;
    const int* constant;
    int values[4];
};

// ---------------------------------------------------------------------------
// Helpers

std::vector<uint8_t> read_probe()
{
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(PELOADER_TEST_DLL, "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return bytes;
}

uint32_t get32(const std::vector<uint8_t>& b, std::size_t off)
{
    uint32_t v;
    std::memcpy(&v, b.data() + off, 4);
    return v;
}

void put32(std::vector<uint8_t>& b, std::size_t off, uint32_t v)
{
    std::memcpy(b.data() + off, &v, 4);
}

void put16(std::vector<uint8_t>& b, std::size_t off, uint16_t v)
{
    std::memcpy(b.data() + off, &v, 2);
}

// File offsets of the structures the corruption tests edit.
struct Layout {
    pe::Info info;
    uint32_t pe_off = 0, opt = 0, sections = 0;

    explicit Layout(const std::vector<uint8_t>& b)
    {
        std::string err;
        if (!pe::parse_memory(b.data(), b.size(), info, err))
            ADD_FAILURE() << err;
        pe_off = get32(b, 0x3c);
        opt = pe_off + 24;
        uint16_t opt_size;
        std::memcpy(&opt_size, b.data() + pe_off + 20, 2);
        sections = opt + opt_size;
    }
    uint32_t dir_rva(unsigned i, const std::vector<uint8_t>& b) const { return get32(b, opt + 96 + 8 * i); }
    uint32_t file_off(uint32_t rva) const
    {
        const pe::Section* s = info.section_of(rva);
        return s ? s->raw_offset + (rva - s->rva) : 0;
    }
    uint32_t section_header(const char* name) const
    {
        for (std::size_t i = 0; i < info.sections.size(); ++i)
            if (info.sections[i].name == name)
                return sections + 40 * static_cast<uint32_t>(i);
        return 0;
    }
};

// Bytes placed so that the last one sits right before an inaccessible page:
// reading past the end faults instead of going unnoticed.
class Guarded {
public:
    explicit Guarded(std::size_t cap)
    {
        page_ = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        span_ = (cap + page_ - 1) / page_ * page_ + page_;
        mem_ = static_cast<uint8_t*>(mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(mem_ + span_ - page_, page_, PROT_NONE);
    }
    ~Guarded() { munmap(mem_, span_); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    const uint8_t* place(const uint8_t* data, std::size_t n)
    {
        uint8_t* p = mem_ + span_ - page_ - n;
        std::memcpy(p, data, n);
        return p;
    }

private:
    uint8_t* mem_;
    std::size_t page_, span_;
};

// Runs f and reports whether it raised SIGSEGV/SIGBUS.
sigjmp_buf g_fault_jmp;

__attribute__((force_align_arg_pointer)) void on_fault(int)
{
    siglongjmp(g_fault_jmp, 1);
}

template <class F>
bool faults(F f)
{
    struct sigaction sa {};
    struct sigaction old_segv {};
    struct sigaction old_bus {};
    sa.sa_handler = on_fault;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_NODEFER;
    sigaction(SIGSEGV, &sa, &old_segv);
    sigaction(SIGBUS, &sa, &old_bus);
    volatile bool faulted = false;
    if (sigsetjmp(g_fault_jmp, 1) == 0)
        f();
    else
        faulted = true;
    sigaction(SIGSEGV, &old_segv, nullptr);
    sigaction(SIGBUS, &old_bus, nullptr);
    return faulted;
}

struct Unloader {
    void operator()(pe::Image* i) const { pe::unload(i); }
};
using ImagePtr = std::unique_ptr<pe::Image, Unloader>;



class PeLoader : public ::testing::Test {
protected:
    void SetUp() override { g_host = &host; }
    void TearDown() override
    {
        g_host = nullptr;
        EXPECT_EQ(pe::mapped_bytes(), 0u) << "an image is still mapped";
    }

    ImagePtr load()
    {
        std::string err;
        ImagePtr img(pe::load(PELOADER_TEST_DLL, resolve, &host, err));
        EXPECT_TRUE(img) << err;
        return img;
    }

    template <class T>
    T* data(pe::Image* img, const char* name)
    {
        return static_cast<T*>(pe::proc(img, name));
    }

    Host host;
};

// ---------------------------------------------------------------------------
// parse()

TEST_F(PeLoader, ParseMissingFileNamesIt)
{
    pe::Info info;
    std::string err;
    EXPECT_FALSE(pe::parse("/nonexistent/probe.dll", info, err));
    EXPECT_NE(err.find("/nonexistent/probe.dll"), std::string::npos) << err;
}

// Cutting into the section data is refused; cutting only what follows it
// (the COFF symbol table) is not. No parse reads beyond the bytes it got.
TEST_F(PeLoader, ParseRefusesEveryTruncationOfTheImage)
{
    std::vector<uint8_t> bytes = read_probe();
    ASSERT_FALSE(bytes.empty());
    const Layout L(bytes);
    std::size_t needed = 0;
    for (const pe::Section& s : L.info.sections)
        needed = std::max<std::size_t>(needed, s.raw_offset + s.raw_size);
    ASSERT_GT(needed, 0x400u);
    ASSERT_LE(needed, bytes.size());
    Guarded g(bytes.size());
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        pe::Info info;
        std::string err;
        const uint8_t* p = g.place(bytes.data(), n);
        bool ok = false;
        bool faulted = faults([&] { ok = pe::parse_memory(p, n, info, err); });
        ASSERT_FALSE(faulted) << "read beyond " << n << " bytes";
        ASSERT_EQ(ok, n >= needed) << "length " << n << ": " << err;
        ASSERT_EQ(err.empty(), ok) << "length " << n;
    }
}

TEST_F(PeLoader, ParseRefusesCorruptStructures)
{
    const std::vector<uint8_t> clean = read_probe();
    ASSERT_FALSE(clean.empty());
    const Layout L(clean);
    const uint32_t exp_off = L.file_off(L.dir_rva(0, clean));
    const uint32_t imp_off = L.file_off(L.dir_rva(1, clean));
    const uint32_t rel_off = L.file_off(L.dir_rva(5, clean));
    const uint32_t lookup_off = L.file_off(get32(clean, imp_off));
    const uint32_t ords_off = L.file_off(get32(clean, exp_off + 36));
    const uint32_t eat_off = L.file_off(get32(clean, exp_off + 28));
    const uint32_t data_sh = L.section_header(".data");
    const uint32_t text_sh = L.section_header(".text");
    ASSERT_TRUE(exp_off && imp_off && rel_off && lookup_off && ords_off && eat_off && data_sh && text_sh);

    struct Row {
        const char* what;
        void (*edit)(std::vector<uint8_t>&, const Layout&, const uint32_t* offs);
        const char* error;
    };
    // offs: exp, imp, rel, lookup, ords, eat, data_sh, text_sh
    const uint32_t offs[] = {exp_off, imp_off, rel_off, lookup_off, ords_off, eat_off, data_sh, text_sh};
    const Row rows[] = {
        {"MZ magic", [](auto& b, auto&, auto) { b[1] = 'X'; }, "not an MZ executable"},
        {"e_lfanew past the end", [](auto& b, auto&, auto) { put32(b, 0x3c, 0xfffffff0); }, "no PE signature"},
        {"PE signature", [](auto& b, auto& l, auto) { b[l.pe_off + 1] = 'F'; }, "no PE signature"},
        {"PE32+ magic", [](auto& b, auto& l, auto) { put16(b, l.opt, 0x20b); }, "is not PE32"},
        {"SizeOfOptionalHeader too small", [](auto& b, auto& l, auto) { put16(b, l.pe_off + 20, 40); },
         "optional header truncated"},
        {"SizeOfHeaders past the image", [](auto& b, auto& l, auto) { put32(b, l.opt + 60, 0x100000); },
         "SizeOfHeaders"},
        {"section count past the file", [](auto& b, auto& l, auto) { put16(b, l.pe_off + 6, 0xffff); },
         "section table truncated"},
        {"section data past the file", [](auto& b, auto&, auto o) { put32(b, o[6] + 20, 0x7ffff000); },
         "beyond the end of the file"},
        {"section past SizeOfImage", [](auto& b, auto&, auto o) { put32(b, o[6] + 12, 0x7ff00000); },
         "extends beyond SizeOfImage"},
        {"sections overlap", [](auto& b, auto&, auto o) { put32(b, o[6] + 12, get32(b, o[7] + 12)); },
         "overlaps"},
        {"export directory outside", [](auto& b, auto& l, auto) { put32(b, l.opt + 96, 0x7ff00000); },
         "export directory"},
        {"export ordinal index", [](auto& b, auto&, auto o) { put16(b, o[4], 0xfff0); },
         "beyond the address table"},
        {"export address outside", [](auto& b, auto&, auto o) { put32(b, o[5], 0x7ff00000); },
         "points outside the image"},
        {"export count implausible", [](auto& b, auto&, auto o) { put32(b, o[0] + 20, 0x7fffffff); },
         "implausible"},
        {"export table runs past its section", [](auto& b, auto&, auto o) { put32(b, o[0] + 20, 0x2000); },
         "not in the image"},
        {"unterminated name at the end of the data",
         [](auto& b, auto& l, auto o) {
             const pe::Section* r = l.info.section_named(".reloc");
             uint32_t last = r->rva + std::min(r->raw_size, r->virtual_size) - 1;
             std::fill(b.begin() + l.file_off(last), b.begin() + r->raw_offset + r->raw_size, 'A');
             put32(b, o[1] + 12, last);
         },
         "module name or address table missing"},
        {"import module name", [](auto& b, auto&, auto o) { put32(b, o[1] + 12, 0x7ff00000); },
         "module name or address table missing"},
        {"import function name", [](auto& b, auto&, auto o) { put32(b, o[3], 0x7ff00000); },
         "name unreadable"},
        {"relocation block size", [](auto& b, auto&, auto o) { put32(b, o[2] + 4, 3); }, "bad size"},
        {"relocation block past directory", [](auto& b, auto&, auto o) { put32(b, o[2] + 4, 0x10000); },
         "bad size"},
        {"relocation outside image", [](auto& b, auto&, auto o) { put32(b, o[2], 0x7ff00000); },
         "outside the image"},
    };
    // Without the symbol table, the last section's data ends against the
    // guard page.
    std::size_t needed = 0;
    for (const pe::Section& s : L.info.sections)
        needed = std::max<std::size_t>(needed, s.raw_offset + s.raw_size);
    Guarded g(needed);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<uint8_t> b = clean;
        r.edit(b, L, offs);
        ASSERT_NE(b, clean);
        const uint8_t* p = g.place(b.data(), needed);
        pe::Info info;
        std::string err;
        bool faulted = faults([&] { EXPECT_FALSE(pe::parse_memory(p, needed, info, err)); });
        ASSERT_FALSE(faulted) << "read beyond the data";
        EXPECT_NE(err.find(r.error), std::string::npos) << err;
        // load() rejects the same bytes before mapping anything.
        err.clear();
        EXPECT_EQ(pe::load_memory(p, needed, resolve, &host, err), nullptr);
        EXPECT_NE(err.find(r.error), std::string::npos) << err;
        EXPECT_EQ(pe::mapped_bytes(), 0u);
    }
}

// ---------------------------------------------------------------------------
// load(): refusals

TEST_F(PeLoader, LoadRefusesEachUnboundImportNamingIt)
{
    const char* keys[] = {"fake_add", "fake_counter", "fake_log", "#7"};
    for (const char* key : keys) {
        SCOPED_TRACE(key);
        Host h;
        g_host = &h;
        h.refuse.insert(key);
        std::string err;
        pe::Image* img = pe::load(PELOADER_TEST_DLL, resolve, &h, err);
        EXPECT_EQ(img, nullptr);
        pe::unload(img);
        EXPECT_NE(err.find(std::string("PROBEFAKE.dll!") + key), std::string::npos) << err;
        EXPECT_EQ(pe::mapped_bytes(), 0u);
        EXPECT_TRUE(h.events.empty()) << "the entry point ran: " << h.events[0];
    }
    g_host = &host;
    std::string err;
    EXPECT_EQ(pe::load(PELOADER_TEST_DLL, nullptr, nullptr, err), nullptr);
    EXPECT_NE(err.find("PROBEFAKE.dll!fake_add"), std::string::npos) << err;
    EXPECT_EQ(pe::mapped_bytes(), 0u);
}

TEST_F(PeLoader, LoadRefusesUnsupportedRelocationTypes)
{
    const std::vector<uint8_t> clean = read_probe();
    ASSERT_FALSE(clean.empty());
    const Layout L(clean);
    const uint32_t rel_off = L.file_off(L.dir_rva(5, clean));
    ASSERT_NE(rel_off, 0u);
    const uint32_t page = get32(clean, rel_off);
    uint16_t first;
    std::memcpy(&first, clean.data() + rel_off + 8, 2);
    ASSERT_EQ(first >> 12, 3) << "first entry should be HIGHLOW";
    const unsigned types[] = {1, 2, 4, 5, 9, 10};
    for (unsigned type : types) {
        SCOPED_TRACE(type);
        std::vector<uint8_t> b = clean;
        put16(b, rel_off + 8, static_cast<uint16_t>((type << 12) | (first & 0xfff)));
        pe::Info info;
        std::string err;
        ASSERT_TRUE(pe::parse_memory(b.data(), b.size(), info, err)) << err;
        EXPECT_EQ(info.relocs_other, 1u);
        EXPECT_EQ(pe::load_memory(b.data(), b.size(), resolve, &host, err), nullptr);
        char want[64];
        std::snprintf(want, sizeof want, "relocation type %u at 0x%x", type, page + (first & 0xfff));
        EXPECT_NE(err.find(want), std::string::npos) << err;
        EXPECT_EQ(pe::mapped_bytes(), 0u);
    }
}

TEST_F(PeLoader, LoadRefusesOtherMachinesTlsAndDelayImports)
{
    const std::vector<uint8_t> clean = read_probe();
    ASSERT_FALSE(clean.empty());
    const Layout L(clean);
    struct Row {
        const char* what;
        uint32_t off;
        uint32_t value;
        int width;
        const char* error;
    };
    const Row rows[] = {
        {"amd64 machine", L.pe_off + 4, 0x8664, 2, "machine 0x8664 is not i386"},
        {"TLS directory", L.opt + 96 + 8 * 9, 0, 4, "thread-local storage"},
        {"delay imports", L.opt + 96 + 8 * 13, 0, 4, "delay-load imports"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<uint8_t> b = clean;
        if (r.width == 2) {
            put16(b, r.off, static_cast<uint16_t>(r.value));
        } else {  // point the directory at the export directory: present, readable
            put32(b, r.off, L.dir_rva(0, clean));
            put32(b, r.off + 4, 24);
        }
        pe::Info info;
        std::string err;
        EXPECT_TRUE(pe::parse_memory(b.data(), b.size(), info, err)) << err;
        EXPECT_EQ(pe::load_memory(b.data(), b.size(), resolve, &host, err), nullptr);
        EXPECT_NE(err.find(r.error), std::string::npos) << err;
        EXPECT_EQ(pe::mapped_bytes(), 0u);
    }
}

// ---------------------------------------------------------------------------
// Page protections

TEST_F(PeLoader, SectionsGetTheirOwnPermissions)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    uint8_t* base = static_cast<uint8_t*>(pe::base(img.get()));
    const pe::Info& info = pe::info(img.get());
    auto at = [&](const char* s) { return base + info.section_named(s)->rva; };

    struct Row {
        const char* where;
        uint8_t* addr;
        bool write_faults;
    };
    const Row rows[] = {
        {"headers", base, true},           {".text", at(".text"), true},    {".rdata", at(".rdata"), true},
        {".edata", at(".edata"), true},    {".reloc", at(".reloc"), true},  {".data", at(".data") + 0x10, false},
        {".bss", at(".bss") + 0x40, false}, {".idata", at(".idata") + 0x90, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.where);
        volatile uint8_t* p = r.addr;
        uint8_t before = 0;
        ASSERT_FALSE(faults([&] { before = *p; })) << "not readable";
        const uint8_t flipped = static_cast<uint8_t>(before ^ 0x5a);
        EXPECT_EQ(faults([&] { *p = flipped; }), r.write_faults);
        EXPECT_EQ(*p, r.write_faults ? before : flipped);
        if (!r.write_faults)
            *p = before;
    }
}

TEST_F(PeLoader, DllWritingItsConstantDataFaults)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    void* poke = pe::proc(img.get(), "probe_poke_const");
    const uint32_t v[] = {0x1111};
    EXPECT_TRUE(faults([&] { pe::call_stdcall_measure(poke, v, 1, nullptr); }));
    EXPECT_EQ(*data<ProbeData>(img.get(), "probe_data")->constant, 0x5eed);
}

TEST_F(PeLoader, UnloadReleasesTheMapping)
{
    std::string err;
    pe::Image* img = pe::load(PELOADER_TEST_DLL, resolve, &host, err);
    ASSERT_NE(img, nullptr) << err;
    EXPECT_EQ(pe::mapped_bytes(), pe::mapped_size(img));
    EXPECT_GE(pe::mapped_size(img), pe::info(img).size_of_image);
    volatile uint8_t* b = static_cast<uint8_t*>(pe::base(img));
    pe::unload(img);
    EXPECT_EQ(pe::mapped_bytes(), 0u);
    EXPECT_TRUE(faults([&] { (void)*b; }));
}

}  // namespace
