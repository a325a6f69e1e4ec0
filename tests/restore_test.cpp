// Restore: qx3gRestore's native record by version, its four copied lists, its twelve strings, its
// returned text and its exits; the legacy sqlgrestore, sqlgrsto and sqlgrst.
#include <string.h>

#include "qx3agapi.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

// ---- qx3gRestore ------------------------------------------------------------------------------

// Generic offsets of the twelve string pointers (each length 4 bytes after its pointer).
constexpr uint32_t kStringAt[12] = {0, 8, 24, 32, 40, 56, 64, 72, 108, 124, 148, 156};

// A complete generic restore record in caller memory: twelve strings, the output buffer, four
// lists, and a distinct word in every other field (the two words never read included).
struct RestoreCall {
    CallerMemory mem;
    qx3gRestoreStruct* rec = nullptr;
    char* s[12] = {};
    uint32_t len[12] = {};
    Generic<qx3gTablespaceList> ts, list3, list4;
    Generic<qx3gMediaList> media;

    struct Options {
        bool lists = true;
        uint32_t out = 36;
        bool null_out = false;
    };
    explicit RestoreCall(Options o) {
        for (int i = 0; i < 12; ++i) {
            const std::string t = "string" + std::to_string(i + 1) + std::string(static_cast<size_t>(i), '+');
            s[i] = mem.text("string " + std::to_string(i + 1), t);
            len[i] = static_cast<uint32_t>(t.size());
        }
        if (o.lists) {
            ts = generic_tablespaces(mem, "tablespaces", {std::string("TS1"), std::string("TS22")});
            media = generic_media(mem, "media", 'S', {std::string("/m/a"), std::string("/m/bb")});
            list3 = generic_tablespaces(mem, "list 3", {std::string("L3A"), std::string("L3BB")});
            list4 = generic_tablespaces(mem, "list 4", {std::string("L4A"), std::string("L4BB")});
        }
        char* out = o.null_out ? nullptr : mem.add("output", o.out ? o.out : 1).chars();
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
        rec->poOutput1 = out, rec->iOutput1Len = o.out;
        rec->piTablespaceList = o.lists ? ts.list : nullptr;
        rec->piMediaList = o.lists ? media.list : nullptr;
        rec->piList3 = o.lists ? list3.list : nullptr;
        rec->piList4 = o.lists ? list4.list : nullptr;
    }
    std::vector<const char*> lent_strings(bool r1, bool r2, bool r5) const {
        std::vector<const char*> out;
        for (int i = 0; i < 12; ++i) {
            if ((i == 8 && !r1) || (i == 9 && !r2) || (i == 11 && !r5)) continue;
            out.push_back(s[i] + len[i]);
        }
        return out;
    }
};

enum Cond { Always, R1, R2, R3, R4, R5 };

struct FieldMap {
    uint32_t generic, native;
    Cond cond;
};
std::vector<FieldMap> restore_fields() {
    std::vector<FieldMap> m = {{0, 0, Always},   {8, 4, Always},   {24, 44, Always}, {32, 48, Always},
                               {40, 52, Always}, {56, 64, Always}, {64, 68, Always}, {72, 72, Always}};
    for (uint32_t i = 0; i < 7; ++i) m.push_back({80 + 4 * i, 76 + 4 * i, Always});
    m.push_back({108, 104, R1});
    m.push_back({116, 108, R1});
    m.push_back({120, 112, R1});
    m.push_back({124, 116, R2});
    m.push_back({148, 132, Always});
    m.push_back({156, 140, R5});
    m.push_back({164, 144, R5});
    m.push_back({168, 148, R5});
    return m;
}
// The four list fields: native offset and the condition under which the list is read.
const FieldMap kListFields[] = {{48, 56, Always}, {52, 60, Always}, {132, 120, R3}, {144, 128, R4}};

