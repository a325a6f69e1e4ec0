// String-argument commands: attach and detach, catalog comments, migration, authorizations,
// uncatalog and drop, registration, the instance name, client settings and messages. Most of them
// only lend their strings a terminator (or nothing at all) and forward; their routes say how.
#include "native/strcmd.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

// ---- Routes: native arguments in the native's order, then the strings terminated, in order ----

// Framed: the application-data step, then the terminators.
QX3_ROUTE(sqlgatin, sqleatin_api, framed(pass(A7, A6, A5, A4), A5.with(A1), A6.with(A2), A7.with(A3)))
QX3_ROUTE(sqlgdcgd, sqledcgd_api, framed(pass(A7, A6, A5, A4), A5.with(A1), A6.with(A2), A7.with(A3)))
QX3_ROUTE(sqlgmgdb, sqlemgdb_api, framed(pass(A7, A6, A5, A4), A7.with(A3), A6.with(A2), A5.with(A1)))
QX3_ROUTE(sqlgtbau, sqlutbau,     framed(pass(A2, A3), A2.with(A1)))
QX3_ROUTE(sqlgsact, sqlesact_api, framed(pass(A2, A3), A2.with(A1)))
QX3_ROUTE(sqlguncd, sqleuncd_api, framed(pass(A3, A2), A3.with(A1)))
QX3_ROUTE(sqlguncn, sqleuncn_api, framed(pass(A3, A2), A3.with(A1)))
QX3_ROUTE(sqlgdrpd, sqledrpd_api, framed(pass(A5, A4, A3), A5.with(A2)))
QX3_ROUTE(sqlgproc, sqleproc_api, framed(pass(A3, A6, A4, A5, A2), A3.with(A1)))
QX3_ROUTE(sqlgvqdp, sqluvqdp,     framed(pass(A2, A3, A4, A5), A2.with(A1)))

// Unframed: forwarded at once.
QX3_ROUTE(qx3gUtilityControl, qx3UtilityControl, unframed(pass(A1, A2, A3)))
QX3_ROUTE(sqlgadau, sqluadau,     unframed(pass(A1, A2)))
QX3_ROUTE(sqlgauth, sqluauth_api, unframed(pass(A1)))
QX3_ROUTE(sqlgdtin, sqledtin_api, unframed(pass(A1)))
QX3_ROUTE(sqlgfmem, sqlefmem_api, unframed(pass(A1, A2)))
QX3_ROUTE(sqlgfrce, sqlefrce_api, unframed(pass(A4, A3, zx(A2), A1)))
QX3_ROUTE(sqlgintr, sqleintr_api, unframed(pass()))
QX3_ROUTE(sqlgisig, sqleisig_api, unframed(pass(A1)))
QX3_ROUTE(sqlgqryc, sqleqryc_api, unframed(pass(A1, zx(A2), A3)))
QX3_ROUTE(sqlgsetc, sqlesetc_api, unframed(pass(A1, zx(A2), A3)))
QX3_ROUTE(sqlgsdeg, sqlesdeg_api, unframed(pass(A4, A3, A2, A1)))
QX3_ROUTE(sqlggstt, sqlogstt,     unframed(pass(A4, sx(A1), sx(A2), A3)))

// ---- Forwarding entry points ----

QX3_ENTRY(sqlgatin, SQLGATIN, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqlca* pSqlca, char* pString1,
                               char* pString2, char* pString3)) {
    return forward<Ep::sqlgatin>(len1, len2, len3, pSqlca, pString1, pString2, pString3);
}

QX3_ENTRY(sqlgdcgd, SQLGDCGD, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqlca* pSqlca, char* pString1,
                               char* pString2, char* pString3)) {
    return forward<Ep::sqlgdcgd>(len1, len2, len3, pSqlca, pString1, pString2, pString3);
}

QX3_ENTRY(sqlgmgdb, SQLGMGDB, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqlca* pSqlca, char* pString1,
                               char* pString2, char* pString3)) {
    return forward<Ep::sqlgmgdb>(len1, len2, len3, pSqlca, pString1, pString2, pString3);
}

QX3_ENTRY(sqlgtbau, SQLGTBAU, (qx3_u16w len, char* pString, sqlca* pSqlca)) {
    return forward<Ep::sqlgtbau>(len, pString, pSqlca);
}

QX3_ENTRY(sqlgsact, SQLGSACT, (qx3_u16w len, char* pString, sqlca* pSqlca)) {
    return forward<Ep::sqlgsact>(len, pString, pSqlca);
}

QX3_ENTRY(sqlguncd, SQLGUNCD, (qx3_u16w len, sqlca* pSqlca, char* pString)) {
    return forward<Ep::sqlguncd>(len, pSqlca, pString);
}

QX3_ENTRY(sqlguncn, SQLGUNCN, (qx3_u16w len, sqlca* pSqlca, char* pString)) {
    return forward<Ep::sqlguncn>(len, pSqlca, pString);
}

QX3_ENTRY(sqlgdrpd, SQLGDRPD, (uint32_t reserved, qx3_u16w len, sqlca* pSqlca, uint32_t word, char* pString)) {
    return forward<Ep::sqlgdrpd>(reserved, len, pSqlca, word, pString);
}

