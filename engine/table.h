// An open DBF table: its files (DBF, memo, index bags), the current record
// buffer, navigation honouring the controlling order and the DELETED
// setting, field access, appends, deletes, locks, zap and pack.
//
// Buffering and durability:
// - Exclusive and read-only tables read records through a read-ahead block
//   and collect appended records in an append buffer written in one piece;
//   the header's record count is written at flush and close, always after
//   the records it counts (a longer file than the count is a valid table).
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
#include "engine/result_codes.h"
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

class Table : public RecordSource {
public:
    ~Table() override;
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    static Result open(const OpenParams& params, std::unique_ptr<Table>* table, std::string* why);
    // Writes everything and closes the files; safe to call twice.
    Result close();

    const std::string& errorText() const { return why_; }
    const TableLayout& layout() const { return layout_; }
    int fieldCount() const { return int(layout_.user.size()); }
    const std::string& path() const { return path_; }
    bool shared() const { return shared_; }
    bool readOnly() const { return readOnly_; }

    // Navigation.
    Result goTop();
    Result goBottom();
    Result skip(int64_t count);
    Result gotoRecord(uint32_t recno);
    Result refresh();
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    bool found() const { return found_; }
    uint32_t recno() const { return rec_.recordNumber(); }
    Result count(uint32_t* n);

    // Current record access (user field index 0-based).
    const DbfRecord& record() const { return rec_; }
    Result memo(int field, std::string* text);
    Result memoLength(int field, uint32_t* length);
    Result setText(int field, std::string_view value);
    Result setNumber(int field, double value);
    Result setLogical(int field, bool value);
    Result setJulian(int field, int32_t julian);
    Result setDateTime(int field, int32_t julian, int32_t millis);
    Result setCurrency(int field, int64_t tenThousandths);
    // NULL into a nullable field (its bytes blank); kTypeMismatch otherwise.
    Result setNull(int field);

    Result append();
    Result setDeleted(bool deleted);
    Result flush();
    Result zap();
    Result pack();

    // Locks.
    Result lockRecord(uint32_t recno);
    Result unlockRecord(uint32_t recno);
    Result lockTable();
    Result unlockTable();
    const std::set<uint32_t>& lockedRecords() const { return recordLocks_; }
    bool tableLocked() const { return tableLocked_ || !shared_; }

    // Indexes.
    IndexSet& indexes() { return *indexes_; }
    Result createIndex(std::string_view bag, std::string_view tag, std::string_view key,
                       std::string_view forExpr, bool unique, bool descending,
                       const IndexBuildProgress& progress, int* order);
    Result openIndex(std::string_view bag);
    Result closeIndexes();
    Result setOrder(int order);
    // Shared: picks up the tags other processes created or removed in the
    // open bags since we last looked.
    Result refreshOrders();
    Result seek(std::string_view key, int keyType, bool soft, bool last, bool* isFound);
    Result keyCount(uint32_t* count);

    // RecordSource, for index builds.
    uint32_t recordCount() const override { return count_; }
    Result readRecord(uint32_t recordNumber, const RecordView** view) override;

private:
    Table(const OpenParams& p);
    Result openFiles(const OpenParams& p);
    Result openMemo(const OpenParams& p);
    Result fail(Result code, std::string text);
    Result ioFail(const os::Status& s);
    Result indexFail(Result code);

    // Record I/O (table_io.cpp).
    Result loadRecord(uint32_t recno, DbfRecord* into);
    Result commit();
    Result commitLocked();
    Result writeRecordBytes(uint32_t recno, const uint8_t* bytes);
    Result flushAppends();
    Result writeCount();
    Result rereadCount();
    void setPhantom();
    Result beginChange();
    Result checkWritable(int field);
    template <class Write>
    Result writeAs(int field, char type, const char* what, Write write);
    Result assignAutoIncrements();
    Result keepAutoIncrementAbove(int field, int32_t value);
    Result compactMemos();
    Result forEachRecordChunk(const std::function<bool(uint8_t* records, uint32_t n)>& visit);
    Result movePointers(const std::map<uint32_t, uint32_t>& moves);

    // Navigation helpers (table_nav.cpp).
    bool visible(const DbfRecord& r) const;
    Result moveTo(uint32_t recno);
    Result stepNatural(int dir, bool* moved);
    Result stepOrdered(int dir, bool* moved);
    Result settleForward();
    Result settleBackward();
    Result syncIndexes();

    // Locks (table_lock.cpp).
    uint64_t maxRecords() const;
    Result lockAppend(bool* taken);
    void unlockAppend(bool taken);
    void releaseAllLocks();

    std::string path_;
    std::string why_;
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
    // Appended records not yet written: [appendFirst_, count_].
    std::vector<uint8_t> appendBuf_;
    uint32_t appendFirst_ = 0;
    // Locks held (shared only).
    std::set<uint32_t> recordLocks_;  // record locks, OS-held unless covered by the table lock
    bool tableLocked_ = false;
    std::vector<std::pair<uint64_t, uint64_t>> tablePieces_;  // ranges held for the table lock
};

}  // namespace engine
