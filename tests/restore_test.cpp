// Restore: qx3gRestore's native record by version, its four copied lists and its twelve strings.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

// ---- qx3gRestore ------------------------------------------------------------------------------

// Generic offsets of the twelve string pointers (each length 4 bytes after its pointer).
constexpr uint32_t kStringAt[12] = {0, 8, 24, 32, 40, 56, 64, 72, 108, 124, 148, 156};

// A generic restore record in caller memory: twelve strings, four lists, a null output, and a
// distinct word in every other field (the two words never read included).
struct RestoreCall {
    CallerMemory mem;
    qx3gRestoreStruct* rec = nullptr;
    char* s[12] = {};
    uint32_t len[12] = {};
    Generic<qx3gTablespaceList> ts, list3, list4;
    Generic<qx3gMediaList> media;

    explicit RestoreCall(bool lists = true) {
        for (int i = 0; i < 12; ++i) {
            const std::string t = "string" + std::to_string(i + 1) + std::string(static_cast<size_t>(i), '+');
            s[i] = mem.text("string " + std::to_string(i + 1), t);
            len[i] = static_cast<uint32_t>(t.size());
        }
        if (lists) {
            ts = generic_tablespaces(mem, "tablespaces", {std::string("TS1"), std::string("TS22")});
            media = generic_media(mem, "media", 'S', {std::string("/m/a"), std::string("/m/bb")});
            list3 = generic_tablespaces(mem, "list 3", {std::string("L3A"), std::string("L3BB")});
            list4 = generic_tablespaces(mem, "list 4", {std::string("L4A"), std::string("L4BB")});
        }
        Guarded& r = mem.add("record", sizeof(qx3gRestoreStruct));
        for (uint32_t off = 0; off < sizeof(qx3gRestoreStruct); off += 4) {
            const uint32_t word = 0xC0000000u + off;
            memcpy(r.data() + off, &word, 4);
        }
        rec = r.as<qx3gRestoreStruct>();
        for (int i = 0; i < 12; ++i) {
            memcpy(r.data() + kStringAt[i], &s[i], 4);
            memcpy(r.data() + kStringAt[i] + 4, &len[i], 4);
        }
        rec->poOutput1 = nullptr;
        rec->piTablespaceList = lists ? ts.list : nullptr;
        rec->piMediaList = lists ? media.list : nullptr;
        rec->piList3 = lists ? list3.list : nullptr;
        rec->piList4 = lists ? list4.list : nullptr;
    }
    // Strings 9, 10 and 12 are read from versions R1, R2 and R5 on.
    std::vector<const char*> lent_strings(unsigned conds) const {
        std::vector<const char*> out;
        for (int i = 0; i < 12; ++i)
            if (i < 8 || i == 10 || (conds & (i == 8 ? 1u : i == 9 ? 2u : 16u))) out.push_back(s[i] + len[i]);
        return out;
    }
};

// Version conditions as bits; a field whose condition is 0 is always read.
enum : unsigned { R1 = 1, R2 = 2, R3 = 4, R4 = 8, R5 = 16 };

// Runs of 4-byte fields of the native record: generic offset, native offset, count, condition.
struct FieldRun {
    uint32_t generic, native, count;
    unsigned cond;
};
const FieldRun kRestoreFields[] = {{0, 0, 1, 0},     {8, 4, 1, 0},      {24, 44, 1, 0},    {32, 48, 1, 0},
                                   {40, 52, 1, 0},   {56, 64, 1, 0},    {64, 68, 1, 0},    {72, 72, 1, 0},
                                   {80, 76, 7, 0},   {108, 104, 1, R1}, {116, 108, 2, R1}, {124, 116, 1, R2},
                                   {148, 132, 1, 0}, {156, 140, 1, R5}, {164, 144, 2, R5}};
// The four list fields: native offset and the condition under which the list is read.
const FieldRun kListFields[] = {{0, 56, 1, 0}, {0, 60, 1, 0}, {0, 120, 1, R3}, {0, 128, 1, R4}};

