// PE32 (i386) loader for running DLL code inside an i386 Linux test process.
// See peloader.h for the interface and README.md for what it leaves out.
#include "peloader.h"

#include <strings.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace pe {

struct Image {
    uint8_t* base = nullptr;
    std::size_t size = 0;  // bytes mapped (SizeOfImage rounded up to pages)
    Info info;
    uint32_t delta = 0;
};

namespace {

// Data directory indices.
constexpr unsigned kDirExport = 0;
constexpr unsigned kDirImport = 1;
constexpr unsigned kDirReloc = 5;
constexpr unsigned kDirTls = 9;
constexpr unsigned kDirDelayImport = 13;

constexpr uint32_t kScnExecute = 0x20000000;
constexpr uint32_t kScnRead = 0x40000000;
constexpr uint32_t kScnWrite = 0x80000000;

constexpr uint16_t kFileRelocsStripped = 0x0001;
constexpr uint16_t kFileDll = 0x2000;

constexpr unsigned kRelAbsolute = 0;
constexpr unsigned kRelHighLow = 3;

// Upper bounds that keep a corrupt header from sending the parser into
// enormous loops; real DLLs stay far below them.
constexpr uint32_t kMaxExportSlots = 0x10000;
constexpr uint32_t kMaxImportModules = 4096;
constexpr uint32_t kMaxImportsPerModule = 0x10000;
constexpr uint32_t kMaxString = 4096;

std::atomic<std::size_t> g_mapped_bytes{0};

uint16_t rd16(const uint8_t* p)
{
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint32_t rd32(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", v);
    return buf;
}

// Whether [off, off+len) lies inside [0, limit), without overflow.
bool fits(uint64_t off, uint64_t len, uint64_t limit)
{
    return off <= limit && len <= limit - off;
}

struct Dir {
    uint32_t rva = 0;
    uint32_t size = 0;
    bool present() const { return rva != 0 && size != 0; }
    bool contains(uint32_t r) const { return r >= rva && r - rva < size; }
};

// Reads bytes by RVA, either from the file (through the section table) or
// from a mapped image.
class View {
public:
    // File layout.
    View(const uint8_t* data, std::size_t size, const Info& info)
        : data_(data), size_(size), info_(&info)
    {
    }
    // Mapped layout.
    View(const uint8_t* base, std::size_t size) : data_(base), size_(size) {}

    // Pointer to the bytes at rva and how many follow contiguously, or
    // nullptr when rva is not backed by data.
    const uint8_t* span(uint32_t rva, uint32_t& avail) const
    {
        avail = 0;
        if (!info_) {
            if (rva >= size_)
                return nullptr;
            avail = static_cast<uint32_t>(size_ - rva);
            return data_ + rva;
        }
        if (rva < info_->size_of_headers) {
            uint32_t end = std::min<uint64_t>(info_->size_of_headers, size_);
            if (rva >= end)
                return nullptr;
            avail = end - rva;
            return data_ + rva;
        }
        for (const Section& s : info_->sections) {
            if (!s.contains(rva))
                continue;
            uint32_t off = rva - s.rva;
            uint32_t in_file = std::min(s.raw_size, s.mapped_size());
            if (off >= in_file)
                return nullptr;  // zero-filled tail: no file bytes behind it
            avail = in_file - off;
            return data_ + s.raw_offset + off;
        }
        return nullptr;
    }

    const uint8_t* at(uint32_t rva, uint32_t len) const
    {
        uint32_t avail;
        const uint8_t* p = span(rva, avail);
        return p && len <= avail ? p : nullptr;
    }

    bool str(uint32_t rva, std::string& out) const
    {
        uint32_t avail;
        const uint8_t* p = span(rva, avail);
        if (!p)
            return false;
        uint32_t lim = std::min(avail, kMaxString);
        const void* nul = std::memchr(p, 0, lim);
        if (!nul)
            return false;
        out.assign(reinterpret_cast<const char*>(p),
                   static_cast<const uint8_t*>(nul) - p);
        return true;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    const Info* info_ = nullptr;
};

struct Headers {
    Dir dirs[16];
    uint32_t opt_offset = 0;  // file offset of the optional header
};

bool parse_headers(const uint8_t* d, std::size_t n, Info& info, Headers& h, std::string& err)
{
    if (n < 64 || d[0] != 'M' || d[1] != 'Z') {
        err = "not an MZ executable";
        return false;
    }
    uint32_t pe_off = rd32(d + 0x3c);
    if (!fits(pe_off, 24, n) || std::memcmp(d + pe_off, "PE\0\0", 4) != 0) {
        err = "no PE signature at " + hex(pe_off);
        return false;
    }
    const uint8_t* fh = d + pe_off + 4;
    info.machine = rd16(fh + 0);
    uint16_t nsec = rd16(fh + 2);
    uint32_t symtab = rd32(fh + 8);
    uint32_t nsyms = rd32(fh + 12);
    uint16_t opt_size = rd16(fh + 16);
    info.file_characteristics = rd16(fh + 18);
    info.is_dll = (info.file_characteristics & kFileDll) != 0;

    uint32_t opt = pe_off + 24;
    h.opt_offset = opt;
    if (opt_size < 96 || !fits(opt, opt_size, n)) {
        err = "optional header truncated";
        return false;
    }
    const uint8_t* oh = d + opt;
    uint16_t magic = rd16(oh);
    if (magic != 0x10b) {
        err = "optional header magic " + hex(magic) + " is not PE32";
        return false;
    }
    info.entry_rva = rd32(oh + 16);
    info.image_base = rd32(oh + 28);
    info.section_alignment = rd32(oh + 32);
    info.file_alignment = rd32(oh + 36);
    info.size_of_image = rd32(oh + 56);
    info.size_of_headers = rd32(oh + 60);
    info.dll_characteristics = rd16(oh + 70);
    uint32_t ndirs = rd32(oh + 92);
    ndirs = std::min<uint32_t>(ndirs, 16);
    ndirs = std::min<uint32_t>(ndirs, (opt_size - 96) / 8);
    for (uint32_t i = 0; i < ndirs; ++i) {
        h.dirs[i].rva = rd32(oh + 96 + 8 * i);
        h.dirs[i].size = rd32(oh + 100 + 8 * i);
    }

    if (info.size_of_image == 0 || info.section_alignment == 0) {
        err = "SizeOfImage or SectionAlignment is zero";
        return false;
    }
    if (info.size_of_headers > info.size_of_image || info.size_of_headers > n) {
        err = "SizeOfHeaders " + hex(info.size_of_headers) + " exceeds the image or the file";
        return false;
    }

    uint32_t sec_off = opt + opt_size;
    if (!fits(sec_off, uint64_t{nsec} * 40, n)) {
        err = "section table truncated";
        return false;
    }
    // COFF string table, for section names longer than eight bytes.
    uint64_t strtab = uint64_t{symtab} + uint64_t{nsyms} * 18;
    uint32_t prev_end = info.size_of_headers;
    for (uint16_t i = 0; i < nsec; ++i) {
        const uint8_t* sh = d + sec_off + 40u * i;
        Section s;
        s.name.assign(reinterpret_cast<const char*>(sh), strnlen(reinterpret_cast<const char*>(sh), 8));
        if (s.name.size() > 1 && s.name[0] == '/' && symtab != 0) {
            uint64_t off = strtab + std::strtoul(s.name.c_str() + 1, nullptr, 10);
            if (off < n) {
                std::size_t len = strnlen(reinterpret_cast<const char*>(d + off), n - off);
                if (off + len < n)
                    s.name.assign(reinterpret_cast<const char*>(d + off), len);
            }
        }
        s.virtual_size = rd32(sh + 8);
        s.rva = rd32(sh + 12);
        s.raw_size = rd32(sh + 16);
        s.raw_offset = rd32(sh + 20);
        s.characteristics = rd32(sh + 36);
        s.readable = (s.characteristics & kScnRead) != 0;
        s.writable = (s.characteristics & kScnWrite) != 0;
        s.executable = (s.characteristics & kScnExecute) != 0;
        if (s.raw_size == 0)
            s.raw_offset = 0;
        if (!fits(s.raw_offset, s.raw_size, n)) {
            err = "section " + s.name + ": file data beyond the end of the file";
            return false;
        }
        if (!fits(s.rva, s.mapped_size(), info.size_of_image)) {
            err = "section " + s.name + " extends beyond SizeOfImage";
            return false;
        }
        if (s.rva < prev_end) {
            err = "section " + s.name + " at " + hex(s.rva) + " overlaps the headers or the previous section";
            return false;
        }
        prev_end = s.rva + s.mapped_size();
        info.sections.push_back(std::move(s));
    }
    return true;
}

bool parse_exports(const View& v, const Dir& dir, uint32_t size_of_image, Info& info, std::string& err)
{
    if (!dir.present())
        return true;
    const uint8_t* ed = v.at(dir.rva, 40);
    if (!ed) {
        err = "export directory at " + hex(dir.rva) + " is not in the image";
        return false;
    }
    uint32_t name_rva = rd32(ed + 12);
    info.ordinal_base = rd32(ed + 16);
    uint32_t nfunc = rd32(ed + 20);
    uint32_t nname = rd32(ed + 24);
    uint32_t funcs_rva = rd32(ed + 28);
    uint32_t names_rva = rd32(ed + 32);
    uint32_t ords_rva = rd32(ed + 36);
    if (name_rva && !v.str(name_rva, info.export_module)) {
        err = "export directory: module name unreadable";
        return false;
    }
    if (nfunc > kMaxExportSlots || nname > kMaxExportSlots) {
        err = "export directory: " + std::to_string(nfunc) + " functions / " + std::to_string(nname) +
              " names is implausible";
        return false;
    }
    info.export_slots = nfunc;
    const uint8_t* funcs = nfunc ? v.at(funcs_rva, nfunc * 4) : nullptr;
    const uint8_t* names = nname ? v.at(names_rva, nname * 4) : nullptr;
    const uint8_t* ords = nname ? v.at(ords_rva, nname * 2) : nullptr;
    if ((nfunc && !funcs) || (nname && (!names || !ords))) {
        err = "export directory: address, name or ordinal table not in the image";
        return false;
    }
    std::vector<std::vector<std::string>> slot_names(nfunc);
    for (uint32_t j = 0; j < nname; ++j) {
        uint16_t idx = rd16(ords + 2 * j);
        std::string name;
        if (!v.str(rd32(names + 4 * j), name)) {
            err = "export name " + std::to_string(j) + " unreadable";
            return false;
        }
        if (idx >= nfunc) {
            err = "export " + name + ": ordinal index " + std::to_string(idx) + " beyond the address table";
            return false;
        }
        slot_names[idx].push_back(std::move(name));
    }
    for (uint32_t i = 0; i < nfunc; ++i) {
        uint32_t rva = rd32(funcs + 4 * i);
        if (rva == 0)
            continue;  // unused ordinal
        Export e;
        e.ordinal = info.ordinal_base + i;
        e.rva = rva;
        if (dir.contains(rva)) {
            e.forwarder = true;
            if (!v.str(rva, e.forward_to)) {
                err = "forwarder string of ordinal " + std::to_string(e.ordinal) + " unreadable";
                return false;
            }
        } else if (rva >= size_of_image) {
            err = "export ordinal " + std::to_string(e.ordinal) + " points outside the image (" + hex(rva) + ")";
            return false;
        }
        if (slot_names[i].empty()) {
            info.exports.push_back(std::move(e));
            continue;
        }
        for (std::string& name : slot_names[i]) {
            Export named = e;
            named.name = std::move(name);
            info.exports.push_back(std::move(named));
        }
    }
    return true;
}

bool parse_imports(const View& v, const Dir& dir, uint32_t size_of_image, Info& info, std::string& err)
{
    if (!dir.present())
        return true;
    for (uint32_t k = 0;; ++k) {
        if (k >= kMaxImportModules) {
            err = "import directory has no terminator";
            return false;
        }
        const uint8_t* desc = v.at(dir.rva + 20 * k, 20);
        if (!desc) {
            err = "import descriptor " + std::to_string(k) + " is not in the image";
            return false;
        }
        uint32_t lookup = rd32(desc + 0);
        uint32_t name_rva = rd32(desc + 12);
        uint32_t iat = rd32(desc + 16);
        static const uint8_t zero[20] = {};
        if (std::memcmp(desc, zero, 20) == 0)
            break;
        ImportModule m;
        if (name_rva == 0 || iat == 0 || !v.str(name_rva, m.module)) {
            err = "import descriptor " + std::to_string(k) + ": module name or address table missing";
            return false;
        }
        if (lookup == 0)
            lookup = iat;  // no separate lookup table: the address table holds the names
        for (uint32_t i = 0;; ++i) {
            if (i >= kMaxImportsPerModule) {
                err = "imports from " + m.module + " have no terminator";
                return false;
            }
            const uint8_t* t = v.at(lookup + 4 * i, 4);
            if (!t) {
                err = "import lookup table of " + m.module + " runs out of the image";
                return false;
            }
            uint32_t thunk = rd32(t);
            if (thunk == 0)
                break;
            ImportFunction f;
            f.iat_rva = iat + 4 * i;
            if (!fits(f.iat_rva, 4, size_of_image)) {
                err = "import address table of " + m.module + " runs out of the image";
                return false;
            }
            if (thunk & 0x80000000u) {
                f.by_ordinal = true;
                f.ordinal = static_cast<uint16_t>(thunk & 0xffff);
            } else {
                const uint8_t* hint = v.at(thunk, 2);
                if (!hint || !v.str(thunk + 2, f.name)) {
                    err = "import " + std::to_string(i) + " of " + m.module + ": name unreadable";
                    return false;
                }
                f.hint = rd16(hint);
            }
            m.functions.push_back(std::move(f));
        }
        info.imports.push_back(std::move(m));
    }
    return true;
}

// Calls fn(type, rva of the patched dword) for every relocation entry.
// fn returns false to stop (having set err).
bool walk_relocs(const View& v, const Dir& dir, uint32_t size_of_image, std::string& err,
                 const std::function<bool(unsigned, uint32_t)>& fn)
{
    if (!dir.present())
        return true;
    uint32_t off = 0;
    while (off < dir.size) {
        const uint8_t* blk = v.at(dir.rva + off, 8);
        if (!blk || dir.size - off < 8) {
            err = "relocation block at " + hex(dir.rva + off) + " truncated";
            return false;
        }
        uint32_t page = rd32(blk);
        uint32_t bsize = rd32(blk + 4);
        if (bsize < 8 || bsize % 2 != 0 || bsize > dir.size - off || !v.at(dir.rva + off, bsize)) {
            err = "relocation block at " + hex(dir.rva + off) + " has bad size " + std::to_string(bsize);
            return false;
        }
        for (uint32_t e = 8; e < bsize; e += 2) {
            uint16_t entry = rd16(blk + e);
            unsigned type = entry >> 12;
            uint32_t rva = page + (entry & 0xfff);
            if (type == kRelHighLow && !fits(rva, 4, size_of_image)) {
                err = "relocation at " + hex(rva) + " outside the image";
                return false;
            }
            if (!fn(type, rva))
                return false;
        }
        off += bsize;
    }
    return true;
}

bool parse_all(const uint8_t* d, std::size_t n, Info& info, Headers& h, std::string& err)
{
    info = Info{};
    if (!parse_headers(d, n, info, h, err))
        return false;
    View v(d, n, info);
    if (!parse_exports(v, h.dirs[kDirExport], info.size_of_image, info, err))
        return false;
    if (!parse_imports(v, h.dirs[kDirImport], info.size_of_image, info, err))
        return false;
    bool ok = walk_relocs(v, h.dirs[kDirReloc], info.size_of_image, err, [&](unsigned type, uint32_t) {
        if (type == kRelHighLow)
            ++info.relocs_highlow;
        else if (type == kRelAbsolute)
            ++info.relocs_absolute;
        else
            ++info.relocs_other;
        return true;
    });
    if (!ok)
        return false;
    info.has_tls = h.dirs[kDirTls].present();
    info.has_delay_imports = h.dirs[kDirDelayImport].present();
    return true;
}

bool read_file(const char* path, std::vector<uint8_t>& out, std::string& err)
{
    FILE* f = std::fopen(path, "rb");
    if (!f) {
        err = std::string(path) + ": " + std::strerror(errno);
        return false;
    }
    uint8_t buf[65536];
    std::size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + got);
    bool bad = std::ferror(f) != 0;
    std::fclose(f);
    if (bad) {
        err = std::string(path) + ": read error";
        return false;
    }
    return true;
}

void unmap(uint8_t* p, std::size_t size)
{
    munmap(p, size);
    g_mapped_bytes -= size;
}

int section_prot(const Section& s)
{
    int prot = PROT_NONE;
    if (s.readable)
        prot |= PROT_READ;
    if (s.writable)
        prot |= PROT_WRITE;
    if (s.executable)
        prot |= PROT_EXEC;
    return prot;
}

// Headers read-only; each page gets the union of the permissions of the
// sections it holds (pages are shared only when SectionAlignment is below
// the page size); pages no section covers become inaccessible.
bool protect(Image& img, std::size_t page, std::string& err)
{
    std::size_t npages = img.size / page;
    std::vector<int> prot(npages, PROT_NONE);
    for (std::size_t p = 0; p * page < img.info.size_of_headers; ++p)
        prot[p] |= PROT_READ;
    for (const Section& s : img.info.sections) {
        if (s.mapped_size() == 0)
            continue;
        std::size_t first = s.rva / page;
        std::size_t last = (uint64_t{s.rva} + s.mapped_size() - 1) / page;
        for (std::size_t p = first; p <= last; ++p)
            prot[p] |= section_prot(s);
    }
    for (std::size_t p = 0; p < npages;) {
        std::size_t q = p + 1;
        while (q < npages && prot[q] == prot[p])
            ++q;
        if (mprotect(img.base + p * page, (q - p) * page, prot[p]) != 0) {
            err = std::string("mprotect: ") + std::strerror(errno);
            return false;
        }
        p = q;
    }
    return true;
}

// Through the measuring shim, so an entry point with the wrong calling
// convention is reported instead of corrupting the caller's stack.
bool call_entry(Image* image, uint32_t reason)
{
    if (!image || image->info.entry_rva == 0)
        return true;
    const uint32_t args[3] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(image->base)), reason, 0};
    uint32_t popped = 0;
    uint32_t r = call_stdcall_measure(image->base + image->info.entry_rva, args, 3, &popped);
    if (popped != sizeof args) {
        std::fprintf(stderr, "peloader: entry point removed %u bytes of arguments, not %u\n", popped,
                     static_cast<unsigned>(sizeof args));
        return false;
    }
    return r != 0;
}

}  // namespace

