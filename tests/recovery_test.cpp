// Backup, restore, rollforward, recover, archive log and the recovery history: every entry point's
// row; the native records by version, as runs of fields (with the legacy rollforward's widenings);
// what qx3gRestore does with a bad list entry or an empty list; every exit before the native call (a
// missing or unreadable record, a parameter error); the rollforward's status rule; and the returned
// texts of the backup and restore calls.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

// Version conditions as bits; a field whose condition is 0 is always read.
enum : unsigned { C1 = 1, C2 = 2, C3 = 4, C4 = 8, C5 = 16 };
// How a call is made: (version, record, status); (version, {record, output}, status), the native
// seeing the record's 72 bytes from 28 and then the output record; (record, output, status).
enum Shape { Plain, Roll, LegacyRoll };

// Bytes of the native record taken from the caller's: `bytes` of them, or a 16-bit value widened
// with zeros ('z') or its sign ('s').
struct FieldRun { uint32_t generic, native, bytes; unsigned cond = 0; char widen = 0; };
// A string's pointer and its length (`width` bytes; 0: it has none, and counts as empty).
struct StrAt { uint32_t ptr, len; uint8_t width = 4; };
// A list: copied tablespace ('T') or media ('M') list, or a tablespace list lent in place ('I').
struct ListField { uint32_t generic, native; unsigned cond; char kind; };
// Bytes a caller buffer (0 the record, 1 the output record, 2 the text) holds after the call.
struct After { int node; uint32_t off; std::string bytes; unsigned cond = 0; };
struct VersionRow {
    uint32_t version;     // for a legacy rollforward: the version the native is given
    unsigned conds;
    bool shared = false;  // every string is the first string's buffer, the lists' texts apart
};
struct MapRow {
    const char *entry, *native;
    Shape shape;
    uint32_t size, native_size;
    std::vector<StrAt> strings;
    std::vector<uint32_t> nulls;  // pointer fields left null
    std::vector<ListField> lists;
    std::vector<FieldRun> runs;
    std::vector<VersionRow> versions;
    std::vector<After> after = {};
    bool read(unsigned cond, const VersionRow& v) const { return (cond & ~v.conds) == 0; }
};

std::string le(uint32_t v, size_t n = 4) { return std::string(reinterpret_cast<const char*>(&v), n); }
const std::string kStopped = "S0000007.LOG" + std::string(21, ' ');  // the rollforward's text, padded

// A list as a call sees it, whichever its kind.
struct AnyList {
    void* list;
    std::vector<char*> texts;
    std::vector<uint32_t> lengths;
    std::vector<const char*> borrowed;
};
template <class L, class E>
AnyList any(const BuiltList<L, E>& g) { return {g.list, g.texts, g.lengths, g.borrowed()}; }

// A generic record in caller memory: every 16-bit half of it distinct with its top bit set (so a
// missing or wrong widening shows), then its strings (each text distinct in content and length),
// its lists of two entries each, and its null fields; a rollforward's output record and text.
struct Record {
    CallerMemory mem;
    Guarded *r, *out = nullptr, *text = nullptr, *parm = nullptr;
    std::vector<char*> s;
    std::vector<uint32_t> len;
    std::vector<AnyList> lists;
    Record(const MapRow& m, bool shared = false) {
        r = &mem.add("record", m.size);
        for (uint32_t off = 0; off < m.size; off += 2) put(*r, off, 0x8000u + off * 0x81u, 2);
        for (size_t i = 0; i < m.strings.size(); ++i) {
            const std::string t = "string" + std::to_string(i + 1) + std::string(i, '+');
            s.push_back(shared && i ? s[0] : mem.text("string " + std::to_string(i + 1), t));
            len.push_back(m.strings[i].width == 0 ? 0 : shared ? 7 : static_cast<uint32_t>(t.size()));
            put(*r, m.strings[i].ptr, w(s[i])), put(*r, m.strings[i].len, len[i], m.strings[i].width);
        }
        for (size_t i = 0; i < m.lists.size(); ++i) {
            const std::string n = "list " + std::to_string(i), a = "L" + std::to_string(i);
            const Texts texts = {a + "A", a + "BB"};
            const char k = m.lists[i].kind;
            if (k == 'I') lists.push_back(any(inplace_tablespaces(mem, n, {a + "A", a + "BB"})));
            else if (k == 'M') lists.push_back(any(generic_media(mem, n, 'S', texts)));
            else lists.push_back(any(generic_tablespaces(mem, n, texts)));
            put(*r, m.lists[i].generic, w(lists[i].list));
        }
        for (uint32_t off : m.nulls) put(*r, off, 0);
        if (m.shape == Plain) return;
        out = &mem.add("output", m.shape == Roll ? 16 : 12);
        text = &mem.add("text", 33);
        put(*out, 0, w(text->data()));
        if (m.shape == LegacyRoll) return;
        parm = &mem.add("parameters", 8);
        put(*parm, 0, w(r->data())), put(*parm, 4, w(out->data()));
    }
    static void put(Guarded& g, uint32_t off, uint32_t v, size_t n = 4) { memcpy(g.data() + off, &v, n); }
    size_t index(int node) const { return mem.locate(node == 0 ? r->data() : node == 1 ? out->data() : text->data()).first; }
    // The memory now, and as the native call saw it but for the text the native writes.
    std::vector<Bytes> before, during;
    void watch(const char* native) {
        before = mem.snapshot();
        standin::during_call([this, native](const standin::Call& c) {
            if (c.name != native) return;
            during = mem.snapshot();
            if (text) during[index(2)] = before[index(2)];
        });
    }
};

