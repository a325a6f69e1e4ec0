// Export and import: the versioned qx3gExport and qx3gImport, the legacy sqlgexpt and sqlgimpt
// (three strings, arguments reversed) and the legacy sqlgexpr and sqlgimpr (strings and media
// lists, arguments in order, the outcome of their own checks as the result).
#include <string.h>

#include "frame/forward.h"
#include "frame/frame.h"
#include "frame/lists.h"
#include "movement/moved_list.h"
#include "native/movement.h"

using namespace qx3;
using namespace qx3::movement;
using namespace qx3::fwd;

// ---- Reversed forms ----------------------------------------------------------------------------

QX3_ROUTE(sqlgexpt, sqluexpt_api,
          framed(pass(A12, A11, A10, A9, A8, A7, sx(A6), A5, A4), A7.with(A1), A9.with(A2), A12.with(A3)))
QX3_ROUTE(sqlgimpt, sqluimpt_api,
          framed(pass(A13, A12, A11, A10, A9, A8, sx(A7), A6, A5, A4), A8.with(A1), A10.with(A2), A13.with(A3)))

QX3_ENTRY(sqlgexpt, SQLGEXPT,
          (qx3_u16w len7, qx3_u16w len9, qx3_u16w len12, sqlca* pSqlca, uint32_t w5, qx3_u16w w6, char* s7,
           uint32_t w8, char* s9, uint32_t w10, uint32_t w11, char* s12)) {
    return forward<Ep::sqlgexpt>(len7, len9, len12, pSqlca, w5, w6, s7, w8, s9, w10, w11, s12);
}

QX3_ENTRY(sqlgimpt, SQLGIMPT,
          (qx3_u16w len8, qx3_u16w len10, qx3_u16w len13, sqlca* pSqlca, uint32_t w5, uint32_t w6, qx3_u16w w7,
           char* s8, uint32_t w9, char* s10, uint32_t w11, uint32_t w12, char* s13)) {
    return forward<Ep::sqlgimpt>(len8, len10, len13, pSqlca, w5, w6, w7, s8, w9, s10, w11, w12, s13);
}

// ---- qx3gExport --------------------------------------------------------------------------------

namespace {

constexpr const char kExportTag[] = "sqlgexpt";
constexpr DiagName kExportName = diag("QX3GEXPR");

// A record that is not there: -83, as for a block that cannot be had.
int32_t no_record(sqlca* ca) {
    if (sqloincaChkptr(ca) == 0) ca->sqlcode = kNoMemory;
    return kNoMemory;
}

}  // namespace

QX3_ENTRY(qx3gExport, QX3GEXPORT, (uint32_t version, qx3gExportStruct* pParm, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParm == nullptr) return memory_failed(pSqlca, kExportName);

    // The terminator works on copies of the list pointers; lists 3 and 4 exist from their version on.
    sqluMediaList* fields[4] = {pParm->piList1, pParm->piList2, nullptr, nullptr};
    if (version >= QX3_EXPORT_LISTS34) {
        fields[2] = pParm->piList3;
        fields[3] = pParm->piList4;
    }
    static constexpr uint32_t kTypes[4] = {QX3_MEDIA_L, QX3_MEDIA_C, QX3_MEDIA_L, QX3_MEDIA_C};
    MovedList lists[4];
    Term strings[3];
    sqlca* ca = pSqlca;

    int32_t rc = 0;
    for (uint32_t i = 0; i < 4 && rc == 0; ++i) rc = lists[i].terminate(&fields[i], &ca, kTypes[i], 0);
    if (rc == 0) {
        char* const texts[3] = {pParm->piString1, pParm->piString2, pParm->piString3};
        const uint32_t lengths[3] = {pParm->iString1Len, pParm->iString2Len, pParm->iString3Len};
        for (uint32_t i = 0; i < 3 && rc == 0; ++i) {
            strings[i].p = texts[i];
            if (texts[i] == nullptr) continue;
            const int32_t check = check_status(texts[i], lengths[i] + 1, kReadWrite);
            if (check != 0) {
                // A string the native call could not read to its end: the call ends here, and the
                // status record says so whatever sqloincaChkptr would have said.
                set_status(pSqlca, kNoMemory, kExportName);
                rc = check;
                break;
            }
            strings[i].slot.pos = static_cast<int32_t>(lengths[i]);
            strings[i].slot.saved = static_cast<uint8_t>(texts[i][lengths[i]]);
            texts[i][lengths[i]] = '\0';
        }
    }
    if (rc == 0) {
        qx3ExportStruct native;
        memset(&native, 0, sizeof native);
        native.piString1 = pParm->piString1;
        native.piList1 = fields[0];
        native.piList2 = fields[1];
        native.iValue1 = pParm->iValue1;
        native.iValue2 = pParm->iValue2;
        native.piString2 = pParm->piString2;
        native.iValue3 = pParm->iValue3;
        native.piString3 = pParm->piString3;
        native.iValue4 = pParm->iValue4;
        native.iValue5 = pParm->iValue5;
        native.piList3 = fields[2];
        native.piList4 = fields[3];
        rc = qx3Export(version, &native, pSqlca);
    }

    strings[2].restore();
    strings[1].restore();
    strings[0].restore();
    // No check here: the entries were the library's to write when it lent them their NULs.
    lists[0].give_back(kExportTag, 297);
    lists[1].give_back(kExportTag, 309);
    lists[2].give_back(kExportTag, 321);
    lists[3].give_back(kExportTag, 333);
    return rc;
}

