// The list conversions, exercised directly against the stand-in: the media-list terminator and its
// restore, the in-place tablespace and media lists of backup and restore, and the copied lists.
#include <string.h>

#include <algorithm>

#include "frame/lists.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

struct Lists : ::testing::Test {
    void SetUp() override { fresh_native_layer(); }
    void TearDown() override { expect_native_layer_clean(); }
};

std::vector<standin::Block> blocks() { return standin::live_blocks(); }

// ---- Media-list terminator ---------------------------------------------------------------------

enum class Fail { None, List, Sqlca, Entries, LastName };

struct TermRow {
    const char* what;
    uint8_t type;
    uint32_t expected;
    size_t entries;
    uint32_t always;
    Fail fail;
    int32_t rc;
    int64_t slot_bytes;   // -1: no slot array
    size_t terminated;    // how many leading entries get a NUL
};

const TermRow kTermRows[] = {
    {"type C converts like S", 'C', 'C', 3, 0, Fail::None, 0, 24, 3},
    {"type L, 220-byte entries", 'L', 'L', 3, 0, Fail::None, 0, 24, 3},
    {"type Q, texts by pointer, one null", 'Q', 'Q', 3, 0, Fail::None, 0, 24, 3},
    {"type O: the first entry only, slots for all", 'O', 'O', 3, 0, Fail::None, 0, 24, 1},
    {"expected type compared with the zero-extended code", 'S', 0x153, 2, 0, Fail::None, 0, -1, 0},
    {"a type no conversion knows", 'X', 'X', 2, 1, Fail::None, 0, -1, 0},
    {"type O, no entries, flag set: no slot, so no entry", 'O', 'O', 0, 1, Fail::None, 0, 0, 0},
    {"only the flag's low 8 bits count", 'S', 'S', 0, 0x100, Fail::None, 0, -1, 0},
    {"list fails its check: left alone", 'S', 'S', 2, 0, Fail::List, 0, -1, 0},
    {"sqlca fails its check: left alone", 'S', 'S', 2, 0, Fail::Sqlca, 0, -1, 0},
    {"entry array fails its check: its outcome", 'L', 'L', 2, 0, Fail::Entries, 9, -1, 0},
};

TEST_F(Lists, MediaListTerminatorAndItsRestore) {
    for (const TermRow& r : kTermRows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Texts texts;
        for (size_t i = 0; i < r.entries; ++i)  // 'Q' with a null text in the middle
            texts.push_back(r.type == 'Q' && i == 1 ? Texts::value_type() : std::string(2 + i, static_cast<char>('a' + i)));
        auto l = inplace_media(mem, "list", r.type, texts);
        Status st;
        sqluMediaList* field = l.list;
        sqlca* ca = st.ca();
        qx3::SlotRecord* const untouched = reinterpret_cast<qx3::SlotRecord*>(uintptr_t{0x5EED});
        qx3::SlotRecord* slots = untouched;
        standin::checks_active(true);
        if (r.fail == Fail::List) standin::fail_checks(l.list, 12, standin::mode_bit(3));
        if (r.fail == Fail::Sqlca) standin::fail_checks(st.ca(), 136, standin::mode_bit(3));
        if (r.fail == Fail::Entries) standin::fail_checks(l.entries->data(), 1, standin::mode_bit(3), 9);
        const auto before = mem.snapshot();

        EXPECT_EQ(qx3::media_list_terminate(&field, &slots, &ca, r.expected, r.always), r.rc);

        EXPECT_TRUE(mem.Is(mem.with_nuls(before, l.borrowed(r.terminated))));
        EXPECT_TRUE(SameBytes(Status().mem.bytes(), st.mem)) << "sqlca untouched";
        if (r.slot_bytes < 0) {
            EXPECT_EQ(slots, untouched) << "no slot array, so the caller's variable is not written";
            EXPECT_TRUE(blocks().empty());
            continue;
        }
        ASSERT_NE(slots, untouched);
        ASSERT_EQ(blocks().size(), 1u);
        EXPECT_EQ(blocks()[0].size, static_cast<uint32_t>(r.slot_bytes));
        EXPECT_EQ(blocks()[0].tag, "sqlgload");
        EXPECT_EQ(qx3::media_list_restore(&field, slots, &ca, r.expected, r.always), 0);
        EXPECT_TRUE(mem.Is(before));
        if (r.type == 'Q') {  // the checks in order: list, status record, entries, each text; the restore's
            std::vector<std::tuple<uintptr_t, uint32_t, uint32_t>> made, want;
            for (const standin::Check& c : standin::checks()) made.emplace_back(c.p, c.length, c.mode);
            for (const auto& [p, length] : std::initializer_list<std::pair<const void*, uint32_t>>{
                     {l.list, 12}, {st.ca(), 136}, {l.entries->data(), 24}, {l.texts[0], 3}, {l.texts[2], 5},
                     {l.list, 12}, {slots, 8}, {st.ca(), 136}})
                want.emplace_back(reinterpret_cast<uintptr_t>(p), length, 3);
            EXPECT_EQ(made, want);
        }
        EXPECT_TRUE(blocks().empty());
        auto frees = calls("sqlofmblkEx");
        ASSERT_EQ(frees.size(), 1u);
        EXPECT_EQ(standin::show(frees[0].strings[0]), "sqlgload");
    }
}

