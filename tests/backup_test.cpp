// Backup: the returned texts of the backup and restore calls, and the rows of every backup and
// restore entry point.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
#include "support/lists.h"

using namespace qx3test;
using namespace qx3test::conf;

namespace {

class Backup : public EntryTest {};

// Which calls a padding row applies to.
enum : unsigned { GBackup = 1, GRestore = 2, LBackup = 4, LRestore = 8, Roll = 16, LRoll = 32, Versioned = 3, All = 63 };

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
    {"no NUL stays; a NUL at 8 becomes the first blank", All, 33, 15, std::string(33, '='), nul("PREVIOUS") + "######",
     std::string(33, '='), "PREVIOUS" + sp(7)},
    {"three characters, a NUL and more", All, 33, 15, nul("abc") + z(29), nul("xyz") + z(11), "abc" + sp(30), "xyz" + sp(12)},
    {"whatever the result", All, 33, 15, nul("") + z(32), nul("") + z(14), sp(33), sp(15), -2539},
    {"null buffers", Versioned | LBackup | Roll | LRoll, 33, 15, "abc", "def", "", "", 0, true},
    {"a failed write check: copied, not padded", GBackup | LBackup, 33, 15, nul("ab") + z(30), nul("cd") + z(12),
     "ab" + sp(31), nul("cd") + z(12), 0, false, true},
    {"length 1, a character", Versioned, 1, 1, "Q", "7", "Q", "7"},
    {"length 1, an empty text", Versioned, 1, 1, nul(""), nul(""), " ", " "},
    {"text without a NUL within the length stays", Versioned, 4, 3, "ABCDEFG", "XYZW", "ABCD", "XYZ"},
    {"a length beyond the field: copied up to the field, padded to the length", Versioned, 40, 15, nul("images"), nul("t"),
     "images" + sp(34), "t" + sp(14)},
};

// The returned texts of qx3gBackup (two), qx3gRestore (the first only), sqlgbkup and sqlgrst (a
// 33-byte buffer and a 15-byte one), qx3gRollforward and sqlgroll (the 33-byte text), blank-padded from their first NUL whatever the result. The
// generic calls copy the native's text up to its field; the legacy calls lend the caller's buffers,
// and sqlgrst's 15-byte buffer is also its in/out text, lent a NUL at its length 8 (word 3).
TEST_P(Backup, ReturnedTextsArePadded) {
    struct Entry {
        unsigned bit;
        const char *name, *native;
        size_t words, at1;  // legacy: argument count, the first buffer's word (0-based), the second's next
    } entries[] = {{GBackup, "qx3gBackup", "qx3Backup", 0, 0}, {GRestore, "qx3gRestore", "qx3Restore", 0, 0},
                   {LBackup, "sqlgbkup", "sqlubkup", 21, 9}, {LRestore, "sqlgrst", "sqlurst", 32, 14},
                   {Roll, "qx3gRollforward", "qx3Rollforward", 0, 0}, {LRoll, "sqlgroll", "qx3Rollforward", 0, 0}};
    for (const Entry& e : entries) {
        for (const PadRow& r : kPadRows) {
            if (!(r.on & e.bit)) continue;
            SCOPED_TRACE(std::string(e.name) + ": " + r.what);
            standin::reset();
            const bool restore = e.bit == GRestore, roll = e.bit >= Roll, legacy = e.words != 0 || roll,
                       two = e.bit < GRestore || e.bit == LBackup || e.bit == LRestore;
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
                    if (!r.null) out1.set(0, r.native1), out2.set(0, two ? r.native2 : "");
                    return;
                }
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
            standin::set_result(e.native, r.result);
            Status st;
            std::vector<uint32_t> a(e.words, 0);
            if (e.words) a[2] = 0xFFFF0008u, a[e.at1] = p1, a[e.at1 + 1] = p2, a.back() = w(st.ca());
            // A rollforward's records: no strings, no list, the text's pointer first in the output record.
            Guarded out(16), parm(8);
            const uint32_t po = w(out.data()), pr = w(rec.data());
            memset(out.data(), 0, 16), memcpy(out.data(), &p1, 4), memcpy(parm.data(), &pr, 4), memcpy(parm.data() + 4, &po, 4);
            if (roll) memset(rec.data(), 0, rec.size());
            EXPECT_EQ(e.bit == Roll    ? call(e.name, 9000000u, parm.data(), st.ca())
                      : e.bit == LRoll ? call(e.name, rec.data(), out.data(), st.ca())
                      : e.words        ? call_words(e.name, a)
                                       : call(e.name, 10050300u, rec.data(), st.ca()), r.result);
            if (e.bit == LRestore) {
                EXPECT_EQ(standin::show(calls("sqlurst").at(0).strings[8]), "PREVIOUS") << "the text as the native read it";
            }
            EXPECT_EQ(out1.bytes(), r.null ? before1 : Bytes(r.out1.begin(), r.out1.end()));
            EXPECT_EQ(out2.bytes(), r.null || !two ? before2 : Bytes(r.out2.begin(), r.out2.end()));
        }
    }
}

QX3_BACKENDS(Backup);

// ---- Every entry point against its row ------------------------------------------------------------

// In-place lists: a tablespace list of two 24-byte entries and an 'L' media list of two 220-byte
// entries, records 3 to 6; a failing check on the last entry of a list ends the call. In the restore
// rows the in/out text (record 2) is terminated at its length 8 (word 3) and never given its byte
// back, so it is an output like the padded buffer.
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

QX3_CONFORMANCE(RestoreRows,
    {.name = "sqlgrestore", .words = "uuuuuuuwsswwwwwwrrswsrrsswwwwwwwwwc", .native = "sqlurestore",
     .args = "9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 32 33 27 29 31 34 35",
     .recs = {R(17, 33), R(18, 15), QX3_LEGACY_LISTS(22, 23)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(9, 1), S(10, 2), S(24, 5), S(25, 6), S(21, 7), S(19, 4)},
     .vals = {{W(3), 0xA5A50008}, QX3_LEGACY_LIST_VALS}, .outs = {{F(1, 0), 33}, {F(2, 0), 15}}, .mem = {.errp = "sqlgbkup"}},
    {.name = "sqlgrsto", .words = "uuuuuuwsswwwwrrswrrsswwwwc", .native = "sqlursto",
     .args = "8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26",
     .recs = {R(14, 33), R(15, 15), QX3_LEGACY_LISTS(18, 19)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(8, 1), S(9, 2), S(20, 5), S(21, 6), S(16, 4)},
     .vals = {{W(3), 0xA5A50008}, QX3_LEGACY_LIST_VALS}, .outs = {{F(1, 0), 33}, {F(2, 0), 15}}, .mem = {.errp = "sqlgbkup"}},
    {.name = "sqlgrst", .words = "uuuuuuwsswwwwwrrswrrsswwwwwwwwwc", .native = "sqlurst",
     .args = "8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 29 30 24 26 28 31 32",
     .recs = {R(15, 33), R(16, 15), QX3_LEGACY_LISTS(19, 20)},
     .strings = {QX3_LEGACY_LIST_TEXTS, S(8, 1), S(9, 2), S(21, 5), S(22, 6), S(17, 4)},
     .vals = {{W(3), 0xA5A50008}, QX3_LEGACY_LIST_VALS}, .outs = {{F(1, 0), 33}, {F(2, 0), 15}}, .mem = {.errp = "sqlgbkup"}},
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
