// Hand-written conversions of the benchmark's entry points: the least code that still does what
// each call must do (application-data step, pointer checks asked for, terminators lent and taken
// back, native records, blocks, padding), written straight through with no shared mechanism. The
// library's overhead is held against theirs.
#include <string.h>

#include "native/backup.h"
#include "native/config.h"
#include "native/strcmd.h"

#define HW_EXPORT extern "C" __attribute__((visibility("default")))
#define HW_API __attribute__((stdcall))

namespace {

inline bool ready() { return sqlo_create_init_app_data(0x8E8215) == 0; }
inline bool ok(const void* p, uint32_t n, uint8_t mode) {
    return sqlo_ptr_check_active() == 0 || sqlagcptr_real(p, n, mode) == 0;
}
// Lends s[n] a NUL; returns the position (or -1) and keeps the byte.
inline int32_t lend(char* s, uint32_t n, char& saved) {
    if (s == nullptr || n == 0xFFFFFFFFu || !ok(s, n + 1, 3)) return -1;
    saved = s[n];
    s[n] = '\0';
    return static_cast<int32_t>(n);
}
inline void give_back(char* s, int32_t pos, char saved) {
    if (pos != -1) s[pos] = saved;
}

}  // namespace

HW_EXPORT int32_t HW_API hw_sqlgrdb(uint32_t len, sqlca* ca, char* alias) {
    if (!ready()) {
        ca->sqlcode = -1022;
        return 0;
    }
    char b;
    const int32_t t = lend(alias, len & 0xFFFF, b);
    const int32_t rc = sqlfrdb(alias, ca);
    give_back(alias, t, b);
    return rc;
}

HW_EXPORT int32_t HW_API hw_sqlgatin(uint32_t l1, uint32_t l2, uint32_t l3, sqlca* ca, char* s1, char* s2, char* s3) {
    if (!ready()) {
        ca->sqlcode = -1022;
        return 0;
    }
    char b1, b2, b3;
    const int32_t t1 = lend(s1, l1 & 0xFFFF, b1), t2 = lend(s2, l2 & 0xFFFF, b2), t3 = lend(s3, l3 & 0xFFFF, b3);
    const int32_t rc = sqleatin_api(s3, s2, s1, ca);
    give_back(s3, t3, b3);
    give_back(s2, t2, b2);
    give_back(s1, t1, b1);
    return rc;
}

HW_EXPORT int32_t HW_API hw_sqlgfrce(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4) {
    return sqlefrce_api(w4, w3, w2 & 0xFFFF, w1);
}

// One item and an alias; up to eight items in the frame (the benchmark passes one).
HW_EXPORT int32_t HW_API hw_qx3gCfgGet(uint32_t version, qx3gCfgParm* parm, sqlca* ca) {
    if (!ready()) {
        ca->sqlcode = -1022;
        return 0;
    }
    char ab;
    const int32_t at = lend(parm->piDbAlias, parm->iDbAliasLen, ab);
    qx3CfgItem items[8];
    int32_t pos[8];
    char saved[8];
    const uint32_t n = parm->iNumItems < 8 ? parm->iNumItems : 8;
    for (uint32_t i = 0; i < n; ++i) {
        const qx3gCfgItem& it = parm->piItems[i];
        pos[i] = lend(it.pioValue, it.iValueLen, saved[i]);
        items[i] = qx3CfgItem{it.iToken, it.pioValue, it.iFlags};
    }
    qx3CfgParm req{n, items, parm->iFlags, parm->piDbAlias};
    const int32_t rc = qx3CfgGet(version, &req, ca);
    give_back(parm->piDbAlias, at, ab);
    for (uint32_t i = 0; i < n; ++i) give_back(parm->piItems[i].pioValue, pos[i], saved[i]);
    return rc;
}

namespace {

struct Copy {
    char** ptrs = nullptr;
    int32_t* pos = nullptr;  // two words per entry: position, byte
};

// One copied list: slot array and pointer array, then per entry a terminator and a copy.
inline int32_t copy_list(char* const* texts, const uint32_t* lens, uint32_t stride, uint32_t n, Copy& c,
                         char** out_ptrs) {
    int32_t rc1 = 0, rc2 = 0;
    void* slots = sqloGetMemoryBlockExtended(0, n * 8, 0, &rc1, 0, "sqlgbkp", 1);
    void* ptrs = sqloGetMemoryBlockExtended(0, n * 12, 0, &rc2, 0, "sqlgbkp", 2);
    if (rc1 == 0) c.pos = static_cast<int32_t*>(slots);
    if (rc2 == 0) c.ptrs = static_cast<char**>(ptrs);
    if (rc1 != 0 || rc2 != 0) return -83;
    for (uint32_t i = 0; i < n; ++i) {
        c.pos[2 * i] = -1;
        c.ptrs[i] = nullptr;
    }
    *out_ptrs = reinterpret_cast<char*>(c.ptrs);
    int32_t status = 0;
    for (uint32_t i = 0; i < n; ++i) {
        char* p = *reinterpret_cast<char* const*>(reinterpret_cast<const char*>(texts) + i * stride);
        const uint32_t l = *reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(lens) + i * stride);
        if (p != nullptr && !ok(p, l, 3)) continue;
        if (p != nullptr) {
            status = ok(p, l + 1, 3) ? 0 : 1;
            if (status == 0) {
                c.pos[2 * i + 1] = static_cast<uint8_t>(p[l]);
                p[l] = '\0';
                c.pos[2 * i] = static_cast<int32_t>(l);
            }
        }
        int32_t rc = 0;
        char* block = static_cast<char*>(sqloGetMemoryBlockExtended(0, l + 1, 0, &rc, 0, "sqlgbkp", 3));
        if (rc != 0) return -83;
        c.ptrs[i] = block;
        if (p != nullptr) {
            memcpy(block, p, l);
            block[l] = '\0';
        }
    }
    return status;
}

