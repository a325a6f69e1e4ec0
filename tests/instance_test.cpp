// Instance start and stop, partitioned-database services: every entry point against its row; as
// tables, the start and stop requests (terminators, native records, version byte), the inline
// strings of the partition records and the check the node addition makes before its frame.
#include <string.h>

#include <algorithm>
#include <iterator>
#include <memory>

#include "qx3agapi_instance.h"
#include "support/conformance.h"
#include "support/harness.h"

using namespace qx3test;
using namespace qx3test::conf;

QX3_CONFORMANCE(InstanceRows,
    {.name = "qx3gInstanceStart", .words = "vrc", .native = "qx3InstanceStart", .args = "1 ? 3", .version = 9060000,
     .recs = {R(2, 20), RF(1, 12, 28), RF(1, 16, 92)},
     .strings = {SF(3, 4, 0), SF(3, 24, 20), SF(3, 40, 36), EvenEmpty(SF(3, 76, 72)), SF(1, 8, 4), SF(2, 8, 4),
                 SF(2, 16, 12), SF(2, 24, 20)},
     .vals = {{F(1, 0), 1, 1}, {F(3, 68), 1, 1}, {F(3, 88), 'U', 1}}, .positive = true},
    {.name = "qx3gInstanceStop", .words = "vrc", .native = "qx3InstanceStop", .args = "1 ? 3", .version = 0,
     .recs = {R(2, 20), RF(1, 12, 28), RF(1, 16, 8)},
     .strings = {SF(3, 4, 0), SF(1, 8, 4), SF(2, 8, 4), SF(2, 16, 12), SF(2, 24, 20)},
     .vals = {{F(1, 0), 1, 1}}, .positive = true},
    {.name = "sqlgpstr", .words = "rc", .native = "sqlepstr_api", .args = "1 2", .recs = {R(1, 792)},
     .strings = {SI(1, 4, 0), SI(1, 252, 248), SI(1, 268, 264), SI(1, 536, 532)}, .positive = true},
    {.name = "sqlgpstart", .words = "rc", .native = "sqlepstart_api", .args = "1 2", .recs = {R(1, 824)},
     .strings = {Capped(SI(1, 12, 8), 235), Capped(SI(1, 264, 260), 255), Capped(SI(1, 532, 528), 255)},
     .positive = true},
    {.name = "sqlgpstp", .words = "rc", .native = "sqlepstp_api", .args = "1 2", .recs = {R(1, 520)},
     .strings = {SI(1, 4, 0)}, .positive = true},
    {.name = "sqlgstar", .words = "", .native = "sqlestar_api", .args = "", .app = App::None},
    {.name = "sqlgstdm", .words = "w", .native = "sqlestop_api", .args = "1", .app = App::None},
    {.name = "sqlgaddn", .words = "wcr", .native = "sqleaddn_api", .args = "3 2", .recs = {R(3, 16)}},
    {.name = "sqlgcran", .words = "wucws", .native = "sqlecran_api", .args = "5 4 3", .strings = {S(5, 2)}},
    {.name = "sqlgdpan", .words = "wucws", .native = "sqledpan_api", .args = "5 4 3", .strings = {S(5, 2)}},
    {.name = "sqlgdrpn", .words = "wcwu", .native = "sqledrpn_api", .args = "z4 3 2"},
    {.name = "sqlgdrdt", .words = "uuussswuwuww", .native = "sqludrdt_api", .args = "4 5 6 7 z8 9 z10 b11 12",
     .app = App::None, .strings = {S(4, 1), S(5, 2), S(6, 3)}},
    {.name = "sqlggrpi", .words = "uwwuuwwwuw", .native = "sqlugrpn_api", .args = "z1 2 3 z4 z5 6 7 8 z9 10 0 0 0",
     .app = App::None},
    {.name = "sqlggrpn", .words = "uwwuuwwwuwiww", .native = "sqlugrpn_api",
     .args = "z1 2 3 z4 z5 6 7 8 z9 10 s11 0 0", .app = App::None},
    {.name = "sqlggtpi", .words = "usww", .native = "sqlugtpi_api", .args = "2 3 4", .app = App::None,
     .strings = {S(2, 1)}});

// ---- Start and stop requests ----

