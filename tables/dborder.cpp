// Index order commands of the current work area: choosing the controlling
// order, opening and closing index bags, and creating orders.
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/frames.h"
#include "runtime/settings.h"
#include "runtime/strings.h"
#include "tables/dbcmd.h"
#include "tables/dberror.h"
#include "tables/workarea.h"

namespace tables {

namespace {

// Makes the order given by number, by tag name or by a text holding a
// non-zero number controlling. Unknown orders keep the previous one.
void setOrderFrom(AreaDriver* t, const runtime::Value& order) {
    if (order.isNumber()) {
        t->setOrder(static_cast<int>(order.num()));
    } else if (order.isText()) {
        std::string text = runtime::ALLTRIM(order.text());
        double n = runtime::VAL(text).value;
        if (n != 0)
            t->setOrder(static_cast<int>(n));
        else if (!text.empty())
            t->setOrder(std::string_view(text));
    }
}

}  // namespace

void DBSETORDER(const runtime::Value& order) {
    runtime::Frame frame("DBSETORDER");
    frame.param("xOrder", order);
    if (AreaDriver* t = currentTable()) setOrderFrom(t, order);
}

std::string ORDSETFOCUS(const runtime::Value& order) {
    runtime::Frame frame("ORDSETFOCUS");
    frame.param("xOrder", order);
    AreaDriver* t = currentTable();
    if (!t) return {};
    std::string previous = t->orderName(t->currentOrder());
    if (!order.isNil()) setOrderFrom(t, order);
    return previous;
}

int INDEXORD() {
    AreaDriver* t = currentTable();
    return t ? t->currentOrder() : 0;
}

std::string INDEXKEY(int nOrder) {
    AreaDriver* t = currentTable();
    if (!t) return {};
    return t->orderKey(nOrder == 0 ? t->currentOrder() : nOrder);
}

std::string ORDNAME(int nOrder) {
    AreaDriver* t = currentTable();
    if (!t) return {};
    return t->orderName(nOrder == 0 ? t->currentOrder() : nOrder);
}

int ORDCOUNT() {
    AreaDriver* t = currentTable();
    return t ? t->orderCount() : 0;
}

uint32_t ORDKEYCOUNT() {
    AreaDriver* t = currentTable();
    return t ? t->keyCount(0) : 0;
}

void ORDLISTADD(std::string_view cBag) {
    runtime::Frame frame("ORDLISTADD");
    frame.param("cBag", cBag);
    if (AreaDriver* t = currentTable())
        t->orderListAdd(cBag);
    else
        raiseNoTable("ORDLISTADD");
}

void ORDLISTCLEAR() {
    runtime::Frame frame("ORDLISTCLEAR");
    if (AreaDriver* t = currentTable()) t->orderListClear();
}

void ORDLISTREBUILD() {
    runtime::Frame frame("ORDLISTREBUILD");
    if (AreaDriver* t = currentTable())
        t->orderListRebuild();
    else
        raiseNoTable("ORDLISTREBUILD");
}

void DBSETINDEX(std::string_view cBag) {
    ORDLISTADD(cBag);
}
void DBCLEARINDEX() {
    ORDLISTCLEAR();
}
void DBREINDEX() {
    ORDLISTREBUILD();
}

void ORDCONDSET(std::optional<std::string_view> cFor, const runtime::Block& bFor, bool lAll,
                const runtime::Block& bWhile, const runtime::Block& bEval, int nInterval,
                uint32_t nStart, int nNext, uint32_t nRecord, bool lRest, bool lDescend) {
    if (!currentTable()) return;
    OrderCondition& c = pendingOrderCondition();
    c.forText = cFor ? std::string(*cFor) : std::string();
    c.forBlock = bFor;
    c.all = lAll;
    c.whileBlock = bWhile;
    c.evalBlock = bEval;
    c.evalInterval = nInterval;
    c.startRecord = nStart;
    c.nextCount = nNext;
    c.recordNumber = nRecord;
    c.rest = lRest;
    c.descending = lDescend;
}

void ORDCREATE(std::string_view cBag, std::string_view cTag, std::string_view cKey,
               const runtime::Block&, std::optional<bool> lUnique) {
    runtime::Frame frame("ORDCREATE");
    frame.param("cBag", cBag).param("cTag", cTag).param("cKey", cKey).param("lUnique", lUnique);
    AreaDriver* t = currentTable();
    if (!t) {
        raiseNoTable("ORDCREATE");
        return;
    }
    std::string bag = runtime::ALLTRIM(cBag), tag = runtime::ALLTRIM(cTag);
    std::string key = runtime::ALLTRIM(cKey);
    if ((bag.empty() && tag.empty()) || key.empty()) {
        raiseCommandError(runtime::gen::kArg, 1006, "ORDCREATE");
        return;
    }
    OrderCondition cond = pendingOrderCondition();
    pendingOrderCondition() = OrderCondition{};
    t->orderCreate(bag, tag, key, lUnique.value_or(runtime::isUnique()), cond);
}

void DBCREATEINDEX(std::string_view cFile, std::string_view cKey, const runtime::Block& bKey,
                   std::optional<bool> lUnique, std::string_view cTag) {
    ORDCREATE(cFile, cTag, cKey, bKey, lUnique);
}

}  // namespace tables
