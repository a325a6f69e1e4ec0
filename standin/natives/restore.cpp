// Restore natives: they record the record and lists they receive, write a plausible text into their
// output field, then let the test's hook run (which may write other outputs).
#include "natives/seen_lists.h"
#include "recovery/restore_natives.h"

namespace {
// What a restore reports: the timestamp of the image it restored.
const char kRestored[] = "20240517093011";
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3Restore(uint32_t version, qx3RestoreStruct* pParm, sqlca* pSqlca) {
    standin::record("qx3Restore", {version, word(pParm), word(pSqlca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = seen::bytes(pParm, sizeof *pParm);
    if (pParm != nullptr) {
        c.lists.push_back(seen::copied(pParm->piTablespaceList));
        c.lists.push_back(seen::copied(pParm->piMediaList));
        c.lists.push_back(seen::copied(pParm->piList3));
        c.lists.push_back(seen::copied(pParm->piList4));
        seen::put_text(pParm->oOutput1, sizeof pParm->oOutput1, kRestored);
    }
    return seen::finish("qx3Restore", pSqlca);
}
