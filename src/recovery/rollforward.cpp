// Rollforward: the legacy sqlgroll and the versioned qx3gRollforward. Both build the same native
// records, lend seven strings and the tablespace list's names their NULs, make one native call and
// blank-pad the 33-byte text it returns. A parameter that cannot be read ends the call with -83,
// its name in the status record and a record in the diagnostic log.
#include <string.h>

#include "frame/frame.h"
#include "frame/lists.h"
#include "frame/params.h"
#include "native/recovery.h"

extern "C" int QX3_SERVICE sprintf(char* out, const char* format, ...);

using namespace qx3;

namespace {

constexpr const char kTag[] = "sqlgroll";
constexpr DiagName kName = diag("sqlgroll");

constexpr uint32_t kLogLevel = 1;
constexpr uint32_t kLogId = 0x1883018E;
constexpr uint32_t kLogText = 0x18000004;
constexpr uint32_t kLogInt = 4;
constexpr uint32_t kProbeParam = 250;
constexpr uint32_t kProbeStatus = 260;
constexpr char kStatusMessage[] = "Error on call to sqloincaChkPtr.";

constexpr uint32_t kTextWidth = 33;

// The seven strings, in the order they are lent their NULs.
enum Str : uint32_t { DbAlias, UserName, Password, StopTime, OverflowLogPath, DroppedTblID, ExportDir, kStrings };
constexpr const char* kStrName[kStrings] = {"piDbAlias",         "piUserName",     "piPassword", "piStopTime",
                                            "piOverflowLogPath", "piDroppedTblID", "piExportDir"};
constexpr char kListName[] = "piTablespaceList";

// One call's conversions, undone by restore() on every path.
class Conversion {
public:
    explicit Conversion(sqlca* ca) : ca_(ca) {}

    // The string unit. false: the string cannot be read at its length, and the call has ended.
    bool string(Str which, char* p, uint32_t n) {
        term_[which].p = p;
        // The alias is looked at even when it is absent.
        if ((p != nullptr || which == DbAlias) && !accessible(p, n, kRead)) return fail(kStrName[which]);
        if (p == nullptr) return true;
        status_ = check_status(p, n + 1, kReadWrite);
        // A length of 0xFFFFFFFF has no byte behind it: the string goes on as it stands.
        if (status_ != 0 || n == 0xFFFFFFFFu) return true;
        term_[which].slot.saved = static_cast<uint8_t>(p[n]);
        term_[which].slot.pos = static_cast<int32_t>(n);
        p[n] = '\0';
        return true;
    }

    // The tablespace list. false: no slot array could be had, and the call has ended.
    bool tablespaces(sqluTablespaceList* list) {
        if (list == nullptr || check_status(list, sizeof *list, kReadWrite) != 0) return true;
        const int32_t count = list->iNumEntries;
        const uint32_t n = static_cast<uint32_t>(count);
        if (check_status(list->piEntries, n * sizeof(sqluTablespaceEntry), kReadWrite) != 0) return true;
        if (take_entry_slots(kTag, n, &slots_, 369) != 0) return fail(kListName);
        list_ = list;
        status_ = 0;
        count_ = count > 0 ? n : 0;
        for (uint32_t i = 0; i < count_; ++i) entry_unit(slots_[i], list->piEntries[i].text, list->piEntries[i].iLength, status_);
        return true;
    }

    // The outcome of the last length-plus-one check made: nonzero keeps the native from being called.
    int32_t status() const { return status_; }
    int32_t result() const { return result_; }

    // Newest first, so that strings and names sharing a byte give the caller's back: the names of
    // the list, then the strings.
    void restore() {
        if (slots_ != nullptr) {
            for (uint32_t i = count_; i-- > 0;) entry_restore(slots_[i], list_->piEntries[i].text);
            block_free(kTag, slots_);
            slots_ = nullptr;
        }
        for (uint32_t k = kStrings; k-- > 0;) term_[k].restore();
    }

private:
    // The parameter error exit: everything given back, the name reported, the event logged.
    bool fail(const char* name) {
        restore();
        name_.set(name);
        int32_t refused = sqloincaChkptr(ca_);
        if (refused == 0) {
            set_status(ca_, kNoMemory, kName);
            append_param_name(ca_, name_, Grow::Written);
            char message[64];
            const int length = sprintf(message, "Memory error for parameter %s.", name_.c);
            pdLog(kLogLevel, kLogId, 0, kProbeParam, 2, 1, kLogText, static_cast<uint32_t>(length), message);
        } else {
            pdLog(kLogLevel, kLogId, 0, kProbeStatus, 2, 2, kLogText, static_cast<uint32_t>(sizeof kStatusMessage - 1),
                  kStatusMessage, kLogInt, static_cast<uint32_t>(sizeof refused), &refused);
        }
        result_ = kNoMemory;
        return false;
    }

