// Data-movement natives: they record the words, the strings and the records they receive and the
// media lists as they read them during the call; a load, export or import moves no data here, so
// nothing else is written back but the status record.
#include "natives/seen_lists.h"
#include "native/movement.h"

namespace {

constexpr uint64_t bits(std::initializer_list<int> words) {
    uint64_t b = 0;
    for (int i : words) b |= uint64_t{1} << i;
    return b;
}

// A versioned call: its record's bytes, its strings (by the native record's string fields, in
// `strings`), and its lists, each as the native read it.
int32_t versioned(const char* name, uint32_t version, const void* rec, size_t size, void* ca,
                  std::initializer_list<const char*> texts, std::initializer_list<const sqluMediaList*> lists) {
    standin::record(name, {version, word(rec), word(ca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = seen::bytes(rec, size);
    c.strings.clear();  // the record's strings, in the order given, rather than the words'
    for (const char* t : texts) c.strings.push_back(t == nullptr ? standin::Seen{} : standin::read_seen(t));
    for (const sqluMediaList* l : lists) c.lists.push_back(seen::media(l));
    return seen::finish(name, ca);
}

// A legacy call: its words, the strings at the words in `strings`, and its lists.
int32_t legacy(const char* name, std::vector<uint32_t> words, uint64_t strings, void* ca,
               std::initializer_list<const sqluMediaList*> lists) {
    standin::record(name, std::move(words), strings);
    standin::Call& c = standin::last_call();
    for (const sqluMediaList* l : lists) c.lists.push_back(seen::media(l));
    return seen::finish(name, ca);
}

}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3Load(uint32_t version, qx3LoadStruct* pParm, sqlca* pSqlca) {
    if (pParm == nullptr) return versioned("qx3Load", version, pParm, 0, pSqlca, {}, {});
    // Strings: the record's three, the first sub-record's, the second sub-record's six.
    const qx3gLoadSub1* r1 = pParm->piSub1;
    const qx3gLoadSub2* r2 = pParm->piSub2;
    return versioned("qx3Load", version, pParm, sizeof *pParm, pSqlca,
                     {pParm->piString1, pParm->piString2, pParm->piString3, r1 ? r1->piString : nullptr,
                      r2 ? r2->piString1 : nullptr, r2 ? r2->piString2 : nullptr, r2 ? r2->piString3 : nullptr,
                      r2 ? r2->piString4 : nullptr, r2 ? r2->piString5 : nullptr, r2 ? r2->piString6 : nullptr},
                     {pParm->piList1, pParm->piList2, pParm->piList3, pParm->piList4, pParm->piList5});
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluload_api(sqluMediaList* list4, sqluMediaList* list5, uint32_t value6,
                                               uint32_t value7, char* string8, uint32_t value9, char* string10,
                                               char* string11, int32_t value12, uint32_t value13, uint32_t value14,
                                               sqluMediaList* list15, sqluMediaList* list16, uint32_t value17,
                                               uint32_t value18, sqlca* pSqlca) {
    return legacy("sqluload_api",
                  {word(list4), word(list5), value6, value7, word(string8), value9, word(string10), word(string11),
                   static_cast<uint32_t>(value12), value13, value14, word(list15), word(list16), value17, value18,
                   word(pSqlca)},
                  bits({4, 6, 7}), pSqlca, {list4, list5, list15, list16});
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3LoadQuery(uint32_t version, qx3LoadQueryStruct* pParm, sqlca* pSqlca) {
    return versioned("qx3LoadQuery", version, pParm, pParm ? sizeof *pParm : 0, pSqlca,
                     {pParm ? pParm->piStringA : nullptr, pParm ? pParm->piStringB : nullptr}, {});
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluqry_api(char* string1, char* string2, sqlca* pSqlca) {
    return legacy("sqluqry_api", {word(string1), word(string2), word(pSqlca)}, bits({0, 1}), pSqlca, {});
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3Export(uint32_t version, qx3ExportStruct* pParm, sqlca* pSqlca) {
    if (pParm == nullptr) return versioned("qx3Export", version, pParm, 0, pSqlca, {}, {});
    return versioned("qx3Export", version, pParm, sizeof *pParm, pSqlca,
                     {pParm->piString1, pParm->piString2, pParm->piString3},
                     {pParm->piList1, pParm->piList2, pParm->piList3, pParm->piList4});
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluexpt_api(char* string12, uint32_t value11, uint32_t value10, char* string9,
                                               uint32_t value8, char* string7, int32_t value6, uint32_t value5,
                                               sqlca* pSqlca) {
    return legacy("sqluexpt_api",
                  {word(string12), value11, value10, word(string9), value8, word(string7),
                   static_cast<uint32_t>(value6), value5, word(pSqlca)},
                  bits({0, 3, 5}), pSqlca, {});
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluexpr_api(char* string4, sqluMediaList* list5, sqluMediaList* list6,
                                               uint32_t value7, uint32_t value8, char* string9, uint32_t value10,
                                               char* string11, int32_t value12, uint32_t value13, uint32_t value14,
                                               sqlca* pSqlca) {
    return legacy("sqluexpr_api",
                  {word(string4), word(list5), word(list6), value7, value8, word(string9), value10, word(string11),
                   static_cast<uint32_t>(value12), value13, value14, word(pSqlca)},
                  bits({0, 5, 7}), pSqlca, {list5, list6});
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3Import(uint32_t version, qx3ImportStruct* pParm, sqlca* pSqlca) {
    if (pParm == nullptr) return versioned("qx3Import", version, pParm, 0, pSqlca, {}, {});
    return versioned("qx3Import", version, pParm, sizeof *pParm, pSqlca,
                     {pParm->piString1, pParm->piString2, pParm->piString3}, {pParm->piList1});
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluimpt_api(char* string13, uint32_t value12, uint32_t value11, char* string10,
                                               uint32_t value9, char* string8, int32_t value7, uint32_t value6,
                                               uint32_t value5, sqlca* pSqlca) {
    return legacy("sqluimpt_api",
                  {word(string13), value12, value11, word(string10), value9, word(string8),
                   static_cast<uint32_t>(value7), value6, value5, word(pSqlca)},
                  bits({0, 3, 5}), pSqlca, {});
}

STANDIN_EXPORT int32_t QX3_NATIVE sqluimpr_api(char* string4, sqluMediaList* list5, uint32_t value6, uint32_t value7,
                                               char* string8, uint32_t value9, char* string10, int32_t value11,
                                               uint32_t value12, uint32_t value13, uint32_t value14, uint32_t value15,
                                               sqlca* pSqlca) {
    return legacy("sqluimpr_api",
                  {word(string4), word(list5), value6, value7, word(string8), value9, word(string10),
                   static_cast<uint32_t>(value11), value12, value13, value14, value15, word(pSqlca)},
                  bits({0, 4, 6}), pSqlca, {list5});
}
