// Media lists and tablespace lists: the conversions that backup, restore, rollforward, load,
// import and export apply to their lists before the native call, and undo after it.
//
//   entry unit             one entry's temporary terminator, and the status rule
//   InPlaceTablespaceList  an sqluTablespaceList terminated in place
//   InPlaceMediaList       an sqluMediaList of type 'L' or 'O' terminated in place (backup and
//                          restore)
//   media_list_terminate / media_list_restore
//                          an sqluMediaList of an expected type terminated in place, its slot
//                          array kept in a variable of the caller's (data movement)
//   CopiedList             a generic list copied into a native list of NUL-terminated copies
//
// Every block carries the source tag of the entry point that converts, and a block that cannot be
// had takes the memory failure exit with that entry point's diagnostic name; the media-list
// terminator alone has a tag and a name of its own.
#ifndef QX3_FRAME_LISTS_H
#define QX3_FRAME_LISTS_H

#include <string.h>

#include "frame.h"
#include "qx3agapi_lists.h"

namespace qx3 {

// ---- Checks as status words --------------------------------------------------------------------

// A pointer check whose outcome is kept rather than judged: 0 when checks are inactive or the check
// passed, else the nonzero word the check returned. A list conversion's status is such a word.
inline int32_t check_status(const void* p, uint32_t length, Access mode) {
    if (sqlo_ptr_check_active() == 0) return 0;
    return sqlagcptr_real(p, length, mode);
}

// Who converts: the source tag of its blocks, and where a block that cannot be had is reported.
struct ListOwner {
    const char* tag;
    sqlca* ca;
    DiagName name;
    int32_t no_memory() const { return memory_failed(ca, name); }
};

// ---- The entry unit ----------------------------------------------------------------------------

constexpr SlotRecord kNoSlot{-1, 0};

// One entry of any list: the text at T with length L is lent a NUL at T[L] when it passes its
// check over L + 1 bytes. The check's outcome becomes the conversion's status, so after a list the
// status is the outcome of the last check made; a null text makes no check and leaves the status
// as it was.
inline void entry_unit(SlotRecord& slot, char* text, uint32_t length, int32_t& status) {
    slot = kNoSlot;
    // No byte lies behind a text of length 0xFFFFFFFF (T[L] would be T[-1]): it goes on as it stands.
    if (text == nullptr || length == 0xFFFFFFFFu) return;
    status = check_status(text, length + 1, kReadWrite);
    if (status != 0) return;
    slot = SlotRecord{static_cast<int32_t>(length), static_cast<uint8_t>(text[length])};
    text[length] = '\0';
}

// Written back without a new check.
inline void entry_restore(const SlotRecord& slot, char* text) {
    if (slot.pos != -1) text[static_cast<uint32_t>(slot.pos)] = static_cast<char>(slot.saved);
}

// An entry slot array of `count` slots, each starting as none, so that a slot the conversion never
// reaches is skipped by the restore. 0, or the memory service's code.
inline int32_t take_entry_slots(const char* tag, uint32_t count, SlotRecord** out, uint32_t line = __builtin_LINE()) {
    const uint32_t bytes = count * static_cast<uint32_t>(sizeof(SlotRecord));
    void* block = nullptr;
    const int32_t rc = block_get(tag, bytes, &block, line);
    if (rc != 0) return rc;
    SlotRecord* slots = static_cast<SlotRecord*>(block);
    for (uint32_t i = 0; i < bytes / sizeof(SlotRecord); ++i) slots[i] = kNoSlot;
    *out = slots;
    return 0;
}

// Entry sizes of an sqluMediaList by its type code; 0 for a code no conversion knows.
constexpr uint32_t media_entry_size(uint32_t type) {
    switch (type) {
        case QX3_MEDIA_C:
        case QX3_MEDIA_S: return sizeof(sqluMediaEntry);
        case QX3_MEDIA_L: return sizeof(sqluMediaEntry220);
        case QX3_MEDIA_O: return sizeof(sqluMediaEntry520);
        case QX3_MEDIA_Q: return sizeof(sqluMediaPtrEntry);
        default: return 0;
    }
}

// Entry i's text, as the caller's list holds it now. Inline texts sit 4 bytes into their entry.
inline char* media_text(const sqluMediaList* list, uint32_t type, uint32_t i) {
    char* entry = static_cast<char*>(list->piEntries) + i * media_entry_size(type);
    if (type == QX3_MEDIA_Q) return reinterpret_cast<sqluMediaPtrEntry*>(entry)->piText;
    return entry + 4;
}
inline uint32_t media_length(const sqluMediaList* list, uint32_t type, uint32_t i) {
    const char* entry = static_cast<const char*>(list->piEntries) + i * media_entry_size(type);
    return *reinterpret_cast<const uint32_t*>(entry);
}

// ---- In-place tablespace list ------------------------------------------------------------------

// An sqluTablespaceList whose names are lent terminators in the caller's own entries. A list that
// is null or fails its checks is passed on as the caller gave it.
class InPlaceTablespaceList {
public:
    // 0 or the status of the last name's check; -83 after the memory failure exit.
    int32_t convert(sqluTablespaceList* list, const ListOwner& owner) {
        tag_ = owner.tag;
        list_ = list;
        if (list == nullptr || check_status(list, sizeof *list, kReadWrite) != 0) return 0;
        const int32_t count = list->iNumEntries;
        const uint32_t n = static_cast<uint32_t>(count);
        if (check_status(list->piEntries, n * sizeof(sqluTablespaceEntry), kReadWrite) != 0) return 0;
        if (take_entry_slots(tag_, n, &slots_) != 0) return owner.no_memory();
        count_ = count > 0 ? n : 0;
        int32_t status = 0;
        for (uint32_t i = 0; i < count_; ++i)
            entry_unit(slots_[i], list->piEntries[i].text, list->piEntries[i].iLength, status);
        return status;
    }

