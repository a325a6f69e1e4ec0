// The list conversions: the three that lend terminators in the caller's own entries (the media-list
// terminator of data movement, the tablespace and media lists of backup and restore), directly and
// through the movement calls that use them, and the copied lists.
#include <string.h>

#include <tuple>
#include <type_traits>

#include "frame/lists.h"
#include "support/lists.h"

using namespace qx3test;

namespace {

class Lists : public EntryTest {};
QX3_BACKENDS(Lists);

std::vector<std::string> blocks() {
    std::vector<std::string> out;
    for (const standin::Block& b : standin::live_blocks()) out.push_back(b.tag + " " + std::to_string(b.size));
    return out;
}

// Direct: the media-list terminator, the in-place media and tablespace lists. Through an entry
// point: qx3gLoad (the list at `at` in its record, checks inactive) and sqlgexpr (word 5).
enum class Conv { Term, Media, Names, Load, Expr };
enum class Fail { None, List, Sqlca, Entries, Middle, LastName };

// Three texts of 2, 3 and 4 characters (a 'Q' list's middle one null), seen between the conversion
// and its undo, or during the native call. The entry array fails its check from byte 71 with 9, a
// text its own with 0x1F.
TEST_P(Lists, InPlaceConversionsLendAndGiveBack) {
    struct Row {
        const char* what;
        Conv conv;
        uint8_t type;
        int32_t count;          // iNumEntries as the caller sets it
        Fail fail;
        int32_t rc;
        size_t lent;            // leading texts lent a NUL (a null or failing one left out)
        int64_t slot_bytes;     // -1: no slot array
        int64_t entries_check;  // length of the entry array's check (-1: none)
        uint32_t expected = 0, always = 0, at = 0;  // the terminator's type and flag; qx3gLoad's offset
    } rows[] = {
        {"term C converts like S", Conv::Term, 'C', 3, Fail::None, 0, 3, 24, 780, 'C'},
        {"term Q, texts by pointer, one null", Conv::Term, 'Q', 3, Fail::None, 0, 2, 24, 24, 'Q'},
        {"term O: the first entry only, slots for all", Conv::Term, 'O', 3, Fail::None, 0, 1, 24, 1560, 'O'},
        {"term: expected type against the zero-extended code", Conv::Term, 'S', 2, Fail::None, 0, 0, -1, -1, 0x153},
        {"term: a type no conversion knows", Conv::Term, 'X', 2, Fail::None, 0, 0, -1, -1, 'X', 1},
        {"term O, no entries, flag set: no slot, so no entry", Conv::Term, 'O', 0, Fail::None, 0, 0, 0, 0, 'O', 1},
        {"term: only the flag's low 8 bits count", Conv::Term, 'S', 0, Fail::None, 0, 0, -1, -1, 'S', 0x100},
        {"term: list fails its check", Conv::Term, 'S', 2, Fail::List, 0, 0, -1, -1, 'S'},
        {"term: sqlca fails its check", Conv::Term, 'S', 2, Fail::Sqlca, 0, 0, -1, -1, 'S'},
        {"term: entries fail their check, its outcome", Conv::Term, 'L', 2, Fail::Entries, 9, 0, -1, 440, 'L'},
        {"term: the last text's check is the status", Conv::Term, 'L', 3, Fail::LastName, 0x1F, 2, 24, 660, 'L'},
        {"names: converted and given back", Conv::Names, 0, 3, Fail::None, 0, 3, 24, 72},
        {"names: list fails its check, passed on as it is", Conv::Names, 0, 3, Fail::List, 0, 0, -1, -1},
        {"names: entries fail their check, passed on", Conv::Names, 0, 3, Fail::Entries, 0, 0, -1, 72},
        {"names: no entries, an empty slot array", Conv::Names, 0, 0, Fail::None, 0, 0, 0, 0},
        {"media L: every entry", Conv::Media, 'L', 3, Fail::None, 0, 3, 24, 660},
        {"media O: one slot, the first entry", Conv::Media, 'O', 3, Fail::None, 0, 1, 8, 520},
        {"media O: the first entry even when the count is 0", Conv::Media, 'O', 0, Fail::None, 0, 1, 8, 520},
        {"media L: no entries, an empty slot array", Conv::Media, 'L', 0, Fail::None, 0, 0, 0, 0},
        {"media S: passed on untouched", Conv::Media, 'S', 3, Fail::None, 0, 0, -1, -1},
        {"media L: list fails its check", Conv::Media, 'L', 3, Fail::List, 0, 0, -1, -1},
        {"media L: entries fail their check", Conv::Media, 'L', 3, Fail::Entries, 0, 0, -1, 660},
        {"media O: first entry fails its check", Conv::Media, 'O', 3, Fail::Entries, 0, 0, -1, 520},
        {"load list 1 ('S') always has a slot array", Conv::Load, 'S', 0, Fail::None, 0, 0, 0, -1, 0, 0, 0},
        {"load list 2 ('S') only with entries", Conv::Load, 'S', 0, Fail::None, 0, 0, -1, -1, 0, 0, 4},
        {"load list 2", Conv::Load, 'S', 2, Fail::None, 0, 2, 16, -1, 0, 0, 4},
        {"load list 5 ('S')", Conv::Load, 'S', 2, Fail::None, 0, 2, 16, -1, 0, 0, 72},
        {"load list 4 'O': the first entry", Conv::Load, 'O', 3, Fail::None, 0, 1, 24, -1, 0, 0, 36},
        {"load list 4 'L'", Conv::Load, 'L', 2, Fail::None, 0, 2, 16, -1, 0, 0, 36},
        {"load list 4 knows 'L' and 'O' only", Conv::Load, 'Q', 2, Fail::None, 0, 0, -1, -1, 0, 0, 36},
        {"load: no slot array for a negative count", Conv::Load, 'S', -1, Fail::None, -83, 0, -1, -1, 0, 0, 4},
        {"load: nor an entry", Conv::Load, 'S', INT32_MIN / 4, Fail::None, 0, 0, 0, -1, 0, 0, 0},
        {"sqlgexpr: a later check replaces a failure", Conv::Expr, 'L', 3, Fail::Middle, 0, 2, 24, 660},
        {"sqlgexpr: no entries, no slot array", Conv::Expr, 'L', 0, Fail::None, 0, 0, -1, -1},
        {"sqlgexpr: 'C' belongs at word 6", Conv::Expr, 'C', 3, Fail::None, 0, 0, -1, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Status st;
        sqlca* ca = st.ca();
        const bool entry = r.conv >= Conv::Load;
        const qx3::ListOwner owner{"sqlgbkup", st.ca(), qx3::diag("sqlgbkup")};
        qx3::SlotRecord* const untouched = reinterpret_cast<qx3::SlotRecord*>(uintptr_t{0x5EED});
        qx3::SlotRecord* slots = untouched;
        qx3::InPlaceMediaList media;
        qx3::InPlaceTablespaceList names;
        auto check = [&](auto& l, auto convert, auto restore) {
            l.list->iNumEntries = r.count;
            standin::checks_active(r.conv != Conv::Load);
            if (r.fail == Fail::List) standin::fail_checks(l.list, sizeof(*l.list), standin::mode_bit(3));
            if (r.fail == Fail::Sqlca) standin::fail_checks(st.ca(), 136, standin::mode_bit(3));
            if (r.fail == Fail::Entries) standin::fail_checks(l.entries->data() + 71, 1, standin::mode_bit(3), 9);
            const size_t bad = r.fail == Fail::Middle ? 1 : 2;
            if (r.fail >= Fail::Middle) standin::fail_check_exact(l.texts[bad], l.lengths[bad] + 1, standin::mode_bit(3), 0x1F);
            const auto before = mem.snapshot();
            auto during = before;
            std::vector<std::string> live;
            standin::during_call([&](const standin::Call&) { during = mem.snapshot(), live = blocks(); });
            EXPECT_EQ(convert(), r.rc);
            if (!entry) during = mem.snapshot(), live = blocks();
            auto lent = l.borrowed();
            if (r.fail == Fail::Middle) lent.erase(lent.begin() + 1);
            lent.resize(r.lent);
            const std::string tag = r.conv == Conv::Term || r.conv == Conv::Load ? "sqlgload "
                                    : r.conv == Conv::Expr ? "sqlgexpr " : "sqlgbkup ";
            if (!entry || r.rc == 0) {  // what the native side saw
                EXPECT_TRUE(mem.Same(mem.with_nuls(before, lent), during));
                EXPECT_EQ(live, r.slot_bytes < 0 ? std::vector<std::string>{}
                                                 : std::vector<std::string>{tag + std::to_string(r.slot_bytes)});
            }
            if (!entry || r.rc != 0) { EXPECT_TRUE(SameBytes(r.rc == -83 ? st.with(-83, "sqluMake") : st.before, st.mem)); }
            int64_t checked = -1;
            for (const standin::Check& c : standin::checks())
                if (c.p == reinterpret_cast<uintptr_t>(l.entries->data())) checked = c.length;
            EXPECT_EQ(checked, r.entries_check);
            restore();
            EXPECT_TRUE(mem.Is(before));
            if (r.type != 'Q' || r.conv != Conv::Term) return;
            // The checks in order: list, status record, entries, each text; the restore's.
            std::vector<std::tuple<uintptr_t, uint32_t, uint32_t>> seen, want;
            for (const standin::Check& c : standin::checks()) seen.emplace_back(c.p, c.length, c.mode);
            for (const auto& [p, n] : std::initializer_list<std::pair<const void*, uint32_t>>{
                     {l.list, 12}, {st.ca(), 136}, {l.entries->data(), 24}, {l.texts[0], 3}, {l.texts[2], 5},
                     {l.list, 12}, {slots, 8}, {st.ca(), 136}})
                want.emplace_back(reinterpret_cast<uintptr_t>(p), n, 3);
            EXPECT_EQ(seen, want);
        };
        if (r.conv == Conv::Names) {
            auto l = inplace_tablespaces(mem, "tablespaces", {"USERSPACE1", "", std::string(19, 'T')});
            check(l, [&] { return names.convert(l.list, owner); }, [&] { names.restore(); });
            continue;
        }
        Texts texts;
        for (size_t i = 0; i < 3; ++i)
            texts.push_back(r.type == 'Q' && i == 1 ? Texts::value_type() : std::string(2 + i, static_cast<char>('a' + i)));
        auto l = inplace_media(mem, "media", r.type, texts);
        sqluMediaList* field = l.list;
        if (r.conv == Conv::Media) {
            check(l, [&] { return media.convert(l.list, owner); }, [&] { media.restore(); });
        } else if (r.conv == Conv::Term) {
            check(l, [&] { return qx3::media_list_terminate(&field, &slots, &ca, r.expected, r.always); }, [&] {
                EXPECT_EQ(slots == untouched, r.slot_bytes < 0) << "the slot variable is written only with a block";
                if (slots != untouched) { EXPECT_EQ(qx3::media_list_restore(&field, slots, &ca, r.expected, r.always), 0); }
            });
        } else {
            Guarded& rec = mem.add("load record", 76);
            memset(rec.data(), 0, 76);
            memcpy(rec.data() + r.at, &field, 4);
            std::vector<uint32_t> words(15, 0);
            words[4] = w(field);
            words.back() = w(ca);
            const bool load = r.conv == Conv::Load;
            check(l, [&] { return load ? call("qx3gLoad", 1u, rec.data(), ca) : call_words("sqlgexpr", words); }, [] {});
        }
    }
}

// ---- Copied lists ------------------------------------------------------------------------------

// Each text copied into a block of its own (a null one gets an empty copy), each lent its NUL in the
// caller's entry; the copies outlive the restore until the release.
TEST_P(Lists, CopiedLists) {
    struct Row {
        const char* what;
        bool media;                   // a 'Q' media list, else a tablespace list
        Texts texts;
        Fail fail;
        bool null;                    // no list at all: a null native field
        std::vector<uint32_t> asked;  // block sizes, in order
        std::vector<std::string> copies;
    } rows[] = {
        // Slot array 3 x 8, pointer array 3 x 12, copies of L + 1 bytes (the null text's L is 4).
        {"three media entries, one null", true, {std::string("ab"), std::nullopt, std::string("cde")}, Fail::None,
         false, {24, 36, 3, 5, 4}, {"ab", "", "cde"}},
        {"no list", false, {}, Fail::None, true, {}, {}},
        {"list fails its check", false, {std::string("abc"), std::string("abc")}, Fail::List, false, {}, {}},
        {"entries fail their check", true, {std::string("abc"), std::string("abc")}, Fail::Entries, false, {}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        standin::reset();
        CallerMemory mem;
        Status st;
        auto check = [&](auto g, auto& copied) {
            standin::checks_active(r.fail != Fail::None);  // a null text passes no check
            if (r.fail == Fail::List) standin::fail_checks(g.list, sizeof(*g.list), standin::mode_bit(3));
            if (r.fail == Fail::Entries) standin::fail_checks(static_cast<char*>(g.entries) + 23, 1, standin::mode_bit(3));
            const auto before = mem.snapshot();
            const qx3::ListOwner owner{"sqlgrestore", st.ca(), qx3::diag("qx3gRest")};
            EXPECT_EQ(copied.convert(r.null ? nullptr : g.list, owner), 0);
            std::vector<uint32_t> asked;
            for (const standin::Call& c : calls("sqloGetMemoryBlockExtended")) asked.push_back(c.words[1]);
            EXPECT_EQ(asked, r.asked);
            for (const std::string& b : blocks()) EXPECT_EQ(b.substr(0, 12), "sqlgrestore ");
            EXPECT_TRUE(mem.Is(mem.with_nuls(before, r.fail == Fail::None ? g.borrowed() : std::vector<const char*>{})));
            auto* native = copied.field();
            ASSERT_EQ(native == nullptr, r.null);
            if (native != nullptr) {
                ASSERT_EQ(native->iNumEntries, r.copies.size());
                ASSERT_EQ(native->piEntries == nullptr, r.asked.empty());
                for (size_t i = 0; i < r.copies.size(); ++i) {
                    EXPECT_EQ(native->piEntries[i], r.copies[i]);
                    EXPECT_NE(native->piEntries[i], g.texts[i]) << "a copy, not the caller's text";
                }
            }
            copied.restore();
            EXPECT_TRUE(mem.Is(before));
            EXPECT_EQ(blocks().size(), r.asked.empty() ? 0 : r.asked.size() - 1) << "the copies outlive the restore";
            copied.release();
            EXPECT_TRUE(st.untouched());
            if constexpr (std::is_same_v<decltype(native), qx3MediaList*>)
                if (native != nullptr) {  // the type is copied with the entries, the reserved bytes stay 0
                    EXPECT_EQ(native->iMediaType | native->reserved[0] | native->reserved[1] | native->reserved[2],
                              r.asked.empty() ? 0 : 'Q');
                }
        };
        qx3::CopiedMediaList media;
        qx3::CopiedTablespaceList names;
        if (r.media)
            check(generic_media(mem, "media", 'Q', r.texts), media);
        else
            check(generic_tablespaces(mem, "names", r.texts), names);
    }
}

}  // namespace
