// Filters and relations of the current work area, and the information
// functions about fields, orders and records.
#include "runtime/codepage.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/dberror.h"
#include "tables/maintenance.h"
#include "tables/workarea.h"

namespace tables {

void DBSETFILTER(const runtime::Block& bCondition, std::string_view cCondition) {
    runtime::Frame frame("DBSETFILTER");
    frame.param("bCondition", bCondition).param("cCondition", cCondition);
    if (!currentTable()) {
        raiseNoTable("DBSETFILTER");
        return;
    }
    currentExtras().filter = bCondition;
    currentExtras().filterText = std::string(cCondition);
}

void DBCLEARFILTER() {
    if (!currentTable()) return;
    currentExtras().filter = runtime::Block();
    currentExtras().filterText.clear();
}

std::string DBFILTER() {
    return currentTable() ? currentExtras().filterText : std::string();
}

void DBSETRELATION(const runtime::Value& child, const runtime::Block& bKey, std::string_view cKey) {
    runtime::Frame frame("DBSETRELATION");
    frame.param("xChild", child).param("bKey", bKey).param("cKey", cKey);
    if (!currentTable()) {
        raiseNoTable("DBSETRELATION");
        return;
    }
    int area = child.isNumber() ? static_cast<int>(child.num())
                                : (child.isText() ? areaOfAlias(child.text()) : 0);
    if (!tableInArea(area)) return;
    currentExtras().relations.push_back({area, bKey, std::string(cKey)});
}

void DBCLEARRELATION() {
    if (currentTable()) currentExtras().relations.clear();
}

std::string DBRELATION(int nRelation) {
    const auto& rel = currentExtras().relations;
    if (!currentTable() || nRelation < 1 || nRelation > static_cast<int>(rel.size())) return {};
    return rel[nRelation - 1].keyText;
}

int DBRSELECT(int nRelation) {
    const auto& rel = currentExtras().relations;
    if (!currentTable() || nRelation < 1 || nRelation > static_cast<int>(rel.size())) return 0;
    return rel[nRelation - 1].childArea;
}

runtime::Value DBFIELDINFO(int nInfo, int nField) {
    runtime::Frame frame("DBFIELDINFO");
    frame.param("nInfo", nInfo).param("nField", nField);
    AreaDriver* t = currentTable();
    if (!t) {
        raiseNoTable("DBFIELDINFO");
        return {};
    }
    if (nField < 1 || nField > static_cast<int>(t->fields().size())) return {};
    const FieldInfo& f = t->fields()[nField - 1];
    switch (nInfo) {
        case 1:
            return runtime::Value(f.name);
        case 2:
            return runtime::Value(std::string(1, f.type));
        case 3:
            return runtime::Value(f.length);
        case 4:
            return runtime::Value(f.decimals);
        default:
            return {};
    }
}

runtime::Value DBORDERINFO(int nInfo, const runtime::Value&, const runtime::Value& xOrder) {
    runtime::Frame frame("DBORDERINFO");
    frame.param("nInfo", nInfo).param("xOrder", xOrder);
    AreaDriver* t = currentTable();
    if (!t) {
        raiseNoTable("DBORDERINFO");
        return {};
    }
    int order = t->currentOrder();
    if (xOrder.isNumber()) order = static_cast<int>(xOrder.num());
    if (xOrder.isText())
        for (int i = 1, n = t->orderCount(); i <= n; ++i)
            if (runtime::sameName(t->orderName(i), runtime::ALLTRIM(xOrder.text()))) order = i;
    switch (nInfo) {
        case 1:
            return runtime::Value("");
        case 2:
            return runtime::Value(t->orderKey(order));
        case 3:
        case 4:
            return runtime::Value(t->recNo());
        case 5:
            return runtime::Value(t->orderName(order));
        case 6:
            return runtime::Value(order);
        case 7:
            return runtime::Value(fileBaseName(t->fileName()));
        case 8:
            return runtime::Value(indexExt());
        case 9:
            return runtime::Value(t->orderCount());
        case 26:
            return runtime::Value(t->keyCount(order));
        default:
            return {};
    }
}

runtime::Value DBRECORDINFO(int nInfo, const runtime::Value& nRecord) {
    runtime::Frame frame("DBRECORDINFO");
    frame.param("nInfo", nInfo).param("nRecord", nRecord);
    AreaDriver* t = currentTable();
    if (!t) {
        raiseNoTable("DBRECORDINFO");
        return {};
    }
    uint32_t here = t->recNo();
    uint32_t wanted = nRecord.isNumber() ? static_cast<uint32_t>(nRecord.num()) : here;
    if (nInfo == 4) return runtime::Value(wanted);
    if (nInfo == 3) {
        int size = 1;
        for (const FieldInfo& f : t->fields()) size += f.length;
        return runtime::Value(size);
    }
    if (nInfo != 1 && nInfo != 2) return {};
    if (wanted != here) t->goTo(wanted);
    runtime::Value answer;
    if (nInfo == 1) {
        answer = runtime::Value(t->deleted());
    } else {
        bool locked = !t->shared();
        for (uint32_t r : t->lockList()) locked = locked || r == wanted;
        answer = runtime::Value(locked);
    }
    if (wanted != here) t->goTo(here);
    return answer;
}

}  // namespace tables