    // Gives every lent byte back and releases the slot array, if there is one.
    void restore(uint32_t line = __builtin_LINE()) {
        if (slots_ == nullptr) return;
        for (uint32_t i = count_; i-- > 0;) entry_restore(slots_[i], list_->piEntries[i].text);
        block_free(tag_, slots_, line);
        slots_ = nullptr;
    }

private:
    const char* tag_ = nullptr;
    sqluTablespaceList* list_ = nullptr;
    SlotRecord* slots_ = nullptr;
    uint32_t count_ = 0;
};

// ---- In-place media list of backup and restore ------------------------------------------------

// An sqluMediaList whose texts are lent terminators in the caller's own entries, for the legacy
// backup and restore calls: types 'L' (every entry) and 'O' (exactly one entry) only. Any other
// type, a null list, or one that fails its checks is passed on as the caller gave it.
class InPlaceMediaList {
public:
    int32_t convert(sqluMediaList* list, const ListOwner& owner) {
        tag_ = owner.tag;
        list_ = list;
        if (list == nullptr || check_status(list, sizeof *list, kReadWrite) != 0) return 0;
        type_ = list->iMediaType;
        const int32_t count = list->iNumEntries;
        uint32_t slots;
        if (type_ == QX3_MEDIA_L) {
            slots = static_cast<uint32_t>(count);
            if (check_status(list->piEntries, slots * sizeof(sqluMediaEntry220), kReadWrite) != 0) return 0;
            count_ = count > 0 ? slots : 0;
        } else if (type_ == QX3_MEDIA_O) {
            slots = 1;
            if (check_status(list->piEntries, sizeof(sqluMediaEntry520), kReadWrite) != 0) return 0;
            count_ = 1;
        } else {
            return 0;
        }
        if (take_entry_slots(tag_, slots, &slots_) != 0) return owner.no_memory();
        int32_t status = 0;
        for (uint32_t i = 0; i < count_; ++i)
            entry_unit(slots_[i], media_text(list, type_, i), media_length(list, type_, i), status);
        return status;
    }

