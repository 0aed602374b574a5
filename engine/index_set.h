// The open index bags (CDX files) of one table: the structural bag and any
// bag opened later, the list of orders (tags) they hold, the controlling
// order, navigation in it, and the hooks that keep every tag exact while the
// table changes.
//
// Threading: one thread calls it. An IndexSet belongs to one open table,
// which calls the hooks below at the moments they name; nothing here reads
// the DBF. While a fresh table is filled in bulk, the set may compute the
// appended records' keys on a thread of its own (key_worker.h), which ends
// before any call returns a tree to its caller.
//
// Every call returns a Status (status.h) whose message tells what went wrong
// ("file: detail"); files are left as they were before the failing call (a
// corrupt page is detected before anything is written).
//
// Orders are numbered from 1 across the open bags: the structural bag first,
// then the others in the order they were opened; inside a bag, tags come in
// creation order. Order 0 is the natural record order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/index_open_mode.h"
#include "engine/record_source.h"
#include "engine/record_view.h"
#include "engine/status.h"

namespace engine {

class CdxBag;
struct CdxTag;

// What the table (and ORDER-style queries) can learn about one order.
struct OrderInfo {
    std::string tag;      // upper case, at most 10 characters
    std::string bagPath;  // the CDX file holding it
    std::string keyExpr;  // source text as stored in the tag header
    std::string forExpr;  // "" when the tag has no FOR condition
    char keyType = 'C';   // 'C' text, 'N' number, 'D' date, 'L' logical, 'I' integer, '?' unknown
    int keyLength = 0;    // bytes per key
    bool unique = false;
    bool descending = false;
    bool stale = false;  // the bag does not match the table (see IndexSet::openStructural)
};

class IndexSet {
public:
    IndexSet();
    ~IndexSet();
    IndexSet(const IndexSet&) = delete;
    IndexSet& operator=(const IndexSet&) = delete;

    // ---- Bags -------------------------------------------------------------

    // Opens the structural bag of the table at `tablePath` (same folder and
    // base name, extension .cdx in any case) when that file exists; when it
    // does not, returns kOk with no bag open (a header flag announcing a
    // structural index whose file is gone is no error). `schema` is any record
    // of the table (only its field list is used) and `recordCount` the
    // table's record count: a tag that cannot belong to a table of that size
    // (keys of records beyond the count, or a plain tag whose key count differs
    // from the record count; both only checked when not shared, since other
    // processes may append meanwhile) marks the bag stale: its orders open, but setting
    // one as controlling order or seeking in it returns kCorruptIndex with a
    // text saying to rebuild it; onZap() and rebuildAll() repair it.
    // A damaged tree is treated the same way. A bag opened shared is checked
    // as it opens; one opened exclusively when it is first used (an order
    // set or asked about, a key maintained), against the count it was opened
    // with, so that a table only read in its natural order never reads every
    // page of its tags; a bag that cannot be read fails that first use.
    // kCorruptIndex when the file's
    // header or tag directory is damaged. A tag whose key or FOR expression
    // does not compile opens for navigation only; hooks then fail with
    // kBadExpression. `schema` must stay valid while the IndexSet is used
    // (createTag compiles against it); the table passes its record view.
    Status openStructural(std::string_view tablePath, const RecordView& schema,
                          uint32_t recordCount, IndexOpenMode mode);
    // Opens another bag and appends its tags to the order list.
    // kIndexAlreadyOpen when that file is open already, kNotFound when missing.
    Status openBag(std::string_view path, const RecordView& schema, uint32_t recordCount,
                   IndexOpenMode mode);
    // Writes every pending page and closes every bag (the structural one too);
    // natural order afterwards.
    Status closeAll();
    // Writes every pending page of every bag to disk (pages first, headers last).
    Status flush();
    // Shared mode: call after taking a table lock or record lock; drops cached
    // pages of bags that another process changed since we last read them and
    // picks up the tags it created or removed (the order list follows; the
    // controlling order stays the same tag, or becomes 0 when it is gone).
    Status sync();
    bool hasStructural() const;
    // Path of the structural bag ("" when none is open).
    std::string structuralPath() const;

    // ---- Orders -----------------------------------------------------------

    int orderCount() const;
    // REQUIRES: 1 <= order <= orderCount(); else kNoOrder.
    Status orderInfo(int order, OrderInfo* info) const;
    // Order number of `tag` (case ignored, trailing blanks ignored), 0 when none.
    int findOrder(std::string_view tag) const;
    // 0 = natural order. kNoOrder for an unknown number (previous order kept),
    // kCorruptIndex for a stale order (previous order kept).
    Status setOrder(int order);
    int currentOrder() const;

    // ---- Hooks the table calls -------------------------------------------

    // After a record was appended (blank or filled): adds its keys.
    Status onAppend(const RecordView& record);
    // Before the first change to the current record's buffer, and after the
    // change is complete (written or about to be written). afterWrite moves
    // the record's keys in every tag whose key or FOR result changed. A second
    // beforeWrite for the same record before afterWrite is ignored.
    Status beforeWrite(const RecordView& record);
    Status afterWrite(const RecordView& record);
    // After the table was emptied: every tag of every open bag becomes empty
    // and each file is rewritten compactly (this also repairs a stale bag).
    Status onZap();
    // After a pack (or for a reindex): rebuilds every tag of every open bag
    // from the table's records.
    Status rebuildAll(RecordSource& records, const IndexBuildProgress& progress);
    // Creates (or replaces) tag `tag` in the bag `bagPath` ("" = the
    // structural bag; created when missing, so is a named bag) from a scan of
    // `records`, and makes it the controlling order; *order gets its number.
    // Records whose `forExpr` (when not empty) is false get no key. Unique:
    // only the first record with a given key is kept. kBadExpression,
    // kKeyTooLong (more than 240 bytes), kInvalidArgument (bad tag name),
    // kReadOnly.
    Status createTag(std::string_view bagPath, std::string_view tag, std::string_view keyExpr,
                     std::string_view forExpr, bool unique, bool descending, RecordSource& records,
                     const IndexBuildProgress& progress, int* order);

