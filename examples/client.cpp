// Example client: what a program with length-counted strings does to reset a database's
// configuration, then to read one of its string parameters. The alias "SAMPLE" sits in a larger
// buffer with no NUL after it; the library lends it one for the duration of each call and gives the
// byte back. The parameter comes back as a fixed-size field, blank-padded, with no NUL.
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

    // Read parameter 105, a string of a 13-byte field, through the token-array get.
    standin::during_call(nullptr);
    char field[13];
    memset(field, '#', sizeof field);
    qx3ConfigItem item;
    memset(&item, 0, sizeof item);
    item.token = 105;
    item.value = field;
    const int32_t get_rc = sqlgxdb(length, 1, &item, &ca, buffer);
    for (const standin::Call& c : standin::calls_of("sqlfxdb"))
        printf("sqlfxdb saw alias \"%s\" and %u item(s)\n", standin::show(c.strings[0]).c_str(), c.words[1]);
    printf("sqlgxdb returned %d; parameter 105 as a %u-byte field: [", get_rc, static_cast<unsigned>(sizeof field));
    for (char c : field) printf(c ? "%c" : "\\0", c);
    printf("]\n");
    const bool padded = memchr(field, '\0', sizeof field) == nullptr && field[sizeof field - 1] == ' ';
    printf("field %s\n", padded ? "blank-padded, no NUL" : "NOT PADDED");
    const bool intact_again = memcmp(buffer, "SAMPLEXYZ!", sizeof buffer) == 0;
    printf("buffer %s\n", intact_again ? "given back byte for byte again" : "CHANGED");
    return intact && intact_again && padded && rc == 0 && get_rc == 0 ? 0 : 1;
}
