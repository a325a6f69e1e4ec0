// Load: the versioned qx3gLoad and the legacy sqlgload, each inside its trace bracket; and the load
// queries qx3gLoadQuery and sqlgqry, which return the outcome of their own checks.
#include <string.h>

#include "frame/frame.h"
#include "frame/lists.h"
#include "movement/moved_list.h"
#include "native/movement.h"

using namespace qx3;
using namespace qx3::movement;

namespace {

// ---- Trace bracket -----------------------------------------------------------------------------

constexpr uint32_t kProbeLoad = 0x1C93006A;
constexpr uint32_t kProbeLegacyLoad = 0x1C930069;
constexpr int32_t kBadRecord = -3223;

// Words of the component trace-flags table, by byte offset, and the bits that gate each service.
constexpr uint32_t kEntryWord = 0x248;
constexpr uint32_t kEntryProbe = 0x1;
constexpr uint32_t kDiag = 0x40000;
constexpr uint32_t kExitWord = 0x54;
constexpr uint32_t kExitAny = 0x8082;
constexpr uint32_t kExitTrace = 0x8002;
constexpr uint32_t kExitFlight = 0x80;

// Read afresh from the table pointer every time: the tracing side may swap or change the table.
inline uint32_t trace_word(uint32_t offset) { return g_sqltCompTraceFlags[offset / sizeof(uint32_t)]; }

void trace_entry(uint32_t probe) {
    sqltinit();
    const uint32_t flags = trace_word(kEntryWord);
    if (flags & kEntryProbe) pdtEntry(probe);
    if (flags & kDiag) sqleWlDispDiagEntry(probe);
}

int32_t trace_exit(uint32_t probe, int32_t rc) {
    if (trace_word(kEntryWord) & kDiag) sqleWlDispDiagExit(probe);
    const uint32_t flags = trace_word(kExitWord);
    if ((flags & kExitAny) == 0) return rc;
    if (flags & kExitTrace) sqltExit(probe, rc);
    if (flags & kExitFlight) pdFlightRecordTrc(probe, static_cast<uint64_t>(static_cast<int64_t>(rc)), 0, 0);
    return rc;
}

// ---- Strings of the load record ----------------------------------------------------------------

// A string of the load record: left alone when it fails its check over its own length, given back
// only when it passes that check again. The checks again are made in the order of terminating, the
// bytes then given back newest first (put_back), so that strings sharing a byte give the caller's.
struct LoadString {
    char* p = nullptr;
    uint32_t n = 0;
    Slot slot;
    bool due = false;
    void place(char* s, uint32_t len) {
        p = s;
        n = len;
        if (accessible(p, n, kReadWrite)) slot.place(p, n);
    }
    void check_again() { due = slot.pos != -1 && accessible(p, n, kReadWrite); }
    void put_back() const {
        if (due) slot.restore(p);
    }
};

// A string of sqlgload: both of its checks cover the byte behind it, the first for reading.
struct LegacyLoadString : LoadString {
    void place(char* s, uint32_t len) {
        p = s;
        n = len;
        if (accessible(p, n + 1, kRead)) slot.place(p, n);
    }
    void check_again() { due = slot.pos != -1 && accessible(p, n + 1, kRead); }
};

// List 4 of either load: type 'L' or 'O', by its own type; checked with `mode` before its
// conversion (qx3gLoad: read and write; sqlgload: read) and again for reading before its restore.
int32_t terminate_list4(MovedList& l, sqluMediaList** field, sqlca** ca, Access mode) {
    sqluMediaList* list = *field;
    if (list == nullptr || !accessible(list, sizeof *list, mode)) return 0;
    const uint32_t type = list->iMediaType;
    if (type != QX3_MEDIA_L && type != QX3_MEDIA_O) return 0;
    return l.terminate(field, ca, type, 0);
}

void restore_list4(MovedList& l, sqlca** ca) {
    if (l.slots == nullptr) return;
    if (accessible(*l.field, sizeof(sqluMediaList), kRead)) {
        l.restore(ca);
    } else {
        l.release_only();
    }
}

// The four lists both loads share, in the order of converting: 1 ('S', always given a slot array),
// 2 ('S'), then the versioned form's list 5 ('S'), then 3 ('L') and 4 ('L' or 'O').
struct LoadLists {
    MovedList l1, l2, l5, l3, l4;

