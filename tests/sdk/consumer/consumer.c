/* Resets a database's configuration with the alias taken from a longer buffer, and checks that the
   buffer comes back whole. */
#include <stdio.h>
#include <string.h>

#include "qx3agapi.h"

int main(void) {
    char buffer[] = {'S', 'A', 'M', 'P', 'L', 'E', 'X', 'Y', 'Z'};
    struct sqlca ca;
    memset(&ca, 0, sizeof ca);
    int32_t rc = sqlgrdb(6, &ca, buffer);
    int intact = memcmp(buffer, "SAMPLEXYZ", sizeof buffer) == 0;
    printf("sqlgrdb returned %d, sqlcode %d, buffer %s\n", (int)rc, (int)ca.sqlcode, intact ? "intact" : "CHANGED");
    return rc == 0 && intact ? 0 : 1;
}
