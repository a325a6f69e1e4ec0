// Embedded-SQL runtime services: what a precompiled program calls while it runs its statements.
// Most widen their 16-bit values and forward; bind and rebind lend their strings a terminator;
// sqlgaddr, sqlgdref and sqlgmcpy give pointer-less host languages addresses as numbers and copy
// memory, without a native call.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_ESQL_H
#define QX3AGAPI_ESQL_H


// Stores `value` in the word at pWord. Result 0.
QX3_EXTERN_C int32_t QX3_API sqlgaddr(uint32_t value, uint32_t* pWord);
// Copies `count` bytes from the address held in the word at pAddress to pTarget. 0, or -1 when
// application data cannot be prepared or a pointer check fails (nothing copied).
QX3_EXTERN_C int32_t QX3_API sqlgdref(uint32_t count, void* pTarget, const uint32_t* pAddress);
// Copies `count` bytes from pSource to pTarget. Result 0.
QX3_EXTERN_C int32_t QX3_API sqlgmcpy(void* pTarget, const void* pSource, uint32_t count);

QX3_EXTERN_C int32_t QX3_API sqlgaloc(qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, uint32_t word4);
QX3_EXTERN_C int32_t QX3_API sqlgdloc(qx3_u16w v1, uint32_t word2);
QX3_EXTERN_C int32_t QX3_API sqlgcall(qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, qx3_u16w v4, uint32_t word5);
QX3_EXTERN_C int32_t QX3_API sqlgcmpd(qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, qx3_u16w v4, uint32_t word5);
QX3_EXTERN_C int32_t QX3_API sqlgstlv(qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, uint32_t word4, uint32_t word5,
                                      uint32_t word6, uint32_t word7);
QX3_EXTERN_C int32_t QX3_API sqlgsetv(qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, qx3_u16w v4, uint32_t word5,
                                      uint32_t word6, uint32_t word7);
QX3_EXTERN_C int32_t QX3_API sqlgstlva(qx3_u16w v1, qx3_u16w v2, qx3_u16w v3, uint32_t word4, uint32_t word5,
                                       uint32_t word6, uint32_t word7, uint32_t word8, uint32_t word9);
QX3_EXTERN_C int32_t QX3_API sqlgsetasz(qx3_u16w v1, uint32_t word2, uint32_t word3, qx3_u16w v4, uint32_t word5,
                                        qx3_u16w v6);
QX3_EXTERN_C int32_t QX3_API sqlgsets(qx3_u16w v1, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgstls(uint32_t word1, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgstrt(uint32_t word1, uint32_t word2, uint32_t word3);
QX3_EXTERN_C int32_t QX3_API sqlgstop(uint32_t word1);
QX3_EXTERN_C int32_t QX3_API sqlgusda(qx3_u16w v1, uint32_t word2, uint32_t word3);

// Bind and rebind: length-counted strings lent a terminator for the call.
QX3_EXTERN_C int32_t QX3_API sqlgbndx(qx3_u16w len1, qx3_u16w len2, struct sqlca* pSqlca, uint32_t word4,
                                      char* pString1, char* pString2);
QX3_EXTERN_C int32_t QX3_API sqlgrbnd(qx3_u16w len, char* pString, struct sqlca* pSqlca, uint32_t word4);

#endif
