// Backup: qx3gBackup's native record by version, its copied lists, its strings, its returned texts
// and its exits; the legacy sqlgbkp and sqlgbkup with their in-place lists.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
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

QX3_BACKENDS(LegacyBackup);

}  // namespace

// ---- Every entry point against its row ------------------------------------------------------------

namespace {
using namespace qx3test::conf;
// In-place lists: a tablespace list of two 24-byte entries and an 'L' media list of two 220-byte
// entries, records 3 to 6; a failing check on the last entry of a list ends the call.
#define QX3_LEGACY_LISTS(ts_word, media_word)                                                      \
    R(ts_word, 8), RF(3, 4, 48), R(media_word, 12), RF(5, 8, 440)
#define QX3_LEGACY_LIST_TEXTS SI(4, 4, 0), Last(SI(4, 28, 24)), SI(6, 4, 0), Last(SI(6, 224, 220))
#define QX3_LEGACY_LIST_VALS {F(3, 0), 2}, {F(5, 0), 'L', 1}, {F(5, 4), 2}
}  // namespace

QX3_CONFORMANCE(BackupRows,
    {.name = "sqlgbkp", .words = "uuuwswwwwrrwrrsswwwwwwwc", .native = "sqlubkp",
     .args = "5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24",
     .recs = {R(10, 33), R(11, 15), QX3_LEGACY_LISTS(13, 14)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(5, 1), S(15, 2), S(16, 3)}, .vals = {QX3_LEGACY_LIST_VALS},
     .outs = {{F(1, 0), 33}, {F(2, 0), 15}}, .mem = {.errp = "sqlgbkp"}},
    {.name = "sqlgbkup", .words = "uuuwswwwwrrwrrsswwwwc", .native = "sqlubkup",
     .args = "5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21",
     .recs = {R(10, 33), R(11, 15), QX3_LEGACY_LISTS(13, 14)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(5, 1), S(15, 2), S(16, 3)}, .vals = {QX3_LEGACY_LIST_VALS},
     .outs = {{F(1, 0), 33}, {F(2, 0), 15}}, .mem = {.errp = "sqlgbkup"}},
    // Version 10050300 reads every field. Copied lists: two tablespace names and two media
    // entries, each copied into a block of its own; the outputs are records 6 and 7.
    {.name = "qx3gBackup", .words = "vrc", .native = "qx3Backup", .args = "1 ? 3", .version = 10050300,
     .recs = {R(2, 136), RF(1, 24, 8), RF(2, 0, 24), RF(1, 28, 12), RF(4, 0, 24), RF(1, 8, 33), RF(1, 16, 15)},
     .strings = {SF(3, 0, 4), SF(3, 12, 16), SF(5, 0, 4), SF(5, 12, 16), SF(1, 0, 4), SF(1, 32, 36), SF(1, 40, 44),
                 SF(1, 84, 88), SF(1, 120, 124)},
     .vals = {{F(2, 4), 2}, {F(4, 4), 2}, {F(4, 8), 'S', 1}, {F(1, 12), 33}, {F(1, 20), 15}},
     .outs = {{F(6, 0), 33}, {F(7, 0), 15}}, .mem = {.errp = "qx3gBack"}});
