// The handle API over Table objects: handles, the last error, open, close
// and create, the layout and navigation calls.
#include "engine/engine.h"

#include <memory>
#include <vector>

#include "engine/engine_state.h"
#include "engine/session.h"
#include "engine/status.h"
#include "engine/table.h"
#include "engine/table_access.h"

namespace engine {

State gState;

Status openTable(std::string_view path, std::string_view alias, int tableType, int options,
                 Handle* table) {
    begin();
    *table = 0;
    std::unique_ptr<Table> t;
    if (Status r = openTable(path, alias, tableType, options, &t); !r.ok()) return report(r);
    auto& v = state().tables;
    for (size_t i = 0; i < v.size(); ++i)
        if (!v[i]) {
            v[i] = std::move(t);
            *table = Handle(i + 1);
            return Status();
        }
    v.push_back(std::move(t));
    *table = Handle(v.size());
    return Status();
}

Status closeTable(Handle h) {
    TABLE_OR_FAIL(h, t);
    Status r = report(t->close());
    state().tables[h - 1].reset();
    return r;
}

Status fieldCount(Handle h, int* count) {
    TABLE_OR_FAIL(h, t);
    *count = t->fieldCount();
    return Status();
}

Status fieldName(Handle h, int field, std::string* name) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    *name = t->layout().user[size_t(field - 1)].name;
    return Status();
}

Status fieldType(Handle h, int field, char* type) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    *type = t->layout().user[size_t(field - 1)].type;
    return Status();
}

Status fieldLength(Handle h, int field, int* length) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    *length = t->layout().user[size_t(field - 1)].length;
    return Status();
}

Status fieldNumber(Handle h, std::string_view name, int* field) {
    return onTable(h, [&](Table& t) { return fieldNumber(t, name, field); });
}

Status goTop(Handle h) {
    return onTable(h, [&](Table& t) { return t.goTop(); });
}

Status goBottom(Handle h) {
    return onTable(h, [&](Table& t) { return t.goBottom(); });
}

Status skip(Handle h, int64_t count) {
    return onTable(h, [&](Table& t) { return t.skip(count); });
}

Status gotoRecord(Handle h, uint32_t recno) {
    return onTable(h, [&](Table& t) { return t.gotoRecord(recno); });
}

Status atBof(Handle h, bool* bof) {
    TABLE_OR_FAIL(h, t);
    *bof = t->bof();
    return Status();
}

Status atEof(Handle h, bool* eof) {
    TABLE_OR_FAIL(h, t);
    *eof = t->eof();
    return Status();
}

Status recordCount(Handle h, uint32_t* count) {
    return onTable(h, [&](Table& t) { return t.count(count); });
}

Status recordNumber(Handle h, uint32_t* recno) {
    TABLE_OR_FAIL(h, t);
    *recno = t->recno();
    return Status();
}

}  // namespace engine
