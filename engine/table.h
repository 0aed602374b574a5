// An open DBF table: its files (DBF, memo, index bags), the current record
// buffer, navigation honouring the controlling order and the DELETED
// setting, field access, appends, deletes, locks, zap and pack.
//
// Buffering and durability:
// - Exclusive and read-only tables read records through a 256 KB read-ahead
//   block, keep changes to records in that block until it moves on (then the
//   changed stretch is written in one call), and collect appended records in
//   an append buffer written in one piece; the header's record count is
//   written at flush and close, always after the records it counts (a longer
//   file than the count is a valid table). Their memo file buffers new items
//   the same way and writes them before any record is written.
// - Shared tables read each record from disk when they move to it, write a
//   changed record when they leave it or flush, and write the count on every
//   append while holding the header lock. Memo writes and index changes are
//   made under the same lock, starting from the files as they are on disk
//   and written out before it is released; positioning calls (top, bottom,
//   seek, key count) first drop index pages another process changed.
// - Memo text is written to the memo file before the record that points to
//   it; index pages are flushed before the header count.
//
// Lock byte offsets on the DBF (single-byte OS range locks, above the data):
//   record n   0x7FFFFFFE - n
//   header     0x7FFFFFFE       (held while appending)
//   table      the bytes of every record the table could hold plus the header
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dbf_record.h"
#include "engine/fpt_file.h"
#include "engine/index_set.h"
#include "engine/status.h"
#include "os/file.h"

namespace engine {

constexpr uint64_t kHeaderLockOffset = 0x7FFFFFFEull;

struct OpenParams {
    std::string path;  // resolved, with extension
    std::string alias;
    bool dbtMemo = false;  // the table type asks for .dbt memos
    bool shared = false;
    bool readOnly = false;
};

// Process-wide settings the tables read at every call.
struct TableSettings {
    bool hideDeleted = false;
    bool exact = false;
};
TableSettings& tableSettings();

class Table;

// What a block call (Table::appendCopies, visitRecords) shows its caller:
// the table standing on the record just made or reached. A failure it
// returns ends the call with that status.
using BlockVisit = std::function<Status(Table&)>;

class Table : public RecordSource {
public:
    ~Table() override;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    static Status open(const OpenParams& params, std::unique_ptr<Table>* table);
    // Writes everything and closes the files; safe to call twice.
    Status close();

    const TableLayout& layout() const { return layout_; }
    int fieldCount() const { return int(layout_.user.size()); }
    const std::string& path() const { return path_; }
    bool shared() const { return shared_; }
    bool readOnly() const { return readOnly_; }

    // Navigation.
    Status goTop();
    Status goBottom();
    Status skip(int64_t count);
    Status gotoRecord(uint32_t recno);
    Status refresh();
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    bool found() const { return found_; }
    uint32_t recno() const { return rec_.recordNumber(); }
    Status count(uint32_t* n);

    // Current record access (user field index 0-based).
    const DbfRecord& record() const { return rec_; }
    Status memo(int field, std::string* text);
    Status memoLength(int field, uint32_t* length);
    Status setText(int field, std::string_view value);
    Status setNumber(int field, double value);
    Status setLogical(int field, bool value);
    Status setJulian(int field, int32_t julian);
    Status setDateTime(int field, int32_t julian, int32_t millis);
    Status setCurrency(int field, int64_t tenThousandths);
    // NULL into a nullable field (its bytes blank); kTypeMismatch otherwise.
    Status setNull(int field);
    // Copies fields of `from`'s current record into this one as they are
    // stored: per (to, from) pair of 1-based field numbers, the bytes (a
    // memo's text goes into this table's memo file) and the NULL flag. Each
    // pair must be of the same type, length and decimals and copiesAsBytes
    // (kTypeMismatch names the first that is not; nothing is written then).
    // kAtEof on either phantom record. The checked byte runs are kept while
    // the same pairs are copied from the same table.
    Status copyFields(Table& from, const std::vector<std::pair<int, int>>& pairs);
    // Appends a copy of each record of `from` from its current one on, as a
    // skip forward walks them (its order, the DELETED setting), at most
    // `limit` of them: the `pairs` as copyFields copies them, every other
    // field blank; `visit`, when given, sees each new record once its fields
    // are in. `from` moves past the last record copied (to its end once all
    // are); this table stands on the last new record. `*copied` counts the
    // records made whole, also when the call fails part way (the record being
    // made then may stay appended, not whole). kAtEof when `from` is already
    // at its end.
    Status appendCopies(Table& from, const std::vector<std::pair<int, int>>& pairs, uint32_t limit,
                        const BlockVisit& visit, uint32_t* copied);
    // Shows `visit` the records from the current one on, as a skip forward
    // walks them, at most `limit`; a record the visit changes is written as
    // any change is. The table moves past the last record visited (to its
    // end once all are). `*visited` counts the records the visit finished
    // with, also when the call fails part way. kAtEof when the table is
    // already at its end.
    Status visitRecords(uint32_t limit, const BlockVisit& visit, uint32_t* visited);

    Status append();
    Status setDeleted(bool deleted);
    Status flush();
    Status zap();
    Status pack();

    // Locks.
    Status lockRecord(uint32_t recno);
    Status unlockRecord(uint32_t recno);
    Status lockTable();
    Status unlockTable();
    const std::set<uint32_t>& lockedRecords() const { return recordLocks_; }

    // Indexes.
    IndexSet& indexes() { return *indexes_; }
    Status createIndex(std::string_view bag, std::string_view tag, std::string_view key,
                       std::string_view forExpr, bool unique, bool descending,
                       const IndexBuildProgress& progress, int* order);
    Status openIndex(std::string_view bag);
    Status closeIndexes();
    Status setOrder(int order);
    // Shared: picks up the tags other processes created or removed in the
    // open bags since we last looked.
    Status refreshOrders();
    Status seek(std::string_view key, int keyType, bool soft, bool last, bool* isFound);
    Status keyCount(uint32_t* count);

