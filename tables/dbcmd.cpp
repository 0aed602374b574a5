// Table commands of the current work area: navigation, fields, records and
// locks. Orders are in dborder.cpp, append-from in dbapp.cpp.
#include "tables/dbcmd.h"

#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/settings.h"
#include "tables/dberror.h"
#include "tables/workarea.h"

namespace tables {

namespace {

// The current table, or nullptr after raising "Workarea not in use".
AreaDriver* tableFor(std::string_view operation) {
    AreaDriver* t = currentTable();
    if (!t) raiseNoTable(operation);
    return t;
}

}  // namespace

// ---- Fields -----------------------------------------------------------------------

int FCOUNT() {
    AreaDriver* t = currentTable();
    return t ? static_cast<int>(t->fields().size()) : 0;
}

int FIELDPOS(std::string_view name) {
    AreaDriver* t = currentTable();
    if (!t) return 0;
    std::string wanted = runtime::RTRIM(name);
    const auto& fields = t->fields();
    for (size_t i = 0; i < fields.size(); ++i)
        if (runtime::sameName(fields[i].name, wanted)) return static_cast<int>(i) + 1;
    return 0;
}

std::string FIELDNAME(int nPos) {
    AreaDriver* t = currentTable();
    if (!t || nPos < 1 || nPos > static_cast<int>(t->fields().size())) return {};
    return t->fields()[nPos - 1].name;
}

runtime::Value FIELDGET(int nPos) {
    runtime::Frame frame("FIELDGET");
    frame.param("nPos", nPos);
    AreaDriver* t = currentTable();
    if (!t || nPos < 1 || nPos > static_cast<int>(t->fields().size())) return {};
    return t->getValue(nPos);
}

runtime::Value FIELDPUT(int nPos, const runtime::Value& value) {
    runtime::Frame frame("FIELDPUT");
    frame.param("nPos", nPos).param("xValue", value);
    AreaDriver* t = currentTable();
    if (!t || nPos < 1 || nPos > static_cast<int>(t->fields().size()) || t->eof()) return {};
    return t->putValue(nPos, value) ? value : runtime::Value();
}

runtime::Value DBSTRUCT() {
    runtime::Value list = runtime::Value::newArray();
    AreaDriver* t = currentTable();
    if (!t) return list;
    for (const FieldInfo& f : t->fields()) {
        list.array()->push_back(runtime::Value::newArray(
            runtime::Array{runtime::Value(f.name), runtime::Value(std::string(1, f.type)),
                           runtime::Value(f.length), runtime::Value(f.decimals)}));
    }
    return list;
}

// ---- Records ----------------------------------------------------------------------

void DBAPPEND(bool lReleaseLocks) {
    runtime::Frame frame("DBAPPEND");
    frame.param("lReleaseLocks", lReleaseLocks);
    AreaDriver* t = tableFor("DBAPPEND");
    if (!t) return;
    NETERR(false);
    if (!t->append(lReleaseLocks)) NETERR(true);
}

void DBDELETE() {
    runtime::Frame frame("DBDELETE");
    if (AreaDriver* t = tableFor("DBDELETE")) t->deleteRecord();
}

void DBRECALL() {
    runtime::Frame frame("DBRECALL");
    if (AreaDriver* t = tableFor("DBRECALL")) t->recall();
}

bool DELETED() {
    AreaDriver* t = currentTable();
    return t && t->deleted();
}

void DBCOMMIT() {
    runtime::Frame frame("DBCOMMIT");
    if (AreaDriver* t = tableFor("DBCOMMIT")) t->flush();
}

void DBCOMMITALL() {
    runtime::Frame frame("DBCOMMITALL");
    for (int i = 1; i <= kMaxAreas; ++i)
        if (AreaDriver* t = tableInArea(i)) t->flush();
}

void __DBZAP() {
    runtime::Frame frame("__DBZAP");
    if (AreaDriver* t = tableFor("__DBZAP")) t->zap();
}

void __DBPACK() {
    runtime::Frame frame("__DBPACK");
    if (AreaDriver* t = tableFor("__DBPACK")) t->pack();
}

// ---- Locks ------------------------------------------------------------------------

bool RLOCK() {
    runtime::Frame frame("RLOCK");
    AreaDriver* t = tableFor("RLOCK");
    return t && t->lock(LockMethod::Record, 0);
}

bool FLOCK() {
    runtime::Frame frame("FLOCK");
    AreaDriver* t = tableFor("FLOCK");
    return t && t->lock(LockMethod::Table, 0);
}

bool DBRLOCK(std::optional<uint32_t> nRecord) {
    runtime::Frame frame("DBRLOCK");
    frame.param("nRecord", nRecord);
    AreaDriver* t = tableFor("DBRLOCK");
    if (!t) return false;
    if (!nRecord) return t->lock(LockMethod::Record, 0);
    return t->lock(LockMethod::MultiRecord, *nRecord);
}

void DBUNLOCK() {
    if (AreaDriver* t = currentTable()) t->unlockAll();
}

void DBUNLOCKALL() {
    for (int i = 1; i <= kMaxAreas; ++i)
        if (AreaDriver* t = tableInArea(i)) t->unlockAll();
}

std::vector<uint32_t> DBRLOCKLIST() {
    AreaDriver* t = currentTable();
    return t ? t->lockList() : std::vector<uint32_t>();
}

}  // namespace tables
