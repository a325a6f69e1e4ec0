// The conformance engine: one compact row per entry point says what a caller sees (which argument
// words are strings and which word holds each length, which are records, which bytes are outputs,
// which native receives the call and how its arguments come from the words), and the engine runs
// the entry point through every path a row implies, on both backends:
//
//   plain          checks inactive: one native call with the right words, every string terminated
//                  at its length during the call, no pointer check made, every byte back after it
//   checks pass    the same, and each string checked over length + 1 bytes for reading and writing
//                  (each blank-padded field over width + 1 bytes for writing)
//   empty          checks active, every string of length 0 (its length word's high half set): each
//                  borrows its first byte, checked over that one byte
//   one buffer     every string that is not inline is one caller buffer of one length: all the
//                  terminators fall on one byte, and the caller's byte comes back
//   null string    each string in turn passed as null: it stays null, the others are still lent
//                  their terminators
//   check fails    each string in turn fails its check: it goes on unterminated (or the row's exit)
//   no app data    the application-data step fails: the row's exit, no terminator, no native call
//   no memory      each allocation the plain call makes fails in turn, with the status record
//                  writable and refused: the row's exit, no native call, every byte back
//
// and after every path the ledger of memory blocks is empty and caller memory is byte for byte as
// it was, outside the row's outputs. Caller memory is a set of buffers against guard pages.
//
// Rows are written from the documented behaviour: offsets, codes and argument orders as numbers.
//
//   QX3_CONFORMANCE(StringCommands,
//       {.name = "sqlgatin", .words = "uuucsss", .native = "sqleatin_api", .args = "7 6 5 4",
//        .strings = {S(5, 1), S(6, 2), S(7, 3)}},
//       {.name = "qx3gArchiveLog", .words = "vrc", .native = "qx3ArchiveLog", .args = "1 2 3",
//        .app = App::None, .recs = {R(2, 24)}, .strings = {SF(1, 8, 12)}});
#ifndef QX3_TEST_SUPPORT_CONFORMANCE_H
#define QX3_TEST_SUPPORT_CONFORMANCE_H

#include <stdint.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "harness.h"

