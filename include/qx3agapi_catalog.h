// Directories and catalog: node catalog, database catalog and creation, gateway directory entries.
#ifndef QX3AGAPI_CATALOG_H
#define QX3AGAPI_CATALOG_H

#include "qx3agapi.h"

#endif
