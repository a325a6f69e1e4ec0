// QX3SYS stand-in: application data, the pointer-check switch, the status-record write check,
// memory blocks with a ledger, the message, trace and diagnostic-log services; and the shared
// state (trace of calls, controls) of the whole stand-in layer.
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <mutex>

#include "common.h"
#include "native/platform.h"

namespace standin {
namespace {

struct State {
    int32_t app_data_rc = 0;
    unsigned fail_alloc_at = 0;  // 0: never; else the countdown's target request number
    int32_t fail_alloc_rc = 0;
    unsigned alloc_count = 0;
    bool checks_on = false;
    struct Range {
        uintptr_t p;
        uint32_t len;
        unsigned modes;
        int32_t rc;
        bool exact = false;
    };
    std::vector<Range> failing;
    int32_t inca_rc = 0;
    std::map<std::string, int32_t> results;
    std::function<void(const Call&)> during;
    std::function<void(const Call&)> after;
    std::vector<Call> calls;
    std::vector<Check> checks;
    std::map<uintptr_t, Block> ledger;
    std::vector<std::string> faults;
};

// One state per thread: calls made on a thread are recorded, controlled and accounted for on that
// thread alone, so that threads calling at once each see their own calls and their own ledger.
// Never destroyed: the DLL may be unloaded after exit handlers run.
State& st() {
    static thread_local State* s = nullptr;
    if (s == nullptr) s = new State;
    return *s;
}

// The trace-flags table is one for the process: QX3WINT exports its address as data.
uint32_t g_flags[256] = {};

// Reads a string the way a native would, without running into a guard page: stops at the NUL or
// at the first byte that is not readable.
Seen read_string(uintptr_t p) {
    Seen s;
    if (p == 0) return s;
    s.null = false;
    const uintptr_t page = 4096;
    uintptr_t checked_to = p;
    for (uintptr_t q = p;; ++q) {
        if (q >= checked_to) {
            uintptr_t next = (q / page + 1) * page;
            if (!memory_accessible(q, static_cast<uint32_t>(next - q), 1)) return s;
            checked_to = next;
        }
        char c = *reinterpret_cast<const char*>(q);
        if (c == '\0') {
            s.terminated = true;
            return s;
        }
        s.text.push_back(c);
        if (s.text.size() > (1u << 20)) return s;
    }
}

}  // namespace

std::string show(const Seen& s) {
    if (s.null) return "<null>";
    return s.terminated ? s.text : s.text + "<no NUL>";
}

void reset() {
    State& s = st();
    s.app_data_rc = 0;
    s.fail_alloc_at = 0;
    s.fail_alloc_rc = 0;
    s.alloc_count = 0;
    s.checks_on = false;
    s.failing.clear();
    s.inca_rc = 0;
    s.results.clear();
    s.during = nullptr;
    s.after = nullptr;
    s.calls.clear();
    s.checks.clear();
    memset(g_flags, 0, sizeof g_flags);
    // A block still live is a leak of whatever ran before: it stays on record as a fault, so that
    // a reset between two rows of a table cannot hide it.
    for (auto& [p, b] : s.ledger) {
        s.faults.push_back("block of " + std::to_string(b.size) + " bytes, tag " + b.tag + " line " +
                           std::to_string(b.line) + " never released");
        free(reinterpret_cast<void*>(p));
    }
    s.ledger.clear();
}

void clear_faults() { st().faults.clear(); }

void fail_app_data(int32_t rc) { st().app_data_rc = rc; }
void fail_allocation(unsigned k, int32_t rc) {
    st().fail_alloc_at = st().alloc_count + k;
    st().fail_alloc_rc = rc;
}
void checks_active(bool on) { st().checks_on = on; }
void fail_checks(const void* p, uint32_t length, unsigned modes, int32_t rc) {
    st().failing.push_back({reinterpret_cast<uintptr_t>(p), length, modes, rc});
}
void fail_check_exact(const void* p, uint32_t length, unsigned modes, int32_t rc) {
    st().failing.push_back({reinterpret_cast<uintptr_t>(p), length, modes, rc, true});
}
void refuse_sqlca(int32_t rc) { st().inca_rc = rc; }
void set_result(const std::string& native, int32_t rc) { st().results[native] = rc; }
void during_call(std::function<void(const Call&)> fn) { st().during = std::move(fn); }
void after_call(std::function<void(const Call&)> fn) { st().after = std::move(fn); }

const std::vector<Call>& calls() { return st().calls; }
std::vector<Call> calls_of(const std::string& name) {
    std::vector<Call> out;
    for (const Call& c : st().calls)
        if (c.name == name) out.push_back(c);
    return out;
}
const std::vector<Check>& checks() { return st().checks; }
std::vector<Block> live_blocks() {
    std::vector<Block> out;
    for (auto& [p, b] : st().ledger) out.push_back(b);
    return out;
}
unsigned allocations() { return st().alloc_count; }
const std::vector<std::string>& faults() { return st().faults; }
uint32_t* trace_flags() { return g_flags; }

namespace {

// One call as a line: name(0x1 "text", 0x2, ...) with each string as the native saw it.
std::string trace_line(const Call& c) {
    std::string out = c.name + "(";
    char buf[32];
    for (size_t i = 0; i < c.words.size(); ++i) {
        if (i) out += ", ";
        snprintf(buf, sizeof buf, "0x%x", c.words[i]);
        out += buf;
        if (i < c.strings.size() && !c.strings[i].null) out += " \"" + show(c.strings[i]) + "\"";
    }
    for (const std::string& item : c.items) out += " [" + item + "]";
    return out + ")\n";
}

}  // namespace

std::string trace() {
    std::string out;
    for (const Call& c : st().calls) out += trace_line(c);
    return out;
}

void record(const char* name, std::vector<uint32_t> words, uint64_t string_words) {
    Call c;
    c.name = name;
    c.strings.resize(words.size());
    for (size_t i = 0; i < words.size(); ++i)
        if (string_words & (uint64_t{1} << i)) c.strings[i] = read_string(words[i]);
    c.words = std::move(words);
    // QX3_STANDIN_TRACE names a file that receives every call as it happens, for a developer who
    // runs a program against the stand-in rather than a test that reads calls().
    if (const char* path = getenv("QX3_STANDIN_TRACE"); path && *path)
        if (FILE* f = fopen(path, "a")) fputs(trace_line(c).c_str(), f), fclose(f);
    st().calls.push_back(std::move(c));
}

Call& last_call() { return st().calls.back(); }

Seen read_seen(const void* p) { return read_string(reinterpret_cast<uintptr_t>(p)); }

void notify_during_call() {
    if (st().during) st().during(st().calls.back());
}

void notify_after_call() {
    if (st().after) st().after(st().calls.back());
}

int32_t result_of(const char* native) {
    auto it = st().results.find(native);
    return it == st().results.end() ? 0 : it->second;
}

void fill_sqlca(void* p, const char* native, int32_t rc) {
    if (p == nullptr || !memory_accessible(reinterpret_cast<uintptr_t>(p), sizeof(sqlca), 2)) return;
    sqlca* ca = static_cast<sqlca*>(p);
    memset(ca, 0, sizeof *ca);
    memcpy(ca->sqlcaid, "SQLCA   ", 8);
    ca->sqlcabc = sizeof *ca;
    ca->sqlcode = rc;
    memcpy(ca->sqlerrp, native, strnlen(native, sizeof ca->sqlerrp));
    memcpy(ca->sqlstate, rc == 0 ? "00000" : "58004", 5);
}

// Held while the mappings are read, and by the tests while they map and unmap caller memory: a
// read of the mappings while another thread changes them can miss a mapping that is there.
STANDIN_API std::mutex& mappings_lock() {
    static std::mutex m;
    return m;
}

// The process's own mappings say what may be touched; the emulator keeps them for the guest too.
bool memory_accessible(uintptr_t p, uint32_t len, unsigned mode) {
    if (len == 0) return true;
    std::lock_guard<std::mutex> hold(mappings_lock());
    uint64_t lo = p, hi = uint64_t{p} + len;
    FILE* f = fopen("/proc/self/maps", "r");
    if (f == nullptr) return false;
    char line[512];
    uint64_t covered = lo;
    // Mappings come sorted by address; walk them and require [lo, hi) covered without a gap.
    while (covered < hi && fgets(line, sizeof line, f) != nullptr) {
        unsigned long long a = 0, b = 0;
        char perms[8] = {};
        if (sscanf(line, "%llx-%llx %7s", &a, &b, perms) != 3) continue;
        if (b <= covered || a > covered) continue;
        bool ok = (!(mode & 1) || perms[0] == 'r') && (!(mode & 2) || perms[1] == 'w');
        if (!ok) break;
        covered = b;
    }
    fclose(f);
    return covered >= hi;
}

}  // namespace standin