std::string ImportFunction::key() const
{
    return by_ordinal ? "#" + std::to_string(ordinal) : name;
}

const Section* Info::section_of(uint32_t rva) const
{
    for (const Section& s : sections)
        if (s.contains(rva))
            return &s;
    return nullptr;
}

const Section* Info::section_named(const std::string& name) const
{
    for (const Section& s : sections)
        if (s.name == name)
            return &s;
    return nullptr;
}

const Export* Info::export_named(const std::string& name) const
{
    for (const Export& e : exports)
        if (!e.name.empty() && e.name == name)
            return &e;
    return nullptr;
}

const Export* Info::export_ordinal(uint32_t ordinal) const
{
    for (const Export& e : exports)
        if (e.ordinal == ordinal)
            return &e;
    return nullptr;
}

const ImportModule* Info::import_module(const std::string& module) const
{
    for (const ImportModule& m : imports)
        if (same_module(m.module.c_str(), module.c_str()))
            return &m;
    return nullptr;
}

bool same_module(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0;
}

bool parse_memory(const void* data, std::size_t size, Info& out, std::string& err)
{
    Headers h;
    return parse_all(static_cast<const uint8_t*>(data), size, out, h, err);
}

bool parse(const char* path, Info& out, std::string& err)
{
    std::vector<uint8_t> file;
    if (!read_file(path, file, err))
        return false;
    if (!parse_memory(file.data(), file.size(), out, err)) {
        err = std::string(path) + ": " + err;
        return false;
    }
    return true;
}