const struct {
    uint32_t version;
    unsigned conds;
} kRestoreVersions[] = {
    {0, 0},                           {8010399, 0},                     {8010400, R1},
    {8019999, R1},                    {8020000, R1 | R2},               {8020199, R1 | R2},
    {8020200, R1 | R2 | R3},          {9070199, R1 | R2 | R3},          {9070200, R1 | R2 | R3 | R4},
    {9079999, R1 | R2 | R3 | R4},     {9080000, R1 | R2 | R3},          {10009999, R1 | R2 | R3},
    {10010000, R1 | R2 | R3 | R4},    {10010399, R1 | R2 | R3 | R4},    {10010400, R1 | R2 | R3 | R4 | R5},
    {10049999, R1 | R2 | R3 | R4 | R5}, {10050000, R1 | R2 | R3 | R4},  {10050299, R1 | R2 | R3 | R4},
    {10050300, R1 | R2 | R3 | R4 | R5}, {0x80000000, R1 | R2 | R3 | R4 | R5}, {0xFFFFFFFF, R1 | R2 | R3 | R4 | R5},
};

class Restore : public EntryTest {};

TEST_P(Restore, NativeRecordByVersion) {
    for (const auto& v : kRestoreVersions) {
        SCOPED_TRACE("version " + std::to_string(v.version));
        standin::reset();
        RestoreCall b;
        const auto before = b.mem.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = b.mem.snapshot(); });
        Status st;

        EXPECT_EQ(call("qx3gRestore", v.version, b.rec, st.ca()), 0);

        auto natives = calls("qx3Restore");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words[0], v.version);
        const Bytes& seen = natives[0].record;
        ASSERT_EQ(seen.size(), 156u);
        Bytes expected(156, 0);
        const uint8_t* generic = reinterpret_cast<const uint8_t*>(b.rec);
        for (const FieldRun& f : kRestoreFields)
            if ((f.cond & ~v.conds) == 0) memcpy(expected.data() + f.native, generic + f.generic, 4 * f.count);
        // A list field holds the call's own native list (an address of its stack) when read.
        for (const FieldRun& f : kListFields) {
            const bool read = (f.cond & ~v.conds) == 0;
            uint32_t field;
            memcpy(&field, seen.data() + f.native, 4);
            EXPECT_EQ(field != 0, read) << "list field at " << f.native;
            if (read) memcpy(expected.data() + f.native, seen.data() + f.native, 4);
        }
        EXPECT_TRUE(SameBytes(expected, seen.data(), seen.size()));
        ASSERT_EQ(natives[0].lists.size(), 4u);
        EXPECT_EQ(shown(natives[0].lists[0]), (std::vector<std::string>{"TS1", "TS22"}));
        EXPECT_EQ(shown(natives[0].lists[1]), (std::vector<std::string>{"/m/a", "/m/bb"}));
        using Names = std::vector<std::string>;
        EXPECT_EQ(shown(natives[0].lists[2]), ((v.conds & R3) ? Names{"L3A", "L3BB"} : Names{}));
        EXPECT_EQ(shown(natives[0].lists[3]), ((v.conds & R4) ? Names{"L4A", "L4BB"} : Names{}));

        std::vector<const char*> lent = b.lent_strings(v.conds);
        for (const char* p : b.ts.borrowed()) lent.push_back(p);
        for (const char* p : b.media.borrowed()) lent.push_back(p);
        if (v.conds & R3) for (const char* p : b.list3.borrowed()) lent.push_back(p);
        if (v.conds & R4) for (const char* p : b.list4.borrowed()) lent.push_back(p);
        EXPECT_TRUE(b.mem.Same(b.mem.with_nuls(before, lent), during)) << "during the call";
        EXPECT_TRUE(b.mem.Is(before)) << "afterwards";
        EXPECT_EQ(standin::allocations(), 8u + ((v.conds & R3) ? 4u : 0u) + ((v.conds & R4) ? 4u : 0u));
    }
}

