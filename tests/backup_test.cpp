// Backup: qx3gBackup's native record by version, its copied lists, its strings, its returned texts
// and its exits; the legacy sqlgbkp and sqlgbkup with their in-place lists.
#include <string.h>

#include "qx3agapi.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

// ---- qx3gBackup -------------------------------------------------------------------------------

// A complete generic backup record in caller memory: five strings, two output buffers, both lists,
// and a distinct word in every other field.
struct BackupCall {
    CallerMemory mem;
    qx3gBackupStruct* rec = nullptr;
    char* s[5] = {};
    uint32_t len[5] = {};
    Generic<qx3gTablespaceList> ts;
    Generic<qx3gMediaList> media;

    struct Options {
        bool lists = true;
        uint32_t out1 = 33, out2 = 15;
        bool null_out1 = false, null_out2 = false;
    };
    explicit BackupCall(Options o) {
        static const char* const texts[5] = {"SAMPLE", "/archive/one", "ADMIN", "qx3-vendor.lib", "OPTIONS=FAST"};
        for (int i = 0; i < 5; ++i) {
            s[i] = mem.text("string " + std::to_string(i + 1), texts[i]);
            len[i] = static_cast<uint32_t>(strlen(texts[i]));
        }
        if (o.lists) {
            ts = generic_tablespaces(mem, "tablespaces", {std::string("SYSCATSPACE"), std::string("USERSPACE1")});
            media = generic_media(mem, "media", 'L', {std::string("/mnt/a"), std::string("/mnt/bb")});
        }
        char* out1 = o.null_out1 ? nullptr : mem.add("output 1", o.out1 ? o.out1 : 1).chars();
        char* out2 = o.null_out2 ? nullptr : mem.add("output 2", o.out2 ? o.out2 : 1).chars();
        Guarded& r = mem.add("record", sizeof(qx3gBackupStruct));
        for (uint32_t off = 0; off < sizeof(qx3gBackupStruct); off += 4) {
            const uint32_t word = 0xB0000000u + off;
            memcpy(r.data() + off, &word, 4);
        }
        rec = r.as<qx3gBackupStruct>();
        rec->piString1 = s[0], rec->iString1Len = len[0];
        rec->piString2 = s[1], rec->iString2Len = len[1];
        rec->piString3 = s[2], rec->iString3Len = len[2];
        rec->piString4 = s[3], rec->iString4Len = len[3];
        rec->piString5 = s[4], rec->iString5Len = len[4];
        rec->poOutput1 = out1, rec->iOutput1Len = o.out1;
        rec->poOutput2 = out2, rec->iOutput2Len = o.out2;
        rec->piTablespaceList = o.lists ? ts.list : nullptr;
        rec->piMediaList = o.lists ? media.list : nullptr;
    }
};

enum Cond { Always, V1, V2, V3, V4 };

// Where each 4-byte field of the native record comes from, as generic offset, native offset and
// the condition under which it is read.
struct FieldMap {
    uint32_t generic, native;
    Cond cond;
};
std::vector<FieldMap> backup_fields() {
    std::vector<FieldMap> m = {{0, 0, Always}, {32, 60, Always}, {40, 64, Always}};
    for (uint32_t i = 0; i < 8; ++i) m.push_back({48 + 4 * i, 68 + 4 * i, Always});
    m.push_back({80, 100, V1});
    m.push_back({84, 104, V2});
    m.push_back({92, 108, V2});
    m.push_back({96, 112, V2});
    for (uint32_t i = 0; i < 5; ++i) m.push_back({100 + 4 * i, 116 + 4 * i, V3});
    m.push_back({120, 136, V4});
    m.push_back({128, 140, V4});
    m.push_back({132, 144, V4});
    return m;
}

struct VersionRow {
    uint32_t version;
    bool v1, v2, v3, v4;
};
const VersionRow kBackupVersions[] = {
    {0, false, false, false, false},
    {8010199, false, false, false, false},
    {8010200, true, false, false, false},
    {8010399, true, false, false, false},
    {8010400, true, true, false, false},
    {9049999, true, true, false, false},
    {9050000, true, true, true, false},
    {10010399, true, true, true, false},
    {10010400, true, true, true, true},
    {10049999, true, true, true, true},
    {10050000, true, true, true, false},
    {10050299, true, true, true, false},
    {10050300, true, true, true, true},
    {0x7FFFFFFF, true, true, true, true},
    {0x80000000, true, true, true, true},
    {0xFFFFFFFF, true, true, true, true},
};

bool holds(Cond c, const VersionRow& r) {
    switch (c) {
        case Always: return true;
        case V1: return r.v1;
        case V2: return r.v2;
        case V3: return r.v3;
        case V4: return r.v4;
    }
    return false;
}

class Backup : public EntryTest {};

