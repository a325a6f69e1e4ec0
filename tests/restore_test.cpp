// The native records of qx3gBackup, qx3gRestore and qx3gRecover by version, as runs of fields, and
// what qx3gRestore does with a bad list entry or an empty list.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

// Version conditions as bits; a field whose condition is 0 is always read.
enum : unsigned { C1 = 1, C2 = 2, C3 = 4, C4 = 8, C5 = 16 };

// A run of 4-byte fields: generic offset, native offset, count, condition.
struct FieldRun {
    uint32_t generic, native, count;
    unsigned cond;
};
struct ListField {
    uint32_t generic, native;
    unsigned cond;
    bool media;
};
struct VersionRow {
    uint32_t version;
    unsigned conds;
    bool read_only_fails = false;  // checks active; every check of the record for reading fails
    bool shared = false;           // every string is the first string's buffer
};
struct MapRow {
    const char *entry, *native;
    uint32_t size, native_size;
    std::vector<uint32_t> strings;  // generic offsets of the string pointers, each length behind it
    std::vector<uint32_t> nulls;    // pointer fields left null
    std::vector<ListField> lists;
    std::vector<FieldRun> runs;
    std::vector<VersionRow> versions;
    bool read(unsigned cond, const VersionRow& v) const { return (cond & ~v.conds) == 0; }
};

// A list as a call sees it, whichever its kind.
struct AnyList {
    void *list, *entries;
    std::vector<char*> texts;
    std::vector<uint32_t> lengths;
    std::vector<const char*> borrowed;
};
template <class L>
AnyList any(const Generic<L>& g) { return {g.list, g.entries, g.texts, g.lengths, g.borrowed()}; }

// A generic record in caller memory: a distinct word in every field, then its strings (each text
// distinct in content and length), its lists of two entries each, and its null fields.
struct Record {
    CallerMemory mem;
    Guarded* r;
    std::vector<char*> s;
    std::vector<uint32_t> len;
    std::vector<AnyList> lists;
    Record(const MapRow& m, bool shared = false) {
        r = &mem.add("record", m.size);
        for (uint32_t off = 0; off < m.size; off += 4) put(off, 0xC0000000u + off);
        for (size_t i = 0; i < m.strings.size(); ++i) {
            const std::string t = "string" + std::to_string(i + 1) + std::string(i, '+');
            s.push_back(shared && i ? s[0] : mem.text("string " + std::to_string(i + 1), t));
            len.push_back(shared ? 7 : static_cast<uint32_t>(t.size()));
            put(m.strings[i], w(s[i])), put(m.strings[i] + 4, len[i]);
        }
        for (size_t i = 0; i < m.lists.size(); ++i) {
            const std::string n = "list " + std::to_string(i), a = "L" + std::to_string(i);
            const Texts texts = {a + "A", a + "BB"};
            lists.push_back(m.lists[i].media ? any(generic_media(mem, n, 'S', texts)) : any(generic_tablespaces(mem, n, texts)));
            put(m.lists[i].generic, w(lists[i].list));
        }
        for (uint32_t off : m.nulls) put(off, 0);
    }
    void put(uint32_t off, uint32_t v) { memcpy(r->data() + off, &v, 4); }
};

const MapRow kMaps[] = {
    {"qx3gBackup", "qx3Backup", 136, 148, {0, 32, 40, 84, 120}, {8, 16, 24, 28}, {},
     {{0, 0, 1, 0}, {32, 60, 1, 0}, {40, 64, 1, 0}, {48, 68, 8, 0}, {80, 100, 1, C1}, {84, 104, 1, C2},
      {92, 108, 2, C2}, {100, 116, 5, C3}, {120, 136, 1, C4}, {128, 140, 2, C4}},
     {{8010199, 0}, {8010200, C1}, {8010399, C1}, {8010400, C1 | C2}, {9049999, C1 | C2}, {9050000, C1 | C2 | C3},
      {10010399, C1 | C2 | C3}, {10010400, 15}, {10049999, 15}, {10050000, C1 | C2 | C3}, {10050299, C1 | C2 | C3},
      {10050300, 15}, {0x80000000, 15}, {0xFFFFFFFF, 15, false, true},
      // Checked for reading and writing: a record that only fails the read-only check goes through.
      {10050300, 15, true}}},
    {"qx3gRestore", "qx3Restore", 172, 156, {0, 8, 24, 32, 40, 56, 64, 72, 108, 124, 148, 156}, {16},
     {{48, 56, 0, false}, {52, 60, 0, true}, {132, 120, C3, false}, {144, 128, C4, false}},
     {{0, 0, 1, 0}, {8, 4, 1, 0}, {24, 44, 1, 0}, {32, 48, 1, 0}, {40, 52, 1, 0}, {56, 64, 1, 0}, {64, 68, 1, 0},
      {72, 72, 1, 0}, {80, 76, 7, 0}, {108, 104, 1, C1}, {116, 108, 2, C1}, {124, 116, 1, C2}, {148, 132, 1, 0},
      {156, 140, 1, C5}, {164, 144, 2, C5}},
     {{0, 0, false, true}, {8010399, 0}, {8010400, C1}, {8019999, C1}, {8020000, C1 | C2}, {8020199, C1 | C2},
      {8020200, 7}, {9070199, 7}, {9070200, 15}, {9079999, 15}, {9080000, 7}, {10009999, 7}, {10010000, 15},
      {10010399, 15}, {10010400, 31}, {10049999, 31}, {10050000, 15}, {10050299, 15}, {10050300, 31},
      {0x80000000, 31}, {0xFFFFFFFF, 31}, {10050300, 31, false, true}}},
    // The last native word is never written from the caller's record.
    {"qx3gRecover", "qx3Recover", 128, 100, {0, 8, 16, 40, 48, 80, 96, 112}, {}, {},
     {{0, 0, 1, 0}, {8, 4, 1, 0}, {16, 8, 1, 0}, {24, 12, 5, 0}, {48, 32, 1, 0}, {56, 36, 6, 0}, {80, 60, 1, 0},
      {88, 64, 3, 0}, {104, 76, 2, 0}, {112, 84, 1, C4}, {120, 88, 2, C4}},
     {{10050299, 0}, {10050300, C4}, {10010399, 0}, {10010400, C4}, {10049999, C4}, {10050000, 0},
      {0xFFFFFFFF, C4}}},
};