inline void undo_list(char* const* texts, uint32_t stride, uint32_t n, Copy& c) {
    if (c.pos != nullptr) {
        for (uint32_t i = 0; i < n; ++i) {
            if (c.pos[2 * i] == -1) continue;
            char* p = *reinterpret_cast<char* const*>(reinterpret_cast<const char*>(texts) + i * stride);
            p[c.pos[2 * i]] = static_cast<char>(c.pos[2 * i + 1]);
        }
        sqlofmblkEx("sqlgbkp", 4, c.pos);
    }
}

inline void free_list(uint32_t n, Copy& c) {
    if (c.ptrs == nullptr) return;
    for (uint32_t i = 0; i < n; ++i)
        if (c.ptrs[i] != nullptr) sqlofmblkEx("sqlgbkp", 5, c.ptrs[i]);
    sqlofmblkEx("sqlgbkp", 6, c.ptrs);
}

inline void pad(char* p, uint32_t n) {
    if (p == nullptr || !ok(p, n, 2)) return;
    uint32_t i = 0;
    while (i < n && p[i] != '\0') ++i;
    for (; i < n; ++i) p[i] = ' ';
}

}  // namespace

// The benchmark's version reaches every field of the record.
HW_EXPORT int32_t HW_API hw_qx3gBackup(uint32_t version, qx3gBackupStruct* parm, sqlca* ca) {
    if (!ready()) {
        ca->sqlcode = -1022;
        return 0;
    }
    if (parm == nullptr || !ok(parm, sizeof *parm, 3)) {
        if (sqloincaChkptr(ca) == 0) {
            ca->sqlcode = -83;
            memcpy(ca->sqlerrp, "qx3gBack", 8);
        }
        return -83;
    }
    qx3BackupStruct nat;
    memset(&nat, 0, sizeof nat);
    qx3TablespaceList tl{nullptr, 0};
    qx3MediaList ml{nullptr, 0, 0, {0, 0, 0}};
    Copy tc, mc;
    qx3gTablespaceList* gt = parm->piTablespaceList;
    qx3gMediaList* gm = parm->piMediaList;
    int32_t rc = 0;
    if (gt != nullptr) {
        nat.piTablespaceList = &tl;
        if (ok(gt, 8, 3) && ok(gt->piEntries, gt->iNumEntries * 12, 3)) {
            tl.iNumEntries = gt->iNumEntries;
            rc = copy_list(&gt->piEntries[0].piName, &gt->piEntries[0].iNameLen, 12, tl.iNumEntries, tc,
                           reinterpret_cast<char**>(&tl.piEntries));
        }
    }
    if (rc == 0 && gm != nullptr) {
        nat.piMediaList = &ml;
        if (ok(gm, 12, 3) && ok(gm->piEntries, gm->iNumEntries * 12, 3)) {
            ml.iNumEntries = gm->iNumEntries;
            ml.iMediaType = gm->iMediaType;
            rc = copy_list(&gm->piEntries[0].piEntry, &gm->piEntries[0].iEntryLen, 12, ml.iNumEntries, mc,
                           reinterpret_cast<char**>(&ml.piEntries));
        }
    }
    char b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0;
    int32_t t1 = -1, t2 = -1, t3 = -1, t4 = -1, t5 = -1;
    if (rc == -83) {
        if (sqloincaChkptr(ca) == 0) {
            ca->sqlcode = -83;
            memcpy(ca->sqlerrp, "qx3gBack", 8);
        }
    } else if (rc == 0) {
        t1 = lend(parm->piString1, parm->iString1Len, b1);
        t2 = lend(parm->piString2, parm->iString2Len, b2);
        t3 = lend(parm->piString3, parm->iString3Len, b3);
        nat.piString1 = parm->piString1;
        nat.piString2 = parm->piString2;
        nat.piString3 = parm->piString3;
        memcpy(nat.iWord1to8, parm->iWord1to8, sizeof nat.iWord1to8);
        nat.iWord9 = parm->iWord9;
        t4 = lend(parm->piString4, parm->iString4Len, b4);
        nat.piString4 = parm->piString4;
        nat.iWord10 = parm->iWord10;
        nat.iWord11 = parm->iWord11;
        memcpy(nat.iWord12to16, parm->iWord12to16, sizeof nat.iWord12to16);
        t5 = lend(parm->piString5, parm->iString5Len, b5);
        nat.piString5 = parm->piString5;
        nat.iWord17 = parm->iWord17;
        nat.iWord18 = parm->iWord18;
        rc = qx3Backup(version, &nat, ca);
        if (parm->poOutput1 != nullptr) memcpy(parm->poOutput1, nat.oOutput1, parm->iOutput1Len);
        if (parm->poOutput2 != nullptr) memcpy(parm->poOutput2, nat.oOutput2, parm->iOutput2Len);
        pad(parm->poOutput2, parm->iOutput2Len);
        pad(parm->poOutput1, parm->iOutput1Len);
    }
    give_back(parm->piString4, t4, b4);
    give_back(parm->piString3, t3, b3);
    give_back(parm->piString2, t2, b2);
    give_back(parm->piString1, t1, b1);
    give_back(parm->piString5, t5, b5);
    if (gm != nullptr) undo_list(&gm->piEntries[0].piEntry, 12, ml.iNumEntries, mc);
    if (gt != nullptr) undo_list(&gt->piEntries[0].piName, 12, tl.iNumEntries, tc);
    free_list(tl.iNumEntries, tc);
    free_list(ml.iNumEntries, mc);
    return rc;
}