TEST_P(Backup, NativeRecordByVersion) {
    for (const VersionRow& v : kBackupVersions) {
        SCOPED_TRACE("version " + std::to_string(v.version));
        standin::reset();
        BackupCall b({.lists = false, .null_out1 = true, .null_out2 = true});
        const auto before = b.mem.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = b.mem.snapshot(); });
        Status st;

        EXPECT_EQ(call("qx3gBackup", v.version, b.rec, st.ca()), 0);

        auto natives = calls("qx3Backup");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words[0], v.version) << "the version goes on unchanged";
        EXPECT_EQ(natives[0].words[2], w(st.ca()));
        Bytes expected(148, 0);
        const uint8_t* generic = reinterpret_cast<const uint8_t*>(b.rec);
        for (const FieldMap& f : backup_fields())
            if (holds(f.cond, v)) memcpy(expected.data() + f.native, generic + f.generic, 4);
        ASSERT_EQ(natives[0].record.size(), 148u);
        EXPECT_TRUE(SameBytes(expected, natives[0].record.data(), 148));
        // Strings 4 and 5 are lent their NULs only when their version reaches them.
        std::vector<const char*> lent = {b.s[0] + b.len[0], b.s[1] + b.len[1], b.s[2] + b.len[2]};
        if (v.v2) lent.push_back(b.s[3] + b.len[3]);
        if (v.v4) lent.push_back(b.s[4] + b.len[4]);
        EXPECT_TRUE(CallerMemory::Same(b.mem.with_nuls(before, lent), during, b.mem.names())) << "during the call";
        EXPECT_TRUE(b.mem.Is(before)) << "afterwards";
    }
}

TEST_P(Backup, ListsReachTheNativeCallAsCopies) {
    BackupCall b({.null_out1 = true, .null_out2 = true});
    b.media.list->iMediaType = 'Q';
    const auto before = b.mem.snapshot();
    std::vector<Bytes> during;
    std::vector<uint32_t> ts_blocks, media_blocks;  // copy 0, copy 1, pointer array
    standin::during_call([&](const standin::Call& c) {
        during = b.mem.snapshot();
        auto* n = reinterpret_cast<qx3BackupStruct*>(uintptr_t{c.words[1]});
        ts_blocks = {w(n->piTablespaceList->piEntries[0]), w(n->piTablespaceList->piEntries[1]),
                     w(n->piTablespaceList->piEntries)};
        media_blocks = {w(n->piMediaList->piEntries[0]), w(n->piMediaList->piEntries[1]), w(n->piMediaList->piEntries)};
    });
    Status st;
    ASSERT_EQ(call("qx3gBackup", 10050300u, b.rec, st.ca()), 0);
    auto natives = calls("qx3Backup");
    ASSERT_EQ(natives.size(), 1u);
    const standin::Call& c = natives[0];
    ASSERT_EQ(c.lists.size(), 2u);
    EXPECT_FALSE(c.lists[0].null);
    EXPECT_EQ(c.lists[0].count, 2u);
    EXPECT_EQ(shown(c.lists[0]), (std::vector<std::string>{"SYSCATSPACE", "USERSPACE1"}));
    EXPECT_EQ(c.lists[1].count, 2u);
    EXPECT_EQ(c.lists[1].type, uint32_t{'Q'});
    EXPECT_EQ(shown(c.lists[1]), (std::vector<std::string>{"/mnt/a", "/mnt/bb"}));
    // The caller's own texts are lent NULs as well, along with the five strings.
    std::vector<const char*> lent = b.ts.borrowed();
    for (const char* p : b.media.borrowed()) lent.push_back(p);
    for (int i = 0; i < 5; ++i) lent.push_back(b.s[i] + b.len[i]);
    EXPECT_TRUE(CallerMemory::Same(b.mem.with_nuls(before, lent), during, b.mem.names()));
    EXPECT_TRUE(b.mem.Is(before));
    // Every block carries the tag sqlgbkp: two arrays and two copies per list.
    auto gets = calls("sqloGetMemoryBlockExtended");
    ASSERT_EQ(gets.size(), 8u);
    const uint32_t sizes[] = {16, 24, 12, 11, 16, 24, 7, 8};
    for (size_t i = 0; i < gets.size(); ++i) {
        EXPECT_EQ(gets[i].words[1], sizes[i]) << "request " << i;
        EXPECT_EQ(standin::show(gets[i].strings[5]), "sqlgbkp") << "request " << i;
    }
    // Release order: the two slot arrays, then the tablespace copies and array, then the media ones.
    auto frees = calls("sqlofmblkEx");
    ASSERT_EQ(frees.size(), 8u);
    std::vector<uint32_t> freed;
    for (const standin::Call& f : frees) freed.push_back(f.words[2]);
    std::vector<uint32_t> later = ts_blocks;
    later.insert(later.end(), media_blocks.begin(), media_blocks.end());
    EXPECT_EQ(std::vector<uint32_t>(freed.begin() + 2, freed.end()), later);
}

