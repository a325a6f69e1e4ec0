// Versioned configuration: the native request built from the caller's, every value terminated
// whatever its token, requests of any size, and the caller's bytes given back.
#include "support/conformance.h"

using namespace qx3test;

namespace {

// A request in caller memory: the record and the item array each against a guard page, then
// whatever else a test adds.
struct VRequest : CallerMemory {
    Guarded &parm, &items;
    explicit VRequest(uint32_t n) : parm(add("record", sizeof(qx3gCfgParm))), items(add("items", 16 * n)) {
        *p() = qx3gCfgParm{n, items.as<qx3gCfgItem>(), 0x600DF1A6, 0, nullptr};
    }
    qx3gCfgParm* p() const { return parm.as<qx3gCfgParm>(); }
    qx3gCfgItem& item(uint32_t i) const { return items.as<qx3gCfgItem>()[i]; }
};

}  // namespace

class VersionedConfig : public EntryTest {};

// The caller's record is read again: the count before every item converted, so that a terminator
// lowering it (item 0's value is the count's second byte, 257 becomes 1) ends the loop there and
// item 1 is neither lent a NUL nor given one back; and by the restore pass, each buffer through the
// item's pointer as it stands after the native call, only as many items as the count then says.
TEST_P(VersionedConfig, RestoreReadsTheCallersRecordAgain) {
    const struct { const char* what; uint32_t count_before; bool move_pointer; uint32_t count_after; } rows[] = {
        {"pointer moved", 2, true, 2}, {"count lowered to 1", 2, false, 1}, {"count raised", 2, false, 7},
        {"count lowered by a terminator", 257, false, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        expect_native_layer_clean();
        VRequest r(2);
        Guarded a(5), b(5), c(3);
        a.set(0, "abcdX");
        b.set(0, "vwxyZ");
        c.set(0, "pqR");
        const bool both = row.count_before == 2;  // both items converted; else item 0's value is the count's 2nd byte
        r.item(0) = both ? qx3gCfgItem{1, 4, a.chars(), 0} : qx3gCfgItem{1, 0, r.parm.chars() + 1, 0};
        r.item(1) = qx3gCfgItem{2, 2, c.chars(), 0};
        r.p()->iNumItems = row.count_before;
        std::string during;
        standin::during_call([&](const standin::Call&) {
            during.assign(a.chars(), 5);
            if (row.move_pointer) r.item(0).pioValue = b.chars();
            r.p()->iNumItems = row.count_after;
        });
        Status st;
        EXPECT_EQ(call("qx3gCfgSet", 1u, r.p(), st.ca()), 0);
        EXPECT_EQ(during, both ? std::string("abcd\0", 5) : "abcdX");
        EXPECT_EQ(std::string(a.chars(), 5), row.move_pointer ? std::string("abcd\0", 5) : "abcdX");
        EXPECT_EQ(std::string(b.chars(), 5), row.move_pointer ? "vwxyX" : "vwxyZ");
        EXPECT_EQ(std::string(c.chars(), 3), both && row.count_after == 1 ? std::string("pq\0", 3) : "pqR");
        EXPECT_EQ(r.p()->iNumItems, both ? row.count_after : 257u) << "the count's byte given back";
    }
}

// Any number of items: none (the empty item array not looked at), up to 64 in the frame, more in
// one block of the configuration's tag; a block that cannot be had is the memory failure exit, the
// alias given back and no value touched. Item i's value is one character at 2i of one buffer,
// under a token no table knows: every value is terminated whatever its token, and the native items
// carry token, pointer and flags in the caller's order. The alias is lent its NUL at its length,
// unless that is 0xFFFFFFFF: no byte lies behind it, and the one before it stays. (Null values and
// failing checks are the rows'.)
TEST_P(VersionedConfig, RequestsOfAnySize) {
    const struct { const char *ep, *native, *errp; } entries[] = {
        {"qx3gCfgGet", "qx3CfgGet", "qx3gCfgG"}, {"qx3gCfgSet", "qx3CfgSet", "qx3gCfgS"}};
    // refuse: -1, the block is had; else the allocation fails and sqloincaChkptr returns this.
    const struct { uint32_t n; unsigned blocks; int32_t refuse; uint32_t alias; } rows[] = {
        {0, 0, -1, 4}, {64, 0, -1, 0xFFFFFFFF}, {65, 1, -1, 4}, {10000, 1, -1, 0xFFFFFFFF}, {65, 0, 0, 4}, {65, 0, 1, 4}};
    for (const auto& e : entries) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(e.ep) + " with " + std::to_string(row.n) + " items, refuse " +
                         std::to_string(row.refuse) + ", alias length " + std::to_string(row.alias));
            expect_native_layer_clean();
            VRequest r(row.n);
            Guarded &values = r.add("values", 2 * row.n), &alias = r.add("alias", 6);
            for (uint32_t i = 0; i < row.n; ++i)
                r.item(i) = qx3gCfgItem{100000 + i, 1, values.chars() + 2 * i, i ^ 0x5A5A};
            r.p()->piDbAlias = alias.chars() + 1;
            r.p()->iDbAliasLen = row.alias;
            const auto before = r.snapshot();
            qx3CfgParm seen{};
            std::vector<qx3CfgItem> seen_items;
            std::vector<Bytes> during;
            standin::during_call([&](const standin::Call& c) {
                seen = *reinterpret_cast<const qx3CfgParm*>(uintptr_t{c.words[1]});  // it lives only during the call
                seen_items.assign(seen.items, seen.items + seen.count);
                during = r.snapshot();
            });
            if (row.refuse >= 0) standin::fail_allocation(1), standin::refuse_sqlca(row.refuse);
            Status st;
            EXPECT_EQ(call(e.ep, 4u, r.p(), st.ca()), row.refuse >= 0 ? -83 : 0);
            EXPECT_TRUE(r.Is(before));
            if (row.refuse >= 0) {
                EXPECT_TRUE(calls(e.native).empty());
                EXPECT_TRUE(SameBytes(row.refuse == 0 ? st.with(-83, e.errp) : st.before, st.mem));
                continue;
            }
            EXPECT_EQ(seen.flags, 0x600DF1A6u);
            EXPECT_EQ(seen.alias, alias.chars() + 1);
            ASSERT_EQ(seen_items.size(), row.n);
            std::vector<qx3CfgItem> expect(row.n);
            std::vector<const char*> lent;
            if (row.alias == 4) lent.push_back(alias.chars() + 5);
            for (uint32_t i = 0; i < row.n; ++i) {
                expect[i] = {100000 + i, values.chars() + 2 * i, i ^ 0x5A5A};
                lent.push_back(values.chars() + 2 * i + 1);
            }
            const uint8_t* want = reinterpret_cast<const uint8_t*>(expect.data());
            EXPECT_TRUE(SameBytes(Bytes(want, want + 12 * row.n), seen_items.data(), 12 * row.n)) << "native items";
            EXPECT_TRUE(r.Same(r.with_nuls(before, lent), during)) << "during the call";
            auto got = calls("sqloGetMemoryBlockExtended");
            ASSERT_EQ(got.size(), row.blocks);
            if (row.blocks) {
                EXPECT_EQ(got[0].words[1], 20 * row.n) << "12 bytes of native item and 8 of slot per item";
                EXPECT_EQ(standin::show(got[0].strings[5]), "sqlgcfg");
            }
        }
    }
}

QX3_BACKENDS(VersionedConfig);

using namespace qx3test::conf;

// ---- Both entry points against their rows -----------------------------------------------------------

// A request with an alias and two items; the native record is the library's own.
#define QX3_CFG_ROW(entry, native_name)                                                                  \
    {.name = entry, .words = "vrc", .native = native_name, .args = "1 ? 3", .version = 0x0A0B0C0D,       \
     .recs = {R(2, 20), RF(1, 4, 32)}, .strings = {SF(1, 16, 12), SF(2, 8, 4), SF(2, 24, 20)},             \
     .vals = {{F(1, 0), 2}}}
QX3_CONFORMANCE(VersionedConfigRows, QX3_CFG_ROW("qx3gCfgGet", "qx3CfgGet"), QX3_CFG_ROW("qx3gCfgSet", "qx3CfgSet"));
#undef QX3_CFG_ROW
