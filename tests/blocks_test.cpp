// Memory blocks per call: each call takes exactly the blocks its behaviour needs and no more. The
// count comes from the stand-in's ledger of memory requests; the native call is made once, so the
// count is that of a call that went all the way.
//
// Blocks the behaviour needs: one restore entry per terminated string item of a configuration
// update; for a copied list, its slot array, its pointer array and one copy per entry; for a
// versioned configuration request beyond 64 items, one block for its native items and slots;
// nothing else. Entry points that never allocate are held to 0 by their conformance rows.
#include <string.h>

#include <functional>

#include "support/harness.h"

using namespace qx3test;

class Blocks : public EntryTest {
public:
    template <class... A>
    int32_t go(const char* name, A... a) { return call(name, a...); }
};

namespace {

// Texts of 5 characters in 8-byte cells of one guarded arena.
struct Texts {
    Guarded arena;
    explicit Texts(uint32_t n) : arena(8 * (n ? n : 1)) { arena.fill(0x61); }
    char* at(uint32_t i) const { return arena.chars() + 8 * i; }
};

struct BlockRow {
    const char* what;
    const char* native;
    unsigned blocks;
    std::function<int32_t(Blocks&, sqlca*)> run;
};

// sqlgudb with `strings` items of token 20 (string-valued) and `numbers` of token 1 (numeric).
int32_t udb(Blocks& t, sqlca* ca, uint32_t strings, uint32_t numbers) {
    const uint32_t n = strings + numbers;
    Guarded items(8 * (n ? n : 1)), lengths(2 * (n ? n : 1)), alias(7);
    Texts values(n);
    alias.set(0, "SAMPLEx");
    for (uint32_t i = 0; i < n; ++i) {
        items.as<qx3ConfigItem>()[i] = qx3ConfigItem{static_cast<uint16_t>(i < strings ? 20 : 1), 0, values.at(i)};
        lengths.as<uint16_t>()[i] = 5;
    }
    return t.go("sqlgudb", 6u, n, lengths.as<uint16_t>(), items.as<qx3ConfigItem>(), ca, alias.chars());
}

// qx3gCfgGet with n items and an alias.
int32_t cfg(Blocks& t, sqlca* ca, uint32_t n) {
    Guarded parm(sizeof(qx3gCfgParm)), items(16 * (n ? n : 1)), alias(7);
    Texts values(n);
    alias.set(0, "SAMPLEx");
    for (uint32_t i = 0; i < n; ++i) items.as<qx3gCfgItem>()[i] = qx3gCfgItem{20, 5, values.at(i), 0};
    *parm.as<qx3gCfgParm>() = qx3gCfgParm{n, items.as<qx3gCfgItem>(), 0, 6, alias.chars()};
    return t.go("qx3gCfgGet", 11010000u, parm.as<qx3gCfgParm>(), ca);
}

// qx3gBackup with a tablespace list of `ts` entries and a media list of `media` entries (-1: no
// list), three strings and both outputs.
int32_t backup(Blocks& t, sqlca* ca, int ts, int media) {
    const uint32_t nt = ts > 0 ? ts : 0, nm = media > 0 ? media : 0;
    Guarded parm(sizeof(qx3gBackupStruct)), tlist(8), mlist(12), tents(12 * (nt ? nt : 1)),
        ments(12 * (nm ? nm : 1)), out1(33), out2(15);
    Texts texts(nt + nm + 3);
    memset(parm.data(), 0, parm.size());
    qx3gBackupStruct* p = parm.as<qx3gBackupStruct>();
    for (uint32_t i = 0; i < nt; ++i) tents.as<qx3gTablespaceEntry>()[i] = qx3gTablespaceEntry{texts.at(i), 5, 0};
    for (uint32_t i = 0; i < nm; ++i) ments.as<qx3gMediaEntry>()[i] = qx3gMediaEntry{texts.at(nt + i), 5, 0};
    *tlist.as<qx3gTablespaceList>() = qx3gTablespaceList{tents.as<qx3gTablespaceEntry>(), nt};
    *mlist.as<qx3gMediaList>() = qx3gMediaList{ments.as<qx3gMediaEntry>(), nm, 'L', {0, 0, 0}};
    p->piTablespaceList = ts < 0 ? nullptr : tlist.as<qx3gTablespaceList>();
    p->piMediaList = media < 0 ? nullptr : mlist.as<qx3gMediaList>();
    p->piString1 = texts.at(nt + nm);
    p->piString2 = texts.at(nt + nm + 1);
    p->piString3 = texts.at(nt + nm + 2);
    p->iString1Len = p->iString2Len = p->iString3Len = 5;
    p->poOutput1 = out1.chars();
    p->iOutput1Len = 33;
    p->poOutput2 = out2.chars();
    p->iOutput2Len = 15;
    return t.go("qx3gBackup", 11010000u, p, ca);
}

}  // namespace

TEST_P(Blocks, EachCallTakesTheBlocksItsBehaviourNeeds) {
    const BlockRow rows[] = {
        {"sqlgudb, 3 string and 2 numeric items", "sqlfudb", 3, [](Blocks& t, sqlca* ca) { return udb(t, ca, 3, 2); }},
        {"sqlgudb, 0 items", "sqlfudb", 0, [](Blocks& t, sqlca* ca) { return udb(t, ca, 0, 0); }},
        {"sqlgudb, 1000 string items", "sqlfudb", 1000, [](Blocks& t, sqlca* ca) { return udb(t, ca, 1000, 0); }},
        {"qx3gCfgGet, 64 items", "qx3CfgGet", 0, [](Blocks& t, sqlca* ca) { return cfg(t, ca, 64); }},
        {"qx3gCfgGet, 65 items", "qx3CfgGet", 1, [](Blocks& t, sqlca* ca) { return cfg(t, ca, 65); }},
        {"qx3gCfgGet, 5000 items", "qx3CfgGet", 1, [](Blocks& t, sqlca* ca) { return cfg(t, ca, 5000); }},
        {"qx3gBackup, no lists", "qx3Backup", 0, [](Blocks& t, sqlca* ca) { return backup(t, ca, -1, -1); }},
        {"qx3gBackup, two lists of 2", "qx3Backup", 8, [](Blocks& t, sqlca* ca) { return backup(t, ca, 2, 2); }},
        {"qx3gBackup, lists of 0 and 3", "qx3Backup", 7, [](Blocks& t, sqlca* ca) { return backup(t, ca, 0, 3); }},
        {"qx3gBackup, media list of 300", "qx3Backup", 302, [](Blocks& t, sqlca* ca) { return backup(t, ca, -1, 300); }},
    };
    for (const BlockRow& r : rows) {
        SCOPED_TRACE(r.what);
        expect_native_layer_clean();
        Status st;
        standin::set_result(r.native, 0x1234);
        EXPECT_EQ(r.run(*this, st.ca()), 0x1234);
        EXPECT_EQ(calls(r.native).size(), 1u) << "the call went all the way";
        EXPECT_EQ(standin::allocations(), r.blocks) << "memory requests";
        EXPECT_EQ(calls("sqlofmblkEx").size(), r.blocks) << "releases";
    }
}

QX3_BACKENDS(Blocks);