TEST_P(Backup, NullListsGiveNullFieldsAndUnreadableListsEmptyOnes) {
    struct Row {
        const char* what;
        bool null_ts, null_media;
        bool fail_ts, fail_media;  // the list record fails its check
    } rows[] = {
        {"both null", true, true, false, false},
        {"media null", false, true, false, false},
        {"tablespace list unreadable", false, false, true, false},
        {"media list unreadable", false, false, false, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        BackupCall b({.null_out1 = true, .null_out2 = true});
        if (r.null_ts) b.rec->piTablespaceList = nullptr;
        if (r.null_media) b.rec->piMediaList = nullptr;
        standin::checks_active(true);
        if (r.fail_ts) standin::fail_checks(b.ts.list, 8, standin::mode_bit(3));
        if (r.fail_media) standin::fail_checks(b.media.list, 12, standin::mode_bit(3));
        const auto before = b.mem.snapshot();
        Status st;
        ASSERT_EQ(call("qx3gBackup", 9050000u, b.rec, st.ca()), 0);
        auto natives = calls("qx3Backup");
        ASSERT_EQ(natives.size(), 1u);
        uint32_t ts_field, media_field;
        memcpy(&ts_field, natives[0].record.data() + 52, 4);
        memcpy(&media_field, natives[0].record.data() + 56, 4);
        EXPECT_EQ(ts_field == 0, r.null_ts);
        EXPECT_EQ(media_field == 0, r.null_media);
        if (!r.null_ts) {
            EXPECT_EQ(natives[0].lists[0].count, r.fail_ts ? 0u : 2u);
        }
        if (!r.null_media) {
            EXPECT_EQ(natives[0].lists[1].count, r.fail_media ? 0u : 2u);
            EXPECT_EQ(natives[0].lists[1].type, r.fail_media ? 0u : uint32_t{'L'}) << "an empty list has type 0";
        }
        EXPECT_TRUE(b.mem.Is(before));
    }
}

TEST_P(Backup, ChecksInTheirOrder) {
    BackupCall b({});
    standin::checks_active(true);
    Status st;
    ASSERT_EQ(call("qx3gBackup", 10050300u, b.rec, st.ca()), 0);
    struct Want {
        const void* p;
        uint32_t length;
        unsigned mode;
    };
    std::vector<Want> want = {{b.rec, 136, 3}, {b.ts.list, 8, 3}, {b.ts.entries, 24, 3}};
    for (size_t i = 0; i < 2; ++i) {
        want.push_back({b.ts.texts[i], b.ts.lengths[i], 3});
        want.push_back({b.ts.texts[i], b.ts.lengths[i] + 1, 3});
    }
    want.push_back({b.media.list, 12, 3});
    want.push_back({b.media.entries, 24, 3});
    for (size_t i = 0; i < 2; ++i) {
        want.push_back({b.media.texts[i], b.media.lengths[i], 3});
        want.push_back({b.media.texts[i], b.media.lengths[i] + 1, 3});
    }
    for (int i : {0, 1, 2, 3, 4}) want.push_back({b.s[i], b.len[i] + 1, 3});
    want.push_back({b.rec->poOutput2, 15, 2});
    want.push_back({b.rec->poOutput1, 33, 2});
    const auto& checks = standin::checks();
    ASSERT_EQ(checks.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(checks[i].p, reinterpret_cast<uintptr_t>(want[i].p)) << "check " << i;
        EXPECT_EQ(checks[i].length, want[i].length) << "check " << i;
        EXPECT_EQ(checks[i].mode, want[i].mode) << "check " << i;
    }
}

TEST_P(Backup, StringsUnterminatedWhenNullOrUnreadable) {
    BackupCall b({.lists = false, .null_out1 = true, .null_out2 = true});
    b.rec->piString2 = nullptr;
    standin::checks_active(true);
    standin::fail_checks(b.s[2] + b.len[2], 1, standin::mode_bit(3));
    const auto before = b.mem.snapshot();
    std::vector<Bytes> during;
    standin::during_call([&](const standin::Call&) { during = b.mem.snapshot(); });
    Status st;
    ASSERT_EQ(call("qx3gBackup", 10050300u, b.rec, st.ca()), 0);
    auto natives = calls("qx3Backup");
    ASSERT_EQ(natives.size(), 1u);
    uint32_t s2, s3;
    memcpy(&s2, natives[0].record.data() + 60, 4);
    memcpy(&s3, natives[0].record.data() + 64, 4);
    EXPECT_EQ(s2, 0u) << "a null string stays null";
    EXPECT_EQ(s3, w(b.s[2])) << "an unreadable string goes on as it stands";
    EXPECT_TRUE(CallerMemory::Same(
        b.mem.with_nuls(before, {b.s[0] + b.len[0], b.s[3] + b.len[3], b.s[4] + b.len[4]}), during, b.mem.names()));
    EXPECT_TRUE(b.mem.Is(before));
}

TEST_P(Backup, OneBufferAsEveryStringComesBack) {
    // All five strings end at the same byte: only the newest-first restore gives the caller's byte
    // back, whichever strings the version reaches.
    for (uint32_t version : {8010400u, 10050300u}) {
        SCOPED_TRACE(version);
        standin::reset();
        BackupCall b({.lists = false, .null_out1 = true, .null_out2 = true});
        b.rec->piString2 = b.rec->piString3 = b.rec->piString4 = b.rec->piString5 = b.s[0];
        b.rec->iString2Len = b.rec->iString3Len = b.rec->iString4Len = b.rec->iString5Len = b.len[0];
        const auto before = b.mem.snapshot();
        Status st;
        ASSERT_EQ(call("qx3gBackup", version, b.rec, st.ca()), 0);
        EXPECT_TRUE(b.mem.Is(before));
    }
}

struct PadRow {
    const char* what;
    uint32_t len1, len2;
    bool null1, null2;
    std::string native1, native2;  // what the native call leaves in its two fields (from offset 0)
    std::string out1, out2;        // the caller's buffers afterwards ("" for a null buffer)
    int32_t result = 0;
    bool fail_write2 = false;  // checks active, output 2 fails its write check
};

const PadRow kPadRows[] = {
    {"full widths", 33, 15, false, false, std::string("images/SAMPLE/0001\0", 19), std::string("20240517093011\0", 15),
     "images/SAMPLE/0001               ", "20240517093011 "},
    {"length 1, a character", 1, 1, false, false, "Q", "7", "Q", "7"},
    {"length 1, an empty text", 1, 1, false, false, std::string("\0", 1), std::string("\0", 1), " ", " "},
    {"text without a NUL within the length stays", 4, 3, false, false, "ABCDEFG", "XYZW", "ABCD", "XYZ"},
    {"text after the first NUL is blanked", 8, 6, false, false, std::string("AB\0CD\0EF", 8),
     std::string("x\0yz\0w", 6), "AB      ", "x     "},
    {"null buffers with lengths", 33, 15, true, true, "abc", "def", "", ""},
    {"padded whatever the result", 10, 5, false, false, std::string("err\0", 4), std::string("\0", 1),
     "err       ", "     ", -2500},
    {"a length beyond the field: copied up to the field, padded to the length", 40, 15, false, false,
     std::string("images\0", 7), std::string("t\0", 2), "images" + std::string(34, ' '), "t" + std::string(14, ' ')},
    {"failed write check: copied, not padded", 6, 5, false, false, std::string("ab\0", 3), std::string("cd\0", 3),
     "ab    ", "", 0, true},
};

TEST_P(Backup, ReturnedTextsArePadded) {
    for (const PadRow& r : kPadRows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        BackupCall b({.lists = false, .out1 = r.len1, .out2 = r.len2, .null_out1 = r.null1, .null_out2 = r.null2});
        const std::string before2 = r.null2 ? "" : std::string(b.rec->poOutput2, r.len2);
        standin::during_call([&](const standin::Call& c) {
            auto* n = reinterpret_cast<qx3BackupStruct*>(uintptr_t{c.words[1]});
            memset(n->oOutput1, 'V', sizeof n->oOutput1);  // bytes past the text are not the caller's business
            memset(n->oOutput2, 'W', sizeof n->oOutput2);
            memcpy(n->oOutput1, r.native1.data(), r.native1.size());
            memcpy(n->oOutput2, r.native2.data(), r.native2.size());
        });
        if (r.fail_write2) {
            standin::checks_active(true);
            standin::fail_checks(b.rec->poOutput2, r.len2, standin::mode_bit(2));
        }
        standin::set_result("qx3Backup", r.result);
        Status st;
        EXPECT_EQ(call("qx3gBackup", 8010400u, b.rec, st.ca()), r.result);
        if (!r.null1) {
            EXPECT_EQ(std::string(b.rec->poOutput1, r.len1), r.out1);
        }
        if (!r.null2 && !r.fail_write2) {
            EXPECT_EQ(std::string(b.rec->poOutput2, r.len2), r.out2);
        }
        if (r.fail_write2) {
            EXPECT_EQ(std::string(b.rec->poOutput2, r.len2), std::string("cd\0WW", 5));
        }
    }
}

TEST_P(Backup, LengthZeroTouchesNothing) {
    BackupCall b({.lists = false, .out1 = 0, .out2 = 0});
    const auto before = b.mem.snapshot();
    Status st;
    ASSERT_EQ(call("qx3gBackup", 8010400u, b.rec, st.ca()), 0);
    EXPECT_TRUE(b.mem.Is(before));
}

TEST_P(Backup, LastEntryCheckThatFailsEndsTheCall) {
    struct Row {
        const char* what;
        bool in_media;
        bool last;          // the last entry fails (else the first, followed by one that passes)
        int32_t rc;
        size_t requests;    // memory requests made before the call ended (or in all)
    } rows[] = {
        {"tablespace list, last entry", false, true, 0x2D, 4},
        {"tablespace list, first entry: goes on", false, false, 0, 8},
        {"media list, last entry", true, true, 0x2D, 8},
        {"media list, first entry: goes on", true, false, 0, 8},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        BackupCall b({});
        const auto& list = r.in_media ? b.media.texts : b.ts.texts;
        const auto& lens = r.in_media ? b.media.lengths : b.ts.lengths;
        const size_t i = r.last ? 1 : 0;
        standin::checks_active(true);
        standin::fail_checks(list[i] + lens[i], 1, standin::mode_bit(3), 0x2D);
        const auto before = b.mem.snapshot();
        Status st;
        EXPECT_EQ(call("qx3gBackup", 8010400u, b.rec, st.ca()), r.rc);
        EXPECT_EQ(calls("qx3Backup").size(), r.rc == 0 ? 1u : 0u);
        EXPECT_EQ(standin::allocations(), r.requests);
        if (r.rc != 0) {
            EXPECT_TRUE(b.mem.Is(before));
            EXPECT_TRUE(SameBytes(Status().mem.bytes(), st.mem)) << "sqlca untouched";
        }
        EXPECT_TRUE(standin::live_blocks().empty());
    }
}

TEST_P(Backup, EntryThatFailsItsLengthCheckIsSkipped) {
    // First or last: the entry is null in the native list and the status is left as it was.
    for (size_t skipped : {0, 1}) {
        SCOPED_TRACE(skipped);
        standin::reset();
        BackupCall b({.null_out1 = true, .null_out2 = true});
        standin::checks_active(true);
        standin::fail_checks(b.media.texts[skipped], 1, standin::mode_bit(3));
        const auto before = b.mem.snapshot();
        Status st;
        ASSERT_EQ(call("qx3gBackup", 8010400u, b.rec, st.ca()), 0);
        auto natives = calls("qx3Backup");
        ASSERT_EQ(natives.size(), 1u);
        std::vector<std::string> expected = {"/mnt/a", "/mnt/bb"};
        expected[skipped] = "<null>";
        EXPECT_EQ(shown(natives[0].lists[1]), expected);
        EXPECT_EQ(standin::allocations(), 7u) << "no copy for the skipped entry";
        EXPECT_TRUE(b.mem.Is(before));
    }
}

TEST_P(Backup, MemoryFailureAtEveryRequest) {
    unsigned k = 1;
    for (;; ++k) {
        bool completed = false;
        for (bool refuse : {false, true}) {
            SCOPED_TRACE("request " + std::to_string(k) + (refuse ? ", sqlca refused" : ""));
            standin::reset();
            BackupCall b({});
            const auto before = b.mem.snapshot();
            Status st;
            standin::refuse_sqlca(refuse ? 1 : 0);
            standin::fail_allocation(k);
            const int32_t rc = call("qx3gBackup", 10050300u, b.rec, st.ca());
            if (standin::allocations() < k) {
                completed = true;
                EXPECT_EQ(rc, 0);
                break;
            }
            EXPECT_EQ(rc, -83);
            EXPECT_TRUE(SameBytes(refuse ? Status().mem.bytes() : st.with(-83, "qx3gBack"), st.mem));
            EXPECT_TRUE(b.mem.Is(before));
            EXPECT_TRUE(calls("qx3Backup").empty());
            EXPECT_TRUE(standin::live_blocks().empty());
            ASSERT_EQ(calls("sqloincaChkptr").size(), 1u);
        }
        if (completed) break;
        ASSERT_LT(k, 100u);
    }
    EXPECT_EQ(k, 9u) << "two arrays and two copies per list";
}

TEST_P(Backup, RecordMissingOrUnreadable) {
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        standin::reset();
        BackupCall b({});
        const auto before = b.mem.snapshot();
        Status st;
        const bool refuse = c == 3;
        standin::refuse_sqlca(refuse ? 7 : 0);
        qx3gBackupStruct* rec = b.rec;
        if (c == 0 || c == 3) rec = nullptr;
        if (c == 1) {
            standin::checks_active(true);
            standin::fail_checks(b.rec, 136, standin::mode_bit(3));
        }
        if (c == 2) {
            standin::checks_active(true);
            standin::fail_checks(b.rec, 136, standin::mode_bit(1) | standin::mode_bit(2));  // only mode 3 counts
        }
        const int32_t rc = call("qx3gBackup", 10050300u, rec, st.ca());
        if (c == 2) {
            EXPECT_EQ(rc, 0);
            continue;
        }
        EXPECT_EQ(rc, -83);
        EXPECT_TRUE(SameBytes(refuse ? Status().mem.bytes() : st.with(-83, "qx3gBack"), st.mem));
        EXPECT_TRUE(b.mem.Is(before));
        EXPECT_TRUE(calls("qx3Backup").empty());
        EXPECT_EQ(standin::allocations(), 0u);
    }
}