    void restore(uint32_t line = __builtin_LINE()) {
        if (slots_ == nullptr) return;
        for (uint32_t i = count_; i-- > 0;) entry_restore(slots_[i], media_text(list_, type_, i));
        block_free(tag_, slots_, line);
        slots_ = nullptr;
    }

private:
    const char* tag_ = nullptr;
    sqluMediaList* list_ = nullptr;
    uint32_t type_ = 0;
    SlotRecord* slots_ = nullptr;
    uint32_t count_ = 0;
};

// ---- Media-list terminator of data movement ----------------------------------------------------

inline constexpr char kMediaListTag[] = "sqlgload";
inline constexpr DiagName kMediaListName = diag("sqluMake");

// Lends terminators to the texts of the sqluMediaList that *list_field points at, when the list
// has the expected type; the entry slot array is stored at *slots_out as soon as it is had (and
// only then: the caller starts that variable as null and calls media_list_restore only when it is
// no longer null). `always` (its low 8 bits) asks for a slot array even for a list of no entries.
//
// 0 when the list was converted or left alone; -83 when the slot array cannot be had; otherwise
// the nonzero outcome of a check, which keeps the caller from forwarding its call.
inline int32_t media_list_terminate(sqluMediaList** list_field, SlotRecord** slots_out, sqlca** ca_field,
                                    uint32_t expected_type, uint32_t always) {
    sqluMediaList* list = *list_field;
    if (list == nullptr) return 0;
    sqlca* ca = *ca_field;
    if (check_status(list, sizeof *list, kReadWrite) != 0 || check_status(ca, sizeof *ca, kReadWrite) != 0) return 0;
    const uint32_t type = list->iMediaType;
    if (type != expected_type) return 0;
    const int32_t count = list->iNumEntries;
    if ((always & 0xFF) == 0 && count == 0) return 0;
    const uint32_t size = media_entry_size(type);
    if (size == 0) return 0;
    const uint32_t n = static_cast<uint32_t>(count);
    const int32_t entries = check_status(list->piEntries, n * size, kReadWrite);
    if (entries != 0) return entries;
    SlotRecord* slots = nullptr;
    if (take_entry_slots(kMediaListTag, n, &slots) != 0) return memory_failed(ca, kMediaListName);
    *slots_out = slots;
    // Type 'O' converts its first entry alone; a list of no entries has no slot for it.
    const uint32_t converted = count <= 0 ? 0 : (type == QX3_MEDIA_O ? 1 : n);
    int32_t status = 0;
    for (uint32_t i = 0; i < converted; ++i) entry_unit(slots[i], media_text(list, type, i), media_length(list, type, i), status);
    return status;
}

// The undo of media_list_terminate, with the same list, status variable and flag, and the slot array
// it stored. The list is read afresh. When a re-check fails nothing is given back, but the slot array
// is released all the same: no block outlives the call that took it. Always 0.
inline int32_t media_list_restore(sqluMediaList** list_field, SlotRecord* slots, sqlca** ca_field,
                                  uint32_t /*expected_type: not read*/, uint32_t always) {
    sqluMediaList* list = *list_field;
    const bool readable = list != nullptr && check_status(list, sizeof *list, kReadWrite) == 0 &&
                          check_status(slots, sizeof *slots, kReadWrite) == 0 &&
                          check_status(*ca_field, sizeof(sqlca), kReadWrite) == 0;
    if (readable && !((always & 0xFF) == 0 && list->iNumEntries == 0)) {
        const uint32_t type = list->iMediaType;
        const int32_t count = list->iNumEntries;
        uint32_t restored = 0;
        if (media_entry_size(type) != 0 && count > 0) restored = type == QX3_MEDIA_O ? 1 : static_cast<uint32_t>(count);
        for (uint32_t i = restored; i-- > 0;) entry_restore(slots[i], media_text(list, type, i));
    }
    block_free(kMediaListTag, slots);
    return 0;
}

// ---- Copied lists ------------------------------------------------------------------------------

// How a copied list treats an entry whose text fails the check over its length.
enum class BadEntry : uint8_t {
    Skip,  // the native list holds null for it and the call goes on
    Ends,  // the conversion ends at once with the check's outcome as its status
};

// When a copied list is converted at all.
enum class Empty : uint8_t {
    Converted,  // a list of no entries still takes its (empty) blocks
    Left,       // a list of no entries is left empty, with no block taken
};

template <class Generic>
struct EntryOf;
template <>
struct EntryOf<qx3gTablespaceList> {
    using type = qx3gTablespaceEntry;
};
template <>
struct EntryOf<qx3gMediaList> {
    using type = qx3gMediaEntry;
};

inline char* entry_text(const qx3gTablespaceEntry& e) { return e.piName; }
inline uint32_t entry_length(const qx3gTablespaceEntry& e) { return e.iNameLen; }
inline char* entry_text(const qx3gMediaEntry& e) { return e.piEntry; }
inline uint32_t entry_length(const qx3gMediaEntry& e) { return e.iEntryLen; }
inline void copy_media_type(qx3TablespaceList&, const qx3gTablespaceList&) {}
inline void copy_media_type(qx3MediaList& native, const qx3gMediaList& generic) { native.iMediaType = generic.iMediaType; }

// A generic list (qx3gTablespaceList or qx3gMediaList) copied into a native list owned by the call.
// Each text is also lent a terminator in the caller's own entry for the duration of the call. The
// native list starts empty and stays so when the generic list is null or fails its checks; the
// native record's field is null only for a null generic list.
template <class Generic, class Native>
class CopiedList {
public:
    using Entry = typename EntryOf<Generic>::type;

