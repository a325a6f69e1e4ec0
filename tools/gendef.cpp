// Generates, from the entry-point and native tables, every file that must agree with them:
//
//   exports        the module-definition file of the DLL: four names per LIVE entry point and the
//                  data marker, with ordinals counted over the full set of 657 names, so that an
//                  ordinal never moves when another family goes LIVE;
//   qx3agapi.ver   the version script of the shared library: the documented and upper-case names
//                  of every LIVE entry point, nothing else;
//   qx3agapi.syms  the same names, one per line, for the export check of the shared library;
//   QX3APP.def, QX3SYS.def, QX3WINT.def
//                  what the DLL imports, for the import libraries of the native layer.
//
// usage: gendef OUTDIR COMMITTED_EXPORTS [--update]
// Fails when the tables are inconsistent (count, duplicate name, wrong upper-case name) or when the
// committed `exports` differs from what the table gives; --update rewrites it instead.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "frame/entry_table.inc"
#include "native/table.inc"

namespace {

struct Row {
    std::string name, upper;
    unsigned bytes;
    std::string family, frame, state;
};

const std::vector<Row> kRows = {
#define X(name, upper, bytes, family, frame, state) {#name, #upper, bytes, #family, #frame, #state},
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

const char* const kMarker = "sqlzThisIsAQX3Library";

int fail(const std::string& what) {
    std::fprintf(stderr, "gendef: %s\n", what.c_str());
    return 1;
}

std::string upper_of(const std::string& s) {
    std::string u = s;
    for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool write_file(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary);
    f << text;
    return static_cast<bool>(f);
}

std::string read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return fail("usage: gendef OUTDIR COMMITTED_EXPORTS [--update]");
    const std::string out = argv[1], committed = argv[2];
    const bool update = argc > 3 && std::string(argv[3]) == "--update";

    // The table itself.
    if (kRows.size() != 164) return fail("the table holds " + std::to_string(kRows.size()) + " entry points, not 164");
    std::set<std::string> seen;
    for (const Row& r : kRows) {
        if (r.upper != upper_of(r.name)) return fail(r.name + ": upper-case name is " + r.upper);
        if (r.bytes % 4 != 0) return fail(r.name + ": argument bytes not a multiple of 4");
        if (r.state != "LIVE" && r.state != "TODO") return fail(r.name + ": state " + r.state);
        if (!seen.insert(upper_of(r.name)).second) return fail(r.name + ": listed twice");
    }

    // The full name set, every ordinal counted, whether LIVE or not.
    struct Name {
        std::string text;      // export name
        std::string internal;  // decorated symbol it resolves to; empty for the data marker
        bool live;
    };
    std::vector<Name> names;
    for (const Row& r : kRows) {
        const std::string at = "@" + std::to_string(r.bytes);
        const std::string symbol = r.name + at;
        const bool live = r.state == "LIVE";
        names.push_back({r.upper, symbol, live});
        names.push_back({r.upper + at, symbol, live});
        names.push_back({r.name, symbol, live});
        names.push_back({r.name + at, symbol, live});
    }
    names.push_back({kMarker, "", true});
    std::sort(names.begin(), names.end(), [](const Name& a, const Name& b) { return a.text < b.text; });
    for (size_t i = 1; i < names.size(); ++i)
        if (names[i].text == names[i - 1].text) return fail("export name " + names[i].text + " twice");
    if (names.size() != 657) return fail("the export set holds " + std::to_string(names.size()) + " names, not 657");

    std::ostringstream def;
    def << "; Generated from the entry-point table by tools/gendef; do not edit.\n"
        << "; Ordinals count every name of the full export set in ascending byte order, so an entry\n"
        << "; point not yet implemented leaves its ordinals unused.\n"
        << "LIBRARY qx3agapi.dll\nEXPORTS\n";
    for (size_t i = 0; i < names.size(); ++i) {
        const Name& n = names[i];
        if (!n.live) continue;
        const unsigned ordinal = static_cast<unsigned>(i + 1);
        if (n.internal.empty()) {
            def << "    " << n.text << " @" << ordinal << " DATA\n";
        } else if (n.text == n.internal) {
            def << "    " << n.text << " @" << ordinal << "\n";
        } else {
            const bool quote = n.text.find('@') != std::string::npos;
            def << "    " << (quote ? "\"" + n.text + "\"" : n.text) << " = " << n.internal << " @" << ordinal << "\n";
        }
    }

    std::ostringstream ver, syms;
    std::vector<std::string> so_names;
    for (const Row& r : kRows)
        if (r.state == "LIVE") so_names.push_back(r.name), so_names.push_back(r.upper);
    std::sort(so_names.begin(), so_names.end());
    ver << "/* Generated by tools/gendef: the shared library exports its entry points and nothing else. */\n{\n  global:\n";
    for (const std::string& s : so_names) ver << "    " << s << ";\n", syms << s << "\n";
    ver << "  local: *;\n};\n";

    // Import definitions of the native layer. Native entry points are stdcall and imported by their
    // plain names; the services are cdecl.
    std::map<std::string, std::ostringstream> imports;
    std::set<std::string> native_seen;
    for (const Native& n : kNatives) {
        if (!native_seen.insert(n.name).second) return fail("native " + n.name + " listed twice");
        const std::string module = n.module == "APP" ? "QX3APP" : n.module == "SYS" ? "QX3SYS" : "";
        if (module.empty()) return fail("native " + n.name + ": module " + n.module);
        const bool stdcall = n.family != "frame";
        imports[module] << "    " << (stdcall ? n.name + "@" + std::to_string(n.bytes) : n.name) << "\n";
    }
    imports["QX3WINT"] << "    g_sqltCompTraceFlags DATA\n";

    bool ok = write_file(out + "/exports", def.str()) && write_file(out + "/qx3agapi.ver", ver.str()) &&
              write_file(out + "/qx3agapi.syms", syms.str());
    for (auto& [module, body] : imports)
        ok = ok && write_file(out + "/" + module + ".def", "LIBRARY " + module + ".dll\nEXPORTS\n" + body.str());
    if (!ok) return fail("cannot write into " + out);

    if (update) {
        if (!write_file(committed, def.str())) return fail("cannot write " + committed);
        return 0;
    }
    const std::string have = read_file(committed);
    if (have != def.str()) {
        std::istringstream a(have), b(def.str());
        std::string la, lb;
        int line = 0;
        while (true) {
            ++line;
            const bool ga = static_cast<bool>(std::getline(a, la)), gb = static_cast<bool>(std::getline(b, lb));
            if (!ga && !gb) break;
            if (!ga || !gb || la != lb) {
                std::fprintf(stderr, "gendef: %s differs from the entry-point table at line %d:\n  committed: %s\n  generated: %s\n"
                             "  (regenerate it with: cmake --build --preset dev --target update-exports)\n",
                             committed.c_str(), line, ga ? la.c_str() : "<end>", gb ? lb.c_str() : "<end>");
                break;
            }
        }
        return 1;
    }
    return 0;
}
