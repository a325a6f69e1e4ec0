// Backup natives: they record the record and lists they receive, write a plausible image name and
// timestamp into their output fields, then let the test's hook run (which may write other outputs).
#include "natives/seen_lists.h"
#include "native/backup.h"

namespace {
// What a backup reports: the image it wrote and when.
const char kImage[] = "images/SAMPLE/0001";
const char kTimestamp[] = "20240517093011";
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3Backup(uint32_t version, qx3BackupStruct* pParm, sqlca* pSqlca) {
    standin::Call& c = seen::versioned("qx3Backup", version, pParm, pSqlca);
    if (pParm != nullptr) {
        c.lists.push_back(seen::copied(pParm->piTablespaceList));
        c.lists.push_back(seen::copied(pParm->piMediaList));
        seen::put_text(pParm->oOutput1, sizeof pParm->oOutput1, kImage);
        seen::put_text(pParm->oOutput2, sizeof pParm->oOutput2, kTimestamp);
    }
    return seen::finish("qx3Backup", pSqlca);
}

// The legacy backups: strings at words 0, 10 and 11; the lists at words 8 and 9; the 33- and 15-byte
// output buffers at words 5 and 6.
namespace {
int32_t legacy(const char* name, std::vector<uint32_t> words, char* out33, char* out15,
               const sqluTablespaceList* ts, const sqluMediaList* media, sqlca* ca) {
    seen::with_lists(name, std::move(words), (1u << 0) | (1u << 10) | (1u << 11), ts, media);
    seen::put_text(out33, 33, kImage);
    seen::put_text(out15, 15, kTimestamp);
    return seen::finish(name, ca);
}
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE sqlubkp(char* piString1, uint32_t word6, uint32_t word7, uint32_t word8,
                                          uint32_t word9, char* poOutput33, char* poOutput15, uint32_t word12,
                                          sqluTablespaceList* piTablespaceList, sqluMediaList* piMediaList,
                                          char* piString2, char* piString3, uint32_t word17, uint32_t word18,
                                          uint32_t word19, uint32_t word20, uint32_t word21, uint32_t word22,
                                          uint32_t word23, sqlca* pSqlca) {
    return legacy("sqlubkp",
                  {word(piString1), word6, word7, word8, word9, word(poOutput33), word(poOutput15), word12,
                   word(piTablespaceList), word(piMediaList), word(piString2), word(piString3), word17, word18,
                   word19, word20, word21, word22, word23, word(pSqlca)},
                  poOutput33, poOutput15, piTablespaceList, piMediaList, pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlubkup(char* piString1, uint32_t word6, uint32_t word7, uint32_t word8,
                                           uint32_t word9, char* poOutput33, char* poOutput15, uint32_t word12,
                                           sqluTablespaceList* piTablespaceList, sqluMediaList* piMediaList,
                                           char* piString2, char* piString3, uint32_t word17, uint32_t word18,
                                           uint32_t word19, uint32_t word20, sqlca* pSqlca) {
    return legacy("sqlubkup",
                  {word(piString1), word6, word7, word8, word9, word(poOutput33), word(poOutput15), word12,
                   word(piTablespaceList), word(piMediaList), word(piString2), word(piString3), word17, word18,
                   word19, word20, word(pSqlca)},
                  poOutput33, poOutput15, piTablespaceList, piMediaList, pSqlca);
}