    // ---- Navigation in the controlling order ---------------------------------
    // A record number of 0 means "none": past the end (or before the start).
    // All return kNoOrder when the order is natural.

    Status top(uint32_t* recordNumber);
    Status bottom(uint32_t* recordNumber);
    // The record after (direction > 0) or before (direction < 0) `current` in
    // the order. `current` need not be in the tag (a FOR condition may leave
    // it out): the step starts where its key would be.
    Status skip(const RecordView& current, int direction, uint32_t* recordNumber);
    // Seeks `key`: keyType kKeyText (bytes compared over their own length,
    // or padded to the key length when `exact`), or kKeyDouble (8 bytes of a
    // native double: numbers, dates as Julian day numbers). Finds the first
    // match (the last when `last`); without a match, *found is false and the
    // position is the next key in the order with `soft`, else 0. With
    // `visibleAt`, matches whose record it calls hidden are passed over (in
    // the order, or back from the last): a hidden first match must not hide
    // a visible one behind it. When every match is hidden, *found is false
    // and the position is the first (last) hidden match.
    using Visibility = std::function<Status(uint32_t recordNumber, bool* visible)>;
    Status seek(std::string_view key, int keyType, bool soft, bool last, bool exact,
                const Visibility& visibleAt, uint32_t* recordNumber, bool* found);
    // Keys in the controlling order.
    Status keyCount(uint32_t* count);
    // Keys in `order` (1-based).
    Status keyCountOf(int order, uint32_t* count);

    // ---- Appends in bulk -------------------------------------------------------

    // Starts keeping the keys of appended records aside instead of inserting
    // them one by one. Only when the set is exclusive and writable and every
    // tag of every open bag is empty, maintainable and not stale; otherwise
    // nothing changes. While keys are kept, every call that reads or changes
    // the trees (navigation, seek, key count, a change to a record already
    // indexed, flush, close, tag creation, opening a bag) first builds each
    // tag once from its kept keys: sorted by key and record number, leaves
    // packed full, the same entries the inserts would have made. The table
    // calls this after a zap and when it opens an empty table.
    void beginBulk();
    // True while appended keys are being kept aside.
    bool bulkActive() const { return bulk_ != nullptr; }

    // Flushes, then runs the consistency checker (cdx_check.h) over every
    // open bag: kOk or kCorruptIndex naming the fault.
    Status checkAll();

private:
    struct Order;
    struct PendingWrite;
    struct Bulk;

    Status openAny(std::string_view path, const RecordView& schema, uint32_t recordCount,
                   IndexOpenMode mode, bool structural);
    void listOrders();
    Status usable(const Order** order, bool refresh = true);
    Status noteKeys(const RecordView& record, std::vector<std::string>* keys,
                    std::vector<char>* in);
    // The key of order `i` for `record` into *key, and where the record
    // stands in that tag (kKeyIn, kKeyOut, kKeySkip) into *in.
    Status keyOf(size_t i, const RecordView& record, std::string* key, char* in);
    Status moveKeys(const RecordView& record, const std::vector<std::string>& oldKeys,
                    const std::vector<char>& oldIn);
    Status addKey(CdxTag& tag, const std::string& key, uint32_t recno);
    Status eraseRecord(CdxTag& tag, uint32_t recno);
    Status seekKey(const Order& o, const std::string& prefix, bool soft, bool last,
                   const Visibility& visibleAt, uint32_t* recordNumber, bool* found);
    bool isStale(const CdxBag* bag) const;
    Status markStaleIfNeeded(CdxBag* bag, uint32_t recordCount) const;
    // Checks the bags opened exclusively whose check was put off (see
    // openAny); a bag that could not be read stays pending and fails again.
    Status checkOpened() const;
    Status flushEvery();  // every writable bag, the first failure returned
    // Builds the tags from the keys kept aside (beginBulk) and leaves bulk
    // mode; nothing to do when no key was kept.
    Status settle();
    // Keeps the keys of an appended record aside (bulk mode).
    Status keepKeysOf(const RecordView& record);
    void decideWorker(const RecordView& record);
    Status keepByWorker(const RecordView& record, bool* taken);

    std::vector<std::unique_ptr<CdxBag>> bags_;  // [0] is the structural bag when open
    bool hasStructural_ = false;
    std::vector<Order> orders_;  // 1-based order n at orders_[n-1]
    int current_ = 0;
    std::unique_ptr<PendingWrite> pending_;
    std::unique_ptr<Bulk> bulk_;        // keys kept aside while appending in bulk
    // Bags opened exclusively are checked against the table when first
    // needed, with the record count they were opened with: a table only
    // read in its natural order (a backup copied record by record) never
    // pays for reading every page of its indexes.
    struct Unchecked {
        CdxBag* bag;
        uint32_t recordCount;
    };
    mutable std::vector<Unchecked> unchecked_;
    mutable std::vector<const CdxBag*> stale_;  // bags that do not match the table
    mutable std::string staleWhy_;
    std::vector<std::string> appendKeys_;  // onAppend's keys, kept between appends
    std::vector<char> appendIn_;
    const RecordView* schema_ = nullptr;  // the table's record view
    std::string structuralPath_;          // where the structural bag is (or would be)
    IndexOpenMode mode_;
};

}  // namespace engine