const MapRow kMaps[] = {
    {"qx3gBackup", "qx3Backup", Plain, 136, 148, {{0, 4}, {32, 36}, {40, 44}, {84, 88}, {120, 124}}, {8, 16, 24, 28}, {},
     {{0, 0, 4}, {32, 60, 4}, {40, 64, 4}, {48, 68, 32}, {80, 100, 4, C1}, {84, 104, 4, C2},
      {92, 108, 8, C2}, {100, 116, 20, C3}, {120, 136, 4, C4}, {128, 140, 8, C4}},
     {{8010199, 0}, {8010200, C1}, {8010399, C1}, {8010400, C1 | C2}, {9049999, C1 | C2}, {9050000, C1 | C2 | C3},
      {10010399, C1 | C2 | C3}, {10010400, 15}, {10049999, 15}, {10050000, C1 | C2 | C3}, {10050299, C1 | C2 | C3},
      {10050300, 15}, {0x80000000, 15}, {0xFFFFFFFF, 15, true}}},
    {"qx3gRestore", "qx3Restore", Plain, 172, 156,
     {{0, 4}, {8, 12}, {24, 28}, {32, 36}, {40, 44}, {56, 60}, {64, 68}, {72, 76}, {108, 112}, {124, 128}, {148, 152},
      {156, 160}}, {16},
     {{48, 56, 0, 'T'}, {52, 60, 0, 'M'}, {132, 120, C3, 'T'}, {144, 128, C4, 'T'}},
     {{0, 0, 4}, {8, 4, 4}, {24, 44, 4}, {32, 48, 4}, {40, 52, 4}, {56, 64, 4}, {64, 68, 4},
      {72, 72, 4}, {80, 76, 28}, {108, 104, 4, C1}, {116, 108, 8, C1}, {124, 116, 4, C2}, {148, 132, 4},
      {156, 140, 4, C5}, {164, 144, 8, C5}},
     {{0, 0, true}, {8010399, 0}, {8010400, C1}, {8019999, C1}, {8020000, C1 | C2}, {8020199, C1 | C2},
      {8020200, 7}, {9070199, 7}, {9070200, 15}, {9079999, 15}, {9080000, 7}, {10009999, 7}, {10010000, 15},
      {10010399, 15}, {10010400, 31}, {10049999, 31}, {10050000, 15}, {10050299, 15}, {10050300, 31},
      {0x80000000, 31}, {0xFFFFFFFF, 31}, {10050300, 31, true}}},
    // The last native word is never written from the caller's record.
    {"qx3gRecover", "qx3Recover", Plain, 128, 100,
     {{0, 4}, {8, 12}, {16, 20}, {40, 44}, {48, 52}, {80, 84}, {96, 100}, {112, 116}}, {}, {},
     {{0, 0, 4}, {8, 4, 4}, {16, 8, 4}, {24, 12, 20}, {48, 32, 4}, {56, 36, 24}, {80, 60, 4},
      {88, 64, 12}, {104, 76, 8}, {112, 84, 4, C4}, {120, 88, 8, C4}},
     {{10050299, 0}, {10050300, C4}, {10010399, 0}, {10010400, C4}, {10049999, C4}, {10050000, 0}, {0xFFFFFFFF, C4}}},
    // The native's input record, then the output record's first three words; its fourth word comes
    // back from version 9000000 on.
    {"qx3gRollforward", "qx3Rollforward", Roll, 100, 84,
     {{32, 0}, {44, 8}, {48, 12}, {40, 4}, {52, 16}, {88, 20}, {92, 24}}, {}, {{68, 40, 0, 'I'}}, {{28, 0, 72}},
     {{8999999, 0}, {9000000, C1}, {0xFFFFFFFF, C1}}, {{2, 0, kStopped}, {1, 12, le(0x600DF00Du), C1}}},
    // No lengths for the last two strings: both go as empty strings. Whatever the record, 8010000.
    {"sqlgroll", "qx3Rollforward", LegacyRoll, 80, 84,
     {{16, 0, 2}, {28, 4, 2}, {32, 6, 2}, {24, 2, 2}, {36, 8, 2}, {72, 0, 0}, {76, 0, 0}}, {}, {{52, 40, 0, 'I'}},
     {{12, 0, 4}, {16, 4, 4}, {20, 8, 2, 0, 'z'}, {24, 12, 16}, {40, 28, 2, 0, 'z'}, {44, 32, 4}, {48, 36, 2, 0, 'z'},
      {52, 40, 4}, {56, 44, 2, 0, 's'}, {58, 48, 2, 0, 's'}, {60, 52, 4}, {64, 56, 2, 0, 's'}, {72, 60, 8}},
     {{0x7A3910, 0}}, {{2, 0, kStopped}}},
    // The outputs come back whatever the result; the third only from version 9080000 on.
    {"qx3gHistoryOpenScan", "qx3HistoryOpenScan", Plain, 40, 28, {{0, 12}, {4, 16}, {8, 20}}, {}, {},
     {{0, 0, 12}, {36, 24, 2}}, {{9079999, 0}, {9080000, C1}},
     {{0, 24, le(0x4A11u) + le(17)}, {0, 32, le(0x33), C1}, {0, 38, le(0xB00B, 2)}}},
    {"qx3gHistoryUpdate", "qx3HistoryUpdate", Plain, 40, 24, {{0, 16}, {4, 20}, {8, 24}, {12, 28}}, {}, {},
     {{0, 0, 16}, {32, 16, 8}}, {{1, 0}}},
    {"qx3gPrune", "qx3Prune", Plain, 24, 20, {{4, 0}}, {}, {}, {{4, 0, 4}, {8, 4, 8}, {16, 12, 8}}, {{9080000, 0}}},
    {"qx3gArchiveLog", "qx3ArchiveLog", Plain, 36, 24, {{12, 0}, {16, 4}, {20, 8}}, {}, {},
     {{12, 0, 12}, {24, 12, 4}, {28, 16, 8}}, {{10050300, 0}}},
};
const MapRow &kRestore = kMaps[1], &kRoll = kMaps[3];

