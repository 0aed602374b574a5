// Navigation of the current work area: the driver moves, the area's filter
// hides records, and related areas follow every move.
#include "runtime/frames.h"
#include "runtime/settings.h"
#include "tables/dbcmd.h"
#include "tables/dberror.h"
#include "tables/workarea.h"

namespace tables {

namespace {

// Whether the current record passes the area's filter (no filter: true).
bool passesFilter(AreaDriver* t) {
    const AreaExtras& x = currentExtras();
    if (!x.filter || t->eof()) return true;
    runtime::Value v = x.filter.eval();
    return v.isLogical() && v.logical();
}

bool filtered() {
    return static_cast<bool>(currentExtras().filter);
}

void settleForward(AreaDriver* t) {
    while (!t->eof() && !passesFilter(t)) t->skip(1);
}

void goTopFiltered(AreaDriver* t) {
    t->goTop();
    settleForward(t);
}

// One step backwards under the filter; before the first visible record the
// area stands on it with the beginning-of-file mark.
bool stepBack(AreaDriver* t) {
    do {
        t->skip(-1);
    } while (!t->bof() && !passesFilter(t));
    if (t->bof()) {
        if (!passesFilter(t)) goTopFiltered(t);
        currentExtras().filteredBof = true;
        return false;
    }
    return true;
}

// The child areas follow the current area's record.
void syncRelations(AreaDriver* parent) {
    // Most areas have no relations: nothing to copy then.
    if (currentExtras().relations.empty()) return;
    std::vector<Relation> relations = currentExtras().relations;
    for (const Relation& r : relations) {
        AreaDriver* child = tableInArea(r.childArea);
        if (!child) continue;
        runtime::Value key = parent->eof() ? runtime::Value() : r.key.eval();
        AreaSwitch sw(r.childArea);
        if (parent->eof())
            DBGOTO(child->recCount() + 1);
        else if (child->currentOrder() > 0)
            DBSEEK(key, false);
        else
            DBGOTO(static_cast<uint32_t>(key.numOr(0)));
    }
}

AreaDriver* startMove() {
    AreaDriver* t = currentTable();
    if (t) currentExtras().filteredBof = false;
    return t;
}

}  // namespace

void DBGOTOP() {
    runtime::Frame frame("DBGOTOP");
    AreaDriver* t = startMove();
    if (!t) return;
    goTopFiltered(t);
    syncRelations(t);
}

void DBGOBOTTOM() {
    runtime::Frame frame("DBGOBOTTOM");
    AreaDriver* t = startMove();
    if (!t) return;
    t->goBottom();
    while (!t->bof() && !passesFilter(t)) t->skip(-1);
    if (!passesFilter(t)) t->goTo(t->recCount() + 1);
    syncRelations(t);
}

void DBGOTO(uint32_t nRecord) {
    runtime::Frame frame("DBGOTO");
    frame.param("nRecord", nRecord);
    AreaDriver* t = startMove();
    if (!t) return;
    t->goTo(nRecord);
    syncRelations(t);
}

void DBSKIP(int64_t nRecords) {
    runtime::Frame frame("DBSKIP");
    frame.param("nRecords", nRecords);
    AreaDriver* t = startMove();
    if (!t) return;
    if (!filtered()) {
        t->skip(nRecords);
    } else if (nRecords == 0) {
        t->skip(0);
    } else {
        for (int64_t i = 0; i < nRecords && !t->eof(); ++i) {
            t->skip(1);
            settleForward(t);
        }
        for (int64_t i = 0; i > nRecords; --i)
            if (!stepBack(t)) break;
    }
    syncRelations(t);
}

long visitRecords(long limit, const RowVisit& visit) {
    AreaDriver* t = currentTable();
    if (!t || filtered() || !currentExtras().relations.empty()) return -1;
    long n = t->visitRecords(limit, visit);
    if (n >= 0) currentExtras().filteredBof = false;
    return n;
}

bool EOF_() {
    AreaDriver* t = currentTable();
    return !t || t->eof();
}

bool BOF() {
    AreaDriver* t = currentTable();
    return !t || t->bof() || currentExtras().filteredBof;
}

bool FOUND() {
    AreaDriver* t = currentTable();
    return t && t->found();
}

uint32_t RECNO() {
    AreaDriver* t = currentTable();
    return t ? t->recNo() : 0;
}

uint32_t RECCOUNT() {
    AreaDriver* t = currentTable();
    return t ? t->recCount() : 0;
}

uint32_t LASTREC() {
    return RECCOUNT();
}

bool DBSEEK(const runtime::Value& key, std::optional<bool> lSoftSeek, std::optional<bool> lLast) {
    runtime::Frame frame("DBSEEK");
    frame.param("xKey", key).param("lSoftSeek", lSoftSeek).param("lLast", lLast);
    AreaDriver* t = startMove();
    if (!t) {
        raiseNoTable("DBSEEK");
        return false;
    }
    bool found = t->seek(key, lSoftSeek.value_or(runtime::isSoftSeek()), lLast.value_or(false));
    if (!passesFilter(t)) {
        settleForward(t);
        found = false;
    }
    syncRelations(t);
    return found;
}

}  // namespace tables
