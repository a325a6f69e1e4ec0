// Instance start and stop, and the partitioned-database services.
#ifndef QX3AGAPI_INSTANCE_H
#define QX3AGAPI_INSTANCE_H

#include "qx3agapi.h"

#endif
