// Builders of the media and tablespace lists in caller memory: each text against its own guard page (so that the one byte a call may
// borrow behind a text is the last accessible one), each entry array likewise.
#ifndef QX3_TEST_SUPPORT_LISTS_H
#define QX3_TEST_SUPPORT_LISTS_H

#include <string.h>

#include <optional>
#include <string>
#include <type_traits>
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
    // The address of each borrowed byte: behind each text that is not null.
    std::vector<const char*> borrowed() const {
        std::vector<const char*> out;
        for (size_t i = 0; i < texts.size(); ++i)
            if (texts[i] != nullptr) out.push_back(texts[i] + lengths[i]);
        return out;
    }
};
template <class List> using Generic = BuiltList<List, void*>;     // qx3gTablespaceList, qx3gMediaList
template <class List> using InPlace = BuiltList<List, Guarded*>;  // entries with inline texts (or 'Q' pointers)

// Lays out a list of `texts`, one entry of `size` bytes each: its length word at `len_at`, and at
// `text_at` either the text itself (`inline_text`, the rest of the field keeping the buffer's
// pattern) or a pointer to its own guarded copy. A null text's entry gives the length `null_len + i *
// null_step`. The list record names the entries, their count and (a media list) `type`.
template <class List, class B>
B build_list(CallerMemory& mem, const std::string& name, const Texts& texts, uint8_t type, uint32_t size,
             uint32_t len_at, uint32_t text_at, bool inline_text, uint32_t null_len, uint32_t null_step) {
    B b;
    Guarded& entries = mem.add(name + " entries", texts.empty() ? 1 : texts.size() * size);
    for (size_t i = 0; i < texts.size(); ++i) {
        uint8_t* e = entries.data() + i * size;
        const auto& t = texts[i];
        const uint32_t len = t ? static_cast<uint32_t>(t->size()) : null_len + static_cast<uint32_t>(i) * null_step;
        char* p = reinterpret_cast<char*>(e + text_at);
        if (inline_text && t) memcpy(p, t->data(), t->size());
        if (!inline_text) p = t ? mem.text(name + " text " + std::to_string(i), *t) : nullptr;
        if (!inline_text) memcpy(e + text_at, &p, 4);
        memcpy(e + len_at, &len, 4);
        b.texts.push_back(p);
        b.lengths.push_back(len);
    }
    if constexpr (std::is_same_v<decltype(b.entries), void*>) b.entries = entries.data();
    else b.entries = &entries;
    b.list = mem.add(name, sizeof(List)).template as<List>();
    b.list->piEntries = reinterpret_cast<decltype(b.list->piEntries)>(entries.data());
    b.list->iNumEntries = static_cast<decltype(b.list->iNumEntries)>(texts.size());
    if constexpr (requires { b.list->iMediaType; }) b.list->iMediaType = type;
    return b;
}

inline Generic<qx3gTablespaceList> generic_tablespaces(CallerMemory& mem, const std::string& name, const Texts& t) {
    return build_list<qx3gTablespaceList, Generic<qx3gTablespaceList>>(mem, name, t, 0, 12, 4, 0, false, 3, 1);
}
inline Generic<qx3gMediaList> generic_media(CallerMemory& mem, const std::string& name, uint8_t type, const Texts& t) {
    return build_list<qx3gMediaList, Generic<qx3gMediaList>>(mem, name, t, type, 12, 4, 0, false, 3, 1);
}
// Entries of 260 bytes ('S', 'C'), 220 ('L'), 520 ('O'), or 8 with the text by pointer ('Q').
inline InPlace<sqluMediaList> inplace_media(CallerMemory& mem, const std::string& name, uint8_t type, const Texts& t) {
    const uint32_t size = type == 'L' ? 220 : type == 'O' ? 520 : type == 'Q' ? 8 : 260;
    return build_list<sqluMediaList, InPlace<sqluMediaList>>(mem, name, t, type, size, 0, 4, type != 'Q', 4, 0);
}
inline InPlace<sqluTablespaceList> inplace_tablespaces(CallerMemory& mem, const std::string& name,
                                                       const std::vector<std::string>& names) {
    return build_list<sqluTablespaceList, InPlace<sqluTablespaceList>>(mem, name, Texts(names.begin(), names.end()),
                                                                       0, 24, 0, 4, true, 0, 0);
}

// The texts of a seen list, shown.
inline std::vector<std::string> shown(const standin::SeenList& l) {
    std::vector<std::string> out;
    for (const standin::Seen& s : l.entries) out.push_back(standin::show(s));
    return out;
}

}  // namespace qx3test

#endif
