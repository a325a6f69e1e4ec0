// Generates the reference pages (docs/reference/) from the entry-point table, the native table, the
// public headers and the routes and bodies of the entry points: one page per family, one entry per
// entry point with its four export names and ordinals, argument bytes, arguments (which are strings,
// with which lengths), the native it calls, and whether it runs the application-data step.
//
// usage: genref SOURCE_DIR [--update]
// Without --update it fails when a committed page differs from what it would write.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "frame/entry_table.inc"
#include "native/table.inc"

namespace fs = std::filesystem;

namespace {

struct Row {
    std::string name, upper;
    unsigned bytes;
    std::string family, kind, state;
};
const std::vector<Row> kRows = {
#define X(name, upper, bytes, family, kind, state) {#name, #upper, bytes, #family, #kind, #state},
    QX3_ENTRY_TABLE(X)
#undef X
};

struct Native {
    std::string name;
    unsigned bytes;
    std::string module, family;
};
const std::vector<Native> kNatives = {
#define N(name, bytes, module, family) {#name, bytes, #module, #family},
    QX3_NATIVE_TABLE(N)
#undef N
};

const std::map<std::string, std::string> kFamilyTitle = {
    {"strcmd", "String-argument commands"}, {"scan", "Directory and tablespace scans"},
    {"esql", "Embedded-SQL runtime services"}, {"dbcfg", "Database configuration"},
    {"mgrcfg", "Database manager configuration"}, {"vcfg", "Versioned configuration"},
    {"bkpleg", "Legacy backup"}, {"bkp", "Versioned backup"}, {"rstleg", "Legacy restore"},
    {"rst", "Versioned restore"}, {"rollfwd", "Rollforward"}, {"recover", "Recover and archive log"},
    {"history", "Recovery history"}, {"load", "Versioned load"}, {"loadleg", "Legacy load and load query"},
    {"export", "Export"}, {"import", "Import"}, {"runstats", "Runstats"}, {"reorg", "Reorg"},
    {"inspect", "Inspect"}, {"nodecat", "Node catalog"}, {"dbcat", "Database catalog and creation"},
    {"gateway", "Gateway directory entries"}, {"instance", "Instance start and stop"},
    {"partition", "Partitioned-database services"}, {"snapshot", "Snapshot monitor"},
    {"avail", "High availability, quiesce, restart and activation"}};

std::string read_file(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\n");
    const size_t b = s.find_last_not_of(" \t\n");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

struct Param {
    std::string type, name;
};

struct Decl {
    std::string header, comment;
    std::vector<Param> params;
};

// Splits "T a, U* b" at top-level commas into types and names.
std::vector<Param> split_params(const std::string& text) {
    std::vector<Param> out;
    std::string cur;
    int depth = 0;
    auto flush = [&] {
        std::string p = std::regex_replace(trim(cur), std::regex("\\s+"), " ");
        cur.clear();
        if (p.empty() || p == "void") return;
        size_t end = p.size();
        size_t start = end;
        while (start > 0 && (std::isalnum(static_cast<unsigned char>(p[start - 1])) || p[start - 1] == '_')) --start;
        std::string type = trim(p.substr(0, start));
        type = std::regex_replace(type, std::regex(" \\*"), "*");
        out.push_back({type, p.substr(start)});
    };
    for (char c : text) {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0) flush();
        else cur += c;
    }
    flush();
    return out;
}

// Every declaration `QX3_EXTERN_C int32_t QX3_API name(...);` in the headers, with the comment
// block right above it (a comment shared by consecutive declarations is given to each).
std::map<std::string, Decl> read_headers(const fs::path& dir) {
    std::map<std::string, Decl> decls;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ".h") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    const std::regex decl("QX3_EXTERN_C\\s+int32_t\\s+QX3_API\\s+(\\w+)\\s*\\(([^;]*)\\)\\s*;");
    for (const fs::path& f : files) {
        const std::string text = read_file(f);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), decl); it != std::sregex_iterator(); ++it) {
            Decl d;
            d.header = f.filename().string();
            d.params = split_params((*it)[2].str());
            // Walk back over preceding declarations to the comment block above the group.
            size_t pos = static_cast<size_t>(it->position());
            std::vector<std::string> lines;
            std::istringstream before(text.substr(0, pos));
            std::string line;
            while (std::getline(before, line)) lines.push_back(line);
            int i = static_cast<int>(lines.size()) - 1;
            while (i >= 0 && trim(lines[i]).rfind("//", 0) != 0 && trim(lines[i]).size() && trim(lines[i]).rfind("#", 0) != 0) --i;
            std::vector<std::string> comment;
            while (i >= 0 && trim(lines[i]).rfind("//", 0) == 0) comment.insert(comment.begin(), trim(trim(lines[i]).substr(2))), --i;
            for (const std::string& c : comment) d.comment += (d.comment.empty() ? "" : " ") + c;
            decls[(*it)[1].str()] = d;
        }
    }
    return decls;
}