struct VersionRow {
    uint32_t version;
    bool r1, r2, r3, r4, r5;
};
const VersionRow kRestoreVersions[] = {
    {0, false, false, false, false, false},
    {8010399, false, false, false, false, false},
    {8010400, true, false, false, false, false},
    {8019999, true, false, false, false, false},
    {8020000, true, true, false, false, false},
    {8020199, true, true, false, false, false},
    {8020200, true, true, true, false, false},
    {9070199, true, true, true, false, false},
    {9070200, true, true, true, true, false},
    {9079999, true, true, true, true, false},
    {9080000, true, true, true, false, false},
    {10009999, true, true, true, false, false},
    {10010000, true, true, true, true, false},
    {10010399, true, true, true, true, false},
    {10010400, true, true, true, true, true},
    {10049999, true, true, true, true, true},
    {10050000, true, true, true, true, false},
    {10050299, true, true, true, true, false},
    {10050300, true, true, true, true, true},
    {0x80000000, true, true, true, true, true},
    {0xFFFFFFFF, true, true, true, true, true},
};

bool holds(Cond c, const VersionRow& r) {
    switch (c) {
        case Always: return true;
        case R1: return r.r1;
        case R2: return r.r2;
        case R3: return r.r3;
        case R4: return r.r4;
        case R5: return r.r5;
    }
    return false;
}

class Restore : public EntryTest {};

TEST_P(Restore, NativeRecordByVersion) {
    for (const VersionRow& v : kRestoreVersions) {
        SCOPED_TRACE("version " + std::to_string(v.version));
        standin::reset();
        RestoreCall b({.null_out = true});
        const auto before = b.mem.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = b.mem.snapshot(); });
        Status st;

        EXPECT_EQ(call("qx3gRestore", v.version, b.rec, st.ca()), 0);

        auto natives = calls("qx3Restore");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words[0], v.version);
        EXPECT_EQ(natives[0].words[2], w(st.ca()));
        const Bytes& seen = natives[0].record;
        ASSERT_EQ(seen.size(), 156u);
        Bytes expected(156, 0);
        const uint8_t* generic = reinterpret_cast<const uint8_t*>(b.rec);
        for (const FieldMap& f : restore_fields())
            if (holds(f.cond, v)) memcpy(expected.data() + f.native, generic + f.generic, 4);
        // A list field holds the call's own native list (an address of its stack) when read.
        for (const FieldMap& f : kListFields) {
            uint32_t field;
            memcpy(&field, seen.data() + f.native, 4);
            EXPECT_EQ(field != 0, holds(f.cond, v)) << "list field at " << f.native;
            if (holds(f.cond, v)) memcpy(expected.data() + f.native, &field, 4);
        }
        EXPECT_TRUE(SameBytes(expected, seen.data(), seen.size()));
        ASSERT_EQ(natives[0].lists.size(), 4u);
        EXPECT_EQ(shown(natives[0].lists[0]), (std::vector<std::string>{"TS1", "TS22"}));
        EXPECT_EQ(shown(natives[0].lists[1]), (std::vector<std::string>{"/m/a", "/m/bb"}));
        using Names = std::vector<std::string>;
        const Names list3 = v.r3 ? Names{"L3A", "L3BB"} : Names{};
        const Names list4 = v.r4 ? Names{"L4A", "L4BB"} : Names{};
        EXPECT_EQ(shown(natives[0].lists[2]), list3);
        EXPECT_EQ(shown(natives[0].lists[3]), list4);

        std::vector<const char*> lent = b.lent_strings(v.r1, v.r2, v.r5);
        for (const char* p : b.ts.borrowed()) lent.push_back(p);
        for (const char* p : b.media.borrowed()) lent.push_back(p);
        if (v.r3) for (const char* p : b.list3.borrowed()) lent.push_back(p);
        if (v.r4) for (const char* p : b.list4.borrowed()) lent.push_back(p);
        EXPECT_TRUE(CallerMemory::Same(b.mem.with_nuls(before, lent), during, b.mem.names())) << "during the call";
        EXPECT_TRUE(b.mem.Is(before)) << "afterwards";
        EXPECT_EQ(standin::allocations(), 8u + (v.r3 ? 4u : 0u) + (v.r4 ? 4u : 0u));
    }
}

