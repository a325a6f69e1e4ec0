// Rollforward, recover, archive log and the recovery history: every entry point's row, then what
// rows cannot say: record maps (the history records' beside the load's), the parameter error
// exits, the returned text, version thresholds and the tablespace list's status rule.
#include <string.h>

#include "qx3agapi.h"
#include "support/conformance.h"
#include "support/lists.h"

using namespace qx3test;
using namespace qx3test::conf;

QX3_CONFORMANCE(
    RecoveryRows,
    // Legacy record: lengths (u16) at 0 2 4 6 8, alias 16, stop time 24, user 28, password 32, log path
    // 36; no tablespace list, no dropped table, no export directory.
    {.name = "sqlgroll", .words = "rrc", .native = "qx3Rollforward", .args = "? ? 3",
     .recs = {R(1, 80), R(2, 12), RF(2, 0, 33)},
     .strings = {SF(1, 16, 0, 2), SF(1, 28, 4, 2), SF(1, 32, 6, 2), SF(1, 24, 2, 2), SF(1, 36, 8, 2)},
     .vals = {{F(1, 52), 0}, {F(1, 72), 0}, {F(1, 76), 0}}, .outs = {{F(3, 0), 33}},
     .check_exit = Exit{-83, -83, "sqlgroll"},
     .exit_names = {"piDbAlias", "piUserName", "piPassword", "piStopTime", "piOverflowLogPath"}},
    {.name = "qx3gRollforward", .words = "vrc", .native = "qx3Rollforward", .args = "1 ? 3", .version = 9000000,
     .recs = {R(2, 8), RF(1, 0, 100), RF(1, 4, 16), RF(3, 0, 33)},
     .strings = {SF(2, 32, 0), SF(2, 44, 8), SF(2, 48, 12), SF(2, 40, 4), SF(2, 52, 16), SF(2, 88, 20), SF(2, 92, 24)},
     .vals = {{F(2, 68), 0}}, .outs = {{F(4, 0), 33}, {F(3, 12), 4}}, .check_exit = Exit{-83, -83, "sqlgroll"},
     .exit_names = {"piDbAlias", "piUserName", "piPassword", "piStopTime", "piOverflowLogPath", "piDroppedTblID",
                    "piExportDir"}},
    {.name = "qx3gRecover", .words = "vrc", .native = "qx3Recover", .args = "1 ? 3", .app = App::None,
     .version = 10050300, .recs = {R(2, 128)},
     .strings = {SF(1, 0, 4), SF(1, 8, 12), SF(1, 16, 20), SF(1, 40, 44), SF(1, 48, 52), SF(1, 80, 84),
                 SF(1, 96, 100), SF(1, 112, 116)},
     .check_exit = Exit{-83, -83, "SQLGRECV"},
     .exit_names = {"piSourceDBAlias", "piUserName", "piPassword", "piStopTime", "piOverflowLogPath",
                    "piHistoryFile", "piComprLibrary", "piEncrLibrary"}},
    {.name = "qx3gArchiveLog", .words = "vrc", .native = "qx3ArchiveLog", .args = "1 ? 3", .app = App::None,
     .version = 10050300, .recs = {R(2, 36)}, .strings = {SF(1, 12, 0), SF(1, 16, 4), SF(1, 20, 8)}},
    {.name = "qx3gHistoryCloseScan", .words = "vwc", .native = "qx3HistoryCloseScan", .args = "1 2 3",
     .app = App::None, .version = 0x12345678},
    {.name = "sqlghcls", .words = "uww", .native = "sqluhcls", .args = "z1 2 3", .app = App::None},
    {.name = "qx3gHistoryGetEntry", .words = "vwc", .native = "qx3HistoryGetEntry", .args = "1 2 3",
     .app = App::None, .version = 0x87654321},
    {.name = "sqlghgne", .words = "uwww", .native = "sqluhgne", .args = "z1 2 3 4", .app = App::None},
    {.name = "qx3gHistoryOpenScan", .words = "vrc", .native = "qx3HistoryOpenScan", .args = "1 ? 3",
     .app = App::None, .version = 9080000, .recs = {R(2, 40)},
     .strings = {SF(1, 0, 12), SF(1, 4, 16), SF(1, 8, 20)}, .outs = {{F(1, 24), 12}, {F(1, 38), 2}}},
    {.name = "sqlghops", .words = "uuussswwuwc", .native = "sqluhops", .args = "4 5 6 7 8 z9 10 11",
     .strings = {S(4, 1), S(5, 2), S(6, 3)}},
    {.name = "qx3gHistoryUpdate", .words = "vrc", .native = "qx3HistoryUpdate", .args = "1 ? 3", .app = App::None,
     .version = 9080000, .recs = {R(2, 40)},
     .strings = {SF(1, 0, 16), SF(1, 4, 20), SF(1, 8, 24), SF(1, 12, 28)}},
    {.name = "sqlghupd", .words = "uuuusssswc", .native = "sqluhupd", .args = "5 6 7 8 9 10",
     .strings = {S(5, 1), S(6, 2), S(7, 3), S(8, 4)}},
    {.name = "qx3gPrune", .words = "vrc", .native = "qx3Prune", .args = "1 ? 3", .app = App::None, .version = 1,
     .recs = {R(2, 24)}, .strings = {SF(1, 4, 0)}},
    {.name = "sqlghprn", .words = "usuwc", .native = "sqluhprn", .args = "2 z3 4 5", .strings = {S(2, 1)}});