namespace qx3test::conf {

// A place in caller memory: argument word k (1-based), or byte `off` of the row's record `node`
// (1-based, in the order of `recs`).
struct At {
    int node;
    uint32_t off;
};
constexpr At W(int word) { return {0, static_cast<uint32_t>(word)}; }
constexpr At F(int node, uint32_t off) { return {node, off}; }

// A record: a caller buffer of `size` bytes, filled with a pattern, whose address goes to `at`.
struct Rec {
    At at;
    uint32_t size;
};
constexpr Rec R(int word, uint32_t size) { return {W(word), size}; }
constexpr Rec RF(int node, uint32_t off, uint32_t size) { return {F(node, off), size}; }

// A length-counted string. Its pointer goes to `ptr` and its length to `len` (`width` bytes: 2 for
// a 16-bit length, in a word or a field; 4 for a 32-bit field). `inline_text`: the characters
// themselves stand at `ptr`, inside a record, and the byte behind them is the record's.
// `ends`: the last entry of a list converted in place; when its check fails, the list's status
// is that check's result, and the call ends with it (no native call, the status record untouched).
struct Str {
    At ptr;
    At len;
    uint8_t width = 2;
    bool inline_text = false;
    bool ends = false;
    uint32_t cap = 0xFFFFFFFFu;  // the NUL goes no further into the text than this
    bool empty_lent = false;     // lent its NUL at length 0 too, where the row's others are not
};
constexpr Str S(int word, int length_word) { return {W(word), W(length_word), 2}; }
constexpr Str SF(int node, uint32_t ptr_off, uint32_t len_off, uint8_t width = 4) {
    return {F(node, ptr_off), F(node, len_off), width};
}
constexpr Str SI(int node, uint32_t text_off, uint32_t len_off, uint8_t width = 4) {
    return {F(node, text_off), F(node, len_off), width, true};
}
constexpr Str Capped(Str s, uint32_t cap) {
    s.cap = cap;
    return s;
}
constexpr Str EvenEmpty(Str s) {
    s.empty_lent = true;
    return s;
}
constexpr Str Last(Str s) {
    s.ends = true;
    return s;
}

// A fixed-width, blank-padded field of a record, lent a NUL after its last non-blank character.
struct Trim {
    At at;
    uint32_t width;
};

// A value the call needs to find (a structure identifier, a count, a type code).
struct Val {
    At at;
    uint32_t value;
    uint8_t width = 4;
};

// Bytes the call may change: a native output, a padded text.
struct Out {
    At at;
    uint32_t size;
};

// What the application-data step does on failure.
enum class App {
    Rule,       // sqlcode -1022, result 0
    Named,      // sqlcode -1022 and the row's name in sqlerrp, sqlofica told, result -1022
    Untouched,  // the record untouched, result -1022
    PassRc,     // the record untouched, the step's own nonzero value is the result
    NoStatus,   // result -1: there is no status record
    None,       // the call never runs the step
};

// An exit the library takes by itself: its result, and what it stores in the status record
// (code 0: nothing; errp null: sqlcode alone).
struct Exit {
    int32_t result;
    int32_t code = 0;
    const char* errp = nullptr;
    const char* errmc = nullptr;  // a parameter's name, stored with its NUL, its length in sqlerrml
};

// The memory failure exit of a call that allocates.
struct Mem {
    const char* errp = nullptr;   // null: the call never allocates
    int32_t code = -83;
    int32_t refused = -83;        // the result when sqloincaChkptr refuses the record
    bool asks = true;             // asks sqloincaChkptr before writing (else writes anyway)
    bool inca = false;            // tells sqloinca first
    bool service_rc = false;      // returns the memory service's own code, record untouched
    bool status_rc = false;       // returns the memory service's own code, which also goes to the
                                  // first sqlerrd word beside `code` and `errp`
};

struct Row {
    const char* name;
    // One letter per argument word: u a 16-bit value (a length when a string names it), i a signed
    // 16-bit value, w a plain word, v the version number, c the status record, s a string, r a
    // record, n a pointer passed as null.
    const char* words;
    const char* native = "";  // the native it calls; "" for none
    // The native's arguments from the words, in the native's order: "k" word k whole, "zk" / "sk"
    // its low 16 bits widened with zeros / the sign, "bk" its low 8 bits widened with zeros, "0" or
    // "#n" the constant 0 or n, "?" not compared. "" for none compared.
    const char* args = "";
    App app = App::Rule;
    const char* app_name = nullptr;  // for App::Named
    uint32_t version = 0;            // the value of a 'v' word
    std::vector<Rec> recs = {};
    std::vector<Str> strings = {};   // in the order of terminating
    std::vector<Trim> trims = {};
    std::vector<Val> vals = {};
    std::vector<Out> outs = {};
    Mem mem = {};
    std::optional<Exit> check_exit = {};  // what a string's failing check does, if not passed on
    bool nulls = true;                    // each string may be null
    bool positive = false;                // a length of 0 is passed on untouched
    // Per string, in the order of `strings`: the parameter name that its check exit appends to
    // sqlerrmc (sqlerrml growing by its length). Empty: the exit appends nothing.
    std::vector<const char*> exit_names = {};
    std::vector<Exit> check_exits = {};   // per string: what its failing check does (overrides check_exit)
    bool cptrs = false;                   // also tests records through sqlocptrs, which ignores the switch
    // Strings (indices into `strings`) that are the texts of media-list entries: a failing check
    // ends the call with the check's value before the native call, the status record untouched.
    std::vector<int> entries = {};
    // The call returns the outcome of its own checks, not the native's result: 0 when they pass,
    // the failing check's value when the string checked last (entries aside) fails.
    bool own_status = false;
    // The strings are given back in the order they were terminated, as documented for this call:
    // the "one buffer" path, whose terminators all fall on one byte, does not apply.
    bool in_order = false;
};

inline void PrintTo(const Row& r, std::ostream* os) { *os << r.name; }

// What is wrong with a native call's arguments against the row's mappings ("" for nothing).
std::string wrong_args(const Row& r, const std::vector<uint32_t>& words, const standin::Call& c);
// Whether string s is lent its terminator at length 0 (a positive row passes such a string on
// untouched, unless the string says otherwise).
inline bool lent_at_zero(const Row& r, size_t s) { return !r.positive || r.strings[s].empty_lent; }

// Caller memory laid out from a row: the argument words, and the row's records as the first
// buffers of `mem`, in the order of `recs`, each with its address and the row's values in place.
// `word` gives a plain argument word from its letter and index; `fill` fills record k.
class RowMemory {
public:
    RowMemory(const Row& r, sqlca* ca, const std::function<uint32_t(char letter, uint32_t k)>& word,
              const std::function<void(Guarded&, size_t k)>& fill);
    const std::vector<uint32_t>& words() const { return words_; }
    std::vector<Bytes> snapshot() const { return mem_.snapshot(); }
    const CallerMemory& mem() const { return mem_; }
    // The address of a place in a record; and a value stored at a place, `width` bytes of it.
    uint8_t* addr(const At& a) const;
    void put(const At& a, uint32_t value, uint8_t width);
    // An expected snapshot with the outputs' bytes taken from `actual`.
    void mask_outputs(std::vector<Bytes>& expect, const std::vector<Bytes>& actual) const;

protected:
    const Row& row_;
    std::vector<uint32_t> words_;
    CallerMemory mem_;
};
// Whether a call into the native layer is the native's: anything but a platform service, or the
// service the row names as its native (the message and state services are forwarded like natives).
bool is_native(const std::string& name, const char* expected);

// Registers rows; returns them (for the instantiation below).
std::vector<Row> rows(std::initializer_list<Row> list);
// Every row registered so far, whole: calls can be generated from them.
const std::vector<Row>& registered_rows();

class Conformance : public EntryBase, public ::testing::WithParamInterface<std::tuple<Backend*, Row>> {
protected:
    Backend* backend() const override { return std::get<0>(GetParam()); }
    void run(const Row& r);
};

std::string ConformanceName(const ::testing::TestParamInfo<std::tuple<Backend*, Row>>& info);

}  // namespace qx3test::conf

#define QX3_CONFORMANCE(suite, ...)                                                                    \
    using ::qx3test::conf::Conformance;                                                                 \
    static const std::vector<::qx3test::conf::Row> suite##_rows = ::qx3test::conf::rows({__VA_ARGS__}); \
    INSTANTIATE_TEST_SUITE_P(suite, Conformance,                                                       \
                             ::testing::Combine(::testing::ValuesIn(::qx3test::all_backends()),        \
                                                ::testing::ValuesIn(suite##_rows)),                    \
                             ::qx3test::conf::ConformanceName)

#endif
