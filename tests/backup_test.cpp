// Backup: the rows of every backup and restore entry point. Their returned texts, record maps and
// exits before the native call are tested with the recovery records.
#include "qx3agapi.h"
#include "support/conformance.h"

using namespace qx3test::conf;

// In-place lists: a tablespace list of two 24-byte entries and an 'L' media list of two 220-byte
// entries, records 3 to 6; a failing check on the last entry of a list ends the call. In the restore
// rows the in/out text (record 2) is terminated at its length 8 (word 3) and never given its byte
// back, so it is an output like the padded buffer.
#define QX3_LEGACY_LISTS(ts_word, media_word)                                                      \
    R(ts_word, 8), RF(3, 4, 48), R(media_word, 12), RF(5, 8, 440)
#define QX3_LEGACY_LIST_TEXTS SI(4, 4, 0), Last(SI(4, 28, 24)), SI(6, 4, 0), Last(SI(6, 224, 220))
#define QX3_LEGACY_LIST_VALS {F(3, 0), 2}, {F(5, 0), 'L', 1}, {F(5, 4), 2}
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
