// Directories and catalog: node catalog, database catalog and creation, gateway directory entries.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_CATALOG_H
#define QX3AGAPI_CATALOG_H


#endif
