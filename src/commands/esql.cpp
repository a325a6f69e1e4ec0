// Embedded-SQL runtime services: what a precompiled program calls while its statements run. The
// precompiler's runtime takes whole words, so most of these only widen their 16-bit values and
// forward; bind and rebind lend their strings terminators. Three work without a native call, for
// host languages that have no pointers: an address handed out as a number, and two byte copies.
#include "native/esql.h"
#include "frame/forward.h"
#include "frame/frame.h"
#include "qx3agapi_esql.h"

using namespace qx3;
using qx3::fwd::forward;

// ---- Routes: native arguments in the native's order, then the strings terminated, in order ----

QX3_ROUTE(sqlgaloc, sqlaaloc,   unframed(pass(zx(A1), zx(A2), zx(A3), A4)))
QX3_ROUTE(sqlgdloc, sqladloc,   unframed(pass(zx(A1), A2)))
QX3_ROUTE(sqlgcall, sqlacall,   unframed(pass(zx(A1), zx(A2), zx(A3), zx(A4), A5)))
QX3_ROUTE(sqlgcmpd, sqlacmpd,   unframed(pass(zx(A1), zx(A2), zx(A3), zx(A4), A5)))
// The long and the short form of setting a host variable differ in the fourth word alone.
QX3_ROUTE(sqlgstlv, sqlastvr,   unframed(pass(zx(A1), zx(A2), zx(A3), A4, kZero, A5, A6, A7)))
QX3_ROUTE(sqlgsetv, sqlastvr,   unframed(pass(zx(A1), zx(A2), zx(A3), zx(A4), kZero, A5, A6, A7)))
QX3_ROUTE(sqlgstlva, sqlastvra, unframed(pass(zx(A1), zx(A2), zx(A3), A4, kZero, A5, A6, A7, A8, A9)))
QX3_ROUTE(sqlgsetasz, sqlastsize, unframed(pass(zx(A1), A2, A3, zx(A4), A5, zx(A6))))
// The same native again: the short form widens its first word, the long form passes it whole.
QX3_ROUTE(sqlgsets, sqlastls,   unframed(pass(zx(A1), A2, A3)))
QX3_ROUTE(sqlgstls, sqlastls,   unframed(pass(A1, A2, A3)))
QX3_ROUTE(sqlgstrt, sqlastrt,   unframed(pass(A1, A2, A3)))
QX3_ROUTE(sqlgstop, sqlastop,   unframed(pass(A1)))
QX3_ROUTE(sqlgusda, sqlausda,   unframed(pass(zx(A1), A2, A3)))
QX3_ROUTE(sqlgbndx, sqlabndx,   framed(pass(A6, A5, A4, A3), A5.with(A1), A6.with(A2)))
QX3_ROUTE(sqlgrbnd, sqlarbnd,   framed(pass(A2, A3, A4), A2.with(A1)))

// ---- Forwarding entry points ----

QX3_ENTRY(sqlgaloc, SQLGALOC, (qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, uint32_t word4)) {
    return forward<Ep::sqlgaloc>(v1, v2, v3, word4);
}

QX3_ENTRY(sqlgdloc, SQLGDLOC, (qx3_u16w v1, uint32_t word2)) { return forward<Ep::sqlgdloc>(v1, word2); }

QX3_ENTRY(sqlgcall, SQLGCALL, (qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, qx3_u16w v4, uint32_t word5)) {
    return forward<Ep::sqlgcall>(v1, v2, v3, v4, word5);
}

QX3_ENTRY(sqlgcmpd, SQLGCMPD, (qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, qx3_u16w v4, uint32_t word5)) {
    return forward<Ep::sqlgcmpd>(v1, v2, v3, v4, word5);
}

QX3_ENTRY(sqlgstlv, SQLGSTLV, (qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, uint32_t word4, uint32_t word5,
                               uint32_t word6, uint32_t word7)) {
    return forward<Ep::sqlgstlv>(v1, v2, v3, word4, word5, word6, word7);
}

