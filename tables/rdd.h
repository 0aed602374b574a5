// Table drivers: the interface an open table offers its work area
// (AreaDriver), the driver that opens tables (Rdd), and the process-wide
// registry of driver names with the default driver (RDDREGISTER,
// RDDSETDEFAULT, DBSETDRIVER).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/status.h"
#include "runtime/value.h"

namespace engine {
class Table;
}

namespace tables {

// Driver kinds as RDDREGISTER takes them.
constexpr int kRddTable = 1;  // full table drivers ("DBF", "DBFNTX", "ADS")
constexpr int kRddText = 2;   // text-file transfer drivers ("DELIM", "SDF")

// One column of an open table.
struct FieldInfo {
    std::string name;  // upper case, no padding
    char type = 'C';   // C N L D M (and the engine's other letters: F I B Y T ...)
    int length = 0;
    int decimals = 0;
};

// Conditions of the next order creation (ORDCONDSET); reset after each
// ORDCREATE. Only forText, evalBlock, evalInterval and descending reach the
// engine; the scope arguments are kept for callers that inspect them.
struct OrderCondition {
    std::string forText;
    runtime::Block forBlock;
    bool all = false;
    runtime::Block whileBlock;
    runtime::Block evalBlock;  // called during the build as a progress callback
    int evalInterval = 0;      // records between calls; 0 = every progress step
    uint32_t startRecord = 0;
    int nextCount = 0;
    uint32_t recordNumber = 0;
    bool rest = false;
    bool descending = false;
};

// Kinds of lock request a driver serves.
enum class LockMethod { Record, MultiRecord, Table, Other };

// What DBUSEAREA hands a driver.
struct OpenRequest {
    std::string fileName;  // as given: maybe relative, maybe without extension
    std::string alias;     // already checked: legal and not in use
    bool shared = false;
    bool readOnly = false;
};

// One open table, owned by its work area. Field numbers are 1-based.
// Operations that fail raise runtime errors themselves (through the error
// handler) or report failure by their result, as each says; none of them
// writes anything to the table when it fails.
// The record a block call (AreaDriver::appendCopiesFrom, visitRecords)
// shows its caller: its fields as stored, and logical fields to set on it.
class BlockRow {
public:
    explicit BlockRow(engine::Table& table) : table_(table) {}
    BlockRow(const BlockRow&) = delete;
    BlockRow& operator=(const BlockRow&) = delete;

    // The bytes of `field` (1-based) as stored; false when out of range or
    // NULL.
    bool storedBytes(int field, std::string_view* bytes) const;
    // A failure ends the copy with the driver's error (the first failure
    // stands; later marks are not written).
    void setLogical(int field, bool value);
    // The first mark that could not be written, or success.
    const engine::Status& failure() const { return failed_; }

private:
    engine::Table& table_;
    engine::Status failed_;
};
using RowVisit = std::function<void(BlockRow&)>;

class AreaDriver {
public:
    virtual ~AreaDriver() = default;

    virtual std::string rddName() const = 0;          // as RDDNAME() reports it ("ADSCDX")
    virtual const std::string& fileName() const = 0;  // full name as opened
    virtual bool shared() const = 0;
    virtual bool readOnly() const = 0;
    virtual const std::vector<FieldInfo>& fields() const = 0;

    // Navigation; the controlling order and the DELETED setting apply.
    virtual void goTop() = 0;
    virtual void goBottom() = 0;
    virtual void goTo(uint32_t recNo) = 0;
    virtual void skip(int64_t count) = 0;
    virtual bool bof() const = 0;
    virtual bool eof() const = 0;
    virtual bool found() const = 0;
    virtual uint32_t recNo() = 0;
    virtual uint32_t recCount() = 0;
    // Key value in the controlling order; false when there is no order or
    // the key type cannot be searched (no error is raised then).
    virtual bool seek(const runtime::Value& key, bool soft, bool last) = 0;