TEST_P(Restore, ChecksAndRequestsInTheirOrder) {
    RestoreCall b({});
    standin::checks_active(true);
    Status st;
    ASSERT_EQ(call("qx3gRestore", 10050300u, b.rec, st.ca()), 0);
    struct Want {
        const void* p;
        uint32_t length;
        unsigned mode;
    };
    std::vector<Want> want = {{b.rec, 172, 3}};
    auto list = [&](const auto& g, uint32_t record) {
        want.push_back({g.list, record, 3});
        want.push_back({g.entries, 24, 3});
        for (size_t i = 0; i < 2; ++i) {
            want.push_back({g.texts[i], g.lengths[i], 3});
            want.push_back({g.texts[i], g.lengths[i] + 1, 3});
        }
    };
    list(b.ts, 8);
    list(b.media, 12);
    list(b.list3, 8);
    list(b.list4, 8);
    for (int i : {0, 1, 10, 5, 6, 4, 2, 3, 7, 8, 9, 11}) want.push_back({b.s[i], b.len[i] + 1, 3});
    want.push_back({b.rec->poOutput1, 36, 2});
    const auto& checks = standin::checks();
    ASSERT_EQ(checks.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(checks[i].p, reinterpret_cast<uintptr_t>(want[i].p)) << "check " << i;
        EXPECT_EQ(checks[i].length, want[i].length) << "check " << i;
        EXPECT_EQ(checks[i].mode, want[i].mode) << "check " << i;
    }
    for (const standin::Call& c : calls("sqloGetMemoryBlockExtended"))
        EXPECT_EQ(standin::show(c.strings[5]), "sqlgrestore");
}

TEST_P(Restore, EmptyListsThreeAndFourTakeNoBlock) {
    for (bool empty3 : {true, false}) {
        SCOPED_TRACE(empty3 ? "list 3 empty" : "list 4 empty");
        standin::reset();
        RestoreCall b({.null_out = true});
        (empty3 ? b.list3 : b.list4).list->iNumEntries = 0;
        standin::checks_active(true);
        Status st;
        ASSERT_EQ(call("qx3gRestore", 10050300u, b.rec, st.ca()), 0);
        EXPECT_EQ(standin::allocations(), 12u) << "four blocks for each of the other three lists";
        auto natives = calls("qx3Restore");
        ASSERT_EQ(natives.size(), 1u);
        uint32_t field;
        memcpy(&field, natives[0].record.data() + (empty3 ? 120 : 128), 4);
        EXPECT_NE(field, 0u) << "the field points at an empty native list";
        EXPECT_EQ(natives[0].lists[empty3 ? 2 : 3].count, 0u);
        // The empty list's record is checked; its entry array is not.
        const auto& g = empty3 ? b.list3 : b.list4;
        bool record_checked = false;
        for (const standin::Check& c : standin::checks()) {
            EXPECT_NE(c.p, reinterpret_cast<uintptr_t>(g.entries));
            record_checked |= c.p == reinterpret_cast<uintptr_t>(g.list);
        }
        EXPECT_TRUE(record_checked);
    }
}

TEST_P(Restore, BadEntriesOfEachList) {
    struct Row {
        const char* what;
        int list;            // 0 tablespace, 1 media, 2 list 3, 3 list 4
        bool over_length;    // the check over L fails (else only the one over L + 1)
        size_t entry;
        int32_t rc;
        size_t requests;
    } rows[] = {
        {"tablespace list: skipped", 0, true, 1, 0, 15},
        {"media list: skipped", 1, true, 0, 0, 15},
        {"list 3: skipped", 2, true, 1, 0, 15},
        {"list 4: ends the call", 3, true, 0, 0x44, 14},
        {"list 4, last entry: ends the call", 3, true, 1, 0x44, 15},
        {"tablespace list, last entry over L + 1", 0, false, 1, 0x44, 4},
        {"media list, last entry over L + 1", 1, false, 1, 0x44, 8},
        {"list 3, last entry over L + 1", 2, false, 1, 0x44, 12},
        {"list 4, last entry over L + 1", 3, false, 1, 0x44, 16},
        {"list 4, first entry over L + 1: goes on", 3, false, 0, 0, 16},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        RestoreCall b({.null_out = true});
        const std::vector<char*>& texts =
            r.list == 0 ? b.ts.texts : r.list == 1 ? b.media.texts : r.list == 2 ? b.list3.texts : b.list4.texts;
        const std::vector<uint32_t>& lens =
            r.list == 0 ? b.ts.lengths : r.list == 1 ? b.media.lengths : r.list == 2 ? b.list3.lengths : b.list4.lengths;
        standin::checks_active(true);
        if (r.over_length) standin::fail_checks(texts[r.entry], 1, standin::mode_bit(3), 0x44);
        else standin::fail_checks(texts[r.entry] + lens[r.entry], 1, standin::mode_bit(3), 0x44);
        const auto before = b.mem.snapshot();
        Status st;
        EXPECT_EQ(call("qx3gRestore", 10050300u, b.rec, st.ca()), r.rc);
        EXPECT_EQ(calls("qx3Restore").size(), r.rc == 0 ? 1u : 0u);
        EXPECT_EQ(standin::allocations(), r.requests);
        EXPECT_TRUE(b.mem.Is(before));
        EXPECT_TRUE(SameBytes(Status().mem.bytes(), st.mem) || r.rc == 0);
        EXPECT_TRUE(standin::live_blocks().empty());
        if (r.rc == 0) {
            std::vector<std::string> seen = shown(calls("qx3Restore")[0].lists[static_cast<size_t>(r.list)]);
            ASSERT_EQ(seen.size(), 2u);
            EXPECT_EQ(seen[r.entry] == "<null>", r.over_length);
        }
    }
}

