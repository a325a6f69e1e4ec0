#include "conformance.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <set>

#include "frame/entry_table.inc"
#include "native/table.inc"

namespace qx3test::conf {

namespace {

std::vector<Row>& registered() {
    static std::vector<Row> all;
    return all;
}

// The platform services: calls into the native layer that are not native entry points.
const std::set<std::string>& services() {
    static const std::set<std::string> s = [] {
        std::set<std::string> out;
#define N(name, bytes, module, family) \
    if (std::string(#family) == "frame") out.insert(#name);
        QX3_NATIVE_TABLE(N)
#undef N
        return out;
    }();
    return s;
}

}  // namespace

bool is_native(const std::string& name, const char* expected) {
    return name == expected || !services().count(name);
}

namespace {

std::vector<std::string> natives_called(const char* expected) {
    std::vector<std::string> out;
    for (const standin::Call& c : standin::calls())
        if (is_native(c.name, expected)) out.push_back(c.name);
    return out;
}

// How a path is taken.
struct Path {
    enum What { Plain, ChecksPass, Empty, OneBuffer, NullString, CheckFails, NoAppData, NoMemory } what = Plain;
    int string = -1;        // for NullString, CheckFails
    unsigned alloc = 0;     // for NoMemory: the failing request, 1-based
    bool refused = false;   // for NoMemory: sqloincaChkptr refuses the record
};

std::string describe(const Path& p) {
    switch (p.what) {
        case Path::Plain: return "checks inactive";
        case Path::ChecksPass: return "checks active and passing";
        case Path::Empty: return "every string of length 0, checks active";
        case Path::OneBuffer: return "every string one buffer of one length";
        case Path::NullString: return "string " + std::to_string(p.string + 1) + " null";
        case Path::CheckFails: return "string " + std::to_string(p.string + 1) + " fails its check";
        case Path::NoAppData: return "application data fails";
        case Path::NoMemory:
            return "memory request " + std::to_string(p.alloc) + " fails, record " +
                   (p.refused ? "refused" : "writable");
    }
    return "?";
}

// Distinct lengths, so that a string terminated with another's length shows; or none at all, when a
// string of length 0 borrows its first byte.
uint32_t length_of(size_t string, const Path& p) {
    return p.what == Path::Empty ? 0 : p.what == Path::OneBuffer ? 3 : 3 + 2 * static_cast<uint32_t>(string);
}

// A trimmed field: a value with an interior blank, then blanks to the end of the field.
uint32_t trimmed_length(uint32_t width) { return width < 4 ? width : width / 2 + 1; }

// Caller memory laid out from a row for one path: argument words of a pattern of their own, then
// the records, then a buffer of its own for each string that is not inline.
class Layout : public RowMemory {
public:
    Layout(const Row& r, const Path& path, sqlca* ca)
        : RowMemory(r, ca, [](char letter, uint32_t i) {
              switch (letter) {
                  case 'u': return 0xC0000000u + (i << 20) + 0x8000u + i * 0x101u + 1u;
                  case 'i': return 0x7E000000u + (i << 20) + 0xFEDCu - i * 0x111u;
                  default: return 0x5A000000u + (i << 20) + 0x1234u + i * 0x10101u;
              }
          }, [](Guarded& g, size_t k) { g.fill(static_cast<uint8_t>(0x61 + 17 * k)); }) {
        for (size_t s = 0; s < r.strings.size(); ++s) {
            const Str& st = r.strings[s];
            const uint32_t n_s = length_of(s, path);
            char* p;
            if (st.inline_text) {
                p = reinterpret_cast<char*>(addr(st.ptr));
                for (uint32_t i = 0; i < n_s; ++i) p[i] = static_cast<char>('a' + (s * 5 + i) % 26);
            } else if (path.what == Path::OneBuffer && shared_) {
                p = shared_;  // every terminator falls on one byte: the caller's must come back
                put(st.ptr, w(p), 4);
            } else {
                Guarded& g = mem_.add("string " + std::to_string(s + 1), n_s + 1);
                g.fill(static_cast<uint8_t>(0x41 + 13 * s));
                p = shared_ = g.chars();
                const bool null = path.what == Path::NullString && path.string == static_cast<int>(s);
                put(st.ptr, null ? 0 : w(p), 4);
                if (null) p = nullptr;
            }
            // A length word carries high bits that the call must not read.
            put(st.len, st.len.node == 0 ? 0xA5A50000u | n_s : n_s, st.width);
            texts_.push_back(p);
        }
        for (const Trim& t : r.trims) {
            char* f = field(t);
            const uint32_t L = trimmed_length(t.width);
            for (uint32_t i = 0; i < t.width; ++i) f[i] = i < L ? static_cast<char>('A' + i % 26) : ' ';
            if (L > 2) f[1] = ' ';  // interior blanks stay part of the value
        }
    }

    char* text(size_t s) const { return texts_[s]; }
    char* field(const Trim& t) const { return reinterpret_cast<char*>(addr(t.at)); }

private:
    std::vector<char*> texts_;
    char* shared_ = nullptr;
};

// The value a native argument mapping names (see Row::args), from the argument words; `compare` is
// false for "?".
uint32_t expected_arg(const std::string& mapping, const std::vector<uint32_t>& words, bool& compare) {
    compare = true;
    if (mapping == "?") {
        compare = false;
        return 0;
    }
    if (mapping == "0") return 0;
    if (mapping[0] == '#') return static_cast<uint32_t>(strtoul(mapping.c_str() + 1, nullptr, 0));
    const char how = isdigit(static_cast<unsigned char>(mapping[0])) ? 'w' : mapping[0];
    const size_t k = static_cast<size_t>(atoi(mapping.c_str() + (how == 'w' ? 0 : 1))) - 1;
    const uint32_t x = k < words.size() ? words[k] : 0xDEADBEEF;
    if (how == 'z') return x & 0xFFFFu;
    if (how == 'b') return x & 0xFFu;
    if (how == 's') return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(x & 0xFFFFu)));
    return x;
}

}  // namespace

std::string wrong_args(const Row& r, const std::vector<uint32_t>& words, const standin::Call& c) {
    std::istringstream in(r.args);
    const std::vector<std::string> mapping{std::istream_iterator<std::string>(in), {}};
    if (mapping.empty()) return "";
    if (c.words.size() != mapping.size())
        return "the native got " + std::to_string(c.words.size()) + " arguments, not " + std::to_string(mapping.size());
    for (size_t a = 0; a < mapping.size(); ++a) {
        bool compare = false;
        const uint32_t expect = expected_arg(mapping[a], words, compare);
        char b[96];
        snprintf(b, sizeof b, "native argument %zu (%s) is 0x%x, not 0x%x", a + 1, mapping[a].c_str(), c.words[a], expect);
        if (compare && c.words[a] != expect) return b;
    }
    return "";
}

RowMemory::RowMemory(const Row& r, sqlca* ca, const std::function<uint32_t(char, uint32_t)>& word,
                     const std::function<void(Guarded&, size_t)>& fill)
    : row_(r), words_(strlen(r.words), 0) {
    for (uint32_t k = 0; k < words_.size(); ++k) {
        const char c = r.words[k];
        words_[k] = c == 'v' ? r.version : c == 'c' ? w(ca) : (c == 's' || c == 'r' || c == 'n') ? 0 : word(c, k);
    }
    for (size_t k = 0; k < r.recs.size(); ++k) fill(mem_.add("record " + std::to_string(k + 1), r.recs[k].size), k);
    for (const Val& v : r.vals) put(v.at, v.value, v.width);
    for (size_t k = 0; k < r.recs.size(); ++k) put(r.recs[k].at, w(mem_[k].data()), 4);
}

uint8_t* RowMemory::addr(const At& a) const {
    if (a.node == 0) {
        ADD_FAILURE() << "a word has no address";
        return nullptr;
    }
    Guarded& g = mem_[static_cast<size_t>(a.node - 1)];
    if (a.off >= g.size()) ADD_FAILURE() << "offset " << a.off << " outside record " << a.node;
    return g.data() + a.off;
}

void RowMemory::put(const At& a, uint32_t value, uint8_t width) {
    if (a.node == 0) words_[a.off - 1] = value;
    else memcpy(addr(a), &value, width);
}

void RowMemory::mask_outputs(std::vector<Bytes>& expect, const std::vector<Bytes>& actual) const {
    for (const Out& o : row_.outs) {
        const size_t i = static_cast<size_t>(o.at.node - 1);
        for (uint32_t b = 0; b < o.size && o.at.off + b < expect[i].size(); ++b) expect[i][o.at.off + b] = actual[i][o.at.off + b];
    }
}

namespace {

// A parameter name appended to a status record's sqlerrmc at sqlerrml, sqlerrml grown by it.
void append_name(Bytes& ca, const char* name) {
    int16_t ml = 0;
    memcpy(&ml, ca.data() + 16, 2);
    const size_t n = strlen(name);
    for (size_t i = 0; i < n && ml >= 0 && static_cast<size_t>(ml) + i < 70; ++i) ca[18 + static_cast<size_t>(ml) + i] = static_cast<uint8_t>(name[i]);
    ml = static_cast<int16_t>(ml + static_cast<int16_t>(n));
    memcpy(ca.data() + 16, &ml, 2);
}

}  // namespace

std::vector<Row> rows(std::initializer_list<Row> list) {
    for (const Row& r : list) registered().push_back(r);
    return std::vector<Row>(list);
}

const std::vector<Row>& registered_rows() { return registered(); }

std::string ConformanceName(const ::testing::TestParamInfo<std::tuple<Backend*, Row>>& info) {
    return std::string(std::get<1>(info.param).name) + "_" + std::get<0>(info.param)->name();
}

void Conformance::run(const Row& r) {
    // The plain call first: it tells how many memory requests the call makes.
    std::vector<Path> paths = {{Path::Plain}, {Path::ChecksPass}, {Path::Empty}};
    if (std::count_if(r.strings.begin(), r.strings.end(), [](const Str& s) { return !s.inline_text; }) > 1 && !r.in_order)
        paths.push_back({Path::OneBuffer});
    for (int s = 0; s < static_cast<int>(r.strings.size()); ++s) {
        if (r.nulls && !r.strings[s].inline_text) paths.push_back({Path::NullString, s});
        paths.push_back({Path::CheckFails, s});
    }
    paths.push_back({Path::NoAppData});

    unsigned requests = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const Path path = paths[i];
        SCOPED_TRACE(std::string(r.name) + ", " + describe(path));
        standin::reset();
        Status st;
        if (!r.exit_names.empty()) {
            // Room behind the tokens already there, so that a whole name fits.
            st.ca()->sqlerrml = 4;
            st.before = st.mem.bytes();
        }
        Layout mem(r, path, st.ca());
        const std::vector<Bytes> before = mem.snapshot();

        const bool checks = path.what == Path::ChecksPass || path.what == Path::Empty || path.what == Path::CheckFails;
        standin::checks_active(checks);
        if (path.what == Path::CheckFails) {
            char* p = mem.text(static_cast<size_t>(path.string));
            const uint32_t n = length_of(static_cast<size_t>(path.string), path) + 1;
            // A text inside a record fails alone; the record around it still passes its own check.
            if (r.strings[static_cast<size_t>(path.string)].inline_text)
                standin::fail_check_exact(p, n, standin::kAllModes);
            else
                standin::fail_checks(p, n, standin::kAllModes);
        }
        const int32_t app_rc = 0x4D2;
        if (path.what == Path::NoAppData) standin::fail_app_data(app_rc);
        if (path.what == Path::NoMemory) {
            standin::fail_allocation(path.alloc);
            standin::refuse_sqlca(path.refused ? 1 : 0);
        }
        const int32_t result = 0x70001 + static_cast<int32_t>(i) * 0x1011;
        if (*r.native) standin::set_result(r.native, result);

        std::vector<Bytes> during;
        int during_calls = 0;
        standin::during_call([&](const standin::Call& c) {
            if (!is_native(c.name, r.native)) return;
            ++during_calls;
            during = mem.snapshot();
        });

        const int32_t rc = call_words(r.name, mem.words());
        const std::vector<Bytes> after = mem.snapshot();
        const std::vector<std::string> natives = natives_called(r.native);
        const auto app_calls = standin::calls_of("sqlo_create_init_app_data");

        // Whether string s is lent its terminator on this path. A failing string may be refused by
        // an earlier check of its own (a copied entry is checked over its length first): what it
        // did then is asserted with the exit.
        auto is_entry = [&](int s) { return std::find(r.entries.begin(), r.entries.end(), s) != r.entries.end(); };
        auto lent = [&](size_t s) {
            const bool failing = path.what == Path::CheckFails && path.string == static_cast<int>(s);
            return mem.text(s) != nullptr && !failing && (lent_at_zero(r, s) || length_of(s, path) > 0);
        };

        // The exit this path should take, if any.
        std::optional<Exit> exit;
        if (path.what == Path::NoAppData) {
            switch (r.app) {
                case App::Rule: exit = Exit{0, -1022}; break;
                case App::Named: exit = Exit{-1022, -1022, r.app_name}; break;
                case App::Untouched: exit = Exit{-1022}; break;
                case App::PassRc: exit = Exit{app_rc}; break;
                case App::NoStatus: exit = Exit{-1}; break;
                case App::None: break;
            }
        } else if (path.what == Path::NoMemory) {
            const Mem& m = r.mem;
            const int32_t service = static_cast<int32_t>(0x8B0F0000u);
            exit = m.service_rc                  ? Exit{service}
                   : m.status_rc && !path.refused ? Exit{service, m.code, m.errp}
                   : path.refused && m.asks       ? Exit{m.refused}
                                                  : Exit{m.code, m.code, m.errp};
        } else if (path.what == Path::CheckFails &&
                   (r.strings[static_cast<size_t>(path.string)].ends || is_entry(path.string))) {
            exit = Exit{1};  // the failing check's own result
        } else if (path.what == Path::CheckFails && !r.check_exits.empty()) {
            exit = r.check_exits[static_cast<size_t>(path.string)];
        } else if (path.what == Path::CheckFails && r.check_exit) {
            exit = r.check_exit;
        }

        // The application-data step: asked once with its constant where the row has it, else never.
        if (r.app == App::None) {
            EXPECT_TRUE(app_calls.empty()) << "the call runs no application-data step";
        } else {
            ASSERT_EQ(app_calls.size(), 1u) << "one application-data step";
            EXPECT_EQ(app_calls[0].words[0], 0x8E8215u);
        }

        if (exit) {
            EXPECT_EQ(rc, exit->result) << "result of the exit";
            EXPECT_TRUE(natives.empty()) << "no native call on an exit; first: " << (natives.empty() ? "" : natives[0]);
            Bytes expect = st.before;
            if (exit->code != 0) {
                expect = exit->errp ? st.with(exit->code, exit->errp, exit->errmc) : st.with(exit->code);
                if (path.what == Path::CheckFails && !r.exit_names.empty())
                    append_name(expect, r.exit_names[static_cast<size_t>(path.string)]);
                if (path.what == Path::NoMemory && r.mem.status_rc) {
                    const uint32_t rc = 0x8B0F0000u;
                    memcpy(&expect[96], &rc, 4);
                }
            }
            EXPECT_TRUE(SameBytes(expect, st.mem)) << "status record";
            const bool named = r.app == App::Named && path.what == Path::NoAppData;
            EXPECT_EQ(standin::calls_of("sqlofica").size(), named ? 1u : 0u) << "sqlofica told on a named exit";
            if (path.what == Path::NoMemory && r.mem.inca) {
                EXPECT_EQ(standin::calls_of("sqloinca").size(), 1u) << "sqloinca told";
            }
            if (path.what == Path::NoAppData) {
                EXPECT_EQ(standin::allocations(), 0u) << "nothing allocated";
            }
        } else {
            if (*r.native) {
                if (r.own_status) {
                    int last = -1;
                    for (int s = 0; s < static_cast<int>(r.strings.size()); ++s)
                        if (!is_entry(s)) last = s;
                    const bool last_fails = path.what == Path::CheckFails && path.string == last;
                    EXPECT_EQ(rc, last_fails ? 1 : 0) << "the call's own status comes back";
                } else {
                    EXPECT_EQ(rc, result) << "the native result comes back";
                }
                ASSERT_EQ(natives, std::vector<std::string>{r.native}) << "exactly one native call";
                EXPECT_EQ(during_calls, 1) << "the native ran the in-call hook once";
                EXPECT_EQ(wrong_args(r, mem.words(), standin::calls_of(r.native)[0]), "");
            } else {
                EXPECT_TRUE(natives.empty()) << "no native call";
            }
            // During the call: a NUL behind every string that was lent one, nothing else changed
            // outside the outputs.
            if (during_calls == 1) {
                std::vector<const char*> nuls;
                for (size_t s = 0; s < r.strings.size(); ++s)
                    if (lent(s)) nuls.push_back(mem.text(s) + length_of(s, path));
                for (const Trim& t : r.trims) nuls.push_back(mem.field(t) + trimmed_length(t.width));
                std::vector<Bytes> expect = mem.mem().with_nuls(before, nuls);
                mem.mask_outputs(expect, during);
                EXPECT_TRUE(mem.mem().Same(expect, during)) << "caller memory during the native call";
            }
            // Checks: none while inactive; while active, each string over length + 1 for reading
            // and writing, each blank-padded field over width + 1 for writing.
            const auto& seen = standin::checks();
            if (!checks) {
                // Tests through sqlocptrs are the platform's own and ignore the switch.
                const size_t own = r.cptrs ? standin::calls_of("sqlocptrs").size() : 0;
                EXPECT_EQ(seen.size(), own) << "no check while checks are inactive";
            } else {
                auto checked = [&](const char* p, uint32_t n, unsigned mode) {
                    return std::any_of(seen.begin(), seen.end(), [&](const standin::Check& c) {
                        return c.p == reinterpret_cast<uintptr_t>(p) && c.length == n && c.mode == mode;
                    });
                };
                for (size_t s = 0; s < r.strings.size(); ++s) {
                    if (!lent(s)) continue;
                    EXPECT_TRUE(checked(mem.text(s), length_of(s, path) + 1, 3))
                        << "string " << s + 1 << " is checked over " << length_of(s, path) + 1 << " bytes, mode 3";
                }
                for (const Trim& t : r.trims)
                    EXPECT_TRUE(checked(mem.field(t), t.width + 1, 2))
                        << "field at " << t.at.off << " is checked over " << t.width + 1 << " bytes, mode 2";
            }
        }

        // Afterwards: every byte back outside the outputs, every block released.
        std::vector<Bytes> expect = before;
        mem.mask_outputs(expect, after);
        EXPECT_TRUE(mem.mem().Same(expect, after)) << "caller memory after the call";
        EXPECT_TRUE(standin::live_blocks().empty()) << "every block released";

        if (path.what == Path::Plain) {
            requests = standin::allocations();
            if (requests > 0 && r.mem.errp == nullptr && !r.mem.service_rc)
                ADD_FAILURE() << "the call takes " << requests << " blocks, but its row says it takes none";
            for (unsigned k = 1; k <= requests && k <= 64; ++k) {
                paths.push_back({Path::NoMemory, -1, k, false});
                paths.push_back({Path::NoMemory, -1, k, true});
            }
        }
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST_P(Conformance, EveryPath) { run(std::get<1>(GetParam())); }

// Every implemented entry point has its row.
TEST(ConformanceRows, EveryLiveEntryPointHasARow) {
    std::set<std::string> have;
    for (const Row& r : registered()) have.insert(r.name);
#define X(name, upper, bytes, family, frame, state) \
    if (std::string(#state) == "LIVE") {                                                  \
        EXPECT_TRUE(have.count(#name)) << #name " has no conformance row";                \
    }
    QX3_ENTRY_TABLE(X)
#undef X
}

}  // namespace qx3test::conf
