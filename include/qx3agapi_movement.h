// Data movement: load, load query, export and import.
#ifndef QX3AGAPI_MOVEMENT_H
#define QX3AGAPI_MOVEMENT_H

#include "qx3agapi.h"

#endif
