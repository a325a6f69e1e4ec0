// QX3WINT stand-in: the component trace-flags word. Tests set the flags through
// standin::trace_flags(); all clear means no tracing.
#include "common.h"

extern "C" {
__attribute__((visibility("default"))) uint32_t* g_sqltCompTraceFlags = standin::trace_flags();
}