TEST_P(Restore, ReturnedTextIsPadded) {
    struct Row {
        const char* what;
        uint32_t len;
        bool null;
        std::string native;  // the native field from offset 0
        std::string out;
        int32_t result;
    } rows[] = {
        {"full width, 20 characters", 36, false, std::string("20240517093011.00001\0", 21),
         "20240517093011.00001" + std::string(16, ' '), 0},
        {"shorter buffer", 24, false, std::string("20240517093011.00001\0", 21), "20240517093011.00001    ", 0},
        {"length 1", 1, false, std::string("\0", 1), " ", 0},
        {"length 1, a character", 1, false, "Z", "Z", 0},
        {"no NUL within the length", 5, false, "ABCDEFGH", "ABCDE", 0},
        {"null buffer", 36, true, "abc", "", 0},
        {"whatever the result", 8, false, std::string("x\0", 2), "x       ", -2530},
        {"a length beyond the field", 40, false, std::string("abc\0", 4), "abc" + std::string(37, ' '), 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        RestoreCall b({.lists = false, .out = r.len, .null_out = r.null});
        standin::during_call([&](const standin::Call& c) {
            auto* n = reinterpret_cast<qx3RestoreStruct*>(uintptr_t{c.words[1]});
            memset(n->oOutput1, 'V', sizeof n->oOutput1);
            memcpy(n->oOutput1, r.native.data(), r.native.size());
        });
        standin::set_result("qx3Restore", r.result);
        Status st;
        EXPECT_EQ(call("qx3gRestore", 10050300u, b.rec, st.ca()), r.result);
        if (!r.null) {
            EXPECT_EQ(std::string(b.rec->poOutput1, r.len), r.out);
        }
    }
}

TEST_P(Restore, LengthZeroTouchesNothing) {
    RestoreCall b({.lists = false, .out = 0});
    const auto before = b.mem.snapshot();
    Status st;
    ASSERT_EQ(call("qx3gRestore", 10050300u, b.rec, st.ca()), 0);
    EXPECT_TRUE(b.mem.Is(before));
}

TEST_P(Restore, OneBufferAsEveryStringComesBack) {
    for (uint32_t version : {0u, 10050300u}) {
        SCOPED_TRACE(version);
        standin::reset();
        RestoreCall b({.lists = false, .null_out = true});
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

TEST_P(Restore, MemoryFailureAtEveryRequest) {
    unsigned k = 1;
    for (;; ++k) {
        bool completed = false;
        for (bool refuse : {false, true}) {
            SCOPED_TRACE("request " + std::to_string(k) + (refuse ? ", sqlca refused" : ""));
            standin::reset();
            RestoreCall b({});
            const auto before = b.mem.snapshot();
            Status st;
            standin::refuse_sqlca(refuse ? 1 : 0);
            standin::fail_allocation(k);
            const int32_t rc = call("qx3gRestore", 10050300u, b.rec, st.ca());
            if (standin::allocations() < k) {
                completed = true;
                EXPECT_EQ(rc, 0);
                break;
            }
            EXPECT_EQ(rc, -83);
            EXPECT_TRUE(SameBytes(refuse ? Status().mem.bytes() : st.with(-83, "qx3gRest"), st.mem));
            EXPECT_TRUE(b.mem.Is(before));
            EXPECT_TRUE(calls("qx3Restore").empty());
            EXPECT_TRUE(standin::live_blocks().empty());
            ASSERT_EQ(calls("sqloincaChkptr").size(), 1u);
        }
        if (completed) break;
        ASSERT_LT(k, 100u);
    }
    EXPECT_EQ(k, 17u) << "two arrays and two copies for each of four lists";
}

TEST_P(Restore, RecordMissingOrUnreadable) {
    for (bool refuse : {false, true}) {
        for (bool null_record : {true, false}) {
            SCOPED_TRACE(std::string(null_record ? "null" : "unreadable") + (refuse ? ", refused" : ""));
            standin::reset();
            RestoreCall b({});
            const auto before = b.mem.snapshot();
            Status st;
            standin::refuse_sqlca(refuse ? 2 : 0);
            if (!null_record) {
                standin::checks_active(true);
                standin::fail_checks(reinterpret_cast<char*>(b.rec) + 171, 1, standin::mode_bit(3));
            }
            EXPECT_EQ(call("qx3gRestore", 10050300u, null_record ? nullptr : b.rec, st.ca()), -83);
            EXPECT_TRUE(SameBytes(refuse ? Status().mem.bytes() : st.with(-83, "qx3gRest"), st.mem));
            EXPECT_TRUE(b.mem.Is(before));
            EXPECT_TRUE(calls("qx3Restore").empty());
            EXPECT_EQ(standin::allocations(), 0u);
        }
    }
}

TEST_P(Restore, ApplicationDataFailure) {
    RestoreCall b({});
    const auto before = b.mem.snapshot();
    Status st;
    standin::fail_app_data(-1);
    EXPECT_EQ(call("qx3gRestore", 10050300u, b.rec, st.ca()), 0);
    EXPECT_TRUE(SameBytes(st.with(-1022), st.mem));
    EXPECT_TRUE(b.mem.Is(before));
    EXPECT_EQ(standin::allocations(), 0u);
    EXPECT_TRUE(calls("qx3Restore").empty());
}

TEST_P(Restore, NativeOutcomePassesThrough) {
    RestoreCall b({.lists = false, .null_out = true});
    Status st;
    standin::set_result("qx3Restore", 2529);
    EXPECT_EQ(call("qx3gRestore", 8010400u, b.rec, st.ca()), 2529);
    EXPECT_EQ(st.ca()->sqlcode, 2529);
    EXPECT_EQ(memcmp(st.ca()->sqlerrp, "qx3Resto", 8), 0);
}

QX3_BACKENDS(Restore);

}  // namespace

namespace {

// ---- Legacy restore ---------------------------------------------------------------------------

// Where each role sits among an entry point's arguments (positions from 1; 0: none), and the order
// in which its native receives them.
struct LegacyRestoreKind {
    const char* name;
    const char* native;
    size_t words;
    const char* tag;
    int len[6];        // lengths of strings 1 to 5 and 6
    int text_len;
    int string[6];     // strings 1 to 6
    int text, out33, ts, media;
    std::vector<int> ignored;
    std::vector<int> native_order;
};

std::vector<int> range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i <= to; ++i) v.push_back(i);
    return v;
}
std::vector<int> join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const LegacyRestoreKind kLegacyRestores[] = {
    {"sqlgrestore", "sqlurestore", 35, "sqlgrestore", {1, 2, 4, 5, 6, 7}, 3, {9, 10, 19, 24, 25, 21}, 18, 17, 22, 23,
     {8, 28, 30}, join(range(9, 26), {32, 33, 27, 29, 31, 34, 35})},
    {"sqlgrsto", "sqlursto", 26, "sqlgrsto", {1, 2, 4, 5, 6, 0}, 3, {8, 9, 16, 20, 21, 0}, 15, 14, 18, 19, {7},
     range(8, 26)},
    {"sqlgrst", "sqlurst", 32, "sqlgrst", {1, 2, 4, 5, 6, 0}, 3, {8, 9, 17, 21, 22, 0}, 16, 15, 19, 20, {7, 25, 27},
     join(range(8, 23), {29, 30, 24, 26, 28, 31, 32})},
};

struct LegacyRestoreCall {
    CallerMemory mem;
    const LegacyRestoreKind& k;
    char* s[6] = {};
    uint32_t len[6] = {};
    char* text;
    uint32_t text_len = 8;
    char* out33;
    InPlace<sqluTablespaceList> ts;
    InPlace<sqluMediaList> media;
    Status st;
    std::vector<uint32_t> a;

    LegacyRestoreCall(const LegacyRestoreKind& kind, uint8_t media_type = 'L') : k(kind), a(kind.words) {
        for (size_t i = 0; i < a.size(); ++i) a[i] = 0xE0000000u + static_cast<uint32_t>(i + 1);
        for (int i = 0; i < 6; ++i) {
            if (k.string[i] == 0) continue;
            const std::string t = "str" + std::to_string(i + 1) + std::string(static_cast<size_t>(i), '#');
            s[i] = mem.text("string " + std::to_string(i + 1), t);
            len[i] = static_cast<uint32_t>(t.size());
            at(k.string[i]) = w(s[i]);
            at(k.len[i]) = (0x5A5A0000u * static_cast<uint32_t>(i + 1)) | len[i];  // high halves not read
        }
        Guarded& t = mem.add("text 15", 15);
        t.set(0, "PREVIOUS");
        text = t.chars();
        at(k.text) = w(text);
        at(k.text_len) = 0xFFFF0000u | text_len;
        out33 = mem.add("output 33", 33).chars();
        at(k.out33) = w(out33);
        ts = inplace_tablespaces(mem, "tablespaces", {"TSA", "TSBB"});
        media = inplace_media(mem, "media", media_type, {std::string("/restore/a"), std::string("/restore/bb")});
        at(k.ts) = w(ts.list);
        at(k.media) = w(media.list);
        a.back() = w(st.ca());
    }
    uint32_t& at(int position) { return a[static_cast<size_t>(position - 1)]; }
};

class LegacyRestore : public WordsTest {};

TEST_P(LegacyRestore, NativeArgumentPermutation) {
    for (const LegacyRestoreKind& k : kLegacyRestores) {
        SCOPED_TRACE(k.name);
        standin::reset();
        LegacyRestoreCall r(k);
        standin::set_result(k.native, 0x1001);
        EXPECT_EQ(call_words(k.name, r.a), 0x1001);
        auto natives = calls(k.native);
        ASSERT_EQ(natives.size(), 1u);
        std::vector<uint32_t> expected;
        for (int p : k.native_order) expected.push_back(r.at(p));
        EXPECT_EQ(natives[0].words, expected);
        for (int p : k.ignored)
            for (uint32_t word : natives[0].words) EXPECT_NE(word, r.at(p)) << "ignored argument " << p;
    }
}

TEST_P(LegacyRestore, StringsListsAndTheInOutText) {
    for (const LegacyRestoreKind& k : kLegacyRestores) {
        SCOPED_TRACE(k.name);
        standin::reset();
        LegacyRestoreCall r(k);
        const auto before = r.mem.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) {
            during = r.mem.snapshot();
            // The native writes nothing into the in/out text this time.
            memcpy(r.text, "PREVIOUS", 8);
            r.text[8] = '\0';
        });
        ASSERT_EQ(call_words(k.name, r.a), 0);
        auto natives = calls(k.native);
        ASSERT_EQ(natives.size(), 1u);
        std::vector<const char*> lent;
        for (int i = 0; i < 6; ++i)
            if (r.s[i] != nullptr) lent.push_back(r.s[i] + r.len[i]);
        for (const char* p : r.ts.borrowed()) lent.push_back(p);
        for (const char* p : r.media.borrowed()) lent.push_back(p);
        lent.push_back(r.text + r.text_len);
        const auto expected = r.mem.with_nuls(before, lent);
        for (size_t i = 0; i < before.size(); ++i) {
            if (r.mem.names()[i] == "output 33" || r.mem.names()[i] == "text 15") continue;
            EXPECT_TRUE(SameBytes(expected[i], during[i].data(), during[i].size())) << r.mem.names()[i];
        }
        EXPECT_EQ(shown(natives[0].lists[0]), (std::vector<std::string>{"TSA", "TSBB"}));
        EXPECT_EQ(shown(natives[0].lists[1]), (std::vector<std::string>{"/restore/a", "/restore/bb"}));
        // The in/out text as the native read it, and afterwards: its 8 characters and 7 blanks, the
        // byte that stood at position 8 not given back.
        size_t text_word = 0;
        for (size_t i = 0; i < k.native_order.size(); ++i)
            if (k.native_order[i] == k.text) text_word = i;
        EXPECT_EQ(standin::show(natives[0].strings[text_word]), "PREVIOUS");
        auto after = before;
        for (size_t i = 0; i < after.size(); ++i) {
            if (r.mem.names()[i] == "text 15") {
                const std::string t = "PREVIOUS       ";
                after[i].assign(t.begin(), t.end());
            }
            if (r.mem.names()[i] == "output 33") {
                const std::string o = "images/SAMPLE/0001" + std::string(15, ' ');
                after[i].assign(o.begin(), o.end());
            }
        }
        EXPECT_TRUE(r.mem.Is(after));
        for (const standin::Call& c : calls("sqloGetMemoryBlockExtended"))
            EXPECT_EQ(standin::show(c.strings[5]), k.tag);
    }
}

