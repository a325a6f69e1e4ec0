// Support for the configuration tests: a legacy token-array request laid out in caller memory (item
// array, value length array, and value buffers each against a guard page), and a fixture that
// calls any of the legacy configuration entry points by name with its own argument layout.
#ifndef QX3_TEST_CONFIG_H
#define QX3_TEST_CONFIG_H

#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "support/harness.h"

namespace qx3test::config {

// Starts the next row of a table-driven test: the row before must have left the ledger empty and
// the native layer without complaint (the fixture checks only after the last row).
inline void next_row() { expect_native_layer_clean(); }

// Words the entry points must accept and never read: neither pointers nor small lengths.
constexpr uint32_t kIgnored1 = 0xDEADBEEF;
constexpr uint32_t kIgnored2 = 0x0BADF00D;

class LegacyRequest {
public:
    explicit LegacyRequest(size_t n)
        : n_(n), items_(n ? 8 * n : 1), lengths_(n ? 2 * n : 1), values_(n) {
        items_.fill(0x11);
        lengths_.fill(0x22);
    }

    size_t count() const { return n_; }
    qx3ConfigItem* items() const { return items_.as<qx3ConfigItem>(); }
    uint16_t* lengths() const { return lengths_.as<uint16_t>(); }
    Guarded& items_mem() { return items_; }
    Guarded& lengths_mem() { return lengths_; }

    // Item i gets a buffer of its own of `size` bytes (the last one before a guard page).
    Guarded& own(size_t i, uint16_t token, size_t size, uint16_t length, uint8_t seed = 0x41) {
        values_[i] = std::make_unique<Guarded>(size);
        values_[i]->fill(static_cast<uint8_t>(seed + i));
        point(i, token, values_[i]->chars(), length);
        return *values_[i];
    }
    // Item i points wherever the test says (null included).
    void point(size_t i, uint16_t token, char* value, uint16_t length) {
        items()[i].token = token;
        items()[i].value = value;
        lengths()[i] = length;
    }
    Guarded* value(size_t i) const { return values_[i].get(); }

