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
struct MainCall {
    void* module;
    uint32_t reason;
    void* reserved;
};
struct MainLog {
    int count;
    MainCall calls[8];
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

uint32_t word(const void* p)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

bool inside(const void* p, pe::Image* img, const char* section)
{
    const pe::Section* s = pe::info(img).section_named(section);
    auto b = static_cast<const uint8_t*>(pe::base(img));
    auto q = static_cast<const uint8_t*>(p);
    return s && q >= b + s->rva && q < b + s->rva + s->mapped_size();
}

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

TEST_F(PeLoader, ParseReportsHeaderAndSections)
{
    pe::Info info;
    std::string err;
    ASSERT_TRUE(pe::parse(PELOADER_TEST_DLL, info, err)) << err;
    EXPECT_EQ(info.machine, pe::kMachineI386);
    EXPECT_TRUE(info.is_dll);
    EXPECT_EQ(info.image_base % 0x10000, 0u);
    EXPECT_EQ(info.section_alignment, 0x1000u);

    struct Row {
        const char* name;
        bool r, w, x;
        bool has_file_data;
    };
    const Row rows[] = {
        {".text", true, false, true, true},   {".data", true, true, false, true},
        {".rdata", true, false, false, true}, {".bss", true, true, false, false},
        {".edata", true, false, false, true}, {".idata", true, true, false, true},
        {".reloc", true, false, false, true},
    };
    ASSERT_EQ(info.sections.size(), std::size(rows));
    uint32_t end = 0;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const pe::Section& s = info.sections[i];
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(s.name, rows[i].name);
        EXPECT_EQ(s.readable, rows[i].r);
        EXPECT_EQ(s.writable, rows[i].w);
        EXPECT_EQ(s.executable, rows[i].x);
        EXPECT_EQ(s.raw_size != 0, rows[i].has_file_data);
        EXPECT_EQ(s.rva % info.section_alignment, 0u);
        EXPECT_GT(s.virtual_size, 0u);
        end = s.rva + s.virtual_size;
    }
    EXPECT_EQ(info.size_of_image, (end + 0xfff) & ~0xfffu);
    const pe::Section* entry = info.section_of(info.entry_rva);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, ".text");
}

TEST_F(PeLoader, ParseListsExports)
{
    pe::Info info;
    std::string err;
    ASSERT_TRUE(pe::parse(PELOADER_TEST_DLL, info, err)) << err;
    EXPECT_EQ(info.export_module, "probe.dll");
    EXPECT_EQ(info.ordinal_base, 5u);
    EXPECT_EQ(info.export_slots, 12u);  // ordinals 5..16

    struct Row {
        const char* name;  // "" = by ordinal only
        uint32_t ordinal;
        const char* section;  // nullptr = forwarder
    };
    const Row rows[] = {
        {"probe_mix", 5, ".text"},         {"probe_mix@12", 6, ".text"},
        {"probe_sum", 7, ".text"},         {"probe_data", 9, ".data"},
        {"probe_main_result", 10, ".data"}, {"", 11, ".text"},
        {"probe_bump", 12, ".text"},       {"probe_poke_const", 13, ".text"},
        {"probe_secret", 14, ".text"},     {"probe_mainlog", 15, ".bss"},
        {"probe_forward", 16, nullptr},
    };
    ASSERT_EQ(info.exports.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const pe::Export& e = info.exports[i];
        SCOPED_TRACE(std::string("ordinal ") + std::to_string(rows[i].ordinal));
        EXPECT_EQ(e.name, rows[i].name);
        EXPECT_EQ(e.ordinal, rows[i].ordinal);
        EXPECT_EQ(e.forwarder, rows[i].section == nullptr);
        if (rows[i].section) {
            const pe::Section* s = info.section_of(e.rva);
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->name, rows[i].section);
            EXPECT_TRUE(e.forward_to.empty());
        } else {
            EXPECT_EQ(e.forward_to, "PROBEFAKE.fake_add");
        }
    }
    EXPECT_EQ(info.export_ordinal(8), nullptr);  // the unused ordinal
    EXPECT_EQ(info.export_named("probe_mix")->rva, info.export_named("probe_mix@12")->rva);

    // The data export lives in a writable, non-executable section.
    const pe::Section* ds = info.section_of(info.export_named("probe_data")->rva);
    ASSERT_NE(ds, nullptr);
    EXPECT_TRUE(ds->writable);
    EXPECT_FALSE(ds->executable);
}

