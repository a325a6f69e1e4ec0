// The media lists of load, export and import: each is terminated in place by the media-list
// terminator (or, in the legacy export and import calls, by their own walk) and remembers what it
// needs to give its bytes back.
#ifndef QX3_MOVEMENT_MOVED_LIST_H
#define QX3_MOVEMENT_MOVED_LIST_H

#include "frame/frame.h"
#include "frame/lists.h"

namespace qx3::movement {

// One list of a data-movement call: where its pointer lives, the slot array the conversion took
// (null until one is had) and the flag it was converted with.
struct MovedList {
    sqluMediaList** field = nullptr;
    SlotRecord* slots = nullptr;
    uint32_t always = 0;
    uint32_t count = 0;  // slots taken: entries the conversion may have lent a NUL
    uint32_t type = 0;

    // The media-list terminator on *list_field with the expected type. 0, or the status that keeps
    // the caller from forwarding.
    int32_t terminate(sqluMediaList** list_field, sqlca** ca, uint32_t expected, uint32_t always_flag) {
        field = list_field;
        always = always_flag;
        const int32_t rc = media_list_terminate(list_field, &slots, ca, expected, always_flag);
        if (slots != nullptr) {
            const int32_t n = (*list_field)->iNumEntries;
            type = expected;
            count = n <= 0 ? 0 : (type == QX3_MEDIA_O ? 1 : static_cast<uint32_t>(n));
        }
        return rc;
    }

    // The media-list restore, for a list that was given a slot array.
    void restore(sqlca** ca) {
        if (slots == nullptr) return;
        media_list_restore(field, slots, ca, type, always);
        slots = nullptr;
    }

    // Releases the slot array without giving any byte back: the list failed its re-check, and its
    // entries are no longer the library's to write; the block still does not outlive the call.
    void release_only() {
        if (slots == nullptr) return;
        block_free(kMediaListTag, slots);
        slots = nullptr;
    }

    // Gives the lent bytes back without any check, by the entry stride of the list's type, and
    // releases the slot array under the caller's own tag and line.
    void give_back(const char* tag, uint32_t line) {
        if (slots == nullptr) return;
        sqluMediaList* list = *field;
        for (uint32_t i = 0; i < count; ++i) entry_restore(slots[i], media_text(list, type, i));
        block_free(tag, slots, line);
        slots = nullptr;
    }

    // The legacy export and import walk: a non-null list that passes its check, has the expected
    // type, a nonzero count and entries that pass theirs gets a slot array (tag and line of the
    // caller) and every entry the entry unit. 0 or the last entry's status; `no_memory` is set and
    // -83 returned when the slot array cannot be had.
    int32_t walk(sqluMediaList** list_field, uint32_t expected, const char* tag, uint32_t line, bool& no_memory) {
        field = list_field;
        no_memory = false;
        sqluMediaList* list = *list_field;
        if (list == nullptr || check_status(list, sizeof *list, kReadWrite) != 0) return 0;
        if (list->iMediaType != expected || list->iNumEntries == 0) return 0;
        const uint32_t size = media_entry_size(expected);
        const uint32_t n = static_cast<uint32_t>(list->iNumEntries);
        if (check_status(list->piEntries, n * size, kReadWrite) != 0) return 0;
        if (take_entry_slots(tag, n, &slots, line) != 0) {
            no_memory = true;
            return kNoMemory;
        }
        type = expected;
        count = list->iNumEntries < 0 ? 0 : n;
        int32_t status = 0;
        for (uint32_t i = 0; i < count; ++i)
            entry_unit(slots[i], media_text(list, type, i), media_length(list, type, i), status);
        return status;
    }
};

// A string whose check outcome becomes the call's status (the legacy export and import calls and
// the load queries): a non-null string sets the status to its check's outcome and is lent its NUL
// only when that is 0; a null string leaves the status as it was.
inline void place_status(Term& t, char* p, uint32_t n, int32_t& status) {
    t.p = p;
    t.slot = Slot{};
    if (p == nullptr) return;
    status = n == 0xFFFFFFFFu ? check_status(p, 0, kReadWrite) : check_status(p, n + 1, kReadWrite);
    // No byte lies behind a text of length 0xFFFFFFFF: it goes on as it stands.
    if (status != 0 || n == 0xFFFFFFFFu) return;
    t.slot.pos = static_cast<int32_t>(n);
    t.slot.saved = static_cast<uint8_t>(p[n]);
    p[n] = '\0';
}

}  // namespace qx3::movement

#endif