// An entry whose text fails its check ends the call when it is the last check made in its list;
// an empty list 3 or 4 takes no block, its record checked and its entry array not.
TEST_P(Restore, BadEntriesAndEmptyLists) {
    struct Row {
        const char* what;
        int list;       // 0 tablespace, 1 media, 2 list 3, 3 list 4
        int entry;      // its text passes the check over L and fails the one over L + 1; -1: the list is empty
        int32_t rc;
        size_t requests;
    } rows[] = {
        {"tablespace list, last entry", 0, 1, 0x44, 4},
        {"media list, last entry", 1, 1, 0x44, 8},
        {"list 3, last entry", 2, 1, 0x44, 12},
        {"list 4, first entry: goes on", 3, 0, 0, 16},
        {"list 3 empty: four blocks for each of the other three lists", 2, -1, 0, 12},
        {"list 4 empty", 3, -1, 0, 12},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        RestoreCall b;
        const std::vector<char*>* texts[] = {&b.ts.texts, &b.media.texts, &b.list3.texts, &b.list4.texts};
        const std::vector<uint32_t>* lens[] = {&b.ts.lengths, &b.media.lengths, &b.list3.lengths, &b.list4.lengths};
        Generic<qx3gTablespaceList>& numbered = r.list == 2 ? b.list3 : b.list4;
        const size_t l = static_cast<size_t>(r.list), e = static_cast<size_t>(r.entry);
        standin::checks_active(true);
        if (r.entry >= 0) standin::fail_checks((*texts[l])[e] + (*lens[l])[e], 1, standin::mode_bit(3), 0x44);
        else numbered.list->iNumEntries = 0;
        const auto before = b.mem.snapshot();
        Status st;
        EXPECT_EQ(call("qx3gRestore", 10050300u, b.rec, st.ca()), r.rc);
        EXPECT_EQ(calls("qx3Restore").size(), r.rc == 0 ? 1u : 0u);
        EXPECT_EQ(standin::allocations(), r.requests);
        EXPECT_TRUE(b.mem.Is(before));
        EXPECT_TRUE(standin::live_blocks().empty());
        if (r.rc != 0) {
            EXPECT_TRUE(st.untouched());
            continue;
        }
        const auto natives = calls("qx3Restore");
        const standin::Call& native = natives.at(0);
        if (r.entry >= 0) {
            std::vector<std::string> seen = shown(native.lists[l]);
            ASSERT_EQ(seen.size(), 2u);
            EXPECT_NE(seen[e], "<null>") << "copied, though not terminated";
            continue;
        }
        uint32_t field;
        memcpy(&field, native.record.data() + (r.list == 2 ? 120 : 128), 4);
        EXPECT_NE(field, 0u) << "the field points at an empty native list";
        EXPECT_EQ(native.lists[l].count, 0u);
        bool record_checked = false;
        for (const standin::Check& c : standin::checks()) {
            EXPECT_NE(c.p, reinterpret_cast<uintptr_t>(numbered.entries));
            record_checked |= c.p == reinterpret_cast<uintptr_t>(numbered.list);
        }
        EXPECT_TRUE(record_checked);
    }
}

TEST_P(Restore, OneBufferAsEveryStringComesBack) {
    for (uint32_t version : {0u, 10050300u}) {
        SCOPED_TRACE(version);
        standin::reset();
        RestoreCall b(false);
        for (int i = 1; i < 12; ++i) {
            memcpy(reinterpret_cast<char*>(b.rec) + kStringAt[i], &b.s[0], 4);
            memcpy(reinterpret_cast<char*>(b.rec) + kStringAt[i] + 4, &b.len[0], 4);
        }
        const auto before = b.mem.snapshot();
        Status st;
        ASSERT_EQ(call("qx3gRestore", version, b.rec, st.ca()), 0);
        EXPECT_TRUE(b.mem.Is(before));
    }
}

QX3_BACKENDS(Restore);

}  // namespace
