// Example client: what a program with length-counted strings does.
//
// 1. Reset a database's configuration. The alias "SAMPLE" sits in a larger buffer with no NUL after
//    it; the library lends it one for the duration of the call and gives the byte back.
// 2. Attach to a node. The node name, user and password lie one after another in a single buffer,
//    each given by its offset and length, separated by one byte that lends each its terminator.
#include <stdio.h>
#include <string.h>

#include "qx3agapi.h"
#include "standin.h"

namespace {

void print_buffer(const char* label, const char* buffer, size_t n) {
    printf("%s", label);
    for (size_t i = 0; i < n; ++i) printf(buffer[i] ? "%c" : "\\0", buffer[i]);
    printf("\n");
}

bool reset_configuration() {
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
    print_buffer("after the call, the caller's buffer holds: ", buffer, sizeof buffer);
    const bool intact = memcmp(buffer, "SAMPLEXYZ!", sizeof buffer) == 0;
    printf("buffer %s\n", intact ? "given back byte for byte" : "CHANGED");
    return intact && rc == 0;
}

bool attach() {
    static const char kText[] = "NODE7|OPERATOR|S3CRET.";
    char buffer[sizeof kText - 1];
    memcpy(buffer, kText, sizeof buffer);
    struct {
        uint32_t offset;
        qx3_u16w length;
    } node{0, 5}, user{6, 8}, password{15, 6};
    sqlca ca;
    memset(&ca, 0, sizeof ca);

    standin::reset();
    standin::during_call([&](const standin::Call&) {
        print_buffer("during the attach, the caller's buffer holds: ", buffer, sizeof buffer);
    });

    const int32_t rc = sqlgatin(node.length, user.length, password.length, &ca, buffer + node.offset,
                                buffer + user.offset, buffer + password.offset);

    // The native call takes the strings last one first.
    for (const standin::Call& c : standin::calls_of("sqleatin_api"))
        printf("sqleatin_api saw \"%s\", \"%s\", \"%s\" and sqlca %s\n", standin::show(c.strings[0]).c_str(),
               standin::show(c.strings[1]).c_str(), standin::show(c.strings[2]).c_str(),
               c.words[3] == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ca)) ? "(the caller's)" : "(another)");
    printf("sqlgatin returned %d, sqlcode %d\n", rc, ca.sqlcode);
    print_buffer("after the attach, the caller's buffer holds:  ", buffer, sizeof buffer);
    const bool intact = memcmp(buffer, kText, sizeof buffer) == 0;
    printf("buffer %s\n", intact ? "given back byte for byte" : "CHANGED");
    return intact && rc == 0;
}

}  // namespace

int main() {
    const bool reset_ok = reset_configuration();
    printf("\n");
    const bool attach_ok = attach();
    return reset_ok && attach_ok ? 0 : 1;
}
