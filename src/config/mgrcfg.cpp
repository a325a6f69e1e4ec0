// Database manager configuration in the legacy token-array form: the instance-wide twins of the
// database calls, with no alias. Gets and defaults pad as the database calls do; the update keeps
// a restore list of its own shape (below).
#include "native/config.h"
#include "config/tokens.h"
#include "frame/frame.h"

using namespace qx3;

namespace {

constexpr const char* kTag = "sqlgusys";

// One string-valued item of a manager update, whether or not its value got a terminator; each in
// a block of its own.
//
// OFFSET SIZE DESCRIPTION
//      0    4 index of the item in the caller's array
//      4    4 position of the NUL in the value, -1 when the item was not terminated
//      8    1 displaced byte
//      9    3 (padding)
//     12    4 next: the entry made before this one, or null
struct ManagerEntry {
    uint32_t index;
    int32_t pos;
    uint8_t saved;
    ManagerEntry* next;
};
static_assert(sizeof(ManagerEntry) == 16, "manager restore entry");
static_assert(offsetof(ManagerEntry, pos) == 4 && offsetof(ManagerEntry, saved) == 8 &&
                  offsetof(ManagerEntry, next) == 12,
              "manager restore entry");

class ManagerRestoreList {
public:
    // Takes an entry for item `index`, marked as holding no terminator, and pushes it at the
    // front. Null when the block cannot be had.
    ManagerEntry* push(uint32_t index) {
        void* block = nullptr;
        if (block_get(kTag, sizeof(ManagerEntry), &block) != 0) return nullptr;
        ManagerEntry* e = static_cast<ManagerEntry*>(block);
        e->index = index;
        e->pos = -1;
        e->saved = 0;
        e->next = head_;
        head_ = e;
        return e;
    }

    // Newest first: each terminator goes back into the value the caller's item points at now.
    void unwind(qx3ConfigItem* items) {
        while (head_ != nullptr) {
            ManagerEntry* e = head_;
            head_ = e->next;
            if (e->pos != -1) items[e->index].value[static_cast<uint32_t>(e->pos)] = static_cast<char>(e->saved);
            block_free(kTag, e);
        }
    }

private:
    ManagerEntry* head_ = nullptr;
};

using GetNative = int32_t(QX3_NATIVE*)(uint32_t, qx3ConfigItem*, sqlca*);

int32_t get(GetNative native, const cfg::TokenSet& set, qx3_u16w count, qx3ConfigItem* items, sqlca* pSqlca) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    const int32_t rc = native(zx(count), items, pSqlca);
    cfg::pad_items(set, items, zx(count));
    return rc;
}

}  // namespace

QX3_ENTRY(sqlgxsys, SQLGXSYS, (qx3_u16w count, qx3ConfigItem* items, sqlca* pSqlca)) {
    return get(sqlfxsys, cfg::kManagerGet, count, items, pSqlca);
}

QX3_ENTRY(sqlgdsys, SQLGDSYS, (qx3_u16w count, qx3ConfigItem* items, sqlca* pSqlca)) {
    return get(sqlfdsys, cfg::kManagerDefaults, count, items, pSqlca);
}

// Update: every string-valued item gets an entry first; its value is terminated only when it is
// there and passes its check. Unlike the database update, the value length array is checked in
// write mode (the item array, as there, in read-and-write mode); arrays that fail leave the native
// call to run with nothing terminated.
QX3_ENTRY(sqlgusys, SQLGUSYS, (qx3_u16w countWord, uint16_t* lengths, qx3ConfigItem* items, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    const uint32_t count = zx(countWord);
    ManagerRestoreList list;
    bool no_memory = false;
    if (count != 0 && accessible(lengths, 2 * count, kWrite) && accessible(items, 8 * count, kReadWrite)) {
        for (uint32_t i = 0; i < count; ++i) {
            if (!cfg::kManagerUpdate.contains(items[i].token)) continue;
            ManagerEntry* e = list.push(i);
            if (e == nullptr) {
                no_memory = true;
                break;
            }
            char* value = items[i].value;
            // The length is read only for a value that is there: a null value is skipped unread.
            if (value == nullptr) continue;
            const uint32_t n = lengths[i];
            if (accessible(value, n + 1, kReadWrite)) {
                e->saved = static_cast<uint8_t>(value[n]);
                e->pos = static_cast<int32_t>(n);
                value[n] = '\0';
            }
        }
    }
    const int32_t rc = no_memory ? memory_failed(pSqlca, diag("sqlgusys")) : sqlfusys(count, items, pSqlca);
    list.unwind(items);
    return rc;
}

// Reset: no frame; the native call has the whole say.
QX3_ENTRY(sqlgrsys, SQLGRSYS, (sqlca* pSqlca)) { return sqlfrsys(pSqlca); }
