// Example client: what a program with length-counted strings does to reset a database's
// configuration. The alias "SAMPLE" sits in a larger buffer with no NUL after it; the library lends
// it one for the duration of the call and gives the byte back.
#include <stdio.h>
#include <string.h>

#include "qx3agapi.h"
#include "standin.h"

int main() {
    char buffer[] = {'S', 'A', 'M', 'P', 'L', 'E', 'X', 'Y', 'Z', '!'};
    const qx3_u16w length = 6;
    sqlca ca;
    memset(&ca, 0, sizeof ca);

    standin::reset();
    // Look at the buffer from inside the native call, while the terminator is in place.
    standin::during_call([&](const standin::Call&) {
        printf("during the call, the caller's buffer holds:");
        for (char c : buffer) printf(c ? " '%c'" : " NUL", c);
        printf("\n");
    });

    const int32_t rc = sqlgrdb(length, &ca, buffer);

    for (const standin::Call& c : standin::calls_of("sqlfrdb"))
        printf("sqlfrdb saw alias \"%s\" and sqlca %s\n", standin::show(c.strings[0]).c_str(),
               c.words[1] == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ca)) ? "(the caller's)" : "(another)");
    printf("sqlgrdb returned %d, sqlcode %d\n", rc, ca.sqlcode);
    printf("after the call, the caller's buffer holds: ");
    for (char c : buffer) printf(c ? "%c" : "\\0", c);
    printf("\n");
    const bool intact = memcmp(buffer, "SAMPLEXYZ!", sizeof buffer) == 0;
    printf("buffer %s\n", intact ? "given back byte for byte" : "CHANGED");
    return intact && rc == 0 ? 0 : 1;
}
