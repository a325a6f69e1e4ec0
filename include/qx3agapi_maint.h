// Maintenance utilities: runstats, reorg and inspect.
#ifndef QX3AGAPI_MAINT_H
#define QX3AGAPI_MAINT_H

#include "qx3agapi.h"

#endif
