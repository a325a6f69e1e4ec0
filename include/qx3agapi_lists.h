// Media lists and tablespace lists: the records through which backup, restore, rollforward, load,
// import and export name their targets, sources and tablespaces.
//
// Two families exist. The in-place lists (sqluMediaList, sqluTablespaceList) reach the native
// call as the caller built them: each entry carries its own length, and the library lends each
// text a NUL at text[iLength] for the duration of the call, so every text field needs room for
// iLength + 1 bytes. The generic lists (qx3gMediaList, qx3gTablespaceList) hold pointer/length
// pairs; the library hands the native call copies of them (qx3MediaList, qx3TablespaceList),
// each entry a NUL-terminated copy of the caller's text.
#ifndef QX3AGAPI_LISTS_H
#define QX3AGAPI_LISTS_H

#include <stdint.h>

// Media type codes of an sqluMediaList: the code decides the form and size of its entries.
#define QX3_MEDIA_C 'C' // sqluMediaEntry, 260 bytes
#define QX3_MEDIA_L 'L' // sqluMediaEntry220, 220 bytes
#define QX3_MEDIA_O 'O' // sqluMediaEntry520, 520 bytes; only the first entry is ever converted
#define QX3_MEDIA_Q 'Q' // sqluMediaPtrEntry, 8 bytes; the text lies elsewhere
#define QX3_MEDIA_S 'S' // sqluMediaEntry, 260 bytes

// ---- In-place lists ----------------------------------------------------------------------------

// Media entry of types 'S' and 'C' (260 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iLength  characters of the text
//      4  256 text     the text; text[iLength] is lent a NUL during a call
typedef struct sqluMediaEntry sqluMediaEntry;
struct sqluMediaEntry {
    uint32_t iLength;
    char text[256];
};

// Media entry of type 'L' (220 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iLength  characters of the text
//      4  216 text     the text; text[iLength] is lent a NUL during a call
typedef struct sqluMediaEntry220 sqluMediaEntry220;
struct sqluMediaEntry220 {
    uint32_t iLength;
    char text[216];
};

// Media entry of type 'O' (520 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iLength  characters of the text
//      4  516 text     the text; text[iLength] is lent a NUL during a call
typedef struct sqluMediaEntry520 sqluMediaEntry520;
struct sqluMediaEntry520 {
    uint32_t iLength;
    char text[516];
};

// Media entry of type 'Q' (8 bytes): the text is held by pointer.
//
// OFFSET SIZE DESCRIPTION
//      0    4 iLength  characters of the text
//      4    4 piText   the text (may be null); piText[iLength] is lent a NUL during a call
typedef struct sqluMediaPtrEntry sqluMediaPtrEntry;
struct sqluMediaPtrEntry {
    uint32_t iLength;
    char* piText;
};

// A media list (12 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    1 iMediaType   media type code (QX3_MEDIA_...)
//      1    3 (padding)    not read
//      4    4 iNumEntries  number of entries, signed: 0 or less means none
//      8    4 piEntries    first entry, of the form iMediaType gives
typedef struct sqluMediaList sqluMediaList;
struct sqluMediaList {
    uint8_t iMediaType;
    uint8_t reserved[3];
    int32_t iNumEntries;
    void* piEntries;
};

// A tablespace name (24 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iLength  characters of the name, at most 19
//      4   20 text     the name; text[iLength] is lent a NUL during a call
typedef struct sqluTablespaceEntry sqluTablespaceEntry;
struct sqluTablespaceEntry {
    uint32_t iLength;
    char text[20];
};

// A tablespace list (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 iNumEntries  number of entries, signed: 0 or less means none
//      4    4 piEntries    first entry
typedef struct sqluTablespaceList sqluTablespaceList;
struct sqluTablespaceList {
    int32_t iNumEntries;
    struct sqluTablespaceEntry* piEntries;
};

// ---- Generic lists -----------------------------------------------------------------------------

// A media entry of a generic media list (12 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piEntry    the text (may be null); piEntry[iEntryLen] is lent a NUL during a call
//      4    4 iEntryLen  its length
//      8    4 reserved   not read
typedef struct qx3gMediaEntry qx3gMediaEntry;
struct qx3gMediaEntry {
    char* piEntry;
    uint32_t iEntryLen;
    uint32_t reserved;
};

// A generic media list (12 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piEntries    array of iNumEntries entries
//      4    4 iNumEntries  number of entries (unsigned)
//      8    1 iMediaType   media type code, handed to the native list as it stands
//      9    3 (padding)    not read
typedef struct qx3gMediaList qx3gMediaList;
struct qx3gMediaList {
    struct qx3gMediaEntry* piEntries;
    uint32_t iNumEntries;
    uint8_t iMediaType;
    uint8_t reserved[3];
};

// A tablespace name of a generic tablespace list (12 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piName    the name (may be null); piName[iNameLen] is lent a NUL during a call
//      4    4 iNameLen  its length
//      8    4 reserved  not read
typedef struct qx3gTablespaceEntry qx3gTablespaceEntry;
struct qx3gTablespaceEntry {
    char* piName;
    uint32_t iNameLen;
    uint32_t reserved;
};