TEST_P(Backup, ApplicationDataFailure) {
    BackupCall b({});
    const auto before = b.mem.snapshot();
    Status st;
    standin::fail_app_data(5);
    standin::checks_active(true);
    EXPECT_EQ(call("qx3gBackup", 10050300u, b.rec, st.ca()), 0);
    EXPECT_TRUE(SameBytes(st.with(-1022), st.mem));
    EXPECT_TRUE(b.mem.Is(before));
    EXPECT_TRUE(standin::checks().empty());
    EXPECT_EQ(standin::allocations(), 0u);
    EXPECT_TRUE(calls("qx3Backup").empty());
}

TEST_P(Backup, NativeOutcomePassesThrough) {
    BackupCall b({.lists = false, .null_out1 = true, .null_out2 = true});
    Status st;
    standin::set_result("qx3Backup", -2419);
    EXPECT_EQ(call("qx3gBackup", 10050300u, b.rec, st.ca()), -2419);
    EXPECT_EQ(st.ca()->sqlcode, -2419);
    EXPECT_EQ(memcmp(st.ca()->sqlerrp, "qx3Backu", 8), 0);
}

QX3_BACKENDS(Backup);

}  // namespace

namespace {

// ---- Legacy backup ----------------------------------------------------------------------------

struct LegacyBackupKind {
    const char* name;
    const char* native;
    size_t words;
    const char* tag;
    const char* diag8;
};
const LegacyBackupKind kLegacyBackups[] = {
    {"sqlgbkp", "sqlubkp", 24, "sqlgbkp", "sqlgbkp\0"},
    {"sqlgbkup", "sqlubkup", 21, "sqlgbkup", "sqlgbkup"},
};

// One legacy backup call: argument words by position (from 1), every passed-through word distinct.
struct LegacyBackupCall {
    CallerMemory mem;
    char* s[3] = {};
    uint32_t len[3] = {4, 9, 5};
    char *out33, *out15;
    InPlace<sqluTablespaceList> ts;
    InPlace<sqluMediaList> media;
    Status st;
    std::vector<uint32_t> a;  // a[0] is argument 1