class RecoveryRecords : public EntryTest {
protected:
    int32_t call_with(const MapRow& m, const Record& b, uint32_t version, sqlca* ca) {
        return m.shape == Plain  ? call(m.entry, version, b.r->data(), ca)
               : m.shape == Roll ? call(m.entry, version, b.parm->data(), ca)
                                 : call(m.entry, b.r->data(), b.out->data(), ca);
    }
};

TEST_P(RecoveryRecords, NativeRecordByVersion) {
    for (const MapRow& m : kMaps) {
        for (const VersionRow& v : m.versions) {
            SCOPED_TRACE(std::string(m.entry) + " version " + std::to_string(v.version) + (v.shared ? " one buffer" : ""));
            standin::reset();
            Record b(m, v.shared);
            b.watch(m.native);
            standin::set_result(m.native, -2171);
            Status st;

            EXPECT_EQ(call_with(m, b, v.version, st.ca()), -2171);

            auto natives = calls(m.native);
            ASSERT_EQ(natives.size(), 1u);
            EXPECT_EQ(natives[0].words[0], v.version) << "the version goes on unchanged";
            const Bytes& seen = natives[0].record;
            ASSERT_GE(seen.size(), m.native_size);
            Bytes expected(m.native_size, 0);
            std::vector<const char*> lent;
            for (const FieldRun& f : m.runs) {
                if (!m.read(f.cond, v)) continue;
                const uint8_t* g = b.r->data() + f.generic;
                const uint32_t x = f.widen == 'z' ? g[0] | g[1] << 8 : static_cast<uint32_t>(int16_t(g[0] | g[1] << 8));
                memcpy(expected.data() + f.native, f.widen ? reinterpret_cast<const uint8_t*>(&x) : g, f.widen ? 4 : f.bytes);
                // A string is lent its NUL only when its field is read.
                for (size_t i = 0; i < m.strings.size(); ++i)
                    if (m.strings[i].ptr >= f.generic && m.strings[i].ptr < f.generic + f.bytes) lent.push_back(b.s[i] + b.len[i]);
            }
            if (m.shape != Plain) memcpy(expected.data() + 72, b.out->data(), 12);
            // A copied list field read holds the call's own native list (an address of its stack).
            for (size_t i = 0; i < m.lists.size(); ++i) {
                const ListField& l = m.lists[i];
                const bool read = m.read(l.cond, v);
                if (read) lent.insert(lent.end(), b.lists[i].borrowed.begin(), b.lists[i].borrowed.end());
                if (l.kind == 'I') continue;
                uint32_t field;
                memcpy(&field, seen.data() + l.native, 4);
                EXPECT_EQ(field != 0, read) << "list field at " << l.native;
                if (read) memcpy(expected.data() + l.native, seen.data() + l.native, 4);
                const std::string a = "L" + std::to_string(i);
                EXPECT_EQ(shown(natives[0].lists.at(i)), (read ? std::vector<std::string>{a + "A", a + "BB"} : std::vector<std::string>{}));
            }
            EXPECT_TRUE(SameBytes(expected, seen.data(), m.native_size));
            EXPECT_TRUE(b.mem.Same(b.mem.with_nuls(b.before, lent), b.during)) << "during the call";
            auto expect = b.before;
            for (const After& a : m.after)
                if (m.read(a.cond, v)) memcpy(expect[b.index(a.node)].data() + a.off, a.bytes.data(), a.bytes.size());
            EXPECT_TRUE(b.mem.Is(expect)) << "afterwards";
        }
    }
}

