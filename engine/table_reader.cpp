// A table opened shared and read only, for callers that only read it.
#include "engine/table_reader.h"

#include "engine/session.h"
#include "engine/table_access.h"

namespace engine {

TableReader::~TableReader() {
    // Shared and read only: closing has nothing to write, so nothing to report.
    if (table_) (void)table_->close();
}

TableReader::TableReader(TableReader&&) noexcept = default;

TableReader& TableReader::operator=(TableReader&& other) noexcept {
    if (this != &other) {
        if (table_) (void)table_->close();  // read only: nothing to write
        table_ = std::move(other.table_);
    }
    return *this;
}

Status TableReader::open(std::string_view path) {
    if (table_) (void)table_->close();  // read only: nothing to write
    table_.reset();
    return openTable(path, "", kTypeCdx, kOpenShared | kOpenReadOnly, &table_);
}

Status TableReader::orderCount(int* count) {
    return engine::orderCount(*table_, count);
}

Status TableReader::getString(int field, std::string* value) {
    return engine::getString(*table_, field, value);
}

Status TableReader::getDouble(int field, double* value) const {
    return engine::getDouble(*table_, field, value);
}

Status TableReader::getLogical(int field, bool* value) const {
    return engine::getLogical(*table_, field, value);
}

Status TableReader::getDateTime(int field, int32_t* julianDay, int32_t* millis) const {
    return engine::getDateTime(*table_, field, julianDay, millis);
}

Status TableReader::getMemo(int field, std::string* value) {
    return engine::getMemo(*table_, field, value);
}

}  // namespace engine
