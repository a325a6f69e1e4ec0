// Calls nobody chose by hand, and calls from many threads at once, generated from the conformance
// rows: every entry point with a row is swept and threaded without a line of its own here.
//
//   qx3tests --gtest_filter='Reliability*' --calls N --seed S --thread-calls M   a longer run
//   qx3tests --gtest_filter='Reliability/Sweep.Shard/0' --seed S --call K      one call again
#include <pthread.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

#include "frame/entry_table.inc"
#include "peloader/peloader.h"
#include "support/conformance.h"

namespace qx3test::conf {
namespace {

// ---- Options and randomness ---------------------------------------------------------------------

uint64_t option(const char* flag, uint64_t fallback) {
    const std::vector<std::string> args = ::testing::internal::GetArgvs();
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag) return strtoull(args[i + 1].c_str(), nullptr, 0);
    return fallback;
}

struct Rng {
    uint64_t s;
    Rng(uint64_t seed, uint64_t a, uint64_t b) : s(seed * 0x9E3779B97F4A7C15u ^ (a << 32) ^ b ^ 0xD1B54A32D192ED03u) {
        for (int i = 0; i < 4; ++i) next();
    }
    uint32_t next() {  // splitmix64
        uint64_t z = (s += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 16);
    }
    uint32_t below(uint32_t n) { return n == 0 ? 0 : next() % n; }
    bool chance(unsigned percent) { return below(100) < percent; }
    // A length from 0 to `max`, mostly short, now and then at either end.
    uint32_t length(uint32_t max) {
        const uint32_t pick = below(20);
        const uint32_t n = pick == 0 ? 0 : pick == 1 ? max : pick < 12 ? below(17) : pick < 17 ? below(300) : below(max + 1);
        return std::min(n, max);
    }
};

// A sanitized call costs about five times a plain one: the sanitized run makes a fifth of the
// calls, so that each shard stays well inside CTest's limit.
#ifdef QX3_SANITIZED
constexpr uint64_t kSweepCalls = 20000, kThreadCalls = 2000;
#else
constexpr uint64_t kSweepCalls = 100000, kThreadCalls = 10000;
#endif

// The LIVE rows, and the entry points resolved on the calling thread for both backends.
struct Target {
    const Row* row;
    void* fn[2];
};
std::vector<Target> live_targets() {
    std::set<std::string> live;
#define X(name, upper, bytes, family, frame, state) \
    if (std::string(#state) == "LIVE") live.insert(#name);
    QX3_ENTRY_TABLE(X)
#undef X
    std::vector<Target> out;
    for (const Row& r : registered_rows())
        if (live.count(r.name)) out.push_back({&r, {so_backend().resolve(r.name), dll_backend().resolve(r.name)}});
    return out;
}

// ---- A call drawn from a row --------------------------------------------------------------------

// Caller memory for one call: words, records and string buffers against guard pages, with random
// lengths and contents, random null strings, and random pointer checks failing. Values the row
// names keep their value: the call reads the memory they describe without a check.
class Drawn {
public:
    Drawn(const Row& r, Rng& g, sqlca* ca) : row_(r) {
        const size_t n = strlen(r.words);
        words_.resize(n);
        for (size_t k = 0; k < n; ++k) {
            const char c = r.words[k];
            words_[k] = c == 'v' ? r.version : c == 'c' ? w(ca) : (c == 's' || c == 'r' || c == 'n') ? 0 : big(g);
        }
        for (const Rec& rec : r.recs) {
            recs_.push_back(std::make_unique<Guarded>(rec.size));
            for (size_t i = 0; i < rec.size; ++i) recs_.back()->data()[i] = static_cast<uint8_t>(g.next());
        }
        for (const Val& v : r.vals) put(v.at, v.value, v.width);
        for (size_t k = 0; k < r.recs.size(); ++k) put(r.recs[k].at, w(recs_[k]->data()), 4);
        checks_ = g.chance(50);
        for (const Str& st : r.strings) {
            String s;
            if (st.inline_text) {
                s.p = addr(st.ptr);
                s.n = g.length(room(st.ptr));
            } else {
                s.n = g.length(0xFFFF);
                s.buf = std::make_unique<Guarded>(s.n + 1);
                for (uint32_t i = 0; i <= s.n; ++i)
                    s.buf->data()[i] = static_cast<uint8_t>(g.chance(2) ? 0 : 1 + g.below(255));
                s.p = s.buf->data();
                if (r.nulls && g.chance(10)) s.p = nullptr;
                put(st.ptr, w(s.p), 4);
            }
            s.fails = checks_ && s.p && g.chance(20);
            if (s.fails) {
                if (st.inline_text) standin::fail_check_exact(s.p, s.n + 1, standin::kAllModes);
                else standin::fail_checks(s.p, s.n + 1, standin::kAllModes);
            }
            put(st.len, st.len.node == 0 ? (big(g) & 0xFFFF0000u) | s.n : s.n, st.width);
            strings_.push_back(std::move(s));
        }
        for (const Trim& t : r.trims) {
            uint8_t* f = addr(t.at);
            const uint32_t used = g.below(t.width + 1);
            for (uint32_t i = 0; i < t.width; ++i) f[i] = i < used && !g.chance(10) ? 0x21 + g.below(0x5E) : ' ';
        }
        if (checks_) {
            for (auto& rec : recs_)
                if (g.chance(4)) {
                    standin::fail_checks(rec->data(), static_cast<uint32_t>(rec->size()), 1 + g.below(7));
                    record_fails_ = true;
                }
        }
        before_ = snapshot();
    }

    const std::vector<uint32_t>& words() const { return words_; }
    bool checks() const { return checks_; }

    std::vector<Bytes> snapshot() const {
        std::vector<Bytes> out;
        for (const auto& g : recs_) out.push_back(g->bytes());
        for (const auto& s : strings_)
            if (s.buf) out.push_back(s.buf->bytes());
        return out;
    }

    std::string describe() const {
        std::string d = std::string(row_.name) + "(";
        char b[16];
        for (size_t k = 0; k < words_.size(); ++k) {
            snprintf(b, sizeof b, "%s0x%x", k ? ", " : "", words_[k]);
            d += b;
        }
        d += ") lengths";
        for (const String& s : strings_) d += " " + std::to_string(s.n) + (s.p ? "" : " null") + (s.fails ? " failing" : "");
        d += checks_ ? ", checks active" : ", checks inactive";
        return d + (record_fails_ ? ", a record check failing" : "");
    }

    // Caller memory during the native call: each string that was lent its NUL shows it and nothing
    // else changed, outside the outputs and the blank-trimmed fields.
    std::string check_during(const std::vector<Bytes>& during) const {
        std::vector<Bytes> expect = before_;
        for (size_t k = 0; k < strings_.size(); ++k) {
            const String& s = strings_[k];
            const uint8_t* nul = s.p + std::min(s.n, row_.strings[k].cap);
            const bool lent = s.p && !s.fails && !record_fails_ && !(row_.positive && !row_.strings[k].empty_lent && s.n == 0);
            if (lent) poke(expect, nul, 0);
            else if (s.p) poke(expect, nul, byte_at(during, nul));
        }
        for (const Trim& t : row_.trims)
            for (uint32_t i = 0; i <= t.width; ++i)
                if (byte_at(during, addr(t.at) + i) == 0) poke(expect, addr(t.at) + i, 0);
        return differs(expect, during, "during the native call");
    }
    // Afterwards: every byte as it began, outside the outputs.
    std::string check_after() const { return differs(before_, snapshot(), "after the call"); }

    // The native's argument words as the row maps them from the call's: a string word is the
    // caller's own pointer, so what the native read is the caller's bytes, terminated as
    // check_during shows.
    std::string check_args(const standin::Call& c) const {
        const std::vector<std::string> mapping = split(row_.args);
        for (size_t a = 0; a < mapping.size() && a < c.words.size(); ++a) {
            bool compare = true;
            const uint32_t expect = expected_arg(mapping[a], words_, compare);
            if (compare && c.words[a] != expect)
                return "native argument " + std::to_string(a + 1) + " is " + std::to_string(c.words[a]) + ", not " +
                       std::to_string(expect);
        }
        return "";
    }

private:
    struct String {
        uint8_t* p = nullptr;
        uint32_t n = 0;
        bool fails = false;
        std::unique_ptr<Guarded> buf;
    };

    static uint32_t big(Rng& g) {  // values, counts: 0, negative, huge, anything
        switch (g.below(5)) {
            case 0: return 0;
            case 1: return 0xFFFFFFFFu - g.below(4);
            case 2: return 0x7FFFFFFFu - g.below(4);
            default: return g.next() << 16 ^ g.next();
        }
    }
    uint8_t* addr(const At& a) const { return recs_[static_cast<size_t>(a.node - 1)]->data() + a.off; }
    void put(const At& a, uint32_t value, uint8_t width) {
        if (a.node == 0) words_[a.off - 1] = value;
        else memcpy(addr(a), &value, width);
    }
    // Bytes from an inline text to the next place the row describes in its record, less the one
    // its terminator takes: a longer length would put the NUL on a pointer or a length.
    uint32_t room(const At& text) const {
        uint32_t end = row_.recs[static_cast<size_t>(text.node - 1)].size;
        auto limit = [&](const At& a, uint32_t) {
            if (a.node == text.node && a.off > text.off) end = std::min(end, a.off);
        };
        for (const Rec& r : row_.recs) limit(r.at, 4);
        for (const Str& s : row_.strings) limit(s.ptr, 4), limit(s.len, s.width);
        for (const Val& v : row_.vals) limit(v.at, v.width);
        for (const Trim& t : row_.trims) limit(t.at, t.width);
        for (const Out& o : row_.outs) limit(o.at, o.size);
        return end - text.off - 1;
    }
    // Where p lies in a snapshot: the buffer's index (in the order of snapshot()) and p's offset
    // in it; the index is past the end when p lies in no caller buffer.
    std::pair<size_t, size_t> locate(const uint8_t* p) const {
        size_t i = 0;
        auto in = [&](const Guarded& g) { return p >= g.data() && p < g.data() + g.size(); };
        for (const auto& g : recs_) {
            if (in(*g)) return {i, static_cast<size_t>(p - g->data())};
            ++i;
        }
        for (const auto& s : strings_)
            if (s.buf) {
                if (in(*s.buf)) return {i, static_cast<size_t>(p - s.buf->data())};
                ++i;
            }
        return {SIZE_MAX, 0};
    }
    uint8_t byte_at(const std::vector<Bytes>& snap, const uint8_t* p) const {
        const auto [i, off] = locate(p);
        return i < snap.size() ? snap[i][off] : 0;
    }
    void poke(std::vector<Bytes>& snap, const uint8_t* p, uint8_t v) const {
        const auto [i, off] = locate(p);
        if (i < snap.size()) snap[i][off] = v;
    }
    std::string differs(std::vector<Bytes> expect, const std::vector<Bytes>& actual, const char* when) const {
        for (const Out& o : row_.outs) {
            const size_t i = static_cast<size_t>(o.at.node - 1);
            for (uint32_t b = 0; b < o.size && o.at.off + b < expect[i].size(); ++b)
                expect[i][o.at.off + b] = actual[i][o.at.off + b];
        }
        for (size_t i = 0; i < expect.size(); ++i) {
            auto r = SameBytes(expect[i], actual[i].data(), actual[i].size());
            if (!r) return std::string("caller buffer ") + std::to_string(i + 1) + " " + when + ": " + r.message();
        }
        return "";
    }

    const Row& row_;
    std::vector<uint32_t> words_;
    std::vector<std::unique_ptr<Guarded>> recs_;
    std::vector<String> strings_;
    std::vector<Bytes> before_;
    bool checks_ = false;
    bool record_fails_ = false;
};

// ---- One call, its faults and its checks --------------------------------------------------------

thread_local std::string t_current;  // the call in progress, for a crash report

void on_crash(int sig) {
    const std::string& c = t_current;
    const char head[] = "\nfault during ";
    (void)!write(2, head, sizeof head - 1);
    (void)!write(2, c.data(), c.size());
    (void)!write(2, "\n", 1);
    signal(sig, SIG_DFL);
    raise(sig);
}

// Runs call `index` of the sweep from `seed` on this thread's stand-in; returns what went wrong
// ("" for nothing).
std::string one_call(const std::vector<Target>& targets, uint64_t seed, uint64_t stream, uint64_t index) {
    Rng g(seed, stream, index);
    const Target& t = targets[g.below(static_cast<uint32_t>(targets.size()))];
    const Row& r = *t.row;
    const int backend = static_cast<int>(g.below(2));
    standin::reset();
    Status st;
    Drawn d(r, g, st.ca());
    standin::checks_active(d.checks());
    const bool app_fails = g.chance(3);
    if (app_fails) standin::fail_app_data(static_cast<int32_t>(1 + g.below(1000)));
    const bool mem_fails = g.chance(15);
    if (mem_fails) {
        standin::fail_allocation(1 + g.below(4));
        standin::refuse_sqlca(g.chance(50) ? 1 : 0);
    }
    const int32_t result = static_cast<int32_t>(g.next() << 16 ^ g.next());
    if (*r.native) standin::set_result(r.native, result);

    char head[96];
    snprintf(head, sizeof head, "seed %llu, call %llu%s on %s: ", static_cast<unsigned long long>(seed),
             static_cast<unsigned long long>(index), stream ? (" of thread " + std::to_string(stream)).c_str() : "",
             backend ? "dll" : "so");
    t_current = head + d.describe() + (app_fails ? ", application data failing" : "") +
                (mem_fails ? ", a memory request failing" : "");

    std::string problem;
    int during_calls = 0;
    standin::during_call([&](const standin::Call& c) {
        if (c.name != r.native || ++during_calls > 1) return;
        const std::vector<Bytes> during = d.snapshot();
        problem = d.check_during(during);
        if (problem.empty()) problem = d.check_args(c);
    });
    const int32_t rc = call_address(t.fn[backend], d.words());

    size_t natives = 0;
    for (const standin::Call& c : standin::calls()) natives += is_native(c.name, r.native);
    if (problem.empty()) problem = d.check_after();
    if (problem.empty() && natives > 1) problem = "more than one native call";
    // A call that returns the outcome of its own checks (own_status) does not hand the native's on.
    if (problem.empty() && during_calls == 1 && !r.own_status && rc != result)
        problem = "the native result did not come back";
    if (problem.empty() && app_fails && r.app != App::None && during_calls) problem = "native called without application data";
    if (problem.empty() && !standin::live_blocks().empty()) problem = "a block was not released";
    if (problem.empty() && !standin::faults().empty()) problem = "the native layer saw: " + standin::faults()[0];
    standin::during_call(nullptr);
    standin::reset();
    standin::clear_faults();
    return problem.empty() ? "" : t_current + ": " + problem;
}

// The sweep's calls are dealt to four shards, so that CTest can run them side by side.
class Sweep : public ::testing::TestWithParam<int> {};

TEST_P(Sweep, Shard) {
    const std::vector<Target> targets = live_targets();
    ASSERT_FALSE(targets.empty());
    const uint64_t seed = option("--seed", 20261206), calls = option("--calls", kSweepCalls), shard = GetParam();
    const bool replay = option("--call", UINT64_MAX) != UINT64_MAX;
    if (replay && shard != 0) return;
    const uint64_t first = replay ? option("--call", 0) : calls * shard / 4;
    const uint64_t end = replay ? first + 1 : calls * (shard + 1) / 4;
    printf("sweep: seed %llu, calls %llu to %llu over %zu entry points\n", static_cast<unsigned long long>(seed),
           static_cast<unsigned long long>(first), static_cast<unsigned long long>(end - 1), targets.size());
    signal(SIGSEGV, on_crash);
    signal(SIGBUS, on_crash);
    fresh_native_layer();
    for (uint64_t i = first; i < end; ++i) {
        const std::string p = one_call(targets, seed, 0, i);
        if (!p.empty()) {
            ADD_FAILURE() << p << "\nreplay: --gtest_filter=Reliability/Sweep.Shard/0 --seed " << seed << " --call " << i;
            break;
        }
    }
    signal(SIGSEGV, SIG_DFL);
    signal(SIGBUS, SIG_DFL);
    expect_native_layer_clean();
}
INSTANTIATE_TEST_SUITE_P(Reliability, Sweep, ::testing::Range(0, 4));

// Eight threads call the entry points at once, each on buffers of its own and with a stand-in
// state of its own: each native call saw its own thread's words and strings, and each thread's
// memory and ledger end as they began.
TEST(Reliability, EightThreadsAtOnce) {
    const std::vector<Target> targets = live_targets();
    ASSERT_FALSE(targets.empty());
    const uint64_t seed = option("--seed", 20261206), calls = option("--thread-calls", kThreadCalls);
    struct Job {
        const std::vector<Target>* targets;
        uint64_t seed, calls, stream;
        std::string problem;
        unsigned leftover = 0;
    } jobs[8];
    pthread_t threads[8];
    for (unsigned k = 0; k < 8; ++k) {
        jobs[k] = {&targets, seed, calls, k + 1, "", 0};
        ASSERT_EQ(pthread_create(&threads[k], nullptr, [](void* p) -> void* {
            Job& j = *static_cast<Job*>(p);
            standin::reset();
            standin::clear_faults();
            for (uint64_t i = 0; i < j.calls && j.problem.empty(); ++i) j.problem = one_call(*j.targets, j.seed, j.stream, i);
            j.leftover = static_cast<unsigned>(standin::live_blocks().size() + standin::faults().size());
            return nullptr;
        }, &jobs[k]), 0);
    }
    for (pthread_t& t : threads) pthread_join(t, nullptr);
    for (const Job& j : jobs) {
        EXPECT_EQ(j.problem, "");
        EXPECT_EQ(j.leftover, 0u) << "thread " << j.stream << " ends with its ledger or faults non-empty";
    }
}

// The library keeps no state of its own: its writable sections hold the data marker and the
// import addresses the loader binds, nothing else.
TEST(Reliability, DllWritesNothingButItsMarkerAndImports) {
    pe::Info info;
    std::string err;
    ASSERT_TRUE(pe::parse(QX3_DLL_PATH, info, err)) << err;
    const pe::Export* marker = info.export_named("sqlzThisIsAQX3Library");
    ASSERT_NE(marker, nullptr);
    bool marker_seen = false;
    for (const pe::Section& s : info.sections) {
        if (!s.writable) continue;
        bool imports = false;
        for (const pe::ImportModule& m : info.imports)
            for (const pe::ImportFunction& f : m.functions) imports = imports || s.contains(f.iat_rva);
        if (imports) continue;
        // The resources (the version resource) come out of the linker flagged writable, but they are
        // constant data that only the system's resource functions read: no code here addresses them.
        if (s.name == ".rsrc") continue;
        EXPECT_TRUE(s.contains(marker->rva)) << s.name << " is writable and holds no marker";
        EXPECT_LE(s.mapped_size(), 4u) << s.name << " holds more than the marker";
        marker_seen = marker_seen || s.contains(marker->rva);
    }
    EXPECT_TRUE(marker_seen);
}

}  // namespace
}  // namespace qx3test::conf
