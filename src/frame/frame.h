// The call frame shared by every entry point: 16-bit words, pointer checks, temporary terminators
// (fixed slots, slot arrays, restore lists), memory blocks with source tags, the library's own
// error exits and diagnostic names, and the padding rule for returned texts.
//
// Freestanding: no exceptions, no runtime, no allocation but the platform memory service.
#ifndef QX3_FRAME_FRAME_H
#define QX3_FRAME_FRAME_H

#include <stddef.h>
#include <stdint.h>

#include "entry_points.h"
#include "platform.h"

namespace qx3 {

// ---- Argument words --------------------------------------------------------------------------

// Low 16 bits of a word, widened with zeros / with the sign.
constexpr uint32_t zx(uint32_t w) { return w & 0xFFFFu; }
constexpr int32_t sx(uint32_t w) { return static_cast<int16_t>(static_cast<uint16_t>(w & 0xFFFFu)); }

// ---- Pointer checks ----------------------------------------------------------------------------

enum Access : uint8_t { kRead = 1, kWrite = 2, kReadWrite = 3 };

// Whether a caller's version number reaches a field of a versioned record: from `from` on, and,
// where a field also came to an earlier line of versions, inside that window [first, last].
// Version numbers compare unsigned.
constexpr bool reaches(uint32_t version, uint32_t from) { return version >= from; }
constexpr bool reaches(uint32_t version, uint32_t from, uint32_t first, uint32_t last) {
    return version >= from || (version >= first && version <= last);
}

// The switch is asked afresh every time: a caller may turn checks on or off between two checks.
inline bool accessible(const void* p, uint32_t length, Access mode) {
    if (sqlo_ptr_check_active() == 0) return true;
    return sqlagcptr_real(p, length, mode) == 0;
}

// ---- Temporary terminators ---------------------------------------------------------------------

// One temporary terminator: where the NUL went (-1: none) and the byte it displaced.
//
// The constructors are user-written on purpose: with member initializers alone, the compiler
// copies an array of slots from an image it keeps in writable data, and the library keeps nothing
// there but its marker.
struct Slot {
    int32_t pos;
    uint32_t saved;
    Slot() : pos(-1), saved(0) {}

    // The placing rule: a null string or one that fails its check over n + 1 bytes gets no
    // terminator and goes to the native call as it stands.
    void place(char* p, uint32_t n) {
        pos = -1;
        saved = 0;
        // A length of 0xFFFFFFFF has no byte behind it inside the address space: n + 1 wraps to 0
        // and p[n] is p[-1]. Such a string is passed on as it stands, like one that fails its check.
        if (p == nullptr || n == 0xFFFFFFFFu || !accessible(p, n + 1, kReadWrite)) return;
        saved = static_cast<uint8_t>(p[n]);
        p[n] = '\0';
        pos = static_cast<int32_t>(n);
    }
    // Written back without a new check.
    void restore(char* p) const {
        if (pos != -1) p[static_cast<uint32_t>(pos)] = static_cast<char>(saved);
    }
};

// The blank-trim rule, for fixed-width, blank-padded text fields with one spare byte behind each:
// the field is lent a NUL just after its last non-blank character (in the spare byte when it has
// no trailing blank; at offset 0 when it is all blank). A field that fails its write check over
// width + 1 bytes is left as it stands.
inline Slot place_trimmed(char* field, uint32_t width) {
    Slot s;
    if (field == nullptr || !accessible(field, width + 1, kWrite)) return s;
    uint32_t n = width;
    while (n > 0 && field[n - 1] == ' ') --n;
    s.saved = static_cast<uint8_t>(field[n]);
    s.pos = static_cast<int32_t>(n);
    field[n] = '\0';
    return s;
}

// A blank-padded field lent its terminator by the blank-trim rule, remembering where it stands.
struct Trimmed {
    char* field = nullptr;
    Slot slot;
    void place(char* f, uint32_t width) {
        field = f;
        slot = place_trimmed(f, width);
    }
    void restore() const { slot.restore(field); }
};

// A fixed slot that remembers its string, for strings that come in argument words (nothing in
// caller memory can move them between placing and restoring).
struct Term {
    char* p;
    Slot slot;
    Term() : p(nullptr) {}
    void place(char* s, uint32_t n) {
        p = s;
        slot.place(s, n);
    }
    void restore() const { slot.restore(p); }
};

// ---- Memory blocks -----------------------------------------------------------------------------

// Every block carries a source tag: the name of the source file that asks for it and a line.
// Returns the memory service's code: 0 and *out set, or nonzero and *out untouched (the pointer
// the service hands back on failure means nothing).
inline int32_t block_get(const char* tag, uint32_t size, void** out, uint32_t line = __builtin_LINE()) {
    int32_t rc = 0;
    void* p = sqloGetMemoryBlockExtended(0, size, 0, &rc, 0, tag, line);
    if (rc == 0) *out = p;
    return rc;
}

inline void block_free(const char* tag, void* block, uint32_t line = __builtin_LINE()) {
    sqlofmblkEx(tag, line, block);
}

// ---- Slot arrays -------------------------------------------------------------------------------

// One slot per element of a caller's list, in a block of its own.
//
// OFFSET SIZE DESCRIPTION (per element)
//      0    4 position of the NUL, -1 for none
//      4    4 displaced byte, zero-extended
struct SlotRecord {
    int32_t pos;
    uint32_t saved;
};
static_assert(sizeof(SlotRecord) == 8 && offsetof(SlotRecord, saved) == 4, "slot array element");

class SlotArray {
public:
    explicit SlotArray(const char* tag) : tag_(tag) {}