TEST_P(LegacyRestore, ChecksInTheirOrder) {
    for (const LegacyRestoreKind& k : kLegacyRestores) {
        SCOPED_TRACE(k.name);
        standin::reset();
        LegacyRestoreCall r(k);
        standin::checks_active(true);
        ASSERT_EQ(call_words(k.name, r.a), 0);
        std::vector<std::pair<const void*, uint32_t>> want = {
            {r.ts.list, 8},           {r.ts.entries->data(), 48}, {r.ts.texts[0], 4},    {r.ts.texts[1], 5},
            {r.media.list, 12},       {r.media.entries->data(), 440}, {r.media.texts[0], 11}, {r.media.texts[1], 12}};
        for (int i : {0, 1, 3, 4, 5})
            if (r.s[i] != nullptr) want.push_back({r.s[i], r.len[i] + 1});
        want.push_back({r.text, r.text_len + 1});
        want.push_back({r.s[2], r.len[2] + 1});
        want.push_back({r.out33, 33});
        want.push_back({r.text, 15});
        const auto& checks = standin::checks();
        ASSERT_EQ(checks.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(checks[i].p, reinterpret_cast<uintptr_t>(want[i].first)) << "check " << i;
            EXPECT_EQ(checks[i].length, want[i].second) << "check " << i;
            EXPECT_EQ(checks[i].mode, i + 2 >= want.size() ? 2u : 3u) << "check " << i;
        }
    }
}

