// The recovery history: open a scan, fetch, close, update an entry, prune. Close and fetch forward
// at once; open, update and prune lend their strings NULs, and their versioned forms hand the native
// call a record of NUL-terminated strings built here. Nothing is allocated.
#include <string.h>

#include "frame/forward.h"
#include "native/recovery.h"

using namespace qx3;
using namespace qx3::fwd;

QX3_ROUTE(qx3gHistoryCloseScan, qx3HistoryCloseScan, unframed(pass(A1, A2, A3)))
QX3_ROUTE(qx3gHistoryGetEntry, qx3HistoryGetEntry, unframed(pass(A1, A2, A3)))
QX3_ROUTE(sqlghcls, sqluhcls, unframed(pass(zx(A1), A2, A3)))
QX3_ROUTE(sqlghgne, sqluhgne, unframed(pass(zx(A1), A2, A3, A4)))
QX3_ROUTE(sqlghops, sqluhops,
          framed(pass(A4, A5, A6, A7, A8, zx(A9), A10, A11), A4.with(A1), A5.with(A2), A6.with(A3)))
QX3_ROUTE(sqlghupd, sqluhupd,
          framed(pass(A5, A6, A7, A8, A9, A10), A5.with(A1), A6.with(A2), A7.with(A3), A8.with(A4)))
QX3_ROUTE(sqlghprn, sqluhprn, framed(pass(A2, zx(A3), A4, A5), A2.with(A1)))

QX3_ENTRY(qx3gHistoryCloseScan, QX3GHISTORYCLOSESCAN, (uint32_t version, void* pParm, sqlca* pSqlca)) {
    return forward<Ep::qx3gHistoryCloseScan>(version, pParm, pSqlca);
}
QX3_ENTRY(qx3gHistoryGetEntry, QX3GHISTORYGETENTRY, (uint32_t version, void* pParm, sqlca* pSqlca)) {
    return forward<Ep::qx3gHistoryGetEntry>(version, pParm, pSqlca);
}
QX3_WORD_FORWARDER(sqlghcls, SQLGHCLS, 3)
QX3_WORD_FORWARDER(sqlghgne, SQLGHGNE, 4)

QX3_ENTRY(sqlghops, SQLGHOPS,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, char* s1, char* s2, char* s3, uint32_t w7, uint32_t w8,
           qx3_u16w w9, uint32_t w10, sqlca* ca)) {
    return forward<Ep::sqlghops>(len1, len2, len3, s1, s2, s3, w7, w8, w9, w10, ca);
}
QX3_ENTRY(sqlghupd, SQLGHUPD,
          (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, qx3_u16w len4, char* s1, char* s2, char* s3, char* s4,
           uint32_t w9, sqlca* ca)) {
    return forward<Ep::sqlghupd>(len1, len2, len3, len4, s1, s2, s3, s4, w9, ca);
}
QX3_ENTRY(sqlghprn, SQLGHPRN, (qx3_u16w len1, char* s1, qx3_u16w w3, uint32_t w4, sqlca* ca)) {
    return forward<Ep::sqlghprn>(len1, s1, w3, w4, ca);
}

QX3_ENTRY(qx3gHistoryOpenScan, QX3GHISTORYOPENSCAN, (uint32_t version, qx3gHistoryOpenStruct* pParm, sqlca* pSqlca)) {
    Term s1, s2, s3;
    s1.place(pParm->piString1, pParm->iString1Len);
    s2.place(pParm->piString2, pParm->iString2Len);
    s3.place(pParm->piString3, pParm->iString3Len);
    // All zero first: an output the native call leaves alone goes back as 0.
    qx3HistoryOpenStruct native;
    memset(&native, 0, sizeof native);
    native.piString1 = pParm->piString1;
    native.piString2 = pParm->piString2;
    native.piString3 = pParm->piString3;
    native.iHalf1 = pParm->iHalf1;
    const int32_t rc = qx3HistoryOpenScan(version, &native, pSqlca);
    // Whatever the outcome.
    pParm->oWord1 = native.oWord1;
    pParm->oWord2 = native.oWord2;
    pParm->oHalf1 = native.oHalf1;
    if (version >= QX3_HISTORY_OWORD3) pParm->oWord3 = native.oWord3;
    s3.restore();
    s2.restore();
    s1.restore();
    return rc;
}

QX3_ENTRY(qx3gHistoryUpdate, QX3GHISTORYUPDATE, (uint32_t version, qx3gHistoryUpdateStruct* pParm, sqlca* pSqlca)) {
    Term s1, s2, s3, s4;
    s1.place(pParm->piString1, pParm->iString1Len);
    s2.place(pParm->piString2, pParm->iString2Len);
    s3.place(pParm->piString3, pParm->iString3Len);
    s4.place(pParm->piString4, pParm->iString4Len);
    qx3HistoryUpdateStruct native;
    memset(&native, 0, sizeof native);
    native.piString1 = pParm->piString1;
    native.piString2 = pParm->piString2;
    native.piString3 = pParm->piString3;
    native.piString4 = pParm->piString4;
    native.iWord1 = pParm->iWord1;
    native.iWord2 = pParm->iWord2;
    const int32_t rc = qx3HistoryUpdate(version, &native, pSqlca);
    s4.restore();
    s3.restore();
    s2.restore();
    s1.restore();
    return rc;
}

QX3_ENTRY(qx3gPrune, QX3GPRUNE, (uint32_t version, qx3gPruneStruct* pParm, sqlca* pSqlca)) {
    Term s1;
    s1.place(pParm->piString1, pParm->iString1Len);
    qx3PruneStruct native;
    memset(&native, 0, sizeof native);
    native.piString1 = pParm->piString1;
    native.iWord1 = pParm->iWord1;
    native.iWord2 = pParm->iWord2;
    native.iWord3 = pParm->iWord3;
    native.iWord4 = pParm->iWord4;
    const int32_t rc = qx3Prune(version, &native, pSqlca);
    s1.restore();
    return rc;
}
