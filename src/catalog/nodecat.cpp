// Node catalog: the node descriptor and its protocol record carry blank-padded text fields, each
// with a spare byte behind it; every one is lent a NUL after its last non-blank character for the
// native call. Which fields the protocol record has depends on the descriptor's protocol code.
#include "native/catalog.h"
#include "frame/frame.h"

using namespace qx3;

namespace {

// A protocol record layout: the size it is checked over, and its text fields in order of
// terminating.
struct ProtocolLayout {
    uint32_t checked;  // 0: the record has no text fields and is passed on untouched
    uint8_t fields;
    uint16_t offset[4];
    uint16_t width[4];
};

constexpr ProtocolLayout kNone = {0, 0, {}, {}};
constexpr ProtocolLayout kLong = {271, 2, {0, 256}, {255, 14}};
constexpr ProtocolLayout kLayouts[] = {
    {27, 3, {0, 9, 18}, {8, 8, 8}},           // 0
    {12, 1, {2}, {8}},                        // 1
    {126, 4, {0, 9, 18, 27}, {8, 8, 8, 8}},   // 2
    kLong,                                    // 3
    {12, 1, {0}, {8}},                        // 4
    kNone,                                    // 5
    kNone,                                    // 6
    {25, 2, {0, 16}, {15, 8}},                // 7
    kNone,                                    // 8
    kLong,                                    // 9
    kLong,                                    // 10
};

const ProtocolLayout& layout_of(uint8_t protocol) {
    return protocol < sizeof kLayouts / sizeof kLayouts[0] ? kLayouts[protocol] : kNone;
}

}  // namespace

QX3_ENTRY(sqlgctnd, SQLGCTND, (sqlca* pSqlca, sqlgNodeDescriptor* pNode, void* pProtocol)) {
    if (!app_data_ready()) return app_data_failed(pSqlca);
    Trimmed text, name;
    Trimmed proto[4];
    const bool node_ok = pNode != nullptr && accessible(pNode, sizeof *pNode, kRead);
    bool proto_ok = false;
    if (node_ok) {
        if (pNode->iStructId == QX3_NODE_ID) {
            text.place(pNode->text, 30);
            name.place(pNode->name, 8);
        }
        const ProtocolLayout& l = layout_of(pNode->iProtocol);
        proto_ok = l.checked != 0 && pProtocol != nullptr && accessible(pProtocol, l.checked, kRead);
        if (proto_ok)
            for (uint32_t i = 0; i < l.fields; ++i) proto[i].place(static_cast<char*>(pProtocol) + l.offset[i], l.width[i]);
    }
    const int32_t rc = sqlectnd_api(pNode, pProtocol, pSqlca);
    if (node_ok) {
        if (pNode->iStructId == QX3_NODE_ID) {
            text.restore();
            name.restore();
        }
        // The protocol code is read again; only fields that were lent a NUL hold a slot.
        const ProtocolLayout& l = layout_of(pNode->iProtocol);
        if (proto_ok)
            for (uint32_t i = 0; i < l.fields; ++i) proto[i].restore();
    }
    return rc;
}