bool is_string(const Param& p) { return p.type == "char*" || p.type == "const char*"; }
bool is_length(const Param& p) {
    const std::string n = lower(p.name);
    return p.type == "qx3_u16w" && (n.find("len") != std::string::npos);
}
// The part of a name that a string and its length share: pAlias/aliasLen -> alias, len1 -> 1.
std::string stem(const Param& p) {
    std::string n = lower(p.name);
    if (is_length(p)) {
        const size_t at = n.find("len");
        return n.substr(0, at) + n.substr(at + 3);
    }
    for (const char* prefix : {"psz", "pi", "po", "p"})
        if (n.rfind(prefix, 0) == 0 && n.size() > std::string(prefix).size()) return n.substr(std::string(prefix).size());
    return n;
}
// Index of the length for each string argument: by shared stem first, then in order.
std::map<size_t, size_t> pair_lengths(const std::vector<Param>& ps) {
    std::map<size_t, size_t> out;
    std::set<size_t> used;
    for (size_t s = 0; s < ps.size(); ++s) {
        if (!is_string(ps[s])) continue;
        for (size_t l = 0; l < ps.size(); ++l)
            if (is_length(ps[l]) && !used.count(l) && !stem(ps[l]).empty() && stem(ps[s]) == stem(ps[l])) {
                out[s] = l, used.insert(l);
                break;
            }
    }
    for (size_t s = 0; s < ps.size(); ++s) {
        if (!is_string(ps[s]) || out.count(s)) continue;
        const std::string ss = stem(ps[s]);
        for (size_t l = 0; l < ps.size(); ++l) {
            const std::string ls = stem(ps[l]);
            const bool digit_match = !ls.empty() && std::isdigit(static_cast<unsigned char>(ls.back())) &&
                                     ss.size() >= ls.size() && ss.compare(ss.size() - ls.size(), ls.size(), ls) == 0;
            if (is_length(ps[l]) && !used.count(l) && digit_match) {
                out[s] = l, used.insert(l);
                break;
            }
        }
    }
    for (size_t s = 0; s < ps.size(); ++s) {
        if (!is_string(ps[s]) || out.count(s)) continue;
        for (size_t l = 0; l < ps.size(); ++l)
            if (is_length(ps[l]) && !used.count(l)) {
                out[s] = l, used.insert(l);
                break;
            }
    }
    return out;
}

// The body of the function or entry point that starts at `from` (first brace to its match).
std::string body_at(const std::string& text, size_t from) {
    const size_t open = text.find('{', from);
    if (open == std::string::npos) return "";
    int depth = 0;
    for (size_t i = open; i < text.size(); ++i) {
        if (text[i] == '{') ++depth;
        if (text[i] == '}' && --depth == 0) return text.substr(open, i - open + 1);
    }
    return text.substr(open);
}

