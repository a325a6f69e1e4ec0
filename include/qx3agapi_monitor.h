// The snapshot monitor and the availability controls: high availability, quiesce, restart, activation.
#ifndef QX3AGAPI_MONITOR_H
#define QX3AGAPI_MONITOR_H

#include "qx3agapi.h"

#endif
