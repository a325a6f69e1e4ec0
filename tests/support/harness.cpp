#include "harness.h"

#include <dlfcn.h>
#include <string.h>
#include <sys/mman.h>

#include <stdarg.h>

#include <map>
#include <mutex>

#include "frame/entry_table.inc"
#include "peloader/peloader.h"

namespace standin {
STANDIN_API std::mutex& mappings_lock();
}

namespace qx3test {

constexpr size_t kPage = 4096;

Guarded::Guarded(size_t size) : size_(size) {
    std::lock_guard<std::mutex> hold(standin::mappings_lock());
    const size_t pages = (size + kPage - 1) / kPage + 1;
    map_size_ = pages * kPage;
    void* m = mmap(nullptr, map_size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) abort();
    map_ = static_cast<uint8_t*>(m);
    uint8_t* guard = map_ + map_size_ - kPage;
    if (mprotect(guard, kPage, PROT_NONE) != 0) abort();
    p_ = guard - size;
    fill(0x3C);
}

Guarded::~Guarded() {
    std::lock_guard<std::mutex> hold(standin::mappings_lock());
    munmap(map_, map_size_);
}

void Guarded::fill(uint8_t seed) {
    // Never 0x00 or 0x20: a stray NUL or blank stands out.
    for (size_t i = 0; i < size_; ++i) {
        uint8_t b = static_cast<uint8_t>(seed + i * 7);
        if (b == 0 || b == 0x20) b ^= 0x41;
        p_[i] = b;
    }
}

void Guarded::set(size_t at, const std::string& bytes) { memcpy(p_ + at, bytes.data(), bytes.size()); }

::testing::AssertionResult SameBytes(const Bytes& expected, const void* actual, size_t n) {
    const uint8_t* a = static_cast<const uint8_t*>(actual);
    if (expected.size() != n)
        return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, have " << n;
    for (size_t i = 0; i < n; ++i) {
        if (expected[i] != a[i]) {
            char buf[128];
            snprintf(buf, sizeof buf, "byte %zu of %zu is 0x%02x, expected 0x%02x", i, n, a[i], expected[i]);
            return ::testing::AssertionFailure() << buf;
        }
    }
    return ::testing::AssertionSuccess();
}

Guarded& CallerMemory::add(const std::string& name, size_t size) {
    bufs_.push_back(std::make_unique<Guarded>(size));
    bufs_.back()->fill(static_cast<uint8_t>(0x41 + 13 * bufs_.size()));
    names_.push_back(name);
    return *bufs_.back();
}

char* CallerMemory::text(const std::string& name, const std::string& s) {
    Guarded& g = add(name, s.size() + 1);
    g.set(0, s + "~");
    return g.chars();
}

std::vector<Bytes> CallerMemory::snapshot() const {
    std::vector<Bytes> out;
    for (const auto& b : bufs_) out.push_back(b->bytes());
    return out;
}

std::pair<size_t, size_t> CallerMemory::locate(const void* p) const {
    const uint8_t* q = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < bufs_.size(); ++i)
        if (q >= bufs_[i]->data() && q < bufs_[i]->data() + bufs_[i]->size())
            return {i, static_cast<size_t>(q - bufs_[i]->data())};
    return {SIZE_MAX, 0};
}

bool CallerMemory::poke(std::vector<Bytes>& snap, const void* p, uint8_t v) const {
    const auto [i, off] = locate(p);
    if (i >= snap.size()) return false;
    snap[i][off] = v;
    return true;
}

uint8_t CallerMemory::byte_at(const std::vector<Bytes>& snap, const void* p) const {
    const auto [i, off] = locate(p);
    return i < snap.size() ? snap[i][off] : 0;
}

std::vector<Bytes> CallerMemory::with_nuls(std::vector<Bytes> snap, const std::vector<const char*>& at) const {
    for (const char* p : at)
        if (!poke(snap, p, 0)) ADD_FAILURE() << "address outside the caller memory";
    return snap;
}