    // RecordSource, for index builds.
    uint32_t recordCount() const override { return count_; }
    Status readRecord(uint32_t recordNumber, const RecordView** view) override;

private:
    Table(const OpenParams& p);
    Status openFiles(const OpenParams& p);
    Status openMemo(const OpenParams& p);
    // A failure of this table: "path: detail".
    Status fail(Result code, std::string_view detail) const;
    Status memoFail(const Status& s) const;

    // Record I/O (table_io.cpp).
    Status loadRecord(uint32_t recno, DbfRecord* into);
    // Exclusive and read-only tables: the bytes of record `recno` where they
    // are kept (the append buffer, the read-ahead block, which is read from
    // disk when the record is in neither); valid until the next read, write
    // or append of this table.
    Status recordBytes(uint32_t recno, const uint8_t** bytes) {
        const size_t rb = layout_.header.recordBytes;
        if (appendFirst_ != 0 && recno >= appendFirst_ && recno <= count_) {
            *bytes = appendBuf_.data() + (recno - appendFirst_) * rb;
            return Status();
        }
        if (recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_) {
            *bytes = cache_.data() + (recno - cacheFirst_) * rb;
            return Status();
        }
        return readAhead(recno, bytes);
    }
    // recordBytes of a record in neither: the read-ahead block from it on.
    Status readAhead(uint32_t recno, const uint8_t** bytes);
    Status commit();
    Status commitLocked();
    Status writeRecordBytes(uint32_t recno, const uint8_t* bytes);
    Status flushAppends();
    Status memoFirst();
    Status writeBack();
    Status writeCount();
    Status rereadCount();
    void setPhantom();
    Status beginChange();
    Status checkWritable(int field);
    template <class Write>
    Status writeAs(int field, char type, const char* what, Write write);
    Status assignAutoIncrements();
    Status keepAutoIncrementAbove(int field, int32_t value);
    Status compactMemos();
    Status forEachRecordChunk(const std::function<bool(uint8_t* records, uint32_t n)>& visit);
    Status movePointers(const std::map<uint32_t, uint32_t>& moves);
    Status planCopy(const Table& from, const std::vector<std::pair<int, int>>& pairs);
    // The kept plan's copy from `src`, the bytes of a record of `from` (its
    // current record's when the plan has NULL flags to copy).
    Status copyPlanned(Table& from, const uint8_t* src);
    // appendCopies over a source walked in its natural order: each record
    // is copied from where the source keeps it, without making it current.
    Status appendCopiesInOrder(Table& from, uint32_t limit, const BlockVisit& visit,
                               uint32_t* copied);
    Status keepCopyPlan(const Table& from, const std::vector<std::pair<int, int>>& pairs);

    // Navigation helpers (table_nav.cpp).
    bool visible(const DbfRecord& r) const;
    Status moveTo(uint32_t recno);
    Status stepNatural(int dir, bool* moved);
    Status stepOrdered(int dir, bool* moved);
    Status settleForward();
    Status settleBackward();
    Status syncIndexes();

    // Locks (table_lock.cpp).
    uint64_t maxRecords() const;
    Status lockAppend(bool* taken);
    void unlockAppend(bool taken);
    void releaseAllLocks();

    std::string path_;
    bool shared_ = false;
    bool readOnly_ = false;
    os::File dbf_;
    MemoFile memo_;
    std::unique_ptr<IndexSet> indexes_;
    TableLayout layout_;
    uint64_t fileBytes_ = 0;
    uint32_t count_ = 0;        // records, those in the append buffer included
    uint32_t countOnDisk_ = 0;  // the header's count as last written or read
    DbfRecord rec_;             // current record (or the phantom)
    DbfRecord scan_;            // record read for index builds
    bool bof_ = false, eof_ = true, found_ = false;
    bool dirty_ = false;          // rec_ changed since loaded
    bool isNew_ = false;          // rec_ is an appended record not yet in the indexes
    bool indexNotified_ = false;  // beforeWrite sent for rec_
    bool headerDirty_ = false;    // date/count need writing
    // Read-ahead block (exclusive / read-only): records [cacheFirst_, +cacheCount_).
    std::vector<uint8_t> cache_;
    uint32_t cacheFirst_ = 0, cacheCount_ = 0;
    // Records of the block changed and not written yet (0: none).
    uint32_t dirtyFirst_ = 0, dirtyLast_ = 0;
    // Appended records not yet written: [appendFirst_, count_].
    std::vector<uint8_t> appendBuf_;
    uint32_t appendFirst_ = 0;
    // Locks held (shared only).
    std::set<uint32_t> recordLocks_;  // record locks, OS-held unless covered by the table lock
    bool tableLocked_ = false;
    std::vector<std::pair<uint64_t, uint64_t>> tablePieces_;  // ranges held for the table lock
    // The last field copy's plan (table_copy.cpp), kept while the same
    // pairs are copied from the same table.
    struct CopyPlan {
        uint64_t fromSerial = 0;                     // the source table's serial_
        std::vector<std::pair<int, int>> pairs;      // (to, from) as asked, 1-based
        std::vector<std::array<uint32_t, 3>> runs;   // (to offset, from offset, bytes)
        std::vector<std::pair<int, int>> memos;      // memo fields, copied as text, 0-based
        std::vector<std::pair<int, int>> nullables;  // with a NULL flag on either side, 0-based
        std::string memoText;  // a memo on its way, kept for its memory
    };
    CopyPlan copyPlan_;
    uint64_t serial_;  // tells tables apart for the plan, even at one address
};

}  // namespace engine