using namespace standin;

STANDIN_EXPORT int32_t QX3_SERVICE sqlo_create_init_app_data(uint32_t what) {
    record("sqlo_create_init_app_data", {what}, 0);
    if (what != 0x8E8215) st().faults.push_back("application data asked for with an unknown request");
    return st().app_data_rc;
}

STANDIN_EXPORT int32_t QX3_SERVICE sqlo_ptr_check_active(void) { return st().checks_on ? 1 : 0; }

// Lives in QX3APP but shares the check state, so the stand-in keeps it here and QX3APP forwards.
STANDIN_EXPORT int32_t standin_check(const void* p, uint32_t length, uint8_t mode) {
    State& s = st();
    const uintptr_t a = reinterpret_cast<uintptr_t>(p);
    int32_t rc = 0;
    if (mode < 1 || mode > 3) {
        s.faults.push_back("pointer check with access mode " + std::to_string(mode));
        rc = 1;
    }
    for (const State::Range& r : s.failing) {
        const bool overlaps = r.exact ? (a == r.p && length == r.len)
                                      : (a < r.p + r.len && r.p < a + (length ? length : 1));
        if (rc == 0 && overlaps && (r.modes & mode_bit(mode))) rc = r.rc;
    }
    if (rc == 0 && (p == nullptr || !memory_accessible(a, length, mode))) rc = 2;
    s.checks.push_back({a, length, mode, rc});
    return rc;
}

