// Instance start and stop: the versioned pair turns its request record and two option records into
// the native forms on its own stack; the legacy partition calls lend the inline strings of their
// fixed records a terminator in place; the manager's own start and stop forward at once.
//
// Every string here is lent a terminator only when its length is greater than 0, except the user
// and group strings of the start options, which get one whenever their pointer is set.
#include "native/instance.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;
using qx3::fwd::forward;

QX3_ROUTE(sqlgstar, sqlestar_api, unframed(pass()))
QX3_ROUTE(sqlgstdm, sqlestop_api, unframed(pass(A1)))

QX3_ENTRY(sqlgstar, SQLGSTAR, ()) { return forward<Ep::sqlgstar>(); }

QX3_ENTRY(sqlgstdm, SQLGSTDM, (uint32_t word)) { return forward<Ep::sqlgstdm>(word); }

namespace {

// ---- The versioned pair ----

// A string of a start or stop record: a zero length means the string is not in use.
void place_if_used(Term& t, char* p, uint32_t n) {
    if (n > 0) t.place(p, n);
}

// The byte at offset 69 of the start options exists only from 9.5.6 on, and not in 9.7.0 and 9.7.1:
// callers of the other versions leave whatever there, and the native side would read it as set.
bool lacks_version_byte(uint32_t version) {
    return version < 9050600u || (version >= 9070000u && version <= 9070199u);
}

// The slots of one call, in the order of placing. All start as "none": a request whose record
// fails its check reaches the restore pass with none of them decided.
struct InstanceSlots {
    enum { X, Y, Z, User, Group, String, Option1, Option2, Option3, Count };
    Term t[Count];

    // Taken back last one first: where a caller hands one buffer over twice with equal lengths,
    // the later slot saved the earlier one's NUL, and only this order gives the caller's byte back.
    void restore() const {
        for (int i = Count; i-- > 0;) t[i].restore();
    }
};

// The request string and the three option strings, when the flag says they are in use.
void place_request(InstanceSlots& s, qx3gInstanceStruct* req) {
    if (req->iFlag == 0) return;
    place_if_used(s.t[InstanceSlots::String], req->piString, req->iStringLen);
    qx3gInstanceOptions* o = req->piSubRecord1;
    if (o == nullptr) return;
    place_if_used(s.t[InstanceSlots::Option1], o->piString1, o->iString1Len);
    place_if_used(s.t[InstanceSlots::Option2], o->piString2, o->iString2Len);
    place_if_used(s.t[InstanceSlots::Option3], o->piString3, o->iString3Len);
}

// The native record and its sub-record 1; a sub-record 1 the caller left out stays out.
void build_native(const qx3gInstanceStruct* req, qx3InstanceStruct& native, qx3InstanceOptions& options) {
    native.iFlag = req->iFlag;
    native.piString = req->piString;
    native.piSubRecord1 = nullptr;
    if (const qx3gInstanceOptions* o = req->piSubRecord1) {
        options.iOption = o->iOption;
        options.piString1 = o->piString1;
        options.piString2 = o->piString2;
        options.piString3 = o->piString3;
        native.piSubRecord1 = &options;
    }
}

bool request_accessible(qx3gInstanceStruct* req) { return accessible(req, sizeof *req, kReadWrite); }

}  // namespace

