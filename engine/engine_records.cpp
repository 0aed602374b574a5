// The handle API's record, lock, index, last-error and shutdown calls.
#include "engine/engine.h"
#include "engine/engine_state.h"
#include "engine/table_access.h"

namespace engine {

Status append(Handle h) {
    return onTable(h, [&](Table& t) { return t.append(); });
}

Status deleteRecord(Handle h) {
    return onTable(h, [&](Table& t) { return t.setDeleted(true); });
}

Status recall(Handle h) {
    return onTable(h, [&](Table& t) { return t.setDeleted(false); });
}

Status isDeleted(Handle h, bool* deleted) {
    TABLE_OR_FAIL(h, t);
    *deleted = t->record().deleted();
    return Status();
}

Status flush(Handle h) {
    return onTable(h, [&](Table& t) { return t.flush(); });
}

Status zap(Handle h) {
    return onTable(h, [&](Table& t) { return t.zap(); });
}

Status pack(Handle h) {
    return onTable(h, [&](Table& t) { return t.pack(); });
}

Status lockRecord(Handle h, uint32_t recno) {
    return onTable(h, [&](Table& t) { return t.lockRecord(recno); });
}

Status unlockRecord(Handle h, uint32_t recno) {
    return onTable(h, [&](Table& t) { return engine::unlockRecord(t, recno); });
}

Status lockedRecords(Handle h, uint32_t* out, uint16_t capacity, uint16_t* count) {
    return onTable(h, [&](Table& t) { return engine::lockedRecords(t, out, capacity, count); });
}

Status lockTable(Handle h) {
    return onTable(h, [&](Table& t) { return t.lockTable(); });
}

Status unlockTable(Handle h) {
    return onTable(h, [&](Table& t) { return engine::unlockTable(t); });
}

Status createIndex(Handle h, std::string_view bag, std::string_view tag, std::string_view keyExpr,
                   std::string_view forExpr, int options, const IndexProgress& progress,
                   int* order) {
    return onTable(h, [&](Table& t) {
        return engine::createIndex(t, bag, tag, keyExpr, forExpr, options, progress, order);
    });
}

Status closeIndexes(Handle h) {
    return onTable(h, [&](Table& t) { return t.closeIndexes(); });
}

Status orderCount(Handle h, int* count) {
    return onTable(h, [&](Table& t) { return engine::orderCount(t, count); });
}

Status setOrder(Handle h, int order) {
    return onTable(h, [&](Table& t) { return t.setOrder(order); });
}

Status setOrderByName(Handle h, std::string_view tag) {
    return onTable(h, [&](Table& t) { return engine::setOrderByName(t, tag); });
}

Status currentOrder(Handle h, int* order) {
    TABLE_OR_FAIL(h, t);
    *order = t->indexes().currentOrder();
    return Status();
}

Status orderName(Handle h, int order, std::string* tag) {
    return onTable(h, [&](Table& t) { return engine::orderName(t, order, tag); });
}

Status orderKey(Handle h, int order, std::string* keyExpr) {
    return onTable(h, [&](Table& t) { return engine::orderKey(t, order, keyExpr); });
}

Status seek(Handle h, std::string_view key, int keyType, bool soft, bool last, bool* isFound) {
    return onTable(h, [&](Table& t) { return engine::seek(t, key, keyType, soft, last, isFound); });
}

Status keyCount(Handle h, uint32_t* count) {
    return onTable(h, [&](Table& t) { return t.keyCount(count); });
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
