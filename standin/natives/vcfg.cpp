// Versioned configuration natives. The native request names a database when its alias is set, the
// manager otherwise; a successful get writes a NUL-terminated value into the buffer of every
// string-valued parameter it knows (the request carries no buffer sizes: the native knows its
// fields), and leaves the rest alone.
#include "common.h"
#include "native/config.h"
#include "natives/config_params.h"

namespace {

template <size_t N>
void fill(const standin_cfg::Param (&params)[N], const qx3CfgParm* request, const char* owner) {
    for (uint32_t i = 0; request->items != nullptr && i < request->count; ++i) {
        const qx3CfgItem& item = request->items[i];
        if (const standin_cfg::Param* p = standin_cfg::find(params, item.token))
            standin_cfg::write_value(item.value, *p, owner);
    }
}

}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE qx3CfgGet(uint32_t version, qx3CfgParm* request, sqlca* ca) {
    const int32_t rc = native("qx3CfgGet", {version, word(request), word(ca)}, 0, ca);
    if (rc == 0 && request != nullptr) {
        if (request->alias != nullptr)
            fill(standin_cfg::kDatabaseParams, request, "DATABASE");
        else
            fill(standin_cfg::kManagerParams, request, "INSTANCE");
    }
    standin::notify_after_call();
    return rc;
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3CfgSet(uint32_t version, qx3CfgParm* request, sqlca* ca) {
    return native("qx3CfgSet", {version, word(request), word(ca)}, 0, ca);
}