// The natives an entry point calls: its route, or the natives named in its body or in a function of
// the same file that its body calls.
std::map<std::string, std::vector<std::string>> read_natives(const fs::path& src) {
    std::set<std::string> natives;
    for (const Native& n : kNatives)
        if (n.family != "frame") natives.insert(n.name);
    std::map<std::string, std::vector<std::string>> out;
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(src))
        if (e.path().extension() == ".cpp" || e.path().extension() == ".h") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    const std::regex ident("[A-Za-z_]\\w*");
    auto natives_in = [&](const std::string& s, std::vector<std::string>& into) {
        for (auto it = std::sregex_iterator(s.begin(), s.end(), ident); it != std::sregex_iterator(); ++it)
            if (natives.count(it->str()) && std::find(into.begin(), into.end(), it->str()) == into.end())
                into.push_back(it->str());
    };
    for (const fs::path& f : files) {
        const std::string text = read_file(f);
        const std::regex route("QX3_ROUTE\\(\\s*(\\w+)\\s*,\\s*(\\w+)");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), route); it != std::sregex_iterator(); ++it)
            out[(*it)[1].str()] = {(*it)[2].str()};
        const std::regex entry("QX3_ENTRY\\(\\s*(\\w+)\\s*,");
        for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it) {
            const std::string name = (*it)[1].str();
            if (out.count(name)) continue;
            const std::string body = body_at(text, static_cast<size_t>(it->position()) + it->length());
            std::vector<std::string> found;
            natives_in(body, found);
            static const std::regex callee("(\\w+)\\s*\\(");
            if (found.empty())
                for (auto c = std::sregex_iterator(body.begin(), body.end(), callee); c != std::sregex_iterator(); ++c) {
                    const std::regex def("\\n[\\w:<>*& ]*\\b" + (*c)[1].str() + "\\s*\\([^;{]*\\)\\s*(const\\s*)?\\{");
                    std::smatch m;
                    if (std::regex_search(text, m, def)) natives_in(body_at(text, static_cast<size_t>(m.position())), found);
                }
            out[name] = found;
        }
    }
    return out;
}

