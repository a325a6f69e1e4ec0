// Recover and archive log. Neither prepares application data and neither allocates: recover looks
// at each string before it lends it a NUL and names one that cannot be read; archive log only lends
// its three strings their NULs and forwards.
#include <string.h>

#include "frame/frame.h"
#include "frame/params.h"
#include "native/recovery.h"

using namespace qx3;

namespace {

constexpr DiagName kRecoverName = diag("SQLGRECV");
// The result when the status record may not be written to report a parameter.
constexpr int32_t kRecoverRefused = -2032;

constexpr bool reaches_v4(uint32_t v) {
    return v >= QX3_RECOVER_V4 || (v >= QX3_RECOVER_V4_EARLY_FIRST && v <= QX3_RECOVER_V4_EARLY_LAST);
}

constexpr uint32_t kRecoverStrings = 8;

}  // namespace

QX3_ENTRY(qx3gRecover, QX3GRECOVER, (uint32_t version, qx3gRecoverStruct* pParm, sqlca* pSqlca)) {
    if (pParm == nullptr) return app_data_failed(pSqlca);

    const bool v4 = reaches_v4(version);
    struct {
        char* p;
        uint32_t n;
        const char* name;
    } const strings[kRecoverStrings] = {
        {pParm->piSourceDBAlias, pParm->iSourceDBAliasLen, "piSourceDBAlias"},
        {pParm->piUserName, pParm->iUserNameLen, "piUserName"},
        {pParm->piPassword, pParm->iPasswordLen, "piPassword"},
        {pParm->piStopTime, pParm->iStopTimeLen, "piStopTime"},
        {pParm->piOverflowLogPath, pParm->iOverflowLogPathLen, "piOverflowLogPath"},
        {pParm->piHistoryFile, pParm->iHistoryFileLen, "piHistoryFile"},
        {pParm->piComprLibrary, pParm->iComprLibraryLen, "piComprLibrary"},
        {v4 ? pParm->piEncrLibrary : nullptr, v4 ? pParm->iEncrLibraryLen : 0, "piEncrLibrary"},
    };
    const uint32_t count = v4 ? kRecoverStrings : kRecoverStrings - 1;

    Term t[kRecoverStrings];
    for (uint32_t i = 0; i < count; ++i) {
        // The source alias is looked at even when it is absent.
        if (strings[i].p == nullptr && i != 0) continue;
        if (!accessible(strings[i].p, strings[i].n, kRead)) {
            for (uint32_t k = i; k-- > 0;) t[k].restore();
            if (sqloincaChkptr(pSqlca) != 0) return kRecoverRefused;
            ParamName name;
            name.set(strings[i].name);
            set_status(pSqlca, kNoMemory, kRecoverName);
            append_param_name(pSqlca, name, Grow::WholeName);
            return kNoMemory;
        }
        t[i].place(strings[i].p, strings[i].n);
    }

    qx3RecoverStruct native;
    memset(&native, 0, sizeof native);
    native.piSourceDBAlias = pParm->piSourceDBAlias;
    native.piUserName = pParm->piUserName;
    native.piPassword = pParm->piPassword;
    for (uint32_t i = 0; i < 4; ++i) native.iWord1to4[i] = pParm->iWord1to4[i];
    native.piStopTime = pParm->piStopTime;
    native.piOverflowLogPath = pParm->piOverflowLogPath;
    for (uint32_t i = 0; i < 6; ++i) native.iWord5to10[i] = pParm->iWord5to10[i];
    native.piHistoryFile = pParm->piHistoryFile;
    native.iWord11 = pParm->iWord11;
    native.iWord12 = pParm->iWord12;
    native.piComprLibrary = pParm->piComprLibrary;
    native.iWord13 = pParm->iWord13;
    native.iWord14 = pParm->iWord14;
    if (v4) {
        native.piEncrLibrary = pParm->piEncrLibrary;
        native.iWord15 = pParm->iWord15;
        native.iWord16 = pParm->iWord16;
    }

    const int32_t rc = qx3Recover(version, &native, pSqlca);
    for (uint32_t i = count; i-- > 0;) t[i].restore();
    return rc;
}

QX3_ENTRY(qx3gArchiveLog, QX3GARCHIVELOG, (uint32_t version, qx3gArchiveLogStruct* pParm, sqlca* pSqlca)) {
    Term s1, s2, s3;
    s1.place(pParm->piString1, pParm->iString1Len);
    s2.place(pParm->piString2, pParm->iString2Len);
    s3.place(pParm->piString3, pParm->iString3Len);
    qx3ArchiveLogStruct native;
    memset(&native, 0, sizeof native);
    native.piString1 = pParm->piString1;
    native.piString2 = pParm->piString2;
    native.piString3 = pParm->piString3;
    native.iHalf1 = pParm->iHalf1;
    native.iHalf2 = pParm->iHalf2;
    native.iWord1 = pParm->iWord1;
    native.iWord2 = pParm->iWord2;
    const int32_t rc = qx3ArchiveLog(version, &native, pSqlca);
    s3.restore();
    s2.restore();
    s1.restore();
    return rc;
}
