// The handle API's record, lock, index, last-error and shutdown calls.
#include "engine/engine.h"
#include "engine/engine_state.h"
#include "engine/table_access.h"

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
    return report(engine::unlockRecord(*t, recno));
}

Status lockedRecords(Handle h, uint32_t* out, uint16_t capacity, uint16_t* count) {
    TABLE_OR_FAIL(h, t);
    return report(engine::lockedRecords(*t, out, capacity, count));
}

Status lockTable(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->lockTable());
}

Status unlockTable(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(engine::unlockTable(*t));
}

Status createIndex(Handle h, std::string_view bag, std::string_view tag, std::string_view keyExpr,
                   std::string_view forExpr, int options, const IndexProgress& progress,
                   int* order) {
    TABLE_OR_FAIL(h, t);
    return report(engine::createIndex(*t, bag, tag, keyExpr, forExpr, options, progress, order));
}

Status closeIndexes(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->closeIndexes());
}

Status orderCount(Handle h, int* count) {
    TABLE_OR_FAIL(h, t);
    return report(engine::orderCount(*t, count));
}

Status setOrder(Handle h, int order) {
    TABLE_OR_FAIL(h, t);
    return report(t->setOrder(order));
}

Status setOrderByName(Handle h, std::string_view tag) {
    TABLE_OR_FAIL(h, t);
    return report(engine::setOrderByName(*t, tag));
}

Status currentOrder(Handle h, int* order) {
    TABLE_OR_FAIL(h, t);
    *order = t->indexes().currentOrder();
    return Status();
}

Status orderName(Handle h, int order, std::string* tag) {
    TABLE_OR_FAIL(h, t);
    return report(engine::orderName(*t, order, tag));
}

Status orderKey(Handle h, int order, std::string* keyExpr) {
    TABLE_OR_FAIL(h, t);
    return report(engine::orderKey(*t, order, keyExpr));
}

Status seek(Handle h, std::string_view key, int keyType, bool soft, bool last, bool* isFound) {
    TABLE_OR_FAIL(h, t);
    return report(engine::seek(*t, key, keyType, soft, last, isFound));
}

Status keyCount(Handle h, uint32_t* count) {
    TABLE_OR_FAIL(h, t);
    return report(t->keyCount(count));
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
