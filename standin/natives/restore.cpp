// Restore natives: they record the record and lists they receive, write a plausible text into their
// output field, then let the test's hook run (which may write other outputs).
#include "natives/seen_lists.h"
#include "native/restore.h"

namespace {
// What a restore reports: the timestamp of the image it restored.
const char kRestored[] = "20240517093011";
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3Restore(uint32_t version, qx3RestoreStruct* pParm, sqlca* pSqlca) {
    standin::Call& c = seen::versioned("qx3Restore", version, pParm, pSqlca);
    if (pParm != nullptr) {
        c.lists.push_back(seen::copied(pParm->piTablespaceList));
        c.lists.push_back(seen::copied(pParm->piMediaList));
        c.lists.push_back(seen::copied(pParm->piList3));
        c.lists.push_back(seen::copied(pParm->piList4));
        seen::put_text(pParm->oOutput1, sizeof pParm->oOutput1, kRestored);
    }
    return seen::finish("qx3Restore", pSqlca);
}

// The legacy restores: what they saw of their strings (by argument word), their lists, then a
// plausible text in the 33-byte buffer and the 15-byte in/out text.
namespace {
int32_t legacy(const char* name, std::vector<uint32_t> words, uint64_t strings, char* out33, char* text15,
               const sqluTablespaceList* ts, const sqluMediaList* media, sqlca* ca) {
    seen::with_lists(name, std::move(words), strings, ts, media);
    seen::put_text(out33, 33, "images/SAMPLE/0001");
    seen::put_text(text15, 15, kRestored);
    return seen::finish(name, ca);
}
constexpr uint64_t bits(std::initializer_list<int> words) {
    uint64_t b = 0;
    for (int i : words) b |= uint64_t{1} << i;
    return b;
}
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE sqlurestore(char* piString1, char* piString2, uint32_t word11, uint32_t word12,
                                              uint32_t word13, uint32_t word14, uint32_t word15, uint32_t word16,
                                              char* poOutput33, char* pioText15, char* piString3, uint32_t word20,
                                              char* piString6, sqluTablespaceList* piTablespaceList,
                                              sqluMediaList* piMediaList, char* piString4, char* piString5,
                                              uint32_t word26, uint32_t word32, uint32_t word33, uint32_t word27,
                                              uint32_t word29, uint32_t word31, uint32_t word34, sqlca* pSqlca) {
    return legacy("sqlurestore",
                  {word(piString1), word(piString2), word11, word12, word13, word14, word15, word16, word(poOutput33),
                   word(pioText15), word(piString3), word20, word(piString6), word(piTablespaceList),
                   word(piMediaList), word(piString4), word(piString5), word26, word32, word33, word27, word29, word31,
                   word34, word(pSqlca)},
                  bits({0, 1, 9, 10, 12, 15, 16}), poOutput33, pioText15, piTablespaceList, piMediaList, pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlursto(char* piString1, char* piString2, uint32_t word10, uint32_t word11,
                                           uint32_t word12, uint32_t word13, char* poOutput33, char* pioText15,
                                           char* piString3, uint32_t word17, sqluTablespaceList* piTablespaceList,
                                           sqluMediaList* piMediaList, char* piString4, char* piString5,
                                           uint32_t word22, uint32_t word23, uint32_t word24, uint32_t word25,
                                           sqlca* pSqlca) {
    return legacy("sqlursto",
                  {word(piString1), word(piString2), word10, word11, word12, word13, word(poOutput33), word(pioText15),
                   word(piString3), word17, word(piTablespaceList), word(piMediaList), word(piString4),
                   word(piString5), word22, word23, word24, word25, word(pSqlca)},
                  bits({0, 1, 7, 8, 12, 13}), poOutput33, pioText15, piTablespaceList, piMediaList, pSqlca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlurst(char* piString1, char* piString2, uint32_t word10, uint32_t word11,
                                          uint32_t word12, uint32_t word13, uint32_t word14, char* poOutput33,
                                          char* pioText15, char* piString3, uint32_t word18,
                                          sqluTablespaceList* piTablespaceList, sqluMediaList* piMediaList,
                                          char* piString4, char* piString5, uint32_t word23, uint32_t word29,
                                          uint32_t word30, uint32_t word24, uint32_t word26, uint32_t word28,
                                          uint32_t word31, sqlca* pSqlca) {
    return legacy("sqlurst",
                  {word(piString1), word(piString2), word10, word11, word12, word13, word14, word(poOutput33),
                   word(pioText15), word(piString3), word18, word(piTablespaceList), word(piMediaList),
                   word(piString4), word(piString5), word23, word29, word30, word24, word26, word28, word31,
                   word(pSqlca)},
                  bits({0, 1, 8, 9, 13, 14}), poOutput33, pioText15, piTablespaceList, piMediaList, pSqlca);
}