// A list entry whose text fails its check ends the call when it is the last check made in its list;
// an empty list takes no block for entries (qx3gRestore checks its record and not its entry array;
// qx3gRollforward still asks for, and gives back, its slot array), and a rollforward string that
// fails its write check is forgotten once the list has its slots.
TEST_P(RecoveryRecords, ListEntryChecksAndEmptyLists) {
    // list (qx3gRestore: 0 tablespace, 1 media, 2 list 3, 3 list 4); entry: its text fails its check
    // over L + 1 (qx3gRestore: passing the one over L) (-1: the list is empty; -2: none fails); a
    // string that fails its write check (-1: none); the result, and the blocks asked for.
    struct Row { const char* what; const MapRow& m; size_t list; int entry, string; int32_t rc; size_t requests; } rows[] = {
        {"tablespace list, last entry", kRestore, 0, 1, -1, 0x44, 4},
        {"media list, last entry", kRestore, 1, 1, -1, 0x44, 8},
        {"list 3, last entry", kRestore, 2, 1, -1, 0x44, 12},
        {"list 4, first entry: goes on", kRestore, 3, 0, -1, 0, 16},
        {"list 3 empty: four blocks for each of the other three lists", kRestore, 2, -1, -1, 0, 12},
        {"list 4 empty", kRestore, 3, -1, -1, 0, 12},
        {"rollforward, string 3 forgotten", kRoll, 0, -2, 2, 0, 1},
        {"rollforward, last name", kRoll, 0, 1, -1, 0x44, 1},
        {"rollforward, first name: goes on", kRoll, 0, 0, -1, 0, 1},
        {"rollforward, empty list, string 7 forgotten", kRoll, 0, -1, 6, 0, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        Record b(r.m);
        const AnyList& l = b.lists[r.list];
        const size_t e = static_cast<size_t>(r.entry);
        standin::checks_active(true);
        if (r.entry >= 0) standin::fail_check_exact(l.texts[e], l.lengths[e] + 1, standin::mode_bit(3), 0x44);
        if (r.entry == -1 && b.text) static_cast<sqluTablespaceList*>(l.list)->iNumEntries = 0;
        if (r.entry == -1 && !b.text) static_cast<qx3gTablespaceList*>(l.list)->iNumEntries = 0;
        if (r.string >= 0) standin::fail_check_exact(b.s[r.string], b.len[r.string] + 1, standin::mode_bit(3), 5);
        // Every string but the forgotten one is lent its NUL, and every entry of the list but the
        // failing one (none of an emptied list).
        std::vector<const char*> nuls;
        for (size_t i = 0; i < b.s.size(); ++i)
            if (static_cast<int>(i) != r.string) nuls.push_back(b.s[i] + b.len[i]);
        for (size_t j = 0; j < b.lists.size(); ++j)
            for (size_t i = 0; i < b.lists[j].borrowed.size(); ++i)
                if (j != r.list || r.entry == -2 || (r.entry >= 0 && i != e)) nuls.push_back(b.lists[j].borrowed[i]);
        b.watch(r.m.native);
        Status st;
        EXPECT_EQ(call_with(r.m, b, b.text ? 8000000u : 10050300u, st.ca()), r.rc);
        EXPECT_EQ(calls(r.m.native).size(), r.rc == 0 ? 1u : 0u);
        EXPECT_EQ(standin::allocations(), r.requests);
        auto expect = b.before;
        if (r.rc != 0) {
            EXPECT_TRUE(st.untouched());
        } else {
            EXPECT_TRUE(b.mem.Same(b.mem.with_nuls(b.before, nuls), b.during)) << "during the call";
            if (b.text) expect[b.index(2)] = b.text->bytes();  // the native has written its text
        }
        EXPECT_TRUE(b.mem.Is(expect));
        if (b.text) {
            const standin::Call block = calls("sqloGetMemoryBlockExtended").at(0);  // the one request above
            EXPECT_EQ(block.words[1], r.entry == -1 ? 0u : 16u);
            EXPECT_EQ(block.strings[5].text + " " + std::to_string(block.words[6]), "sqlgroll 369");
        }
        if (r.rc != 0 || b.text) continue;
        const standin::Call native = calls("qx3Restore").at(0);
        if (r.entry >= 0) {
            EXPECT_NE(shown(native.lists[r.list]).at(e), "<null>") << "copied, though not terminated";
            continue;
        }
        uint32_t field;
        memcpy(&field, native.record.data() + (r.list == 2 ? 120 : 128), 4);
        EXPECT_NE(field, 0u) << "the field points at an empty native list";
        EXPECT_EQ(native.lists[r.list].count, 0u);
        bool record_checked = false;
        for (const standin::Check& c : standin::checks()) {
            EXPECT_NE(c.p, reinterpret_cast<uintptr_t>(static_cast<qx3gTablespaceList*>(l.list)->piEntries));
            record_checked |= c.p == reinterpret_cast<uintptr_t>(l.list);
        }
        EXPECT_TRUE(record_checked);
    }
}

// Every exit before the native call: a null or unreadable record ends the call with its entry
// point's own code; a parameter error (a string failing its read check, the alias null, no block
// for the tablespace slots) names the parameter after the tokens already in sqlerrmc, within the 70
// bytes, qx3gRollforward (which logs it) counting what it wrote and qx3gRecover the whole name.
// sqloincaChkptr refusing the status record leaves it untouched. Every byte is given back.
TEST_P(RecoveryRecords, ExitsBeforeTheNativeCallGiveEverythingBack) {
    // fail: the record null (kNull), failing its check in `modes` (kRecord), the first block refused
    // (kAlloc), or string 0 to 6 failing its read check (7: the alias null); sqlerrml before; what
    // sqloincaChkptr answers; the result, sqlcode (0: the status record untouched) and sqlerrp; what is
    // appended to sqlerrmc, and sqlerrml after.
    enum : int { kNull = -3, kRecord = -2, kAlloc = -1 };
    struct Case {
        const char* entry; uint32_t size; int fail; unsigned modes; int16_t ml; int32_t sqlca, rc, code;
        const char* errp; std::string tokens = ""; int16_t grown = 0;
    };
    const Case cases[] = {
        {"qx3gRecover", 128, kNull, 0, 0, 0, 0, -1022, nullptr},
        {"qx3gRollforward", 8, kNull, 0, 0, 0, 0, -1022, nullptr},
        {"qx3gBackup", 136, kNull, 0, 0, 7, -83, 0, nullptr},
        {"qx3gBackup", 136, kRecord, standin::mode_bit(3), 0, 0, -83, -83, "qx3gBack"},
        {"qx3gRestore", 172, kNull, 0, 0, 2, -83, 0, nullptr},
        {"qx3gRestore", 172, kRecord, standin::mode_bit(3), 0, 0, -83, -83, "qx3gRest"},
        {"qx3gLoad", 76, kNull, 0, 0, 0, -3223, 0, nullptr},
        {"qx3gLoad", 76, kRecord, standin::mode_bit(1), 0, 0, -3223, 0, nullptr},
        {"qx3gExport", 60, kNull, 0, 0, 0, -83, -83, "QX3GEXPR"},
        {"qx3gImport", 60, kNull, 0, 0, 0, -83, -83, nullptr},
        {"qx3gLoadQuery", 28, kNull, 0, 0, 0, -83, -83, nullptr},
        {"qx3gRollforward", 0, kAlloc, 0, 0, 0, -83, -83, "sqlgroll", "piTablespaceList", 16},
        {"qx3gRollforward", 0, 7, 0, 0, 0, -83, -83, "sqlgroll", "piDbAlias", 9},
        {"qx3gRollforward", 0, 0, 0, 65, 0, -83, -83, "sqlgroll", "piDbA", 70},
        {"qx3gRollforward", 0, 4, 0, 3, 0x3F, -83, 0, nullptr, "", 3},
        {"qx3gRecover", 0, 1, 0, 66, 0, -83, -83, "SQLGRECV", "piUs", 76},
        {"qx3gRecover", 0, 1, 0, 3, 0x3F, -2032, 0, nullptr, "", 3},
    };
    for (const Case& k : cases) {
        const std::string name = k.fail < 0 ? "piTablespaceList" : "piDbAlias", native = std::string("qx3") + (k.entry + 4);
        SCOPED_TRACE(std::string(k.entry) + " fail " + std::to_string(k.fail) + " ml " + std::to_string(k.ml) + " sqlca " + std::to_string(k.sqlca));
        standin::reset();
        const MapRow* m = nullptr;
        for (const MapRow& x : kMaps) m = strcmp(x.entry, k.entry) == 0 ? &x : m;
        Record b(k.fail >= kAlloc ? *m : MapRow{k.entry, "", Plain, k.size, 0, {}, {}, {}, {}, {}});
        Status st;
        st.ca()->sqlerrml = k.ml;
        st.before = st.mem.bytes();
        if (k.fail == 7) Record::put(*b.r, 32, 0);
        const auto before = b.mem.snapshot();
        standin::checks_active(k.fail != kNull && k.fail != kAlloc);
        if (k.fail == kRecord) standin::fail_checks(b.r->data(), k.size, k.modes);
        if (k.fail >= 0 && k.fail < 7) standin::fail_check_exact(b.s[k.fail], b.len[k.fail], standin::mode_bit(1), 7);
        if (k.fail == kAlloc) standin::fail_allocation(1);
        standin::refuse_sqlca(k.sqlca);
        EXPECT_EQ(call(k.entry, 10050300u, k.fail == kNull ? nullptr : b.parm ? b.parm->data() : b.r->data(), st.ca()), k.rc);
        EXPECT_TRUE(calls(native).empty());
        EXPECT_TRUE(b.mem.Is(before)) << "every byte back, the text not padded";
        Bytes expect = k.code == 0 ? st.before : k.errp ? st.with(k.code, k.errp) : st.with(k.code);
        if (k.code != 0 && k.fail >= kAlloc) {
            memcpy(expect.data() + 16, &k.grown, 2);
            memcpy(expect.data() + 18 + k.ml, k.tokens.data(), k.tokens.size());
        }
        EXPECT_TRUE(SameBytes(expect, st.mem));
        if (k.code == -1022) {
            EXPECT_TRUE(standin::calls().empty()) << standin::trace();
        }
        if (k.fail < kAlloc) {
            EXPECT_EQ(standin::allocations(), 0u);
        }
        if (k.fail < kAlloc || strcmp(k.entry, "qx3gRollforward") != 0) continue;
        const auto log = calls("pdLog");
        ASSERT_EQ(log.size(), 1u);
        const bool refused = k.sqlca != 0;
        const std::string message = refused ? "Error on call to sqloincaChkPtr." : "Memory error for parameter " + name + ".";
        std::vector<uint32_t> words = {1, 0, 0x1883018E, 0, 0, refused ? 260u : 250u, 2, refused ? 2u : 1u, 0,
                                       0x18000004, static_cast<uint32_t>(message.size())};
        EXPECT_EQ(std::vector<uint32_t>(log[0].words.begin(), log[0].words.begin() + 11), words);
        EXPECT_EQ(log[0].items, (refused ? std::vector<std::string>{message, "int 63"} : std::vector<std::string>{message}));
        if (refused) {
            EXPECT_EQ(std::vector<uint32_t>(log[0].words.begin() + 12, log[0].words.begin() + 14), (std::vector<uint32_t>{4, 4}));
        }
    }
}

// Which calls a padding row applies to.
enum : unsigned { GBackup = 1, GRestore = 2, LBackup = 4, LRestore = 8, Versioned = 3, All = 15 };

struct PadRow {
    const char* what;
    unsigned on;
    uint32_t len1, len2;
    std::string native1, native2;  // what the native call writes into its two texts
    std::string out1, out2;        // the caller's buffers afterwards
    int32_t result = 0;
    bool null = false;             // both buffers null, their lengths kept
    bool fail_write2 = false;      // checks active, buffer 2 fails its write check
};

std::string z(size_t n) { return std::string(n, 'z'); }
std::string sp(size_t n) { return std::string(n, ' '); }
std::string nul(const char* s) { return std::string(s, strlen(s) + 1); }

const PadRow kPadRows[] = {
    {"full widths", All, 33, 15, z(32) + '\0', nul("20240517093011"), z(32) + " ", "20240517093011 "},
    {"whatever the result", All, 33, 15, nul("") + z(32), nul("") + z(14), sp(33), sp(15), -2539},
    {"null buffers", Versioned | LBackup, 33, 15, "abc", "def", "", "", 0, true},
    {"a failed write check: copied, not padded", GBackup | LBackup, 33, 15, nul("ab") + z(30), nul("cd") + z(12),
     "ab" + sp(31), nul("cd") + z(12), 0, false, true},
    {"text without a NUL within the length stays", Versioned, 4, 3, "ABCDEFG", "XYZW", "ABCD", "XYZ"},
    {"a length beyond the field: copied up to the field, padded to the length", Versioned, 40, 15, nul("images"), nul("t"),
     "images" + sp(34), "t" + sp(14)},
};

// The returned texts of qx3gBackup (two), qx3gRestore (the first only), sqlgbkup and sqlgrst (a
// 33-byte buffer and a 15-byte one), blank-padded from their first NUL whatever the result. The
// generic calls copy the native's text up to its field; the legacy calls lend the caller's buffers,
// and sqlgrst's 15-byte buffer is also its in/out text, lent a NUL at its length 8 (word 3). Where
// the NUL falls is the padding rule's own edge (the configuration gets cover it): these rows are
// about which buffer, which length and which outcome. The rollforward's text goes with its record map.
TEST_P(RecoveryRecords, ReturnedTextsArePadded) {
    struct Entry {
        unsigned bit;
        const char *name, *native;
        size_t words, at1;  // legacy: argument count, the first buffer's word (0-based), the second's next
    } entries[] = {{GBackup, "qx3gBackup", "qx3Backup", 0, 0}, {GRestore, "qx3gRestore", "qx3Restore", 0, 0},
                   {LBackup, "sqlgbkup", "sqlubkup", 21, 9}, {LRestore, "sqlgrst", "sqlurst", 32, 14}};
    for (const Entry& e : entries) {
        for (const PadRow& r : kPadRows) {
            if (!(r.on & e.bit)) continue;
            SCOPED_TRACE(std::string(e.name) + ": " + r.what);
            standin::reset();
            const bool restore = e.bit == GRestore, legacy = e.words != 0;
            Guarded rec(restore ? 172 : 136), out1(r.len1), out2(r.len2);
            memset(rec.data(), 0, rec.size()), out1.fill('='), out2.fill('#');
            if (legacy) out2.set(0, "PREVIOUS#######");
            const Bytes before1 = out1.bytes(), before2 = out2.bytes();
            const uint32_t p1 = r.null ? 0 : w(out1.data()), p2 = r.null ? 0 : w(out2.data());
            const uint32_t at = restore ? 16 : 8;  // the first buffer's pointer, its length behind it
            memcpy(rec.data() + at, &p1, 4), memcpy(rec.data() + at + 4, &r.len1, 4);
            if (!restore) memcpy(rec.data() + 16, &p2, 4), memcpy(rec.data() + 20, &r.len2, 4);
            standin::during_call([&](const standin::Call& c) {
                if (legacy) {
                    if (!r.null) out1.set(0, r.native1), out2.set(0, r.native2);
                    return;
                }
                // Bytes past the text are not the caller's business.
                uint8_t* n = reinterpret_cast<uint8_t*>(uintptr_t{c.words[1]});
                const size_t f1 = restore ? 8 : 4, w1 = restore ? 36 : 33;
                memset(n + f1, 'V', w1), memcpy(n + f1, r.native1.data(), r.native1.size());
                if (!restore) memset(n + 37, 'W', 15), memcpy(n + 37, r.native2.data(), r.native2.size());
            });
            standin::checks_active(r.fail_write2);
            if (r.fail_write2) standin::fail_checks(out2.data(), r.len2, standin::mode_bit(2));
            standin::set_result(e.native, r.result);
            Status st;
            std::vector<uint32_t> a(e.words, 0);
            if (e.words) a[2] = 0xFFFF0008u, a[e.at1] = p1, a[e.at1 + 1] = p2, a.back() = w(st.ca());
            EXPECT_EQ(legacy ? call_words(e.name, a) : call(e.name, 10050300u, rec.data(), st.ca()), r.result);
            if (e.bit == LRestore) {
                EXPECT_EQ(standin::show(calls("sqlurst").at(0).strings[8]), "PREVIOUS") << "the text as the native read it";
            }
            EXPECT_EQ(out1.bytes(), r.null ? before1 : Bytes(r.out1.begin(), r.out1.end()));
            EXPECT_EQ(out2.bytes(), r.null || restore ? before2 : Bytes(r.out2.begin(), r.out2.end()));
        }
    }
}

QX3_BACKENDS(RecoveryRecords);

}  // namespace