TEST_F(PeLoader, ParseListsImportsAndRelocations)
{
    pe::Info info;
    std::string err;
    ASSERT_TRUE(pe::parse(PELOADER_TEST_DLL, info, err)) << err;
    ASSERT_EQ(info.imports.size(), 1u);
    const pe::ImportModule& m = info.imports[0];
    EXPECT_EQ(m.module, "PROBEFAKE.dll");
    EXPECT_EQ(info.import_module("probefake.DLL"), &m);

    struct Row {
        const char* name;
        bool by_ordinal;
        uint16_t ordinal;
    };
    const Row rows[] = {{"fake_add", false, 0}, {"fake_counter", false, 0}, {"fake_log", false, 0}, {"", true, 7}};
    ASSERT_EQ(m.functions.size(), std::size(rows));
    const pe::Section* idata = info.section_named(".idata");
    ASSERT_NE(idata, nullptr);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const pe::ImportFunction& f = m.functions[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(f.name, rows[i].name);
        EXPECT_EQ(f.by_ordinal, rows[i].by_ordinal);
        EXPECT_EQ(f.ordinal, rows[i].ordinal);
        EXPECT_EQ(f.iat_rva, m.functions[0].iat_rva + 4 * i);
        EXPECT_TRUE(idata->contains(f.iat_rva));
    }
    EXPECT_EQ(m.functions[3].key(), "#7");

    // Three pointers in probe_data plus the code's absolute addresses; the
    // data block ends with one padding entry.
    EXPECT_GE(info.relocs_highlow, 3u);
    EXPECT_GE(info.relocs_absolute, 1u);
    EXPECT_EQ(info.relocs_other, 0u);
    EXPECT_FALSE(info.has_tls);
    EXPECT_FALSE(info.has_delay_imports);
}

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

TEST_F(PeLoader, LoadAsksResolverOnceForEachImport)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    const std::vector<std::string> want = {"PROBEFAKE.dll!fake_add", "PROBEFAKE.dll!fake_counter",
                                           "PROBEFAKE.dll!fake_log", "PROBEFAKE.dll!#7"};
    EXPECT_EQ(host.queries, want);
    EXPECT_TRUE(host.events.empty()) << "load() must not run the entry point";

    // Each address-table slot holds what the resolver answered for it.
    const void* bound[] = {reinterpret_cast<void*>(&host_fake_add), &host.counter,
                           reinterpret_cast<void*>(&host_fake_log), reinterpret_cast<void*>(&host_fake_secret)};
    const pe::ImportModule& m = pe::info(img.get()).imports.at(0);
    ASSERT_EQ(m.functions.size(), std::size(bound));
    for (std::size_t i = 0; i < std::size(bound); ++i) {
        void* slot;
        std::memcpy(&slot, static_cast<uint8_t*>(pe::base(img.get())) + m.functions[i].iat_rva, 4);
        EXPECT_EQ(slot, bound[i]) << m.functions[i].key();
    }
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
// load(): mapping, relocation, entry point

TEST_F(PeLoader, RelocatedPointersPointIntoTheMappedImage)
{
    ImagePtr a = load();
    ImagePtr b = load();
    ASSERT_TRUE(a && b);
    ASSERT_NE(pe::base(a.get()), pe::base(b.get()));
    for (pe::Image* img : {a.get(), b.get()}) {
        const pe::Info& info = pe::info(img);
        uint8_t* base = static_cast<uint8_t*>(pe::base(img));
        EXPECT_EQ(pe::load_delta(img), static_cast<int32_t>(word(base) - info.image_base));
        EXPECT_NE(pe::load_delta(img), 0) << "mapped at the preferred base: relocations untested";
        uint32_t pe_off, header_base;
        std::memcpy(&pe_off, base + 0x3c, 4);
        std::memcpy(&header_base, base + pe_off + 24 + 28, 4);
        EXPECT_EQ(header_base, word(base)) << "ImageBase field not updated";

        ProbeData* d = data<ProbeData>(img, "probe_data");
        ASSERT_TRUE(inside(d, img, ".data"));
        ASSERT_TRUE(inside(d->text, img, ".rdata")) << static_cast<const void*>(d->text);
        EXPECT_STREQ(d->text, "probe text in read-only data");
        EXPECT_EQ(d->self, &d->values[0]);
        ASSERT_TRUE(inside(d->constant, img, ".rdata")) << d->constant;
        EXPECT_EQ(*d->constant, 0x5eed);
        EXPECT_EQ(d->values[0], 11);
        EXPECT_EQ(d->values[3], 44);
        MainLog* log = data<MainLog>(img, "probe_mainlog");
        ASSERT_TRUE(inside(log, img, ".bss"));
        EXPECT_EQ(log->count, 0);
    }
}

