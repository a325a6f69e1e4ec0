// How a native of the stand-in reads the media and tablespace lists it receives, for the record of
// its call: in-place lists entry by entry within each text field, copied lists through their
// pointers.
#ifndef QX3_STANDIN_NATIVES_SEEN_LISTS_H
#define QX3_STANDIN_NATIVES_SEEN_LISTS_H

#include <string.h>

#include "common.h"
#include "qx3agapi_lists.h"

namespace seen {

// An inline text of a fixed field, read no further than the field.
inline standin::Seen field(const char* text, size_t width) {
    standin::Seen s;
    s.null = false;
    const size_t n = strnlen(text, width);
    s.text.assign(text, n);
    s.terminated = n < width;
    return s;
}

inline bool readable(const void* p, uint64_t bytes) {
    return p != nullptr && bytes < (uint64_t{1} << 32) &&
           standin::memory_accessible(reinterpret_cast<uintptr_t>(p), static_cast<uint32_t>(bytes), 1);
}

inline standin::SeenList tablespaces(const sqluTablespaceList* list) {
    standin::SeenList out;
    if (list == nullptr || !readable(list, sizeof *list)) return out;
    out.null = false;
    out.count = static_cast<uint32_t>(list->iNumEntries);
    if (list->iNumEntries <= 0 || !readable(list->piEntries, uint64_t{out.count} * sizeof(sqluTablespaceEntry)))
        return out;
    for (uint32_t i = 0; i < out.count && i < standin::kSeenEntries; ++i)
        out.entries.push_back(field(list->piEntries[i].text, sizeof list->piEntries[i].text));
    return out;
}

inline standin::SeenList media(const sqluMediaList* list) {
    standin::SeenList out;
    if (list == nullptr || !readable(list, sizeof *list)) return out;
    out.null = false;
    out.count = static_cast<uint32_t>(list->iNumEntries);
    out.type = list->iMediaType;
    size_t size = 0;
    switch (out.type) {
        case QX3_MEDIA_C:
        case QX3_MEDIA_S: size = sizeof(sqluMediaEntry); break;
        case QX3_MEDIA_L: size = sizeof(sqluMediaEntry220); break;
        case QX3_MEDIA_O: size = sizeof(sqluMediaEntry520); break;
        case QX3_MEDIA_Q: size = sizeof(sqluMediaPtrEntry); break;
        default: return out;
    }
    if (list->iNumEntries <= 0 || !readable(list->piEntries, uint64_t{out.count} * size)) return out;
    const char* entries = static_cast<const char*>(list->piEntries);
    for (uint32_t i = 0; i < out.count && i < standin::kSeenEntries; ++i) {
        const char* e = entries + i * size;
        if (out.type == QX3_MEDIA_Q) {
            out.entries.push_back(standin::read_seen(reinterpret_cast<const sqluMediaPtrEntry*>(e)->piText));
        } else {
            out.entries.push_back(field(e + 4, size - 4));
        }
    }
    return out;
}

// A native list built by the library: pointers to NUL-terminated copies.
inline standin::SeenList copies(char* const* entries, uint32_t count, uint32_t type) {
    standin::SeenList out;
    out.null = false;
    out.count = count;
    out.type = type;
    if (count == 0 || !readable(entries, uint64_t{count} * sizeof(char*))) return out;
    for (uint32_t i = 0; i < count && i < standin::kSeenEntries; ++i) out.entries.push_back(standin::read_seen(entries[i]));
    return out;
}
inline standin::SeenList copied(const qx3TablespaceList* list) {
    if (list == nullptr) return {};
    return copies(list->piEntries, list->iNumEntries, 0);
}
inline standin::SeenList copied(const qx3MediaList* list) {
    if (list == nullptr) return {};
    return copies(list->piEntries, list->iNumEntries, list->iMediaType);
}

// Writes a NUL-terminated text into an output field when the field may be written.
inline void put_text(char* to, size_t width, const char* text) {
    if (to == nullptr || !standin::memory_accessible(reinterpret_cast<uintptr_t>(to), width, 2)) return;
    const size_t n = strnlen(text, width - 1);
    memcpy(to, text, n);
    to[n] = '\0';
}

// The bytes of a native record as the native received it.
inline std::vector<uint8_t> bytes(const void* p, size_t n) {
    if (!readable(p, n)) return {};
    const uint8_t* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

// The tail of a native call, once it has recorded what it saw and written its outputs: the test's
// hook, the result the test set, the status record.
inline int32_t finish(const char* name, void* ca) {
    standin::notify_during_call();
    const int32_t rc = standin::result_of(name);
    standin::fill_sqlca(ca, name, rc);
    return rc;
}

// The head of a versioned native call: the call recorded with its three words, and the native
// record's bytes as the native received them. The native adds what it saw of its lists.
template <class Rec>
inline standin::Call& versioned(const char* name, uint32_t version, const Rec* rec, void* ca) {
    standin::record(name, {version, word(rec), word(ca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = bytes(rec, sizeof *rec);
    return c;
}

// The head of a legacy native call with in-place lists: the call recorded with its words and the
// texts at the words of `strings`, and what it saw of both lists.
inline standin::Call& with_lists(const char* name, std::vector<uint32_t> words, uint64_t strings,
                                 const sqluTablespaceList* ts, const sqluMediaList* media) {
    standin::record(name, std::move(words), strings);
    standin::Call& c = standin::last_call();
    c.lists.push_back(tablespaces(ts));
    c.lists.push_back(seen::media(media));
    return c;
}

}  // namespace seen

#endif