    LegacyBackupCall(size_t words, uint8_t media_type = 'L') : a(words) {
        const char* texts[3] = {"SAMP", "/dev/tape", "admin"};
        for (int i = 0; i < 3; ++i) s[i] = mem.text("string " + std::to_string(i + 1), texts[i]);
        out33 = mem.add("output 33", 33).chars();
        out15 = mem.add("output 15", 15).chars();
        ts = inplace_tablespaces(mem, "tablespaces", {"USERSPACE1", "TEMP"});
        media = inplace_media(mem, "media", media_type, {std::string("/backups/one"), std::string("/backups/two")});
        for (size_t i = 0; i < words; ++i) a[i] = 0xD0000000u + static_cast<uint32_t>(i + 1);
        a[0] = 0xABCD0000u | len[0];  // the high halves of the length words are not read
        a[1] = 0x12340000u | len[1];
        a[2] = 0xFFFF0000u | len[2];
        a[3] = 0xDEADBEEF;
        a[4] = w(s[0]);
        a[9] = w(out33);
        a[10] = w(out15);
        a[12] = w(ts.list);
        a[13] = w(media.list);
        a[14] = w(s[1]);
        a[15] = w(s[2]);
        a[words - 1] = w(st.ca());
    }
    std::vector<const char*> lent_strings() const { return {s[0] + len[0], s[1] + len[1], s[2] + len[2]}; }
};

class LegacyBackup : public WordsTest {};

TEST_P(LegacyBackup, ForwardsEveryArgumentFromTheFifthOn) {
    for (const LegacyBackupKind& k : kLegacyBackups) {
        SCOPED_TRACE(k.name);
        standin::reset();
        LegacyBackupCall b(k.words);
        const auto before = b.mem.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = b.mem.snapshot(); });
        standin::set_result(k.native, 0x3039);
        EXPECT_EQ(call_words(k.name, b.a), 0x3039);
        auto natives = calls(k.native);
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words, std::vector<uint32_t>(b.a.begin() + 4, b.a.end()));
        EXPECT_EQ(standin::show(natives[0].strings[0]), "SAMP");
        EXPECT_EQ(standin::show(natives[0].strings[10]), "/dev/tape");
        EXPECT_EQ(standin::show(natives[0].strings[11]), "admin");
        ASSERT_EQ(natives[0].lists.size(), 2u);
        EXPECT_EQ(shown(natives[0].lists[0]), (std::vector<std::string>{"USERSPACE1", "TEMP"}));
        EXPECT_EQ(shown(natives[0].lists[1]), (std::vector<std::string>{"/backups/one", "/backups/two"}));
        std::vector<const char*> lent = b.lent_strings();
        for (const char* p : b.ts.borrowed()) lent.push_back(p);
        for (const char* p : b.media.borrowed()) lent.push_back(p);
        // The outputs are the native's business during the call; everything else is compared.
        for (size_t i = 0; i < before.size(); ++i) {
            if (b.mem.names()[i].rfind("output", 0) == 0) continue;
            EXPECT_TRUE(SameBytes(b.mem.with_nuls(before, lent)[i], during[i].data(), during[i].size()))
                << b.mem.names()[i] << " during the call";
        }
        // Afterwards: all given back; the outputs hold the native's texts, blank-padded.
        auto after = before;
        const std::string image = "images/SAMPLE/0001" + std::string(15, ' ');
        const std::string stamp = "20240517093011 ";
        for (size_t i = 0; i < after.size(); ++i) {
            if (b.mem.names()[i] == "output 33") after[i].assign(image.begin(), image.end());
            if (b.mem.names()[i] == "output 15") after[i].assign(stamp.begin(), stamp.end());
        }
        EXPECT_TRUE(b.mem.Is(after));
        for (const standin::Call& c : calls("sqloGetMemoryBlockExtended"))
            EXPECT_EQ(standin::show(c.strings[5]), k.tag);
    }
}