QX3_ENTRY(sqlgsetv, SQLGSETV, (qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, qx3_u16w v4, uint32_t word5,
                               uint32_t word6, uint32_t word7)) {
    return forward<Ep::sqlgsetv>(v1, v2, v3, v4, word5, word6, word7);
}

QX3_ENTRY(sqlgstlva, SQLGSTLVA, (qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, uint32_t word4, uint32_t word5,
                                 uint32_t word6, uint32_t word7, uint32_t word8, uint32_t word9)) {
    return forward<Ep::sqlgstlva>(v1, v2, v3, word4, word5, word6, word7, word8, word9);
}

QX3_ENTRY(sqlgsetasz, SQLGSETASZ, (qx3_u16w v1, uint32_t word2, uint32_t word3, qx3_u16w v4, uint32_t word5,
                                   qx3_u16w v6)) {
    return forward<Ep::sqlgsetasz>(v1, word2, word3, v4, word5, v6);
}

QX3_ENTRY(sqlgsets, SQLGSETS, (qx3_u16w v1, uint32_t word2, uint32_t word3)) {
    return forward<Ep::sqlgsets>(v1, word2, word3);
}

QX3_ENTRY(sqlgstls, SQLGSTLS, (uint32_t word1, uint32_t word2, uint32_t word3)) {
    return forward<Ep::sqlgstls>(word1, word2, word3);
}

QX3_ENTRY(sqlgstrt, SQLGSTRT, (uint32_t word1, uint32_t word2, uint32_t word3)) {
    return forward<Ep::sqlgstrt>(word1, word2, word3);
}

QX3_ENTRY(sqlgstop, SQLGSTOP, (uint32_t word1)) { return forward<Ep::sqlgstop>(word1); }

QX3_ENTRY(sqlgusda, SQLGUSDA, (qx3_u16w v1, uint32_t word2, uint32_t word3)) {
    return forward<Ep::sqlgusda>(v1, word2, word3);
}

QX3_ENTRY(sqlgbndx, SQLGBNDX, (qx3_u16w len1, qx3_u16w len2, sqlca* pSqlca, uint32_t word4, char* pString1,
                               char* pString2)) {
    return forward<Ep::sqlgbndx>(len1, len2, pSqlca, word4, pString1, pString2);
}

QX3_ENTRY(sqlgrbnd, SQLGRBND, (qx3_u16w len, char* pString, sqlca* pSqlca, uint32_t word4)) {
    return forward<Ep::sqlgrbnd>(len, pString, pSqlca, word4);
}

// ---- Addresses as numbers ----

QX3_ENTRY(sqlgaddr, SQLGADDR, (uint32_t value, uint32_t* pWord)) {
    *pWord = value;
    return 0;
}

// Copies from the address held in the word at pAddress. That word is read again for every byte, so
// a caller that points it into the target sees its own copy take effect at once.
QX3_ENTRY(sqlgdref, SQLGDREF, (uint32_t count, void* pTarget, const uint32_t* pAddress)) {
    static constexpr int32_t kFailed = -1;  // there is no status record to report through
    if (!app_data_ready()) return kFailed;
    if (!accessible(pTarget, count, kWrite)) return kFailed;
    const volatile uint32_t* const address = pAddress;
    // The address word is looked at here only when checks are active: with checks off it is read
    // inside the copy alone, so a count of 0 never reads it.
    if (sqlo_ptr_check_active() != 0 &&
        sqlagcptr_real(reinterpret_cast<const void*>(static_cast<uintptr_t>(*address)), count, kRead) != 0)
        return kFailed;
    uint8_t* const target = static_cast<uint8_t*>(pTarget);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* const source = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(*address));
        target[i] = source[i];
    }
    return 0;
}

QX3_ENTRY(sqlgmcpy, SQLGMCPY, (void* pTarget, const void* pSource, uint32_t count)) {
    uint8_t* const target = static_cast<uint8_t*>(pTarget);
    const uint8_t* const source = static_cast<const uint8_t*>(pSource);
    for (uint32_t i = 0; i < count; ++i) target[i] = source[i];
    return 0;
}
