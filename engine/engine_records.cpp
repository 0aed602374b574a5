// The public API's record, lock, index, settings and shutdown calls.
#include "engine/engine.h"
#include "engine/engine_state.h"
#include "engine/expr_value.h"

#include <cctype>

namespace engine {

Status append(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->append());
}

Status deleteRecord(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->setDeleted(true));
}

Status recall(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->setDeleted(false));
}

Status isDeleted(Handle h, bool* deleted) {
    TABLE_OR_FAIL(h, t);
    *deleted = t->record().deleted();
    return Status();
}

Status flush(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->flush());
}

Status zap(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->zap());
}

Status pack(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->pack());
}

Status lockRecord(Handle h, uint32_t recno) {
    TABLE_OR_FAIL(h, t);
    return report(t->lockRecord(recno));
}

Status unlockRecord(Handle h, uint32_t recno) {
    TABLE_OR_FAIL(h, t);
    Status r = t->unlockRecord(recno);
    if (r == kRecordNotLocked)
        return setError(r.code(),
                        t->path() + ": record " + std::to_string(recno) + " was not locked");
    return report(r);
}

Status lockedRecords(Handle h, uint32_t* out, uint16_t capacity, uint16_t* count) {
    TABLE_OR_FAIL(h, t);
    *count = 0;
    const auto& locks = t->lockedRecords();
    for (uint32_t recno : locks) {
        if (*count == capacity) break;
        out[(*count)++] = recno;
    }
    if (locks.size() > *count) return setError(kMoreLocks, t->path() + ": more locks to list");
    return Status();
}

Status lockTable(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->lockTable());
}

Status unlockTable(Handle h) {
    TABLE_OR_FAIL(h, t);
    Status r = t->unlockTable();
    if (r == kTableNotLocked) return setError(r.code(), t->path() + ": table was not locked");
    return report(r);
}

Status createIndex(Handle h, std::string_view bag, std::string_view tag, std::string_view keyExpr,
                   std::string_view forExpr, int options, const IndexProgress& progress,
                   int* order) {
    TABLE_OR_FAIL(h, t);
    *order = 0;
    return report(t->createIndex(bag, tag, keyExpr, forExpr, (options & kIndexUnique) != 0,
                                 (options & kIndexDescending) != 0, progress, order));
}

Status openIndex(Handle h, std::string_view bag) {
    TABLE_OR_FAIL(h, t);
    return report(t->openIndex(bag));
}

Status closeIndexes(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->closeIndexes());
}

Status orderCount(Handle h, int* count) {
    TABLE_OR_FAIL(h, t);
    *count = 0;
    if (Status r = t->refreshOrders(); !r.ok()) return report(r);
    *count = t->indexes().orderCount();
    return Status();
}

Status setOrder(Handle h, int order) {
    TABLE_OR_FAIL(h, t);
    return report(t->setOrder(order));
}

Status setOrderByName(Handle h, std::string_view tag) {
    TABLE_OR_FAIL(h, t);
    if (Status r = t->refreshOrders(); !r.ok()) return report(r);
    int order = t->indexes().findOrder(tag);
    if (order == 0) return setError(kNoOrder, t->path() + ": no order named " + std::string(tag));
    return report(t->setOrder(order));
}

Status currentOrder(Handle h, int* order) {
    TABLE_OR_FAIL(h, t);
    *order = t->indexes().currentOrder();
    return Status();
}

static Status orderInfo(Table* t, int order, OrderInfo* info) {
    if (Status r = t->refreshOrders(); !r.ok()) return report(r);
    Status r = t->indexes().orderInfo(order, info);
    if (!r.ok()) return setError(r.code(), t->path() + ": no order " + std::to_string(order));
    return Status();
}

Status orderName(Handle h, int order, std::string* tag) {
    TABLE_OR_FAIL(h, t);
    tag->clear();
    if (order == 0) return Status();
    OrderInfo info;
    if (Status r = orderInfo(t, order, &info); !r.ok()) return r;
    *tag = info.tag;
    return Status();
}

Status orderKey(Handle h, int order, std::string* keyExpr) {
    TABLE_OR_FAIL(h, t);
    keyExpr->clear();
    if (order == 0) return Status();
    OrderInfo info;
    if (Status r = orderInfo(t, order, &info); !r.ok()) return r;
    *keyExpr = info.keyExpr;
    return Status();
}

Status seek(Handle h, std::string_view key, int keyType, bool soft, bool last, bool* isFound) {
    TABLE_OR_FAIL(h, t);
    *isFound = false;
    if (keyType != kKeyText && keyType != kKeyDouble)
        return setError(kInvalidArgument, "seek: unknown key type");
    return report(t->seek(key, keyType, soft, last, isFound));
}

Status found(Handle h, bool* isFound) {
    TABLE_OR_FAIL(h, t);
    *isFound = t->found();
    return Status();
}

Status keyCount(Handle h, uint32_t* count) {
    TABLE_OR_FAIL(h, t);
    return report(t->keyCount(count));
}

namespace {
bool sameFormatIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
}  // namespace

Status setExact(bool on) {
    begin();
    tableSettings().exact = on;
    exprSettings().exact = on;
    return Status();
}

Status setDateFormat(std::string_view format) {
    begin();
    state().dateFormat = std::string(format);
    // The table driver switches to "YYYYMMDD" only for the moment of a date
    // read or write; keys built with DTOC() must keep the user's format, or a
    // key computed during a write would differ from the same key computed later.
    if (!sameFormatIgnoringCase(format, "YYYYMMDD"))
        exprSettings().dateFormat = std::string(format);
    return Status();
}

Status getDateFormat(std::string* format) {
    begin();
    *format = state().dateFormat;
    return Status();
}

Status setEpoch(int year) {
    begin();
    if (year < 0 || year > 9999) return setError(kInvalidArgument, "epoch out of range");
    state().epoch = year;
    exprSettings().epoch = year;
    return Status();
}

Status setDeleted(bool hideDeleted) {
    begin();
    tableSettings().hideDeleted = hideDeleted;
    return Status();
}

Status setPath(std::string_view searchPath) {
    begin();
    state().searchPath = std::string(searchPath);
    return Status();
}

Status setDefault(std::string_view folder) {
    begin();
    state().defaultFolder = std::string(folder);
    return Status();
}

const Status& lastError() {
    return state().last;
}

Status shutdown() {
    begin();
    Status first;
    for (auto& t : state().tables) {
        if (!t) continue;
        Status r = t->close();
        if (first.ok() && !r.ok()) first = report(r);
        t.reset();
    }
    state().tables.clear();
    return first;
}

}  // namespace engine