TEST_P(LegacyBackup, MediaTypesAndListChecks) {
    struct Row {
        const char* what;
        uint8_t type;
        bool fail_media_list;
        bool fail_ts_entries;
        size_t media_terminated;
        bool ts_terminated;
    } rows[] = {
        {"type L: every entry", 'L', false, false, 2, true},
        {"type O: the first entry", 'O', false, false, 1, true},
        {"type S passes through untouched", 'S', false, false, 0, true},
        {"type Q passes through untouched", 'Q', false, false, 0, true},
        {"media list fails its check", 'L', true, false, 0, true},
        {"tablespace entries fail their check", 'L', false, true, 2, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        LegacyBackupCall b(24, r.type);
        standin::checks_active(true);
        if (r.fail_media_list) standin::fail_checks(b.media.list, 12, standin::mode_bit(3));
        if (r.fail_ts_entries) standin::fail_checks(b.ts.entries->data(), 1, standin::mode_bit(3));
        const auto before = b.mem.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = b.mem.snapshot(); });
        ASSERT_EQ(call_words("sqlgbkp", b.a), 0);
        std::vector<const char*> lent = b.media.borrowed(r.media_terminated);
        if (r.ts_terminated) {
            for (const char* p : b.ts.borrowed()) lent.push_back(p);
        }
        const auto expected = b.mem.with_nuls(before, lent);
        for (size_t i = 0; i < before.size(); ++i) {
            const std::string& n = b.mem.names()[i];
            if (n.rfind("media", 0) != 0 && n.rfind("tablespaces", 0) != 0) continue;
            EXPECT_TRUE(SameBytes(expected[i], during[i].data(), during[i].size())) << n << " during the call";
            EXPECT_TRUE(SameBytes(before[i], b.mem.snapshot()[i].data(), before[i].size())) << n << " afterwards";
        }
    }
}