namespace {

uint32_t word_at(const std::vector<uint8_t>& b, size_t off) {
    uint32_t v = 0;
    if (off + 4 <= b.size()) memcpy(&v, b.data() + off, 4);
    return v;
}
void put(Guarded& g, size_t off, uint32_t v, size_t width = 4) { memcpy(g.data() + off, &v, width); }

// ---- Rollforward --------------------------------------------------------------------------------

constexpr const char* kRollNames[7] = {"piDbAlias",         "piUserName",     "piPassword", "piStopTime",
                                       "piOverflowLogPath", "piDroppedTblID", "piExportDir"};
// Versioned offsets of each string's pointer and length, in the order above.
constexpr uint32_t kRollPtr[7] = {32, 44, 48, 40, 52, 88, 92}, kRollLen[7] = {0, 8, 12, 4, 16, 20, 24};
constexpr size_t kText = 9, kOutput = 10;  // buffers of a Rollforward

// A versioned rollforward: seven strings, tablespace names, the output text, a distinct word in every
// other field.
struct Rollforward {
    CallerMemory mem;
    char* s[7] = {};
    uint32_t len[7] = {};
    InPlace<sqluTablespaceList> ts;
    Guarded *in, *out, *text, *parm;
    explicit Rollforward(std::vector<std::string> names = {"TSA", "TSBBBB"}) {
        for (int i = 0; i < 7; ++i) {
            const std::string t = std::string(kRollNames[i] + 2) + std::string(static_cast<size_t>(i), '#');
            s[i] = mem.text(kRollNames[i], t);
            len[i] = static_cast<uint32_t>(t.size());
        }
        ts = inplace_tablespaces(mem, "tablespaces", names);
        text = &mem.add("text", 33);
        out = &mem.add("output", 16);
        put(*out, 0, w(text->data()));
        in = &mem.add("input", 100);
        for (uint32_t off = 28; off < 100; off += 4) put(*in, off, 0xC0000000u + off);
        for (int i = 0; i < 7; ++i) put(*in, kRollPtr[i], w(s[i])), put(*in, kRollLen[i], len[i]);
        put(*in, 68, w(ts.list));
        parm = &mem.add("parameters", 8);
        put(*parm, 0, w(in->data())), put(*parm, 4, w(out->data()));
    }
};

using RollforwardTest = EntryTest;
QX3_BACKENDS(RollforwardTest);

TEST_P(RollforwardTest, VersionedRecordOutputWordFromItsVersionAndTextPaddedFromItsFirstNul) {
    const std::string t32(32, 'x'), t33(33, 'y');
    struct Case {
        uint32_t version;
        bool copied;
        std::string left, padded;  // what the native leaves in the text; the caller's text afterwards
    };
    for (const Case& k : {Case{8999999, false, std::string(1, '\0'), std::string(33, ' ')},
                          Case{9000000, true, std::string("LOG5\0", 5), "LOG5" + std::string(29, ' ')},
                          Case{0xFFFFFFFF, true, t32 + std::string(1, '\0'), t32 + " "}, Case{0, false, t33, t33}}) {
        SCOPED_TRACE(k.version);
        standin::reset();
        Rollforward r;
        Status st;
        put(*r.out, 12, 0x0BADCAFEu);
        const auto before = r.mem.snapshot();
        standin::during_call([&](const standin::Call&) { r.text->set(0, k.left); });
        EXPECT_EQ(call("qx3gRollforward", k.version, r.parm->data(), st.ca()), 0);
        const auto c = calls("qx3Rollforward");
        ASSERT_EQ(c.size(), 1u);
        EXPECT_EQ(c[0].words[0], k.version);
        ASSERT_EQ(c[0].record.size(), 88u);
        EXPECT_TRUE(SameBytes(Bytes(r.in->data() + 28, r.in->data() + 100), c[0].record.data(), 72));
        EXPECT_TRUE(SameBytes(Bytes(before[kOutput].begin(), before[kOutput].begin() + 12), c[0].record.data() + 72, 12));
        EXPECT_EQ(shown(c[0].lists[0]), (std::vector<std::string>{"DbAlias", "UserName#", "Password##", "StopTime###",
                                                                   "OverflowLogPath####", "DroppedTblID#####",
                                                                   "ExportDir######"}));
        EXPECT_EQ(shown(c[0].lists[1]), (std::vector<std::string>{"TSA", "TSBBBB"}));
        EXPECT_EQ(word_at(r.out->bytes(), 12), k.copied ? 0x600DF00Du : 0x0BADCAFEu);
        EXPECT_EQ(std::string(r.text->chars(), 33), k.padded);
    }
}

TEST_P(RollforwardTest, LegacyRecordWidensEachFieldAndAlwaysSends8010000) {
    CallerMemory mem;
    char* alias = mem.text("alias", "SAMPLE");
    char* dropped = mem.text("dropped", "TBL");
    char* exportdir = mem.text("export", "/x");
    Guarded& text = mem.add("text", 33);
    Guarded& out = mem.add("output", 12);
    put(out, 0, w(text.data())), put(out, 4, 0x11112222u), put(out, 8, 0x33334444u);
    Guarded& rec = mem.add("record", 80);
    for (uint32_t off = 0; off < 12; off += 2) put(rec, off, off == 0 ? 6 : 0, 2);
    // Each 16-bit value has its top bit set and a neighbour of 0xFFFF: a missing or wrong widening shows.
    struct Field {
        uint32_t off, width, value, native_off, native;
    };
    const Field fields[] = {
        {12, 4, 0xA1A2A3A4u, 0, 0xA1A2A3A4u}, {20, 2, 0x8123, 8, 0x00008123u},  {40, 2, 0x8345, 28, 0x00008345u},
        {44, 4, 0xB1B2B3B4u, 32, 0xB1B2B3B4u}, {48, 2, 0x8567, 36, 0x00008567u}, {56, 2, 0x8789, 44, 0xFFFF8789u},
        {58, 2, 0x7ABC, 48, 0x00007ABCu},      {60, 4, 0xC1C2C3C4u, 52, 0xC1C2C3C4u}, {64, 2, 0x8DEF, 56, 0xFFFF8DEFu},
        {16, 4, w(alias), 4, w(alias)},        {72, 4, w(dropped), 60, w(dropped)}, {76, 4, w(exportdir), 64, w(exportdir)},
    };
    for (const Field& f : fields) put(rec, f.off, f.value, f.width);
    for (uint32_t off : {22u, 42u, 50u}) put(rec, off, 0xFFFF, 2);
    for (uint32_t off : {24u, 28u, 32u, 36u, 52u}) put(rec, off, 0);
    Status st;
    const auto before = mem.snapshot();
    standin::during_call([&](const standin::Call& c) {
        // Neither string has a length here: both are empty during the call.
        if (c.name != "qx3Rollforward") return;
        EXPECT_EQ(shown(c.lists[0]), (std::vector<std::string>{"SAMPLE", "<null>", "<null>", "<null>", "<null>", "", ""}));
    });
    EXPECT_EQ(call("sqlgroll", rec.data(), out.data(), st.ca()), 0);
    const auto c = calls("qx3Rollforward");
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0].words[0], 0x7A3910u);
    for (const Field& f : fields) EXPECT_EQ(word_at(c[0].record, f.native_off), f.native) << "native offset " << f.native_off;
    EXPECT_EQ(word_at(c[0].record, 68), 0u);
    EXPECT_TRUE(SameBytes(Bytes(out.data(), out.data() + 12), c[0].record.data() + 72, 12));
    std::vector<Bytes> expect = before;
    memcpy(expect[3].data(), "S0000007.LOG", 12);
    memset(expect[3].data() + 12, ' ', 21);
    EXPECT_TRUE(mem.Is(expect));
}

