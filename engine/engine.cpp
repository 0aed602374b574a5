// The public API over Table objects: handles, the last error, settings,
// name resolution and table creation.
#include "engine/engine.h"

#include <cctype>
#include <memory>
#include <vector>

#include "engine/dbf_field.h"
#include "engine/engine_state.h"
#include "engine/status.h"
#include "engine/table.h"
#include "os/fs.h"
#include "os/path.h"
#include "os/path_parts.h"

namespace engine {

State gState;

namespace {

// Adds the extension and applies the default folder and the search path.
std::string resolveName(std::string_view name, const char* ext) {
    std::string p = os::withDefaultExtension(name, ext);
    if (os::isAbsolutePath(p)) return p;
    const State& s = state();
    std::string first = s.defaultFolder.empty() ? p : os::joinPath(s.defaultFolder, p);
    if (os::fileExists(first) || s.searchPath.empty()) return first;
    size_t start = 0;
    while (start <= s.searchPath.size()) {
        size_t end = s.searchPath.find_first_of(";,", start);
        if (end == std::string::npos) end = s.searchPath.size();
        std::string folder = s.searchPath.substr(start, end - start);
        if (!folder.empty() && os::fileExists(os::joinPath(folder, p)))
            return os::joinPath(folder, p);
        start = end + 1;
    }
    return first;
}

}  // namespace

Status openTable(std::string_view path, std::string_view alias, int tableType, int options,
                 Handle* table) {
    begin();
    *table = 0;
    if (path.empty()) return setError(kInvalidArgument, "open: no file name");
    if (tableType == kTypeAdt) return setError(kNotSupported, "open: table type 3 not supported");
    if (tableType != kTypeNtx && tableType != kTypeCdx)
        return setError(kInvalidArgument, "open: unknown table type");
    OpenParams p;
    p.path = resolveName(path, ".dbf");
    p.alias = alias.empty() ? std::string(os::stemOf(p.path)) : std::string(alias);
    p.shared = (options & kOpenShared) != 0;
    p.readOnly = (options & kOpenReadOnly) != 0;
    p.dbtMemo = tableType == kTypeNtx;
    std::unique_ptr<Table> t;
    if (Status r = Table::open(p, &t); !r.ok()) return report(r);
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

Status createTable(std::string_view path, std::string_view fieldList, int tableType,
                   uint16_t memoBlockSize) {
    begin();
    if (tableType != kTypeNtx && tableType != kTypeCdx)
        return setError(kNotSupported, "create: unsupported table type");
    std::string file = resolveName(path, ".dbf");
    DbfHeader h;
    if (Status r = buildDbfHeader(fieldList, false, &h); !r.ok())
        return setError(r.code(), file + ": " + r.message());
    if (h.hasMemoFields()) {
        std::string memo = os::withExtension(file, ".fpt");
        if (Status r = MemoFile::create(memo, memoBlockSize); !r.ok()) return report(r);
    }
    auto f = os::File::open(file, os::Access::ReadWrite, os::Share::Exclusive,
                            os::Disposition::CreateAlways);
    if (!f.ok()) return report(Status::fromOs(f.status()));
    std::string bytes = encodeDbfHeader(h);
    bytes.push_back(char(kDbfEof));
    os::Status s = f->write(0, bytes.data(), bytes.size());
    if (s.ok()) s = f->flush();
    return s.ok() ? Status() : report(Status::fromOs(s));
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

Status fieldDecimals(Handle h, int field, int* decimals) {
    TABLE_OR_FAIL(h, t);
    if (!fieldOk(t, field)) return badField(field);
    *decimals = t->layout().user[size_t(field - 1)].decimals;
    return Status();
}

Status fieldNumber(Handle h, std::string_view name, int* field) {
    TABLE_OR_FAIL(h, t);
    int i = t->layout().find(name);
    *field = i + 1;
    if (i < 0) return setError(kFieldNotFound, "no field named " + std::string(name));
    return Status();
}

Status goTop(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->goTop());
}

Status goBottom(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->goBottom());
}

Status skip(Handle h, int64_t count) {
    TABLE_OR_FAIL(h, t);
    return report(t->skip(count));
}

Status gotoRecord(Handle h, uint32_t recno) {
    TABLE_OR_FAIL(h, t);
    return report(t->gotoRecord(recno));
}

Status refreshRecord(Handle h) {
    TABLE_OR_FAIL(h, t);
    return report(t->refresh());
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
    TABLE_OR_FAIL(h, t);
    return report(t->count(count));
}

Status recordNumber(Handle h, uint32_t* recno) {
    TABLE_OR_FAIL(h, t);
    *recno = t->recno();
    return Status();
}

}  // namespace engine
