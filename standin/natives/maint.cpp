// Maintenance natives: each records its native record as it received it and, for runstats, every
// name it reads through that record as it read it, in the order table, columns, distribution
// columns, groups, indexes.
#include <stdio.h>

#include "natives/seen_lists.h"
#include "native/maint.h"

namespace {
constexpr uint64_t S(unsigned word) { return uint64_t{1} << word; }

void note(standin::Call& c, const std::string& label, const void* p) {
    c.items.push_back(label + "=" + standin::show(standin::read_seen(p)));
}

// Follows a native runstats record as the native does, through its counts.
void read_runstats(standin::Call& c, const qx3RunstatsStruct* r) {
    char label[64];
    note(c, "table", r->piTablename);
    const qx3ColumnData* const* lists[2] = {r->piColumnList, r->piColumnDistributionList};
    const uint16_t counts[2] = {r->iColumnCount, r->iDistributionCount};
    for (int l = 0; l < 2; ++l) {
        if (lists[l] == nullptr) continue;
        for (uint32_t i = 0; i < counts[l]; ++i) {
            const qx3ColumnData* d = lists[l][i];
            if (l == 0)
                snprintf(label, sizeof label, "column %u (%u)", i, d->iValue1);
            else
                snprintf(label, sizeof label, "distribution %u (%u %u)", i, d->iValue1, d->iValue2);
            note(c, label, d->piColumnName);
        }
    }
    if (r->piColumnGroupList != nullptr) {
        for (uint32_t i = 0; i < r->iGroupCount; ++i) {
            const qx3ColumnGrpData* g = r->piColumnGroupList[i];
            for (uint32_t j = 0; j < g->iGroupSize; ++j) {
                snprintf(label, sizeof label, "group %u (%u %u) %u", i, g->iValue1, g->iValue2, j);
                note(c, label, g->piGroupColumnNames[j]);
            }
        }
    }
    if (r->piIndexList != nullptr) {
        for (uint32_t i = 0; i < r->iIndexCount; ++i) {
            snprintf(label, sizeof label, "index %u", i);
            note(c, label, r->piIndexList[i]);
        }
    }
}
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3Runstats(uint32_t version, qx3RunstatsStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Runstats", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = seen::bytes(pParm, sizeof *pParm);
    if (!c.record.empty()) read_runstats(c, pParm);
    return seen::finish("qx3Runstats", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3Reorg(uint32_t version, qx3ReorgStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Reorg", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = seen::bytes(pParm, sizeof *pParm);
    return seen::finish("qx3Reorg", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3Inspect(uint32_t version, qx3InspectStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Inspect", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = seen::bytes(pParm, sizeof *pParm);
    if (!c.record.empty())
        for (int k = 0; k < 5; ++k) note(c, "string " + std::to_string(k + 1), pParm->piString[k]);
    return seen::finish("qx3Inspect", pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlustat_api(char* table, uint32_t count, char** names, uint32_t v1, uint32_t v2,
                                               sqlca* ca) {
    standin::record("sqlustat_api", {word(table), count, word(names), v1, v2, word(ca)}, S(0));
    standin::Call& c = standin::last_call();
    if (names != nullptr && seen::readable(names, uint64_t{4} * count))
        for (uint32_t i = 0; i < count; ++i) note(c, "index " + std::to_string(i), names[i]);
    return seen::finish("sqlustat_api", ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlureot_api(char* s3, char* s2, char* s1, sqlca* ca) {
    return native("sqlureot_api", {word(s3), word(s2), word(s1), word(ca)}, S(0) | S(1) | S(2), ca);
}