TEST_F(PeLoader, EntryPointSeesBaseAndReasonAndBoundImports)
{
    ImagePtr a = load();
    ImagePtr b = load();
    ASSERT_TRUE(a && b);
    MainLog* la = data<MainLog>(a.get(), "probe_mainlog");
    MainLog* lb = data<MainLog>(b.get(), "probe_mainlog");
    ASSERT_EQ(la->count, 0);

    EXPECT_TRUE(pe::attach(a.get()));
    ASSERT_EQ(la->count, 1);
    EXPECT_EQ(la->calls[0].module, pe::base(a.get()));
    EXPECT_EQ(la->calls[0].reason, 1u);
    EXPECT_EQ(la->calls[0].reserved, nullptr);
    EXPECT_EQ(lb->count, 0) << "images share their writable data";
    // The string came through a relocated immediate in the DLL's code.
    EXPECT_EQ(host.events, std::vector<std::string>{"fake_log(DllMain,1)"});

    EXPECT_TRUE(pe::detach(a.get()));
    ASSERT_EQ(la->count, 2);
    EXPECT_EQ(la->calls[1].module, pe::base(a.get()));
    EXPECT_EQ(la->calls[1].reason, 0u);
    EXPECT_EQ(host.events.back(), "fake_log(DllMain,0)");
    EXPECT_EQ(lb->count, 0);
}

TEST_F(PeLoader, AttachReturnsWhatTheEntryPointReturned)
{
    struct Row {
        int main_result;
        bool attach;
    };
    const Row rows[] = {{1, true}, {0, false}, {7, true}, {-1, true}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.main_result);
        ImagePtr img = load();
        ASSERT_TRUE(img);
        *data<int>(img.get(), "probe_main_result") = r.main_result;
        EXPECT_EQ(pe::attach(img.get()), r.attach);
        EXPECT_TRUE(pe::detach(img.get()));  // detach always answers 1 in the probe
        EXPECT_EQ(data<MainLog>(img.get(), "probe_mainlog")->count, 2);
    }
}

// An image without entry point attaches without a call; an entry point that
// does not remove its three arguments is reported as a failed attach.
TEST_F(PeLoader, AttachHandlesMissingAndMisdeclaredEntryPoints)
{
    std::vector<uint8_t> b = read_probe();
    ASSERT_FALSE(b.empty());
    const Layout L(b);
    struct Row {
        const char* what;
        uint32_t entry_rva;
        bool attach;
    };
    const Row rows[] = {
        {"no entry point", 0, true},
        {"entry pops 4 bytes", L.info.export_ordinal(11)->rva, false},  // probe_hidden, stdcall(int)
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        put32(b, L.opt + 16, r.entry_rva);
        std::string err;
        ImagePtr img(pe::load_memory(b.data(), b.size(), resolve, &host, err));
        ASSERT_TRUE(img) << err;
        EXPECT_EQ(pe::attach(img.get()), r.attach);
        EXPECT_EQ(pe::detach(img.get()), r.attach);
        EXPECT_EQ(data<MainLog>(img.get(), "probe_mainlog")->count, 0);
        EXPECT_TRUE(host.events.empty());
    }
}

