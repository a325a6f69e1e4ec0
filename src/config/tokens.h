// The string-valued parameters of the legacy configuration calls, one set per entry point, and the
// padding of returned strings to their field size that every get and defaults call shares. (The
// update calls keep their terminators in restore lists of their own shape, database and manager,
// and their sets hold tokens alone.)
//
// Every parameter not in an entry point's set is numeric for that entry point: its item passes
// through untouched in both directions.
#ifndef QX3_CONFIG_TOKENS_H
#define QX3_CONFIG_TOKENS_H

#include <stdint.h>

#include "frame/frame.h"

namespace qx3::cfg {

// A string-valued parameter of a get or defaults call and its field size: the size of the caller's
// buffer, to which the returned string is blank-padded.
struct StringToken {
    uint16_t token;
    uint16_t size;
};

class TokenSet {
public:
    template <uint32_t N>
    constexpr TokenSet(const StringToken (&rows)[N]) : rows_(rows), count_(N) {}

    constexpr uint32_t count() const { return count_; }
    constexpr const StringToken& operator[](uint32_t i) const { return rows_[i]; }

    // The row of a token, or null when the token is numeric here.
    constexpr const StringToken* find(uint32_t token) const {
        for (uint32_t i = 0; i < count_; ++i)
            if (rows_[i].token == token) return &rows_[i];
        return nullptr;
    }

private:
    const StringToken* rows_;
    uint32_t count_;
};

// The string-valued parameters of an update: tokens alone, since an update writes no field and no
// size applies.
class UpdateSet {
public:
    template <uint32_t N>
    constexpr UpdateSet(const uint16_t (&tokens)[N]) : tokens_(tokens), count_(N) {}

    constexpr uint32_t count() const { return count_; }
    constexpr uint16_t operator[](uint32_t i) const { return tokens_[i]; }
    constexpr bool contains(uint32_t token) const {
        for (uint32_t i = 0; i < count_; ++i)
            if (tokens_[i] == token) return true;
        return false;
    }

private:
    const uint16_t* tokens_;
    uint32_t count_;
};

// True when an update set holds exactly the tokens of a get set, in the same order.
constexpr bool same_tokens(const UpdateSet& update, const TokenSet& get) {
    if (update.count() != get.count()) return false;
    for (uint32_t i = 0; i < get.count(); ++i)
        if (update[i] != get[i].token) return false;
    return true;
}

// ---- Database parameters ------------------------------------------------------------------------

// sqlgxdb, sqlgddb (padding) and sqlgudb (terminators) share one set.
inline constexpr StringToken kDatabaseRows[] = {
    {20, 243}, {44, 261}, {46, 256}, {103, 243}, {105, 13}, {107, 13}, {120, 18},
    {121, 34}, {305, 65}, {306, 65}, {307, 31}, {501, 65}, {602, 11}, {702, 23},
};
// sqlgxdbc pads a set of its own.
inline constexpr StringToken kDatabaseExtendedRows[] = {
    {20, 243},  {103, 243}, {105, 13},    {107, 13},    {120, 18},   {121, 34},   {926, 256},
    {927, 1024}, {954, 258}, {10134, 1024}, {10170, 128}, {10173, 7}, {10200, 256},
};
// sqlgudb terminates the parameters that sqlgxdb and sqlgddb pad.
inline constexpr uint16_t kDatabaseUpdateTokens[] = {20, 44, 46, 103, 105, 107, 120, 121, 305, 306, 307, 501, 602, 702};
// sqlgeudb terminates one parameter only.
inline constexpr uint16_t kDatabaseExtendedUpdateTokens[] = {20};

inline constexpr TokenSet kDatabaseGet{kDatabaseRows};
inline constexpr UpdateSet kDatabaseUpdate{kDatabaseUpdateTokens};
inline constexpr TokenSet kDatabaseExtendedGet{kDatabaseExtendedRows};
inline constexpr UpdateSet kDatabaseExtendedUpdate{kDatabaseExtendedUpdateTokens};
static_assert(same_tokens(kDatabaseUpdate, kDatabaseGet), "sqlgudb terminates what sqlgxdb pads");

// ---- Manager parameters -------------------------------------------------------------------------

// sqlgdsys pads these.
inline constexpr StringToken kManagerDefaultsRows[] = {
    {7, 9},     {24, 15},   {25, 65},   {27, 216},  {28, 26},   {47, 49},   {48, 49},   {65, 216},
    {66, 20},   {67, 9},    {71, 5},    {74, 256},  {75, 256},  {76, 256},  {77, 32},   {92, 9},
    {305, 36},  {311, 256}, {313, 227}, {844, 129}, {845, 129}, {846, 129},
};
// sqlgxsys pads these.
inline constexpr StringToken kManagerGetRows[] = {
    {7, 9},       {24, 15},     {25, 65},     {27, 216},    {28, 26},     {47, 49},
    {48, 49},     {65, 216},    {66, 20},     {67, 9},      {71, 5},      {74, 256},
    {75, 256},    {76, 256},    {77, 32},     {92, 9},      {305, 36},    {311, 256},
    {313, 227},   {844, 129},   {845, 129},   {846, 129},   {941, 216},   {969, 216},
    {10123, 216}, {10124, 216}, {10125, 216}, {10145, 256}, {10181, 256}, {10187, 256},
};
// sqlgusys terminates these; 39, 62 and 63 are never padded.
inline constexpr uint16_t kManagerUpdateTokens[] = {
    7, 24, 25, 27, 28, 39, 47, 48, 62, 63, 65, 66, 67, 71, 74, 75, 76, 77, 92, 305, 311, 313, 941, 969,
    10145, 10181, 10187,
};

inline constexpr TokenSet kManagerDefaults{kManagerDefaultsRows};
inline constexpr TokenSet kManagerGet{kManagerGetRows};
inline constexpr UpdateSet kManagerUpdate{kManagerUpdateTokens};

static_assert(kDatabaseGet.count() == 14 && kDatabaseExtendedGet.count() == 13 &&
              kDatabaseExtendedUpdate.count() == 1, "database sets");
static_assert(kManagerDefaults.count() == 22 && kManagerGet.count() == 30 && kManagerUpdate.count() == 27,
              "manager sets");

// ---- Returned strings ---------------------------------------------------------------------------

// After a get or defaults call, whatever its result: every string-valued item's value becomes a
// blank-padded field of its size. The item array is read as it stands; it is not checked.
inline void pad_items(const TokenSet& set, const qx3ConfigItem* items, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        if (const StringToken* t = set.find(items[i].token)) pad_field(items[i].value, t->size);
    }
}

}  // namespace qx3::cfg

#endif