    int32_t terminate(sqluMediaList** f1, sqluMediaList** f2, sqluMediaList** f5, sqluMediaList** f3,
                      sqluMediaList** f4, sqlca** ca, Access list4_mode) {
        int32_t rc = l1.terminate(f1, ca, QX3_MEDIA_S, 1);
        if (rc == 0) rc = l2.terminate(f2, ca, QX3_MEDIA_S, 0);
        if (rc == 0 && f5 != nullptr) rc = l5.terminate(f5, ca, QX3_MEDIA_S, 0);
        if (rc == 0) rc = l3.terminate(f3, ca, QX3_MEDIA_L, 0);
        if (rc == 0) rc = terminate_list4(l4, f4, ca, list4_mode);
        return rc;
    }
    void restore(sqlca** ca) {
        l1.restore(ca);
        l2.restore(ca);
        l5.restore(ca);
        l3.restore(ca);
        restore_list4(l4, ca);
    }
};

int32_t load(uint32_t version, qx3gLoadStruct* pParm, sqlca* ca) {
    if (!app_data_ready()) return kNoAppData;  // the code goes back as the result alone
    if (pParm == nullptr || !accessible(pParm, sizeof *pParm, kRead)) return kBadRecord;

    LoadLists lists;
    LoadString s1, s2, s3;
    Term sub1;
    Term sub2[6];
    qx3gLoadSub1* r1 = nullptr;
    qx3gLoadSub2* r2 = nullptr;

    int32_t rc = lists.terminate(&pParm->piList1, &pParm->piList2, &pParm->piList5, &pParm->piList3,
                                 &pParm->piList4, &ca, kReadWrite);
    if (rc == 0) {
        s1.place(pParm->piString1, pParm->iString1Len);
        s2.place(pParm->piString2, pParm->iString2Len);
        s3.place(pParm->piString3, pParm->iString3Len);
        r1 = pParm->piSub1;
        if (r1 != nullptr && accessible(r1, sizeof *r1, kReadWrite)) sub1.place(r1->piString, r1->iStringLen);
        r2 = pParm->piSub2;
        if (r2 != nullptr && accessible(r2, sizeof *r2, kReadWrite)) {
            char* const texts[6] = {r2->piString1, r2->piString2, r2->piString3,
                                    r2->piString4, r2->piString5, r2->piString6};
            for (uint32_t i = 0; i < 6; ++i) sub2[i].place(texts[i], r2->iStringLen[i]);
        }

        qx3LoadStruct native;
        memset(&native, 0, sizeof native);
        memcpy(&native, pParm, offsetof(qx3LoadStruct, iValue7));  // the fifteen words at 0 to 59
        native.iValue7 = pParm->iValue7;
        native.iValue8 = pParm->iValue8;
        native.piList5 = pParm->piList5;
        rc = qx3Load(version, &native, ca);
    }

    s1.check_again();
    s2.check_again();
    s3.check_again();
    // The first sub-record's string lies inside its first 68 bytes, which is all its re-check covers.
    const bool back1 = r1 != nullptr && accessible(r1, 68, kReadWrite);
    if (r2 != nullptr && accessible(r2, sizeof *r2, kReadWrite))
        for (uint32_t i = 6; i-- > 0;) sub2[i].restore();
    if (back1) sub1.restore();
    s3.put_back();
    s2.put_back();
    s1.put_back();
    lists.restore(&ca);
    return rc;
}

int32_t legacy_load(qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqluMediaList* list1, sqluMediaList* list2,
                    uint32_t w6, uint32_t w7, char* string1, uint32_t w9, char* string2, char* string3,
                    qx3_u16w w12, uint32_t w13, uint32_t w14, sqluMediaList* list3, sqluMediaList* list4,
                    uint32_t w17, uint32_t w18, sqlca* ca) {
    if (!app_data_ready()) return app_data_failed(ca);

    LoadLists lists;
    LegacyLoadString s1, s2, s3;
    int32_t rc = lists.terminate(&list1, &list2, nullptr, &list3, &list4, &ca, kRead);
    if (rc == 0) {
        s1.place(string1, zx(len1));
        s2.place(string2, zx(len2));
        s3.place(string3, zx(len3));
        rc = sqluload_api(list1, list2, w6, w7, string1, w9, string2, string3, sx(w12), w13, w14, list3, list4, w17,
                          w18, ca);
    }
    s1.check_again();
    s2.check_again();
    s3.check_again();
    s3.put_back();
    s2.put_back();
    s1.put_back();
    lists.restore(&ca);
    return rc;
}

}  // namespace

QX3_ENTRY(qx3gLoad, QX3GLOAD, (uint32_t version, qx3gLoadStruct* pParm, sqlca* pSqlca)) {
    trace_entry(kProbeLoad);
    return trace_exit(kProbeLoad, load(version, pParm, pSqlca));
}

QX3_ENTRY(sqlgload, SQLGLOAD,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqluMediaList* list1, sqluMediaList* list2, uint32_t w6,
           uint32_t w7, char* string1, uint32_t w9, char* string2, char* string3, qx3_u16w w12, uint32_t w13,
           uint32_t w14, sqluMediaList* list3, sqluMediaList* list4, uint32_t w17, uint32_t w18, sqlca* pSqlca)) {
    trace_entry(kProbeLegacyLoad);
    return trace_exit(kProbeLegacyLoad, legacy_load(len1, len2, len3, list1, list2, w6, w7, string1, w9, string2,
                                                    string3, w12, w13, w14, list3, list4, w17, w18, pSqlca));
}

// ---- Load queries ------------------------------------------------------------------------------

QX3_ENTRY(qx3gLoadQuery, QX3GLOADQUERY, (uint32_t version, qx3gLoadQueryStruct* pParm, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParm == nullptr) {
        if (sqloincaChkptr(pSqlca) == 0) pSqlca->sqlcode = kNoMemory;
        return kNoMemory;
    }
    int32_t status = 0;
    Term b, a;
    place_status(b, pParm->piStringB, pParm->iStringBLen, status);
    place_status(a, pParm->piStringA, pParm->iStringALen, status);
    qx3LoadQueryStruct native{pParm->iValue1, pParm->piStringA, pParm->iValue2, pParm->iValue3, pParm->piStringB};
    qx3LoadQuery(version, &native, pSqlca);  // its outcome reaches the caller in the status record
    a.restore();
    b.restore();
    return status;
}

QX3_ENTRY(sqlgqry, SQLGQRY, (qx3_u16w len1, qx3_u16w len2, char* string1, char* string2, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    int32_t status = 0;
    Term s1, s2;
    place_status(s1, string1, zx(len1), status);
    place_status(s2, string2, zx(len2), status);
    sqluqry_api(string1, string2, pSqlca);
    s2.restore();
    s1.restore();
    return status;
}
