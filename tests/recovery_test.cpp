// Rollforward, recover, archive log and the recovery history: every entry point's row. Their record
// maps, version thresholds, exits before the native call and the rollforward's status rule are
// tested with the restore's.
#include "qx3agapi.h"
#include "support/conformance.h"

using namespace qx3test;
using namespace qx3test::conf;

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