// ---- Every entry point against its row ------------------------------------------------------------

using namespace qx3test::conf;

// In-place lists: a tablespace list of two 24-byte entries and an 'L' media list of two 220-byte
// entries, records 3 to 6; a failing check on the last entry of a list ends the call. In the restore
// rows the in/out text (record 2) is terminated at its length 8 (word 3) and never given its byte
// back, so it is an output like the padded buffer. Every legacy row ends alike: the lists' counts and
// the media list's type (after them, any values of its own), the padded buffers 1 and 2 as outputs.
#define QX3_LEGACY_LISTS(ts_word, media_word)                                                      \
    R(ts_word, 8), RF(3, 4, 48), R(media_word, 12), RF(5, 8, 440)
#define QX3_LEGACY_LIST_TEXTS SI(4, 4, 0), Last(SI(4, 28, 24)), SI(6, 4, 0), Last(SI(6, 224, 220))
#define QX3_LEGACY_TAIL(errp_, ...) .vals = {{F(3, 0), 2}, {F(5, 0), 'L', 1}, {F(5, 4), 2}, __VA_ARGS__}, \
    .outs = {{F(1, 0), 33}, {F(2, 0), 15}}, .mem = {.errp = errp_}
#define QX3_LEGACY_RESTORE_TAIL QX3_LEGACY_TAIL("sqlgbkup", {W(3), 0xA5A50008})
QX3_CONFORMANCE(BackupRows,
    {.name = "sqlgbkp", .words = "uuuwswwwwrrwrrsswwwwwwwc", .native = "sqlubkp",
     .args = "5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24",
     .recs = {R(10, 33), R(11, 15), QX3_LEGACY_LISTS(13, 14)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(5, 1), S(15, 2), S(16, 3)}, QX3_LEGACY_TAIL("sqlgbkp")},
    {.name = "sqlgbkup", .words = "uuuwswwwwrrwrrsswwwwc", .native = "sqlubkup",
     .args = "5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21",
     .recs = {R(10, 33), R(11, 15), QX3_LEGACY_LISTS(13, 14)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(5, 1), S(15, 2), S(16, 3)}, QX3_LEGACY_TAIL("sqlgbkup")},
    // Version 10050300 reads every field. Copied lists: two tablespace names and two media
    // entries, each copied into a block of its own; the outputs are records 6 and 7.
    {.name = "qx3gBackup", .words = "vrc", .native = "qx3Backup", .args = "1 ? 3", .version = 10050300,
     .recs = {R(2, 136), RF(1, 24, 8), RF(2, 0, 24), RF(1, 28, 12), RF(4, 0, 24), RF(1, 8, 33), RF(1, 16, 15)},
     .strings = {SF(3, 0, 4), SF(3, 12, 16), SF(5, 0, 4), SF(5, 12, 16), SF(1, 0, 4), SF(1, 32, 36), SF(1, 40, 44),
                 SF(1, 84, 88), SF(1, 120, 124)},
     .vals = {{F(2, 4), 2}, {F(4, 4), 2}, {F(4, 8), 'S', 1}, {F(1, 12), 33}, {F(1, 20), 15}},
     .outs = {{F(6, 0), 33}, {F(7, 0), 15}}, .mem = {.errp = "qx3gBack"}});

