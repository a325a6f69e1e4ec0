// Database configuration in the legacy token-array form.
#include "config/natives.h"
#include "frame/frame.h"

using namespace qx3;

// Reset: the alias is the only string; it is lent a terminator for the duration of the call.
QX3_ENTRY(sqlgrdb, SQLGRDB, (qx3_u16w aliasLen, sqlca* pSqlca, char* pAlias)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term alias;
    alias.place(pAlias, zx(aliasLen));
    int32_t rc = sqlfrdb(pAlias, pSqlca);
    alias.restore();
    return rc;
}
