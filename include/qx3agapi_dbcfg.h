// Database configuration: legacy token-array calls on one database's configuration.
#ifndef QX3AGAPI_DBCFG_H
#define QX3AGAPI_DBCFG_H

#include "qx3agapi.h"

// Reset the configuration of the database named by a length-counted alias.
QX3_EXTERN_C int32_t QX3_API sqlgrdb(qx3_u16w aliasLen, struct sqlca* pSqlca, char* pAlias);

#endif
