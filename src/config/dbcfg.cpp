// Database configuration in the legacy token-array form: get, defaults, update and reset of one
// database's configuration, named by a length-counted alias.
#include "native/config.h"
#include "config/tokens.h"
#include "frame/forward.h"
#include "frame/frame.h"

using namespace qx3;

namespace {

using GetNative = int32_t(QX3_NATIVE*)(char*, uint32_t, qx3ConfigItem*, sqlca*);

// Get and defaults: the alias is lent a terminator for the native call; the string-valued items
// are padded afterwards, whatever the native result.
int32_t get(GetNative native, const cfg::TokenSet& set, qx3_u16w aliasLen, qx3_u16w count,
            qx3ConfigItem* items, sqlca* pSqlca, char* pAlias) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term alias;
    alias.place(pAlias, zx(aliasLen));
    const int32_t rc = native(pAlias, zx(count), items, pSqlca);
    alias.restore();
    cfg::pad_items(set, items, zx(count));
    return rc;
}

// Update: every string-valued value of the set is terminated at its length for the native call,
// each terminator remembered in a restore entry of its own. An entry that cannot be had ends the
// call before the native one, with everything placed so far given back.
int32_t update(const cfg::UpdateSet& set, const char* tag, const DiagName& name, qx3_u16w aliasLen,
               qx3_u16w countWord, uint16_t* lengths, qx3ConfigItem* items, sqlca* pSqlca, char* pAlias) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Term alias;
    alias.place(pAlias, zx(aliasLen));
    const uint32_t count = zx(countWord);
    RestoreList list(tag);
    bool no_memory = false;
    // Unreadable arrays are the native call's to report: it is made with nothing terminated.
    if (count != 0 && accessible(lengths, 2 * count, kReadWrite) && accessible(items, 8 * count, kReadWrite)) {
        for (uint32_t i = 0; i < count; ++i) {
            if (!set.contains(items[i].token)) continue;
            char* value = items[i].value;
            // The length is read only for a value that is there: a null value is skipped unread.
            if (value == nullptr) continue;
            const uint32_t n = lengths[i];
            if (!accessible(value, n + 1, kReadWrite)) continue;
            if (list.push(i, static_cast<uint8_t>(value[n])) != 0) {
                no_memory = true;
                break;
            }
            value[n] = '\0';
        }
    }
    const int32_t rc = no_memory ? memory_failed(pSqlca, name) : sqlfudb(pAlias, count, items, pSqlca);
    // Each terminator is found again through the caller's item and length as they stand now; the
    // alias, terminated first, comes back last, so a value sharing its byte gives the caller's back.
    list.unwind([&](uint32_t i, uint8_t saved) { items[i].value[lengths[i]] = static_cast<char>(saved); });
    alias.restore();
    return rc;
}

}  // namespace

QX3_ENTRY(sqlgxdb, SQLGXDB,
          (qx3_u16w aliasLen, qx3_u16w count, qx3ConfigItem* items, sqlca* pSqlca, char* pAlias)) {
    return get(sqlfxdb, cfg::kDatabaseGet, aliasLen, count, items, pSqlca, pAlias);
}

QX3_ENTRY(sqlgddb, SQLGDDB,
          (qx3_u16w aliasLen, qx3_u16w count, qx3ConfigItem* items, sqlca* pSqlca, char* pAlias)) {
    return get(sqlfddb, cfg::kDatabaseGet, aliasLen, count, items, pSqlca, pAlias);
}

QX3_ENTRY(sqlgxdbc, SQLGXDBC,
          (uint32_t, qx3_u16w aliasLen, qx3_u16w count, qx3ConfigItem* items, sqlca* pSqlca, uint32_t,
           char* pAlias)) {
    return get(sqlfxdb, cfg::kDatabaseExtendedGet, aliasLen, count, items, pSqlca, pAlias);
}

QX3_ENTRY(sqlgudb, SQLGUDB,
          (qx3_u16w aliasLen, qx3_u16w count, uint16_t* lengths, qx3ConfigItem* items, sqlca* pSqlca,
           char* pAlias)) {
    return update(cfg::kDatabaseUpdate, "sqlgcfg", diag("sqlgudb"), aliasLen, count, lengths, items, pSqlca,
                  pAlias);
}

QX3_ENTRY(sqlgeudb, SQLGEUDB,
          (uint32_t, qx3_u16w aliasLen, qx3_u16w count, uint16_t* lengths, qx3ConfigItem* items, sqlca* pSqlca,
           uint32_t, char* pAlias)) {
    return update(cfg::kDatabaseExtendedUpdate, "sqlgeudb", diag("sqlgeudb"), aliasLen, count, lengths, items,
                  pSqlca, pAlias);
}

// Reset: the alias is the only string; it is lent a terminator for the duration of the call.
QX3_ROUTE(sqlgrdb, sqlfrdb, framed(pass(A3, A2), A3.with(A1)))
QX3_ROUTE(sqlgrdbc, sqlfrdb, framed(pass(A5, A3), A5.with(A2)))

QX3_ENTRY(sqlgrdb, SQLGRDB, (qx3_u16w aliasLen, sqlca* pSqlca, char* pAlias)) {
    return fwd::forward<Ep::sqlgrdb>(aliasLen, pSqlca, pAlias);
}

// The two ignored words are accepted and never read.
QX3_ENTRY(sqlgrdbc, SQLGRDBC, (uint32_t ignored1, qx3_u16w aliasLen, sqlca* pSqlca, uint32_t ignored4, char* pAlias)) {
    return fwd::forward<Ep::sqlgrdbc>(ignored1, aliasLen, pSqlca, ignored4, pAlias);
}