TEST_P(LegacyRestore, BuffersArePaddedAndUnreadableTextsLeftAlone) {
    struct Row {
        const char* what;
        std::string native33, native15;
        std::string out33, out15;
        bool fail_text;   // the in/out text fails its check over length + 1
        int32_t result;
    } rows[] = {
        {"three characters, a NUL and more", std::string("abc\0", 4) + std::string(29, 'z'),
         std::string("xyz\0", 4) + std::string(11, 'z'), "abc" + std::string(30, ' '), "xyz" + std::string(12, ' '),
         false, 0},
        {"no NUL: unchanged", std::string(33, 'A'), std::string(15, 'B'), std::string(33, 'A'), std::string(15, 'B'),
         false, 0},
        {"whatever the result", std::string(1, '\0') + std::string(32, 'z'), std::string(1, '\0') + std::string(14, 'z'),
         std::string(33, ' '), std::string(15, ' '), false, -2539},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        standin::reset();
        LegacyRestoreCall r(kLegacyRestores[2]);
        standin::during_call([&](const standin::Call&) {
            memcpy(r.out33, row.native33.data(), 33);
            memcpy(r.text, row.native15.data(), 15);
        });
        standin::set_result("sqlurst", row.result);
        EXPECT_EQ(call_words("sqlgrst", r.a), row.result);
        EXPECT_EQ(std::string(r.out33, 33), row.out33);
        EXPECT_EQ(std::string(r.text, 15), row.out15);
    }
    // An unreadable in/out text goes on unterminated; null buffers are left alone.
    standin::reset();
    LegacyRestoreCall r(kLegacyRestores[0]);
    standin::checks_active(true);
    standin::fail_check_exact(r.text, r.text_len + 1, standin::mode_bit(3));
    const std::string text_before(r.text, 15);
    ASSERT_EQ(call_words("sqlgrestore", r.a), 0);
    const standin::Seen& seen = calls("sqlurestore")[0].strings[9];  // the text, as the native read it
    EXPECT_FALSE(seen.terminated);
    EXPECT_EQ(seen.text, text_before);
    standin::reset();
    LegacyRestoreCall n(kLegacyRestores[1]);
    n.at(n.k.text) = 0;
    n.at(n.k.out33) = 0;
    ASSERT_EQ(call_words("sqlgrsto", n.a), 0);
    EXPECT_TRUE(calls("sqlursto")[0].strings[7].null);
}

