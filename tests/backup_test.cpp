// Backup: qx3gBackup's native record by version, the returned texts of qx3gBackup and qx3gRestore,
// and every backup entry point's row.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

void put(Guarded& g, size_t off, uint32_t v) { memcpy(g.data() + off, &v, 4); }

// A generic backup record in caller memory: five strings, both lists and both outputs null, and a
// distinct word in every other field. It owns every buffer it points at.
struct BackupCall {
    CallerMemory mem;
    qx3gBackupStruct* rec = nullptr;
    char* s[5] = {};
    uint32_t len[5] = {};

    BackupCall() {
        static const char* const texts[5] = {"SAMPLE", "/archive/one", "ADMIN", "qx3-vendor.lib", "OPTIONS=FAST"};
        static const uint32_t at[5] = {0, 32, 40, 84, 120};  // each pointer, its length behind it
        Guarded& r = mem.add("record", sizeof(qx3gBackupStruct));
        for (uint32_t off = 0; off < sizeof(qx3gBackupStruct); off += 4) put(r, off, 0xB0000000u + off);
        for (int i = 0; i < 5; ++i) {
            s[i] = mem.text("string " + std::to_string(i + 1), texts[i]);
            len[i] = static_cast<uint32_t>(strlen(texts[i]));
            put(r, at[i], w(s[i])), put(r, at[i] + 4, len[i]);
        }
        for (uint32_t off : {8u, 16u, 24u, 28u}) put(r, off, 0);  // outputs and lists
        rec = r.as<qx3gBackupStruct>();
    }
};

// Version conditions as bits; a field whose condition is 0 is always read.
enum : unsigned { V1 = 1, V2 = 2, V3 = 4, V4 = 8 };

// Runs of 4-byte fields of the native record: generic offset, native offset, count, condition.
struct FieldRun {
    uint32_t generic, native, count;
    unsigned cond;
};
const FieldRun kBackupFields[] = {{0, 0, 1, 0},     {32, 60, 1, 0},     {40, 64, 1, 0},   {48, 68, 8, 0},
                                  {80, 100, 1, V1}, {84, 104, 1, V2},   {92, 108, 2, V2}, {100, 116, 5, V3},
                                  {120, 136, 1, V4}, {128, 140, 2, V4}};

struct VersionRow {
    uint32_t version;
    unsigned conds;
    bool read_only_fails = false;  // checks active; every check of the record for reading fails
};
const VersionRow kBackupVersions[] = {
    {8010199, 0},
    {8010200, V1},
    {8010399, V1},
    {8010400, V1 | V2},
    {9049999, V1 | V2},
    {9050000, V1 | V2 | V3},
    {10010399, V1 | V2 | V3},
    {10010400, V1 | V2 | V3 | V4},
    {10049999, V1 | V2 | V3 | V4},
    {10050000, V1 | V2 | V3},
    {10050299, V1 | V2 | V3},
    {10050300, V1 | V2 | V3 | V4},
    {0x80000000, V1 | V2 | V3 | V4},
    {0xFFFFFFFF, V1 | V2 | V3 | V4},
    // The record is checked for reading and writing: a record that only fails the read-only check
    // still goes through, whole.
    {10050300, V1 | V2 | V3 | V4, true},
};

class Backup : public EntryTest {};

TEST_P(Backup, NativeRecordByVersion) {
    for (const VersionRow& v : kBackupVersions) {
        SCOPED_TRACE("version " + std::to_string(v.version) + (v.read_only_fails ? " read-only check fails" : ""));
        standin::reset();
        BackupCall b;
        const auto before = b.mem.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = b.mem.snapshot(); });
        if (v.read_only_fails) {
            standin::checks_active(true);
            standin::fail_checks(b.rec, sizeof(qx3gBackupStruct), standin::mode_bit(1), 0x21);
        }
        Status st;

        EXPECT_EQ(call("qx3gBackup", v.version, b.rec, st.ca()), 0);

        auto natives = calls("qx3Backup");
        ASSERT_EQ(natives.size(), 1u);
        EXPECT_EQ(natives[0].words[0], v.version) << "the version goes on unchanged";
        Bytes expected(148, 0);
        const uint8_t* generic = reinterpret_cast<const uint8_t*>(b.rec);
        for (const FieldRun& f : kBackupFields)
            if ((f.cond & ~v.conds) == 0) memcpy(expected.data() + f.native, generic + f.generic, 4 * f.count);
        ASSERT_EQ(natives[0].record.size(), 148u);
        EXPECT_TRUE(SameBytes(expected, natives[0].record.data(), 148));
        // Strings 4 and 5 are lent their NULs only when their version reaches them.
        std::vector<const char*> lent = {b.s[0] + b.len[0], b.s[1] + b.len[1], b.s[2] + b.len[2]};
        if (v.conds & V2) lent.push_back(b.s[3] + b.len[3]);
        if (v.conds & V4) lent.push_back(b.s[4] + b.len[4]);
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

// The returned texts of qx3gBackup (two) and qx3gRestore (the first only), in an otherwise null
// record: the native's text copied up to its field and blank-padded to the caller's length.
TEST_P(Backup, ReturnedTextsArePadded) {
    for (const bool restore : {false, true}) {
        for (const PadRow& r : kPadRows) {
            if (restore && r.fail_write2) continue;
            SCOPED_TRACE(std::string(restore ? "qx3gRestore: " : "qx3gBackup: ") + r.what);
            standin::reset();
            Guarded rec(restore ? 172 : 136), out1(r.len1), out2(r.len2);
            memset(rec.data(), 0, rec.size());
            const uint32_t at = restore ? 16 : 8;  // the first buffer's pointer, its length behind it
            const uint32_t p1 = r.null1 ? 0 : w(out1.data()), p2 = r.null2 ? 0 : w(out2.data());
            memcpy(rec.data() + at, &p1, 4), memcpy(rec.data() + at + 4, &r.len1, 4);
            if (!restore) memcpy(rec.data() + 16, &p2, 4), memcpy(rec.data() + 20, &r.len2, 4);
            standin::during_call([&](const standin::Call& c) {
                // Bytes past the text are not the caller's business.
                uint8_t* n = reinterpret_cast<uint8_t*>(uintptr_t{c.words[1]});
                const size_t f1 = restore ? 8 : 4, w1 = restore ? 36 : 33;
                memset(n + f1, 'V', w1), memcpy(n + f1, r.native1.data(), r.native1.size());
                if (!restore) memset(n + 37, 'W', 15), memcpy(n + 37, r.native2.data(), r.native2.size());
            });
            if (r.fail_write2) {
                standin::checks_active(true);
                standin::fail_checks(out2.data(), r.len2, standin::mode_bit(2));
            }
            standin::set_result(restore ? "qx3Restore" : "qx3Backup", r.result);
            Status st;
            EXPECT_EQ(call(restore ? "qx3gRestore" : "qx3gBackup", 10050300u, rec.data(), st.ca()), r.result);
            if (!r.null1) {
                EXPECT_EQ(std::string(out1.chars(), r.len1), r.out1);
            }
            if (!r.null2 && !restore) {
                EXPECT_EQ(std::string(out2.chars(), r.len2), r.fail_write2 ? std::string("cd\0WW", 5) : r.out2);
            }
        }
    }
}

QX3_BACKENDS(Backup);

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