    // Takes the block and marks every slot as holding no terminator. 0, or the service's code.
    int32_t take(uint32_t count, uint32_t line = __builtin_LINE()) {
        void* block = nullptr;
        // A count whose slots do not fit in 32 bits asks for the largest block, which the memory
        // service refuses with a code of its own, rather than for a wrapped, too small one.
        const uint32_t bytes = count > 0xFFFFFFFFu / sizeof(SlotRecord) ? 0xFFFFFFFFu
                                                                          : count * static_cast<uint32_t>(sizeof(SlotRecord));
        int32_t rc = block_get(tag_, bytes, &block, line);
        if (rc != 0) return rc;
        slots_ = static_cast<SlotRecord*>(block);
        count_ = count;
        for (uint32_t i = 0; i < count; ++i) slots_[i] = SlotRecord{-1, 0};
        return 0;
    }
    bool taken() const { return slots_ != nullptr; }
    uint32_t count() const { return count_; }

    void place(uint32_t i, char* p, uint32_t n) {
        Slot s;
        s.place(p, n);
        slots_[i] = SlotRecord{s.pos, s.saved};
    }
    // Element i is a fixed-width, blank-padded field: the blank-trim rule.
    void place_trimmed(uint32_t i, char* field, uint32_t width) {
        const Slot s = qx3::place_trimmed(field, width);
        slots_[i] = SlotRecord{s.pos, s.saved};
    }

    // Restores newest first, then gives the block back. string_of(i) yields element i's string
    // as the caller's list holds it now.
    template <class StringOf>
    void restore_and_release(StringOf&& string_of, uint32_t line = __builtin_LINE()) {
        if (slots_ == nullptr) return;
        for (uint32_t i = count_; i-- > 0;) {
            if (slots_[i].pos != -1)
                string_of(i)[static_cast<uint32_t>(slots_[i].pos)] = static_cast<char>(slots_[i].saved);
        }
        block_free(tag_, slots_, line);
        slots_ = nullptr;
        count_ = 0;
    }

private:
    const char* tag_;
    SlotRecord* slots_ = nullptr;
    uint32_t count_ = 0;
};

// ---- Restore lists -----------------------------------------------------------------------------

// One terminated element of a caller's array, each in a block of its own.
//
// OFFSET SIZE DESCRIPTION
//      0    4 index of the terminated element
//      4    2 displaced byte, zero-extended
//      6    2 (padding)
//      8    4 next: the entry terminated before this one, or null
struct RestoreEntry {
    uint32_t index;
    uint16_t saved;
    RestoreEntry* next;
};
static_assert(sizeof(RestoreEntry) == 12, "restore entry");
static_assert(offsetof(RestoreEntry, saved) == 4 && offsetof(RestoreEntry, next) == 8, "restore entry");

class RestoreList {
public:
    explicit RestoreList(const char* tag) : tag_(tag) {}

