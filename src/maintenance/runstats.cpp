// Runstats. The legacy call lends its table name and index names terminators and forwards. The
// versioned call validates every pointer of its request, builds native copies of the column,
// distribution and group descriptions in blocks of its own, lends every name a terminator, calls
// the native once, and then gives back every byte and every block, on every path: a fault in the
// request ends the call with a code of its own and the faulty parameter's name.
#include "native/maint.h"
#include "frame/frame.h"

using namespace qx3;

namespace {

constexpr char kTag[] = "sqlgstat";

// The request's own codes.
constexpr int32_t kBadParameter = -2032;
constexpr int32_t kBadIndexList = -2302;
constexpr int32_t kNoBlock = -2009;

// The platform's pointer test for caller records and arrays (read access): 0 when usable.
int32_t cptrs(const void* p, uint32_t size) {
    void* ptr = const_cast<void*>(p);
    uint32_t length = size;
    uint8_t mode = kRead;
    return sqlocptrs(&ptr, &length, &mode, 1, 0);
}

// The pointer check of a name that is lent a terminator, with the check's own code: 0 when it
// passed or checks are inactive.
int32_t name_check(const char* p, uint32_t n) {
    if (sqlo_ptr_check_active() == 0) return 0;
    return sqlagcptr_real(p, n + 1, kReadWrite);
}

// Lends name p of length n a terminator and records it in slot s.
void lend(SlotRecord& s, char* p, uint32_t n) {
    s.saved = static_cast<uint8_t>(p[n]);
    s.pos = static_cast<int32_t>(n);
    p[n] = '\0';
}
void give_back(const SlotRecord& s, char* p) {
    if (s.pos != -1) p[static_cast<uint32_t>(s.pos)] = static_cast<char>(s.saved);
}

// A plain or distribution column list, as far as it was converted.
struct ColumnList {
    SlotRecord* slots = nullptr;
    qx3ColumnData** records = nullptr;
    uint32_t count = 0;
};

// One conversion of a request: what has been taken so far, and how the call stands.
class Conversion {
public:
    Conversion(qx3gRunstatsStruct* g, sqlca* ca) : g_(g), ca_(ca) {}

    int32_t status() const { return status_; }

    // A fault in the request: its code, the parameter's name with its NUL, and the status.
    bool parameter(const char* name, int32_t status, int32_t code = kBadParameter) {
        ca_->sqlcode = code;
        if (code == kBadParameter) {
            uint32_t n = 0;
            while (name[n] != '\0') ++n;
            for (uint32_t i = 0; i <= n; ++i) ca_->sqlerrmc[i] = name[i];
            ca_->sqlerrml = static_cast<int16_t>(n);
        }
        status_ = status;
        return false;
    }
    // A block the memory service refused.
    bool memory(int32_t rc) {
        ca_->sqlcode = kNoBlock;
        ca_->sqlerrd[0] = rc;
        status_ = rc;
        return false;
    }
    bool take(void** out, uint32_t size, uint32_t line) {
        const int32_t rc = block_get(kTag, size, out, line);
        return rc == 0 || memory(rc);
    }

    bool table() {
        char* p = g_->piTablename;
        if (p == nullptr) return parameter("piTablename", 0);
        if (int32_t rc = name_check(p, g_->iTablenameLen)) return parameter("piTablename", rc);
        table_.place(p, g_->iTablenameLen);
        return true;
    }

