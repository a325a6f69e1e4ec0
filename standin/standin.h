// The stand-in native layer: QX3SYS services, QX3APP natives and the QX3WINT trace-flags word,
// written to behave as a plausible database client, recording everything that crosses into it,
// and controlled by the tests.
//
// By default: application data is ready, pointer checks are inactive, every memory request is
// granted, the status record may be written, and every native call succeeds and fills its outputs.
#ifndef QX3_STANDIN_H
#define QX3_STANDIN_H

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#define STANDIN_API __attribute__((visibility("default")))

namespace standin {

// A string argument as the native side saw it during the call.
struct Seen {
    bool null = true;         // the pointer was null
    bool terminated = false;  // a NUL was found before memory ran out
    std::string text;         // bytes up to the NUL (or up to the end of accessible memory)
};
// "<null>", the text, or the text followed by "<no NUL>".
STANDIN_API std::string show(const Seen& s);

// A media or tablespace list as the native side saw it during the call.
struct SeenList {
    bool null = true;            // no list was passed
    uint32_t count = 0;          // its entry count as the native read it
    uint32_t type = 0;           // its media type code (0 for a tablespace list)
    std::vector<Seen> entries;   // each entry's text, for at most kSeenEntries entries
};
constexpr uint32_t kSeenEntries = 256;

// One call into the native layer (a native entry point or a service).
struct Call {
    std::string name;
    std::vector<uint32_t> words;  // argument words as passed (a 64-bit value takes two)
    std::vector<Seen> strings;    // per word: what the string at that word held (null for non-strings)
    std::vector<std::string> items;  // diagnostic-log items rendered as text
    std::vector<uint8_t> record;  // the native record a versioned native received, as it read it
    std::vector<SeenList> lists;  // the lists a native received, in the order of its arguments
};

struct Check {
    uintptr_t p;
    uint32_t length;
    unsigned mode;
    int32_t rc;
};

struct Block {
    uintptr_t p;
    uint32_t size;
    std::string tag;
    uint32_t line;
};

// ---- Control ----
// Back to the defaults, trace cleared. Faults are kept, and a block still live becomes one.
STANDIN_API void reset();
STANDIN_API void clear_faults();
STANDIN_API void fail_app_data(int32_t rc);            // sqlo_create_init_app_data returns rc (0 = ready)
STANDIN_API void fail_allocation(unsigned k, int32_t rc = 0x8B0F0000);  // the k-th request from now fails
STANDIN_API void checks_active(bool on);
// While checks are active, a check whose range overlaps [p, p + length) in one of `modes`
// (bit 1 read, 2 write, 4 both: use mode_bit()) fails with rc. Real accessibility is checked too.
STANDIN_API void fail_checks(const void* p, uint32_t length, unsigned modes, int32_t rc = 1);
constexpr unsigned mode_bit(unsigned mode) { return 1u << (mode - 1); }
// Like fail_checks, but only a check of exactly [p, p + length) fails: a text inside an array can
// fail its own check while the array's passes.
STANDIN_API void fail_check_exact(const void* p, uint32_t length, unsigned modes, int32_t rc = 1);
constexpr unsigned kAllModes = 7;
STANDIN_API void refuse_sqlca(int32_t rc);              // sqloincaChkptr returns rc (0 = may write)
STANDIN_API void set_result(const std::string& native, int32_t rc);  // result of that native
// Runs inside every native call, after it is recorded and before it fills its outputs.
STANDIN_API void during_call(std::function<void(const Call&)> fn);
// Runs at the end of a native that fills outputs, after it filled them (natives that call
// notify_after_call): a test that needs particular outputs writes them here.
STANDIN_API void after_call(std::function<void(const Call&)> fn);

// ---- Observation ----
STANDIN_API const std::vector<Call>& calls();           // every recorded call, in order
STANDIN_API std::vector<Call> calls_of(const std::string& name);
STANDIN_API const std::vector<Check>& checks();          // every sqlagcptr_real call
STANDIN_API std::vector<Block> live_blocks();            // the ledger: blocks not yet released
STANDIN_API unsigned allocations();                      // memory requests since reset (granted or not)
STANDIN_API const std::vector<std::string>& faults();    // misuse seen: bad release, wrong tag, ...
STANDIN_API std::string trace();                         // every recorded call, printable
STANDIN_API uint32_t* trace_flags();                     // the table g_sqltCompTraceFlags points to

// ---- Used by the native side ----
// Records a call; string_words has bit i set when word i is a string pointer.
STANDIN_API void record(const char* name, std::vector<uint32_t> words, uint64_t string_words);
STANDIN_API void notify_during_call();
STANDIN_API void notify_after_call();
// The call recorded last, for a native to add what it saw (its record, its lists).
STANDIN_API Call& last_call();
// A string as a native reads it: up to its NUL, or up to the first byte that is not readable.
STANDIN_API Seen read_seen(const void* p);
STANDIN_API int32_t result_of(const char* native);
// Fills a status record as a native call would, when it is accessible.
STANDIN_API void fill_sqlca(void* ca, const char* native, int32_t rc);
// Whether len bytes at p are accessible in mode, from the process's real mappings.
STANDIN_API bool memory_accessible(uintptr_t p, uint32_t len, unsigned mode);

}  // namespace standin

#endif