namespace {

// The strings of a request in the order of terminating; stop has X (its own option string), P and
// 1 to 3. Each stands in a record (0 request, 1 options, 2 start or stop options) as a length and
// a pointer.
enum Str { X, Y, Z, U, G, P, O1, O2, O3, kStrs };
const struct {
    int rec;
    uint32_t len, ptr;
} kAt[kStrs] = {{2, 0, 4}, {2, 20, 24}, {2, 36, 40}, {2, 72, 76}, {2, 80, 84},
                {0, 4, 8}, {1, 4, 8},   {1, 12, 16}, {1, 20, 24}};

struct ReqRow {
    bool start;
    uint32_t version;
    uint8_t flag, selector, type;
    std::vector<int> zero;   // strings of length 0
    int missing;             // record passed as null: 1 options, 2 start or stop options, 0 none, 3 the request
    bool record_fails;
    std::vector<int> terms;  // strings lent a terminator
    uint8_t version_byte;    // byte 69 of start's options afterwards, and as the native saw it
};

const ReqRow kReqRows[] = {
    {true, 9050600, 1, 1, 'U', {}, 0, false, {X, Y, Z, U, P, O1, O2, O3}, 0x5C},
    {true, 9050599, 1, 1, 'G', {}, 0, false, {X, Y, Z, G, P, O1, O2, O3}, 0},
    {true, 9070000, 1, 1, 'X', {}, 0, false, {X, Y, Z, P, O1, O2, O3}, 0},    // type neither U nor G
    {true, 9070199, 1, 0, 'U', {}, 0, false, {X, Y, Z, P, O1, O2, O3}, 0},    // selector clear
    {true, 9070200, 0, 1, 'G', {}, 0, false, {X, Y, Z, G}, 0x5C},             // flag clear
    {true, 9069999, 1, 1, 'G', {X, P, O2}, 0, false, {Y, Z, G, O1, O3}, 0x5C},
    {true, 0, 1, 1, 'U', {U, Y}, 0, false, {X, Z, U, P, O1, O2, O3}, 0},      // the user, even of length 0
    {true, 9070100, 1, 1, 'U', {}, 0, true, {}, 0},
    {true, 0xFFFFFFFFu, 1, 1, 'U', {}, 1, false, {X, Y, Z, U, P}, 0x5C},
    {true, 0, 1, 1, 'U', {}, 2, false, {P, O1, O2, O3}, 0x5C},
    {true, 0, 1, 1, 'U', {}, 3, false, {}, 0},
    {false, 0, 1, 0, 0, {}, 0, false, {X, P, O1, O2, O3}, 0},
    {false, 0, 0, 0, 0, {}, 0, false, {X}, 0},
    {false, 0, 1, 0, 0, {X, O1}, 0, false, {P, O2, O3}, 0},
    {false, 0, 1, 0, 0, {}, 0, true, {}, 0},
    {false, 0, 1, 0, 0, {}, 2, false, {P, O1, O2, O3}, 0},
    {false, 0, 1, 0, 0, {}, 3, false, {}, 0},
};

const uint8_t* at(uint32_t p) { return reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(p)); }
uint32_t word(const uint8_t* p, size_t off) {
    uint32_t v;
    memcpy(&v, p + off, 4);
    return v;
}

}  // namespace

class InstanceRequests : public EntryTest {};

