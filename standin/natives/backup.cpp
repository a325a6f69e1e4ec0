// Backup natives: they record the record and lists they receive, write a plausible image name and
// timestamp into their output fields, then let the test's hook run (which may write other outputs).
#include "natives/seen_lists.h"
#include "recovery/backup_natives.h"

namespace {
// What a backup reports: the image it wrote and when.
const char kImage[] = "images/SAMPLE/0001";
const char kTimestamp[] = "20240517093011";
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3Backup(uint32_t version, qx3BackupStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Backup", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = seen::bytes(pParm, sizeof *pParm);
    if (pParm != nullptr) {
        c.lists.push_back(seen::copied(pParm->piTablespaceList));
        c.lists.push_back(seen::copied(pParm->piMediaList));
        seen::put_text(pParm->oOutput1, sizeof pParm->oOutput1, kImage);
        seen::put_text(pParm->oOutput2, sizeof pParm->oOutput2, kTimestamp);
    }
    return seen::finish("qx3Backup", pSqlca);
}
