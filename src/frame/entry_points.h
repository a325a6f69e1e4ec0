// The entry-point table as C++: one enumerator and one row per exported entry point, and the
// QX3_ENTRY macro through which every entry point is defined. The macro writes the ABI signature
// once and holds it against the table at compile time: the argument bytes must equal the row's @N,
// the row must be marked LIVE, and the upper-case name must be the row's.
#ifndef QX3_FRAME_ENTRY_POINTS_H
#define QX3_FRAME_ENTRY_POINTS_H

#include <stdint.h>

#include "entry_table.inc"
#include "qx3agapi.h"

namespace qx3 {

enum FrameKind : uint8_t { APPDATA, TERM, PLAIN };
enum RowState : uint8_t { TODO, LIVE };

struct EntryRow {
    const char* name;
    const char* upper;
    uint32_t bytes;
    const char* family;
    FrameKind frame;
    RowState state;
};

enum class Ep : uint32_t {
#define QX3_X(name, upper, bytes, family, frame, state) name,
    QX3_ENTRY_TABLE(QX3_X)
#undef QX3_X
};

inline constexpr EntryRow kEntryRows[] = {
#define QX3_X(name, upper, bytes, family, frame, state) {#name, #upper, bytes, #family, frame, state},
    QX3_ENTRY_TABLE(QX3_X)
#undef QX3_X
};

inline constexpr uint32_t kEntryCount = sizeof(kEntryRows) / sizeof(kEntryRows[0]);
static_assert(kEntryCount == 164, "the library exports 164 entry points");

constexpr const EntryRow& row(Ep e) { return kEntryRows[static_cast<uint32_t>(e)]; }

constexpr bool same_text(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

// Bytes a stdcall callee removes: four per argument word.
template <class R, class... A>
constexpr uint32_t arg_bytes_of(R(QX3_API*)(A...)) {
    return (0u + ... + ((static_cast<uint32_t>(sizeof(A)) + 3u) & ~3u));
}

}  // namespace qx3

// The shared library has no module-definition file: the upper-case name is a second symbol at the
// same address. The DLL gets all four of its names from the generated `exports` file instead.
#if defined(_WIN32)
#define QX3_VISIBLE
#define QX3_UPPER_ALIAS(name, upper)
#else
#define QX3_VISIBLE __attribute__((visibility("default")))
#define QX3_UPPER_ALIAS(name, upper) \
    asm(".globl " #upper "\n\t.type " #upper ", @function\n\t.set " #upper ", " #name);
#endif

// Defines an exported entry point: QX3_ENTRY(sqlgrdb, SQLGRDB, (qx3_u16w len, sqlca* ca, char* s)) { ... }
#define QX3_ENTRY(fn, up, params)                                                           \
    extern "C" QX3_VISIBLE int32_t QX3_API fn params;                                         \
    QX3_UPPER_ALIAS(fn, up)                                                                 \
    static_assert(::qx3::arg_bytes_of(&fn) == ::qx3::row(::qx3::Ep::fn).bytes,              \
                  #fn ": argument words differ from its entry-point row");                     \
    static_assert(::qx3::row(::qx3::Ep::fn).state == ::qx3::LIVE,                             \
                  #fn ": defined, but its entry-point row is not LIVE");                       \
    static_assert(::qx3::same_text(::qx3::row(::qx3::Ep::fn).upper, #up),                  \
                  #fn ": upper-case name differs from its entry-point row");                   \
    extern "C" int32_t QX3_API fn params

#endif
