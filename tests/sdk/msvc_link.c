/* An MSVC-style object that calls the library through its decorated stdcall name and takes the
   address of an undecorated alias, linked with no C runtime. */
#include "qx3agapi.h"

int __cdecl SQLGRDB(void);

int mainCRTStartup(void) {
    struct sqlca ca;
    char alias[] = "SAMPLE";
    return sqlgrdb(6, &ca, alias) + (int)(long)&SQLGRDB;
}