STANDIN_EXPORT int32_t QX3_SERVICE sqloincaChkptr(sqlca* ca) {
    record("sqloincaChkptr", {word(ca)}, 0);
    return st().inca_rc;
}
STANDIN_EXPORT void QX3_SERVICE sqloinca(sqlca* ca) { record("sqloinca", {word(ca)}, 0); }
STANDIN_EXPORT void QX3_SERVICE sqlofica(sqlca* ca) { record("sqlofica", {word(ca)}, 0); }

STANDIN_EXPORT int32_t QX3_SERVICE sqlocptrs(void** pointer, uint32_t* length, uint8_t* flag, uint32_t a4,
                                             uint32_t a5) {
    record("sqlocptrs", {word(pointer), word(length), word(flag), a4, a5}, 0);
    if (pointer == nullptr || length == nullptr || flag == nullptr) return 1;
    return standin_check(*pointer, *length, *flag) == 0 ? 0 : 1;
}

STANDIN_EXPORT void* QX3_SERVICE sqloGetMemoryBlockExtended(uint32_t a1, uint32_t size, uint32_t a3, int32_t* rc,
                                                            uint32_t a5, const char* file, uint32_t line) {
    State& s = st();
    record("sqloGetMemoryBlockExtended", {a1, size, a3, word(rc), a5, word(file), line}, 1u << 5);
    ++s.alloc_count;
    if (a1 != 0 || a3 != 0 || a5 != 0) s.faults.push_back("memory request with nonzero reserved words");
    if (file == nullptr || *file == '\0') s.faults.push_back("memory request without a source tag");
    if (s.fail_alloc_at != 0 && s.alloc_count == s.fail_alloc_at) {
        *rc = s.fail_alloc_rc;
        // A pointer that faults if used: the caller must look at rc alone.
        return reinterpret_cast<void*>(uintptr_t{0x10});
    }
    void* p = malloc(size ? size : 1);
    if (p == nullptr) {  // a request no allocator could grant fails like any other
        *rc = 0x8B0F0000;
        return reinterpret_cast<void*>(uintptr_t{0x10});
    }
    // Fresh blocks hold garbage, as a real allocator's would: every other block reads as negative
    // words, the rest as positive ones, so that a field the library never set shows either way.
    memset(p, s.alloc_count % 2 ? 0xA5 : 0x35, size ? size : 1);
    s.ledger[reinterpret_cast<uintptr_t>(p)] = Block{reinterpret_cast<uintptr_t>(p), size, file ? file : "", line};
    *rc = 0;
    return p;
}

