// The process-wide settings, table names resolved against the default folder
// and the search path, and tables opened and created by name.
#include "engine/session.h"

#include <cctype>

#include "engine/dbf_field.h"
#include "engine/expr_value.h"
#include "engine/table.h"
#include "os/fs.h"
#include "os/path.h"
#include "os/path_parts.h"
#include "runtime/value.h"

namespace engine {
namespace {

struct Folders {
    std::string searchPath;
    std::string defaultFolder;
};

Folders& folders() {
    static Folders f;
    return f;
}

}  // namespace

Status setExact(bool on) {
    tableSettings().exact = on;
    exprSettings().exact = on;
    return Status();
}

Status setDateFormat(std::string_view format) {
    // "YYYYMMDD" is a caller's momentary switch around a date read or write;
    // keys built with DTOC() must keep the user's format, or a key computed
    // during a write would differ from the same key computed later.
    if (!runtime::sameName(format, "YYYYMMDD"))
        exprSettings().dateFormat = std::string(format);
    return Status();
}

Status setEpoch(int year) {
    if (year < 0 || year > 9999) return Status(kInvalidArgument, "epoch out of range");
    exprSettings().epoch = year;
    return Status();
}

Status setDeleted(bool hideDeleted) {
    tableSettings().hideDeleted = hideDeleted;
    return Status();
}

Status setPath(std::string_view searchPath) {
    folders().searchPath = std::string(searchPath);
    return Status();
}

Status setDefault(std::string_view folder) {
    folders().defaultFolder = std::string(folder);
    return Status();
}

std::string resolveName(std::string_view name, const char* ext) {
    std::string p = os::withDefaultExtension(name, ext);
    if (os::isAbsolutePath(p)) return p;
    const Folders& s = folders();
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

Status openTable(std::string_view path, std::string_view alias, int tableType, int options,
                 std::unique_ptr<Table>* table) {
    table->reset();
    if (path.empty()) return Status(kInvalidArgument, "open: no file name");
    if (tableType == kTypeAdt) return Status(kNotSupported, "open: table type 3 not supported");
    if (tableType != kTypeNtx && tableType != kTypeCdx)
        return Status(kInvalidArgument, "open: unknown table type");
    OpenParams p;
    p.path = resolveName(path, ".dbf");
    p.alias = alias.empty() ? std::string(os::stemOf(p.path)) : std::string(alias);
    p.shared = (options & kOpenShared) != 0;
    p.readOnly = (options & kOpenReadOnly) != 0;
    p.dbtMemo = tableType == kTypeNtx;
    return Table::open(p, table);
}

Status createTable(std::string_view path, std::string_view fieldList, int tableType,
                   uint16_t memoBlockSize) {
    if (tableType != kTypeNtx && tableType != kTypeCdx)
        return Status(kNotSupported, "create: unsupported table type");
    std::string file = resolveName(path, ".dbf");
    DbfHeader h;
    if (Status r = buildDbfHeader(fieldList, false, &h); !r.ok())
        return Status(r.code(), file + ": " + r.message());
    if (h.hasMemoFields()) {
        std::string memo = os::withExtension(file, ".fpt");
        if (Status r = MemoFile::create(memo, memoBlockSize); !r.ok()) return r;
    }
    auto f = os::File::open(file, os::Access::ReadWrite, os::Share::Exclusive,
                            os::Disposition::CreateAlways);
    if (!f.ok()) return Status::fromOs(f.status());
    std::string bytes = encodeDbfHeader(h);
    bytes.push_back(char(kDbfEof));
    os::Status s = f->write(0, bytes.data(), bytes.size());
    if (s.ok()) s = f->flush();
    return s.ok() ? Status() : Status::fromOs(s);
}

}  // namespace engine