    // Takes an entry block for element `index` and pushes it at the front. The caller writes the
    // NUL only once this succeeded. 0, or the memory service's code.
    int32_t push(uint32_t index, uint8_t saved, uint32_t line = __builtin_LINE()) {
        void* block = nullptr;
        int32_t rc = block_get(tag_, sizeof(RestoreEntry), &block, line);
        if (rc != 0) return rc;
        RestoreEntry* e = static_cast<RestoreEntry*>(block);
        e->index = index;
        e->saved = saved;
        e->next = head_;
        head_ = e;
        return 0;
    }

    // Walks from the most recently terminated element back to the first; put_back(index, byte)
    // writes each byte home, and each entry is released before the walk moves on.
    template <class PutBack>
    void unwind(PutBack&& put_back, uint32_t line = __builtin_LINE()) {
        while (head_ != nullptr) {
            RestoreEntry* e = head_;
            head_ = e->next;
            put_back(e->index, static_cast<uint8_t>(e->saved));
            block_free(tag_, e, line);
        }
    }

private:
    const char* tag_;
    RestoreEntry* head_ = nullptr;
};

// ---- Status and the library's own exits --------------------------------------------------------

// The 8 characters an entry point writes into sqlerrp; a 7-letter name brings its NUL along.
struct DiagName {
    char c[8];
};
template <size_t N>
consteval DiagName diag(const char (&s)[N]) {
    static_assert(N == 8 || N == 9, "a diagnostic name is 7 letters and a NUL, or 8 letters");
    DiagName d{};
    for (size_t i = 0; i < 8; ++i) d.c[i] = s[i];
    return d;
}

inline void set_status(sqlca* ca, int32_t code, const DiagName& name) {
    ca->sqlcode = code;
    for (size_t i = 0; i < 8; ++i) ca->sqlerrp[i] = name.c[i];
}

constexpr uint32_t kAppDataRequest = 0x8E8215;
constexpr int32_t kNoAppData = QX3_RC_NO_APP_DATA;
constexpr int32_t kNoMemory = QX3_RC_NO_MEMORY;

// The application-data step that opens every framed call.
inline bool app_data_ready() { return sqlo_create_init_app_data(kAppDataRequest) == 0; }

// The rule on application-data failure: -1022 into sqlcode, result 0. Legacy callers owe a
// writable record; it is not tested first.
inline int32_t app_data_failed(sqlca* ca) {
    ca->sqlcode = kNoAppData;
    return 0;
}

// The exits of the directory scans and the alternate-server update: code and diagnostic name into
// the record, sqlofica told, and the code is the result as well.
inline int32_t status_exit(sqlca* ca, int32_t code, const DiagName& name) {
    set_status(ca, code, name);
    sqlofica(ca);
    return code;
}
inline int32_t app_data_failed_named(sqlca* ca, const DiagName& name) { return status_exit(ca, kNoAppData, name); }

// The memory failure exit: the record is written only when the platform says it may be; the
// result is the code either way.
inline int32_t memory_failed(sqlca* ca, const DiagName& name, int32_t code = kNoMemory) {
    if (sqloincaChkptr(ca) == 0) set_status(ca, code, name);
    return code;
}

// ---- Returned texts ----------------------------------------------------------------------------

// The padding rule: a NUL-terminated text returned into a field of n bytes becomes a blank-padded
// field from its first NUL to the end. A field without a NUL, a null field, or one that fails its
// write check is left as it is.
inline void pad_field(char* p, uint32_t n) {
    if (p == nullptr || !accessible(p, n, kWrite)) return;
    uint32_t i = 0;
    while (i < n && p[i] != '\0') ++i;
    for (; i < n; ++i) p[i] = ' ';
}

}  // namespace qx3

#endif
