// The availability controls: ping, quiesce and unquiesce, restart, HADR start, takeover and stop,
// activation and deactivation. The versioned members turn the caller's pointer-and-length strings
// into a native record of NUL-terminated ones; a missing request reaches the native call as a
// missing record, which it reports. The legacy members are routes.
#include "native/monitor.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

namespace {

// The strings of one request, terminated in field order and given back newest first, so that
// strings sharing a byte give the caller's back.
template <size_t N>
struct Strings {
    Term t[N];
    void restore() const {
        for (size_t i = N; i-- > 0;) t[i].restore();
    }
};

// Native field 7 of the instance quiesce exists for these versions only.
constexpr bool quiesce_has_field7(uint32_t v) {
    return (v >= QX3_IQUIESCE_V1 && v <= QX3_IQUIESCE_V1_LAST) || v >= QX3_IQUIESCE_V2;
}

template <class Generic, class Native>
Strings<3> hadr_strings(Generic* g, Native& n) {
    Strings<3> s;
    s.t[0].place(g->piString1, g->iString1Len);
    s.t[1].place(g->piString2, g->iString2Len);
    s.t[2].place(g->piString3, g->iString3Len);
    n.piString1 = s.t[0].p;
    n.piString2 = s.t[1].p;
    n.piString3 = s.t[2].p;
    return s;
}

}  // namespace

// ---- Forwarded: ping and database unquiesce pass the request on untouched (unquiesce: null) ----

QX3_ROUTE(qx3gDatabasePing, qx3DatabasePing, framed(pass(A1, A2, A3)))
QX3_ROUTE(qx3gDatabaseUnquiesce, qx3DatabaseUnquiesce, unframed(pass(A1, kZero, A3)))

QX3_ENTRY(qx3gDatabasePing, QX3GDATABASEPING, (uint32_t version, uint32_t pParmStruct, sqlca* pSqlca)) {
    return forward<Ep::qx3gDatabasePing>(version, pParmStruct, pSqlca);
}
QX3_ENTRY(qx3gDatabaseUnquiesce, QX3GDATABASEUNQUIESCE, (uint32_t version, uint32_t pParmStruct, sqlca* pSqlca)) {
    return forward<Ep::qx3gDatabaseUnquiesce>(version, pParmStruct, pSqlca);
}

// ---- Quiesce, without the application-data step ----

QX3_ENTRY(qx3gDatabaseQuiesce, QX3GDATABASEQUIESCE,
          (uint32_t version, qx3gDatabaseQuiesceStruct* pParmStruct, sqlca* pSqlca)) {
    if (pParmStruct == nullptr) return qx3DatabaseQuiesce(version, nullptr, pSqlca);
    qx3DatabaseQuiesceStruct record{0, pParmStruct->iWord3, pParmStruct->iWord4, 0};
    return qx3DatabaseQuiesce(version, &record, pSqlca);
}

QX3_ENTRY(qx3gInstanceQuiesce, QX3GINSTANCEQUIESCE,
          (uint32_t version, qx3gInstanceQuiesceStruct* pParmStruct, sqlca* pSqlca)) {
    if (pParmStruct == nullptr) return qx3InstanceQuiesce(version, nullptr, pSqlca);
    Strings<3> s;
    s.t[0].place(pParmStruct->piString1, pParmStruct->iString1Len);
    s.t[1].place(pParmStruct->piString2, pParmStruct->iString2Len);
    s.t[2].place(pParmStruct->piString3, pParmStruct->iString3Len);
    qx3InstanceQuiesceStruct record{s.t[0].p, s.t[1].p, s.t[2].p, pParmStruct->iWord7, pParmStruct->iWord8, 0,
                                    quiesce_has_field7(version) ? pParmStruct->iWord10 : 0};
    const int32_t rc = qx3InstanceQuiesce(version, &record, pSqlca);
    s.restore();
    return rc;
}

QX3_ENTRY(qx3gInstanceUnquiesce, QX3GINSTANCEUNQUIESCE,
          (uint32_t version, qx3gInstanceUnquiesceStruct* pParmStruct, sqlca* pSqlca)) {
    if (pParmStruct == nullptr) return qx3InstanceUnquiesce(version, nullptr, pSqlca);
    Term string;
    string.place(pParmStruct->piString1, pParmStruct->iString1Len);
    qx3InstanceUnquiesceStruct record{string.p};
    const int32_t rc = qx3InstanceUnquiesce(version, &record, pSqlca);
    string.restore();
    return rc;
}