// The parameter error exits of qx3gRollforward (logged) and qx3gRecover: the parameter's name goes
// after the tokens already there, within the 70 bytes; qx3gRollforward counts what it wrote,
// qx3gRecover the whole name.
TEST_P(RollforwardTest, ParameterErrorExitNamesTheParameterAndGivesEverythingBack) {
    struct Case {
        bool recover;        // qx3gRecover, its user name failing its read check
        int string;          // fails its read check; 7: the alias is null; -1: no tablespace slots
        int16_t ml;          // sqlerrml before
        bool refused;        // sqloincaChkptr refuses the record
        std::string tokens;  // appended to sqlerrmc
        int16_t grown;       // sqlerrml after
    };
    const Case cases[] = {{false, 6, 3, false, "piExportDir", 14}, {false, -1, 0, false, "piTablespaceList", 16},
                          {false, 7, 0, false, "piDbAlias", 9},    {false, 0, 65, false, "piDbA", 70},
                          {false, 4, 3, true, "", 3},              {false, -1, 3, true, "", 3},
                          {true, 1, 66, false, "piUs", 76},        {true, 1, 3, true, "", 3}};
    for (const Case& k : cases) {
        const std::string name = k.recover ? "piUserName" : k.string < 0 ? "piTablespaceList" : kRollNames[k.string % 7];
        SCOPED_TRACE(name + " " + std::to_string(k.ml) + (k.refused ? " refused" : ""));
        standin::reset();
        Rollforward r;
        Status st;
        st.ca()->sqlerrml = k.ml;
        st.before = st.mem.bytes();
        Guarded& rec = r.mem.add("recover", 128);  // alias and user name of qx3gRecover, the rest null
        memset(rec.data(), 0, 128);
        put(rec, 0, w(r.s[0])), put(rec, 4, r.len[0]), put(rec, 8, w(r.s[1])), put(rec, 12, r.len[1]);
        if (k.string == 7) put(*r.in, 32, 0);
        const auto before = r.mem.snapshot();
        standin::checks_active(k.string >= 0);
        if (k.string >= 0 && k.string < 7) standin::fail_check_exact(r.s[k.string], r.len[k.string], standin::mode_bit(1), 7);
        if (k.string < 0) standin::fail_allocation(1);
        if (k.refused) standin::refuse_sqlca(0x3F);
        const int32_t rc = k.recover && k.refused ? -2032 : -83;
        EXPECT_EQ(k.recover ? call("qx3gRecover", 10050300u, rec.data(), st.ca())
                            : call("qx3gRollforward", 9000000u, r.parm->data(), st.ca()), rc);
        EXPECT_TRUE(calls(k.recover ? "qx3Recover" : "qx3Rollforward").empty());
        EXPECT_TRUE(r.mem.Is(before)) << "every byte back, the text not padded";
        Bytes expect = st.before;
        if (!k.refused) {
            expect = st.with(-83, k.recover ? "SQLGRECV" : "sqlgroll");
            memcpy(expect.data() + 16, &k.grown, 2);
            memcpy(expect.data() + 18 + k.ml, k.tokens.data(), k.tokens.size());
        }
        EXPECT_TRUE(SameBytes(expect, st.mem));
        if (k.recover) continue;
        const auto log = calls("pdLog");
        ASSERT_EQ(log.size(), 1u);
        const std::string message = k.refused ? "Error on call to sqloincaChkPtr." : "Memory error for parameter " + name + ".";
        std::vector<uint32_t> words = {1, 0, 0x1883018E, 0, 0, k.refused ? 260u : 250u, 2, k.refused ? 2u : 1u, 0,
                                       0x18000004, static_cast<uint32_t>(message.size())};
        EXPECT_EQ(std::vector<uint32_t>(log[0].words.begin(), log[0].words.begin() + 11), words);
        EXPECT_EQ(log[0].items, (k.refused ? std::vector<std::string>{message, "int 63"} : std::vector<std::string>{message}));
        if (k.refused) {
            EXPECT_EQ(std::vector<uint32_t>(log[0].words.begin() + 12, log[0].words.begin() + 14), (std::vector<uint32_t>{4, 4}));
        }
    }
}

