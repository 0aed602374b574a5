// One table opened through the table engine: the per-area state the driver
// keeps (the engine's Table, cached record count, begin/end/found flags,
// table type, open mode, table-lock mark) and the AreaDriver operations,
// each mapped onto the table's calls in a fixed order. Every call's outcome
// becomes the driver's last error (ADSGETLASTERROR). Internal to tables/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/status.h"
#include "engine/table.h"
#include "tables/rdd.h"

namespace tables {

class AdsArea : public AreaDriver {
public:
    // Opens `request` through the engine as `tableType`. `driverName` names
    // the driver in errors and RDDNAME(). Returns nullptr on failure: silent
    // for the engine's "refused" result, else after raising "Open error"
    // (21, subcode = engine code, FileName = the table file).
    static std::unique_ptr<AdsArea> open(const OpenRequest& request, int tableType,
                                         const std::string& driverName);
    ~AdsArea() override;
    AdsArea(const AdsArea&) = delete;
    AdsArea& operator=(const AdsArea&) = delete;

    std::string rddName() const override { return driverName_; }
    const std::string& fileName() const override { return fileName_; }
    bool shared() const override { return shared_; }
    bool readOnly() const override { return readOnly_; }
    const std::vector<FieldInfo>& fields() const override { return fields_; }

    void goTop() override;
    void goBottom() override;
    void goTo(uint32_t recNo) override;
    void skip(int64_t count) override;
    bool bof() const override { return bof_; }
    bool eof() const override { return eof_; }
    bool found() const override { return found_; }
    uint32_t recNo() override;
    uint32_t recCount() override;
    bool seek(const runtime::Value& key, bool soft, bool last) override;

    runtime::Value getValue(int field) override;
    bool storedBytes(int field, std::string_view* bytes) override;
    bool putValue(int field, const runtime::Value& value) override;
    bool copyFieldsFrom(AreaDriver& from, const std::vector<std::pair<int, int>>& pairs) override;
    long appendCopiesFrom(AreaDriver& from, const std::vector<std::pair<int, int>>& pairs,
                          long limit, const RowVisit& visit) override;
    long visitRecords(long limit, const RowVisit& visit) override;

    bool append(bool releaseLocks) override;
    void deleteRecord() override;
    void recall() override;
    bool deleted() override;
    void flush() override;
    bool zap() override;
    bool pack() override;

    bool lock(LockMethod method, uint32_t recNo) override;
    void unlockAll() override;
    std::vector<uint32_t> lockList() override;

    int orderCount() override;
    int currentOrder() override;
    std::string orderName(int order) override;
    std::string orderKey(int order) override;
    bool setOrder(int order) override;
    bool setOrder(std::string_view tagName) override;
    bool orderListAdd(std::string_view bagName) override;
    void orderListClear() override;
    bool orderListRebuild() override;
    bool orderCreate(std::string_view bagName, std::string_view tagName, std::string_view keyText,
                     bool unique, const OrderCondition& cond) override;
    uint32_t keyCount(int order) override;

    void close() override;

    int tableType() const { return tableType_; }

private:
    bool rewriteWhole(engine::Status (engine::Table::*operation)());
    AdsArea(std::unique_ptr<engine::Table> table, std::string fileName, std::string driverName,
            int tableType, bool shared, bool readOnly);
    void readFields();
    void readFlags();         // bof/eof as the engine reports them
    void standAtEnd();        // after a failed navigation: bof, eof, not found
    void afterTopOrBottom();  // the flag rule shared by go top, go bottom and seek
    uint32_t refreshCount();  // the engine's record count, kept in the area
    runtime::Value readDate(int field);
    runtime::Value readDateTime(int field);
    runtime::Value readMemo(int field);
    bool writeValue(int field, char type, const runtime::Value& value);
    // Raises a driver error for an engine failure of a data operation: the
    // generic code by the kind of failure, the engine's code as subcode and
    // its "file: detail" text.
    void raiseEngine(int genCode, const engine::Status& s);
    // True when `s` succeeded; otherwise raises it (raiseEngine) and is false.
    bool check(const engine::Status& s, int genCode);
    engine::Status closeTable();
    void traceEngineFailure(const char* call, const engine::Status& s);
    bool releaseRecordLocks();
    std::string indexFileFor(std::string_view bagName) const;
    long endBlock(const engine::Status& r, uint32_t done);

    std::unique_ptr<engine::Table> table_;  // null once closed
    std::string fileName_;
    std::string driverName_;
    int tableType_ = 2;
    bool shared_ = false;
    bool readOnly_ = false;
    bool tableLocked_ = false;  // whole table locked by this area
    bool bof_ = true;
    bool eof_ = true;
    bool found_ = false;
    uint32_t cachedCount_ = 0;  // record count as last read
    std::vector<FieldInfo> fields_;
};

// The driver's last error: the outcome of the latest table call it made (its
// message cut to 600 characters), which ADSGETLASTERROR answers.
const engine::Status& lastDriverError();
// Makes `s` the last error and hands it back.
engine::Status keepDriverError(engine::Status s);
// A call that cannot fail: the last error is success.
void clearDriverError();

// Shows the driver's last error text in a stop box under `title` (the
// engine's own error box).
void showEngineError(const std::string& title);

// Adds the table type's extension when the file name has none.
std::string withTableExtension(std::string_view fileName, int tableType);

}  // namespace tables
