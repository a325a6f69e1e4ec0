// Instance start and stop, and the partitioned-database services.
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_INSTANCE_H
#define QX3AGAPI_INSTANCE_H


#endif