// A generic tablespace list (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piEntries    array of iNumEntries entries
//      4    4 iNumEntries  number of entries (unsigned)
typedef struct qx3gTablespaceList qx3gTablespaceList;
struct qx3gTablespaceList {
    struct qx3gTablespaceEntry* piEntries;
    uint32_t iNumEntries;
};

// ---- Native copies of the generic lists ------------------------------------------------------

// The media list the native call receives for a generic one (12 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piEntries    array of iNumEntries pointers to NUL-terminated copies (an entry the
//                          library could not read is null)
//      4    4 iNumEntries  number of entries
//      8    1 iMediaType   the generic list's media type
//      9    3 (zero)
typedef struct qx3MediaList qx3MediaList;
struct qx3MediaList {
    char** piEntries;
    uint32_t iNumEntries;
    uint8_t iMediaType;
    uint8_t reserved[3];
};

// The tablespace list the native call receives for a generic one (8 bytes).
//
// OFFSET SIZE DESCRIPTION
//      0    4 piEntries    array of iNumEntries pointers to NUL-terminated copies (or null)
//      4    4 iNumEntries  number of entries
typedef struct qx3TablespaceList qx3TablespaceList;
struct qx3TablespaceList {
    char** piEntries;
    uint32_t iNumEntries;
};

#ifdef __cplusplus
static_assert(sizeof(void*) == 4, "the list records have the 32-bit layout");
static_assert(sizeof(sqluMediaEntry) == 260 && __builtin_offsetof(sqluMediaEntry, text) == 4, "sqluMediaEntry");
static_assert(sizeof(sqluMediaEntry220) == 220 && __builtin_offsetof(sqluMediaEntry220, text) == 4, "sqluMediaEntry220");
static_assert(sizeof(sqluMediaEntry520) == 520 && __builtin_offsetof(sqluMediaEntry520, text) == 4, "sqluMediaEntry520");
static_assert(sizeof(sqluMediaPtrEntry) == 8 && __builtin_offsetof(sqluMediaPtrEntry, piText) == 4, "sqluMediaPtrEntry");
static_assert(sizeof(sqluMediaList) == 12, "sqluMediaList");
static_assert(__builtin_offsetof(sqluMediaList, iMediaType) == 0, "sqluMediaList.iMediaType");
static_assert(__builtin_offsetof(sqluMediaList, iNumEntries) == 4, "sqluMediaList.iNumEntries");
static_assert(__builtin_offsetof(sqluMediaList, piEntries) == 8, "sqluMediaList.piEntries");
static_assert(sizeof(sqluTablespaceEntry) == 24 && __builtin_offsetof(sqluTablespaceEntry, text) == 4, "sqluTablespaceEntry");
static_assert(sizeof(sqluTablespaceList) == 8, "sqluTablespaceList");
static_assert(__builtin_offsetof(sqluTablespaceList, iNumEntries) == 0, "sqluTablespaceList.iNumEntries");
static_assert(__builtin_offsetof(sqluTablespaceList, piEntries) == 4, "sqluTablespaceList.piEntries");
static_assert(sizeof(qx3gMediaEntry) == 12, "qx3gMediaEntry");
static_assert(__builtin_offsetof(qx3gMediaEntry, piEntry) == 0, "qx3gMediaEntry.piEntry");
static_assert(__builtin_offsetof(qx3gMediaEntry, iEntryLen) == 4, "qx3gMediaEntry.iEntryLen");
static_assert(sizeof(qx3gMediaList) == 12, "qx3gMediaList");
static_assert(__builtin_offsetof(qx3gMediaList, piEntries) == 0, "qx3gMediaList.piEntries");
static_assert(__builtin_offsetof(qx3gMediaList, iNumEntries) == 4, "qx3gMediaList.iNumEntries");
static_assert(__builtin_offsetof(qx3gMediaList, iMediaType) == 8, "qx3gMediaList.iMediaType");
static_assert(sizeof(qx3gTablespaceEntry) == 12, "qx3gTablespaceEntry");
static_assert(__builtin_offsetof(qx3gTablespaceEntry, piName) == 0, "qx3gTablespaceEntry.piName");
static_assert(__builtin_offsetof(qx3gTablespaceEntry, iNameLen) == 4, "qx3gTablespaceEntry.iNameLen");
static_assert(sizeof(qx3gTablespaceList) == 8, "qx3gTablespaceList");
static_assert(__builtin_offsetof(qx3gTablespaceList, piEntries) == 0, "qx3gTablespaceList.piEntries");
static_assert(__builtin_offsetof(qx3gTablespaceList, iNumEntries) == 4, "qx3gTablespaceList.iNumEntries");
static_assert(sizeof(qx3MediaList) == 12, "qx3MediaList");
static_assert(__builtin_offsetof(qx3MediaList, piEntries) == 0, "qx3MediaList.piEntries");
static_assert(__builtin_offsetof(qx3MediaList, iNumEntries) == 4, "qx3MediaList.iNumEntries");
static_assert(__builtin_offsetof(qx3MediaList, iMediaType) == 8, "qx3MediaList.iMediaType");
static_assert(sizeof(qx3TablespaceList) == 8, "qx3TablespaceList");
static_assert(__builtin_offsetof(qx3TablespaceList, piEntries) == 0, "qx3TablespaceList.piEntries");
static_assert(__builtin_offsetof(qx3TablespaceList, iNumEntries) == 4, "qx3TablespaceList.iNumEntries");
#endif

#endif