    // Plain columns (distribution == false) and distribution columns share one shape: an array of
    // pointers to entries that each hold a name, copied into native records of 8 bytes.
    template <bool distribution>
    bool columns(ColumnList& list, void* const* entries, int16_t count, const char* list_name, const char* entry_name,
                 const char* name_name, uint32_t entry_size, const uint32_t (&lines)[3]) {
        if (count <= 0) return true;
        const uint32_t n = static_cast<uint32_t>(count);
        if (entries == nullptr) return parameter(list_name, 0);
        if (int32_t rc = cptrs(entries, 4 * n)) return parameter(list_name, rc);
        void* block = nullptr;
        if (!take(&block, 8 * n, lines[0])) return false;
        list.slots = static_cast<SlotRecord*>(block);
        list.count = n;
        for (uint32_t i = 0; i < n; ++i) list.slots[i] = SlotRecord{-1, 0};
        if (!take(&block, 4 * n, lines[1])) return false;
        list.records = static_cast<qx3ColumnData**>(block);
        for (uint32_t i = 0; i < n; ++i) list.records[i] = nullptr;

        for (uint32_t i = 0; i < n; ++i) {
            void* const e = entries[i];
            if (e == nullptr) return parameter(list_name, 0);
            if (int32_t rc = cptrs(e, entry_size)) return parameter(entry_name, rc);
            char* name;
            uint32_t length;
            uint16_t v1, v2 = 0;
            if constexpr (distribution) {
                const qx3gColumnDistData* d = static_cast<const qx3gColumnDistData*>(e);
                name = d->piColumnName;
                length = d->iColumnNameLen;
                v1 = d->iValue1;
                v2 = d->iValue2;
            } else {
                const qx3gColumnData* c = static_cast<const qx3gColumnData*>(e);
                name = c->piColumnName;
                length = c->iColumnNameLen;
                v1 = c->iValue;
            }
            if (name == nullptr) return parameter(name_name, 0);
            if (!take(&block, sizeof(qx3ColumnData), lines[2])) return false;
            qx3ColumnData* rec = static_cast<qx3ColumnData*>(block);
            list.records[i] = rec;
            if (int32_t rc = name_check(name, length)) return parameter(name_name, rc);
            rec->piColumnName = name;
            lend(list.slots[i], name, length);
            // Only the values the native reads are written.
            rec->iValue1 = v1;
            if constexpr (distribution) rec->iValue2 = v2;
        }
        return true;
    }

    bool groups() {
        if (g_->iGroupCount <= 0) return true;
        const uint32_t n = static_cast<uint32_t>(g_->iGroupCount);
        qx3gColumnGrpData** const entries = g_->piColumnGroupList;
        if (entries == nullptr) return parameter("piColumnGroupList", 0);
        if (int32_t rc = cptrs(entries, 4 * n)) return parameter("piColumnGroupList", rc);
        void* block = nullptr;
        if (!take(&block, 4 * n, 705)) return false;
        group_records_ = static_cast<qx3ColumnGrpData**>(block);
        group_count_ = n;
        for (uint32_t i = 0; i < n; ++i) group_records_[i] = nullptr;
        if (!take(&block, 4 * n, 719)) return false;
        group_slots_ = static_cast<SlotRecord**>(block);
        for (uint32_t i = 0; i < n; ++i) group_slots_[i] = nullptr;

        for (uint32_t i = 0; i < n; ++i) {
            const qx3gColumnGrpData* e = entries[i];
            if (e == nullptr) return parameter("piColumnGroupList", 0);
            if (int32_t rc = cptrs(e, sizeof *e)) return parameter("qx3gColumnGrpData", rc);
            char** const names = e->piGroupColumnNames;
            uint16_t* const lengths = e->piGroupColumnNamesLen;
            if (names == nullptr) return parameter("qx3gColumnGrpData.piGroupColumnNames", 0);
            if (lengths == nullptr) return parameter("qx3gColumnGrpData.piGroupColumnNamesLen", 0);
            if (e->iGroupSize < 1) return parameter("qx3gColumnGrpData.iGroupSize", 0);
            const uint32_t size = static_cast<uint32_t>(e->iGroupSize);
            if (int32_t rc = cptrs(names, 4 * size)) return parameter("qx3gColumnGrpData.piGroupColumnNames", rc);
            if (int32_t rc = cptrs(lengths, 2 * size))
                return parameter("qx3gColumnGrpData.piGroupColumnNamesLen", rc);

            if (!take(&block, 8 * size, 806)) return false;
            SlotRecord* const slots = static_cast<SlotRecord*>(block);
            group_slots_[i] = slots;
            for (uint32_t j = 0; j < size; ++j) slots[j] = SlotRecord{-1, 0};
            for (uint32_t j = 0; j < size; ++j) {
                if (names[j] == nullptr) return parameter("qx3gColumnGrpData.piGroupColumnNames", 0);
                if (int32_t rc = name_check(names[j], lengths[j]))
                    return parameter("qx3gColumnGrpData.piGroupColumnNames", rc);
                lend(slots[j], names[j], lengths[j]);
            }

            if (!take(&block, sizeof(qx3ColumnGrpData), 847)) return false;
            qx3ColumnGrpData* const rec = static_cast<qx3ColumnGrpData*>(block);
            group_records_[i] = rec;
            rec->piGroupColumnNames = names;
            rec->iGroupSize = static_cast<uint16_t>(e->iGroupSize);
            rec->iValue1 = e->iValue1;
            rec->iValue2 = e->iValue2;
        }
        return true;
    }

