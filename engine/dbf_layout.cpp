// A DBF header read from its file without opening the table.
#include "engine/dbf_layout.h"

#include <algorithm>

#include "engine/byte_order.h"
#include "engine/dbf_header.h"
#include "os/file.h"

namespace engine {
namespace {

void keepFailure(const os::Status& s, DbfLayout* t) {
    t->osCode = s.code();
    t->why = s.message();
}

}  // namespace

uint64_t DbfLayout::uncountedRecords() const {
    if (!readable || recordBytes == 0 || fileBytes <= dataEnd) return 0;
    return (fileBytes - dataEnd) / recordBytes;
}

DbfLayout readTableLayout(const std::string& path) {
    DbfLayout t;
    auto file =
        os::File::open(path, os::Access::Read, os::Share::Shared, os::Disposition::OpenExisting);
    if (!file.ok()) {
        keepFailure(file.status(), &t);
        return t;
    }
    auto size = file.value().size();
    if (!size.ok()) {
        keepFailure(size.status(), &t);
        return t;
    }
    t.fileBytes = size.value();
    std::string bytes(32, '\0');
    auto got = file.value().read(0, bytes.data(), bytes.size());
    if (!got.ok()) {
        keepFailure(got.status(), &t);
        return t;
    }
    bytes.resize(got.value());
    if (bytes.size() == 32) {
        size_t headerBytes =
            getU16le(reinterpret_cast<const uint8_t*>(bytes.data()) + kDbfHeaderLengthOffset);
        bytes.resize(std::max<size_t>(headerBytes, 32));
        got = file.value().read(0, bytes.data(), bytes.size());
        if (!got.ok()) {
            keepFailure(got.status(), &t);
            return t;
        }
        bytes.resize(got.value());
    }
    DbfHeader h;
    if (Status s = parseDbfHeader(bytes, t.fileBytes, &h); !s.ok()) {
        t.why = s.message();
        return t;
    }
    t.readable = true;
    for (const FieldDesc& f : h.fields)
        if (!(f.flags & kFieldSystem)) t.fields.push_back(f);
    t.recordCount = h.recordCount;
    t.recordBytes = h.recordBytes;
    t.dataEnd = uint64_t(h.headerBytes) + uint64_t(h.recordCount) * h.recordBytes;
    return t;
}

}  // namespace engine
