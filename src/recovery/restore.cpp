// Restore: the versioned qx3gRestore and the legacy sqlgrestore, sqlgrsto and sqlgrst.
#include <string.h>

#include "frame/frame.h"
#include "frame/lists.h"
#include "frame/texts.h"
#include "native/restore.h"

using namespace qx3;

namespace {

// ---- qx3gRestore ------------------------------------------------------------------------------

constexpr const char kRestoreTag[] = "sqlgrestore";
constexpr DiagName kRestoreName = diag("qx3gRest");

// Which later fields of the generic record a caller's version number reaches. R4 and R5 stand on
// their own: each has a window below its open-ended range.
constexpr bool reaches_r1(uint32_t v) { return reaches(v, QX3_RESTORE_R1); }
constexpr bool reaches_r2(uint32_t v) { return reaches(v, QX3_RESTORE_R2); }
constexpr bool reaches_r3(uint32_t v) { return reaches(v, QX3_RESTORE_R3); }
constexpr bool reaches_r4(uint32_t v) {
    return reaches(v, QX3_RESTORE_R4, QX3_RESTORE_R4_FIRST, QX3_RESTORE_R4_LAST);
}
constexpr bool reaches_r5(uint32_t v) {
    return reaches(v, QX3_RESTORE_R5, QX3_RESTORE_R5_EARLY_FIRST, QX3_RESTORE_R5_EARLY_LAST);
}


}  // namespace

QX3_ENTRY(qx3gRestore, QX3GRESTORE, (uint32_t version, qx3gRestoreStruct* pParm, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParm == nullptr || !accessible(pParm, sizeof *pParm, kReadWrite)) return memory_failed(pSqlca, kRestoreName);

    const ListOwner owner{kRestoreTag, pSqlca, kRestoreName};
    BackupLists<CopiedTablespaceList, CopiedMediaList> lists;
    CopiedTablespaceList list3, list4;
    Term s1, s2, s3, s4, s5, s6, s7, s8, s9, s10, s11, s12;
    qx3RestoreStruct native;
    memset(&native, 0, sizeof native);

    qx3gTablespaceList* const generic3 = pParm->piList3;
    qx3gTablespaceList* const generic4 = reaches_r4(version) ? pParm->piList4 : nullptr;

    int32_t rc = lists.convert(pParm->piTablespaceList, pParm->piMediaList, owner);
    if (rc == 0 && reaches_r3(version)) rc = list3.convert(generic3, owner, BadEntry::Skip, Empty::Left);
    if (rc == 0 && generic4 != nullptr) rc = list4.convert(generic4, owner, BadEntry::Ends, Empty::Left);
    if (rc == 0) {
        s1.place(pParm->piString1, pParm->iString1Len);
        s2.place(pParm->piString2, pParm->iString2Len);
        s11.place(pParm->piString11, pParm->iString11Len);
        s6.place(pParm->piString6, pParm->iString6Len);
        s7.place(pParm->piString7, pParm->iString7Len);
        s5.place(pParm->piString5, pParm->iString5Len);
        s3.place(pParm->piString3, pParm->iString3Len);
        s4.place(pParm->piString4, pParm->iString4Len);
        s8.place(pParm->piString8, pParm->iString8Len);

        native.piString1 = s1.p;
        native.piString2 = s2.p;
        native.piString3 = s3.p;
        native.piString4 = s4.p;
        native.piString5 = s5.p;
        native.piTablespaceList = lists.tablespaces.field();
        native.piMediaList = lists.media.field();
        native.piString6 = s6.p;
        native.piString7 = s7.p;
        native.piString8 = s8.p;
        for (uint32_t i = 0; i < 7; ++i) native.iWord1to7[i] = pParm->iWord1to7[i];
        native.piString11 = s11.p;
        if (reaches_r1(version)) {
            s9.place(pParm->piString9, pParm->iString9Len);
            native.piString9 = s9.p;
            native.iWord8 = pParm->iWord8;
            native.iWord9 = pParm->iWord9;
        }
        if (reaches_r2(version)) {
            s10.place(pParm->piString10, pParm->iString10Len);
            native.piString10 = s10.p;
        }
        if (reaches_r3(version)) native.piList3 = list3.field();
        if (reaches_r4(version)) native.piList4 = list4.field();
        if (reaches_r5(version)) {
            s12.place(pParm->piString12, pParm->iString12Len);
            native.piString12 = s12.p;
            native.iWord10 = pParm->iWord10;
            native.iWord11 = pParm->iWord11;
        }

        rc = qx3Restore(version, &native, pSqlca);

        // Whatever the outcome.
        copy_returned(pParm->poOutput1, pParm->iOutput1Len, native.oOutput1, sizeof native.oOutput1);
        pad_field(pParm->poOutput1, pParm->iOutput1Len);
    }

    // Newest first: for separate strings the order leaves no trace, and for strings a caller lets
    // share their terminating byte it is the order that gives the caller's byte back.
    s12.restore();
    s10.restore();
    s9.restore();
    s8.restore();
    s4.restore();
    s3.restore();
    s5.restore();
    s7.restore();
    s6.restore();
    s11.restore();
    s2.restore();
    s1.restore();
    // The lists' bytes newest list first; their slot arrays then go in their own order.
    list4.give_back();
    list3.give_back();
    lists.media.give_back();
    lists.tablespaces.give_back();
    list3.restore();
    lists.restore();
    list4.restore();
    lists.tablespaces.release();
    lists.media.release();
    list3.release();
    list4.release();
    return rc;
}

