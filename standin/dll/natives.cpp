// The native entry points of one stand-in DLL (STANDIN_MODULE is APP or SYS), made from the native
// table: each is a stdcall thunk that hands its name and argument words to one recorder and removes
// its own arguments. Which words are strings and which is the status record comes from the declared
// signature in native/<family>.h, so a native added there is traced correctly without more code.
#define STANDIN_NO_DLLMAIN
#include "trace.h"
#include "standin_native_headers.h"  // every native/<family>.h, generated from the folder
#include "native/table.inc"

namespace {

template <class T> constexpr bool is_string = false;
template <> constexpr bool is_string<char*> = true;
template <> constexpr bool is_string<const char*> = true;
template <> constexpr bool is_string<unsigned char*> = true;
template <> constexpr bool is_string<const unsigned char*> = true;

template <class F> struct Shape;
template <class R, class... A> struct Shape<R QX3_NATIVE(A...)> {
    static constexpr uint64_t strings() {
        uint64_t mask = 0;
        unsigned word = 0;
        ((mask |= is_string<A> ? uint64_t{1} << word : 0, word += (sizeof(A) + 3) / 4), ...);
        return mask;
    }
    static constexpr int ca_word() {
        int found = -1;
        unsigned word = 0;
        ((found = __is_same(A, sqlca*) ? static_cast<int>(word) : found, word += (sizeof(A) + 3) / 4), ...);
        return found;
    }
};

// A native in the table whose family has no header yet: traced with its words only.
struct Undeclared {};
template <> struct Shape<const Undeclared> {
    static constexpr uint64_t strings() { return 0; }
    static constexpr int ca_word() { return -1; }
};

struct Info {
    const char* name;
    unsigned bytes;
    uint64_t strings;
    int ca_word;
};

#define SDK_CAT_(a, b) a##b
#define SDK_CAT(a, b) SDK_CAT_(a, b)
#define SDK_SECOND(a, b, ...) b
#define SDK_PROBE(...) SDK_SECOND(__VA_ARGS__, 0, 0)
#define SDK_IS_frame ~, 1
#define SDK_IS_MINE SDK_CAT(SDK_IS_, STANDIN_MODULE)
#define SDK_IS_APP_MINE_APP ~, 1
#define SDK_IS_SYS_MINE_SYS ~, 1
#define SDK_OURS(module) SDK_PROBE(SDK_CAT(SDK_CAT(SDK_IS_, module), SDK_CAT(_MINE_, STANDIN_MODULE)))
#define SDK_WHEN_0(...) __VA_ARGS__
#define SDK_WHEN_1(...)
#define SDK_UNLESS_FRAME(family) SDK_CAT(SDK_WHEN_, SDK_PROBE(SDK_CAT(SDK_IS_, family)))
#define SDK_NOT_OURS_0(...)
#define SDK_NOT_OURS_1(...) __VA_ARGS__
#define SDK_IF_OURS(module) SDK_CAT(SDK_NOT_OURS_, SDK_OURS(module))

#define SDK_INFO(name, bytes, module, family) \
    SDK_IF_OURS(module)(SDK_UNLESS_FRAME(family)({#name, bytes, Shape<decltype(::name)>::strings(), Shape<decltype(::name)>::ca_word()},))

#define SDK_FALLBACK(name, bytes, module, family) extern const Undeclared name;
namespace fallback {
QX3_NATIVE_TABLE(SDK_FALLBACK)
}
using namespace fallback;  // found by ::name only where no header declares it

constexpr Info kNatives[] = {QX3_NATIVE_TABLE(SDK_INFO){nullptr, 0, 0, -1}};

}  // namespace

// Called by every thunk with its name and a pointer to its first argument word.
extern "C" int32_t standin_native(const char* name, const uint32_t* words) {
    for (const Info& n : kNatives) {
        if (n.name == nullptr) break;
        const char* a = n.name;
        const char* b = name;
        while (*a && *a == *b) ++a, ++b;
        if (*a || *b) continue;
        standin_dll::trace(name, words, n.bytes / 4, n.strings);
        if (n.ca_word >= 0)
            standin_dll::fill_sqlca(reinterpret_cast<sqlca*>(static_cast<uintptr_t>(words[n.ca_word])), 0);
        return 0;
    }
    return -1;
}

// The thunks: export name, then `push &args; push &name; call standin_native; ret N`.
#define SDK_THUNK(name, bytes, module, family) \
    SDK_IF_OURS(module)(SDK_UNLESS_FRAME(family)( \
    asm(".section .rdata\n" \
        "Lname_" #name ": .asciz \"" #name "\"\n" \
        ".text\n" \
        ".globl _" #name "\n" \
        "_" #name ":\n" \
        "    leal 4(%esp), %eax\n" \
        "    pushl %eax\n" \
        "    pushl $Lname_" #name "\n" \
        "    call _standin_native\n" \
        "    addl $8, %esp\n" \
        "    ret $" #bytes "\n" \
        ".section .drectve\n" \
        ".ascii \" -export:" #name "\"\n" \
        ".text\n");))

QX3_NATIVE_TABLE(SDK_THUNK)
