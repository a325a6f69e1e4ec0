// Versioned configuration: one request of any number of parameters, each value buffer and the
// alias terminated in place, one native call over a native request built for the call, every
// displaced byte given back. No parameter is string or numeric here: every value with a buffer is
// terminated at its length.
#include "native/config.h"
#include "frame/frame.h"

using namespace qx3;

namespace {

constexpr const char* kTag = "sqlgcfg";

// Requests up to this many items convert in the entry point's own frame; larger ones take one
// block for their native items and terminator slots, so no count is refused.
constexpr uint32_t kFrameItems = 64;
constexpr uint32_t kRoomPerItem = sizeof(qx3CfgItem) + sizeof(SlotRecord);
static_assert(kRoomPerItem == 20 && sizeof(qx3CfgItem) % alignof(SlotRecord) == 0, "native item, then slot");
// More items than this cannot be described by one block.
constexpr uint32_t kMostItems = 0xFFFFFFFFu / kRoomPerItem;

using CfgNative = int32_t(QX3_NATIVE*)(uint32_t, qx3CfgParm*, sqlca*);

// The native is a template argument: each entry point calls its own native directly, with the
// conversion inlined into it, rather than through a pointer.
template <CfgNative native>
[[gnu::always_inline]] inline int32_t configure(const DiagName& name, uint32_t version, qx3gCfgParm* parm, sqlca* pSqlca) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term alias;
    alias.place(parm->piDbAlias, parm->iDbAliasLen);

    const uint32_t count = parm->iNumItems;
    qx3CfgItem frame_items[kFrameItems];
    SlotRecord frame_slots[kFrameItems];
    qx3CfgItem* items = frame_items;
    SlotRecord* slots = frame_slots;
    void* room = nullptr;
    uint32_t converted = 0;
    int32_t rc = 0;
    if (count > kFrameItems &&
        (count > kMostItems || block_get(kTag, count * kRoomPerItem, &room) != 0)) {
        rc = memory_failed(pSqlca, name);
    } else {
        if (room != nullptr) {
            items = static_cast<qx3CfgItem*>(room);
            slots = reinterpret_cast<SlotRecord*>(items + count);
        }
        qx3CfgParm request{count, items, parm->iFlags, parm->piDbAlias};
        // The count is read again before every item; the room taken bounds it all the same.
        for (uint32_t i = 0; i < parm->iNumItems && i < count; ++i) {
            const qx3gCfgItem& item = parm->piItems[i];
            Slot slot;
            slot.place(item.pioValue, item.iValueLen);
            slots[i] = SlotRecord{slot.pos, slot.saved};
            items[i] = qx3CfgItem{item.iToken, item.pioValue, item.iFlags};
            converted = i + 1;
        }
        rc = native(version, &request, pSqlca);
    }

    // Newest first, the alias last, so that terminators sharing a byte give the caller's back; each
    // byte goes into the buffer the caller's item points at now. A value the native call wrote up to
    // its length loses that byte to the caller's.
    for (uint32_t i = converted; i-- > 0;) {
        if (i < parm->iNumItems && slots[i].pos != -1)
            parm->piItems[i].pioValue[static_cast<uint32_t>(slots[i].pos)] = static_cast<char>(slots[i].saved);
    }
    alias.restore();
    if (room != nullptr) block_free(kTag, room);
    return rc;
}

}  // namespace

QX3_ENTRY(qx3gCfgGet, QX3GCFGGET, (uint32_t version, qx3gCfgParm* pParmStruct, sqlca* pSqlca)) {
    return configure<qx3CfgGet>(diag("qx3gCfgG"), version, pParmStruct, pSqlca);
}

QX3_ENTRY(qx3gCfgSet, QX3GCFGSET, (uint32_t version, qx3gCfgParm* pParmStruct, sqlca* pSqlca)) {
    return configure<qx3CfgSet>(diag("qx3gCfgS"), version, pParmStruct, pSqlca);
}
