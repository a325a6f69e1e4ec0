// Database catalog and creation: length-counted strings lent terminators in place, the blank-padded
// texts of the database descriptor and the short text record trimmed, and the alternate-server
// update with its own early exits.
#include "native/catalog.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

QX3_ROUTE(sqlgcadb, sqlecadb_api,
          framed(pass(A15, A14, zb(A13), A12, A11, A10, zx(A9), A8, A7), A8.with(A1), A10.with(A2), A11.with(A3),
                 A12.with(A4), A14.with(A5), A15.with(A6)))
QX3_ROUTE(sqlgctdd, sqlectdd_api,
          framed(pass(A13, A12, zb(A11), A10, A9, A8, zx(A7), A6), A8.with(A1), A9.with(A2), A10.with(A3),
                 A12.with(A4), A13.with(A5)))

QX3_ENTRY(sqlgcadb, SQLGCADB, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, qx3_u16w len4, qx3_u16w len5,
                               qx3_u16w len6, sqlca* pSqlca, char* s1, uint32_t shortValue, char* s2, char* s3,
                               char* s4, uint32_t byteValue, char* s5, char* s6)) {
    return forward<Ep::sqlgcadb>(len1, len2, len3, len4, len5, len6, pSqlca, s1, shortValue, s2, s3, s4, byteValue,
                                 s5, s6);
}

QX3_ENTRY(sqlgctdd, SQLGCTDD, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, qx3_u16w len4, qx3_u16w len5,
                               sqlca* pSqlca, uint32_t shortValue, char* s1, char* s2, char* s3, uint32_t byteValue,
                               char* s4, char* s5)) {
    return forward<Ep::sqlgctdd>(len1, len2, len3, len4, len5, pSqlca, shortValue, s1, s2, s3, byteValue, s4, s5);
}

namespace {

bool eyecatcher_is(const sqlgDbDescriptor* d, const char (&want)[9]) {
    if (d == nullptr) return false;
    for (uint32_t i = 0; i < 8; ++i)
        if (d->eyecatcher[i] != want[i]) return false;
    return true;
}

// The fixed-width texts of a create request: the descriptor's two (under its own eyecatcher) and
// the short text record's two.
class CreateTexts {
public:
    void place(sqlgDbDescriptor* d, sqlgShortTexts* t, const char (&eyecatcher)[9]) {
        if (eyecatcher_is(d, eyecatcher)) {
            text2_.place(d->text2, 30);
            text1_.place(d->text1, 256);
        }
        if (t != nullptr) {
            text3_.place(t->text3, 9);
            text4_.place(t->text4, 5);
        }
    }
    // Text 1's NUL may stand in text 2's first byte: text 1 goes back first, text 2 second, so
    // that byte ends as the caller left it.
    void restore(const sqlgDbDescriptor* d, const sqlgShortTexts* t, const char (&eyecatcher)[9]) const {
        if (eyecatcher_is(d, eyecatcher)) {
            text1_.restore();
            text2_.restore();
        }
        if (t != nullptr) {
            text3_.restore();
            text4_.restore();
        }
    }

private:
    Trimmed text1_, text2_, text3_, text4_;
};

}  // namespace

QX3_ENTRY(sqlgcrea, SQLGCREA, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqlca* pSqlca, uint32_t ignored1,
                               uint32_t ignored2, sqlgShortTexts* pTexts, sqlgDbDescriptor* pDesc, char* s1, char* s2,
                               char* s3)) {
    (void)ignored1;
    (void)ignored2;
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term t3, t2, t1;
    t3.place(s3, zx(len3));
    t2.place(s2, zx(len2));
    t1.place(s1, zx(len1));
    CreateTexts texts;
    texts.place(pDesc, pTexts, QX3_DBDESC_CREA);
    const int32_t rc = sqlecrea_api(s3, s2, s1, pDesc, pTexts, 0, 0, pSqlca);
    t1.restore();
    t2.restore();
    t3.restore();
    texts.restore(pDesc, pTexts, QX3_DBDESC_CREA);
    return rc;
}

QX3_ENTRY(sqlgdbcr, SQLGDBCR, (qx3_u16w len1, qx3_u16w len2, sqlca* pSqlca, sqlgShortTexts* pTexts,
                               uint32_t shortValue, sqlgDbDescriptor* pDesc, char* s1, char* s2)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term t1, t2;
    t1.place(s1, zx(len1));
    t2.place(s2, zx(len2));
    CreateTexts texts;
    texts.place(pDesc, pTexts, QX3_DBDESC_DBCR);
    const int32_t rc = sqledbcr_api(s2, s1, pDesc, zx(shortValue), pTexts, pSqlca);
    t2.restore();
    t1.restore();
    texts.restore(pDesc, pTexts, QX3_DBDESC_DBCR);
    return rc;
}

QX3_ENTRY(qx3gUpdateAlternateServerForDB, QX3GUPDATEALTERNATESERVERFORDB,
          (uint32_t version, qx3gUpdateAltServerStruct* pParmStruct, sqlca* pSqlca)) {
    if (pSqlca == nullptr) return -1;
    constexpr DiagName kName = diag("SQLGUPAS");
    if (pParmStruct == nullptr) return status_exit(pSqlca, -1078, kName);
    if (!app_data_ready()) return app_data_failed_named(pSqlca, kName);
    Term t1, t2, t3;
    t1.place(pParmStruct->piString1, pParmStruct->iString1Len);
    t2.place(pParmStruct->piString2, pParmStruct->iString2Len);
    t3.place(pParmStruct->piString3, pParmStruct->iString3Len);
    qx3UpdateAltServerStruct native = {pParmStruct->piString1, pParmStruct->piString2, pParmStruct->piString3};
    const int32_t rc = qx3UpdateAlternateServerForDB(version, &native, pSqlca);
    t3.restore();
    t2.restore();
    t1.restore();
    return rc;
}