::testing::AssertionResult CallerMemory::Same(const std::vector<Bytes>& expected, const std::vector<Bytes>& actual) const {
    for (size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
        auto r = SameBytes(expected[i], actual[i].data(), actual[i].size());
        if (!r) return ::testing::AssertionFailure() << "buffer " << names_[i] << ": " << r.message();
    }
    if (expected.size() != actual.size()) return ::testing::AssertionFailure() << "buffer count differs";
    return ::testing::AssertionSuccess();
}

Bytes Status::with(int32_t code, const char* errp8, const char* errmc) const {
    Bytes b = with(code);
    memcpy(b.data() + offsetof(sqlca, sqlerrp), errp8, 8);
    if (errmc == nullptr) return b;
    const int16_t ml = static_cast<int16_t>(strlen(errmc));
    memcpy(b.data() + offsetof(sqlca, sqlerrml), &ml, 2);
    memcpy(b.data() + offsetof(sqlca, sqlerrmc), errmc, strlen(errmc) + 1);
    return b;
}

Bytes Status::with(int32_t code) const {
    Bytes b = before;
    memcpy(b.data() + offsetof(sqlca, sqlcode), &code, 4);
    return b;
}

namespace {

struct Names {
    std::vector<std::string> so, dll;
};

// The exported names of each entry point, from the entry-point table.
const std::map<std::string, Names>& names() {
    static const std::map<std::string, Names> m = [] {
        std::map<std::string, Names> out;
#define X(name, upper, bytes, family, frame, state)                                   \
    out[#name] = Names{{#name, #upper},                                                \
                       {#upper, #upper "@" #bytes, #name, #name "@" #bytes}};
        QX3_ENTRY_TABLE(X)
#undef X
        return out;
    }();
    return m;
}

// Each call of an entry point goes through the next of its exported names in turn, so that every
// name is exercised.
class NamedBackend : public Backend {
public:
    std::vector<std::string> names_of(const char* documented) const override {
        auto it = names().find(documented);
        return it == names().end() ? std::vector<std::string>{} : it->second.*list_;
    }
    void* resolve(const char* documented) override {
        const std::vector<std::string> all = names_of(documented);
        return all.empty() ? nullptr : lookup(all[turns_[documented]++ % all.size()].c_str());
    }

protected:
    explicit NamedBackend(std::vector<std::string> Names::*list) : list_(list) {}

private:
    std::vector<std::string> Names::*list_;
    std::map<std::string, unsigned> turns_;
};

class SoBackend : public NamedBackend {
public:
    SoBackend() : NamedBackend(&Names::so) {}
    const char* name() const override { return "so"; }
    void* lookup(const char* exported) override { return dlsym(handle(), exported); }

private:
    void* handle() {
        if (handle_ == nullptr) {
            handle_ = dlopen(QX3_SO_PATH, RTLD_NOW | RTLD_LOCAL);
            if (handle_ == nullptr) {
                fprintf(stderr, "cannot load %s: %s\n", QX3_SO_PATH, dlerror());
                abort();
            }
        }
        return handle_;
    }
    void* handle_ = nullptr;
};

// ---- The DLL, loaded by the test's own PE loader ----

#define HOST __attribute__((force_align_arg_pointer))

std::vector<uint32_t> g_disable_thread_calls;  // module handles DllMain passed to kernel32

HOST int __attribute__((stdcall)) host_DisableThreadLibraryCalls(void* module) {
    g_disable_thread_calls.push_back(w(module));
    return 1;
}
HOST void* host_memcpy(void* d, const void* s, size_t n) { return memcpy(d, s, n); }
HOST void* host_memset(void* d, int c, size_t n) { return memset(d, c, n); }
HOST int host_sprintf(char* out, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const int n = vsprintf(out, fmt, ap);
    va_end(ap);
    return n;
}

void* library(const char* path) {
    void* h = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (h == nullptr) h = dlopen(path, RTLD_NOW);
    return h;
}

// Binds the DLL's imports: the native layer to the stand-in's libraries, kernel32 and the C runtime
// to host functions. Anything else is refused, and the load fails naming it.
HOST void* bind_import(void*, const char* module, const char* name) {
    const std::string n = name;
    if (pe::same_module(module, "QX3APP.dll")) return dlsym(library("libqx3app.so"), name);
    if (pe::same_module(module, "QX3SYS.dll")) return dlsym(library("libqx3sys.so"), name);
    if (pe::same_module(module, "QX3WINT.dll")) return dlsym(library("libqx3wint.so"), name);
    if (pe::same_module(module, "KERNEL32.dll") && n == "DisableThreadLibraryCalls")
        return reinterpret_cast<void*>(&host_DisableThreadLibraryCalls);
    if (pe::same_module(module, "msvcrt.dll")) {
        if (n == "memcpy") return reinterpret_cast<void*>(&host_memcpy);
        if (n == "memset") return reinterpret_cast<void*>(&host_memset);
        if (n == "sprintf") return reinterpret_cast<void*>(&host_sprintf);
    }
    return nullptr;
}

class DllBackend : public NamedBackend {
public:
    DllBackend() : NamedBackend(&Names::dll) {}
    const char* name() const override { return "dll"; }
    void* lookup(const char* exported) override { return pe::proc(image(), exported); }

private:
    pe::Image* image() {
        if (image_ == nullptr) {
            std::string err;
            image_ = load_dll(err);
            if (image_ == nullptr) {
                fprintf(stderr, "cannot load %s: %s\n", QX3_DLL_PATH, err.c_str());
                abort();
            }
            if (!pe::attach(image_)) {
                fprintf(stderr, "DllMain of %s refused the process attach\n", QX3_DLL_PATH);
                abort();
            }
        }
        return image_;
    }
    pe::Image* image_ = nullptr;
};

}  // namespace

pe::Image* load_dll(std::string& err) { return pe::load(QX3_DLL_PATH, bind_import, nullptr, err); }

const std::vector<uint32_t>& disable_thread_calls() { return g_disable_thread_calls; }

Backend& so_backend() {
    static SoBackend b;
    return b;
}

Backend& dll_backend() {
    static DllBackend b;
    return b;
}

std::vector<Backend*> all_backends() { return {&so_backend(), &dll_backend()}; }

std::string BackendName(const ::testing::TestParamInfo<Backend*>& info) { return info.param->name(); }

std::vector<standin::Call> calls(const std::string& name) { return standin::calls_of(name); }

void fresh_native_layer() {
    standin::reset();
    standin::clear_faults();
}

void expect_native_layer_clean() {
    const std::string trace = standin::trace();
    standin::reset();  // turns any block still live into a fault
    for (const std::string& f : standin::faults()) ADD_FAILURE() << "native layer saw: " << f;
    if (::testing::Test::HasFailure()) fprintf(stderr, "calls into the native layer:\n%s", trace.c_str());
    standin::clear_faults();
}

void EntryBase::SetUp() { fresh_native_layer(); }

void EntryBase::TearDown() { expect_native_layer_clean(); }

namespace {
template <size_t... I>
int32_t call_n(void* p, const uint32_t* a, std::index_sequence<I...>) {
    using Fn = int32_t(QX3_API*)(decltype(I, uint32_t{})...);
    return reinterpret_cast<Fn>(p)(a[I]...);
}
template <size_t... N>
int32_t call_any(void* p, const std::vector<uint32_t>& a, std::index_sequence<N...>) {
    int32_t rc = INT32_MIN;
    ((a.size() == N ? (rc = call_n(p, a.data(), std::make_index_sequence<N>{}), true) : false) || ...);
    return rc;
}
}  // namespace

int32_t EntryBase::call_words(const char* name, const std::vector<uint32_t>& a) {
    void* p = backend()->resolve(name);
    if (p == nullptr || a.size() > 40) {
        ADD_FAILURE() << name << " is not exported by " << backend()->name() << " or has too many words";
        return INT32_MIN;
    }
    return call_address(p, a);
}

int32_t call_address(void* fn, const std::vector<uint32_t>& words) {
    return call_any(fn, words, std::make_index_sequence<41>{});
}

}  // namespace qx3test
