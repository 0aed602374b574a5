// One table opened shared and read only, for callers that only look at its
// records (the check of an installation): its fields, navigation in its
// orders, field reads. It cannot change the table or its indexes; closing
// it has nothing to write.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/status.h"
#include "engine/table.h"

namespace engine {

class TableReader {
public:
    TableReader() = default;
    ~TableReader();
    TableReader(TableReader&&) noexcept;
    TableReader& operator=(TableReader&&) noexcept;

    // Opens the table `path` (".dbf" added when the name has no extension)
    // with its memo and structural index, shared and read only; see
    // session.h's openTable for the results.
    Status open(std::string_view path);
    bool isOpen() const { return table_ != nullptr; }

    // Fields by 1-based number; fieldNumber is 0 for a name not in the table.
    int fieldCount() const { return table_->fieldCount(); }
    const FieldDesc& field(int n) const { return table_->layout().user[size_t(n - 1)]; }
    int fieldNumber(std::string_view name) const { return table_->layout().find(name) + 1; }

    // Records in the table, deleted ones included (re-read from the disk).
    Status recordCount(uint32_t* count) { return table_->count(count); }
    // Navigation as Table's: the controlling order and the DELETED setting
    // honoured, except by gotoRecord.
    Status goTop() { return table_->goTop(); }
    Status skip(int64_t count) { return table_->skip(count); }
    Status gotoRecord(uint32_t recordNumber) { return table_->gotoRecord(recordNumber); }
    bool eof() const { return table_->eof(); }
    uint32_t recordNumber() const { return table_->recno(); }
    bool deleted() const { return table_->record().deleted(); }
    // Orders of the open bags (shared: as they are on the disk now); 0 is
    // the natural order.
    Status orderCount(int* count);
    Status setOrder(int order) { return table_->setOrder(order); }

    // Field values of the current record, as table_access.h reads them.
    Status getString(int field, std::string* value);
    Status getDouble(int field, double* value) const;
    Status getLogical(int field, bool* value) const;
    Status getDateTime(int field, int32_t* julianDay, int32_t* millis) const;
    Status getMemo(int field, std::string* value);

private:
    std::unique_ptr<Table> table_;
};

}  // namespace engine