QX3_ENTRY(sqlgproc, SQLGPROC, (qx3_u16w len, sqlca* pSqlca, char* pString, uint32_t word4, uint32_t word5,
                               uint32_t word6)) {
    return forward<Ep::sqlgproc>(len, pSqlca, pString, word4, word5, word6);
}

QX3_ENTRY(sqlgvqdp, SQLGVQDP, (qx3_u16w len, char* pString, uint32_t word3, uint32_t word4, sqlca* pSqlca)) {
    return forward<Ep::sqlgvqdp>(len, pString, word3, word4, pSqlca);
}

QX3_ENTRY(qx3gUtilityControl, QX3GUTILITYCONTROL, (uint32_t versionNumber, void* pParmStruct, sqlca* pSqlca)) {
    return forward<Ep::qx3gUtilityControl>(versionNumber, pParmStruct, pSqlca);
}

QX3_ENTRY(sqlgadau, SQLGADAU, (uint32_t word1, uint32_t word2)) { return forward<Ep::sqlgadau>(word1, word2); }

QX3_ENTRY(sqlgauth, SQLGAUTH, (uint32_t word)) { return forward<Ep::sqlgauth>(word); }

QX3_ENTRY(sqlgdtin, SQLGDTIN, (uint32_t word)) { return forward<Ep::sqlgdtin>(word); }

QX3_ENTRY(sqlgfmem, SQLGFMEM, (uint32_t word1, uint32_t word2)) { return forward<Ep::sqlgfmem>(word1, word2); }

QX3_ENTRY(sqlgfrce, SQLGFRCE, (uint32_t word1, qx3_u16w count, uint32_t word3, uint32_t word4)) {
    return forward<Ep::sqlgfrce>(word1, count, word3, word4);
}

QX3_ENTRY(sqlgintr, SQLGINTR, ()) { return forward<Ep::sqlgintr>(); }

QX3_ENTRY(sqlgisig, SQLGISIG, (uint32_t word)) { return forward<Ep::sqlgisig>(word); }

QX3_ENTRY(sqlgqryc, SQLGQRYC, (uint32_t word1, qx3_u16w value, uint32_t word3)) {
    return forward<Ep::sqlgqryc>(word1, value, word3);
}

QX3_ENTRY(sqlgsetc, SQLGSETC, (uint32_t word1, qx3_u16w value, uint32_t word3)) {
    return forward<Ep::sqlgsetc>(word1, value, word3);
}

QX3_ENTRY(sqlgsdeg, SQLGSDEG, (uint32_t word1, uint32_t word2, uint32_t word3, uint32_t word4)) {
    return forward<Ep::sqlgsdeg>(word1, word2, word3, word4);
}

QX3_ENTRY(sqlggstt, SQLGGSTT, (qx3_i16w width, qx3_i16w lineWidth, void* pStatus, void* pBuffer)) {
    return forward<Ep::sqlggstt>(width, lineWidth, pStatus, pBuffer);
}

// ---- The particular ones ----

// The message of a status record, from the interface's own message file.
QX3_ENTRY(sqlgintp, SQLGINTP, (qx3_i16w width, qx3_i16w lineWidth, void* pStatus, void* pBuffer)) {
    static constexpr char kMessageFile[] = "qx3sql.mo";
    return sqlaintp_api(pBuffer, sx(width), sx(lineWidth), kMessageFile, pStatus);
}

// Registration and deregistration. The record goes to the native call as it is; its two inline
// strings are lent terminators, but only once the whole record has passed its check. Each length is
// read when its string comes up, so string 2's length is read with string 1's NUL already in place.
template <auto Native>
static int32_t registration(qx3_u16w kind, sqleRegistration* pRecord, sqlca* pSqlca) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    char* const record = reinterpret_cast<char*>(pRecord);
    Slot string1, string2;
    const bool whole = accessible(pRecord, sizeof(sqleRegistration), kReadWrite);
    if (whole) {
        if (pRecord != nullptr) string1.place(record, pRecord->length1);
        string2.place(record + offsetof(sqleRegistration, string2), pRecord->length2);
    }
    const int32_t rc = Native(zx(kind), pRecord, pSqlca);
    if (whole) {
        // Last one first: a length 1 that reaches string 2's terminator byte gets the caller's byte.
        string2.restore(record + offsetof(sqleRegistration, string2));
        string1.restore(record);
    }
    return rc;
}

QX3_ENTRY(sqlgregs, SQLGREGS, (qx3_u16w kind, sqleRegistration* pRecord, sqlca* pSqlca)) {
    return registration<sqleregs_api>(kind, pRecord, pSqlca);
}

QX3_ENTRY(sqlgdreg, SQLGDREG, (qx3_u16w kind, sqleRegistration* pRecord, sqlca* pSqlca)) {
    return registration<sqledreg_api>(kind, pRecord, pSqlca);
}

// The instance name comes back NUL-terminated and leaves as a 9-byte blank-padded field, whatever
// the native call reported.
QX3_ENTRY(sqlggins, SQLGGINS, (sqlca* pSqlca, char* pInstance)) {
    static constexpr uint32_t kInstanceField = 9;
    if (!app_data_ready()) return app_data_failed(pSqlca);
    const int32_t rc = sqlegins_api(pInstance, pSqlca);
    pad_field(pInstance, kInstanceField);
    return rc;
}