QX3_CONFORMANCE(RestoreRows,
    {.name = "sqlgrestore", .words = "uuuuuuuwsswwwwwwrrswsrrsswwwwwwwwwc", .native = "sqlurestore",
     .args = "9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 32 33 27 29 31 34 35",
     .recs = {R(17, 33), R(18, 15), QX3_LEGACY_LISTS(22, 23)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(9, 1), S(10, 2), S(24, 5), S(25, 6), S(21, 7), S(19, 4)}, QX3_LEGACY_RESTORE_TAIL},
    {.name = "sqlgrsto", .words = "uuuuuuwsswwwwrrswrrsswwwwc", .native = "sqlursto",
     .args = "8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26",
     .recs = {R(14, 33), R(15, 15), QX3_LEGACY_LISTS(18, 19)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(8, 1), S(9, 2), S(20, 5), S(21, 6), S(16, 4)}, QX3_LEGACY_RESTORE_TAIL},
    {.name = "sqlgrst", .words = "uuuuuuwsswwwwwrrswrrsswwwwwwwwwc", .native = "sqlurst",
     .args = "8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 29 30 24 26 28 31 32",
     .recs = {R(15, 33), R(16, 15), QX3_LEGACY_LISTS(19, 20)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(8, 1), S(9, 2), S(21, 5), S(22, 6), S(17, 4)}, QX3_LEGACY_RESTORE_TAIL},
    // Version 10050300 reads every field: four copied lists (records 2 to 9), twelve strings, and
    // the output buffer (record 10). An entry of list 4 that fails its check ends the call.
    {.name = "qx3gRestore", .words = "vrc", .native = "qx3Restore", .args = "1 ? 3", .version = 10050300,
     .recs = {R(2, 172), RF(1, 48, 8), RF(2, 0, 24), RF(1, 52, 12), RF(4, 0, 12), RF(1, 132, 8), RF(6, 0, 12),
              RF(1, 144, 8), RF(8, 0, 12), RF(1, 16, 33)},
     .strings = {SF(3, 0, 4), SF(3, 12, 16), SF(5, 0, 4), SF(7, 0, 4), Last(SF(9, 0, 4)), SF(1, 0, 4), SF(1, 8, 12),
                 SF(1, 24, 28), SF(1, 32, 36), SF(1, 40, 44), SF(1, 56, 60), SF(1, 64, 68), SF(1, 72, 76),
                 SF(1, 108, 112), SF(1, 124, 128), SF(1, 148, 152), SF(1, 156, 160)},
     .vals = {{F(2, 4), 2}, {F(4, 4), 1}, {F(4, 8), 'S', 1}, {F(6, 4), 1}, {F(8, 4), 1}, {F(1, 20), 33}},
     .outs = {{F(10, 0), 33}}, .mem = {.errp = "qx3gRest"}});

