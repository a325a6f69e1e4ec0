// Backup: the versioned qx3gBackup and the legacy sqlgbkp and sqlgbkup.
#include <string.h>

#include "frame/frame.h"
#include "frame/lists.h"
#include "frame/texts.h"
#include "native/backup.h"

using namespace qx3;

namespace {

// ---- qx3gBackup -------------------------------------------------------------------------------

constexpr const char kBackupTag[] = "sqlgbkp";
constexpr DiagName kBackupName = diag("qx3gBack");

// Which later fields of the generic record a caller's version number reaches.
constexpr bool reaches_v1(uint32_t v) { return reaches(v, QX3_BACKUP_V1); }
constexpr bool reaches_v2(uint32_t v) { return reaches(v, QX3_BACKUP_V2); }
constexpr bool reaches_v3(uint32_t v) { return reaches(v, QX3_BACKUP_V3); }
constexpr bool reaches_v4(uint32_t v) {
    return reaches(v, QX3_BACKUP_V4, QX3_BACKUP_V4_EARLY_FIRST, QX3_BACKUP_V4_EARLY_LAST);
}

}  // namespace


QX3_ENTRY(qx3gBackup, QX3GBACKUP, (uint32_t version, qx3gBackupStruct* pParm, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParm == nullptr || !accessible(pParm, sizeof *pParm, kReadWrite)) return memory_failed(pSqlca, kBackupName);

    const ListOwner owner{kBackupTag, pSqlca, kBackupName};
    BackupLists<CopiedTablespaceList, CopiedMediaList> lists;
    Term string1, string2, string3, string4, string5;
    qx3BackupStruct native;
    memset(&native, 0, sizeof native);

    int32_t rc = lists.convert(pParm->piTablespaceList, pParm->piMediaList, owner);
    if (rc == 0) {
        string1.place(pParm->piString1, pParm->iString1Len);
        string2.place(pParm->piString2, pParm->iString2Len);
        string3.place(pParm->piString3, pParm->iString3Len);
        native.piString1 = string1.p;
        native.piTablespaceList = lists.tablespaces.field();
        native.piMediaList = lists.media.field();
        native.piString2 = string2.p;
        native.piString3 = string3.p;
        for (uint32_t i = 0; i < 8; ++i) native.iWord1to8[i] = pParm->iWord1to8[i];
        if (reaches_v1(version)) native.iWord9 = pParm->iWord9;
        if (reaches_v2(version)) {
            string4.place(pParm->piString4, pParm->iString4Len);
            native.piString4 = string4.p;
            native.iWord10 = pParm->iWord10;
            native.iWord11 = pParm->iWord11;
        }
        if (reaches_v3(version))
            for (uint32_t i = 0; i < 5; ++i) native.iWord12to16[i] = pParm->iWord12to16[i];
        if (reaches_v4(version)) {
            string5.place(pParm->piString5, pParm->iString5Len);
            native.piString5 = string5.p;
            native.iWord17 = pParm->iWord17;
            native.iWord18 = pParm->iWord18;
        }

        rc = qx3Backup(version, &native, pSqlca);

        // Whatever the outcome: both texts back, then both padded, the second first.
        copy_returned(pParm->poOutput1, pParm->iOutput1Len, native.oOutput1, sizeof native.oOutput1);
        copy_returned(pParm->poOutput2, pParm->iOutput2Len, native.oOutput2, sizeof native.oOutput2);
        pad_field(pParm->poOutput2, pParm->iOutput2Len);
        pad_field(pParm->poOutput1, pParm->iOutput1Len);
    }

    // Newest first: for separate strings the order leaves no trace, and for strings a caller lets
    // share their terminating byte it is the order that gives the caller's byte back.
    string5.restore();
    string4.restore();
    string3.restore();
    string2.restore();
    string1.restore();
    lists.restore();
    lists.tablespaces.release();
    lists.media.release();
    return rc;
}

// ---- Legacy backup ----------------------------------------------------------------------------

namespace {

// What sqlgbkp and sqlgbkup share: three strings, two output buffers, two in-place lists. The native
// call takes every argument from the fifth on unchanged, so each entry point hands its own call in.
struct LegacyBackup {
    const char* tag;
    DiagName name;
    qx3_u16w len1, len2, len3;
    char *string1, *string2, *string3;
    char *output33, *output15;
    sqluTablespaceList* tablespaces;
    sqluMediaList* media;
    sqlca* ca;
};

template <class Forward>
int32_t legacy_backup(const LegacyBackup& a, Forward&& forward) {
    if (!app_data_ready()) return app_data_failed(a.ca);

    const ListOwner owner{a.tag, a.ca, a.name};
    BackupLists<InPlaceTablespaceList, InPlaceMediaList> lists;
    Term string1, string2, string3;

    int32_t rc = lists.convert(a.tablespaces, a.media, owner);
    if (rc == 0) {
        string1.place(a.string1, zx(a.len1));
        string2.place(a.string2, zx(a.len2));
        string3.place(a.string3, zx(a.len3));
        rc = forward();
        pad_field(a.output15, 15);  // whatever the outcome
        pad_field(a.output33, 33);
    }
    string3.restore();
    string2.restore();
    string1.restore();
    lists.restore();
    return rc;
}

}  // namespace

QX3_ENTRY(sqlgbkp, SQLGBKP,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, uint32_t /*ignored*/, char* s1, uint32_t w6, uint32_t w7,
           uint32_t w8, uint32_t w9, char* out33, char* out15, uint32_t w12, sqluTablespaceList* ts,
           sqluMediaList* media, char* s2, char* s3, uint32_t w17, uint32_t w18, uint32_t w19, uint32_t w20,
           uint32_t w21, uint32_t w22, uint32_t w23, sqlca* ca)) {
    return legacy_backup({"sqlgbkp", diag("sqlgbkp"), len1, len2, len3, s1, s2, s3, out33, out15, ts, media, ca}, [&] {
        return sqlubkp(s1, w6, w7, w8, w9, out33, out15, w12, ts, media, s2, s3, w17, w18, w19, w20, w21, w22, w23, ca);
    });
}

QX3_ENTRY(sqlgbkup, SQLGBKUP,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, uint32_t /*ignored*/, char* s1, uint32_t w6, uint32_t w7,
           uint32_t w8, uint32_t w9, char* out33, char* out15, uint32_t w12, sqluTablespaceList* ts,
           sqluMediaList* media, char* s2, char* s3, uint32_t w17, uint32_t w18, uint32_t w19, uint32_t w20,
           sqlca* ca)) {
    return legacy_backup({"sqlgbkup", diag("sqlgbkup"), len1, len2, len3, s1, s2, s3, out33, out15, ts, media, ca},
                         [&] { return sqlubkup(s1, w6, w7, w8, w9, out33, out15, w12, ts, media, s2, s3, w17, w18, w19, w20, ca); });
}
