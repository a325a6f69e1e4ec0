// Builders of the media and tablespace lists in caller memory: each text against its own guard page (so that the one byte a call may
// borrow behind a text is the last accessible one), each entry array likewise.
#ifndef QX3_TEST_SUPPORT_LISTS_H
#define QX3_TEST_SUPPORT_LISTS_H

#include <string.h>

#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "qx3agapi_lists.h"

namespace qx3test {

using Texts = std::vector<std::optional<std::string>>;  // nullopt: a null text pointer

// A list built in caller memory: its record, its entry array, and per entry the text pointer (null
// for nullopt) and the length the entry gives.
template <class List, class EntriesAt>
struct BuiltList {
    List* list = nullptr;
    EntriesAt entries = nullptr;
    std::vector<char*> texts;
    std::vector<uint32_t> lengths;
    // The address of each borrowed byte, for the first `first_n` entries whose text is not null.
    std::vector<const char*> borrowed(size_t first_n = SIZE_MAX) const {
        std::vector<const char*> out;
        for (size_t i = 0; i < texts.size() && i < first_n; ++i)
            if (texts[i] != nullptr) out.push_back(texts[i] + lengths[i]);
        return out;
    }
};
template <class List> using Generic = BuiltList<List, void*>;     // qx3gTablespaceList, qx3gMediaList
template <class List> using InPlace = BuiltList<List, Guarded*>;  // entries with inline texts (or 'Q' pointers)

namespace detail {
// Lays out one entry of `size` bytes per text: its length word at `len_at`, and at `text_at`
// either the text itself (`inline_text`, the rest of the field keeping the buffer's pattern) or
// a pointer to its own guarded copy. A null text's entry gives the length `null_len + i * null_step`.
template <class B>
Guarded& lay_out(B& b, CallerMemory& mem, const std::string& name, const Texts& texts, uint32_t size,
                 uint32_t len_at, uint32_t text_at, bool inline_text, uint32_t null_len, uint32_t null_step) {
    Guarded& entries = mem.add(name + " entries", texts.empty() ? 1 : texts.size() * size);
    for (size_t i = 0; i < texts.size(); ++i) {
        uint8_t* e = entries.data() + i * size;
        const auto& t = texts[i];
        const uint32_t len = t ? static_cast<uint32_t>(t->size()) : null_len + static_cast<uint32_t>(i) * null_step;
        char* p = reinterpret_cast<char*>(e + text_at);
        if (inline_text) {
            if (t) memcpy(p, t->data(), t->size());
        } else {
            p = t ? mem.text(name + " text " + std::to_string(i), *t) : nullptr;
            memcpy(e + text_at, &p, 4);
        }
        memcpy(e + len_at, &len, 4);
        b.texts.push_back(p);
        b.lengths.push_back(len);
    }
    return entries;
}
}  // namespace detail

template <class List, class Entry>
Generic<List> make_generic(CallerMemory& mem, const std::string& name, const Texts& texts) {
    Generic<List> g;
    g.entries = detail::lay_out(g, mem, name, texts, sizeof(Entry), 4, 0, false, 3, 1).data();
    g.list = mem.add(name, sizeof(List)).template as<List>();
    g.list->piEntries = static_cast<decltype(g.list->piEntries)>(g.entries);
    g.list->iNumEntries = static_cast<uint32_t>(texts.size());
    return g;
}

inline Generic<qx3gTablespaceList> generic_tablespaces(CallerMemory& mem, const std::string& name, const Texts& t) {
    return make_generic<qx3gTablespaceList, qx3gTablespaceEntry>(mem, name, t);
}
inline Generic<qx3gMediaList> generic_media(CallerMemory& mem, const std::string& name, uint8_t type, const Texts& t) {
    auto g = make_generic<qx3gMediaList, qx3gMediaEntry>(mem, name, t);
    g.list->iMediaType = type;
    return g;
}

inline uint32_t media_entry_bytes(uint8_t type) { return type == 'L' ? 220 : type == 'O' ? 520 : type == 'Q' ? 8 : 260; }

inline InPlace<sqluMediaList> inplace_media(CallerMemory& mem, const std::string& name, uint8_t type,
                                            const Texts& texts) {
    InPlace<sqluMediaList> l;
    l.entries = &detail::lay_out(l, mem, name, texts, media_entry_bytes(type), 0, 4, type != 'Q', 4, 0);
    l.list = mem.add(name, sizeof(sqluMediaList)).as<sqluMediaList>();
    l.list->iMediaType = type;
    l.list->iNumEntries = static_cast<int32_t>(texts.size());
    l.list->piEntries = l.entries->data();
    return l;
}

inline InPlace<sqluTablespaceList> inplace_tablespaces(CallerMemory& mem, const std::string& name,
                                                       const std::vector<std::string>& names) {
    InPlace<sqluTablespaceList> l;
    l.entries = &detail::lay_out(l, mem, name, Texts(names.begin(), names.end()), sizeof(sqluTablespaceEntry), 0, 4,
                                 true, 0, 0);
    l.list = mem.add(name, sizeof(sqluTablespaceList)).as<sqluTablespaceList>();
    l.list->iNumEntries = static_cast<int32_t>(names.size());
    l.list->piEntries = reinterpret_cast<sqluTablespaceEntry*>(l.entries->data());
    return l;
}

// The texts of a seen list, shown.
inline std::vector<std::string> shown(const standin::SeenList& l) {
    std::vector<std::string> out;
    for (const standin::Seen& s : l.entries) out.push_back(standin::show(s));
    return out;
}

}  // namespace qx3test

#endif
