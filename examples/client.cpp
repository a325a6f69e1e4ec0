// Example client: what a program with length-counted strings does.
//
// 1. Reset a database's configuration. The alias "SAMPLE" sits in a larger buffer with no NUL after
//    it; the library lends it one for the duration of the call and gives the byte back.
// 2. Attach to a node. The node name, user and password lie one after another in a single buffer,
//    each given by its offset and length, separated by one byte that lends each its terminator.
// 3. List the database directory through the versioned scans.
// 4. Export a table to two targets through qx3gExport: the media list's entries carry no NUL; the
//    native side sees each target terminated, and the caller gets the list back whole.
#include <stdio.h>
#include <string.h>

#include "natives/scan_directory.h"
#include "qx3agapi.h"
#include "standin.h"

namespace {

void print_buffer(const char* label, const char* buffer, size_t n) {
    printf("%s", label);
    for (size_t i = 0; i < n; ++i) printf(buffer[i] ? "%c" : "\\0", buffer[i]);
    printf("\n");
}

bool reset_configuration() {
    char buffer[] = {'S', 'A', 'M', 'P', 'L', 'E', 'X', 'Y', 'Z', '!'};
    const qx3_u16w length = 6;
    sqlca ca;
    memset(&ca, 0, sizeof ca);

    standin::reset();
    // Look at the buffer from inside the native call, while the terminator is in place.
    standin::during_call([&](const standin::Call&) {
        printf("during the call, the caller's buffer holds:");
        for (char c : buffer) printf(c ? " '%c'" : " NUL", c);
        printf("\n");
    });

    const int32_t rc = sqlgrdb(length, &ca, buffer);

    for (const standin::Call& c : standin::calls_of("sqlfrdb"))
        printf("sqlfrdb saw alias \"%s\" and sqlca %s\n", standin::show(c.strings[0]).c_str(),
               c.words[1] == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ca)) ? "(the caller's)" : "(another)");
    printf("sqlgrdb returned %d, sqlcode %d\n", rc, ca.sqlcode);
    print_buffer("after the call, the caller's buffer holds: ", buffer, sizeof buffer);
    const bool intact = memcmp(buffer, "SAMPLEXYZ!", sizeof buffer) == 0;
    printf("buffer %s\n", intact ? "given back byte for byte" : "CHANGED");
    return intact && rc == 0;
}

// Reads parameter 105, a string in a 13-byte field, through the token-array get: it comes back
// blank-padded, with no NUL.
bool read_configuration() {
    char buffer[] = {'S', 'A', 'M', 'P', 'L', 'E', 'X', 'Y', 'Z', '!'};
    const qx3_u16w length = 6;
    sqlca ca;
    memset(&ca, 0, sizeof ca);
    standin::reset();
    char field[13];
    memset(field, '#', sizeof field);
    qx3ConfigItem item;
    memset(&item, 0, sizeof item);
    item.token = 105;
    item.value = field;
    const int32_t rc = sqlgxdb(length, 1, &item, &ca, buffer);
    for (const standin::Call& c : standin::calls_of("sqlfxdb"))
        printf("sqlfxdb saw alias \"%s\" and %u item(s)\n", standin::show(c.strings[0]).c_str(), c.words[1]);
    printf("sqlgxdb returned %d; parameter 105 as a %u-byte field: [", rc, static_cast<unsigned>(sizeof field));
    for (char c : field) printf(c ? "%c" : "\\0", c);
    printf("]\n");
    const bool padded = memchr(field, '\0', sizeof field) == nullptr && field[sizeof field - 1] == ' ';
    printf("field %s\n", padded ? "blank-padded, no NUL" : "NOT PADDED");
    const bool intact = memcmp(buffer, "SAMPLEXYZ!", sizeof buffer) == 0;
    printf("alias buffer %s\n", intact ? "given back byte for byte" : "CHANGED");
    return intact && padded && rc == 0;
}

bool attach() {
    static const char kText[] = "NODE7|OPERATOR|S3CRET.";
    char buffer[sizeof kText - 1];
    memcpy(buffer, kText, sizeof buffer);
    struct {
        uint32_t offset;
        qx3_u16w length;
    } node{0, 5}, user{6, 8}, password{15, 6};
    sqlca ca;
    memset(&ca, 0, sizeof ca);

    standin::reset();
    standin::during_call([&](const standin::Call&) {
        print_buffer("during the attach, the caller's buffer holds: ", buffer, sizeof buffer);
    });

    const int32_t rc = sqlgatin(node.length, user.length, password.length, &ca, buffer + node.offset,
                                buffer + user.offset, buffer + password.offset);

    // The native call takes the strings last one first.
    for (const standin::Call& c : standin::calls_of("sqleatin_api"))
        printf("sqleatin_api saw \"%s\", \"%s\", \"%s\" and sqlca %s\n", standin::show(c.strings[0]).c_str(),
               standin::show(c.strings[1]).c_str(), standin::show(c.strings[2]).c_str(),
               c.words[3] == static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&ca)) ? "(the caller's)" : "(another)");
    printf("sqlgatin returned %d, sqlcode %d\n", rc, ca.sqlcode);
    print_buffer("after the attach, the caller's buffer holds:  ", buffer, sizeof buffer);
    const bool intact = memcmp(buffer, kText, sizeof buffer) == 0;
    printf("buffer %s\n", intact ? "given back byte for byte" : "CHANGED");
    return intact && rc == 0;
}