// Which strings are lent a terminator, the native records field by field, the version byte, and
// every other byte back afterwards; a missing request goes on as null.
TEST_P(InstanceRequests, TerminatorsNativeRecordsAndVersionByte) {
    for (size_t k = 0; k < std::size(kReqRows); ++k) {
        const ReqRow& row = kReqRows[k];
        SCOPED_TRACE("request row " + std::to_string(k));
        standin::reset();
        std::vector<std::unique_ptr<Guarded>> g;  // the three records, then the strings' buffers
        for (size_t n : {size_t{20}, size_t{28}, size_t{row.start ? 92u : 8u}}) {
            g.push_back(std::make_unique<Guarded>(n));
            g.back()->fill(static_cast<uint8_t>(0x30 + 11 * g.size()));
        }
        auto rec = [&](int r) { return g[static_cast<size_t>(r)]->data(); };
        auto put = [&](int r, uint32_t off, uint32_t v) { memcpy(rec(r) + off, &v, 4); };
        put(0, 12, w(rec(1)));
        put(0, 16, w(rec(2)));
        rec(0)[0] = row.flag;
        rec(1)[0] = 0x4F;
        if (row.start) rec(2)[68] = row.selector, rec(2)[69] = 0x5C, rec(2)[88] = row.type;
        uint32_t text[kStrs] = {}, len[kStrs] = {};
        size_t buf[kStrs] = {};
        for (int s = 0; s < kStrs; ++s) {
            if (!row.start && s != X && s < P) continue;
            len[s] = std::count(row.zero.begin(), row.zero.end(), s) ? 0 : 3 + static_cast<uint32_t>(s);
            g.push_back(std::make_unique<Guarded>(len[s] + 1));
            g.back()->fill(static_cast<uint8_t>(0x41 + 7 * s));
            buf[s] = g.size() - 1;
            text[s] = w(g.back()->data());
            put(kAt[s].rec, kAt[s].len, len[s]);
            put(kAt[s].rec, kAt[s].ptr, text[s]);
        }
        if (row.missing == 1 || row.missing == 2) put(0, 8 + 4 * static_cast<uint32_t>(row.missing), 0);
        auto snap = [&] {
            std::vector<Bytes> out;
            for (auto& b : g) out.push_back(b->bytes());
            return out;
        };
        const std::vector<Bytes> before = snap();
        std::vector<Bytes> during_expect = before, after_expect = before, during;
        for (int s : row.terms) during_expect[buf[s]][len[s]] = 0;
        const bool start_options = row.start && row.missing < 2;  // start's options reach the native as a copy
        if (start_options) during_expect[2][69] = after_expect[2][69] = row.version_byte;
        // The native records word by word: flag, P, options present; the options (their own copy);
        // stop's options as they are, or start's copy: selector, version byte, user, group, type.
        std::vector<uint32_t> want, seen;
        if (row.missing != 3) want = {row.flag, text[P], row.missing != 1};
        if (row.missing < 3 && row.missing != 1) want.insert(want.end(), {0x4F, text[O1], text[O2], text[O3]});
        if (start_options) want.insert(want.end(), {row.selector, row.version_byte, text[U], text[G], row.type});
        else if (row.missing != 3) want.push_back(row.missing == 2 ? 0u : w(rec(2)));
        Bytes head;  // bytes 0 to 67 of start's copy
        standin::during_call([&](const standin::Call& c) {
            during = snap();
            const uint8_t* n = at(c.words.at(1));
            if (n == nullptr) return;
            seen = {n[0], word(n, 4), word(n, 8) != 0};
            if (const uint8_t* o = at(word(n, 8))) seen.insert(seen.end(), {o[0], word(o, 4), word(o, 8), word(o, 12)});
            const uint8_t* so = at(word(n, 12));
            if (!row.start || so == nullptr) return seen.push_back(word(n, 12));
            head.assign(so, so + 68);
            seen.insert(seen.end(), {so[68], so[69], word(so, 72), word(so, 76), so[80]});
        });
        Status st;
        standin::checks_active(true);
        if (row.record_fails) standin::fail_check_exact(rec(0), 20, standin::kAllModes);
        const char* native = row.start ? "qx3InstanceStart" : "qx3InstanceStop";
        standin::set_result(native, -1042);
        EXPECT_EQ(call(row.start ? "qx3gInstanceStart" : "qx3gInstanceStop", row.version,
                       row.missing == 3 ? nullptr : rec(0), st.ca()), -1042);
        const auto c = calls(native);
        ASSERT_EQ(c.size(), 1u);
        EXPECT_EQ(c[0].words[0], row.version);
        EXPECT_EQ(seen, want) << "the native records";
        EXPECT_EQ(head, start_options ? Bytes(before[2].begin(), before[2].begin() + 68) : Bytes{});
        ASSERT_EQ(during.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_TRUE(SameBytes(during_expect[i], during[i].data(), during[i].size())) << "during, buffer " << i;
            EXPECT_TRUE(SameBytes(after_expect[i], *g[i])) << "afterwards, buffer " << i;
        }
    }
}

QX3_BACKENDS(InstanceRequests);

// ---- Partition records and node addition ----