Image* load_memory(const void* data, std::size_t size, Resolver resolve, void* ctx, std::string& err)
{
    const uint8_t* d = static_cast<const uint8_t*>(data);
    Info info;
    Headers h;
    if (!parse_all(d, size, info, h, err))
        return nullptr;
    if (info.machine != kMachineI386) {
        err = "machine " + hex(info.machine) + " is not i386";
        return nullptr;
    }
    if (info.has_tls) {
        err = "TLS directory present: thread-local storage is not supported";
        return nullptr;
    }
    if (info.has_delay_imports) {
        err = "delay-load imports are not supported";
        return nullptr;
    }

    std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::size_t map_size = (uint64_t{info.size_of_image} + page - 1) / page * page;
    bool relocatable = !(info.file_characteristics & kFileRelocsStripped) && h.dirs[kDirReloc].present();
    // A relocatable image goes wherever mmap puts it, which exercises the
    // relocations; one without them has to sit at its preferred base.
    void* want = relocatable ? nullptr : reinterpret_cast<void*>(uintptr_t{info.image_base});
    void* m = mmap(want, map_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) {
        err = "mmap of " + std::to_string(map_size) + " bytes: " + std::strerror(errno);
        return nullptr;
    }
    g_mapped_bytes += map_size;

    auto img = new Image;
    img->base = static_cast<uint8_t*>(m);
    img->size = map_size;
    img->info = std::move(info);
    img->delta = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m)) - img->info.image_base;
    auto fail = [&](std::string msg) -> Image* {
        err = std::move(msg);
        unmap(img->base, img->size);
        delete img;
        return nullptr;
    };
    const Info& in = img->info;
    if (!relocatable && img->delta != 0)
        return fail("image has no relocations and its base " + hex(in.image_base) + " is not free");

    std::memcpy(img->base, d, in.size_of_headers);
    for (const Section& s : in.sections)
        std::memcpy(img->base + s.rva, d + s.raw_offset, std::min(s.raw_size, s.mapped_size()));

    View mapped(img->base, in.size_of_image);
    bool ok = walk_relocs(mapped, h.dirs[kDirReloc], in.size_of_image, err, [&](unsigned type, uint32_t rva) {
        if (type == kRelAbsolute)
            return true;
        if (type != kRelHighLow) {
            err = "relocation type " + std::to_string(type) + " at " + hex(rva) + " is not supported";
            return false;
        }
        uint8_t* p = img->base + rva;
        uint32_t v = rd32(p) + img->delta;
        std::memcpy(p, &v, 4);
        return true;
    });
    if (!ok)
        return fail(err);
    // Code that reads its own ImageBase field sees where it really is.
    uint32_t actual = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(img->base));
    std::memcpy(img->base + h.opt_offset + 28, &actual, 4);

    for (const ImportModule& mod : in.imports) {
        for (const ImportFunction& f : mod.functions) {
            std::string key = f.key();
            void* addr = resolve ? resolve(ctx, mod.module.c_str(), key.c_str()) : nullptr;
            if (!addr)
                return fail("cannot bind import " + mod.module + "!" + key + ": no host definition");
            uint32_t v = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(addr));
            std::memcpy(img->base + f.iat_rva, &v, 4);
        }
    }

    if (!protect(*img, page, err))
        return fail(err);
    return img;
}