// ---- Restart ----

QX3_ROUTE(sqlgrstd, sqlerstd_api, framed(pass(A7, A6, A5, A4), A7.with(A3), A6.with(A2), A5.with(A1)))

QX3_ENTRY(sqlgrstd, SQLGRSTD, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, sqlca* pSqlca, char* s1, char* s2, char* s3)) {
    return forward<Ep::sqlgrstd>(len1, len2, len3, pSqlca, s1, s2, s3);
}

QX3_ENTRY(qx3gDatabaseRestart, QX3GDATABASERESTART,
          (uint32_t version, qx3gDatabaseRestartStruct* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return qx3DatabaseRestart(version, nullptr, pSqlca);
    Strings<4> s;
    s.t[0].place(pParmStruct->piString1, pParmStruct->iString1Len);
    s.t[1].place(pParmStruct->piString2, pParmStruct->iString2Len);
    s.t[2].place(pParmStruct->piString3, pParmStruct->iString3Len);
    s.t[3].place(pParmStruct->piString4, pParmStruct->iString4Len);
    qx3DatabaseRestartStruct record{s.t[0].p, s.t[1].p, s.t[2].p, s.t[3].p};
    const int32_t rc = qx3DatabaseRestart(version, &record, pSqlca);
    s.restore();
    return rc;
}

// ---- HADR ----

QX3_ENTRY(qx3gHADRStart, QX3GHADRSTART, (uint32_t version, qx3gHADRStartStruct* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return qx3HADRStart(version, nullptr, pSqlca);
    qx3HADRStartStruct record{};
    const Strings<3> s = hadr_strings(pParmStruct, record);
    record.iWord = pParmStruct->iWord;
    record.iValue = pParmStruct->iValue;
    const int32_t rc = qx3HADRStart(version, &record, pSqlca);
    s.restore();
    return rc;
}

QX3_ENTRY(qx3gHADRTakeover, QX3GHADRTAKEOVER, (uint32_t version, qx3gHADRTakeoverStruct* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return qx3HADRTakeover(version, nullptr, pSqlca);
    qx3HADRTakeoverStruct record{};
    const Strings<3> s = hadr_strings(pParmStruct, record);
    record.iValue = pParmStruct->iValue;
    const int32_t rc = qx3HADRTakeover(version, &record, pSqlca);
    s.restore();
    return rc;
}

QX3_ENTRY(qx3gHADRStop, QX3GHADRSTOP, (uint32_t version, qx3gHADRStopStruct* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return qx3HADRStop(version, nullptr, pSqlca);
    qx3HADRStopStruct record{};
    const Strings<3> s = hadr_strings(pParmStruct, record);
    const int32_t rc = qx3HADRStop(version, &record, pSqlca);
    s.restore();
    return rc;
}

// ---- Activation: the generic order, 0 where the unread seventh word stands ----

QX3_ROUTE(sqlg_activate_db, sqle_activate_db_api,
          framed(pass(A4, A5, A6, kZero, A8), A4.with(A1), A5.with(A2), A6.with(A3)))
QX3_ROUTE(sqlg_deactivate_db, sqle_deactivate_db_api,
          framed(pass(A4, A5, A6, kZero, A8), A4.with(A1), A5.with(A2), A6.with(A3)))

QX3_ENTRY(sqlg_activate_db, SQLG_ACTIVATE_DB, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, char* s1, char* s2,
                                               char* s3, uint32_t reserved7, sqlca* pSqlca)) {
    return forward<Ep::sqlg_activate_db>(len1, len2, len3, s1, s2, s3, reserved7, pSqlca);
}
QX3_ENTRY(sqlg_deactivate_db, SQLG_DEACTIVATE_DB, (qx3_u16w len1, qx3_u16w len2, qx3_u16w len3, char* s1,
                                                   char* s2, char* s3, uint32_t reserved7, sqlca* pSqlca)) {
    return forward<Ep::sqlg_deactivate_db>(len1, len2, len3, s1, s2, s3, reserved7, pSqlca);
}
