// Database manager configuration: the manager's token sets and the update's entries for items
// that get no terminator.
#include <string.h>

#include "support/config.h"
#include "support/conformance.h"

using namespace qx3test;
using namespace qx3test::config;

namespace {

constexpr bool Y = true, N = false;

// The manager's string-valued tokens, written down independently of the library's tables. Size 0:
// an update-only token, never padded.
struct MgrToken {
    uint16_t token;
    uint16_t size;
    bool dsys;
    bool xsys;
    bool usys;
};
const MgrToken kMgrTokens[] = {
    {7, 9, Y, Y, Y},         {24, 15, Y, Y, Y},       {25, 65, Y, Y, Y},       {27, 216, Y, Y, Y},
    {28, 26, Y, Y, Y},       {39, 0, N, N, Y},        {47, 49, Y, Y, Y},       {48, 49, Y, Y, Y},
    {62, 0, N, N, Y},        {63, 0, N, N, Y},        {65, 216, Y, Y, Y},      {66, 20, Y, Y, Y},
    {67, 9, Y, Y, Y},        {71, 5, Y, Y, Y},        {74, 256, Y, Y, Y},      {75, 256, Y, Y, Y},
    {76, 256, Y, Y, Y},      {77, 32, Y, Y, Y},       {92, 9, Y, Y, Y},        {305, 36, Y, Y, Y},
    {311, 256, Y, Y, Y},     {313, 227, Y, Y, Y},     {844, 129, Y, Y, N},     {845, 129, Y, Y, N},
    {846, 129, Y, Y, N},     {941, 216, N, Y, Y},     {969, 216, N, Y, Y},     {10123, 216, N, Y, N},
    {10124, 216, N, Y, N},   {10125, 216, N, Y, N},   {10145, 256, N, Y, Y},   {10181, 256, N, Y, Y},
    {10187, 256, N, Y, Y},
};

}  // namespace

class MgrCfgTokenSets : public TokenSetTest {};

TEST_P(MgrCfgTokenSets, GetsPadExactlyTheirOwnSetToItsFieldSizes) {
    ExpectGetPads("sqlgdsys", probe_tokens(column(kMgrTokens, &MgrToken::dsys)));
    ExpectGetPads("sqlgxsys", probe_tokens(column(kMgrTokens, &MgrToken::xsys)));
}

TEST_P(MgrCfgTokenSets, UpdateTerminatesExactlyItsOwnSet) {
    ExpectUpdateTerminates("sqlgusys", probe_tokens(column(kMgrTokens, &MgrToken::usys)));
}

QX3_BACKENDS(MgrCfgTokenSets);

class MgrCfgUpdate : public ConfigTest {};

// Every string-valued item gets an entry (index, position or -1, displaced byte), terminated or
// not; only terminated ones are written back.
TEST_P(MgrCfgUpdate, ItemsWithoutTerminatorStillTakeAnEntry) {
    enum class Value { Good, Null, CheckFails };
    const struct {
        uint16_t token;
        Value value;
        unsigned entries;
        bool terminated;
    } rows[] = {{39, Value::Good, 1, true}, {39, Value::Null, 1, false}, {63, Value::CheckFails, 1, false},
                {844, Value::Good, 0, false} /* padded by the gets only */, {40, Value::Good, 0, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE("token " + std::to_string(row.token) + " value " + std::to_string(static_cast<int>(row.value)));
        next_row();
        LegacyRequest r(1);
        Guarded& v = r.own(0, row.token, 4, 3);
        if (row.value == Value::Null) r.items()[0].value = nullptr;
        standin::checks_active(true);
        if (row.value == Value::CheckFails) standin::fail_checks(v.data(), 4, standin::mode_bit(3));
        const auto before = r.snapshot();
        Bytes during, entry;
        standin::during_call([&](const standin::Call&) {
            during = v.bytes();
            for (const standin::Block& b : standin::live_blocks())
                entry.assign(reinterpret_cast<uint8_t*>(b.p), reinterpret_cast<uint8_t*>(b.p) + 9);
        });
        Status st;
        EXPECT_EQ(call("sqlgusys", 1u, r.lengths(), r.items(), st.ca()), 0);
        Bytes expect = before[2];
        if (row.terminated) expect[3] = 0;
        EXPECT_TRUE(SameBytes(expect, during.data(), during.size()));
        EXPECT_TRUE(r.Unchanged(before));
        EXPECT_EQ(standin::allocations(), row.entries);
        if (row.entries == 0) continue;
        const int32_t pos = row.terminated ? 3 : -1;
        Bytes expect_entry(9, 0);
        memcpy(&expect_entry[4], &pos, 4);
        expect_entry[8] = row.terminated ? before[2][3] : entry[8];
        EXPECT_TRUE(SameBytes(expect_entry, entry.data(), entry.size()));
    }
}

QX3_BACKENDS(MgrCfgUpdate);

using namespace qx3test::conf;

// ---- Every entry point against its row ------------------------------------------------------------

// Items: a string token (7, padded over 9 bytes by the gets) and a numeric one (1).
QX3_CONFORMANCE(ManagerConfigRows,
    {.name = "sqlgxsys", .words = "urc", .native = "sqlfxsys", .args = "z1 2 3",
     .recs = {R(2, 16), RF(1, 4, 9), RF(1, 12, 4)},
     .vals = {{W(1), 0x66660002}, {F(1, 0), 7, 2}, {F(1, 8), 1, 2}},
     .outs = {{F(2, 0), 9}, {F(3, 0), 4}}},
    {.name = "sqlgdsys", .words = "urc", .native = "sqlfdsys", .args = "z1 2 3",
     .recs = {R(2, 16), RF(1, 4, 9), RF(1, 12, 4)},
     .vals = {{W(1), 0x66660002}, {F(1, 0), 7, 2}, {F(1, 8), 1, 2}},
     .outs = {{F(2, 0), 9}, {F(3, 0), 4}}},
    // The update takes an entry for every string item, terminated or not: tokens 7 and 39 here.
    {.name = "sqlgusys", .words = "urrc", .native = "sqlfusys", .args = "z1 3 4",
     .recs = {R(2, 6), R(3, 24), RF(2, 12, 4)},
     .strings = {{F(2, 4), F(1, 0)}, {F(2, 20), F(1, 4)}},
     .vals = {{W(1), 0x55550003}, {F(2, 0), 7, 2}, {F(2, 8), 1, 2},
              {F(2, 16), 39, 2}},
     .mem = {.errp = "sqlgusys"}},
    {.name = "sqlgrsys", .words = "c", .native = "sqlfrsys", .args = "1", .app = App::None});
