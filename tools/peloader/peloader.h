// A small loader for PE32 (i386) DLLs, for tests that run Windows DLL code
// inside an i386 Linux process (under qemu-i386).
//
// It parses headers, sections, exports and imports; maps the image into
// anonymous memory; applies HIGHLOW base relocations; binds every import
// through a caller-supplied resolver; sets page protections from the section
// flags; calls the entry point; and looks up exports by name or ordinal.
//
// Host functions that loaded code can call (everything a Resolver hands out)
// must be declared __attribute__((force_align_arg_pointer)): Windows code only
// keeps the stack 4-byte aligned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

// IMAGE_FILE_MACHINE_I386
inline constexpr uint16_t kMachineI386 = 0x014c;

struct Section {
    std::string name;          // long names ("/4") resolved through the COFF string table
    uint32_t rva = 0;
    uint32_t virtual_size = 0;
    uint32_t raw_size = 0;     // bytes present in the file; the rest is zero-filled
    uint32_t raw_offset = 0;
    uint32_t characteristics = 0;
    bool readable = false;
    bool writable = false;
    bool executable = false;

    // The size the section occupies in memory (VirtualSize, or the raw size
    // when a linker left VirtualSize at 0).
    uint32_t mapped_size() const { return virtual_size ? virtual_size : raw_size; }
    bool contains(uint32_t r) const { return r >= rva && r - rva < mapped_size(); }
};

struct Export {
    std::string name;          // empty for an entry exported by ordinal only
    uint32_t ordinal = 0;      // biased: the number callers use (ordinal base applied)
    uint32_t rva = 0;
    bool forwarder = false;
    std::string forward_to;    // "MODULE.name" or "MODULE.#N" when forwarder
};

struct ImportFunction {
    std::string name;          // empty when imported by ordinal
    bool by_ordinal = false;
    uint16_t ordinal = 0;      // when by_ordinal
    uint16_t hint = 0;         // when by name
    uint32_t iat_rva = 0;      // slot the loader writes the bound address into

    // "name", or "#N" for an ordinal import: the name handed to a Resolver.
    std::string key() const;
};

struct ImportModule {
    std::string module;        // as written in the image, e.g. "KERNEL32.dll"
    std::vector<ImportFunction> functions;
};

struct Info {
    uint16_t machine = 0;
    uint16_t file_characteristics = 0;
    bool is_dll = false;
    uint32_t image_base = 0;
    uint32_t size_of_image = 0;
    uint32_t size_of_headers = 0;
    uint32_t section_alignment = 0;
    uint32_t file_alignment = 0;
    uint32_t entry_rva = 0;
    uint16_t dll_characteristics = 0;
    std::vector<Section> sections;

    std::string export_module;  // name recorded in the export directory
    uint32_t ordinal_base = 0;
    uint32_t export_slots = 0;  // entries in the export address table
    std::vector<Export> exports;  // in address-table order, empty slots left out

    std::vector<ImportModule> imports;

    uint32_t relocs_highlow = 0;   // IMAGE_REL_BASED_HIGHLOW entries
    uint32_t relocs_absolute = 0;  // padding entries
    uint32_t relocs_other = 0;     // any other type: load() refuses such an image
    bool has_tls = false;
    bool has_delay_imports = false;

    const Section* section_of(uint32_t rva) const;
    const Section* section_named(const std::string& name) const;
    const Export* export_named(const std::string& name) const;
    const Export* export_ordinal(uint32_t ordinal) const;
    const ImportModule* import_module(const std::string& module) const;  // case-insensitive
};

// Parse without executing or mapping anything. On failure returns false and
// sets err; out is then unspecified.
bool parse(const char* path, Info& out, std::string& err);
bool parse_memory(const void* data, std::size_t size, Info& out, std::string& err);

// Returns the host address to bind to module!name (a function or a data
// object), or nullptr to refuse. Ordinal imports arrive as "#N". module is
// spelled as in the image; compare it case-insensitively (same_module).
using Resolver = void* (*)(void* ctx, const char* module, const char* name);

bool same_module(const char* a, const char* b);

struct Image;

// Map, relocate, bind and protect. Does not call the entry point (attach()
// does). Returns nullptr and sets err on failure; nothing stays mapped then.
Image* load(const char* path, Resolver resolve, void* ctx, std::string& err);
Image* load_memory(const void* data, std::size_t size, Resolver resolve, void* ctx,
                   std::string& err);

// Call the entry point, BOOL __stdcall (HINSTANCE base, DWORD reason, LPVOID
// reserved), with reason 1 (attach) or 0 (detach) and reserved = nullptr.
// Return what it returned; an image without entry point returns true.
bool attach(Image* image);
bool detach(Image* image);

// Export lookup: exact, case-sensitive name; ordinal with the ordinal base
// applied. nullptr for unknown names, empty slots and forwarders (the loader
// does not chase forwarders).
void* proc(Image* image, const char* name);
void* proc_ordinal(Image* image, unsigned ordinal);

void* base(Image* image);
std::size_t mapped_size(Image* image);
const Info& info(Image* image);
// Signed difference between the mapped base and the preferred image base.
int32_t load_delta(Image* image);

// Unmap. Does not call the entry point: call detach() first if the test
// wants DllMain to see the detach.
void unload(Image* image);

// Bytes currently mapped by the loader, over all images: 0 once every image
// is unloaded and after every failed load.
std::size_t mapped_bytes();

// Call fn with n 32-bit words, args[0] being the first (lowest-addressed)
// argument, with the stack 16-byte aligned at the call. Returns eax and
// stores in *esp_delta (when not null) how many bytes the callee removed
// from the stack: 4*n for a correct stdcall callee, 0 for cdecl. The
// caller's stack is restored either way.
uint32_t call_stdcall_measure(void* fn, const uint32_t* args, unsigned n, uint32_t* esp_delta);

}  // namespace pe
