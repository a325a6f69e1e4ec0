// Catalog natives. Node and database catalog calls record their words and the records' texts as
// they read them; the gateway fetches write what a directory would hold: NUL-terminated texts.
#include "natives/seen_lists.h"
#include "native/catalog.h"

namespace {
constexpr uint64_t S(unsigned word) { return uint64_t{1} << word; }

void item(standin::Call& c, const std::string& label, const char* text, size_t width) {
    c.items.push_back(label + "=" + standin::show(seen::field(text, width)));
}

void note_entry(standin::Call& c, const sqlgGatewayEntry* e, bool all) {
    if (e == nullptr || !seen::readable(e, sizeof *e)) return;
    c.record = seen::bytes(e, sizeof *e);
    if (e->iStructId != QX3_GATEWAY_ID) return;
    if (all) item(c, "text1", e->text1, sizeof e->text1);
    item(c, "name1", e->name1, sizeof e->name1);
    if (!all) return;
    item(c, "text2", e->text2, sizeof e->text2);
    item(c, "name2", e->name2, sizeof e->name2);
    item(c, "text3", e->text3, sizeof e->text3);
}

// What the directory holds for an entry: texts shorter than their fields, NUL-terminated.
void fill_entry(sqlgGatewayEntry* e, unsigned n) {
    if (!standin::memory_accessible(reinterpret_cast<uintptr_t>(e), sizeof *e, 2)) return;
    e->iStructId = QX3_GATEWAY_ID;
    const std::string k = std::to_string(n);
    seen::put_text(e->text1, sizeof e->text1, ("Gateway " + k).c_str());
    seen::put_text(e->name1, sizeof e->name1, ("GW" + k).c_str());
    seen::put_text(e->text2, sizeof e->text2, "host.example");
    seen::put_text(e->name2, sizeof e->name2, "NODE" );
    seen::put_text(e->text3, sizeof e->text3, "parameters");
}

int32_t by_name(const char* name, sqlgGatewayEntry* e, sqlca* ca, bool fills) {
    standin::record(name, {word(e), word(ca)}, 0);
    note_entry(standin::last_call(), e, false);
    standin::notify_during_call();
    const int32_t rc = standin::result_of(name);
    if (fills && rc == 0 && e != nullptr) {
        char name1[9];
        memcpy(name1, e->name1, sizeof name1);
        fill_entry(e, 1);
        memcpy(e->name1, name1, sizeof name1);
    }
    standin::fill_sqlca(ca, name, rc);
    standin::notify_after_call();
    return rc;
}
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE sqlectnd_api(sqlgNodeDescriptor* node, void* proto, sqlca* ca) {
    standin::record("sqlectnd_api", {word(node), word(proto), word(ca)}, 0);
    standin::Call& c = standin::last_call();
    if (node != nullptr && seen::readable(node, sizeof *node)) {
        c.record = seen::bytes(node, sizeof *node);
        item(c, "text", node->text, sizeof node->text);
        item(c, "name", node->name, sizeof node->name);
    }
    return seen::finish("sqlectnd_api", ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlecadb_api(char* s6, char* s5, uint32_t b, char* s4, char* s3, char* s2,
                                               uint32_t h, char* s1, sqlca* ca) {
    return native("sqlecadb_api", {word(s6), word(s5), b, word(s4), word(s3), word(s2), h, word(s1), word(ca)},
                  S(0) | S(1) | S(3) | S(4) | S(5) | S(7), ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlectdd_api(char* s5, char* s4, uint32_t b, char* s3, char* s2, char* s1,
                                               uint32_t h, sqlca* ca) {
    return native("sqlectdd_api", {word(s5), word(s4), b, word(s3), word(s2), word(s1), h, word(ca)},
                  S(0) | S(1) | S(3) | S(4) | S(5), ca);
}

namespace {
void note_create(standin::Call& c, const sqlgDbDescriptor* d, const sqlgShortTexts* t) {
    if (d != nullptr && seen::readable(d, sizeof *d)) {
        item(c, "text1", d->text1, sizeof d->text1 + sizeof d->text2);
        item(c, "text2", d->text2, sizeof d->text2);
    }
    if (t != nullptr && seen::readable(t, sizeof *t)) {
        item(c, "text3", t->text3, sizeof t->text3);
        item(c, "text4", t->text4, sizeof t->text4);
    }
}
}  // namespace

STANDIN_EXPORT int32_t QX3_NATIVE sqlecrea_api(char* s3, char* s2, char* s1, sqlgDbDescriptor* d, sqlgShortTexts* t,
                                               uint32_t z1, uint32_t z2, sqlca* ca) {
    standin::record("sqlecrea_api", {word(s3), word(s2), word(s1), word(d), word(t), z1, z2, word(ca)},
                    S(0) | S(1) | S(2));
    note_create(standin::last_call(), d, t);
    return seen::finish("sqlecrea_api", ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqledbcr_api(char* s2, char* s1, sqlgDbDescriptor* d, uint32_t h, sqlgShortTexts* t,
                                               sqlca* ca) {
    standin::record("sqledbcr_api", {word(s2), word(s1), word(d), h, word(t), word(ca)}, S(0) | S(1));
    note_create(standin::last_call(), d, t);
    return seen::finish("sqledbcr_api", ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE qx3UpdateAlternateServerForDB(uint32_t version, qx3UpdateAltServerStruct* p,
                                                                sqlca* ca) {
    standin::record("qx3UpdateAlternateServerForDB", {version, word(p), word(ca)}, 0);
    standin::Call& c = standin::last_call();
    c.record = seen::bytes(p, sizeof *p);
    if (!c.record.empty()) {
        c.items.push_back("string1=" + standin::show(standin::read_seen(p->piString1)));
        c.items.push_back("string2=" + standin::show(standin::read_seen(p->piString2)));
        c.items.push_back("string3=" + standin::show(standin::read_seen(p->piString3)));
    }
    return seen::finish("qx3UpdateAlternateServerForDB", ca);
}

STANDIN_EXPORT int32_t QX3_NATIVE sqlegdad_api(sqlgGatewayEntry* e, sqlca* ca) {
    standin::record("sqlegdad_api", {word(e), word(ca)}, 0);
    note_entry(standin::last_call(), e, true);
    return seen::finish("sqlegdad_api", ca);
}
STANDIN_EXPORT int32_t QX3_NATIVE sqlegdel_api(sqlgGatewayEntry* e, sqlca* ca) { return by_name("sqlegdel_api", e, ca, true); }
STANDIN_EXPORT int32_t QX3_NATIVE sqlegdge_api(sqlgGatewayEntry* e, sqlca* ca) { return by_name("sqlegdge_api", e, ca, true); }

// The directory holds three entries.
STANDIN_EXPORT int32_t QX3_NATIVE sqlegdgt_api(int16_t* count, sqlgGatewayEntry* entries, sqlca* ca) {
    standin::record("sqlegdgt_api", {word(count), word(entries), word(ca)}, 0);
    standin::notify_during_call();
    const int32_t rc = standin::result_of("sqlegdgt_api");
    if (rc == 0 && count != nullptr && entries != nullptr) {
        *count = 3;
        for (unsigned i = 0; i < 3; ++i) fill_entry(&entries[i], i);
    }
    standin::fill_sqlca(ca, "sqlegdgt_api", rc);
    standin::notify_after_call();
    return rc;
}