// ---- In-place lists of backup and restore ------------------------------------------------------

// The in-place tablespace list (type 0 below) and media list of the legacy backup and restore calls,
// over three entries.
TEST_F(Lists, InPlaceListsOfBackupAndRestore) {
    struct Row {
        const char* what;
        uint8_t type;
        int32_t count;          // iNumEntries as the caller sets it
        Fail fail;              // LastName: the last text fails its own check with 0x1F
        int32_t rc;
        size_t lent;            // leading texts lent a NUL
        int64_t slot_bytes;     // -1: no slot array
        int64_t entries_check;  // length of the entry array's check (-1: none)
    } rows[] = {
        {"tablespaces: converted and given back", 0, 3, Fail::None, 0, 3, 24, 72},
        {"tablespaces: list fails its check, passed on as it is", 0, 3, Fail::List, 0, 0, -1, -1},
        {"tablespaces: entries fail their check, passed on as they are", 0, 3, Fail::Entries, 0, 0, -1, 72},
        {"tablespaces: the last name's check is the status", 0, 3, Fail::LastName, 0x1F, 2, 24, 72},
        {"tablespaces: no entries, an empty slot array", 0, 0, Fail::None, 0, 0, 0, 0},
        {"L: every entry", 'L', 3, Fail::None, 0, 3, 24, 660},
        {"O: one slot, the first entry", 'O', 3, Fail::None, 0, 1, 8, 520},
        {"O: the first entry even when the count is 0", 'O', 0, Fail::None, 0, 1, 8, 520},
        {"L: no entries, an empty slot array", 'L', 0, Fail::None, 0, 0, 0, 0},
        {"S: passed on untouched", 'S', 3, Fail::None, 0, 0, -1, -1},
        {"Q: passed on untouched", 'Q', 3, Fail::None, 0, 0, -1, -1},
        {"C: passed on untouched", 'C', 3, Fail::None, 0, 0, -1, -1},
        {"L: list fails its check", 'L', 3, Fail::List, 0, 0, -1, -1},
        {"L: entries fail their check", 'L', 3, Fail::Entries, 0, 0, -1, 660},
        {"O: first entry fails its check", 'O', 3, Fail::Entries, 0, 0, -1, 520},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Status st;
        const qx3::ListOwner owner{"sqlgbkup", st.ca(), qx3::diag("sqlgbkup")};
        auto check = [&](auto& l, auto& conversion) {
            l.list->iNumEntries = r.count;
            standin::checks_active(true);
            if (r.fail == Fail::List) standin::fail_checks(l.list, sizeof(*l.list), standin::mode_bit(3));
            if (r.fail == Fail::Entries) standin::fail_checks(l.entries->data() + 71, 1, standin::mode_bit(3));
            if (r.fail == Fail::LastName) standin::fail_check_exact(l.texts[2], l.lengths[2] + 1, standin::mode_bit(3), 0x1F);
            const auto before = mem.snapshot();
            EXPECT_EQ(conversion.convert(l.list, owner), r.rc);
            EXPECT_TRUE(mem.Is(mem.with_nuls(before, l.borrowed(r.lent))));
            EXPECT_TRUE(SameBytes(Status().mem.bytes(), st.mem));
            std::vector<std::string> seen;
            for (const standin::Block& b : blocks()) seen.push_back(b.tag + " " + std::to_string(b.size));
            EXPECT_EQ(seen, r.slot_bytes < 0 ? std::vector<std::string>{}
                                             : std::vector<std::string>{"sqlgbkup " + std::to_string(r.slot_bytes)});
            int64_t checked = -1;
            for (const standin::Check& c : standin::checks())
                if (c.p == reinterpret_cast<uintptr_t>(l.entries->data())) checked = c.length;
            EXPECT_EQ(checked, r.entries_check);
            conversion.restore();
            EXPECT_TRUE(mem.Is(before));
        };
        if (r.type == 0) {
            auto l = inplace_tablespaces(mem, "tablespaces", {"USERSPACE1", "", std::string(19, 'T')});
            qx3::InPlaceTablespaceList ts;
            check(l, ts);
        } else {
            auto l = inplace_media(mem, "media", r.type, {std::string("kkkkk"), std::string("llllll"), std::string("mmmmmmm")});
            qx3::InPlaceMediaList media;
            check(l, media);
        }
    }
}

