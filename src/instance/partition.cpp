// Partitioned-database services: node and partition maintenance, redistribution and partitioning
// information. Each lends its strings a terminator (or nothing) and forwards to one native call;
// only the node addition checks its option record before the frame and remembers the outcome.
#include "native/instance.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

// ---- Routes: native arguments in the native's order, then the strings terminated, in order ----

QX3_ROUTE(sqlgcran, sqlecran_api, framed(pass(A5, A4, A3), A5.with(A2)))
QX3_ROUTE(sqlgdpan, sqledpan_api, framed(pass(A5, A4, A3), A5.with(A2)))
QX3_ROUTE(sqlgdrpn, sqledrpn_api, framed(pass(zx(A4), A3, A2)))
QX3_ROUTE(sqlgdrdt, sqludrdt_api,
          unframed(pass(A4, A5, A6, A7, zx(A8), A9, zx(A10), zb(A11), A12), A4.with(A1), A5.with(A2), A6.with(A3)))
QX3_ROUTE(sqlggrpi, sqlugrpn_api,
          unframed(pass(zx(A1), A2, A3, zx(A4), zx(A5), A6, A7, A8, zx(A9), A10, kZero, kZero, kZero)))
QX3_ROUTE(sqlggrpn, sqlugrpn_api,
          unframed(pass(zx(A1), A2, A3, zx(A4), zx(A5), A6, A7, A8, zx(A9), A10, sx(A11), kZero, kZero)))
QX3_ROUTE(sqlggtpi, sqlugtpi_api, unframed(pass(A2, A3, A4), A2.with(A1)))

// The option record is checked before the frame; when application data then fails, the caller
// learns the check's outcome as the result (0 when checks are off or the record passed). The
// native call happens whatever the check said.
QX3_ENTRY(sqlgaddn, SQLGADDN, (uint32_t reserved, sqlca* pSqlca, void* pOptions)) {
    (void)reserved;
    const int32_t outcome = sqlo_ptr_check_active() != 0 ? sqlagcptr_real(pOptions, 16, kReadWrite) : 0;
    if (!app_data_ready()) {
        pSqlca->sqlcode = kNoAppData;
        return outcome;
    }
    return sqleaddn_api(pOptions, pSqlca);
}

QX3_ENTRY(sqlgcran, SQLGCRAN, (uint32_t reserved, qx3_u16w len, sqlca* pSqlca, uint32_t word, char* pString)) {
    return forward<Ep::sqlgcran>(reserved, len, pSqlca, word, pString);
}

QX3_ENTRY(sqlgdpan, SQLGDPAN, (uint32_t reserved, qx3_u16w len, sqlca* pSqlca, uint32_t word, char* pString)) {
    return forward<Ep::sqlgdpan>(reserved, len, pSqlca, word, pString);
}

QX3_ENTRY(sqlgdrpn, SQLGDRPN, (uint32_t reserved, sqlca* pSqlca, uint32_t word, qx3_u16w node)) {
    return forward<Ep::sqlgdrpn>(reserved, pSqlca, word, node);
}

QX3_ENTRY(sqlgdrdt, SQLGDRDT, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, char* pString1, char* pString2,
                               char* pString3, uint32_t word7, qx3_u16w half8, uint32_t word9, qx3_u16w half10,
                               uint32_t option, uint32_t word12)) {
    return forward<Ep::sqlgdrdt>(len1, len2, len3, pString1, pString2, pString3, word7, half8, word9, half10, option,
                                 word12);
}

QX3_ENTRY(sqlggrpi, SQLGGRPI, (qx3_u16w half1, uint32_t word2, uint32_t word3, qx3_u16w half4, qx3_u16w half5,
                               uint32_t word6, uint32_t word7, uint32_t word8, qx3_u16w half9, uint32_t word10)) {
    return forward<Ep::sqlggrpi>(half1, word2, word3, half4, half5, word6, word7, word8, half9, word10);
}

QX3_ENTRY(sqlggrpn, SQLGGRPN, (qx3_u16w half1, uint32_t word2, uint32_t word3, qx3_u16w half4, qx3_u16w half5,
                               uint32_t word6, uint32_t word7, uint32_t word8, qx3_u16w half9, uint32_t word10,
                               uint32_t signed11, uint32_t unused12, uint32_t unused13)) {
    return forward<Ep::sqlggrpn>(half1, word2, word3, half4, half5, word6, word7, word8, half9, word10, signed11,
                                 unused12, unused13);
}

QX3_ENTRY(sqlggtpi, SQLGGTPI, (qx3_u16w len, char* pString, uint32_t word3, uint32_t word4)) {
    return forward<Ep::sqlggtpi>(len, pString, word3, word4);
}
