// Probe DLL for the PE loader's own tests. Everything here exists to be
// observed from the host: which arguments arrived where, which imports were
// bound, what the base relocations did, and when the entry point ran.
//
// Built freestanding (no CRT): DllMain is the entry point and nothing else
// runs before it.

typedef int BOOL;
typedef unsigned long DWORD;
typedef void* HINSTANCE;

extern "C" {

// Imports from PROBEFAKE.dll, which the test resolver provides.
__declspec(dllimport) int __stdcall fake_add(int a, int b);
__declspec(dllimport) void __cdecl fake_log(const char* what, int value);
__declspec(dllimport) int __stdcall fake_secret(int x);  // imported by ordinal 7
__declspec(dllimport) extern int fake_counter;

// Read-only data: the loader must map it without write permission.
const int probe_const = 0x5eed;
const char probe_text[] = "probe text in read-only data";

// Data export. Both pointers need base relocations; the host checks them
// against the address the image was actually mapped at.
struct ProbeData {
    const char* text;        // -> probe_text (.rdata)
    int* self;               // -> values[0] (this object)
    const int* constant;     // -> probe_const (.rdata)
    int values[4];
};
__declspec(dllexport) ProbeData probe_data = {probe_text, &probe_data.values[0], &probe_const,
                                              {11, 22, 33, 44}};

// What DllMain returns for process attach; the host may change it.
__declspec(dllexport) int probe_main_result = 1;

// One record per DllMain call.
struct MainCall {
    HINSTANCE module;
    DWORD reason;
    void* reserved;
};
struct MainLog {
    int count;
    MainCall calls[8];
};
__declspec(dllexport) MainLog probe_mainlog;  // zero: lives in .bss

BOOL __stdcall DllMain(HINSTANCE module, DWORD reason, void* reserved)
{
    if (probe_mainlog.count < 8)
        probe_mainlog.calls[probe_mainlog.count] = MainCall{module, reason, reserved};
    ++probe_mainlog.count;
    // Imports must already be bound when the entry point runs.
    fake_log("DllMain", static_cast<int>(reason));
    return reason == 1 ? probe_main_result : 1;
}

// stdcall, three arguments: the callee pops 12 bytes. The result depends on
// the order of the arguments and goes through an imported stdcall function.
int __stdcall probe_mix(int a, int b, int c)
{
    return fake_add(a * 100, b * 10) + c;
}

// cdecl with a variable argument list: the caller pops.
int __cdecl probe_sum(int n, ...)
{
    __builtin_va_list ap;
    __builtin_va_start(ap, n);
    int total = 0;
    for (int i = 0; i < n; ++i)
        total += __builtin_va_arg(ap, int);
    __builtin_va_end(ap);
    fake_log("probe_sum", total);
    return total;
}

// Reachable by ordinal only.
int __stdcall probe_hidden(int x)
{
    return x ^ 0x1234;
}

// Goes through the imported data object.
int __stdcall probe_bump(int by)
{
    fake_counter += by;
    return fake_counter;
}

// Writes to its own read-only data. With correct page protections this
// faults; the host test expects the fault.
void __stdcall probe_poke_const(int value)
{
    *const_cast<volatile int*>(&probe_const) = value;
}

// Calls the function imported by ordinal.
int __stdcall probe_secret(int x)
{
    return fake_secret(x) + 1;
}

}  // extern "C"