// ---- Copied lists ------------------------------------------------------------------------------

qx3::ListOwner copier(sqlca* ca) { return qx3::ListOwner{"sqlgrestore", ca, qx3::diag("qx3gRest")}; }

TEST_F(Lists, CopiedMediaListOfThreeEntriesOneOfThemNull) {
    CallerMemory mem;
    auto g = generic_media(mem, "media", 'Q', {std::string("ab"), std::nullopt, std::string("cde")});
    Status st;
    const auto before = mem.snapshot();
    qx3::CopiedMediaList media;
    ASSERT_EQ(media.convert(g.list, copier(st.ca())), 0);
    qx3MediaList* native = media.field();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->iNumEntries, 3u);
    EXPECT_EQ(native->iMediaType, 'Q');
    EXPECT_EQ(native->reserved[0] | native->reserved[1] | native->reserved[2], 0);
    ASSERT_NE(native->piEntries, nullptr);
    // Copies, not the caller's texts; a null text gets an empty copy.
    const char* const* e = native->piEntries;
    EXPECT_EQ((std::vector<std::string>{e[0], e[1], e[2]}), (std::vector<std::string>{"ab", "", "cde"}));
    EXPECT_TRUE(e[0] != g.texts[0] && e[2] != g.texts[2]);
    EXPECT_TRUE(mem.Is(mem.with_nuls(before, g.borrowed()))) << "the caller's texts are lent their NULs too";
    // Slot array 3 x 8, pointer array 3 x 12, copies of L + 1 bytes (the null text's L is 4).
    std::vector<uint32_t> asked;
    for (const standin::Call& c : calls("sqloGetMemoryBlockExtended")) asked.push_back(c.words[1]);
    EXPECT_EQ(asked, (std::vector<uint32_t>{24, 36, 3, 5, 4}));
    for (const standin::Block& b : blocks()) EXPECT_EQ(b.tag, "sqlgrestore");
    media.restore();
    EXPECT_TRUE(mem.Is(before));
    EXPECT_EQ(blocks().size(), 4u) << "the copies outlive the restore, until the release";
    media.release();
    EXPECT_TRUE(blocks().empty());
}

TEST_F(Lists, CopiedListsLeftEmptyOrNull) {
    struct Row {
        const char* what;
        Fail fail;
        size_t entries;
        qx3::Empty empty;
        bool null;            // no list at all: a null native field
        unsigned blocks;      // asked for
    } rows[] = {
        {"no list", Fail::None, 0, qx3::Empty::Converted, true, 0},
        {"list fails its check", Fail::List, 2, qx3::Empty::Converted, false, 0},
        {"entries fail their check", Fail::Entries, 2, qx3::Empty::Converted, false, 0},
        {"no entries, left empty", Fail::None, 0, qx3::Empty::Left, false, 0},
        {"no entries, converted regardless: two empty blocks", Fail::None, 0, qx3::Empty::Converted, false, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Status st;
        auto g = generic_tablespaces(mem, "ts", Texts(r.entries, std::string("abc")));
        standin::checks_active(true);
        if (r.fail == Fail::List) standin::fail_checks(g.list, 8, standin::mode_bit(3));
        if (r.fail == Fail::Entries) standin::fail_checks(static_cast<char*>(g.entries) + 23, 1, standin::mode_bit(3));
        const auto before = mem.snapshot();
        qx3::CopiedTablespaceList ts;
        EXPECT_EQ(ts.convert(r.null ? nullptr : g.list, copier(st.ca()), qx3::BadEntry::Skip, r.empty), 0);
        EXPECT_EQ(standin::allocations(), r.blocks);
        EXPECT_TRUE(mem.Is(before));
        if (r.null) {
            EXPECT_EQ(ts.field(), nullptr);
        } else {
            ASSERT_NE(ts.field(), nullptr) << "a list that was given stays a list";
            EXPECT_EQ(ts.field()->iNumEntries, 0u);
            EXPECT_EQ(ts.field()->piEntries == nullptr, r.blocks == 0);
        }
        ts.restore();
        ts.release();
    }
}

}  // namespace
