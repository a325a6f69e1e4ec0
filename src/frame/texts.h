// Returned texts that a native call leaves in a fixed field of its own record and that go back into
// a caller's buffer of the caller's length, to be blank-padded there (pad_field).
#ifndef QX3_FRAME_TEXTS_H
#define QX3_FRAME_TEXTS_H

#include <string.h>

#include "frame.h"

namespace qx3 {

// Copies `length` bytes of the field into the caller's buffer, but never reads past the field's
// `width`: a caller's length beyond the field gets the whole field, and its buffer is then padded
// over the whole length all the same. A null buffer gets nothing.
inline void copy_returned(char* to, uint32_t length, const char* field, uint32_t width) {
    if (to != nullptr) memcpy(to, field, length < width ? length : width);
}

}  // namespace qx3

#endif
