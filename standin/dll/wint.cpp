// QX3WINT stand-in DLL: the component trace-flags word, pointing at a table with every flag clear
// (no component is traced).
#include "trace.h"

namespace {
uint32_t flags[256];
}

extern "C" {
__declspec(dllexport) uint32_t* g_sqltCompTraceFlags = flags;
}