    // Faults of the index list carry a code of their own and no parameter name.
    bool indexes() {
        if (g_->iIndexCount <= 0) return true;
        const uint32_t n = static_cast<uint32_t>(g_->iIndexCount);
        char** const names = g_->piIndexList;
        uint16_t* const lengths = g_->piIndexNamesLen;
        if (names == nullptr || lengths == nullptr) return parameter(nullptr, 0, kBadIndexList);
        if (int32_t rc = cptrs(names, 4 * n)) return parameter(nullptr, rc, kBadIndexList);
        if (int32_t rc = cptrs(lengths, 2 * n)) return parameter(nullptr, rc, kBadIndexList);
        void* block = nullptr;
        if (!take(&block, 8 * n, 920)) return false;
        index_slots_ = static_cast<SlotRecord*>(block);
        index_count_ = n;
        for (uint32_t i = 0; i < n; ++i) index_slots_[i] = SlotRecord{-1, 0};
        for (uint32_t i = 0; i < n; ++i) {
            if (names[i] == nullptr) return parameter(nullptr, 0, kBadIndexList);
            if (int32_t rc = name_check(names[i], lengths[i])) return parameter(nullptr, rc, kBadIndexList);
            lend(index_slots_[i], names[i], lengths[i]);
        }
        return true;
    }

    int32_t call(uint32_t version) {
        qx3RunstatsStruct n;
        n.iValue1 = g_->iValue1;
        n.iValue2 = g_->iValue2;
        n.piTablename = g_->piTablename;
        n.piColumnList = columns_.records;
        n.piColumnDistributionList = distribution_.records;
        n.piColumnGroupList = group_records_;
        n.piIndexList = g_->iIndexCount > 0 ? g_->piIndexList : nullptr;
        n.iValue3 = g_->iValue3;
        n.iColumnCount = static_cast<uint16_t>(g_->iColumnCount);
        n.iDistributionCount = static_cast<uint16_t>(g_->iDistributionCount);
        n.iGroupCount = static_cast<uint16_t>(g_->iGroupCount);
        n.iIndexCount = static_cast<uint16_t>(g_->iIndexCount);
        n.iValue4 = g_->iValue4;
        n.iValue5 = g_->iValue5;
        n.iValue6 = g_->iValue6;
        const bool later = version >= QX3_RUNSTATS_V1;
        n.iValue7 = later ? g_->iValue7 : 0;
        n.iValue8 = later ? g_->iValue8 : 0;
        n.dSampling = 100.0;
        status_ = qx3Runstats(version, &n, ca_);
        return status_;
    }

    // Gives back every byte lent, newest first (names that share a byte give the caller's back),
    // then every block taken, whatever the call got to.
    void clean_up() {
        if (index_slots_ != nullptr)
            for (uint32_t i = index_count_; i-- > 0;) give_back(index_slots_[i], g_->piIndexList[i]);
        for (uint32_t i = group_records_ != nullptr && group_slots_ != nullptr ? group_count_ : 0; i-- > 0;) {
            if (group_slots_[i] == nullptr) continue;
            const qx3gColumnGrpData* e = g_->piColumnGroupList[i];
            for (uint32_t j = static_cast<uint32_t>(e->iGroupSize); j-- > 0;)
                give_back(group_slots_[i][j], e->piGroupColumnNames[j]);
        }
        give_back_all(distribution_);
        give_back_all(columns_);
        table_.restore(g_->piTablename);
        release(columns_, 1015, 1019, 1025);
        release(distribution_, 1042, 1046, 1052);
        if (group_records_ != nullptr) {
            for (uint32_t i = 0; i < group_count_; ++i) {
                if (group_slots_ != nullptr && group_slots_[i] != nullptr) block_free(kTag, group_slots_[i], 1079);
                if (group_records_[i] != nullptr) block_free(kTag, group_records_[i], 1085);
            }
            block_free(kTag, group_records_, 1089);
            if (group_slots_ != nullptr) block_free(kTag, group_slots_, 1095);
        }
        if (index_slots_ != nullptr) block_free(kTag, index_slots_, 1107);
    }