// ---- Legacy restore ---------------------------------------------------------------------------

namespace {

// All three legacy restores report as the legacy backup does.
constexpr DiagName kLegacyRestoreName = diag("sqlgbkup");

// What sqlgrestore, sqlgrsto and sqlgrst share: five strings (sqlgrestore six), the in/out text,
// the 33-byte output buffer, two in-place lists. Each hands in its own native call, which takes
// its arguments in an order of its own.
struct LegacyRestore {
    const char* tag;
    qx3_u16w len1, len2, text_len, len3, len4, len5, len6;
    char *string1, *string2, *string3, *string4, *string5, *string6;  // string6 null but for sqlgrestore
    char* text15;
    char* output33;
    sqluTablespaceList* tablespaces;
    sqluMediaList* media;
    sqlca* ca;
};

template <class Forward>
int32_t legacy_restore(const LegacyRestore& a, Forward&& forward) {
    if (!app_data_ready()) return app_data_failed(a.ca);

    const ListOwner owner{a.tag, a.ca, kLegacyRestoreName};
    BackupLists<InPlaceTablespaceList, InPlaceMediaList> lists;
    Term string1, string2, string3, string4, string5, string6;

    int32_t rc = lists.convert(a.tablespaces, a.media, owner);
    if (rc == 0) {
        string1.place(a.string1, zx(a.len1));
        string2.place(a.string2, zx(a.len2));
        string4.place(a.string4, zx(a.len4));
        string5.place(a.string5, zx(a.len5));
        string6.place(a.string6, zx(a.len6));
        // The in/out text keeps its NUL: the native call reads it and writes its own text there.
        if (a.text15 != nullptr && accessible(a.text15, zx(a.text_len) + 1, kReadWrite)) a.text15[zx(a.text_len)] = '\0';
        string3.place(a.string3, zx(a.len3));
        rc = forward();
        pad_field(a.output33, 33);  // whatever the outcome
        pad_field(a.text15, 15);
    }
    // Newest first, as everywhere: strings that share a byte give the caller's byte back.
    string3.restore();
    string6.restore();
    string5.restore();
    string4.restore();
    string2.restore();
    string1.restore();
    lists.restore();
    return rc;
}

}  // namespace

QX3_ENTRY(sqlgrestore, SQLGRESTORE,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w text_len, qx3_u16w len3, qx3_u16w len4, qx3_u16w len5,
           qx3_u16w len6, uint32_t /*ignored*/, char* s1, char* s2, uint32_t w11, uint32_t w12, uint32_t w13,
           uint32_t w14, uint32_t w15, uint32_t w16, char* out33, char* text15, char* s3, uint32_t w20, char* s6,
           sqluTablespaceList* ts, sqluMediaList* media, char* s4, char* s5, uint32_t w26, uint32_t w27,
           uint32_t /*ignored*/, uint32_t w29, uint32_t /*ignored*/, uint32_t w31, uint32_t w32, uint32_t w33,
           uint32_t w34, sqlca* ca)) {
    return legacy_restore({"sqlgrestore", len1, len2, text_len, len3, len4, len5, len6, s1, s2, s3, s4, s5, s6,
                           text15, out33, ts, media, ca},
                          [&] {
                              return sqlurestore(s1, s2, w11, w12, w13, w14, w15, w16, out33, text15, s3, w20, s6,
                                                 ts, media, s4, s5, w26, w32, w33, w27, w29, w31, w34, ca);
                          });
}

QX3_ENTRY(sqlgrsto, SQLGRSTO,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w text_len, qx3_u16w len3, qx3_u16w len4, qx3_u16w len5,
           uint32_t /*ignored*/, char* s1, char* s2, uint32_t w10, uint32_t w11, uint32_t w12, uint32_t w13,
           char* out33, char* text15, char* s3, uint32_t w17, sqluTablespaceList* ts, sqluMediaList* media, char* s4,
           char* s5, uint32_t w22, uint32_t w23, uint32_t w24, uint32_t w25, sqlca* ca)) {
    return legacy_restore({"sqlgrsto", len1, len2, text_len, len3, len4, len5, 0, s1, s2, s3, s4, s5, nullptr,
                           text15, out33, ts, media, ca},
                          [&] {
                              return sqlursto(s1, s2, w10, w11, w12, w13, out33, text15, s3, w17, ts, media, s4, s5,
                                              w22, w23, w24, w25, ca);
                          });
}

QX3_ENTRY(sqlgrst, SQLGRST,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w text_len, qx3_u16w len3, qx3_u16w len4, qx3_u16w len5,
           uint32_t /*ignored*/, char* s1, char* s2, uint32_t w10, uint32_t w11, uint32_t w12, uint32_t w13,
           uint32_t w14, char* out33, char* text15, char* s3, uint32_t w18, sqluTablespaceList* ts,
           sqluMediaList* media, char* s4, char* s5, uint32_t w23, uint32_t w24, uint32_t /*ignored*/, uint32_t w26,
           uint32_t /*ignored*/, uint32_t w28, uint32_t w29, uint32_t w30, uint32_t w31, sqlca* ca)) {
    return legacy_restore({"sqlgrst", len1, len2, text_len, len3, len4, len5, 0, s1, s2, s3, s4, s5, nullptr, text15,
                           out33, ts, media, ca},
                          [&] {
                              return sqlurst(s1, s2, w10, w11, w12, w13, w14, out33, text15, s3, w18, ts, media, s4,
                                             s5, w23, w29, w30, w24, w26, w28, w31, ca);
                          });
}
