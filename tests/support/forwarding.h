// Checks a forwarding entry point against a row that says, independently of the library, what
// its argument words are, which strings it terminates in which order, how each native argument is
// made from the words, and whether it runs the application-data step.
//
// Every word gets a value of its own: u16 words carry high bits and a 16-bit value with its top
// bit set, i16 words a negative 16-bit value, plain words something else again; so a wrong order,
// a missing or wrong widening, or a whole word where 16 bits belong each show as a wrong word.
#ifndef QX3_TEST_FORWARDING_H
#define QX3_TEST_FORWARDING_H

#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "harness.h"

namespace qx3test::fwdcheck {

enum Kind : uint8_t { U16, I16, WORD, STR, CA };

// A native argument: argument word `word` (1-based) whole ('w'), zero-extended ('z') or
// sign-extended ('s') from 16 bits; the constant 0 ('0'); the message-file name ('m').
struct Out {
    int word;
    char how;
};
inline Out W(int k) { return {k, 'w'}; }
inline Out Z(int k) { return {k, 'z'}; }
inline Out S(int k) { return {k, 's'}; }
inline const Out kZero{0, '0'};
inline const Out kMessageFile{0, 'm'};

struct Member {
    const char* name;
    const char* native;
    std::vector<Kind> words;
    std::vector<std::pair<int, int>> strings;  // (string word, length word), 1-based, in terminating order
    std::vector<Out> args;
    bool framed;
};

// How a member is called: as is; with checks active and passing; with one string null; with one
// string's check failing; with application data failing.
struct Variant {
    enum What { Plain, ChecksPass, NullString, CheckFails, AppDataFails } what;
    int string = 0;  // index into Member::strings for NullString and CheckFails
};

inline std::string describe(const Variant& v) {
    switch (v.what) {
        case Variant::Plain: return "checks inactive";
        case Variant::ChecksPass: return "checks active and passing";
        case Variant::NullString: return "string " + std::to_string(v.string + 1) + " null";
        case Variant::CheckFails: return "string " + std::to_string(v.string + 1) + " fails its check";
        case Variant::AppDataFails: return "application data fails";
    }
    return "?";
}

inline std::vector<Variant> variants_of(const Member& m) {
    std::vector<Variant> out = {{Variant::Plain}, {Variant::ChecksPass}, {Variant::AppDataFails}};
    for (int i = 0; i < static_cast<int>(m.strings.size()); ++i) {
        out.push_back({Variant::NullString, i});
        out.push_back({Variant::CheckFails, i});
    }
    return out;
}

class Forwarding : public EntryTest {
protected:
    int32_t call_words(const char* name, const std::vector<uint32_t>& a) {
        switch (a.size()) {
            case 0: return call(name);
            case 1: return call(name, a[0]);
            case 2: return call(name, a[0], a[1]);
            case 3: return call(name, a[0], a[1], a[2]);
            case 4: return call(name, a[0], a[1], a[2], a[3]);
            case 5: return call(name, a[0], a[1], a[2], a[3], a[4]);
            case 6: return call(name, a[0], a[1], a[2], a[3], a[4], a[5]);
            case 7: return call(name, a[0], a[1], a[2], a[3], a[4], a[5], a[6]);
            case 8: return call(name, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
            case 9: return call(name, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
        }
        ADD_FAILURE() << "no caller for " << a.size() << " words";
        return 0;
    }

    void check(const Member& m, const Variant& v, int32_t result) {
        SCOPED_TRACE(std::string(m.name) + ", " + describe(v));
        standin::reset();
        const size_t n = m.words.size();

        // Lengths: distinct and small, so that a string terminated with the wrong length shows.
        std::vector<int> length_of_word(n + 1, -1);
        for (size_t s = 0; s < m.strings.size(); ++s) length_of_word[m.strings[s].second] = 3 + static_cast<int>(s) * 2;

        Status st;
        std::vector<uint32_t> value(n);
        std::vector<std::unique_ptr<Guarded>> buffer(n);
        for (size_t k = 0; k < n; ++k) {
            const uint32_t i = static_cast<uint32_t>(k);
            switch (m.words[k]) {
                case U16:
                    value[k] = length_of_word[k + 1] >= 0 ? 0xA5A50000u | static_cast<uint32_t>(length_of_word[k + 1])
                                                         : 0xC0000000u + (i << 20) + 0x8000u + i * 0x101u + 1u;
                    break;
                case I16: value[k] = 0x7E000000u + (i << 20) + 0xFEDCu - i * 0x111u; break;
                case WORD: value[k] = 0x5A000000u + (i << 20) + 0x1234u + i * 0x10101u; break;
                case CA: value[k] = w(st.ca()); break;
                case STR: break;
            }
        }
        std::vector<size_t> string_length(n, 0);
        for (size_t s = 0; s < m.strings.size(); ++s) {
            const size_t k = static_cast<size_t>(m.strings[s].first - 1);
            string_length[k] = static_cast<size_t>(length_of_word[m.strings[s].second]);
            buffer[k] = std::make_unique<Guarded>(string_length[k] + 1);
            buffer[k]->fill(static_cast<uint8_t>(0x41 + 13 * k));
            const bool null = v.what == Variant::NullString && v.string == static_cast<int>(s);
            value[k] = null ? 0 : w(buffer[k]->data());
        }
        std::vector<Bytes> before(n);
        for (size_t k = 0; k < n; ++k)
            if (buffer[k]) before[k] = buffer[k]->bytes();

        const bool checks = v.what == Variant::ChecksPass || v.what == Variant::CheckFails;
        standin::checks_active(checks);
        int failing = -1;  // the word whose check fails
        if (v.what == Variant::CheckFails) {
            failing = m.strings[v.string].first - 1;
            standin::fail_checks(buffer[failing]->data(), static_cast<uint32_t>(string_length[failing] + 1),
                                 standin::kAllModes);
        }
        if (v.what == Variant::AppDataFails) standin::fail_app_data(1);
        standin::set_result(m.native, result);

        std::vector<Bytes> during(n);
        standin::during_call([&](const standin::Call&) {
            for (size_t k = 0; k < n; ++k)
                if (buffer[k]) during[k] = buffer[k]->bytes();
        });

        const int32_t rc = call_words(m.name, value);

        const bool refused = m.framed && v.what == Variant::AppDataFails;
        auto natives = calls(m.native);
        if (refused) {
            EXPECT_EQ(rc, 0);
            EXPECT_TRUE(natives.empty()) << "no native call";
            EXPECT_TRUE(standin::checks().empty()) << "no terminator, so no check";
            EXPECT_TRUE(SameBytes(st.with(-1022), st.mem)) << "sqlcode alone is written";
        } else {
            EXPECT_EQ(rc, result) << "the native result comes back unchanged";
            ASSERT_EQ(natives.size(), 1u);
            const standin::Call& c = natives[0];
            ASSERT_EQ(c.words.size(), m.args.size()) << "native argument count";
            for (size_t a = 0; a < m.args.size(); ++a) {
                const Out& o = m.args[a];
                SCOPED_TRACE("native argument " + std::to_string(a + 1));
                if (o.how == 'm') {
                    ASSERT_LT(a, c.strings.size());
                    EXPECT_EQ(standin::show(c.strings[a]), "qx3sql.mo");
                    continue;
                }
                uint32_t expect = 0;
                if (o.how != '0') {
                    const uint32_t x = value[o.word - 1];
                    expect = o.how == 'w'   ? x
                             : o.how == 'z' ? (x & 0xFFFFu)
                                            : static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(x & 0xFFFFu)));
                }
                EXPECT_EQ(c.words[a], expect) << std::hex << "0x" << c.words[a] << " instead of 0x" << expect;
                // A string argument as the native side saw it.
                if (o.how == 'w' && m.words[o.word - 1] == STR) {
                    const size_t k = static_cast<size_t>(o.word - 1);
                    ASSERT_LT(a, c.strings.size());
                    const standin::Seen& seen = c.strings[a];
                    if (value[k] == 0) {
                        EXPECT_TRUE(seen.null);
                    } else if (static_cast<int>(k) == failing) {
                        EXPECT_FALSE(seen.terminated) << "goes on unterminated: " << standin::show(seen);
                    } else {
                        EXPECT_EQ(standin::show(seen), std::string(buffer[k]->chars(), string_length[k]));
                    }
                }
            }
            // The strings during the call: a NUL at p[length] where a terminator was placed.
            for (size_t k = 0; k < n; ++k) {
                if (!buffer[k] || value[k] == 0) continue;
                SCOPED_TRACE("string at word " + std::to_string(k + 1) + " during the call");
                Bytes expect = before[k];
                if (static_cast<int>(k) != failing) expect[string_length[k]] = 0;
                EXPECT_TRUE(SameBytes(expect, during[k].data(), during[k].size()));
            }
            // Checks: one per non-null string, over length + 1 bytes, read and write, in the order
            // of terminating; none while checks are off.
            std::vector<standin::Check> expect_checks;
            if (checks) {
                for (const auto& [sw, lw] : m.strings) {
                    const size_t k = static_cast<size_t>(sw - 1);
                    if (value[k] != 0) expect_checks.push_back({value[k], static_cast<uint32_t>(string_length[k] + 1), 3, 0});
                }
            }
            const auto& seen_checks = standin::checks();
            ASSERT_EQ(seen_checks.size(), expect_checks.size()) << "pointer checks";
            for (size_t i = 0; i < expect_checks.size(); ++i) {
                EXPECT_EQ(seen_checks[i].p, expect_checks[i].p) << "check " << i + 1 << " is of the wrong string";
                EXPECT_EQ(seen_checks[i].length, expect_checks[i].length) << "check " << i + 1;
                EXPECT_EQ(seen_checks[i].mode, 3u) << "check " << i + 1;
            }
        }
        for (size_t k = 0; k < n; ++k) {
            if (!buffer[k]) continue;
            SCOPED_TRACE("string at word " + std::to_string(k + 1) + " afterwards");
            EXPECT_TRUE(SameBytes(before[k], *buffer[k]));
        }
        // What crossed into the native layer, in order: the application-data request only where the
        // member is framed, then the native call; nothing else (no blocks, no status checks).
        std::vector<std::string> expect_names;
        if (m.framed) expect_names.push_back("sqlo_create_init_app_data");
        if (!refused) expect_names.push_back(m.native);
        std::vector<std::string> names;
        for (const standin::Call& c : standin::calls()) names.push_back(c.name);
        EXPECT_EQ(names, expect_names);
        if (m.framed && !standin::calls().empty()) {
            EXPECT_EQ(standin::calls()[0].words[0], 0x8E8215u);
        }
    }

    void check_all(const std::vector<Member>& members) {
        int32_t result = 0x70001;
        for (const Member& m : members) {
            for (const Variant& v : variants_of(m)) {
                check(m, v, result);
                result += 0x1011;
            }
        }
    }
};

}  // namespace qx3test::fwdcheck

#endif