namespace {

struct PartRow {
    const char* entry;
    uint32_t size, len_off, length;  // the text follows its length
    int nul;                         // offset from the text of the NUL during the call, -1 for none
    bool record_fails;
};

// Every other length of the record is 0, so only the row's string may be lent a terminator; a
// length of 0 is the same for all three (not lent) and left to the rows above.
const PartRow kPartRows[] = {
    {"sqlgpstart", 824, 8, 300, 235, false},   {"sqlgpstart", 824, 8, 235, 235, false},
    {"sqlgpstart", 824, 8, 234, 234, false},   {"sqlgpstart", 824, 260, 300, 255, false},
    {"sqlgpstart", 824, 528, 256, 255, false}, {"sqlgpstart", 824, 8, 5, -1, true},
    {"sqlgpstr", 792, 532, 250, 250, false},   {"sqlgpstr", 792, 0, 240, 240, false},
    {"sqlgpstr", 792, 264, 5, -1, true},       {"sqlgpstp", 520, 0, 300, 300, false},
    {"sqlgpstp", 520, 0, 5, -1, true},
};

}  // namespace

class Partitions : public EntryTest {};

// Inline strings are terminated in place, no further than their field allows; the record is
// checked whole first, each terminated string over its text and NUL.
TEST_P(Partitions, InlineStringsTerminatedInPlace) {
    for (const PartRow& row : kPartRows) {
        SCOPED_TRACE(std::string(row.entry) + " at " + std::to_string(row.len_off) + ": " + std::to_string(row.length));
        standin::reset();
        Guarded rec(row.size);
        rec.fill(0x6B);
        for (uint32_t off : {0u, 8u, 248u, 260u, 264u, 528u, 532u})
            if (off + 4 <= row.size && off != row.len_off + 4) memset(rec.data() + off, 0, 4);
        memcpy(rec.data() + row.len_off, &row.length, 4);
        const Bytes before = rec.bytes();
        Bytes expect = before, during;
        if (row.nul >= 0) expect[row.len_off + 4 + static_cast<uint32_t>(row.nul)] = 0;
        Status st;
        standin::checks_active(true);
        if (row.record_fails) standin::fail_check_exact(rec.data(), row.size, standin::kAllModes);
        standin::during_call([&](const standin::Call&) { during = rec.bytes(); });
        EXPECT_EQ(call(row.entry, rec.data(), st.ca()), 0);
        EXPECT_TRUE(SameBytes(expect, during.data(), during.size())) << "during the call";
        EXPECT_TRUE(SameBytes(before, rec)) << "afterwards";
        const auto& ck = standin::checks();  // the record whole, then the terminated text with its NUL
        ASSERT_EQ(ck.size(), row.nul >= 0 ? 2u : 1u);
        EXPECT_EQ(ck[0].length, row.size);
        EXPECT_EQ(ck.back().length, row.nul >= 0 ? static_cast<uint32_t>(row.nul) + 1 : row.size);
    }
}

// The node addition checks its option record before the frame: on application-data failure the
// check's outcome is the result; with application data the native runs whatever the check said.
TEST_P(Partitions, NodeAdditionChecksBeforeTheFrame) {
    const struct {
        bool checks, fails, app_fails;
        int32_t result;
    } rows[] = {{false, false, true, 0}, {true, false, true, 0}, {true, true, true, 77}, {true, true, false, -1234}};
    for (const auto& row : rows) {
        standin::reset();
        Guarded opts(16);
        Status st;
        standin::checks_active(row.checks);
        if (row.fails) standin::fail_checks(opts.data(), 16, standin::kAllModes, 77);
        if (row.app_fails) standin::fail_app_data(5);
        standin::set_result("sqleaddn_api", -1234);
        EXPECT_EQ(call("sqlgaddn", 0xDEADu, st.ca(), opts.data()), row.result);
        EXPECT_EQ(calls("sqleaddn_api").size(), row.app_fails ? 0u : 1u);
        EXPECT_TRUE(SameBytes(row.app_fails ? st.with(-1022) : st.mem.bytes(), st.mem));
        EXPECT_EQ(standin::checks().size(), row.checks ? 1u : 0u);
    }
}

QX3_BACKENDS(Partitions);
