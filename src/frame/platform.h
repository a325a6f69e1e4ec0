// The platform services the call frame uses. Their declarations are shared with the stand-in
// native layer, so that a signature cannot drift between the two; they live with the native
// interface.
#ifndef QX3_FRAME_PLATFORM_H
#define QX3_FRAME_PLATFORM_H

#include "native/platform.h"

#endif