class RecoveryRecords : public EntryTest {};

TEST_P(RecoveryRecords, NativeRecordByVersion) {
    for (const MapRow& m : kMaps) {
        for (const VersionRow& v : m.versions) {
            SCOPED_TRACE(std::string(m.entry) + " version " + std::to_string(v.version) +
                         (v.read_only_fails ? " read-only check fails" : "") + (v.shared ? " one buffer" : ""));
            standin::reset();
            Record b(m, v.shared);
            const auto before = b.mem.snapshot();
            std::vector<Bytes> during;
            standin::during_call([&](const standin::Call& c) {
                if (c.name == m.native) during = b.mem.snapshot();
            });
            if (v.read_only_fails) {
                standin::checks_active(true);
                standin::fail_checks(b.r->data(), m.size, standin::mode_bit(1), 0x21);
            }
            Status st;

            EXPECT_EQ(call(m.entry, v.version, b.r->data(), st.ca()), 0);

            auto natives = calls(m.native);
            ASSERT_EQ(natives.size(), 1u);
            EXPECT_EQ(natives[0].words[0], v.version) << "the version goes on unchanged";
            const Bytes& seen = natives[0].record;
            ASSERT_EQ(seen.size(), m.native_size);
            Bytes expected(m.native_size, 0);
            std::vector<const char*> lent;
            for (const FieldRun& f : m.runs) {
                if (!m.read(f.cond, v)) continue;
                memcpy(expected.data() + f.native, b.r->data() + f.generic, 4 * f.count);
                // A string is lent its NUL only when its field is read.
                for (size_t i = 0; i < m.strings.size(); ++i)
                    if (m.strings[i] >= f.generic && m.strings[i] < f.generic + 4 * f.count) lent.push_back(b.s[i] + b.len[i]);
            }
            size_t lists_read = 0;
            // A list field read holds the call's own native list (an address of its stack).
            for (size_t i = 0; i < m.lists.size(); ++i) {
                const ListField& l = m.lists[i];
                const bool read = m.read(l.cond, v);
                uint32_t field;
                memcpy(&field, seen.data() + l.native, 4);
                EXPECT_EQ(field != 0, read) << "list field at " << l.native;
                if (read) memcpy(expected.data() + l.native, seen.data() + l.native, 4);
                const std::string a = "L" + std::to_string(i);
                EXPECT_EQ(shown(natives[0].lists.at(i)), (read ? std::vector<std::string>{a + "A", a + "BB"} : std::vector<std::string>{}));
                if (read) lent.insert(lent.end(), b.lists[i].borrowed.begin(), b.lists[i].borrowed.end()), ++lists_read;
            }
            EXPECT_TRUE(SameBytes(expected, seen.data(), seen.size()));
            // Each list read is copied into four blocks.
            if (!m.lists.empty()) {
                EXPECT_EQ(standin::allocations(), 4 * lists_read);
            }
            EXPECT_TRUE(b.mem.Same(b.mem.with_nuls(before, lent), during)) << "during the call";
            EXPECT_TRUE(b.mem.Is(before)) << "afterwards";
        }
    }
}

// An entry whose text fails its check ends the call when it is the last check made in its list;
// an empty list 3 or 4 takes no block, its record checked and its entry array not.
TEST_P(RecoveryRecords, RestoreBadEntriesAndEmptyLists) {
    struct Row {
        const char* what;
        size_t list;    // 0 tablespace, 1 media, 2 list 3, 3 list 4
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
        Record b(kMaps[1]);
        const AnyList& l = b.lists[r.list];
        const size_t e = static_cast<size_t>(r.entry);
        standin::checks_active(true);
        if (r.entry >= 0) standin::fail_checks(l.texts[e] + l.lengths[e], 1, standin::mode_bit(3), 0x44);
        else static_cast<qx3gTablespaceList*>(l.list)->iNumEntries = 0;
        const auto before = b.mem.snapshot();
        Status st;
        EXPECT_EQ(call("qx3gRestore", 10050300u, b.r->data(), st.ca()), r.rc);
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
            std::vector<std::string> seen = shown(native.lists[r.list]);
            ASSERT_EQ(seen.size(), 2u);
            EXPECT_NE(seen[e], "<null>") << "copied, though not terminated";
            continue;
        }
        uint32_t field;
        memcpy(&field, native.record.data() + (r.list == 2 ? 120 : 128), 4);
        EXPECT_NE(field, 0u) << "the field points at an empty native list";
        EXPECT_EQ(native.lists[r.list].count, 0u);
        bool record_checked = false;
        for (const standin::Check& c : standin::checks()) {
            EXPECT_NE(c.p, reinterpret_cast<uintptr_t>(l.entries));
            record_checked |= c.p == reinterpret_cast<uintptr_t>(l.list);
        }
        EXPECT_TRUE(record_checked);
    }
}

QX3_BACKENDS(RecoveryRecords);

}  // namespace
