// Forwarding entry points described by a route: which argument words are strings that get a
// temporary terminator (with which length word, in which order), whether the call runs the
// application-data step, and how each native argument is taken from the argument words: whole,
// the low 16 bits widened with zeros or with the sign, or the constant 0.
//
// A family lists its routes once, one line per entry point, beside the native each one calls:
//
//   QX3_ROUTE(sqlgatin, sqleatin_api, framed(pass(A7, A6, A5, A4), A5.with(A1), A6.with(A2), A7.with(A3)))
//   QX3_ROUTE(sqlgfrce, sqlefrce_api, unframed(pass(A4, A3, zx(A2), A1)))
//
// and each entry point's body is `return forward<Ep::name>(its argument words...)`. The native is
// called directly, through its own declaration, with exactly the arguments the route lists.
//
// Freestanding: templates and constant data only.
#ifndef QX3_FRAME_FORWARD_H
#define QX3_FRAME_FORWARD_H

#include <stddef.h>
#include <stdint.h>

#include <type_traits>
#include <utility>

#include "frame.h"

namespace qx3::fwd {

static_assert(sizeof(void*) == 4, "argument words are 32 bits");

enum class Take : uint8_t { whole, zx, sx, zero, zb };

// String word `string` is terminated with the 16-bit length in word `length` (0-based words).
struct Terminated {
    uint8_t string;
    uint8_t length;
};

// One native argument: argument word `word` (0-based), taken as `take` says.
struct Arg {
    uint8_t word;
    Take take;
    constexpr Terminated with(Arg length) const { return {word, length.word}; }
};

// The argument words by their documented names, A1 being the first.
inline constexpr Arg A1{0, Take::whole}, A2{1, Take::whole}, A3{2, Take::whole}, A4{3, Take::whole},
    A5{4, Take::whole}, A6{5, Take::whole}, A7{6, Take::whole}, A8{7, Take::whole}, A9{8, Take::whole},
    A10{9, Take::whole}, A11{10, Take::whole}, A12{11, Take::whole}, A13{12, Take::whole}, A14{13, Take::whole},
    A15{14, Take::whole};
// The constant 0 in a native argument. It reads no argument word: 0xFF stands for "none".
inline constexpr Arg kZero{0xFF, Take::zero};

constexpr Arg zx(Arg a) { return {a.word, Take::zx}; }
constexpr Arg sx(Arg a) { return {a.word, Take::sx}; }
// The low 8 bits of a word that carries a byte value, widened with zeros.
constexpr Arg zb(Arg a) { return {a.word, Take::zb}; }

inline constexpr size_t kMaxArgs = 15;
inline constexpr size_t kMaxStrings = 6;

struct Route {
    bool framed;                      // runs the application-data step
    uint8_t args;                     // native arguments, in the native's order
    Arg arg[kMaxArgs];
    uint8_t strings;                  // terminated strings, in the order of terminating
    Terminated term[kMaxStrings];
};

struct Pass {
    uint8_t count;
    Arg arg[kMaxArgs];
};

template <class... A>
constexpr Pass pass(A... a) {
    static_assert(sizeof...(A) <= kMaxArgs, "too many native arguments for a route");
    return Pass{static_cast<uint8_t>(sizeof...(A)), {a...}};
}

template <class... T>
constexpr Route route_of(bool framed_call, Pass p, T... t) {
    static_assert(sizeof...(T) <= kMaxStrings, "too many terminated strings for a route");
    Route r{framed_call, p.count, {}, static_cast<uint8_t>(sizeof...(T)), {t...}};
    for (size_t i = 0; i < kMaxArgs; ++i) r.arg[i] = p.arg[i];
    return r;
}

// Runs the application-data step, then terminates the strings given, in that order.
template <class... T>
constexpr Route framed(Pass p, T... terminated) {
    return route_of(true, p, terminated...);
}
// Skips the application-data step and never touches the status record.
template <class... T>
constexpr Route unframed(Pass p, T... terminated) {
    return route_of(false, p, terminated...);
}

// A family's routes: RouteOf<Ep::name> holds the native and the route of entry point `name`.
template <Ep>
struct RouteOf;

// ---- The engine ----------------------------------------------------------------------------------

template <size_t I, class T, class... R>
constexpr auto nth(T t, R... r) {
    if constexpr (I == 0) {
        return t;
    } else {
        return nth<I - 1>(r...);
    }
}

template <size_t I, class... G>
using WordType = decltype(nth<I>(std::declval<G>()...));

template <Arg a, class... G>
inline auto take(G... g) {
    if constexpr (a.take == Take::zero) {
        return uint32_t{0};
    } else {
        static_assert(a.word < sizeof...(G), "a native argument names a word the entry point does not have");
        const auto w = nth<a.word>(g...);
        if constexpr (a.take == Take::whole) {
            return w;
        } else {
            static_assert(std::is_same_v<decltype(w), const uint32_t>, "only a plain word holds a 16-bit or byte value");
            if constexpr (a.take == Take::zb) {
                return uint32_t{w & 0xFFu};
            } else if constexpr (a.take == Take::zx) {
                return qx3::zx(w);
            } else {
                return qx3::sx(w);
            }
        }
    }
}

inline void keep_status(sqlca*& out, sqlca* ca) { out = ca; }
template <class T>
inline void keep_status(sqlca*&, T) {}

template <Route R, class... G, size_t... I>
inline void place_all(Term* t, std::index_sequence<I...>, G... g) {
    static_assert(((R.term[I].string < sizeof...(G) && R.term[I].length < sizeof...(G)) && ...),
                  "a terminated string names a word the entry point does not have");
    static_assert((std::is_same_v<WordType<R.term[I].string, G...>, char*> && ...),
                  "only a char* word is terminated");
    static_assert((std::is_same_v<WordType<R.term[I].length, G...>, uint32_t> && ...),
                  "a string's length is a 16-bit word");
    (t[I].place(nth<R.term[I].string>(g...), qx3::zx(nth<R.term[I].length>(g...))), ...);
}

template <auto Native, Route R, class... G, size_t... I>
inline int32_t call_native(std::index_sequence<I...>, G... g) {
    return Native(take<R.arg[I]>(g...)...);
}

// A terminator made where it is placed: one slot per string of the route and nothing else to set
// up, so that a call of one string costs one slot, not a frame of the largest route's.
inline Term placed(char* s, uint32_t n) {
    Term t;
    t.place(s, n);
    return t;
}

// The route's strings terminated in its order, the native call, the terminators taken back.
template <auto Native, Route R, class... G, size_t... I>
inline int32_t call_terminated(std::index_sequence<I...>, G... g) {
    static_assert(((R.term[I].string < sizeof...(G) && R.term[I].length < sizeof...(G)) && ...),
                  "a terminated string names a word the entry point does not have");
    static_assert((std::is_same_v<WordType<R.term[I].string, G...>, char*> && ...),
                  "only a char* word is terminated");
    static_assert((std::is_same_v<WordType<R.term[I].length, G...>, uint32_t> && ...),
                  "a string's length is a 16-bit word");
    // A braced list is evaluated left to right: the strings are terminated in the route's order.
    Term t[] = {placed(nth<R.term[I].string>(g...), qx3::zx(nth<R.term[I].length>(g...)))...};
    const int32_t rc = call_native<Native, R>(std::make_index_sequence<R.args>{}, g...);
    // Taken back last one first: where a caller hands one buffer over twice with equal lengths,
    // the later slot saved the earlier one's NUL, and only this order leaves the caller's byte.
    // Terminators on different bytes come back the same in either order.
    for (size_t i = sizeof...(I); i-- > 0;) t[i].restore();
    return rc;
}

// Application-data step where the route has it, terminators in the route's order, the one native
// call, the terminators taken back, the native result.
template <Ep E, class... G>
inline int32_t forward(G... g) {
    using Row = RouteOf<E>;
    constexpr Route R = Row::route;
    constexpr size_t kStatusWords = (0u + ... + (std::is_same_v<G, sqlca*> ? 1u : 0u));
    static_assert(R.framed == (row(E).frame == APPDATA), "the route's frame differs from the entry-point row");
    static_assert(R.framed || R.strings == 0 || row(E).frame == TERM, "terminators outside a TERM row");
    static_assert(!R.framed || kStatusWords == 1, "a framed entry point reports through its one sqlca word");

    if constexpr (R.framed) {
        sqlca* ca = nullptr;
        (keep_status(ca, g), ...);
        if (!app_data_ready()) return app_data_failed(ca);
    }
    if constexpr (R.strings == 0) {
        return call_native<Row::native, R>(std::make_index_sequence<R.args>{}, g...);
    } else {
        return call_terminated<Row::native, R>(std::make_index_sequence<R.strings>{}, g...);
    }
}

}  // namespace qx3::fwd

