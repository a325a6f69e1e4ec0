// The probe DLL of the loader's tests, built without a C runtime (DllMain is the entry point and runs
// only when a test attaches). It holds what the tests edit, protect and look up: code, constant data,
// data with relocated pointers, zeroed data, imports from PROBEFAKE.dll (an import library only) by
// name and by ordinal, and exports by name, by ordinal only and forwarded (probe.def).
extern "C" {

__declspec(dllimport) int __stdcall fake_add(int a, int b);
__declspec(dllimport) int __stdcall fake_secret(int x);  // imported by ordinal 7

const int probe_const = 0x5eed;
const int* probe_data[] = {&probe_const, &probe_const};
int probe_zeroed[64];
int probe_named = 0x0b1e;
int probe_hidden = 0x41dd;

int __stdcall DllMain(void*, unsigned long reason, void*)
{
    return fake_add(fake_secret(*probe_data[reason & 1]), probe_zeroed[reason & 63]);
}

}  // extern "C"