STANDIN_EXPORT void QX3_SERVICE sqlofmblkEx(const char* file, uint32_t line, void* block) {
    State& s = st();
    record("sqlofmblkEx", {word(file), line, word(block)}, 1u << 0);
    auto it = s.ledger.find(reinterpret_cast<uintptr_t>(block));
    if (it == s.ledger.end()) {
        s.faults.push_back("release of a block that is not live");
        return;
    }
    // The versioned export gives the slot arrays of the media-list terminator back under its own
    // tag: the one release whose tag is not the request's.
    const bool export_of_terminator = file != nullptr && it->second.tag == "sqlgload" && strcmp(file, "sqlgexpt") == 0;
    if (file == nullptr || (it->second.tag != file && !export_of_terminator))
        s.faults.push_back("block of tag " + it->second.tag + " released with tag " + (file ? file : "<null>"));
    memset(block, 0xDD, it->second.size ? it->second.size : 1);
    free(block);
    s.ledger.erase(it);
}

STANDIN_EXPORT int32_t QX3_SERVICE sqlogstt(void* buffer, int32_t width, int32_t lineWidth, void* status) {
    record("sqlogstt", {word(buffer), static_cast<uint32_t>(width), static_cast<uint32_t>(lineWidth), word(status)},
           0);
    notify_during_call();
    return result_of("sqlogstt");
}

STANDIN_EXPORT int32_t QX3_SERVICE sqlaintp_api(void* buffer, int32_t width, int32_t lineWidth,
                                                const char* messageFile, void* status) {
    record("sqlaintp_api",
           {word(buffer), static_cast<uint32_t>(width), static_cast<uint32_t>(lineWidth), word(messageFile),
            word(status)},
           1u << 3);
    notify_during_call();
    return result_of("sqlaintp_api");
}

STANDIN_EXPORT void QX3_SERVICE sqltinit(void) { record("sqltinit", {}, 0); }
STANDIN_EXPORT void QX3_SERVICE pdtEntry(uint32_t probe) { record("pdtEntry", {probe}, 0); }
STANDIN_EXPORT void QX3_SERVICE sqleWlDispDiagEntry(uint32_t probe) { record("sqleWlDispDiagEntry", {probe}, 0); }
STANDIN_EXPORT void QX3_SERVICE sqleWlDispDiagExit(uint32_t probe) { record("sqleWlDispDiagExit", {probe}, 0); }
STANDIN_EXPORT void QX3_SERVICE sqltExit(uint32_t probe, int32_t result) {
    record("sqltExit", {probe, static_cast<uint32_t>(result)}, 0);
}
STANDIN_EXPORT void QX3_SERVICE pdFlightRecordTrc(uint32_t probe, uint64_t v1, uint64_t v2, uint64_t v3) {
    record("pdFlightRecordTrc",
           {probe, uint32_t(v1), uint32_t(v1 >> 32), uint32_t(v2), uint32_t(v2 >> 32), uint32_t(v3), uint32_t(v3 >> 32)},
           0);
}

STANDIN_EXPORT void QX3_SERVICE pdLog(uint64_t level, uint32_t id, uint64_t zero, uint32_t probe, uint32_t two,
                                      uint64_t items, ...) {
    record("pdLog",
           {uint32_t(level), uint32_t(level >> 32), id, uint32_t(zero), uint32_t(zero >> 32), probe, two,
            uint32_t(items), uint32_t(items >> 32)},
           0);
    Call& c = st().calls.back();
    va_list ap;
    va_start(ap, items);
    for (uint64_t i = 0; i < items && i < 16; ++i) {
        uint32_t type = va_arg(ap, uint32_t), len = va_arg(ap, uint32_t);
        const void* p = va_arg(ap, const void*);
        c.words.insert(c.words.end(), {type, len, word(p)});
        char buf[64];
        if (type == 0x18000004 && p != nullptr) {
            c.items.push_back(std::string(static_cast<const char*>(p), len));
        } else if (type == 4 && p != nullptr && len == 4) {
            snprintf(buf, sizeof buf, "int %d", *static_cast<const int32_t*>(p));
            c.items.push_back(buf);
        } else {
            snprintf(buf, sizeof buf, "type 0x%x length %u", type, len);
            c.items.push_back(buf);
        }
    }
    va_end(ap);
    c.strings.resize(c.words.size());
}
