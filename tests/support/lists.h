// Builders of the media and tablespace lists in caller memory: each text against its own guard page (so that the one byte a call may
// borrow behind a text is the last accessible one), each entry array likewise.
#ifndef QX3_TEST_SUPPORT_LISTS_H
#define QX3_TEST_SUPPORT_LISTS_H

#include <string.h>

#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "harness.h"
#include "qx3agapi_lists.h"

namespace qx3test {

using Texts = std::vector<std::optional<std::string>>;  // nullopt: a null text pointer

// A generic list (qx3gTablespaceList or qx3gMediaList) and where its texts live.
template <class List>
struct Generic {
    List* list = nullptr;
    std::vector<char*> texts;          // per entry: the text pointer (null for nullopt)
    std::vector<uint32_t> lengths;     // per entry: the length the entry gives
    void* entries = nullptr;
    // The address of each borrowed byte, for the entries whose text is not null.
    std::vector<const char*> borrowed() const {
        std::vector<const char*> out;
        for (size_t i = 0; i < texts.size(); ++i)
            if (texts[i] != nullptr) out.push_back(texts[i] + lengths[i]);
        return out;
    }
};

template <class List, class Entry>
Generic<List> make_generic(CallerMemory& mem, const std::string& name, const Texts& texts) {
    Generic<List> g;
    const size_t n = texts.size();
    Guarded& entries = mem.add(name + " entries", n ? n * sizeof(Entry) : 1);
    Entry* e = entries.as<Entry>();
    for (size_t i = 0; i < n; ++i) {
        char* t = texts[i] ? mem.text(name + " text " + std::to_string(i), *texts[i]) : nullptr;
        const uint32_t len = texts[i] ? static_cast<uint32_t>(texts[i]->size()) : static_cast<uint32_t>(3 + i);
        memcpy(reinterpret_cast<char*>(&e[i]), &t, 4);
        memcpy(reinterpret_cast<char*>(&e[i]) + 4, &len, 4);
        g.texts.push_back(t);
        g.lengths.push_back(len);
    }
    Guarded& rec = mem.add(name, sizeof(List));
    g.list = rec.as<List>();
    g.list->piEntries = e;
    g.list->iNumEntries = static_cast<uint32_t>(n);
    g.entries = e;
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

// An in-place list: entries with inline texts (or 'Q' pointers), each text field otherwise filled
// with the buffer's pattern.
template <class List>
struct InPlace {
    List* list = nullptr;
    Guarded* entries = nullptr;
    std::vector<char*> texts;
    std::vector<uint32_t> lengths;
    std::vector<const char*> borrowed(size_t first_n = SIZE_MAX) const {
        std::vector<const char*> out;
        for (size_t i = 0; i < texts.size() && i < first_n; ++i)
            if (texts[i] != nullptr) out.push_back(texts[i] + lengths[i]);
        return out;
    }
};

inline uint32_t media_entry_bytes(uint8_t type) {
    switch (type) {
        case 'S':
        case 'C': return 260;
        case 'L': return 220;
        case 'O': return 520;
        case 'Q': return 8;
        default: return 260;
    }
}

inline InPlace<sqluMediaList> inplace_media(CallerMemory& mem, const std::string& name, uint8_t type,
                                            const Texts& texts) {
    InPlace<sqluMediaList> l;
    const size_t n = texts.size();
    const uint32_t size = media_entry_bytes(type);
    Guarded& entries = mem.add(name + " entries", n ? n * size : 1);
    l.entries = &entries;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* e = entries.data() + i * size;
        const uint32_t len = texts[i] ? static_cast<uint32_t>(texts[i]->size()) : 4;
        memcpy(e, &len, 4);
        char* t;
        if (type == 'Q') {
            t = texts[i] ? mem.text(name + " text " + std::to_string(i), *texts[i]) : nullptr;
            memcpy(e + 4, &t, 4);
        } else {
            t = reinterpret_cast<char*>(e + 4);
            if (texts[i]) memcpy(t, texts[i]->data(), texts[i]->size());
        }
        l.texts.push_back(t);
        l.lengths.push_back(len);
    }
    Guarded& rec = mem.add(name, sizeof(sqluMediaList));
    l.list = rec.as<sqluMediaList>();
    l.list->iMediaType = type;
    l.list->iNumEntries = static_cast<int32_t>(n);
    l.list->piEntries = entries.data();
    return l;
}

inline InPlace<sqluTablespaceList> inplace_tablespaces(CallerMemory& mem, const std::string& name,
                                                       const std::vector<std::string>& names) {
    InPlace<sqluTablespaceList> l;
    const size_t n = names.size();
    Guarded& entries = mem.add(name + " entries", n ? n * sizeof(sqluTablespaceEntry) : 1);
    l.entries = &entries;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* e = entries.data() + i * sizeof(sqluTablespaceEntry);
        const uint32_t len = static_cast<uint32_t>(names[i].size());
        memcpy(e, &len, 4);
        memcpy(e + 4, names[i].data(), len);
        l.texts.push_back(reinterpret_cast<char*>(e + 4));
        l.lengths.push_back(len);
    }
    Guarded& rec = mem.add(name, sizeof(sqluTablespaceList));
    l.list = rec.as<sqluTablespaceList>();
    l.list->iNumEntries = static_cast<int32_t>(n);
    l.list->piEntries = reinterpret_cast<sqluTablespaceEntry*>(entries.data());
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