QX3_ENTRY(qx3gInstanceStart, QX3GINSTANCESTART,
          (uint32_t versionNumber, qx3gInstanceStruct* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    // Without a request there is nothing to convert: the native side gets none and says so.
    if (pParmStruct == nullptr) return qx3InstanceStart(versionNumber, nullptr, pSqlca);

    qx3gStartOptions* start = static_cast<qx3gStartOptions*>(pParmStruct->piSubRecord2);
    if (start != nullptr && lacks_version_byte(versionNumber)) start->iVersionByte = 0;

    InstanceSlots s;
    if (request_accessible(pParmStruct)) {
        if (start != nullptr) {
            place_if_used(s.t[InstanceSlots::X], start->piStringX, start->iStringXLen);
            place_if_used(s.t[InstanceSlots::Y], start->piStringY, start->iStringYLen);
            place_if_used(s.t[InstanceSlots::Z], start->piStringZ, start->iStringZLen);
            if (start->iSelector != 0) {
                if (start->iType == 'U')
                    s.t[InstanceSlots::User].place(start->piUser, start->iUserLen);
                else if (start->iType == 'G')
                    s.t[InstanceSlots::Group].place(start->piGroup, start->iGroupLen);
            }
        }
        place_request(s, pParmStruct);
    }

    qx3InstanceStruct native;
    qx3InstanceOptions options;
    build_native(pParmStruct, native, options);
    qx3StartOptions startNative;
    native.piSubRecord2 = nullptr;
    if (start != nullptr) {
        const uint8_t* head = reinterpret_cast<const uint8_t*>(start);
        for (uint32_t i = 0; i < sizeof startNative.iHead; ++i) startNative.iHead[i] = head[i];
        startNative.iSelector = start->iSelector;
        startNative.iVersionByte = start->iVersionByte;
        startNative.piUser = start->piUser;
        startNative.piGroup = start->piGroup;
        startNative.iType = start->iType;
        native.piSubRecord2 = &startNative;
    }

    const int32_t rc = qx3InstanceStart(versionNumber, &native, pSqlca);
    s.restore();
    return rc;
}

QX3_ENTRY(qx3gInstanceStop, QX3GINSTANCESTOP, (uint32_t versionNumber, qx3gInstanceStruct* pParmStruct, sqlca* pSqlca)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (pParmStruct == nullptr) return qx3InstanceStop(versionNumber, nullptr, pSqlca);

    qx3gStopOptions* stop = static_cast<qx3gStopOptions*>(pParmStruct->piSubRecord2);
    InstanceSlots s;
    if (request_accessible(pParmStruct)) {
        // The stop options' one string takes the first slot.
        if (stop != nullptr) place_if_used(s.t[InstanceSlots::X], stop->piString, stop->iStringLen);
        place_request(s, pParmStruct);
    }

    qx3InstanceStruct native;
    qx3InstanceOptions options;
    build_native(pParmStruct, native, options);
    native.piSubRecord2 = stop;

    const int32_t rc = qx3InstanceStop(versionNumber, &native, pSqlca);
    s.restore();
    return rc;
}

// ---- The legacy partition calls ----

namespace {

// One inline string of a partition record: its u32 length at `length_at`, its text at `text_at`,
// the terminator no further into the text than `cap`.
struct InlineString {
    uint32_t length_at;
    uint32_t text_at;
    uint32_t cap;
};

constexpr uint32_t kNoCap = 0xFFFFFFFFu;

template <uint32_t N>
struct PartitionRecord {
    uint32_t size;
    InlineString s[N];
};

constexpr PartitionRecord<4> kPstr{792, {{0, 4, kNoCap}, {248, 252, kNoCap}, {264, 268, kNoCap}, {532, 536, kNoCap}}};
constexpr PartitionRecord<3> kPstart{824, {{8, 12, 235}, {260, 264, 255}, {528, 532, 255}}};
constexpr PartitionRecord<1> kPstp{520, {{0, 4, kNoCap}}};

// Terminates each string of the record with a nonzero length, in order, unless the record as a
// whole fails its check; calls the native with the record; restores; returns the native result.
template <uint32_t N, class Native>
int32_t partition_call(const PartitionRecord<N>& layout, void* record, sqlca* ca, Native native) {
    if (!app_data_ready()) return app_data_failed(ca);
    Term t[N];
    char* base = static_cast<char*>(record);
    // Without a record nothing is terminated; the native side gets the null and says so.
    if (base != nullptr && accessible(base, layout.size, kReadWrite)) {
        for (uint32_t i = 0; i < N; ++i) {
            uint32_t length;
            const char* at = base + layout.s[i].length_at;
            __builtin_memcpy(&length, at, sizeof length);
            if (length == 0) continue;
            t[i].place(base + layout.s[i].text_at, length < layout.s[i].cap ? length : layout.s[i].cap);
        }
    }
    const int32_t rc = native(record, ca);
    for (uint32_t i = N; i-- > 0;) t[i].restore();
    return rc;
}

}  // namespace

QX3_ENTRY(sqlgpstr, SQLGPSTR, (void* pRecord, sqlca* pSqlca)) {
    return partition_call(kPstr, pRecord, pSqlca, sqlepstr_api);
}

QX3_ENTRY(sqlgpstart, SQLGPSTART, (void* pRecord, sqlca* pSqlca)) {
    return partition_call(kPstart, pRecord, pSqlca, sqlepstart_api);
}

QX3_ENTRY(sqlgpstp, SQLGPSTP, (void* pRecord, sqlca* pSqlca)) {
    return partition_call(kPstp, pRecord, pSqlca, sqlepstp_api);
}
