// The database directory that the stand-in's scan natives hand out: three entries, in this order.
// The entry layout is the native interface's own; programs that run against the stand-in (the
// example client, the tests) read the entries through it.
#ifndef QX3_STANDIN_SCAN_DIRECTORY_H
#define QX3_STANDIN_SCAN_DIRECTORY_H

#include <stdint.h>

namespace standin {

// One database-directory entry (48 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    8 alias        blank-padded
//      8    8 database     blank-padded
//     16   30 comment      blank-padded
//     46    2 type         1 local, 2 remote
struct DirEntry {
    char alias[8];
    char database[8];
    char comment[30];
    uint16_t type;
};
static_assert(sizeof(DirEntry) == 48, "directory entry");

// What the open scan returns: oValue1 is the scan's handle (never 0), oValue2 the number of entries.
constexpr uint16_t kDirEntryCount = 3;
// Results of the stand-in's scan natives besides 0.
constexpr int32_t kScanAtEnd = 1014;    // every entry has been handed out
constexpr int32_t kScanUnknown = -1005;  // no open scan has that handle

}  // namespace standin

#endif