// The route of entry point `ep`: it calls `native_fn` as the route (the rest) says.
#define QX3_ROUTE(ep, native_fn, ...)                                   \
    template <>                                                         \
    struct qx3::fwd::RouteOf<qx3::Ep::ep> {                             \
        static constexpr auto native = &native_fn;                      \
        static constexpr ::qx3::fwd::Route route = __VA_ARGS__;         \
    };

// An entry point of n plain argument words (n = 0 to 6) whose body is its route alone.
#define QX3_WORDS_0 ()
#define QX3_WORDS_1 (uint32_t w1)
#define QX3_WORDS_2 (uint32_t w1, uint32_t w2)
#define QX3_WORDS_3 (uint32_t w1, uint32_t w2, uint32_t w3)
#define QX3_WORDS_4 (uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4)
#define QX3_WORDS_5 (uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4, uint32_t w5)
#define QX3_WORDS_6 (uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4, uint32_t w5, uint32_t w6)
#define QX3_WORD_NAMES_0
#define QX3_WORD_NAMES_1 w1
#define QX3_WORD_NAMES_2 w1, w2
#define QX3_WORD_NAMES_3 w1, w2, w3
#define QX3_WORD_NAMES_4 w1, w2, w3, w4
#define QX3_WORD_NAMES_5 w1, w2, w3, w4, w5
#define QX3_WORD_NAMES_6 w1, w2, w3, w4, w5, w6
#define QX3_WORD_FORWARDER(fn, up, n) \
    QX3_ENTRY(fn, up, QX3_WORDS_##n) { return ::qx3::fwd::forward<::qx3::Ep::fn>(QX3_WORD_NAMES_##n); }

#endif