    sqlca* ca_;
    Term term_[kStrings];
    SlotRecord* slots_ = nullptr;
    sqluTablespaceList* list_ = nullptr;
    uint32_t count_ = 0;
    int32_t status_ = 0;
    int32_t result_ = 0;
    ParamName name_;
};

// Everything after the conversions: the call (unless the last check failed), the bytes given back,
// the returned text padded. `native_out` is filled from the caller's three words.
int32_t finish(Conversion& conv, uint32_t version, qx3RollforwardIn& in, qx3RollforwardOut& out, sqlca* ca,
               qx3RollforwardOut* copy_word_to) {
    qx3RollforwardStruct parm{&in, &out};
    int32_t rc = conv.status();
    if (rc == 0) {
        rc = qx3Rollforward(version, &parm, ca);
        if (copy_word_to != nullptr && version >= QX3_ROLLFORWARD_OUTPUT_WORD) copy_word_to->oWord = out.oWord;
    }
    conv.restore();
    pad_field(out.poText, kTextWidth);
    return rc;
}

}  // namespace

QX3_ENTRY(sqlgroll, SQLGROLL, (sqlgRollforwardIn* pIn, sqlgRollforwardOut* pOut, sqlca* pSqlca)) {
    // A missing record is reported as the versioned call reports a missing parameter record.
    if (pIn == nullptr) return app_data_failed(pSqlca);
    if (!app_data_ready()) return app_data_failed(pSqlca);

    Conversion conv(pSqlca);
    // Neither string has a length here: both are lent their NUL at their first byte.
    if (!conv.string(DbAlias, pIn->piDbAlias, pIn->iDbAliasLen) ||
        !conv.string(UserName, pIn->piUserName, pIn->iUserNameLen) ||
        !conv.string(Password, pIn->piPassword, pIn->iPasswordLen) ||
        !conv.string(StopTime, pIn->piStopTime, pIn->iStopTimeLen) ||
        !conv.string(OverflowLogPath, pIn->piOverflowLogPath, pIn->iOverflowLogPathLen) ||
        !conv.string(DroppedTblID, pIn->piDroppedTblID, 0) || !conv.string(ExportDir, pIn->piExportDir, 0) ||
        !conv.tablespaces(pIn->piTablespaceList))
        return conv.result();

    qx3RollforwardIn in;
    in.iValue1 = pIn->iValue1;
    in.piDbAlias = pIn->piDbAlias;
    in.iValue2 = pIn->iValue2;
    in.piStopTime = pIn->piStopTime;
    in.piUserName = pIn->piUserName;
    in.piPassword = pIn->piPassword;
    in.piOverflowLogPath = pIn->piOverflowLogPath;
    in.iValue3 = pIn->iValue3;
    in.iValue4 = pIn->iValue4;
    in.iValue5 = pIn->iValue5;
    in.piTablespaceList = pIn->piTablespaceList;
    in.iValue6 = static_cast<uint32_t>(static_cast<int32_t>(pIn->iValue6));
    in.iValue7 = static_cast<uint32_t>(static_cast<int32_t>(pIn->iValue7));
    in.iValue8 = pIn->iValue8;
    in.iValue9 = static_cast<uint32_t>(static_cast<int32_t>(pIn->iValue9));
    in.piDroppedTblID = pIn->piDroppedTblID;
    in.piExportDir = pIn->piExportDir;
    in.iValue10 = 0;

    qx3RollforwardOut out{};
    if (pOut != nullptr) {
        out.poText = pOut->poText;
        out.iWord1 = pOut->iWord1;
        out.iWord2 = pOut->iWord2;
    }
    return finish(conv, QX3_ROLLFORWARD_LEGACY_VERSION, in, out, pSqlca, nullptr);
}

QX3_ENTRY(qx3gRollforward, QX3GROLLFORWARD, (uint32_t version, qx3gRollforwardStruct* pParm, sqlca* pSqlca)) {
    if (pParm == nullptr || pParm->pIn == nullptr) return app_data_failed(pSqlca);
    if (!app_data_ready()) return app_data_failed(pSqlca);

    qx3gRollforwardIn* const g = pParm->pIn;
    qx3RollforwardOut* const caller_out = pParm->pOut;
    Conversion conv(pSqlca);
    if (!conv.string(DbAlias, g->native.piDbAlias, g->iDbAliasLen) ||
        !conv.string(UserName, g->native.piUserName, g->iUserNameLen) ||
        !conv.string(Password, g->native.piPassword, g->iPasswordLen) ||
        !conv.string(StopTime, g->native.piStopTime, g->iStopTimeLen) ||
        !conv.string(OverflowLogPath, g->native.piOverflowLogPath, g->iOverflowLogPathLen) ||
        !conv.string(DroppedTblID, g->native.piDroppedTblID, g->iDroppedTblIDLen) ||
        !conv.string(ExportDir, g->native.piExportDir, g->iExportDirLen) ||
        !conv.tablespaces(g->native.piTablespaceList))
        return conv.result();

    qx3RollforwardIn in;
    memcpy(&in, &g->native, sizeof in);
    qx3RollforwardOut out{};
    if (caller_out != nullptr) {
        out.poText = caller_out->poText;
        out.iWord1 = caller_out->iWord1;
        out.iWord2 = caller_out->iWord2;
    }
    return finish(conv, version, in, out, pSqlca, caller_out);
}