    ColumnList columns_, distribution_;

private:
    void give_back_all(const ColumnList& list) {
        if (list.records == nullptr) return;
        for (uint32_t i = list.count; i-- > 0;)
            if (list.records[i] != nullptr) give_back(list.slots[i], list.records[i]->piColumnName);
    }
    void release(ColumnList& list, uint32_t record_line, uint32_t array_line, uint32_t slots_line) {
        if (list.records != nullptr) {
            for (uint32_t i = 0; i < list.count; ++i) {
                if (list.records[i] == nullptr) continue;
                block_free(kTag, list.records[i], record_line);
            }
            block_free(kTag, list.records, array_line);
        }
        if (list.slots != nullptr) block_free(kTag, list.slots, slots_line);
    }

    qx3gRunstatsStruct* g_;
    sqlca* ca_;
    int32_t status_ = 0;
    Slot table_;
    qx3ColumnGrpData** group_records_ = nullptr;
    SlotRecord** group_slots_ = nullptr;
    uint32_t group_count_ = 0;
    SlotRecord* index_slots_ = nullptr;
    uint32_t index_count_ = 0;
};

constexpr uint32_t kColumnLines[3] = {470, 486, 535};
constexpr uint32_t kDistributionLines[3] = {585, 601, 650};

}  // namespace

QX3_ENTRY(qx3gRunstats, QX3GRUNSTATS, (uint32_t version, qx3gRunstatsStruct* pParm, sqlca* pSqlca)) {
    if (int32_t rc = sqlo_create_init_app_data(kAppDataRequest)) return rc;
    if (int32_t rc = sqloincaChkptr(pSqlca)) return rc;
    for (uint32_t i = 0; i < 8; ++i) pSqlca->sqlerrp[i] = "qx3gRnst"[i];
    Conversion c(pParm, pSqlca);
    if (pParm == nullptr) {
        c.parameter("data", 0);
        return c.status();
    }
    if (int32_t rc = cptrs(pParm, sizeof *pParm)) {
        c.parameter("data", rc);
        return c.status();
    }
    if (!c.table()) return c.status();
    if (c.columns<false>(c.columns_, reinterpret_cast<void* const*>(pParm->piColumnList), pParm->iColumnCount,
                         "piColumnList", "qx3gColumnData", "qx3gColumnData.piColumnName", sizeof(qx3gColumnData),
                         kColumnLines) &&
        c.columns<true>(c.distribution_, reinterpret_cast<void* const*>(pParm->piColumnDistributionList),
                        pParm->iDistributionCount, "piColumnDistributionList", "qx3gColumnDistData",
                        "qx3gColumnDistData.piColumnName", sizeof(qx3gColumnDistData), kDistributionLines) &&
        c.groups() && c.indexes())
        c.call(version);
    c.clean_up();
    return c.status();
}

// ---- sqlgstat ----

QX3_ENTRY(sqlgstat, SQLGSTAT, (qx3_u16w len, qx3_u16w count, uint32_t value1, uint32_t value2,
                               uint16_t* piIndexNamesLen, sqlca* pSqlca, char** piIndexList, char* piTablename)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term table;
    table.place(piTablename, zx(len));
    const uint32_t n = zx(count);
    SlotArray slots(kTag);
    // Either array failing its check leaves every index name as it is; the call goes on.
    if (n > 0 && piIndexNamesLen != nullptr && piIndexList != nullptr && accessible(piIndexNamesLen, 2 * n, kRead) &&
        accessible(piIndexList, 4 * n, kReadWrite)) {
        if (slots.take(n, 265) != 0) {
            table.restore();
            return memory_failed(pSqlca, diag("sqlgstat"));
        }
        for (uint32_t i = 0; i < n; ++i) slots.place(i, piIndexList[i], piIndexNamesLen[i]);
    }
    const int32_t rc = sqlustat_api(piTablename, n, piIndexList, value1 & 0xFFu, value2 & 0xFFu, pSqlca);
    slots.restore_and_release([&](uint32_t i) { return piIndexList[i]; }, 314);
    table.restore();
    return rc;
}