TEST_P(RollforwardTest, TablespaceListTakesTheStatusOfItsLastCheck) {
    // A string that fails its write check is forgotten once the list has its slots; a name that fails
    // its own check keeps the call from the native when it is the last check made.
    struct Case {
        std::vector<std::string> names;
        int failing_string, failing_name;
        int32_t result;
    };
    for (const Case& k : {Case{{"TSA", "TSBBBB"}, 2, -1, 0}, Case{{"TSA", "TSBBBB"}, -1, 1, 9},
                          Case{{"TSA", "TSBBBB"}, -1, 0, 0}, Case{{}, 6, -1, 0}}) {
        SCOPED_TRACE(std::to_string(k.names.size()) + " " + std::to_string(k.failing_string) + " " + std::to_string(k.failing_name));
        standin::reset();
        Rollforward r(k.names);
        Status st;
        const auto before = r.mem.snapshot();
        standin::checks_active(true);
        std::vector<const char*> nuls;
        for (int i = 0; i < 7; ++i) {
            if (i == k.failing_string) standin::fail_check_exact(r.s[i], r.len[i] + 1, standin::mode_bit(3), 5);
            else nuls.push_back(r.s[i] + r.len[i]);
        }
        for (size_t i = 0; i < k.names.size(); ++i) {
            if (static_cast<int>(i) == k.failing_name) standin::fail_check_exact(r.ts.texts[i], r.ts.lengths[i] + 1, standin::mode_bit(3), 9);
            else nuls.push_back(r.ts.texts[i] + r.ts.lengths[i]);
        }
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call& c) {
            if (c.name == "qx3Rollforward") during = r.mem.snapshot();
        });
        EXPECT_EQ(call("qx3gRollforward", 8000000u, r.parm->data(), st.ca()), k.result);
        EXPECT_EQ(calls("qx3Rollforward").size(), k.result == 0 ? 1u : 0u);
        auto expect = before;
        if (k.result == 0) {
            auto nul = r.mem.with_nuls(before, nuls);
            nul[kText] = during[kText];
            EXPECT_TRUE(r.mem.Same(nul, during));
            expect[kText] = r.text->bytes();
        } else {
            EXPECT_TRUE(st.untouched());
        }
        EXPECT_TRUE(r.mem.Is(expect));
        // The slot array is asked for even for a list of no entries, and given back.
        const auto blocks = calls("sqloGetMemoryBlockExtended");
        ASSERT_EQ(blocks.size(), 1u);
        EXPECT_EQ(blocks[0].words[1], 8 * k.names.size());
        EXPECT_EQ(blocks[0].strings[5].text + " " + std::to_string(blocks[0].words[6]), "sqlgroll 369");
    }
}

