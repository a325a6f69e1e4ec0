// Rollforward, recover and archive log, and the recovery history.
#ifndef QX3AGAPI_RECOVERY_H
#define QX3AGAPI_RECOVERY_H

#include "qx3agapi.h"

#endif