QX3_CONFORMANCE(
    RecoveryRows,
    // Legacy record: lengths (u16) at 0 2 4 6 8, alias 16, stop time 24, user 28, password 32, log path
    // 36; no tablespace list, no dropped table, no export directory.
    {.name = "sqlgroll", .words = "rrc", .native = "qx3Rollforward", .args = "? ? 3",
     .recs = {R(1, 80), R(2, 12), RF(2, 0, 33)},
     .strings = {SF(1, 16, 0, 2), SF(1, 28, 4, 2), SF(1, 32, 6, 2), SF(1, 24, 2, 2), SF(1, 36, 8, 2)},
     .vals = {{F(1, 52), 0}, {F(1, 72), 0}, {F(1, 76), 0}}, .outs = {{F(3, 0), 33}},
     .check_exit = Exit{-83, -83, "sqlgroll"},
     .exit_names = {"piDbAlias", "piUserName", "piPassword", "piStopTime", "piOverflowLogPath"}},
    {.name = "qx3gRollforward", .words = "vrc", .native = "qx3Rollforward", .args = "1 ? 3", .version = 9000000,
     .recs = {R(2, 8), RF(1, 0, 100), RF(1, 4, 16), RF(3, 0, 33)},
     .strings = {SF(2, 32, 0), SF(2, 44, 8), SF(2, 48, 12), SF(2, 40, 4), SF(2, 52, 16), SF(2, 88, 20), SF(2, 92, 24)},
     .vals = {{F(2, 68), 0}}, .outs = {{F(4, 0), 33}, {F(3, 12), 4}}, .check_exit = Exit{-83, -83, "sqlgroll"},
     .exit_names = {"piDbAlias", "piUserName", "piPassword", "piStopTime", "piOverflowLogPath", "piDroppedTblID",
                    "piExportDir"}},
    {.name = "qx3gRecover", .words = "vrc", .native = "qx3Recover", .args = "1 ? 3", .app = App::None,
     .version = 10050300, .recs = {R(2, 128)},
     .strings = {SF(1, 0, 4), SF(1, 8, 12), SF(1, 16, 20), SF(1, 40, 44), SF(1, 48, 52), SF(1, 80, 84),
                 SF(1, 96, 100), SF(1, 112, 116)},
     .check_exit = Exit{-83, -83, "SQLGRECV"},
     .exit_names = {"piSourceDBAlias", "piUserName", "piPassword", "piStopTime", "piOverflowLogPath",
                    "piHistoryFile", "piComprLibrary", "piEncrLibrary"}},
    {.name = "qx3gArchiveLog", .words = "vrc", .native = "qx3ArchiveLog", .args = "1 ? 3", .app = App::None,
     .version = 10050300, .recs = {R(2, 36)}, .strings = {SF(1, 12, 0), SF(1, 16, 4), SF(1, 20, 8)}},
    {.name = "qx3gHistoryCloseScan", .words = "vwc", .native = "qx3HistoryCloseScan", .args = "1 2 3",
     .app = App::None, .version = 0x12345678},
    {.name = "sqlghcls", .words = "uww", .native = "sqluhcls", .args = "z1 2 3", .app = App::None},
    {.name = "qx3gHistoryGetEntry", .words = "vwc", .native = "qx3HistoryGetEntry", .args = "1 2 3",
     .app = App::None, .version = 0x87654321},
    {.name = "sqlghgne", .words = "uwww", .native = "sqluhgne", .args = "z1 2 3 4", .app = App::None},
    {.name = "qx3gHistoryOpenScan", .words = "vrc", .native = "qx3HistoryOpenScan", .args = "1 ? 3",
     .app = App::None, .version = 9080000, .recs = {R(2, 40)},
     .strings = {SF(1, 0, 12), SF(1, 4, 16), SF(1, 8, 20)}, .outs = {{F(1, 24), 12}, {F(1, 38), 2}}},
    {.name = "sqlghops", .words = "uuussswwuwc", .native = "sqluhops", .args = "4 5 6 7 8 z9 10 11",
     .strings = {S(4, 1), S(5, 2), S(6, 3)}},
    {.name = "qx3gHistoryUpdate", .words = "vrc", .native = "qx3HistoryUpdate", .args = "1 ? 3", .app = App::None,
     .version = 9080000, .recs = {R(2, 40)},
     .strings = {SF(1, 0, 16), SF(1, 4, 20), SF(1, 8, 24), SF(1, 12, 28)}},
    {.name = "sqlghupd", .words = "uuuusssswc", .native = "sqluhupd", .args = "5 6 7 8 9 10",
     .strings = {S(5, 1), S(6, 2), S(7, 3), S(8, 4)}},
    {.name = "qx3gPrune", .words = "vrc", .native = "qx3Prune", .args = "1 ? 3", .app = App::None, .version = 1,
     .recs = {R(2, 24)}, .strings = {SF(1, 4, 0)}},
    {.name = "sqlghprn", .words = "usuwc", .native = "sqluhprn", .args = "2 z3 4 5", .strings = {S(2, 1)}});
