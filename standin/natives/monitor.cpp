// Snapshot-monitor and availability natives. Each records its words, the native record as it read
// it and, as extra words that the library did not pass, the string pointers of that record (so
// that tests see the strings as they see any argument). The snapshot natives also record each
// object name of the monitor area as they read it, as one list. A missing record is reported as a
// missing parameter.
#include <stddef.h>
#include <string.h>

#include "native/monitor.h"
#include "natives/seen_lists.h"

namespace {

constexpr int32_t kMissingRecord = -1601;

constexpr uint64_t S(unsigned word) { return uint64_t{1} << word; }

// The object names of a monitor area, each up to its NUL.
standin::SeenList names_of(const qx3gMonitorArea* area) {
    standin::SeenList out;
    if (!seen::readable(area, sizeof(uint32_t))) return out;
    out.null = false;
    memcpy(&out.count, area, sizeof out.count);  // the caller's area need not be aligned
    const char* base = reinterpret_cast<const char*>(area) + offsetof(qx3gMonitorArea, objects);
    for (uint32_t i = 0; i < out.count && i < standin::kSeenEntries; ++i) {
        const char* name = base + i * sizeof(qx3gMonitorObject) + offsetof(qx3gMonitorObject, name);
        // Read no further than the name and its spare byte: a name that was not lent its NUL (its
        // area failed the check) must not lead the read past the caller's area.
        if (!seen::readable(name, QX3_MONITOR_NAME_WIDTH + 1)) break;
        out.entries.push_back(seen::field(name, QX3_MONITOR_NAME_WIDTH + 1));
    }
    return out;
}

// A native whose record holds its strings: words, then the record's string pointers.
template <class Rec>
int32_t with_record(const char* name, uint32_t version, Rec* parm, sqlca* ca, std::vector<uint32_t> strings) {
    std::vector<uint32_t> words{version, word(parm), word(ca)};
    uint64_t mask = 0;
    for (uint32_t s : strings) {
        mask |= S(static_cast<unsigned>(words.size()));
        words.push_back(s);
    }
    standin::record(name, std::move(words), mask);
    standin::last_call().record = seen::bytes(parm, sizeof(Rec));
    if (parm == nullptr) {
        standin::fill_sqlca(ca, name, kMissingRecord);
        return kMissingRecord;
    }
    return seen::finish(name, ca);
}

template <class Rec>
int32_t snapshot(const char* name, uint32_t version, void* parm, sqlca* ca) {
    standin::record(name, {version, word(parm), word(ca)}, 0);
    standin::Call& c = standin::last_call();
    if (parm == nullptr || !seen::readable(parm, sizeof(void*))) {
        standin::fill_sqlca(ca, name, kMissingRecord);
        return kMissingRecord;
    }
    // The caller's own request may be shorter than the record a legacy call builds.
    c.record = seen::readable(parm, sizeof(Rec)) ? seen::bytes(parm, sizeof(Rec)) : seen::bytes(parm, sizeof(void*));
    c.lists.push_back(names_of(static_cast<qx3gSnapshotRequest*>(parm)->piMonitorArea));
    return seen::finish(name, ca);
}

}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3GetSnapshot(uint32_t version, void* parm, sqlca* ca) {
    return snapshot<qx3SnapshotRecord>("qx3GetSnapshot", version, parm, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3GetSnapshotSize(uint32_t version, void* parm, sqlca* ca) {
    return snapshot<qx3SnapshotSizeRecord>("qx3GetSnapshotSize", version, parm, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3ResetMonitor(uint32_t version, qx3ResetMonitorStruct* parm, sqlca* ca) {
    return with_record("qx3ResetMonitor", version, parm, ca, {parm ? word(parm->piString) : 0});
}

// Pass-throughs: the words are recorded as they came and never followed.
STANDIN_EXPORT int32_t QX3_NATIVE sqlmon(uint32_t s, uint32_t r, uint32_t q, uint32_t p) {
    return native("sqlmon", {s, r, q, p}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3MonitorSwitches(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("qx3MonitorSwitches", {w1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3ConvMonStream(uint32_t w1, uint32_t w2, uint32_t w3) {
    return native("qx3ConvMonStream", {w1, w2, w3}, 0, nullptr);
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3DatabasePing(uint32_t version, uint32_t parm, sqlca* ca) {
    return native("qx3DatabasePing", {version, parm, word(ca)}, 0, ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3DatabaseUnquiesce(uint32_t version, uint32_t parm, sqlca* ca) {
    return native("qx3DatabaseUnquiesce", {version, parm, word(ca)}, 0, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3DatabaseQuiesce(uint32_t version, qx3DatabaseQuiesceStruct* parm, sqlca* ca) {
    return with_record("qx3DatabaseQuiesce", version, parm, ca, {});
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3InstanceQuiesce(uint32_t version, qx3InstanceQuiesceStruct* parm, sqlca* ca) {
    return with_record("qx3InstanceQuiesce", version, parm, ca,
                       parm ? std::vector<uint32_t>{word(parm->piString1), word(parm->piString2), word(parm->piString3)}
                            : std::vector<uint32_t>{});
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3InstanceUnquiesce(uint32_t version, qx3InstanceUnquiesceStruct* parm, sqlca* ca) {
    return with_record("qx3InstanceUnquiesce", version, parm, ca,
                       parm ? std::vector<uint32_t>{word(parm->piString1)} : std::vector<uint32_t>{});
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3DatabaseRestart(uint32_t version, qx3DatabaseRestartStruct* parm, sqlca* ca) {
    return with_record("qx3DatabaseRestart", version, parm, ca,
                       parm ? std::vector<uint32_t>{word(parm->piString1), word(parm->piString2), word(parm->piString3),
                                                    word(parm->piString4)}
                            : std::vector<uint32_t>{});
}

namespace {
template <class Rec>
std::vector<uint32_t> hadr_strings(const Rec* parm) {
    if (parm == nullptr) return {};
    return {word(parm->piString1), word(parm->piString2), word(parm->piString3)};
}
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3HADRStart(uint32_t version, qx3HADRStartStruct* parm, sqlca* ca) {
    return with_record("qx3HADRStart", version, parm, ca, hadr_strings(parm));
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3HADRTakeover(uint32_t version, qx3HADRTakeoverStruct* parm, sqlca* ca) {
    return with_record("qx3HADRTakeover", version, parm, ca, hadr_strings(parm));
}
STANDIN_EXPORT int32_t QX3_NATIVE qx3HADRStop(uint32_t version, qx3HADRStopStruct* parm, sqlca* ca) {
    return with_record("qx3HADRStop", version, parm, ca, hadr_strings(parm));
}

// Legacy: the strings are arguments.
STANDIN_EXPORT int32_t QX3_NATIVE sqlerstd_api(char* s3, char* s2, char* s1, sqlca* ca) {
    return native("sqlerstd_api", {word(s3), word(s2), word(s1), word(ca)}, S(0) | S(1) | S(2), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqle_activate_db_api(char* s1, char* s2, char* s3, uint32_t reserved, sqlca* ca) {
    return native("sqle_activate_db_api", {word(s1), word(s2), word(s3), reserved, word(ca)}, S(0) | S(1) | S(2), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqle_deactivate_db_api(char* s1, char* s2, char* s3, uint32_t reserved, sqlca* ca) {
    return native("sqle_deactivate_db_api", {word(s1), word(s2), word(s3), reserved, word(ca)}, S(0) | S(1) | S(2), ca);
}
