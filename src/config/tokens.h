// The string-valued parameters of the legacy configuration calls, one set per entry point, and the
// padding of returned strings to their field size that every get and defaults call shares. (The
// update calls keep their terminators in restore lists of their own shape, database and manager.)
//
// Every parameter not in an entry point's set is numeric for that entry point: its item passes
// through untouched in both directions.
#ifndef QX3_CONFIG_TOKENS_H
#define QX3_CONFIG_TOKENS_H

#include <stdint.h>

#include "frame/frame.h"

namespace qx3::cfg {

// A string-valued parameter and its field size: the size of the caller's buffer for a get or
// defaults call, to which the returned string is blank-padded. 0 where an update alone knows the
// parameter and no size applies.
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
// sqlgeudb terminates one parameter only.
inline constexpr StringToken kDatabaseExtendedUpdateRows[] = {
    {20, 243},
};

inline constexpr TokenSet kDatabaseGet{kDatabaseRows};
inline constexpr TokenSet kDatabaseUpdate{kDatabaseRows};
inline constexpr TokenSet kDatabaseExtendedGet{kDatabaseExtendedRows};
inline constexpr TokenSet kDatabaseExtendedUpdate{kDatabaseExtendedUpdateRows};

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
// sqlgusys terminates these; 39, 62 and 63 are never padded and have no field size.
inline constexpr StringToken kManagerUpdateRows[] = {
    {7, 9},     {24, 15},   {25, 65},   {27, 216},  {28, 26},    {39, 0},     {47, 49},
    {48, 49},   {62, 0},    {63, 0},    {65, 216},  {66, 20},    {67, 9},     {71, 5},
    {74, 256},  {75, 256},  {76, 256},  {77, 32},   {92, 9},     {305, 36},   {311, 256},
    {313, 227}, {941, 216}, {969, 216}, {10145, 256}, {10181, 256}, {10187, 256},
};

inline constexpr TokenSet kManagerDefaults{kManagerDefaultsRows};
inline constexpr TokenSet kManagerGet{kManagerGetRows};
inline constexpr TokenSet kManagerUpdate{kManagerUpdateRows};

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
