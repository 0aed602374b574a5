// The public API's record, lock, index, settings and shutdown calls.
#include "engine/engine.h"
#include "engine/engine_state.h"
#include "engine/expr_value.h"

#include <cctype>

namespace engine {

Result append(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->append(), t);
}

Result deleteRecord(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->setDeleted(true), t);
}

Result recall(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->setDeleted(false), t);
}

Result isDeleted(Handle h, bool* deleted) {
    TABLE_OR_FAIL(h, t);
    *deleted = t->record().deleted();
    return kOk;
}

Result flush(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->flush(), t);
}

Result zap(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->zap(), t);
}

Result pack(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->pack(), t);
}

Result lockRecord(Handle h, uint32_t recno) {
    TABLE_OR_FAIL(h, t);
    return report(t->lockRecord(recno), t);
}

Result unlockRecord(Handle h, uint32_t recno) {
    TABLE_OR_FAIL(h, t);
    Result r = t->unlockRecord(recno);
    if (r == kRecordNotLocked)
        return setError(r, t->path() + ": record " + std::to_string(recno) + " was not locked");
    return report(r, t);
}

Result lockedRecords(Handle h, uint32_t* out, uint16_t capacity, uint16_t* count) {
    TABLE_OR_FAIL(h, t);
    *count = 0;
    const auto& locks = t->lockedRecords();
    for (uint32_t recno : locks) {
        if (*count == capacity) break;
        out[(*count)++] = recno;
    }
    if (locks.size() > *count) return setError(kMoreLocks, t->path() + ": more locks to list");
    return kOk;
}

Result lockTable(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->lockTable(), t);
}

Result unlockTable(Handle h) {
    TABLE_OR_FAIL(h, t);
    Result r = t->unlockTable();
    if (r == kTableNotLocked) return setError(r, t->path() + ": table was not locked");
    return report(r, t);
}

Result isTableLocked(Handle h, bool* locked) {
    TABLE_OR_FAIL(h, t);
    *locked = t->tableLocked();
    return kOk;
}

Result createIndex(Handle h, std::string_view bag, std::string_view tag, std::string_view keyExpr,
                   std::string_view forExpr, int options, const IndexProgress& progress,
                   int* order) {
    TABLE_OR_FAIL(h, t);
    *order = 0;
    return report(t->createIndex(bag, tag, keyExpr, forExpr, (options & kIndexUnique) != 0,
                                 (options & kIndexDescending) != 0, progress, order),
                  t);
}

Result openIndex(Handle h, std::string_view bag) {
    TABLE_OR_FAIL(h, t);
    return report(t->openIndex(bag), t);
}

Result closeIndexes(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->closeIndexes(), t);
}

Result orderCount(Handle h, int* count) {
    TABLE_OR_FAIL(h, t);
    *count = 0;
    if (Result r = t->refreshOrders()) return report(r, t);
    *count = t->indexes().orderCount();
    return kOk;
}

Result setOrder(Handle h, int order) {
    TABLE_OR_FAIL(h, t);
    return report(t->setOrder(order), t);
}

Result setOrderByName(Handle h, std::string_view tag) {
    TABLE_OR_FAIL(h, t);
    if (Result r = t->refreshOrders()) return report(r, t);
    int order = t->indexes().findOrder(tag);
    if (order == 0) return setError(kNoOrder, t->path() + ": no order named " + std::string(tag));
    return report(t->setOrder(order), t);
}

Result currentOrder(Handle h, int* order) {
    TABLE_OR_FAIL(h, t);
    *order = t->indexes().currentOrder();
    return kOk;
}

static Result orderInfo(Table* t, int order, OrderInfo* info) {
    if (Result r = t->refreshOrders()) return report(r, t);
    Result r = t->indexes().orderInfo(order, info);
    if (r != kOk) return setError(r, t->path() + ": no order " + std::to_string(order));
    return kOk;
}

Result orderName(Handle h, int order, std::string* tag) {
    TABLE_OR_FAIL(h, t);
    tag->clear();
    if (order == 0) return kOk;
    OrderInfo info;
    if (Result r = orderInfo(t, order, &info)) return r;
    *tag = info.tag;
    return kOk;
}

Result orderKey(Handle h, int order, std::string* keyExpr) {
    TABLE_OR_FAIL(h, t);
    keyExpr->clear();
    if (order == 0) return kOk;
    OrderInfo info;
    if (Result r = orderInfo(t, order, &info)) return r;
    *keyExpr = info.keyExpr;
    return kOk;
}

Result seek(Handle h, std::string_view key, int keyType, bool soft, bool last, bool* isFound) {
    TABLE_OR_FAIL(h, t);
    *isFound = false;
    if (keyType != kKeyText && keyType != kKeyDouble)
        return setError(kInvalidArgument, "seek: unknown key type");
    return report(t->seek(key, keyType, soft, last, isFound), t);
}

Result found(Handle h, bool* isFound) {
    TABLE_OR_FAIL(h, t);
    *isFound = t->found();
    return kOk;
}

Result keyCount(Handle h, uint32_t* count) {
    TABLE_OR_FAIL(h, t);
    return report(t->keyCount(count), t);
}

namespace {
bool sameFormatIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
}  // namespace

Result setExact(bool on) {
    begin();
    tableSettings().exact = on;
    exprSettings().exact = on;
    return kOk;
}

Result setDateFormat(std::string_view format) {
    begin();
    state().dateFormat = std::string(format);
    // The table driver switches to "YYYYMMDD" only for the moment of a date
    // read or write; keys built with DTOC() must keep the user's format, or a
    // key computed during a write would differ from the same key computed later.
    if (!sameFormatIgnoringCase(format, "YYYYMMDD")) exprSettings().dateFormat = std::string(format);
    return kOk;
}

Result getDateFormat(std::string* format) {
    begin();
    *format = state().dateFormat;
    return kOk;
}

Result setEpoch(int year) {
    begin();
    if (year < 0 || year > 9999) return setError(kInvalidArgument, "epoch out of range");
    state().epoch = year;
    exprSettings().epoch = year;
    return kOk;
}

Result setDeleted(bool hideDeleted) {
    begin();
    tableSettings().hideDeleted = hideDeleted;
    return kOk;
}

Result setPath(std::string_view searchPath) {
    begin();
    state().searchPath = std::string(searchPath);
    return kOk;
}

Result setDefault(std::string_view folder) {
    begin();
    state().defaultFolder = std::string(folder);
    return kOk;
}

Result lastError(Result* code, std::string* text) {
    *code = state().lastCode;
    *text = *code == kOk ? std::string() : state().lastText;
    return kOk;
}

Result shutdown() {
    begin();
    Result first = kOk;
    for (auto& t : state().tables) {
        if (!t) continue;
        Result r = t->close();
        if (first == kOk && r != kOk) first = report(r, t.get());
        t.reset();
    }
    state().tables.clear();
    return first;
}

}  // namespace engine