// ---- Recover ------------------------------------------------------------------------------------

using RecoverTest = EntryTest;
QX3_BACKENDS(RecoverTest);

// Every generic record that is null, or fails its check, ends the call with its entry point's own
// code and gives every byte back.
TEST_P(RecoverTest, MissingOrUnreadableRecordsEndTheCallWithAClearCode) {
    struct Case {
        const char *entry, *native;
        uint32_t size;       // of the record
        unsigned modes;      // its check fails in these modes; 0: the record is null
        int32_t sqlca_rc;    // sqloincaChkptr's answer
        int32_t rc, code;    // code 0: the status record untouched
        const char* errp;
    } cases[] = {
        {"qx3gRecover", "qx3Recover", 128, 0, 0, 0, -1022, nullptr},
        {"qx3gRollforward", "qx3Rollforward", 8, 0, 0, 0, -1022, nullptr},
        {"qx3gBackup", "qx3Backup", 136, 0, 0, -83, -83, "qx3gBack"},
        {"qx3gBackup", "qx3Backup", 136, 0, 7, -83, 0, nullptr},
        {"qx3gBackup", "qx3Backup", 136, standin::mode_bit(3), 0, -83, -83, "qx3gBack"},
        {"qx3gRestore", "qx3Restore", 172, 0, 2, -83, 0, nullptr},
        {"qx3gRestore", "qx3Restore", 172, standin::mode_bit(3), 0, -83, -83, "qx3gRest"},
        {"qx3gLoad", "qx3Load", 76, 0, 0, -3223, 0, nullptr},
        {"qx3gLoad", "qx3Load", 76, standin::mode_bit(1), 0, -3223, 0, nullptr},
        {"qx3gExport", "qx3Export", 60, 0, 0, -83, -83, "QX3GEXPR"},
        {"qx3gImport", "qx3Import", 60, 0, 0, -83, -83, nullptr},
        {"qx3gLoadQuery", "qx3LoadQuery", 28, 0, 0, -83, -83, nullptr},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.entry) + " modes " + std::to_string(k.modes) + " sqlca " + std::to_string(k.sqlca_rc));
        standin::reset();
        Guarded rec(k.size);
        rec.fill(0);  // every pointer null, so that a record read before its check does no harm
        const Bytes before = rec.bytes();
        standin::refuse_sqlca(k.sqlca_rc);
        standin::checks_active(k.modes != 0);
        if (k.modes != 0) standin::fail_checks(rec.data(), k.size, k.modes);
        Status st;
        EXPECT_EQ(call(k.entry, 10050300u, k.modes != 0 ? rec.data() : nullptr, st.ca()), k.rc);
        EXPECT_TRUE(SameBytes(k.code == 0 ? st.before : k.errp ? st.with(k.code, k.errp) : st.with(k.code), st.mem));
        EXPECT_TRUE(SameBytes(before, rec));
        EXPECT_TRUE(calls(k.native).empty());
        if (k.code == -1022) {
            EXPECT_TRUE(standin::calls().empty()) << standin::trace();
        }
        if (k.rc != 0) {
            EXPECT_EQ(standin::allocations(), 0u);
        }
    }
}