    CopiedList() { memset(&native_, 0, sizeof native_); }

    // 0 or the conversion's status; -83 after the memory failure exit.
    int32_t convert(Generic* generic, const ListOwner& owner, BadEntry bad = BadEntry::Skip,
                    Empty empty = Empty::Converted) {
        tag_ = owner.tag;
        generic_ = generic;
        if (generic == nullptr || check_status(generic, sizeof *generic, kReadWrite) != 0) return 0;
        const uint32_t n = generic->iNumEntries;
        if (n == 0 && empty == Empty::Left) return 0;
        Entry* entries = generic->piEntries;
        if (check_status(entries, n * sizeof(Entry), kReadWrite) != 0) return 0;
        native_.iNumEntries = n;
        copy_media_type(native_, *generic);
        count_ = n;  // kept apart: the native side owns native_ during the call

        // Both blocks are asked for before either is looked at.
        void* copies = nullptr;
        const int32_t slots_rc = take_entry_slots(tag_, n, &slots_);
        const int32_t copies_rc = block_get(tag_, n * 3 * sizeof(char*), &copies);
        if (copies_rc == 0) {
            copies_ = static_cast<char**>(copies);
            for (uint32_t i = 0; i < n; ++i) copies_[i] = nullptr;
            native_.piEntries = copies_;
        }
        if (slots_rc != 0 || copies_rc != 0) return owner.no_memory();

        int32_t status = 0;
        for (uint32_t i = 0; i < n; ++i) {
            char* text = entry_text(entries[i]);
            const uint32_t length = entry_length(entries[i]);
            const int32_t readable = check_status(text, length, kReadWrite);
            if (readable != 0) {
                if (bad == BadEntry::Ends) return readable;
                continue;
            }
            entry_unit(slots_[i], text, length, status);
            // A copy of 0xFFFFFFFF bytes and its NUL is a block no memory service can give.
            void* copy = nullptr;
            if (length == 0xFFFFFFFFu || block_get(tag_, length + 1, &copy) != 0) return owner.no_memory();
            copies_[i] = static_cast<char*>(copy);
            if (text != nullptr) memcpy(copy, text, length);
            copies_[i][text != nullptr ? length : 0] = '\0';
        }
        return status;
    }

    // What the native record's field holds: the native list, or null for a null generic list.
    Native* field() { return generic_ == nullptr ? nullptr : &native_; }

    // Gives the caller's lent bytes back, newest first, once: a call that releases its slot arrays
    // in an order of its own gives every list's bytes back first, the newest list first.
    void give_back() {
        if (slots_ == nullptr || given_back_) return;
        for (uint32_t i = count_; i-- > 0;) entry_restore(slots_[i], entry_text(generic_->piEntries[i]));
        given_back_ = true;
    }

    // Gives the caller's lent bytes back, if not yet given, and releases the slot array.
    void restore(uint32_t line = __builtin_LINE()) {
        if (slots_ == nullptr) return;
        give_back();
        block_free(tag_, slots_, line);
        slots_ = nullptr;
    }

    // Releases the copies and the pointer array: the last step of the call.
    void release(uint32_t line = __builtin_LINE()) {
        if (copies_ == nullptr) return;
        for (uint32_t i = 0; i < count_; ++i)
            if (copies_[i] != nullptr) block_free(tag_, copies_[i], line);
        block_free(tag_, copies_, line);
        copies_ = nullptr;
    }

private:
    const char* tag_ = nullptr;
    Generic* generic_ = nullptr;
    Native native_;
    SlotRecord* slots_ = nullptr;
    char** copies_ = nullptr;
    uint32_t count_ = 0;  // entries of the generic list when it was converted
    bool given_back_ = false;
};

using CopiedTablespaceList = CopiedList<qx3gTablespaceList, qx3TablespaceList>;
using CopiedMediaList = CopiedList<qx3gMediaList, qx3MediaList>;

// The two lists that every backup and restore call converts before anything else: the tablespace
// list, then the media list, under one owner. The media list is given back first.
template <class Tablespaces, class Media>
struct BackupLists {
    Tablespaces tablespaces;
    Media media;

    template <class T, class M>
    int32_t convert(T* generic_tablespaces, M* generic_media, const ListOwner& owner) {
        int32_t rc = tablespaces.convert(generic_tablespaces, owner);
        if (rc == 0) rc = media.convert(generic_media, owner);
        return rc;
    }
    void restore() {
        media.restore();
        tablespaces.restore();
    }
};

}  // namespace qx3

#endif
