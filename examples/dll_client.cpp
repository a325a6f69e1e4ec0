// The example client as a Windows developer runs it with no database installed: qx3agapi.dll over
// the stand-in DLLs QX3SYS.dll, QX3WINT.dll and QX3APP.dll. Here the PE loader plays Windows: it
// maps the four DLLs into this i386 process, binds qx3agapi.dll's imports of the native layer to
// the stand-in DLLs' exports, and KERNEL32 and msvcrt to the few host functions below.
//
// usage: dll_client DIR_OF_qx3agapi.dll DIR_OF_STANDIN_DLLS
// With QX3_STANDIN_TRACE set, the stand-ins write every native call into that file.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "peloader/peloader.h"
#include "qx3agapi.h"

#define HOST __attribute__((force_align_arg_pointer))

namespace {

HOST void* h_memcpy(void* d, const void* s, size_t n) { return memcpy(d, s, n); }
HOST void* h_memset(void* d, int c, size_t n) { return memset(d, c, n); }
HOST int h_sprintf(char* out, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    const int n = vsprintf(out, format, ap);
    va_end(ap);
    return n;
}
HOST char* h_getenv(const char* name) { return getenv(name); }
HOST FILE* h_fopen(const char* path, const char* mode) { return fopen(path, mode); }
HOST int h_fputs(const char* s, FILE* f) { return fputs(s, f); }
HOST int h_fclose(FILE* f) { return fclose(f); }
HOST void* h_malloc(size_t n) { return malloc(n); }
HOST void h_free(void* p) { free(p); }
HOST __attribute__((stdcall)) int h_DisableThreadLibraryCalls(void*) { return 1; }

struct Host {
    const char* module;
    const char* name;
    void* fn;
};
const Host kHost[] = {
    {"msvcrt.dll", "memcpy", reinterpret_cast<void*>(h_memcpy)},
    {"msvcrt.dll", "memset", reinterpret_cast<void*>(h_memset)},
    {"msvcrt.dll", "sprintf", reinterpret_cast<void*>(h_sprintf)},
    {"msvcrt.dll", "getenv", reinterpret_cast<void*>(h_getenv)},
    {"msvcrt.dll", "fopen", reinterpret_cast<void*>(h_fopen)},
    {"msvcrt.dll", "fputs", reinterpret_cast<void*>(h_fputs)},
    {"msvcrt.dll", "fclose", reinterpret_cast<void*>(h_fclose)},
    {"msvcrt.dll", "malloc", reinterpret_cast<void*>(h_malloc)},
    {"msvcrt.dll", "free", reinterpret_cast<void*>(h_free)},
    {"KERNEL32.dll", "DisableThreadLibraryCalls", reinterpret_cast<void*>(h_DisableThreadLibraryCalls)},
};

const char* const kStandins[] = {"QX3SYS.dll", "QX3WINT.dll", "QX3APP.dll"};
pe::Image* g_standin[3];
unsigned g_bound[4];  // imports of qx3agapi.dll bound to each stand-in DLL, and to the host

void* resolve(void* ctx, const char* module, const char* name) {
    const bool product = ctx != nullptr;
    for (unsigned i = 0; i < 3; ++i)
        if (g_standin[i] && pe::same_module(module, kStandins[i])) {
            void* p = pe::proc(g_standin[i], name);
            if (p && product) ++g_bound[i];
            return p;
        }
    for (const Host& h : kHost)
        if (pe::same_module(module, h.module) && strcmp(name, h.name) == 0) {
            if (product) ++g_bound[3];
            return h.fn;
        }
    return nullptr;
}

pe::Image* load(const std::string& path, bool product) {
    std::string err;
    pe::Image* image = pe::load(path.c_str(), resolve, product ? &g_bound : nullptr, err);
    if (image == nullptr || !pe::attach(image)) {
        fprintf(stderr, "cannot load %s: %s\n", path.c_str(), err.c_str());
        exit(1);
    }
    return image;
}

template <class F> F* entry(pe::Image* dll, const char* name) {
    void* p = pe::proc(dll, name);
    if (p == nullptr) fprintf(stderr, "qx3agapi.dll exports no %s\n", name), exit(1);
    return reinterpret_cast<F*>(p);
}

void show(const char* label, const char* buffer, size_t n) {
    printf("%s", label);
    for (size_t i = 0; i < n; ++i) printf(buffer[i] ? "%c" : "\\0", buffer[i]);
    printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return fprintf(stderr, "usage: dll_client DLL_DIR STANDIN_DIR\n"), 2;
    for (unsigned i = 0; i < 3; ++i) g_standin[i] = load(std::string(argv[2]) + "/" + kStandins[i], false);
    pe::Image* dll = load(std::string(argv[1]) + "/qx3agapi.dll", true);
    printf("qx3agapi.dll imports bound: %u to QX3SYS.dll, %u to QX3WINT.dll, %u to QX3APP.dll, %u to KERNEL32/msvcrt\n",
           g_bound[0], g_bound[1], g_bound[2], g_bound[3]);

    // Reset a database's configuration: the alias SAMPLE in a longer buffer with no NUL after it.
    char alias[] = {'S', 'A', 'M', 'P', 'L', 'E', 'X', 'Y', 'Z', '!'};
    sqlca ca;
    memset(&ca, 0, sizeof ca);
    auto* rdb = entry<int32_t __attribute__((stdcall))(qx3_u16w, sqlca*, char*)>(dll, "sqlgrdb@12");
    int32_t rc = rdb(6, &ca, alias);
    printf("sqlgrdb returned %d, sqlcode %d\n", rc, ca.sqlcode);
    show("after the call, the caller's buffer holds: ", alias, sizeof alias);
    const bool intact = memcmp(alias, "SAMPLEXYZ!", sizeof alias) == 0;

    // Attach: node, user and password one after another in one buffer, a byte between them.
    char words[] = "NODE1#USERA#SECRET?";
    memset(&ca, 0, sizeof ca);
    auto* atin = entry<int32_t __attribute__((stdcall))(qx3_u16w, qx3_u16w, qx3_u16w, sqlca*, char*, char*, char*)>(
        dll, "SQLGATIN");
    rc = atin(5, 5, 6, &ca, words, words + 6, words + 12);
    printf("sqlgatin returned %d, sqlcode %d\n", rc, ca.sqlcode);
    show("after the call, the caller's buffer holds: ", words, sizeof words - 1);
    const bool intact2 = strcmp(words, "NODE1#USERA#SECRET?") == 0;
    printf("buffers %s\n", intact && intact2 ? "given back byte for byte" : "CHANGED");

    pe::detach(dll);
    pe::unload(dll);
    for (pe::Image* s : g_standin) pe::detach(s), pe::unload(s);
    return intact && intact2 ? 0 : 1;
}