// Lists the database directory through the versioned scans: open, one step per entry, close. The
// directory's path is length-counted like every string here.
bool list_database_directory() {
    const uint32_t version = 8020000;
    char path[] = {'C', ':', '*', '*'};
    sqlca ca;
    memset(&ca, 0, sizeof ca);

    qx3gDbDirOpenScanRec open;
    memset(&open, 0, sizeof open);
    open.iStringLen = 2;
    open.piString = path;
    standin::during_call([&](const standin::Call& c) {
        if (c.name != "qx3DbDirOpenScan") return;
        printf("\nduring the open, the path buffer holds:");
        for (char ch : path) printf(ch ? " '%c'" : " NUL", ch);
        printf("\n");
    });
    int32_t rc = qx3gDbDirOpenScan(version, &open, &ca);
    printf("database directory on \"%.2s\": open returned %d, scan %u, %u entries\n", path, rc, open.oValue1,
           open.oValue2);
    if (rc != 0) return false;

    bool ok = true;
    for (uint16_t i = 0; i < open.oValue2; ++i) {
        qx3DbDirNextEntryRec next;
        memset(&next, 0, sizeof next);
        next.iHandle = open.oValue1;
        rc = qx3gDbDirGetNextEntry(version, &next, &ca);
        if (rc != 0) {
            printf("  entry %u: get returned %d, sqlcode %d\n", i + 1, rc, ca.sqlcode);
            ok = false;
            break;
        }
        // The entry is the native interface's record; its alias is an 8-byte blank-padded field.
        const standin::DirEntry* e = static_cast<const standin::DirEntry*>(next.poEntry);
        int n = 8;
        while (n > 0 && e->alias[n - 1] == ' ') --n;
        printf("  entry %u: alias %.*s\n", i + 1, n, e->alias);
    }

    qx3DbDirCloseScanRec close;
    close.iHandle = open.oValue1;
    rc = qx3gDbDirCloseScan(version, &close, &ca);
    printf("close returned %d\n", rc);
    const bool intact = memcmp(path, "C:**", sizeof path) == 0;
    printf("path buffer %s\n", intact ? "given back byte for byte" : "CHANGED");
    return ok && rc == 0 && intact;
}

void print_entry(const char* label, const sqluMediaEntry220& e) {
    printf("%s length %u, text [", label, e.iLength);
    for (uint32_t i = 0; i < e.iLength + 2; ++i) printf(e.text[i] ? "%c" : "\\0", e.text[i]);
    printf("]\n");
}

// Exports a table to two files named in a media list of type 'L'. Each entry's text is followed by
// other bytes ('#'), not by a NUL.
bool export_table() {
    sqluMediaEntry220 targets[2];
    memset(targets, '#', sizeof targets);
    const char* names[2] = {"staff.ixf", "staff2.ixf"};
    for (int i = 0; i < 2; ++i) {
        targets[i].iLength = static_cast<uint32_t>(strlen(names[i]));
        memcpy(targets[i].text, names[i], strlen(names[i]));
    }
    sqluMediaList media;
    memset(&media, 0, sizeof media);
    media.iMediaType = QX3_MEDIA_L;
    media.iNumEntries = 2;
    media.piEntries = targets;
    char query[] = "SELECT * FROM STAFF;;";  // the statement is the first 19 characters
    char format[] = "IXF?";
    char messages[] = "export.msg!";
    sqluMediaEntry220 before[2];
    memcpy(before, targets, sizeof targets);

    qx3gExportStruct rec;
    memset(&rec, 0, sizeof rec);
    rec.piString1 = query;
    rec.iString1Len = 19;
    rec.piList1 = &media;
    rec.piString2 = format;
    rec.iString2Len = 3;
    rec.piString3 = messages;
    rec.iString3Len = 10;
    sqlca ca;
    memset(&ca, 0, sizeof ca);

    standin::reset();
    printf("\n");
    standin::during_call([&](const standin::Call&) {
        print_entry("during the export, target 1:", targets[0]);
        print_entry("during the export, target 2:", targets[1]);
    });
    const int32_t rc = qx3gExport(9000000, &rec, &ca);
    for (const standin::Call& c : standin::calls_of("qx3Export")) {
        const standin::SeenList& l = c.lists[0];
        printf("qx3Export saw \"%s\" and a media list of type '%c' with %u entries:", standin::show(c.strings[0]).c_str(),
               static_cast<char>(l.type), l.count);
        for (const standin::Seen& e : l.entries) printf(" \"%s\"", standin::show(e).c_str());
        printf("\n");
    }
    printf("qx3gExport returned %d, sqlcode %d\n", rc, ca.sqlcode);
    print_entry("after the export, target 1: ", targets[0]);
    print_entry("after the export, target 2: ", targets[1]);
    const bool intact = memcmp(before, targets, sizeof targets) == 0 && memcmp(query, "SELECT * FROM STAFF;;", 21) == 0;
    printf("media list and strings %s\n", intact ? "given back byte for byte" : "CHANGED");
    return intact && rc == 0;
}

}  // namespace

int main() {
    const bool reset_ok = reset_configuration();
    printf("\n");
    const bool read_ok = read_configuration();
    printf("\n");
    const bool attach_ok = attach();
    const bool listed = list_database_directory();
    const bool exported = export_table();
    return reset_ok && read_ok && attach_ok && listed && exported ? 0 : 1;
}
