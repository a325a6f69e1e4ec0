// The name of a faulty parameter, for the entry points that report one: the name is kept in a
// small zero-filled buffer of the call's and appended to the status record's message tokens.
#ifndef QX3_FRAME_PARAMS_H
#define QX3_FRAME_PARAMS_H

#include <stdint.h>

#include "frame.h"

namespace qx3 {

// The longest parameter name and its NUL fit with room to spare.
struct ParamName {
    char c[20] = {};
    void set(const char* name) {
        uint32_t i = 0;
        for (; i + 1 < sizeof c && name[i] != '\0'; ++i) c[i] = name[i];
        for (; i < sizeof c; ++i) c[i] = '\0';
    }
    uint32_t length() const {
        uint32_t n = 0;
        while (n < sizeof c && c[n] != '\0') ++n;
        return n;
    }
};

// How much sqlerrml grows by: the characters that found room, or the whole name whatever fitted.
enum class Grow : uint8_t { Written, WholeName };

// Appends the name at sqlerrmc[sqlerrml], without separator or terminator, writing only inside the
// 70 bytes of sqlerrmc; a length already outside them (or negative) leaves sqlerrmc as it is.
inline void append_param_name(sqlca* ca, const ParamName& name, Grow grow) {
    const int32_t at = ca->sqlerrml;
    const uint32_t n = name.length();
    uint32_t written = 0;
    if (at >= 0) {
        for (uint32_t i = 0; i < n && static_cast<uint32_t>(at) + i < sizeof ca->sqlerrmc; ++i, ++written)
            ca->sqlerrmc[static_cast<uint32_t>(at) + i] = name.c[i];
    }
    ca->sqlerrml = static_cast<int16_t>(at + static_cast<int32_t>(grow == Grow::Written ? written : n));
}

}  // namespace qx3

#endif
