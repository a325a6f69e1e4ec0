// Instance start and stop, partitioned-database services: every entry point against its row; as
// tables, the start and stop requests (terminators, native records, version byte), the inline
// strings of the partition records and the check the node addition makes before its frame.
#include <string.h>

#include <tuple>

#include "support/conformance.h"
#include "support/harness.h"

using namespace qx3test;
using namespace qx3test::conf;

namespace {

QX3_CONFORMANCE(InstanceRows,
    {.name = "qx3gInstanceStart", .words = "vrc", .native = "qx3InstanceStart", .args = "1 ? 3", .version = 9060000,
     .recs = {R(2, 20), RF(1, 12, 28), RF(1, 16, 92)}, .strings = {SF(3, 4, 0), SF(3, 24, 20), SF(3, 40, 36),
     EvenEmpty(SF(3, 76, 72)), SF(1, 8, 4), SF(2, 8, 4), SF(2, 16, 12), SF(2, 24, 20)},
     .vals = {{F(1, 0), 1, 1}, {F(3, 68), 1, 1}, {F(3, 88), 'U', 1}}, .positive = true},
    {.name = "qx3gInstanceStop", .words = "vrc", .native = "qx3InstanceStop", .args = "1 ? 3",
     .recs = {R(2, 20), RF(1, 12, 28), RF(1, 16, 8)}, .strings = {SF(3, 4, 0), SF(1, 8, 4), SF(2, 8, 4),
     SF(2, 16, 12), SF(2, 24, 20)}, .vals = {{F(1, 0), 1, 1}}, .positive = true},
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

// The strings in the order of terminating: X Y Z U G of start's options (stop's have X alone), P of the
// request, 1 2 3 of the options; each a length in record 0, 1 or 2 and, 4 bytes on, a pointer.
const std::string kNames = "XYZUGP123";
const At kLen[] = {F(2, 0), F(2, 20), F(2, 36), F(2, 72), F(2, 80), F(0, 4), F(1, 4), F(1, 12), F(1, 20)};

// The native records (0 request, 1 options, 2 start's options) span by span from the caller's records
// during the call: {who (1 start only, 2 stop only), record, to, from, width}.
const struct { int who, rec; uint32_t to; At from; uint32_t width; } kSpans[] = {
    {0, 0, 0, F(0, 0), 1},  {0, 0, 4, F(0, 8), 4},   {2, 0, 12, F(0, 16), 4}, {0, 1, 0, F(1, 0), 1},
    {0, 1, 4, F(1, 8), 4},  {0, 1, 8, F(1, 16), 4},  {0, 1, 12, F(1, 24), 4}, {1, 2, 0, F(2, 0), 70},
    {1, 2, 72, F(2, 76), 4}, {1, 2, 76, F(2, 84), 4}, {1, 2, 80, F(2, 88), 1}};

// version_byte: byte 69 of start's options, during the call and after; zero: strings of length 0; terms: strings
// lent a terminator; fault: null 'O' the options, 'S' start or stop options, 'R' the request; 'C' it fails its check.
const struct {
    bool start;
    uint32_t version;
    uint8_t flag, selector, type, version_byte;
    std::string zero, terms;
    char fault = ' ';
} kReqRows[] = {
    {true, 9050600, 1, 1, 'G', 0x5C, "", "XYZGP123"},
    {true, 9070000, 1, 1, 'X', 0, "", "XYZP123"},       // type neither U nor G
    {true, 9070199, 1, 0, 'U', 0, "", "XYZP123"},       // selector clear
    {true, 9070200, 0, 1, 'G', 0x5C, "", "XYZG"},       // flag clear
    {true, 9069999, 1, 1, 'G', 0x5C, "XG2", "YZGP13"},  // G lent its NUL even at length 0
    {true, 9050599, 1, 1, 'U', 0, "", "", 'C'},         // the byte cleared, though nothing is lent
    {true, 0xFFFFFFFFu, 1, 1, 'U', 0x5C, "", "XYZUP", 'O'},
    {true, 0, 1, 1, 'U', 0x5C, "", "P123", 'S'},
    {true, 0, 1, 1, 'U', 0, "", "", 'R'},
    {false, 0, 0, 0, 0, 0, "", "X"},
    {false, 0, 1, 0, 0, 0, "", "", 'C'},
    {false, 0, 1, 0, 0, 0, "", "", 'R'},
};

class Instance : public EntryTest {};

// Which strings are lent a terminator, the native records, the version byte; a missing record goes on as null.
TEST_P(Instance, TerminatorsNativeRecordsAndVersionByte) {
    for (const auto& row : kReqRows) {
        SCOPED_TRACE((row.start ? "start " : "stop ") + std::to_string(row.version) + " " + row.terms + row.fault);
        standin::reset();
        CallerMemory m;
        uint8_t* rec[] = {m.add("req", 20).data(), m.add("opt", 28).data(), m.add("opt2", row.start ? 92 : 8).data()};
        auto put = [&](At a, uint32_t v) { memcpy(rec[a.node] + a.off, &v, 4); };
        put(F(0, 12), row.fault == 'O' ? 0 : w(rec[1]));
        put(F(0, 16), row.fault == 'S' ? 0 : w(rec[2]));
        rec[0][0] = row.flag;
        if (row.start) rec[2][68] = row.selector, rec[2][69] = 0x5C, rec[2][88] = row.type;
        std::vector<const char*> nuls;
        for (size_t s = 0; s < kNames.size(); ++s) {
            if (!row.start && s > 0 && s < 5) continue;
            const uint32_t len = row.zero.find(kNames[s]) != std::string::npos ? 0 : 3 + static_cast<uint32_t>(s);
            const char* t = m.text(kNames.substr(s, 1), std::string(3 + s, static_cast<char>('a' + s)));
            put(kLen[s], len);
            put(F(kLen[s].node, kLen[s].off + 4), w(t));
            if (row.terms.find(kNames[s]) != std::string::npos) nuls.push_back(t + len);
        }
        const std::vector<Bytes> before = m.snapshot();
        std::vector<Bytes> during_expect = m.with_nuls(before, nuls), after_expect = before, during;
        const bool none = row.fault == 'R', copy = row.start && !none && row.fault != 'S';
        if (copy) during_expect[2][69] = after_expect[2][69] = row.version_byte;
        std::string wrong;  // the native records missing, and the spans that differ from the caller's
        standin::during_call([&](const standin::Call& c) {
            during = m.snapshot();
            const uint8_t* n[3] = {reinterpret_cast<const uint8_t*>(uintptr_t{c.words.at(1)})};
            if (n[0]) memcpy(n + 1, n[0] + 8, 2 * sizeof n[0]);  // its sub-record pointers, at 8 and 12
            for (int r = 0; r < 3; ++r) wrong += n[r] ? "" : "no " + std::to_string(r) + " ";
            for (const auto& s : kSpans)
                if (n[s.rec] && s.who != (row.start ? 2 : 1) &&
                    memcmp(n[s.rec] + s.to, rec[s.from.node] + s.from.off, s.width))
                    wrong += std::to_string(s.rec) + "@" + std::to_string(s.to) + " ";
        });
        Status st;
        standin::checks_active(true);
        if (row.fault == 'C') standin::fail_check_exact(rec[0], 20, standin::kAllModes);
        const std::string native = row.start ? "qx3InstanceStart" : "qx3InstanceStop";
        standin::set_result(native, -1042);
        EXPECT_EQ(call(("qx3g" + native.substr(3)).c_str(), row.version, none ? nullptr : rec[0], st.ca()), -1042);
        EXPECT_EQ(wrong, none ? "no 0 no 1 no 2 " : row.fault == 'O' ? "no 1 " : row.fault == 'S' ? "no 2 " : "");
        EXPECT_TRUE(m.Same(during_expect, during)) << "during the call";
        EXPECT_TRUE(m.Is(after_expect)) << "afterwards";
    }
}

// Partition records with one length not 0 (0 is left to the rows above); no NUL (-1): the record fails its check.
const struct { const char* entry; uint32_t size, len_off, length; int nul; } kPartRows[] = {
    {"sqlgpstart", 824, 8, 300, 235},   {"sqlgpstart", 824, 8, 235, 235}, {"sqlgpstart", 824, 8, 234, 234},
    {"sqlgpstart", 824, 260, 300, 255}, {"sqlgpstart", 824, 528, 256, 255}, {"sqlgpstart", 824, 8, 5, -1},
    {"sqlgpstr", 792, 532, 250, 250},   {"sqlgpstr", 792, 0, 240, 240},   {"sqlgpstr", 792, 264, 5, -1},
    {"sqlgpstp", 520, 0, 300, 300},     {"sqlgpstp", 520, 0, 5, -1}};

// Inline strings end in place, no further than their field allows; checked: the record, then text and NUL.
TEST_P(Instance, InlineStringsTerminatedInPlace) {
    for (const auto& row : kPartRows) {
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
        if (row.nul < 0) standin::fail_check_exact(rec.data(), row.size, standin::kAllModes);
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
TEST_P(Instance, NodeAdditionChecksBeforeTheFrame) {
    for (const auto& [fails, no_app, result] : {std::tuple{false, true, 0}, {true, true, 77}, {true, false, -1234}}) {
        standin::reset();
        Guarded opts(16);
        Status st;
        standin::checks_active(true);
        if (fails) standin::fail_checks(opts.data(), 16, standin::kAllModes, 77);
        if (no_app) standin::fail_app_data(5);
        standin::set_result("sqleaddn_api", -1234);
        EXPECT_EQ(call("sqlgaddn", 0xDEADu, st.ca(), opts.data()), result);
        EXPECT_EQ(calls("sqleaddn_api").size(), no_app ? 0u : 1u);
        if (no_app) { EXPECT_TRUE(SameBytes(st.with(-1022), st.mem)) << "-1022 alone"; }
        EXPECT_EQ(standin::checks().size(), 1u);
    }
}

QX3_BACKENDS(Instance);

}  // namespace
