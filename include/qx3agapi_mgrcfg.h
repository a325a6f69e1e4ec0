// Database manager configuration: legacy token-array calls on the instance-wide configuration.
// The items and value lengths are those of the database calls (qx3agapi_dbcfg.h).
// The shared header first, outside the guard: it declares every family, this one included, so the
// types this family takes from another are complete whichever header a program names first.
#include "qx3agapi.h"

#ifndef QX3AGAPI_MGRCFG_H
#define QX3AGAPI_MGRCFG_H

#include "qx3agapi_dbcfg.h"

// Get the current values / the defaults of the listed parameters; string-valued parameters come
// back blank-padded to their field size.
QX3_EXTERN_C int32_t QX3_API sqlgxsys(qx3_u16w count, struct qx3ConfigItem* items, struct sqlca* pSqlca);
QX3_EXTERN_C int32_t QX3_API sqlgdsys(qx3_u16w count, struct qx3ConfigItem* items, struct sqlca* pSqlca);

// Update the listed parameters; lengths[i] is the length of item i's value when it is string-valued.
QX3_EXTERN_C int32_t QX3_API sqlgusys(qx3_u16w count, uint16_t* lengths, struct qx3ConfigItem* items,
                                      struct sqlca* pSqlca);

// Reset the manager's configuration.
QX3_EXTERN_C int32_t QX3_API sqlgrsys(struct sqlca* pSqlca);

#endif
