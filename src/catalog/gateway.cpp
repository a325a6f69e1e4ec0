// Gateway directory entries: blank-padded fields are trimmed for the native on the way in and
// padded again on the way out.
#include "native/catalog.h"
#include "frame/frame.h"

using namespace qx3;

namespace {

bool entry_usable(const sqlgGatewayEntry* e) { return e != nullptr && accessible(e, sizeof *e, kRead); }

// The five fields in the order the native reads them.
void pad_entry(sqlgGatewayEntry* e) {
    pad_field(e->text1, sizeof e->text1);
    pad_field(e->name1, sizeof e->name1);
    pad_field(e->text2, sizeof e->text2);
    pad_field(e->name2, sizeof e->name2);
    pad_field(e->text3, sizeof e->text3);
}

// Delete and fetch name their entry by name 1 and may hand back the other fields; with a warning
// in the status record those come back padded.
int32_t by_name(int32_t(QX3_NATIVE* native)(sqlgGatewayEntry*, sqlca*), sqlgGatewayEntry* pEntry, sqlca* pSqlca) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    if (!entry_usable(pEntry)) return native(pEntry, pSqlca);
    Trimmed name1;
    if (pEntry->iStructId == QX3_GATEWAY_ID) name1.place(pEntry->name1, 8);
    const int32_t rc = native(pEntry, pSqlca);
    if (pEntry->iStructId == QX3_GATEWAY_ID) name1.restore();
    if (rc == 0 && pSqlca->sqlcode > 0 && pEntry->iStructId == QX3_GATEWAY_ID) {
        pad_field(pEntry->name1, sizeof pEntry->name1);
        pad_field(pEntry->text1, sizeof pEntry->text1);
        pad_field(pEntry->text2, sizeof pEntry->text2);
        pad_field(pEntry->name2, sizeof pEntry->name2);
        pad_field(pEntry->text3, sizeof pEntry->text3);
    }
    return rc;
}

}  // namespace

QX3_ENTRY(sqlggdad, SQLGGDAD, (sqlca* pSqlca, sqlgGatewayEntry* pEntry)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    const bool usable = entry_usable(pEntry);
    Trimmed f[5];
    if (usable && pEntry->iStructId == QX3_GATEWAY_ID) {
        f[0].place(pEntry->text1, 30);
        f[1].place(pEntry->name1, 8);
        f[2].place(pEntry->text2, 18);
        f[3].place(pEntry->name2, 8);
        f[4].place(pEntry->text3, 512);
    }
    const int32_t rc = sqlegdad_api(pEntry, pSqlca);
    if (usable && pEntry->iStructId == QX3_GATEWAY_ID)
        for (const Trimmed& t : f) t.restore();
    return rc;
}

QX3_ENTRY(sqlggdel, SQLGGDEL, (sqlca* pSqlca, sqlgGatewayEntry* pEntry)) { return by_name(&sqlegdel_api, pEntry, pSqlca); }

QX3_ENTRY(sqlggdge, SQLGGDGE, (sqlca* pSqlca, sqlgGatewayEntry* pEntry)) { return by_name(&sqlegdge_api, pEntry, pSqlca); }

QX3_ENTRY(sqlggdgt, SQLGGDGT, (sqlca* pSqlca, int16_t* pCount, sqlgGatewayEntry* pEntries)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    const int32_t rc = sqlegdgt_api(pCount, pEntries, pSqlca);
    if (rc == 0 && pSqlca->sqlcode >= 0 && pCount != nullptr && pEntries != nullptr) {
        // The count is read again before every entry.
        for (int16_t i = 0; i < *pCount; ++i)
            if (pEntries[i].iStructId == QX3_GATEWAY_ID) pad_entry(&pEntries[i]);
    }
    return rc;
}
