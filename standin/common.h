// Definitions shared by the stand-in modules: functions the DLL may call must realign the stack,
// since Windows code keeps only 4-byte alignment.
#ifndef QX3_STANDIN_COMMON_H
#define QX3_STANDIN_COMMON_H

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default"), force_align_arg_pointer))

#include <stdint.h>

#include "standin.h"

inline uint32_t word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

#endif
