// What every stand-in DLL shares: the call trace. QX3_STANDIN_TRACE names a file that receives one
// line per call into the native layer, as name(0x1 "text", 0x2, ...), each string shown as the
// native saw it during the call. Only msvcrt is used, so that the DLLs need nothing else.
#ifndef QX3_STANDIN_DLL_TRACE_H
#define QX3_STANDIN_DLL_TRACE_H

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "qx3agapi.h"

#define STANDIN_DLL extern "C" __declspec(dllexport)

namespace standin_dll {

inline void put_hex(FILE* f, uint32_t v) {
    char buf[12] = "0x";
    int n = 2;
    bool started = false;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const unsigned d = (v >> shift) & 0xf;
        if (d || started || shift == 0) buf[n++] = "0123456789abcdef"[d], started = true;
    }
    buf[n] = 0;
    fputs(buf, f);
}

// words[i] is shown as a string when bit i of `strings` is set and the word is not null.
inline void trace(const char* name, const uint32_t* words, unsigned n, uint64_t strings) {
    const char* path = getenv("QX3_STANDIN_TRACE");
    if (path == nullptr || *path == 0) return;
    FILE* f = fopen(path, "a");
    if (f == nullptr) return;
    fputs(name, f);
    fputs("(", f);
    for (unsigned i = 0; i < n; ++i) {
        if (i) fputs(", ", f);
        put_hex(f, words[i]);
        if ((strings >> i & 1) && words[i]) {
            fputs(" \"", f);
            fputs(reinterpret_cast<const char*>(static_cast<uintptr_t>(words[i])), f);
            fputs("\"", f);
        }
    }
    fputs(")\n", f);
    fclose(f);
}

// A status record as a successful native call leaves it.
inline void fill_sqlca(sqlca* ca, int32_t rc) {
    if (ca == nullptr) return;
    const char id[8] = {'S', 'Q', 'L', 'C', 'A', ' ', ' ', ' '};
    for (int i = 0; i < 8; ++i) ca->sqlcaid[i] = id[i];
    ca->sqlcabc = sizeof(sqlca);
    ca->sqlcode = rc;
}

}  // namespace standin_dll

// natives.cpp is linked beside one of the others and leaves the entry point to it.
#ifndef STANDIN_NO_DLLMAIN
extern "C" int __stdcall DllMain(void*, uint32_t, void*) { return 1; }
#endif

#endif
