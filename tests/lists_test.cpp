// The list conversions, exercised directly against the stand-in: the entry unit and its status
// rule, the media-list terminator and its restore, the in-place tablespace and media lists of
// backup and restore, and the copied lists.
#include <string.h>

#include <algorithm>

#include "frame/lists.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

class Lists : public ::testing::Test {
protected:
    void SetUp() override { fresh_native_layer(); }
    void TearDown() override { expect_native_layer_clean(); }
};

std::vector<standin::Block> blocks() { return standin::live_blocks(); }

// ---- The entry unit ----------------------------------------------------------------------------

enum class E { Pass, Fail5, Fail7, Null };

TEST_F(Lists, EntryUnitStatusIsTheLastCheckMade) {
    struct Row {
        const char* what;
        bool checks;
        std::vector<E> entries;
        int32_t start;
        int32_t status;
    } rows[] = {
        {"all pass", true, {E::Pass, E::Pass, E::Pass}, 0, 0},
        {"an earlier failure is replaced by a later pass", true, {E::Pass, E::Fail5, E::Pass}, 0, 0},
        {"the last check fails", true, {E::Pass, E::Pass, E::Fail7}, 0, 7},
        {"the last of two failures counts", true, {E::Fail5, E::Fail7}, 0, 7},
        {"a null text after a failure leaves it", true, {E::Pass, E::Fail5, E::Null}, 0, 5},
        {"a null text makes no check and keeps what was", true, {E::Null}, 9, 9},
        {"a pass replaces what was", true, {E::Pass}, 9, 0},
        {"checks inactive: every text passes", false, {E::Fail5, E::Fail7}, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        std::vector<char*> texts;
        for (size_t i = 0; i < r.entries.size(); ++i) {
            char* t = mem.text("text " + std::to_string(i), "ab" + std::to_string(i));
            if (r.entries[i] == E::Fail5) standin::fail_checks(t, 4, standin::mode_bit(3), 5);
            if (r.entries[i] == E::Fail7) standin::fail_checks(t, 4, standin::mode_bit(3), 7);
            texts.push_back(r.entries[i] == E::Null ? nullptr : t);
        }
        standin::checks_active(r.checks);
        const auto before = mem.snapshot();
        std::vector<qx3::SlotRecord> slots(r.entries.size(), qx3::SlotRecord{1234, 99});
        int32_t status = r.start;
        std::vector<const char*> lent;
        for (size_t i = 0; i < texts.size(); ++i) {
            qx3::entry_unit(slots[i], texts[i], 3, status);
            const bool terminated = texts[i] != nullptr && (!r.checks || r.entries[i] == E::Pass);
            if (terminated) lent.push_back(texts[i] + 3);
            EXPECT_EQ(slots[i].pos, terminated ? 3 : -1) << "entry " << i;
            EXPECT_EQ(slots[i].saved, terminated ? uint32_t{'~'} : 0u) << "entry " << i;
        }
        EXPECT_EQ(status, r.status);
        EXPECT_TRUE(mem.Is(mem.with_nuls(before, lent)));
        for (size_t i = 0; i < texts.size(); ++i) qx3::entry_restore(slots[i], texts[i]);
        EXPECT_TRUE(mem.Is(before));
        // One check per non-null text, over L + 1 bytes, read and write.
        size_t expected_checks = 0;
        for (E e : r.entries) expected_checks += (r.checks && e != E::Null) ? 1 : 0;
        ASSERT_EQ(standin::checks().size(), expected_checks);
        for (const standin::Check& c : standin::checks()) {
            EXPECT_EQ(c.length, 4u);
            EXPECT_EQ(c.mode, 3u);
        }
    }
}

// ---- Media-list terminator ---------------------------------------------------------------------

enum class Fail { None, List, Sqlca, Entries, Alloc };

struct TermRow {
    const char* what;
    uint8_t type;
    uint32_t expected;
    size_t entries;
    uint32_t always;
    Fail fail;
    bool refuse_sqlca;
    int32_t rc;
    int64_t slot_bytes;   // -1: no slot array
    size_t terminated;    // how many leading entries get a NUL
};

const TermRow kTermRows[] = {
    {"type S, two entries", 'S', 'S', 2, 0, Fail::None, false, 0, 16, 2},
    {"type C converts like S", 'C', 'C', 3, 0, Fail::None, false, 0, 24, 3},
    {"type L, 220-byte entries", 'L', 'L', 3, 0, Fail::None, false, 0, 24, 3},
    {"type Q, texts by pointer", 'Q', 'Q', 3, 0, Fail::None, false, 0, 24, 3},
    {"type O: the first entry only, slots for all", 'O', 'O', 3, 0, Fail::None, false, 0, 24, 1},
    {"expected L, list of type S: left alone", 'S', 'L', 2, 0, Fail::None, false, 0, -1, 0},
    {"expected type compared with the zero-extended code", 'S', 0x153, 2, 0, Fail::None, false, 0, -1, 0},
    {"a type no conversion knows", 'X', 'X', 2, 1, Fail::None, false, 0, -1, 0},
    {"no entries, flag clear: nothing taken", 'S', 'S', 0, 0, Fail::None, false, 0, -1, 0},
    {"no entries, flag set: an empty slot array", 'S', 'S', 0, 1, Fail::None, false, 0, 0, 0},
    {"type O, no entries, flag set: no slot, so no entry", 'O', 'O', 0, 1, Fail::None, false, 0, 0, 0},
    {"only the flag's low 8 bits count", 'S', 'S', 0, 0x100, Fail::None, false, 0, -1, 0},
    {"list fails its check: left alone", 'S', 'S', 2, 0, Fail::List, false, 0, -1, 0},
    {"sqlca fails its check: left alone", 'S', 'S', 2, 0, Fail::Sqlca, false, 0, -1, 0},
    {"entry array fails its check: its outcome", 'L', 'L', 2, 0, Fail::Entries, false, 9, -1, 0},
    {"slot array cannot be had", 'S', 'S', 2, 0, Fail::Alloc, false, -83, -1, 0},
    {"slot array cannot be had, sqlca refused", 'Q', 'Q', 2, 0, Fail::Alloc, true, -83, -1, 0},
};

TEST_F(Lists, MediaListTerminatorAndItsRestore) {
    for (const TermRow& r : kTermRows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Texts texts;
        for (size_t i = 0; i < r.entries; ++i) texts.push_back(std::string(2 + i, static_cast<char>('a' + i)));
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
        if (r.fail == Fail::Alloc) standin::fail_allocation(1);
        if (r.refuse_sqlca) standin::refuse_sqlca(1);
        const auto before = mem.snapshot();

        EXPECT_EQ(qx3::media_list_terminate(&field, &slots, &ca, r.expected, r.always), r.rc);

        EXPECT_TRUE(mem.Is(mem.with_nuls(before, l.borrowed(r.terminated))));
        if (r.fail == Fail::Alloc) {
            EXPECT_TRUE(SameBytes(r.refuse_sqlca ? st.before : st.with(-83, "sqluMake"), st.mem));
        } else {
            EXPECT_TRUE(SameBytes(Status().mem.bytes(), st.mem)) << "sqlca untouched";
        }
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
        EXPECT_TRUE(blocks().empty());
        auto frees = calls("sqlofmblkEx");
        ASSERT_EQ(frees.size(), 1u);
        EXPECT_EQ(standin::show(frees[0].strings[0]), "sqlgload");
    }
}

TEST_F(Lists, MediaListTerminatorChecksInItsOrder) {
    CallerMemory mem;
    auto l = inplace_media(mem, "list", 'Q', {std::string("abc"), std::nullopt, std::string("de")});
    Status st;
    sqluMediaList* field = l.list;
    sqlca* ca = st.ca();
    qx3::SlotRecord* slots = nullptr;
    standin::checks_active(true);
    ASSERT_EQ(qx3::media_list_terminate(&field, &slots, &ca, 'Q', 0), 0);
    struct Want {
        const void* p;
        uint32_t length;
    } want[] = {{l.list, 12}, {st.ca(), 136}, {l.entries->data(), 24}, {l.texts[0], 4}, {l.texts[2], 3}};
    const auto& checks = standin::checks();
    ASSERT_EQ(checks.size(), std::size(want));
    for (size_t i = 0; i < checks.size(); ++i) {
        EXPECT_EQ(checks[i].p, reinterpret_cast<uintptr_t>(want[i].p)) << "check " << i;
        EXPECT_EQ(checks[i].length, want[i].length) << "check " << i;
        EXPECT_EQ(checks[i].mode, 3u) << "check " << i;
    }
    ASSERT_EQ(calls("sqloGetMemoryBlockExtended").size(), 1u);
    EXPECT_EQ(calls("sqloGetMemoryBlockExtended")[0].words[1], 24u);
    qx3::media_list_restore(&field, slots, &ca, 'Q', 0);
    // The restore checks the list, one slot and the record again.
    ASSERT_EQ(checks.size(), std::size(want) + 3);
    EXPECT_EQ(checks[5].p, reinterpret_cast<uintptr_t>(l.list));
    EXPECT_EQ(checks[6].p, reinterpret_cast<uintptr_t>(slots));
    EXPECT_EQ(checks[6].length, 8u);
    EXPECT_EQ(checks[7].p, reinterpret_cast<uintptr_t>(st.ca()));
}

TEST_F(Lists, MediaListTerminatorStatusRule) {
    struct Row {
        const char* what;
        std::vector<E> entries;
        int32_t rc;
    } rows[] = {
        {"second fails, third passes: converted, second unterminated", {E::Pass, E::Fail5, E::Pass}, 0},
        {"third fails: its outcome", {E::Pass, E::Pass, E::Fail7}, 7},
        {"a null text after a failure keeps it", {E::Fail5, E::Null}, 5},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Texts texts;
        for (E e : r.entries) texts.push_back(e == E::Null ? std::nullopt : std::optional<std::string>("xyz"));
        auto l = inplace_media(mem, "list", 'Q', texts);
        for (size_t i = 0; i < r.entries.size(); ++i) {
            if (r.entries[i] == E::Fail5) standin::fail_checks(l.texts[i], 4, standin::mode_bit(3), 5);
            if (r.entries[i] == E::Fail7) standin::fail_checks(l.texts[i], 4, standin::mode_bit(3), 7);
        }
        standin::checks_active(true);
        Status st;
        sqluMediaList* field = l.list;
        sqlca* ca = st.ca();
        qx3::SlotRecord* slots = nullptr;
        const auto before = mem.snapshot();
        EXPECT_EQ(qx3::media_list_terminate(&field, &slots, &ca, 'Q', 0), r.rc);
        std::vector<const char*> lent;
        for (size_t i = 0; i < r.entries.size(); ++i)
            if (r.entries[i] == E::Pass) lent.push_back(l.texts[i] + 3);
        EXPECT_TRUE(mem.Is(mem.with_nuls(before, lent)));
        ASSERT_NE(slots, nullptr);
        qx3::media_list_restore(&field, slots, &ca, 'Q', 0);
        EXPECT_TRUE(mem.Is(before));
    }
}

// ---- In-place lists of backup and restore ------------------------------------------------------

qx3::ListOwner owner_of(sqlca* ca) { return qx3::ListOwner{"sqlgbkup", ca, qx3::diag("sqlgbkup")}; }

TEST_F(Lists, InPlaceTablespaceList) {
    struct Row {
        const char* what;
        Fail fail;
        bool refuse;
        int32_t rc;
        bool converted;
    } rows[] = {
        {"converted and given back", Fail::None, false, 0, true},
        {"list fails its check: passed on as it is", Fail::List, false, 0, false},
        {"entries fail their check: passed on as it is", Fail::Entries, false, 0, false},
        {"slot array cannot be had", Fail::Alloc, false, -83, false},
        {"slot array cannot be had, sqlca refused", Fail::Alloc, true, -83, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        auto l = inplace_tablespaces(mem, "tablespaces", {"USERSPACE1", "", std::string(19, 'T')});
        Status st;
        standin::checks_active(true);
        if (r.fail == Fail::List) standin::fail_checks(l.list, 8, standin::mode_bit(3));
        if (r.fail == Fail::Entries) standin::fail_checks(l.entries->data() + 71, 1, standin::mode_bit(3));
        if (r.fail == Fail::Alloc) standin::fail_allocation(1);
        if (r.refuse) standin::refuse_sqlca(1);
        const auto before = mem.snapshot();
        qx3::InPlaceTablespaceList ts;
        EXPECT_EQ(ts.convert(l.list, owner_of(st.ca())), r.rc);
        EXPECT_TRUE(mem.Is(r.converted ? mem.with_nuls(before, l.borrowed()) : before));
        EXPECT_TRUE(SameBytes(r.rc == -83 && !r.refuse ? st.with(-83, "sqlgbkup") : Status().mem.bytes(), st.mem));
        if (r.converted) {
            ASSERT_EQ(blocks().size(), 1u);
            EXPECT_EQ(blocks()[0].size, 24u);
            EXPECT_EQ(blocks()[0].tag, "sqlgbkup");
        }
        ts.restore();
        EXPECT_TRUE(mem.Is(before));
    }
}

TEST_F(Lists, InPlaceTablespaceListStatusRuleAndEmptyList) {
    CallerMemory mem;
    auto l = inplace_tablespaces(mem, "tablespaces", {"A", "BB", "CCC"});
    Status st;
    standin::checks_active(true);
    standin::fail_check_exact(l.texts[2], 4, standin::mode_bit(3), 0x1F);
    const auto before = mem.snapshot();
    qx3::InPlaceTablespaceList ts;
    EXPECT_EQ(ts.convert(l.list, owner_of(st.ca())), 0x1F);
    EXPECT_TRUE(mem.Is(mem.with_nuls(before, {l.texts[0] + 1, l.texts[1] + 2})));
    ts.restore();
    EXPECT_TRUE(mem.Is(before));

    // No entries: an empty slot array is taken and given back.
    l.list->iNumEntries = 0;
    qx3::InPlaceTablespaceList none;
    EXPECT_EQ(none.convert(l.list, owner_of(st.ca())), 0);
    ASSERT_EQ(blocks().size(), 1u);
    EXPECT_EQ(blocks()[0].size, 0u);
    none.restore();
}

TEST_F(Lists, InPlaceMediaListOfBackupAndRestore) {
    struct Row {
        const char* what;
        uint8_t type;
        size_t entries;
        int32_t count;   // iNumEntries as the caller sets it
        Fail fail;
        int64_t slot_bytes;
        size_t terminated;
        int64_t entries_check;  // length of the entry array check (-1: none)
    } rows[] = {
        {"L: every entry", 'L', 3, 3, Fail::None, 24, 3, 660},
        {"O: one slot, the first entry", 'O', 3, 3, Fail::None, 8, 1, 520},
        {"O: the first entry even when the count is 0", 'O', 1, 0, Fail::None, 8, 1, 520},
        {"L: no entries, an empty slot array", 'L', 1, 0, Fail::None, 0, 0, 0},
        {"S: passed on untouched", 'S', 2, 2, Fail::None, -1, 0, -1},
        {"Q: passed on untouched", 'Q', 2, 2, Fail::None, -1, 0, -1},
        {"C: passed on untouched", 'C', 2, 2, Fail::None, -1, 0, -1},
        {"L: list fails its check", 'L', 2, 2, Fail::List, -1, 0, -1},
        {"L: entries fail their check", 'L', 2, 2, Fail::Entries, -1, 0, 440},
        {"O: first entry fails its check", 'O', 2, 2, Fail::Entries, -1, 0, 520},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Texts texts;
        for (size_t i = 0; i < r.entries; ++i) texts.push_back(std::string(5 + i, static_cast<char>('k' + i)));
        auto l = inplace_media(mem, "media", r.type, texts);
        l.list->iNumEntries = r.count;
        Status st;
        standin::checks_active(true);
        if (r.fail == Fail::List) standin::fail_checks(l.list, 12, standin::mode_bit(3));
        if (r.fail == Fail::Entries) standin::fail_checks(l.entries->data() + 100, 1, standin::mode_bit(3));
        const auto before = mem.snapshot();
        qx3::InPlaceMediaList media;
        EXPECT_EQ(media.convert(l.list, owner_of(st.ca())), 0);
        EXPECT_TRUE(mem.Is(mem.with_nuls(before, l.borrowed(r.terminated))));
        if (r.slot_bytes < 0) {
            EXPECT_TRUE(blocks().empty());
        } else {
            ASSERT_EQ(blocks().size(), 1u);
            EXPECT_EQ(blocks()[0].size, static_cast<uint32_t>(r.slot_bytes));
        }
        bool entries_checked = false;
        for (const standin::Check& c : standin::checks())
            if (c.p == reinterpret_cast<uintptr_t>(l.entries->data())) {
                entries_checked = true;
                EXPECT_EQ(c.length, r.entries_check);
            }
        EXPECT_EQ(entries_checked, r.entries_check >= 0);
        media.restore();
        EXPECT_TRUE(mem.Is(before));
    }
}

// ---- Copied lists ------------------------------------------------------------------------------

qx3::ListOwner copier(sqlca* ca) { return qx3::ListOwner{"sqlgrestore", ca, qx3::diag("qx3gRest")}; }

TEST_F(Lists, CopiedMediaListOfTwoEntries) {
    CallerMemory mem;
    auto g = generic_media(mem, "media", 'Q', {std::string("ab"), std::string("cde")});
    Status st;
    const auto before = mem.snapshot();
    qx3::CopiedMediaList media;
    ASSERT_EQ(media.convert(g.list, copier(st.ca())), 0);
    qx3MediaList* native = media.field();
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(native->iNumEntries, 2u);
    EXPECT_EQ(native->iMediaType, 'Q');
    EXPECT_EQ(native->reserved[0] | native->reserved[1] | native->reserved[2], 0);
    ASSERT_NE(native->piEntries, nullptr);
    EXPECT_EQ(std::string(native->piEntries[0]), "ab");
    EXPECT_EQ(std::string(native->piEntries[1]), "cde");
    EXPECT_NE(native->piEntries[0], g.texts[0]) << "a copy, not the caller's text";
    EXPECT_TRUE(mem.Is(mem.with_nuls(before, g.borrowed()))) << "the caller's texts are lent their NULs too";
    // Slot array 2 x 8, pointer array 2 x 12, copies 3 and 4 bytes.
    auto gets = calls("sqloGetMemoryBlockExtended");
    ASSERT_EQ(gets.size(), 4u);
    EXPECT_EQ(gets[0].words[1], 16u);
    EXPECT_EQ(gets[1].words[1], 24u);
    EXPECT_EQ(gets[2].words[1], 3u);
    EXPECT_EQ(gets[3].words[1], 4u);
    for (const standin::Block& b : blocks()) EXPECT_EQ(b.tag, "sqlgrestore");
    media.restore();
    EXPECT_TRUE(mem.Is(before));
    EXPECT_EQ(blocks().size(), 3u) << "the copies outlive the restore, until the release";
    media.release();
    EXPECT_TRUE(blocks().empty());
}

TEST_F(Lists, CopiedListsLeftEmptyOrNull) {
    Status st;
    {
        qx3::CopiedTablespaceList none;
        EXPECT_EQ(none.convert(nullptr, copier(st.ca())), 0);
        EXPECT_EQ(none.field(), nullptr);
    }
    struct Row {
        const char* what;
        Fail fail;
        size_t entries;
        qx3::Empty empty;
    } rows[] = {
        {"list fails its check", Fail::List, 2, qx3::Empty::Converted},
        {"entries fail their check", Fail::Entries, 2, qx3::Empty::Converted},
        {"no entries, left empty", Fail::None, 0, qx3::Empty::Left},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Texts texts(r.entries, std::string("abc"));
        auto g = generic_tablespaces(mem, "ts", texts);
        standin::checks_active(true);
        if (r.fail == Fail::List) standin::fail_checks(g.list, 8, standin::mode_bit(3));
        if (r.fail == Fail::Entries) standin::fail_checks(static_cast<char*>(g.entries) + 23, 1, standin::mode_bit(3));
        const auto before = mem.snapshot();
        qx3::CopiedTablespaceList ts;
        EXPECT_EQ(ts.convert(g.list, copier(st.ca()), qx3::BadEntry::Skip, r.empty), 0);
        ASSERT_NE(ts.field(), nullptr) << "a list that was given stays a list";
        EXPECT_EQ(ts.field()->piEntries, nullptr);
        EXPECT_EQ(ts.field()->iNumEntries, 0u);
        EXPECT_EQ(standin::allocations(), 0u);
        EXPECT_TRUE(mem.Is(before));
        ts.restore();
        ts.release();
    }
    // Converted regardless: a list of no entries still takes its two empty blocks.
    standin::reset();
    CallerMemory mem;
    auto g = generic_tablespaces(mem, "ts", {});
    qx3::CopiedTablespaceList ts;
    EXPECT_EQ(ts.convert(g.list, copier(st.ca())), 0);
    EXPECT_EQ(standin::allocations(), 2u);
    ts.restore();
    ts.release();
}

TEST_F(Lists, CopiedListEntriesThatFailTheirChecks) {
    struct Row {
        const char* what;
        qx3::BadEntry bad;
        bool length_check_fails;  // the check over L fails for entry 1 (else only the one over L + 1)
        bool last_fails;          // entry 2's check over L + 1 fails
        int32_t rc;
        std::vector<std::string> native;  // what the native list holds
        size_t copies;
        bool skip_last = false;   // entry 2's check over L fails
    } rows[] = {
        {"skipped: null in the native list, call goes on", qx3::BadEntry::Skip, true, false, 0,
         {"a1", "<null>", "c333"}, 2},
        {"ends the conversion with the check's outcome", qx3::BadEntry::Ends, true, false, 6, {}, 1},
        {"text passes over L, fails over L + 1: copied, unterminated", qx3::BadEntry::Skip, false, false, 0,
         {"a1", "b22", "c333"}, 3},
        {"the last entry fails over L + 1: its outcome", qx3::BadEntry::Skip, false, true, 8, {}, 3},
        {"a skipped last entry leaves the status as it was", qx3::BadEntry::Skip, false, false, 6, {}, 2, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        auto g = generic_tablespaces(mem, "ts", {std::string("a1"), std::string("b22"), std::string("c333")});
        standin::checks_active(true);
        if (r.length_check_fails) standin::fail_checks(g.texts[1], 3, standin::mode_bit(3), 6);
        else standin::fail_checks(g.texts[1] + 3, 1, standin::mode_bit(3), 6);
        if (r.last_fails) standin::fail_checks(g.texts[2] + 4, 1, standin::mode_bit(3), 8);
        if (r.skip_last) standin::fail_checks(g.texts[2], 1, standin::mode_bit(3), 9);
        Status st;
        const auto before = mem.snapshot();
        qx3::CopiedTablespaceList ts;
        EXPECT_EQ(ts.convert(g.list, copier(st.ca()), r.bad), r.rc);
        if (!r.native.empty()) {
            const qx3TablespaceList* n = ts.field();
            std::vector<std::string> seen;
            for (uint32_t i = 0; i < n->iNumEntries; ++i)
                seen.push_back(n->piEntries[i] ? std::string(n->piEntries[i]) : "<null>");
            EXPECT_EQ(seen, r.native);
        }
        std::vector<const char*> lent = {g.texts[0] + 2};
        if (!r.length_check_fails && r.bad == qx3::BadEntry::Skip && !r.last_fails && !r.skip_last)
            lent.push_back(g.texts[2] + 4);
        if (r.bad == qx3::BadEntry::Skip && r.length_check_fails) lent.push_back(g.texts[2] + 4);
        EXPECT_TRUE(mem.Is(mem.with_nuls(before, lent)));
        EXPECT_EQ(blocks().size(), 2 + r.copies);
        EXPECT_TRUE(SameBytes(Status().mem.bytes(), st.mem)) << "a check's outcome writes nothing";
        ts.restore();
        ts.release();
        EXPECT_TRUE(mem.Is(before));
    }
}

TEST_F(Lists, CopiedListNullTextGetsAnEmptyCopy) {
    CallerMemory mem;
    auto g = generic_media(mem, "media", 'S', {std::nullopt, std::string("x")});
    Status st;
    qx3::CopiedMediaList media;
    ASSERT_EQ(media.convert(g.list, copier(st.ca())), 0);
    ASSERT_EQ(calls("sqloGetMemoryBlockExtended").size(), 4u);
    EXPECT_EQ(calls("sqloGetMemoryBlockExtended")[2].words[1], g.lengths[0] + 1) << "L + 1 bytes all the same";
    EXPECT_EQ(std::string(media.field()->piEntries[0]), "");
    EXPECT_EQ(std::string(media.field()->piEntries[1]), "x");
    media.restore();
    media.release();
}

}  // namespace
