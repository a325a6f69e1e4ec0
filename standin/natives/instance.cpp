// Instance and partition natives: each records the words it received (and the versioned pair the
// native record they point at), runs the test's hook and fills the status record. Nothing here
// writes into the caller's records: none of these calls has outputs.
#include "natives/seen_lists.h"
#include "native/instance.h"

namespace {
constexpr uint64_t S(unsigned word) { return uint64_t{1} << word; }

// The native record as it was received; a test that wants the sub-records reads them in its
// in-call hook through the pointers the record holds.
int32_t versioned(const char* name, uint32_t version, qx3InstanceStruct* parm, sqlca* ca) {
    standin::record(name, {version, word(parm), word(ca)}, 0);
    standin::last_call().record = seen::bytes(parm, sizeof *parm);
    return seen::finish(name, ca);
}
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3InstanceStart(uint32_t version, qx3InstanceStruct* parm, sqlca* ca) {
    return versioned("qx3InstanceStart", version, parm, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3InstanceStop(uint32_t version, qx3InstanceStruct* parm, sqlca* ca) {
    return versioned("qx3InstanceStop", version, parm, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlepstr_api(void* rec, sqlca* ca) { return native("sqlepstr_api", {word(rec), word(ca)}, 0, ca); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlepstart_api(void* rec, sqlca* ca) {
    return native("sqlepstart_api", {word(rec), word(ca)}, 0, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlepstp_api(void* rec, sqlca* ca) { return native("sqlepstp_api", {word(rec), word(ca)}, 0, ca); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlestar_api(void) { return native("sqlestar_api", {}, 0, nullptr); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlestop_api(uint32_t w) { return native("sqlestop_api", {w}, 0, nullptr); }

STANDIN_EXPORT int32_t QX3_NATIVE sqleaddn_api(void* options, sqlca* ca) {
    return native("sqleaddn_api", {word(options), word(ca)}, 0, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlecran_api(char* s, uint32_t w, sqlca* ca) {
    return native("sqlecran_api", {word(s), w, word(ca)}, S(0), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqledpan_api(char* s, uint32_t w, sqlca* ca) {
    return native("sqledpan_api", {word(s), w, word(ca)}, S(0), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqledrpn_api(uint32_t node, uint32_t w, sqlca* ca) {
    return native("sqledrpn_api", {node, w, word(ca)}, 0, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqludrdt_api(char* s1, char* s2, char* s3, uint32_t w7, uint32_t h8, uint32_t w9,
                                               uint32_t h10, uint32_t option, uint32_t w12) {
    return native("sqludrdt_api", {word(s1), word(s2), word(s3), w7, h8, w9, h10, option, w12}, S(0) | S(1) | S(2),
                  nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlugrpn_api(uint32_t h1, uint32_t w2, uint32_t w3, uint32_t h4, uint32_t h5,
                                               uint32_t w6, uint32_t w7, uint32_t w8, uint32_t h9, uint32_t w10,
                                               uint32_t s11, uint32_t z12, uint32_t z13) {
    return native("sqlugrpn_api", {h1, w2, w3, h4, h5, w6, w7, w8, h9, w10, s11, z12, z13}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlugtpi_api(char* s, uint32_t w3, uint32_t w4) {
    return native("sqlugtpi_api", {word(s), w3, w4}, S(0), nullptr);
}