    // Every buffer of the request, for comparing the caller's memory whole.
    std::vector<Bytes> snapshot() const {
        std::vector<Bytes> s{items_.bytes(), lengths_.bytes()};
        for (const auto& v : values_) s.push_back(v ? v->bytes() : Bytes{});
        return s;
    }
    ::testing::AssertionResult Unchanged(const std::vector<Bytes>& before) const {
        const std::vector<Bytes> now = snapshot();
        for (size_t b = 0; b < now.size(); ++b) {
            auto r = SameBytes(before[b], now[b].data(), now[b].size());
            if (!r) {
                const std::string what = b == 0 ? "item array" : b == 1 ? "value length array"
                                                                        : "value of item " + std::to_string(b - 2);
                return ::testing::AssertionFailure() << what << ": " << r.message();
            }
        }
        return ::testing::AssertionSuccess();
    }

private:
    size_t n_;
    Guarded items_;
    Guarded lengths_;
    std::vector<std::unique_ptr<Guarded>> values_;
};

// The database calls take an alias; the manager calls none.
inline bool takes_alias(const std::string& ep) { return ep.find("sys") == std::string::npos; }

class ConfigTest : public EntryTest {
protected:
    // Calls a legacy configuration entry point with its own argument layout. The alias and its length
    // are dropped for the manager calls; the value length array for the gets.
    int32_t legacy(const std::string& ep, uint32_t alias_len, char* alias, uint32_t count, uint16_t* lengths,
                   qx3ConfigItem* items, sqlca* ca) {
        const char* e = ep.c_str();
        if (ep == "sqlgxdb" || ep == "sqlgddb") return call(e, alias_len, count, items, ca, alias);
        if (ep == "sqlgxdbc") return call(e, kIgnored1, alias_len, count, items, ca, kIgnored2, alias);
        if (ep == "sqlgudb") return call(e, alias_len, count, lengths, items, ca, alias);
        if (ep == "sqlgeudb") return call(e, kIgnored1, alias_len, count, lengths, items, ca, kIgnored2, alias);
        if (ep == "sqlgxsys" || ep == "sqlgdsys") return call(e, count, items, ca);
        if (ep == "sqlgusys") return call(e, count, lengths, items, ca);
        ADD_FAILURE() << "no legacy configuration entry point " << ep;
        return INT32_MIN;
    }
    int32_t legacy(const std::string& ep, uint32_t alias_len, char* alias, LegacyRequest& r, sqlca* ca) {
        return legacy(ep, alias_len, alias, static_cast<uint32_t>(r.count()), r.lengths(), r.items(), ca);
    }
};

// One token as an entry point must treat it: string-valued with its field size (size 0 where an
// update knows no size), or numeric.
struct TokenExpect {
    uint16_t token;
    bool string;
    uint16_t size;
};

// A test's own copy of a token table, one row per token and one column per entry point.
struct TokenColumn {
    uint16_t token;
    uint16_t size;
    bool in_set;
};

// One column of a test's token table (its rows have `token`, `size` and a flag per entry point).
template <class T, size_t N>
std::vector<TokenColumn> column(const T (&table)[N], bool T::*in_set) {
    std::vector<TokenColumn> out;
    for (const T& t : table) out.push_back({t.token, t.size, t.*in_set});
    return out;
}

// Every token of the table, its neighbours and the extremes, each with what `column` says of it:
// a token in the wrong set, or with the wrong size, shows up as a wrong item.
inline std::vector<TokenExpect> probe_tokens(const std::vector<TokenColumn>& column) {
    std::vector<uint32_t> probe{0, 1, 65535};
    for (const TokenColumn& c : column) probe.insert(probe.end(), {c.token - 1u, c.token, c.token + 1u});
    std::vector<TokenExpect> out;
    for (uint32_t t : probe) {
        bool seen = false;
        for (const TokenExpect& e : out) seen = seen || e.token == t;
        if (seen || t > 65535) continue;
        TokenExpect e{static_cast<uint16_t>(t), false, 0};
        for (const TokenColumn& c : column)
            if (c.token == t && c.in_set) e = {c.token, true, c.size};
        out.push_back(e);
    }
    return out;
}

class TokenSetTest : public ConfigTest {
protected:
    // A get or defaults call over every probe token at once. Each string-valued item's buffer is
    // exactly its field size; a numeric item's is larger than any field. The native leaves "ab", a
    // NUL and garbage in every buffer; afterwards string fields read "ab" and blanks to their end,
    // numeric ones as the native left them. Checks are on: a field is checked once, in write mode,
    // over its size (a larger size fails the check against the guard page and leaves it unpadded).
    void ExpectGetPads(const std::string& ep, const std::vector<TokenExpect>& probe) {
        SCOPED_TRACE(ep);
        next_row();
        LegacyRequest r(probe.size());
        for (size_t i = 0; i < probe.size(); ++i) r.own(i, probe[i].token, probe[i].string ? probe[i].size : 1100, 0);
        Guarded alias(7);
        alias.set(0, "SAMPLE!");
        standin::after_call([&](const standin::Call&) {
            for (size_t i = 0; i < probe.size(); ++i) {
                r.value(i)->fill(static_cast<uint8_t>(0x61 + i));
                r.value(i)->set(0, std::string("ab\0", 3));
            }
        });
        standin::checks_active(true);
        Status st;
        EXPECT_EQ(legacy(ep, 6, alias.chars(), r, st.ca()), 0);

        size_t strings = 0;
        for (size_t i = 0; i < probe.size(); ++i) {
            SCOPED_TRACE("token " + std::to_string(probe[i].token) + (probe[i].string ? " (string)" : " (numeric)"));
            Guarded& v = *r.value(i);
            Guarded expect(v.size());
            expect.fill(static_cast<uint8_t>(0x61 + i));
            expect.set(0, std::string("ab\0", 3));
            if (probe[i].string) {
                ++strings;
                memset(expect.data() + 2, ' ', v.size() - 2);
            }
            EXPECT_TRUE(SameBytes(expect.bytes(), v));
        }
        size_t field_checks = 0;
        for (const standin::Check& c : standin::checks()) {
            if (c.mode == 3) continue;  // the alias
            ++field_checks;
            EXPECT_EQ(c.mode, 2u);
            for (size_t i = 0; i < probe.size(); ++i)
                if (c.p == reinterpret_cast<uintptr_t>(r.value(i)->data())) {
                    EXPECT_TRUE(probe[i].string) << "numeric token " << probe[i].token << " checked";
                    EXPECT_EQ(c.length, probe[i].size) << "field of token " << probe[i].token;
                }
        }
        EXPECT_EQ(field_checks, strings);
        EXPECT_EQ(standin::allocations(), 0u) << "a get needs no memory block";
    }

    // An update over every probe token at once. Item i's value has length i % 7 + 1 and one more
    // byte before the guard page. During the native call exactly the string-valued items show a NUL
    // at their length; afterwards the caller's memory is as before.
    void ExpectUpdateTerminates(const std::string& ep, const std::vector<TokenExpect>& probe) {
        SCOPED_TRACE(ep);
        next_row();
        LegacyRequest r(probe.size());
        for (size_t i = 0; i < probe.size(); ++i) {
            const uint16_t n = static_cast<uint16_t>(i % 7 + 1);
            r.own(i, probe[i].token, n + 1, n);
        }
        Guarded alias(7);
        alias.set(0, "SAMPLE!");
        const std::vector<Bytes> before = r.snapshot();
        std::vector<Bytes> during;
        standin::during_call([&](const standin::Call&) { during = r.snapshot(); });
        standin::checks_active(true);
        Status st;
        EXPECT_EQ(legacy(ep, 6, alias.chars(), r, st.ca()), 0);

        ASSERT_EQ(during.size(), before.size()) << "the native call was not made";
        size_t strings = 0;
        for (size_t i = 0; i < probe.size(); ++i) {
            SCOPED_TRACE("token " + std::to_string(probe[i].token) + (probe[i].string ? " (string)" : " (numeric)"));
            Bytes expect = before[2 + i];
            if (probe[i].string) {
                ++strings;
                expect.back() = 0;
            }
            EXPECT_TRUE(SameBytes(expect, during[2 + i].data(), during[2 + i].size())) << "during the call";
        }
        EXPECT_TRUE(r.Unchanged(before)) << "afterwards";
        EXPECT_EQ(memcmp(alias.data(), "SAMPLE!", 7), 0);
        EXPECT_EQ(standin::allocations(), strings) << "one restore entry per string-valued item";
    }
};

}  // namespace qx3test::config

#endif
