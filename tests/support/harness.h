// Test harness: caller memory against a guard page, whole-buffer comparison that names the first
// differing byte, the backends that the entry points are resolved from, and the fixture that
// resets the stand-in before each test and demands an empty ledger after it.
#ifndef QX3_TEST_HARNESS_H
#define QX3_TEST_HARNESS_H

#include <gtest/gtest.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "qx3agapi.h"
#include "standin.h"

namespace qx3test {

using Bytes = std::vector<uint8_t>;

// `size` bytes of caller memory whose last byte is the last accessible one: the next byte lies on
// a page with no access, so a write one byte too far faults. Filled with a sentinel pattern.
class Guarded {
public:
    explicit Guarded(size_t size);
    ~Guarded();
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    uint8_t* data() const { return p_; }
    char* chars() const { return reinterpret_cast<char*>(p_); }
    size_t size() const { return size_; }
    template <class T>
    T* as() const { return reinterpret_cast<T*>(p_); }

    void fill(uint8_t seed);              // a distinct, non-zero, non-blank pattern
    void set(size_t at, const std::string& bytes);
    Bytes bytes() const { return Bytes(p_, p_ + size_); }

private:
    uint8_t* map_ = nullptr;
    size_t map_size_ = 0;
    uint8_t* p_ = nullptr;
    size_t size_ = 0;
};

// Compares n bytes whole; on failure names the first differing byte and both values.
::testing::AssertionResult SameBytes(const Bytes& expected, const void* actual, size_t n);
inline ::testing::AssertionResult SameBytes(const Bytes& expected, const Guarded& g) {
    return SameBytes(expected, g.data(), g.size());
}

// Caller memory made of many guarded buffers, each with a name, snapshotted and compared all at
// once: a failure names the buffer and the byte.
class CallerMemory {
public:
    Guarded& add(const std::string& name, size_t size);  // filled with a pattern of its own
    // A text of its own buffer: the characters, then one more byte ('~') that the call may borrow.
    char* text(const std::string& name, const std::string& s);
    Guarded& operator[](size_t i) const { return *bufs_[i]; }
    std::vector<Bytes> snapshot() const;
    // Where p lies: the buffer's index and p's offset in it; the index is SIZE_MAX outside them all.
    std::pair<size_t, size_t> locate(const void* p) const;
    // Byte p of a snapshot: set to v (false when p lies outside), or read (0 outside).
    bool poke(std::vector<Bytes>& snap, const void* p, uint8_t v) const;
    uint8_t byte_at(const std::vector<Bytes>& snap, const void* p) const;
    // A snapshot with a NUL at each of the given addresses, which must lie in this memory.
    std::vector<Bytes> with_nuls(std::vector<Bytes> snap, const std::vector<const char*>& at) const;
    ::testing::AssertionResult Same(const std::vector<Bytes>& expected, const std::vector<Bytes>& actual) const;
    ::testing::AssertionResult Is(const std::vector<Bytes>& expected) const { return Same(expected, snapshot()); }

private:
    std::vector<std::unique_ptr<Guarded>> bufs_;
    std::vector<std::string> names_;
};

inline uint32_t w(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// Where the entry points come from. The shared library offers two names per entry point, the DLL
// four; every lookup takes the next name in turn, so that each name is used.
class Backend {
public:
    virtual ~Backend() = default;
    virtual const char* name() const = 0;
    // The address of entry point `documented`, through the next of its names.
    virtual void* resolve(const char* documented) = 0;
    // The address of an exported name exactly as given (nullptr if absent).
    virtual void* lookup(const char* exported) = 0;
    // Every name the backend exports entry point `documented` under.
    virtual std::vector<std::string> names_of(const char* documented) const = 0;
};

// Test names show the backend, so must failure messages.
inline void PrintTo(Backend* b, std::ostream* os) { *os << b->name(); }

Backend& so_backend();
Backend& dll_backend();
std::vector<Backend*> all_backends();

// Starts a test on a native layer in its default state, with no fault on record.
void fresh_native_layer();
// Ends a test: every block released and no misuse seen by the native layer since the start, across
// any resets in between; then back to the defaults.
void expect_native_layer_clean();

// Every native and service call recorded since the last reset, under that name.
std::vector<standin::Call> calls(const std::string& name);

// What every behaviour test shares: a fresh native layer before, an empty ledger after, and calls
// of entry points through the test's backend.
class EntryBase : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual Backend* backend() const = 0;

    // Calls entry point `name` with 32-bit argument words, stdcall.
    template <class... A>
    int32_t call(const char* name, A... args) {
        static_assert(((sizeof(A) == 4) && ...), "every argument is one 32-bit word");
        using Fn = int32_t(QX3_API*)(A...);
        void* p = backend()->resolve(name);
        if (p == nullptr) {
            ADD_FAILURE() << name << " is not exported by " << backend()->name();
            return INT32_MIN;
        }
        return reinterpret_cast<Fn>(p)(args...);
    }
    // The same with the words in a vector (up to 40 of them).
    int32_t call_words(const char* name, const std::vector<uint32_t>& a);
};

// Calls an entry point at `fn` with the words in a vector (up to 40 of them).
int32_t call_address(void* fn, const std::vector<uint32_t>& words);

// Fixture for every behaviour test: parameterised over the backends.
class EntryTest : public EntryBase, public ::testing::WithParamInterface<Backend*> {
protected:
    Backend* backend() const override { return GetParam(); }
};

std::string BackendName(const ::testing::TestParamInfo<Backend*>& info);

#define QX3_BACKENDS(suite) \
    INSTANTIATE_TEST_SUITE_P(, suite, ::testing::ValuesIn(::qx3test::all_backends()), ::qx3test::BackendName)

// A status record in guarded memory, pre-filled with a pattern that is kept, for checking which
// bytes a call wrote.
struct Status {
    Guarded mem{sizeof(sqlca)};
    Bytes before;
    Status() {
        mem.fill(0x51);
        before = mem.bytes();
    }
    sqlca* ca() const { return mem.as<sqlca>(); }
    // The pattern as it was before the call, with sqlcode and the 8 bytes of sqlerrp replaced, and a
    // parameter's name in sqlerrmc, with its NUL, its length in sqlerrml (none for null).
    Bytes with(int32_t code, const char* errp8, const char* errmc = nullptr) const;
    Bytes with(int32_t code) const;  // only sqlcode replaced
    // The record still holds the pattern it was given.
    ::testing::AssertionResult untouched() const { return SameBytes(before, mem); }
};

}  // namespace qx3test

namespace pe {
struct Image;
}
namespace qx3test {
// A fresh image of the DLL with its imports bound as for the DLL backend; DllMain not yet called.
pe::Image* load_dll(std::string& err);
// The module handles that DllMain has passed to kernel32's DisableThreadLibraryCalls so far.
const std::vector<uint32_t>& disable_thread_calls();
}  // namespace qx3test

#endif