Image* load(const char* path, Resolver resolve, void* ctx, std::string& err)
{
    std::vector<uint8_t> file;
    if (!read_file(path, file, err))
        return nullptr;
    Image* img = load_memory(file.data(), file.size(), resolve, ctx, err);
    if (!img)
        err = std::string(path) + ": " + err;
    return img;
}

bool attach(Image* image)
{
    return call_entry(image, 1);
}

bool detach(Image* image)
{
    return call_entry(image, 0);
}

void* proc(Image* image, const char* name)
{
    if (!image || !name)
        return nullptr;
    const Export* e = image->info.export_named(name);
    return e && !e->forwarder ? image->base + e->rva : nullptr;
}

void* proc_ordinal(Image* image, unsigned ordinal)
{
    if (!image || ordinal < image->info.ordinal_base ||
        ordinal - image->info.ordinal_base >= image->info.export_slots)
        return nullptr;
    const Export* e = image->info.export_ordinal(ordinal);
    return e && !e->forwarder ? image->base + e->rva : nullptr;
}

void* base(Image* image)
{
    return image ? image->base : nullptr;
}

std::size_t mapped_size(Image* image)
{
    return image ? image->size : 0;
}

const Info& info(Image* image)
{
    return image->info;
}

int32_t load_delta(Image* image)
{
    return static_cast<int32_t>(image->delta);
}

