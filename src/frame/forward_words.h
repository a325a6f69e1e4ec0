// Forwarding by table: an entry point that only hands its argument words on to one native call,
// possibly reordered and with some words cut to their low 16 bits, is described by one mapping per
// native argument instead of hand-written code:
//
//   return forward<&sqlegdsc_api, whole(2), whole(1)>(w1, w2);     // two words, swapped
//   return forward<&sqledgne_api, low16(1), whole(2), whole(3)>(w1, w2, w3);
//
// Freestanding: templates and constexpr only.
#ifndef QX3_FRAME_FORWARD_WORDS_H
#define QX3_FRAME_FORWARD_WORDS_H

#include <stdint.h>

#include <type_traits>

#include "frame.h"

namespace qx3 {

// How a generic word reaches the native call: as it came, or its low 16 bits widened with zeros
// (zx) or with the sign (sx).
enum class Pass : uint8_t { whole, zx, sx };

// Which generic word (1 for the first) feeds a native argument, and how.
struct From {
    uint8_t word;
    Pass pass;
};
consteval From whole(uint8_t word) { return From{word, Pass::whole}; }
consteval From low16(uint8_t word) { return From{word, Pass::zx}; }
consteval From signed16(uint8_t word) { return From{word, Pass::sx}; }

template <class W>
inline uint32_t word_of(W w) {
    if constexpr (std::is_pointer_v<W>)
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(w));
    else
        return static_cast<uint32_t>(w);
}

template <class T>
inline T as_param(uint32_t w) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(static_cast<uintptr_t>(w));
    else
        return static_cast<T>(w);
}

constexpr uint32_t passed(uint32_t w, Pass how) {
    switch (how) {
        case Pass::zx: return zx(w);
        case Pass::sx: return static_cast<uint32_t>(sx(w));
        case Pass::whole: break;
    }
    return w;
}

template <From... Map, class... P>
inline int32_t call_mapped(int32_t(QX3_NATIVE* native)(P...), const uint32_t* a) {
    static_assert(sizeof...(Map) == sizeof...(P), "one mapping per argument of the native call");
    return native(as_param<P>(passed(a[Map.word], Map.pass))...);
}

// Calls Native once with the generic words mapped by Map and returns its result unchanged.
template <auto Native, From... Map, class... Words>
inline int32_t forward(Words... words) {
    static_assert(((Map.word >= 1 && Map.word <= sizeof...(Words)) && ...), "a mapping names a word the entry point lacks");
    const uint32_t a[] = {0u, word_of(words)...};  // a[k] is generic word k
    return call_mapped<Map...>(Native, a);
}

}  // namespace qx3

#endif