// ---- qx3gImport --------------------------------------------------------------------------------

QX3_ENTRY(qx3gImport, QX3GIMPORT, (uint32_t version, qx3gImportStruct* pParm, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParm == nullptr) return no_record(pSqlca);

    sqluMediaList* field = pParm->piList1;
    sqlca* ca = pSqlca;
    MovedList list;
    Term s1, s2, s3;
    int32_t rc = list.terminate(&field, &ca, QX3_MEDIA_L, 0);
    if (rc == 0) {
        s1.place(pParm->piString1, pParm->iString1Len);
        s2.place(pParm->piString2, pParm->iString2Len);
        s3.place(pParm->piString3, pParm->iString3Len);
        qx3ImportStruct native;
        memset(&native, 0, sizeof native);
        native.piString1 = pParm->piString1;
        native.piList1 = field;
        native.iValue1 = pParm->iValue1;
        native.iValue2 = pParm->iValue2;
        native.piString2 = pParm->piString2;
        native.iValue3 = pParm->iValue3;
        native.piString3 = pParm->piString3;
        native.iValue4 = pParm->iValue4;
        native.iValue5 = pParm->iValue5;
        native.iValue6 = pParm->iValue6;
        native.iValue7 = pParm->iValue7;
        native.iValue8 = pParm->iValue8;
        rc = qx3Import(version, &native, pSqlca);
    }
    s3.restore();
    s2.restore();
    s1.restore();
    list.restore(&ca);
    return rc;
}

// ---- Legacy forms with lists -------------------------------------------------------------------

QX3_ENTRY(sqlgexpr, SQLGEXPR,
          (qx3_u16w len4, qx3_u16w len9, qx3_u16w len11, char* s4, sqluMediaList* list5, sqluMediaList* list6,
           uint32_t w7, uint32_t w8, char* s9, uint32_t w10, char* s11, qx3_u16w w12, uint32_t w13, uint32_t w14,
           sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    constexpr const char kTag[] = "sqlgexpr";
    MovedList l5, l6;
    Term t9, t11, t4;
    bool no_memory = false;
    int32_t status = l5.walk(&list5, QX3_MEDIA_L, kTag, 269, no_memory);
    if (!no_memory && status == 0) status = l6.walk(&list6, QX3_MEDIA_C, kTag, 303, no_memory);
    if (no_memory) {
        // This call tells the status record's service first and writes the record unasked.
        sqloinca(pSqlca);
        set_status(pSqlca, kNoMemory, diag("sqlgexpr"));
    } else if (status == 0) {
        place_status(t9, s9, zx(len9), status);
        place_status(t11, s11, zx(len11), status);
        place_status(t4, s4, zx(len4), status);
        sqluexpr_api(s4, list5, list6, w7, w8, s9, w10, s11, sx(w12), w13, w14, pSqlca);
    }
    t4.restore();
    t11.restore();
    t9.restore();
    l6.give_back(kTag, 351);
    l5.give_back(kTag, 362);
    return status;
}

QX3_ENTRY(sqlgimpr, SQLGIMPR,
          (qx3_u16w len4, qx3_u16w len8, qx3_u16w len10, char* s4, sqluMediaList* list5, uint32_t w6, uint32_t w7,
           char* s8, uint32_t w9, char* s10, qx3_u16w w11, uint32_t w12, uint32_t w13, uint32_t w14, uint32_t w15,
           sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    constexpr const char kTag[] = "sqlgimpr";
    MovedList l5;
    Term t8, t10, t4;
    bool no_memory = false;
    int32_t status = l5.walk(&list5, QX3_MEDIA_L, kTag, 228, no_memory);
    if (no_memory) {
        status = memory_failed(pSqlca, diag("sqlgimpr"));
    } else if (status == 0) {
        place_status(t8, s8, zx(len8), status);
        place_status(t10, s10, zx(len10), status);
        place_status(t4, s4, zx(len4), status);
        sqluimpr_api(s4, list5, w6, w7, s8, w9, s10, sx(w11), w12, w13, w14, w15, pSqlca);
    }
    t4.restore();
    t10.restore();
    t8.restore();
    l5.give_back(kTag, 279);
    return status;
}
