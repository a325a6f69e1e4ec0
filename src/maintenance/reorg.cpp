// Reorg and inspect: their strings are lent terminators in place and the rest of the request is
// copied into the native record.
#include "native/maint.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

QX3_ROUTE(sqlgreot, sqlureot_api, framed(pass(A7, A6, A5, A4), A5.with(A1), A6.with(A2), A7.with(A3)))

QX3_ENTRY(sqlgreot, SQLGREOT, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqlca* pSqlca, char* pString1,
                               char* pString2, char* pString3)) {
    return forward<Ep::sqlgreot>(len1, len2, len3, pSqlca, pString1, pString2, pString3);
}

namespace {

// A request that must be there and is not.
int32_t record_missing(sqlca* ca) {
    if (sqloincaChkptr(ca) == 0) ca->sqlcode = kNoMemory;
    return kNoMemory;
}

// Which of the five reorg strings the native reads, bit k for string k + 1: the later strings
// belong to later versions, and how many a type has depends on the type.
uint32_t reorg_strings(uint32_t type, uint32_t version) {
    const uint32_t v1 = version >= QX3_REORG_V1 ? 1u : 0u;
    const uint32_t v2 = version >= QX3_REORG_V2 ? 1u : 0u;
    switch (type) {
        case 1:
        case 2: return 0x7u | (v1 << 3) | (v2 << 4);
        case 4:
        case 8: return 0x3u | (v2 << 2);
        case 12: return 0x1u | (v2 << 1);
        default: return 0x1Fu;
    }
}

}  // namespace

QX3_ENTRY(qx3gReorg, QX3GREORG, (uint32_t version, qx3gReorgStruct* pParm, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParm == nullptr) return record_missing(pSqlca);

    qx3ReorgStruct native;
    Term t[5];
    const uint32_t used = reorg_strings(pParm->iReorgType, version);
    for (uint32_t k = 0; k < 5; ++k) {
        if ((used & (1u << k)) == 0) continue;
        t[k].place(pParm->iString[k].piString, pParm->iString[k].iLength);
        native.piString[k] = t[k].p;
    }
    native.iReorgType = pParm->iReorgType;
    native.iValue1 = pParm->iValue1;
    native.iValue2 = pParm->iValue2;
    native.iValue3 = pParm->iValue3;
    native.iValue4 = pParm->iValue4;
    const int32_t rc = qx3Reorg(version, &native, pSqlca);

    // The type is read again: the strings it selects now are the ones given back.
    const uint32_t back = reorg_strings(pParm->iReorgType, version);
    for (uint32_t k = 5; k-- > 0;)
        if ((back & (1u << k)) != 0) t[k].restore();
    return rc;
}

QX3_ENTRY(qx3gInspect, QX3GINSPECT, (uint32_t version, qx3gInspectStruct* pParm, sqlca* pSqlca)) {
    qx3InspectStruct native;
    uint8_t* const raw = reinterpret_cast<uint8_t*>(&native);
    for (uint32_t i = 0; i < sizeof native; ++i) raw[i] = 0;
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParm == nullptr) return record_missing(pSqlca);

    // The lengths of strings 4 and 5 stand before those of strings 1 to 3.
    const uint32_t lengths[5] = {pParm->iString1Len, pParm->iString2Len, pParm->iString3Len, pParm->iString4Len,
                                 pParm->iString5Len};
    Term t[5];
    for (uint32_t k = 0; k < 5; ++k) {
        t[k].place(pParm->piString[k], lengths[k]);
        native.piString[k] = t[k].p;
    }
    native.iValue1 = pParm->iValue1;
    for (uint32_t i = 0; i < 9; ++i) native.iWords[i] = pParm->iWords[i];
    for (uint32_t i = 0; i < 11; ++i) native.iShorts[i] = pParm->iShorts[i];
    if (version >= QX3_INSPECT_V1) native.iValue22 = pParm->iValue22;
    const int32_t rc = qx3Inspect(version, &native, pSqlca);
    for (uint32_t k = 5; k-- > 0;) t[k].restore();
    return rc;
}
