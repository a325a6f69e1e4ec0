// Load and unload of the DLL. The library keeps no state, so the only work on process attach is
// to turn off thread notifications, which it would otherwise be woken for on every thread.
#include <stdint.h>

extern "C" __declspec(dllimport) int __stdcall DisableThreadLibraryCalls(void* module);

extern "C" int __stdcall DllMain(void* module, uint32_t reason, void* /*reserved*/) {
    const uint32_t kProcessAttach = 1;
    if (reason == kProcessAttach) DisableThreadLibraryCalls(module);
    return 1;
}

// The data marker: found by name, never read or written by the library. Kept in initialised
// writable data.
extern "C" {
__attribute__((section(".data"))) volatile uint32_t sqlzThisIsAQX3Library = 0;
}
