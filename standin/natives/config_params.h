// What the stand-in's configuration natives know of their string-valued parameters: the size of
// each one's field and the value they hand back. Numeric parameters are left alone: their widths
// are the native layer's own business and no test of this library depends on them.
#ifndef QX3_STANDIN_CONFIG_PARAMS_H
#define QX3_STANDIN_CONFIG_PARAMS_H

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "common.h"

namespace standin_cfg {

struct Param {
    uint32_t token;
    uint32_t size;
};

// A database's string parameters (both the plain and the extended get).
inline constexpr Param kDatabaseParams[] = {
    {20, 243},   {44, 261},   {46, 256},     {103, 243},  {105, 13},  {107, 13},   {120, 18},
    {121, 34},   {305, 65},   {306, 65},     {307, 31},   {501, 65},  {602, 11},   {702, 23},
    {926, 256},  {927, 1024}, {954, 258},    {10134, 1024}, {10170, 128}, {10173, 7}, {10200, 256},
};

// The manager's string parameters.
inline constexpr Param kManagerParams[] = {
    {7, 9},       {24, 15},     {25, 65},     {27, 216},    {28, 26},     {47, 49},
    {48, 49},     {65, 216},    {66, 20},     {67, 9},      {71, 5},      {74, 256},
    {75, 256},    {76, 256},    {77, 32},     {92, 9},      {305, 36},    {311, 256},
    {313, 227},   {844, 129},   {845, 129},   {846, 129},   {941, 216},   {969, 216},
    {10123, 216}, {10124, 216}, {10125, 216}, {10145, 256}, {10181, 256}, {10187, 256},
};

template <size_t N>
const Param* find(const Param (&params)[N], uint32_t token) {
    for (const Param& p : params)
        if (p.token == token) return &p;
    return nullptr;
}

// The value a string parameter holds: its owner ("SAMPLE", or the instance) and its number, cut
// to fit its field with the NUL.
inline void write_value(char* value, const Param& p, const char* owner) {
    if (value == nullptr || !standin::memory_accessible(reinterpret_cast<uintptr_t>(value), p.size, 2)) return;
    char text[64];
    snprintf(text, sizeof text, "%s.P%u", owner, p.token);
    const size_t n = strnlen(text, p.size - 1);
    memcpy(value, text, n);
    value[n] = '\0';
}

// Fills every string-valued item of a legacy token array (token u16 at 0, value pointer at 4).
template <size_t N>
void fill_items(const Param (&params)[N], uint32_t count, qx3ConfigItem* items, const char* owner) {
    for (uint32_t i = 0; items != nullptr && i < count; ++i)
        if (const Param* p = find(params, items[i].token)) write_value(items[i].value, *p, owner);
}

}  // namespace standin_cfg

#endif