// Memory past a section's VirtualSize is zero even where the file holds
// more bytes (file alignment is coarser than the section's size).
TEST_F(PeLoader, BytesPastVirtualSizeAreZero)
{
    std::vector<uint8_t> b = read_probe();
    ASSERT_FALSE(b.empty());
    const Layout L(b);
    const uint32_t data_sh = L.section_header(".data");
    const pe::Section* ds = L.info.section_named(".data");
    ASSERT_TRUE(data_sh && ds);
    const uint32_t values_rva = L.info.export_named("probe_data")->rva + offsetof(ProbeData, values);
    ASSERT_GT(ds->raw_size, values_rva - ds->rva + 16) << "the file must hold the values";
    put32(b, data_sh + 8, values_rva - ds->rva);  // VirtualSize ends where values[] begins
    std::string err;
    ImagePtr img(pe::load_memory(b.data(), b.size(), resolve, &host, err));
    ASSERT_TRUE(img) << err;
    ProbeData* d = data<ProbeData>(img.get(), "probe_data");
    EXPECT_EQ(d->self, &d->values[0]);  // still relocated
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(d->values[i], 0) << i;
    // A fresh image has the values: the zeros came from VirtualSize.
    ImagePtr fresh = load();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(data<ProbeData>(fresh.get(), "probe_data")->values[1], 22);
}

// ---------------------------------------------------------------------------
// Calls and export lookup

TEST_F(PeLoader, StdcallExportPopsItsArgumentsAndKeepsTheirOrder)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    void* mix = pe::proc(img.get(), "probe_mix");
    ASSERT_NE(mix, nullptr);
    struct Row {
        uint32_t a, b, c;
        int32_t result;
    };
    const Row rows[] = {{1, 2, 3, 123}, {3, 2, 1, 321}, {0, 0, 9, 9}, {uint32_t(-1), 1, 0, -90}};
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.a) + "," + std::to_string(r.b) + "," + std::to_string(r.c));
        host.events.clear();
        const uint32_t args[] = {r.a, r.b, r.c};
        uint32_t popped = 0xdead;
        int32_t got = static_cast<int32_t>(pe::call_stdcall_measure(mix, args, 3, &popped));
        EXPECT_EQ(got, r.result);
        EXPECT_EQ(popped, 12u);
        std::vector<std::string> want = {"fake_add(" + std::to_string(int32_t(r.a) * 100) + "," +
                                         std::to_string(int32_t(r.b) * 10) + ")"};
        EXPECT_EQ(host.events, want);
    }
}

TEST_F(PeLoader, CdeclExportLeavesArgumentsToTheCaller)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    void* sum = pe::proc(img.get(), "probe_sum");
    ASSERT_NE(sum, nullptr);
    const uint32_t args[] = {0, 10, 20, 30, 40, 50, 60};
    for (unsigned k = 0; k <= 6; ++k) {
        SCOPED_TRACE(k);
        host.events.clear();
        uint32_t a[7];
        std::memcpy(a, args, sizeof a);
        a[0] = k;
        uint32_t popped = 0xdead;
        uint32_t got = pe::call_stdcall_measure(sum, a, k + 1, &popped);
        EXPECT_EQ(got, 5 * k * (k + 1));
        EXPECT_EQ(popped, 0u);
        EXPECT_EQ(host.events, std::vector<std::string>{"fake_log(probe_sum," + std::to_string(got) + ")"});
    }
}

TEST_F(PeLoader, ImportsByOrdinalAndDataImportsAreBound)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    uint32_t popped = 0;
    const uint32_t seven[] = {7};
    EXPECT_EQ(pe::call_stdcall_measure(pe::proc(img.get(), "probe_secret"), seven, 1, &popped), 22u);
    EXPECT_EQ(popped, 4u);
    EXPECT_EQ(host.events, std::vector<std::string>{"fake_secret(7)"});

    host.counter = 40;
    const uint32_t two[] = {2};
    EXPECT_EQ(pe::call_stdcall_measure(pe::proc(img.get(), "probe_bump"), two, 1, &popped), 42u);
    EXPECT_EQ(popped, 4u);
    EXPECT_EQ(host.counter, 42);
}

