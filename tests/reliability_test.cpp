// Calls nobody chose by hand, and calls from many threads at once, generated from the conformance
// rows: every entry point with a row is swept and threaded without a line of its own here.
//
//   qx3tests --gtest_filter='Reliability*' --calls N --seed S --thread-calls M   a longer run
//   qx3tests --gtest_filter='Reliability/Sweep.Shard/0' --seed S --call K      one call again
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

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

// Every row (each LIVE entry point has one), with its entry point resolved on the calling thread
// for both backends.
struct Target {
    const Row* row;
    void* fn[2];
};
std::vector<Target> live_targets() {
    std::vector<Target> out;
    for (const Row& r : registered_rows()) out.push_back({&r, {so_backend().resolve(r.name), dll_backend().resolve(r.name)}});
    return out;
}

// ---- A call drawn from a row --------------------------------------------------------------------

// Caller memory for one call: words, records and string buffers against guard pages, with random
// lengths and contents, random null strings, pointer checks made active or not and now and then
// failing. Values the row names keep their value: the call reads the memory they describe without
// a check.
class Drawn : public RowMemory {
public:
    Drawn(const Row& r, Rng& g, sqlca* ca)
        : RowMemory(r, ca, [&](char, uint32_t) { return big(g); }, [&](Guarded& rec, size_t) {
              for (size_t i = 0; i < rec.size(); ++i) rec.data()[i] = static_cast<uint8_t>(g.next());
          }) {
        checks_ = g.chance(50);
        for (size_t k = 0; k < r.strings.size(); ++k) {
            const Str& st = r.strings[k];
            String s;
            if (st.inline_text) {
                s.p = addr(st.ptr);
                s.n = g.length(room(st.ptr));
            } else {
                s.n = g.length(0xFFFF);
                Guarded& buf = mem_.add("string " + std::to_string(k + 1), s.n + 1);
                for (uint32_t i = 0; i <= s.n; ++i) buf.data()[i] = static_cast<uint8_t>(g.chance(2) ? 0 : 1 + g.below(255));
                s.p = r.nulls && g.chance(10) ? nullptr : buf.data();
                put(st.ptr, w(s.p), 4);
            }
            s.fails = checks_ && s.p && g.chance(20);
            if (s.fails) {
                if (st.inline_text) standin::fail_check_exact(s.p, s.n + 1, standin::kAllModes);
                else standin::fail_checks(s.p, s.n + 1, standin::kAllModes);
            }
            put(st.len, st.len.node == 0 ? (big(g) & 0xFFFF0000u) | s.n : s.n, st.width);
            strings_.push_back(s);
        }
        for (const Trim& t : r.trims) {
            uint8_t* f = addr(t.at);
            const uint32_t used = g.below(t.width + 1);
            for (uint32_t i = 0; i < t.width; ++i) f[i] = i < used && !g.chance(10) ? 0x21 + g.below(0x5E) : ' ';
        }
        for (size_t k = 0; checks_ && k < r.recs.size(); ++k)
            if (g.chance(4)) {
                standin::fail_checks(mem_[k].data(), static_cast<uint32_t>(mem_[k].size()), 1 + g.below(7));
                record_fails_ = true;
            }
        standin::checks_active(checks_);
        before_ = snapshot();
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
            const bool lent = s.p && !s.fails && !record_fails_ && (s.n > 0 || lent_at_zero(row_, k));
            if (s.p) mem_.poke(expect, nul, lent ? 0 : mem_.byte_at(during, nul));
        }
        for (const Trim& t : row_.trims)
            for (uint32_t i = 0; i <= t.width; ++i)
                if (mem_.byte_at(during, addr(t.at) + i) == 0) mem_.poke(expect, addr(t.at) + i, 0);
        return differs(expect, during, "during the native call");
    }
    // Afterwards: every byte as it began, outside the outputs.
    std::string check_after() const { return differs(before_, snapshot(), "after the call"); }

private:
    struct String {
        uint8_t* p = nullptr;
        uint32_t n = 0;
        bool fails = false;
    };

    static uint32_t big(Rng& g) {  // values, counts: 0, negative, huge, anything
        switch (g.below(5)) {
            case 0: return 0;
            case 1: return 0xFFFFFFFFu - g.below(4);
            case 2: return 0x7FFFFFFFu - g.below(4);
            default: return g.next() << 16 ^ g.next();
        }
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
    std::string differs(std::vector<Bytes> expect, const std::vector<Bytes>& actual, const char* when) const {
        mask_outputs(expect, actual);
        auto r = mem_.Same(expect, actual);
        return r ? "" : std::string(when) + ": " + r.message();
    }

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
        problem = d.check_during(d.snapshot());
        if (problem.empty()) problem = wrong_args(r, d.words(), c);
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
// memory and ledger end as they began (each call checks its own ledger and faults, then resets them).
TEST(Reliability, EightThreadsAtOnce) {
    const std::vector<Target> targets = live_targets();
    ASSERT_FALSE(targets.empty());
    const uint64_t seed = option("--seed", 20261206), calls = option("--thread-calls", kThreadCalls);
    std::string problems[8];
    std::vector<std::thread> threads;
    for (unsigned k = 0; k < 8; ++k)
        threads.emplace_back([&, k] {
            for (uint64_t i = 0; i < calls && problems[k].empty(); ++i) problems[k] = one_call(targets, seed, k + 1, i);
        });
    for (std::thread& t : threads) t.join();
    for (const std::string& p : problems) EXPECT_EQ(p, "");
}

}  // namespace
}  // namespace qx3test::conf
