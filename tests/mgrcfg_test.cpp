// Database manager configuration: its rows. Its token sets, padding, restore entries and array
// checks are columns of the legacy configuration tables beside the database's.
#include "support/conformance.h"

using namespace qx3test::conf;

// Items: a string token (7, padded over 9 bytes by the gets) and a numeric one (1).
QX3_CONFORMANCE(ManagerConfigRows,
    {.name = "sqlgxsys", .words = "urc", .native = "sqlfxsys", .args = "z1 2 3", .recs = {R(2, 16), RF(1, 4, 9), RF(1, 12, 4)},
     .vals = {{W(1), 0x66660002}, {F(1, 0), 7, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 9}, {F(3, 0), 4}}},
    {.name = "sqlgdsys", .words = "urc", .native = "sqlfdsys", .args = "z1 2 3", .recs = {R(2, 16), RF(1, 4, 9), RF(1, 12, 4)},
     .vals = {{W(1), 0x66660002}, {F(1, 0), 7, 2}, {F(1, 8), 1, 2}}, .outs = {{F(2, 0), 9}, {F(3, 0), 4}}},
    // The update takes an entry for every string item, terminated or not: tokens 7 and 39 here.
    {.name = "sqlgusys", .words = "urrc", .native = "sqlfusys", .args = "z1 3 4", .recs = {R(2, 6), R(3, 24), RF(2, 12, 4)},
     .strings = {{F(2, 4), F(1, 0)}, {F(2, 20), F(1, 4)}},
     .vals = {{W(1), 0x55550003}, {F(2, 0), 7, 2}, {F(2, 8), 1, 2}, {F(2, 16), 39, 2}}, .mem = {.errp = "sqlgusys"}},
    {.name = "sqlgrsys", .words = "c", .native = "sqlfrsys", .args = "1", .app = App::None});