TEST_F(PeLoader, ExportLookupByNameAndOrdinalAgree)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    pe::Image* i = img.get();
    void* mix = pe::proc(i, "probe_mix");
    ASSERT_NE(mix, nullptr);
    EXPECT_EQ(pe::proc(i, "probe_mix@12"), mix);
    EXPECT_EQ(pe::proc_ordinal(i, 5), mix);
    EXPECT_EQ(pe::proc_ordinal(i, 6), mix);

    struct Row {
        const char* name;
        unsigned ordinal;
    };
    const Row named[] = {{"probe_sum", 7},   {"probe_data", 9},    {"probe_main_result", 10},
                         {"probe_bump", 12}, {"probe_poke_const", 13}, {"probe_secret", 14},
                         {"probe_mainlog", 15}};
    std::set<void*> distinct = {mix};
    for (const Row& r : named) {
        SCOPED_TRACE(r.name);
        void* p = pe::proc(i, r.name);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(pe::proc_ordinal(i, r.ordinal), p);
        distinct.insert(p);
    }
    void* hidden = pe::proc_ordinal(i, 11);
    ASSERT_NE(hidden, nullptr);
    distinct.insert(hidden);
    EXPECT_EQ(distinct.size(), std::size(named) + 2);
    uint32_t popped = 0;
    const uint32_t x[] = {0x1111};
    EXPECT_EQ(pe::call_stdcall_measure(hidden, x, 1, &popped), 0x1111u ^ 0x1234u);
    EXPECT_EQ(popped, 4u);

    const char* missing_names[] = {"PROBE_MIX", "probe_mix@1", "probe_mix@120", "probe_", "", "DllMain",
                                   "probe_forward", "probe_hidden@4"};
    for (const char* n : missing_names)
        EXPECT_EQ(pe::proc(i, n), nullptr) << n;
    const unsigned missing_ordinals[] = {0, 4, 8, 16, 17, 0x10005};
    for (unsigned o : missing_ordinals)
        EXPECT_EQ(pe::proc_ordinal(i, o), nullptr) << o;
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

TEST_F(PeLoader, DataIsNotExecutable)
{
    ImagePtr img = load();
    ASSERT_TRUE(img);
    ProbeData* d = data<ProbeData>(img.get(), "probe_data");
    // mov eax, 0x2a ; ret
    const uint8_t code[] = {0xb8, 0x2a, 0x00, 0x00, 0x00, 0xc3};
    std::memcpy(d->values, code, sizeof code);
    EXPECT_TRUE(faults([&] { pe::call_stdcall_measure(d->values, nullptr, 0, nullptr); }));

    // The same bytes run from an executable page: the fault above came from
    // the protection, not from the code.
    void* exec = mmap(nullptr, 4096, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(exec, MAP_FAILED);
    std::memcpy(exec, code, sizeof code);
    uint32_t popped = 0xdead;
    EXPECT_EQ(pe::call_stdcall_measure(exec, nullptr, 0, &popped), 42u);
    EXPECT_EQ(popped, 0u);
    munmap(exec, 4096);
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

// ---------------------------------------------------------------------------
// The measuring shim, against host functions of known convention

HOST_STDCALL uint32_t host_std5(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e)
{
    return a * 10000 + b * 1000 + c * 100 + d * 10 + e;
}

HOST_FN uint32_t host_cdecl5(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e)
{
    return a * 10000 + b * 1000 + c * 100 + d * 10 + e;
}

// Reports the alignment of the stack at the call: the first argument sits
// where esp pointed when the call was made.
__attribute__((noinline)) uint32_t host_where(uint32_t first)
{
    return word(&first) & 15;
}

TEST(CallMeasure, ReportsBytesTheCalleePopped)
{
    const uint32_t args[] = {1, 2, 3, 4, 5};
    uint32_t popped = 0xdead;
    EXPECT_EQ(pe::call_stdcall_measure(reinterpret_cast<void*>(&host_std5), args, 5, &popped), 12345u);
    EXPECT_EQ(popped, 20u);
    popped = 0xdead;
    EXPECT_EQ(pe::call_stdcall_measure(reinterpret_cast<void*>(&host_cdecl5), args, 5, &popped), 12345u);
    EXPECT_EQ(popped, 0u);
    for (unsigned n = 1; n <= 8; ++n) {
        uint32_t many[8] = {};
        EXPECT_EQ(pe::call_stdcall_measure(reinterpret_cast<void*>(&host_where), many, n, nullptr), 0u)
            << n << " words";
    }
}

}  // namespace