void unload(Image* image)
{
    if (!image)
        return;
    unmap(image->base, image->size);
    delete image;
}

std::size_t mapped_bytes()
{
    return g_mapped_bytes.load();
}

}  // namespace pe

// Pushes the arguments below a 16-byte aligned boundary, records esp, calls,
// and reports how far esp moved during the call. Everything is addressed
// through ebp, so a callee that pops the wrong amount cannot derail the
// return. cdecl: (fn, args, n, esp_delta).
asm(R"(
    .pushsection .text
    .p2align 4
    .globl pe_call_measure_asm
    .type pe_call_measure_asm, @function
pe_call_measure_asm:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $4, %esp
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
    leal 0(,%ecx,4), %eax
    subl %eax, %esp
    andl $-16, %esp
    xorl %edx, %edx
1:  cmpl %ecx, %edx
    jae 2f
    movl (%esi,%edx,4), %eax
    movl %eax, (%esp,%edx,4)
    incl %edx
    jmp 1b
2:  movl %esp, -16(%ebp)
    call *8(%ebp)
    movl %esp, %ecx
    subl -16(%ebp), %ecx
    movl 20(%ebp), %edx
    testl %edx, %edx
    jz 3f
    movl %ecx, (%edx)
3:  leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
    .size pe_call_measure_asm, .-pe_call_measure_asm
    .popsection
)");

extern "C" uint32_t pe_call_measure_asm(void* fn, const uint32_t* args, unsigned n, uint32_t* esp_delta);

uint32_t pe::call_stdcall_measure(void* fn, const uint32_t* args, unsigned n, uint32_t* esp_delta)
{
    return pe_call_measure_asm(fn, args, n, esp_delta);
}
