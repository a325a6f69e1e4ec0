// Database manager configuration natives: as the database ones, over the manager's parameters.
#include "common.h"
#include "native/config.h"
#include "natives/config_params.h"

namespace {

int32_t get(const char* name, uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    const int32_t rc = native(name, {count, word(items), word(ca)}, 0, ca);
    if (rc == 0) standin_cfg::fill_items(standin_cfg::kManagerParams, count, items, "INSTANCE");
    standin::notify_after_call();
    return rc;
}

}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE sqlfxsys(uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    return get("sqlfxsys", count, items, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlfdsys(uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    return get("sqlfdsys", count, items, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlfusys(uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    return native("sqlfusys", {count, word(items), word(ca)}, 0, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlfrsys(sqlca* ca) { return native("sqlfrsys", {word(ca)}, 0, ca); }
