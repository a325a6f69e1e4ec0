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