std::string code(const std::string& s) { return "`" + s + "`"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return std::fprintf(stderr, "usage: genref SOURCE_DIR [--update]\n"), 2;
    const fs::path root = argv[1];
    const bool update = argc > 2 && std::string(argv[2]) == "--update";
    const fs::path outdir = root / "docs" / "reference";

    // Ordinals: every name of the full export set in ascending byte order, as the export list has them.
    std::vector<std::string> all = {"sqlzThisIsAQX3Library"};
    for (const Row& r : kRows) {
        const std::string at = "@" + std::to_string(r.bytes);
        for (const std::string& n : {r.upper, r.upper + at, r.name, r.name + at}) all.push_back(n);
    }
    std::sort(all.begin(), all.end());
    std::map<std::string, size_t> ordinal;
    for (size_t i = 0; i < all.size(); ++i) ordinal[all[i]] = i + 1;

    const auto decls = read_headers(root / "include");
    const auto calls = read_natives(root / "src");
    std::map<std::string, const Native*> native_of;
    for (const Native& n : kNatives) native_of[n.name] = &n;

    std::map<std::string, std::string> pages;
    std::vector<std::string> order;
    std::map<std::string, std::pair<unsigned, unsigned>> counts;
    for (const Row& r : kRows) {
        if (!pages.count(r.family)) {
            order.push_back(r.family);
            const auto t = kFamilyTitle.find(r.family);
            pages[r.family] = "<!-- Generated by tools/genref from the entry-point table and the headers; do not edit. -->\n# " +
                              (t == kFamilyTitle.end() ? r.family : t->second) + "\n\n";
        }
        std::string& page = pages[r.family];
        const bool live = r.state == "LIVE";
        ++counts[r.family].first;
        if (live) ++counts[r.family].second;
        const std::string at = "@" + std::to_string(r.bytes);
        page += "## " + code(r.name) + "\n\n";
        const auto d = decls.find(r.name);
        if (d != decls.end() && !d->second.comment.empty()) page += d->second.comment + "\n\n";
        page += "| | |\n|---|---|\n";
        page += "| state | " + std::string(live ? "implemented" : "not yet implemented: its ordinals stay unused") + " |\n";
        page += "| export names (ordinal) | ";
        bool first = true;
        for (const std::string& n : {r.upper, r.upper + at, r.name, r.name + at})
            page += (first ? "" : ", ") + code(n) + " (" + std::to_string(ordinal[n]) + ")", first = false;
        page += " |\n| argument bytes | " + std::to_string(r.bytes) + " |\n";
        page += "| application-data step | " +
                std::string(r.kind == "APPDATA" ? "yes"
                            : r.kind == "TERM"  ? "no (converts caller memory without it)"
                                                : "no (forwards at once)") + " |\n";
        std::string native = "none";
        const auto c = calls.find(r.name);
        if (c == calls.end()) native = live ? "none" : "(not yet implemented)";
        else if (!c->second.empty()) {
            native.clear();
            for (const std::string& n : c->second) {
                const Native* nn = native_of[n];
                native += (native.empty() ? "" : ", ") + code(n) + " (QX3" + nn->module + ", " + std::to_string(nn->bytes) + " bytes)";
            }
        }
        page += "| native | " + native + " |\n";
        if (d != decls.end()) page += "| declared in | " + code(d->second.header) + " |\n";
        page += "\n";
        if (d != decls.end() && !d->second.params.empty()) {
            const auto& ps = d->second.params;
            const auto lengths = pair_lengths(ps);
            std::map<size_t, size_t> string_of;
            for (auto [s, l] : lengths) string_of[l] = s;
            page += "| word | argument | what |\n|---|---|---|\n";
            for (size_t i = 0; i < ps.size(); ++i) {
                std::string what;
                if (is_string(ps[i])) what = lengths.count(i) ? "string, length in " + code(ps[lengths.at(i)].name) : "string (no separate length)";
                else if (string_of.count(i)) what = "length of " + code(ps[string_of[i]].name) + " (low 16 bits)";
                else if (ps[i].type == "struct sqlca*") what = "status record";
                else if (ps[i].type == "qx3_u16w") what = "16-bit value (low 16 bits)";
                else if (ps[i].type.find('*') != std::string::npos) what = "pointer";
                else what = "value";
                page += "| " + std::to_string(i + 1) + " | " + code(ps[i].type + " " + ps[i].name) + " | " + what + " |\n";
            }
            page += "\n";
        } else if (d == decls.end()) {
            page += "Not yet declared in the headers.\n\n";
        }
    }
    std::string index = "<!-- Generated by tools/genref from the entry-point table and the headers; do not edit. -->\n"
                        "# qx3agapi reference\n\nOne page per family; each entry point with its four export names and "
                        "ordinals, argument bytes, arguments, the native it calls and whether it runs the "
                        "application-data step.\n\n| family | entry points | implemented |\n|---|---|---|\n";
    for (const std::string& f : order) {
        const auto t = kFamilyTitle.find(f);
        index += "| [" + (t == kFamilyTitle.end() ? f : t->second) + "](" + f + ".md) | " +
                 std::to_string(counts[f].first) + " | " + std::to_string(counts[f].second) + " |\n";
    }
    pages["README"] = index;

    int stale = 0;
    if (update) fs::create_directories(outdir);
    for (const auto& [name, text] : pages) {
        const fs::path p = outdir / (name + ".md");
        if (update) {
            std::ofstream(p, std::ios::binary) << text;
        } else if (!fs::exists(p) || read_file(p) != text) {
            std::fprintf(stderr, "genref: %s is not current\n", p.string().c_str());
            ++stale;
        }
    }
    if (fs::exists(outdir))
        for (const auto& e : fs::directory_iterator(outdir))
            if (!pages.count(e.path().stem().string())) {
                if (update) fs::remove(e.path());
                else std::fprintf(stderr, "genref: %s is no longer generated\n", e.path().string().c_str()), ++stale;
            }
    if (stale) std::fprintf(stderr, "genref: regenerate with: cmake --build --preset dev --target update-reference\n");
    return stale ? 1 : 0;
}