// ---- Archive log and history records ------------------------------------------------------------

using HistoryTest = EntryTest;
QX3_BACKENDS(HistoryTest);

TEST_P(HistoryTest, OpenScanCopiesOutputsBackWordThreeFromItsVersion) {
    struct Case {
        uint32_t version;
        bool native_writes;
        uint32_t w1, w2, w3;
        uint16_t h1;
    };
    const uint32_t kept = 0x5A5A5A5Au;
    for (const Case& k : {Case{9079999, true, 0x4A11, 17, kept, 0xB00B}, Case{9080000, true, 0x4A11, 17, 0x33, 0xB00B},
                          Case{9080000, false, 0, 0, 0, 0}, Case{9079999, false, 0, 0, kept, 0}}) {
        SCOPED_TRACE(std::to_string(k.version) + (k.native_writes ? " written" : " left"));
        standin::reset();
        Guarded rec(40);
        memset(rec.data(), 0, 24);
        for (uint32_t off = 24; off < 40; off += 4) put(rec, off, kept);
        if (!k.native_writes)
            standin::after_call([](const standin::Call& c) {
                uint8_t* native = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(c.words[1]));
                memset(native + 12, 0, 12), memset(native + 26, 0, 2);
            });
        Status st;
        standin::set_result("qx3HistoryOpenScan", -2171);
        EXPECT_EQ(call("qx3gHistoryOpenScan", k.version, rec.data(), st.ca()), -2171);
        const auto* g = rec.as<qx3gHistoryOpenStruct>();
        EXPECT_EQ(std::vector<uint32_t>({g->oWord1, g->oWord2, g->oWord3, g->iHalf1, g->oHalf1}),
                  std::vector<uint32_t>({k.w1, k.w2, k.w3, 0x5A5Au, k.h1}));
    }
}

}  // namespace
