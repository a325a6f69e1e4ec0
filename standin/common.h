// Definitions shared by the stand-in modules: functions the DLL may call must realign the stack,
// since Windows code keeps only 4-byte alignment.
#ifndef QX3_STANDIN_COMMON_H
#define QX3_STANDIN_COMMON_H

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default"), force_align_arg_pointer))

#include <stdint.h>

#include "standin.h"

inline uint32_t word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// The common shape of a native entry point: record what it saw (argument words, and the text at
// each word whose bit is set in `strings`), run the test's in-call hook, take the result the test
// set (0 by default) and fill the status record with it. Outputs particular to a native are
// filled by the native itself after this returns.
inline int32_t native(const char* name, std::vector<uint32_t> words, uint64_t strings, void* ca) {
    standin::record(name, std::move(words), strings);
    standin::notify_during_call();
    const int32_t rc = standin::result_of(name);
    standin::fill_sqlca(ca, name, rc);
    return rc;
}

#endif