TEST_P(LegacyBackup, OutputBuffersArePadded) {
    struct Row {
        const char* what;
        std::string native33, native15;  // what the native call leaves
        std::string out33, out15;
        bool null33, null15;
        bool fail_write15;
        int32_t result;
    } rows[] = {
        {"three characters, a NUL and eleven more", std::string("ab\0cdefghijklmnopqrstuvwxyz0123456", 33),
         std::string("XYZ\0abcdefghijk", 15), "ab" + std::string(31, ' '), "XYZ" + std::string(12, ' '), false,
         false, false, 0},
        {"no NUL within the width: unchanged", std::string(33, 'M'), std::string(15, 'N'), std::string(33, 'M'),
         std::string(15, 'N'), false, false, false, 0},
        {"empty texts", std::string(33, '\0'), std::string(15, '\0'), std::string(33, ' '), std::string(15, ' '),
         false, false, false, 0},
        {"whatever the result", std::string("err\0", 4) + std::string(29, 'q'), std::string("\0", 1) + std::string(14, 'q'),
         "err" + std::string(30, ' '), std::string(15, ' '), false, false, false, -2033},
        {"null buffers", "", "", "", "", true, true, false, 0},
        {"a failed write check leaves the buffer", std::string("ab\0", 3) + std::string(30, 'z'),
         std::string("cd\0", 3) + std::string(12, 'z'), "ab" + std::string(31, ' '), std::string("cd\0", 3) + std::string(12, 'z'),
         false, false, true, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        LegacyBackupCall b(21);
        if (r.null33) b.a[9] = 0;
        if (r.null15) b.a[10] = 0;
        standin::during_call([&](const standin::Call&) {
            if (!r.null33) memcpy(b.out33, r.native33.data(), 33);
            if (!r.null15) memcpy(b.out15, r.native15.data(), 15);
        });
        if (r.fail_write15) {
            standin::checks_active(true);
            standin::fail_checks(b.out15, 15, standin::mode_bit(2));
        }
        standin::set_result("sqlubkup", r.result);
        EXPECT_EQ(call_words("sqlgbkup", b.a), r.result);
        if (!r.null33) {
            EXPECT_EQ(std::string(b.out33, 33), r.out33);
        }
        if (!r.null15) {
            EXPECT_EQ(std::string(b.out15, 15), r.out15);
        }
    }
}

TEST_P(LegacyBackup, StringsPlacedInOrderAndUnterminatedWhenUnreadable) {
    LegacyBackupCall b(24);
    b.a[14] = 0;  // string 2 null
    standin::checks_active(true);
    standin::fail_checks(b.s[2] + b.len[2], 1, standin::mode_bit(3));
    ASSERT_EQ(call_words("sqlgbkp", b.a), 0);
    auto natives = calls("sqlubkp");
    ASSERT_EQ(natives.size(), 1u);
    EXPECT_EQ(standin::show(natives[0].strings[0]), "SAMP");
    EXPECT_TRUE(natives[0].strings[10].null);
    EXPECT_FALSE(natives[0].strings[11].terminated);
    // Checks: the tablespace list, the media list, strings 1 and 3 (string 2 is null), then the
    // outputs 15 and 33.
    struct Want {
        const void* p;
        uint32_t length;
        unsigned mode;
    } want[] = {{b.ts.list, 8, 3},
                {b.ts.entries->data(), 48, 3},
                {b.ts.texts[0], 11, 3},
                {b.ts.texts[1], 5, 3},
                {b.media.list, 12, 3},
                {b.media.entries->data(), 440, 3},
                {b.media.texts[0], 13, 3},
                {b.media.texts[1], 13, 3},
                {b.s[0], 5, 3},
                {b.s[2], 6, 3},
                {b.out15, 15, 2},
                {b.out33, 33, 2}};
    const auto& checks = standin::checks();
    ASSERT_EQ(checks.size(), std::size(want));
    for (size_t i = 0; i < checks.size(); ++i) {
        EXPECT_EQ(checks[i].p, reinterpret_cast<uintptr_t>(want[i].p)) << "check " << i;
        EXPECT_EQ(checks[i].length, want[i].length) << "check " << i;
        EXPECT_EQ(checks[i].mode, want[i].mode) << "check " << i;
    }
}

TEST_P(LegacyBackup, LastEntryCheckThatFailsEndsTheCall) {
    struct Row {
        const char* what;
        bool media;
        size_t entry;
        int32_t rc;
    } rows[] = {
        {"last tablespace fails", false, 1, 0x77},
        {"first tablespace fails, second passes", false, 0, 0},
        {"last media entry fails", true, 1, 0x77},
        {"first media entry fails, second passes", true, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        LegacyBackupCall b(24);
        const auto& l = r.media ? b.media.texts : b.ts.texts;
        const auto& lens = r.media ? b.media.lengths : b.ts.lengths;
        standin::checks_active(true);
        standin::fail_check_exact(l[r.entry], lens[r.entry] + 1, standin::mode_bit(3), 0x77);
        const auto before = b.mem.snapshot();
        const char* failing = l[r.entry] + lens[r.entry];
        const char* other = l[1 - r.entry] + lens[1 - r.entry];
        char failing_during = 1, other_during = 1;
        standin::during_call([&](const standin::Call&) {
            failing_during = *failing;
            other_during = *other;
        });
        EXPECT_EQ(call_words("sqlgbkp", b.a), r.rc);
        EXPECT_EQ(calls("sqlubkp").size(), r.rc == 0 ? 1u : 0u);
        if (r.rc != 0) {
            EXPECT_TRUE(SameBytes(Status().mem.bytes(), b.st.mem));
        } else {
            EXPECT_NE(failing_during, 0) << "the failing entry goes on unterminated";
            EXPECT_EQ(other_during, 0);
        }
        if (r.rc != 0) {
            EXPECT_TRUE(b.mem.Is(before));
        }
        EXPECT_TRUE(standin::live_blocks().empty());
    }
}

TEST_P(LegacyBackup, MemoryFailureAtEveryRequest) {
    for (const LegacyBackupKind& k : kLegacyBackups) {
        for (uint8_t type : {'L', 'O'}) {
            unsigned n = 1;
            for (;; ++n) {
                bool completed = false;
                for (bool refuse : {false, true}) {
                    SCOPED_TRACE(std::string(k.name) + " type " + char(type) + " request " + std::to_string(n) +
                                 (refuse ? ", sqlca refused" : ""));
                    standin::reset();
                    LegacyBackupCall b(k.words, type);
                    const auto before = b.mem.snapshot();
                    standin::refuse_sqlca(refuse ? 1 : 0);
                    standin::fail_allocation(n);
                    const int32_t rc = call_words(k.name, b.a);
                    if (standin::allocations() < n) {
                        completed = true;
                        EXPECT_EQ(rc, 0);
                        break;
                    }
                    EXPECT_EQ(rc, -83);
                    EXPECT_TRUE(SameBytes(refuse ? Status().mem.bytes() : b.st.with(-83, k.diag8), b.st.mem));
                    EXPECT_TRUE(b.mem.Is(before));
                    EXPECT_TRUE(calls(k.native).empty());
                    EXPECT_TRUE(standin::live_blocks().empty());
                }
                if (completed) break;
                ASSERT_LT(n, 10u);
            }
            EXPECT_EQ(n, 3u) << "one slot array per list";
        }
    }
}

TEST_P(LegacyBackup, ApplicationDataFailure) {
    for (const LegacyBackupKind& k : kLegacyBackups) {
        SCOPED_TRACE(k.name);
        standin::reset();
        LegacyBackupCall b(k.words);
        const auto before = b.mem.snapshot();
        standin::fail_app_data(3);
        EXPECT_EQ(call_words(k.name, b.a), 0);
        EXPECT_TRUE(SameBytes(b.st.with(-1022), b.st.mem));
        EXPECT_TRUE(b.mem.Is(before));
        EXPECT_EQ(standin::allocations(), 0u);
        EXPECT_TRUE(calls(k.native).empty());
    }
}

TEST_P(LegacyBackup, MediaListOfHundredThousandEntries) {
    const size_t n = 100000;
    LegacyBackupCall b(24);
    Guarded entries(n * 220);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t len = static_cast<uint32_t>(i % 215);
        memcpy(entries.data() + i * 220, &len, 4);
    }
    b.media.list->iNumEntries = static_cast<int32_t>(n);
    b.media.list->piEntries = entries.data();
    const Bytes before = entries.bytes();
    size_t unterminated = n;
    standin::during_call([&](const standin::Call&) {
        unterminated = 0;
        for (size_t i = 0; i < n; ++i) unterminated += entries.data()[i * 220 + 4 + i % 215] != 0;
    });
    ASSERT_EQ(call_words("sqlgbkp", b.a), 0);
    EXPECT_EQ(unterminated, 0u);
    EXPECT_EQ(calls("sqlubkp")[0].lists[1].count, n);
    EXPECT_TRUE(SameBytes(before, entries));
}

QX3_BACKENDS(LegacyBackup);

}  // namespace