TEST_P(LegacyRestore, LastEntryCheckThatFailsEndsTheCall) {
    for (const LegacyRestoreKind& k : kLegacyRestores) {
        for (bool in_media : {false, true}) {
            SCOPED_TRACE(std::string(k.name) + (in_media ? " media" : " tablespaces"));
            standin::reset();
            LegacyRestoreCall r(k);
            const auto& texts = in_media ? r.media.texts : r.ts.texts;
            const auto& lens = in_media ? r.media.lengths : r.ts.lengths;
            standin::checks_active(true);
            standin::fail_check_exact(texts[1], lens[1] + 1, standin::mode_bit(3), 0x3F);
            const auto before = r.mem.snapshot();
            EXPECT_EQ(call_words(k.name, r.a), 0x3F);
            EXPECT_TRUE(calls(k.native).empty());
            EXPECT_TRUE(r.mem.Is(before));
            EXPECT_TRUE(SameBytes(Status().mem.bytes(), r.st.mem));
            EXPECT_TRUE(standin::live_blocks().empty());
        }
    }
}

TEST_P(LegacyRestore, MemoryFailureAtEveryRequest) {
    for (const LegacyRestoreKind& k : kLegacyRestores) {
        for (uint8_t type : {'L', 'O'}) {
            unsigned n = 1;
            for (;; ++n) {
                bool completed = false;
                for (bool refuse : {false, true}) {
                    SCOPED_TRACE(std::string(k.name) + " type " + char(type) + " request " + std::to_string(n) +
                                 (refuse ? ", sqlca refused" : ""));
                    standin::reset();
                    LegacyRestoreCall r(k, type);
                    const auto before = r.mem.snapshot();
                    standin::refuse_sqlca(refuse ? 1 : 0);
                    standin::fail_allocation(n);
                    const int32_t rc = call_words(k.name, r.a);
                    if (standin::allocations() < n) {
                        completed = true;
                        EXPECT_EQ(rc, 0);
                        break;
                    }
                    EXPECT_EQ(rc, -83);
                    EXPECT_TRUE(SameBytes(refuse ? Status().mem.bytes() : r.st.with(-83, "sqlgbkup"), r.st.mem));
                    EXPECT_TRUE(r.mem.Is(before));
                    EXPECT_TRUE(calls(k.native).empty());
                    EXPECT_TRUE(standin::live_blocks().empty());
                }
                if (completed) break;
                ASSERT_LT(n, 10u);
            }
            EXPECT_EQ(n, 3u);
        }
    }
}

TEST_P(LegacyRestore, ApplicationDataFailure) {
    for (const LegacyRestoreKind& k : kLegacyRestores) {
        SCOPED_TRACE(k.name);
        standin::reset();
        LegacyRestoreCall r(k);
        const auto before = r.mem.snapshot();
        standin::fail_app_data(1);
        EXPECT_EQ(call_words(k.name, r.a), 0);
        EXPECT_TRUE(SameBytes(r.st.with(-1022), r.st.mem));
        EXPECT_TRUE(r.mem.Is(before));
        EXPECT_TRUE(standin::checks().empty());
        EXPECT_TRUE(calls(k.native).empty());
    }
}

QX3_BACKENDS(LegacyRestore);

}  // namespace