    // Fields of the current record. getValue on the phantom record gives
    // blank values. putValue raises "Data type error" for a value of the
    // wrong type and writes nothing then; returns whether it wrote.
    virtual runtime::Value getValue(int field) = 0;
    virtual bool putValue(int field, const runtime::Value& value) = 0;
    // The bytes of `field` (1-based) in the current record as the table
    // stores them, without conversion, for a pass that reads many records;
    // valid until the area moves or changes. False when the driver does not
    // keep records as bytes, or the field holds NULL: read its value then.
    virtual bool storedBytes(int field, std::string_view* bytes) {
        (void)field;
        (void)bytes;
        return false;
    }
    // Copies fields of `from`'s current record into this one's as stored:
    // `pairs` of (this field, from's field), 1-based, each pair of the same
    // type, length and decimals. False, with nothing written, when this
    // driver cannot copy from `from` that way (the caller copies values);
    // a write that fails raises the driver's error.
    virtual bool copyFieldsFrom(AreaDriver& from,
                                const std::vector<std::pair<int, int>>& pairs) = 0;
    // Appends copies of `from`'s records from its current one on, as an
    // unfiltered skip forward walks them, at most `limit`: the `pairs` as
    // copyFieldsFrom copies them, every other field blank, `visit` seeing
    // each new record once its fields are in. `from` moves past the last
    // record copied; this area stands on the last new one. Returns the
    // records made whole, or -1 (nothing done) when this driver cannot copy
    // from `from` that way: the caller copies record by record then. A
    // failure raises the driver's error and returns the count before it.
    virtual long appendCopiesFrom(AreaDriver& from, const std::vector<std::pair<int, int>>& pairs,
                                  long limit, const RowVisit& visit) {
        (void)from;
        (void)pairs;
        (void)limit;
        (void)visit;
        return -1;
    }
    // Shows `visit` this area's records from the current one on, as an
    // unfiltered skip forward walks them, at most `limit`; the logical
    // fields it sets are written as FIELDPUT writes them. The area moves
    // past the last record visited. Returns the records visited, or -1
    // (nothing done) when this driver cannot do it: the caller walks the
    // records itself then. A failure raises the driver's error and returns
    // the count before it.
    virtual long visitRecords(long limit, const RowVisit& visit) {
        (void)limit;
        (void)visit;
        return -1;
    }

    // Records. append returns false when it could not append (locked by
    // another user): no error is raised.
    virtual bool append(bool releaseLocks) = 0;
    virtual void deleteRecord() = 0;
    virtual void recall() = 0;
    virtual bool deleted() = 0;
    virtual void flush() = 0;
    virtual bool zap() = 0;
    virtual bool pack() = 0;

    // Locks: recNo 0 means the current record. Never waits.
    virtual bool lock(LockMethod method, uint32_t recNo) = 0;
    virtual void unlockAll() = 0;
    virtual std::vector<uint32_t> lockList() = 0;  // locked records, ascending

    // Orders (1-based; 0 = natural order).
    virtual int orderCount() = 0;
    virtual int currentOrder() = 0;
    virtual std::string orderName(int order) = 0;
    virtual std::string orderKey(int order) = 0;
    virtual bool setOrder(int order) = 0;  // failure keeps the previous order
    virtual bool setOrder(std::string_view tagName) = 0;
    virtual bool orderListAdd(std::string_view bagName) = 0;
    virtual void orderListClear() = 0;
    virtual bool orderListRebuild() = 0;  // rebuilds every open order
    virtual bool orderCreate(std::string_view bagName, std::string_view tagName,
                             std::string_view keyText, bool unique, const OrderCondition& cond) = 0;
    // Keys in the given order (0: the controlling order; natural: records).
    virtual uint32_t keyCount(int order) = 0;

    // Closes the table; the area is released whatever happens.
    virtual void close() = 0;
};

// A registered driver: opens tables for work areas.
class Rdd {
public:
    virtual ~Rdd() = default;
    virtual std::string name() const = 0;  // the registered name ("ADS")
    virtual int kind() const = 0;          // kRddTable or kRddText
    // Opens the table. Returns nullptr when it failed: either silently (the
    // caller then sets NETERR) or after raising an error through the handler.
    virtual std::unique_ptr<AreaDriver> open(const OpenRequest& request) = 0;
    // Creates a table from a structure {name, type, length, decimals}.
    // Returns whether it was created.
    virtual bool create(std::string_view fileName, const std::vector<FieldInfo>& fields) = 0;
};

// A driver implementation's maker, by the name RDDREGISTER knows it under.
// The built-in drivers and "ADS" are known from the start.
using RddFactory = std::function<std::unique_ptr<Rdd>()>;

// RDDREGISTER(cName, nKind): registers a known driver under cName (any
// case). Returns 0 when registered, 1 when it already was, 3 when no driver
// of that name is known or the kind is not 1 or 2.
int RDDREGISTER(std::string_view cName, int nKind);

// RDDSETDEFAULT([cName]) / DBSETDRIVER([cName]): with a registered name
// makes it the default driver; an unregistered name raises "Argument error"
// (1, subcode 1015) and keeps the default. Returns the default driver name
// (after the change).
std::string RDDSETDEFAULT(std::optional<std::string_view> cName = std::nullopt);
std::string DBSETDRIVER(std::optional<std::string_view> cName = std::nullopt);

// RDDLIST([nKind]): names of the registered drivers of that kind (0: all),
// in registration order.
std::vector<std::string> RDDLIST(int nKind = 0);

// The registered driver of that name (any case), nullptr when none.
Rdd* findRdd(std::string_view name);

// Puts the registry back to the state at program start: "DBF", "DBFNTX"
// (kind 1), "DELIM", "SDF" (kind 2) registered, default "DBFNTX". For tests
// and a fresh start-up; open areas must be closed first.
void resetRddRegistry();

}  // namespace tables
