// Database configuration natives. A successful get or defaults call writes a NUL-terminated value
// into the buffer of every string-valued item; a failing one writes nothing.
#include "common.h"
#include "native/config.h"
#include "natives/config_params.h"

namespace {

int32_t get(const char* name, char* alias, uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    const int32_t rc = native(name, {word(alias), count, word(items), word(ca)}, 1, ca);
    // The alias as it was seen (an unterminated one is not read past its accessible bytes again).
    const standin::Seen& seen = standin::calls().back().strings[0];
    const std::string owner = seen.terminated ? seen.text : "DATABASE";
    if (rc == 0) standin_cfg::fill_items(standin_cfg::kDatabaseParams, count, items, owner.c_str());
    standin::notify_after_call();
    return rc;
}

}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE sqlfxdb(char* alias, uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    return get("sqlfxdb", alias, count, items, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlfddb(char* alias, uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    return get("sqlfddb", alias, count, items, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlfudb(char* alias, uint32_t count, qx3ConfigItem* items, sqlca* ca) {
    return native("sqlfudb", {word(alias), count, word(items), word(ca)}, 1, ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlfrdb(char* alias, sqlca* ca) { return native("sqlfrdb", {word(alias), word(ca)}, 1, ca); }
