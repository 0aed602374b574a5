// Table: opening and closing, field writes, append, delete and flush.
#include "engine/table.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/dbf_field.h"
#include "engine/status.h"
#include "os/path_parts.h"

namespace engine {
namespace {

// The memo file's name: the table's with the memo extension.
std::string memoPath(const std::string& tablePath, bool dbt) {
    return os::withExtension(tablePath, dbt ? ".dbt" : ".fpt");
}

}  // namespace

TableSettings& tableSettings() {
    static TableSettings settings;
    return settings;
}

namespace {

// Tables may be opened on two threads at once (a read-back check runs
// beside the refill of the next table).
uint64_t nextTableSerial() {
    static std::atomic<uint64_t> serial{0};
    return ++serial;
}

}  // namespace

Table::Table(const OpenParams& p)
    : path_(p.path),
      shared_(p.shared),
      readOnly_(p.readOnly),
      indexes_(std::make_unique<IndexSet>()),
      rec_(&layout_, &memo_),
      scan_(&layout_, &memo_),
      serial_(nextTableSerial()) {}

// The owner (engine.cpp) closes tables and reports the failure; a table
// destroyed otherwise (shutdown of a test) has nobody left to tell.
Table::~Table() {
    (void)close();
}

Status Table::fail(Result code, std::string_view detail) const {
    return Status::error(code, path_, detail);
}

// Corrupt memo items are reported against the table whose record points at
// them; I/O failures already name the memo file.
Status Table::memoFail(const Status& s) const {
    return s.code() == kCorruptMemo ? fail(kCorruptMemo, "memo: " + s.message()) : s;
}

Status Table::open(const OpenParams& p, std::unique_ptr<Table>* out) {
    std::unique_ptr<Table> t(new Table(p));
    Status r = t->openFiles(p);
    if (!r.ok()) {
        t->dbf_.close();  // nothing was written: skip close()'s flushing
        t->memo_.close();
        t->indexes_.reset();
        return r;
    }
    *out = std::move(t);
    return Status();
}

Status Table::openFiles(const OpenParams& p) {
    auto f = os::File::open(p.path, p.readOnly ? os::Access::Read : os::Access::ReadWrite,
                            p.shared ? os::Share::Shared : os::Share::Exclusive,
                            os::Disposition::OpenExisting);
    if (!f.ok()) return Status::fromOs(f.status());
    dbf_ = std::move(f.value());
    // The header before the size: another process appending to a shared
    // table writes its records before the count, so a size taken after the
    // count always covers the records it counts; taken before, it may not.
    std::string head(kDbfMaxHeaderBytes, '\0');
    auto got = dbf_.read(0, head.data(), head.size());
    if (!got.ok()) return Status::fromOs(got.status());
    head.resize(got.value());
    auto size = dbf_.size();
    if (!size.ok()) return Status::fromOs(size.status());
    fileBytes_ = size.value();
    DbfHeader h;
    if (Status r = parseDbfHeader(head, fileBytes_, &h); !r.ok())
        return fail(r.code(), r.message());
    layout_.build(h, p.alias);
    rec_.attach();
    scan_.attach();
    count_ = countOnDisk_ = h.recordCount;
    if (Status r = openMemo(p); !r.ok()) return r;
    IndexOpenMode mode;
    mode.readOnly = readOnly_;
    mode.shared = shared_;
    if (Status r = indexes_->openStructural(path_, rec_, count_, mode); !r.ok()) return r;
    // An empty table opened for our use alone is about to be filled.
    if (count_ == 0 && !shared_ && !readOnly_) indexes_->beginBulk();
    // A first record that cannot be read fails the open; an index that
    // cannot position is reported by the first navigation instead.
    Status top = goTop();
    return top == kCorruptTable ? top : Status();
}

Status Table::openMemo(const OpenParams& p) {
    MemoKind kind = layout_.header.memoKind();
    if (kind == MemoKind::None) return Status();
    bool dbt = kind == MemoKind::Dbt;
    std::string mp = memoPath(path_, dbt);
    Status r = memo_.open(mp, dbt, p.readOnly ? os::Access::Read : os::Access::ReadWrite,
                          p.shared ? os::Share::Shared : os::Share::Exclusive);
    if (r == kNotFound) return fail(kCorruptMemo, "memo file " + mp + " is missing");
    return memoFail(r);
}

Status Table::close() {
    if (!dbf_.isOpen()) return Status();
    Status first;
    if (!readOnly_) first = flush();
    if (indexes_) {
        Status r = indexes_->closeAll();
        if (first.ok() && !r.ok()) first = r;
    }
    releaseAllLocks();
    memo_.close();
    dbf_.close();
    return first;
}

Status Table::memo(int field, std::string* text) {
    if (eof_) {
        text->clear();
        return fail(kAtEof, "memo read at end of file");
    }
    return memoFail(rec_.memoText(field, text));
}

Status Table::memoLength(int field, uint32_t* length) {
    *length = 0;
    if (eof_) return fail(kAtEof, "memo read at end of file");
    const FieldDesc& f = rec_.user(field);
    uint32_t block = readMemoBlock(rec_.data() + f.offset, f);
    if (block == 0) return Status();
    return memoFail(memo_.length(block, length));
}

// Checks that the current record may change and tells the indexes the
// record's old keys before its first change.
Status Table::beginChange() {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (eof_) return fail(kAtEof, "no current record (end of file)");
    if (!isNew_ && !indexNotified_ && indexes_->orderCount() > 0) {
        if (Status r = indexes_->beforeWrite(rec_); !r.ok()) return r;
        indexNotified_ = true;
    }
    dirty_ = true;
    return Status();
}

Status Table::checkWritable(int field) {
    if (field < 0 || field >= fieldCount()) return fail(kFieldNotFound, "no such field");
    return beginChange();
}

Status Table::setText(int field, std::string_view value) {
    if (Status r = checkWritable(field); !r.ok()) return r;
    const FieldDesc& f = rec_.user(field);
    uint8_t* p = rec_.data() + f.offset;
    if (isMemoType(f.type)) {
        // Shared: another process may append memos too; take the header lock
        // and start from the memo header as it is on disk.
        bool taken = false;
        if (shared_)
            if (Status r = lockAppend(&taken); !r.ok()) return r;
        uint32_t block = 0;
        Status r = shared_ ? memo_.refresh() : Status();
        if (r.ok()) r = memo_.write(readMemoBlock(p, f), value, &block);
        unlockAppend(taken);
        if (!r.ok()) return memoFail(r);
        writeMemoBlock(p, f, block);
    } else if (f.type == 'C') {
        writeText(p, f, value);
    } else if (f.type == 'V' || f.type == 'Q') {
        rec_.setVarLength(field, writeVarText(p, f, value, rec_.canMarkVarLength(field)));
    } else if (f.type == 'D' || f.type == 'T') {
        std::string_view v = value;
        while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
        int32_t j = julianFromText(v);
        if (j == 0 && !v.empty()) return fail(kTypeMismatch, "not a date: " + std::string(value));
        if (f.type == 'D' && j != 0)
            std::memcpy(p, v.data(), 8);  // already the stored form
        else
            writeJulian(p, f, j);
    } else if (f.type == 'L') {
        char c = value.empty() ? ' ' : value[0];
        writeLogical(p, f, c == 'T' || c == 't' || c == 'Y' || c == 'y');
    } else if (isNumericType(f.type)) {
        double d = 0;
        bool blank = value.find_first_not_of(' ') == std::string_view::npos;
        if (!blank && !parseNumberText(value, &d))
            return fail(kTypeMismatch, "not a number: " + std::string(value));
        if ((f.type == 'N' || f.type == 'F') && value.size() == f.length)
            std::memcpy(p, value.data(),
                        f.length);  // digits of the field's width (or blanks) as they are
        else if (Status r = writeNumber(p, f, d); !r.ok())
            return fail(r.code(), "value too wide for " + f.name);
    } else {
        return fail(kTypeMismatch, "field " + f.name + " cannot take text");
    }
    rec_.setNull(field, false);
    return Status();
}

Status Table::setNumber(int field, double value) {
    if (Status r = checkWritable(field); !r.ok()) return r;
    const FieldDesc& f = rec_.user(field);
    if (!isNumericType(f.type)) return fail(kTypeMismatch, "field " + f.name + " is not numeric");
    if (Status r = writeNumber(rec_.data() + f.offset, f, value); !r.ok())
        return fail(r.code(), "value too wide for " + f.name);
    rec_.setNull(field, false);
    if (f.type == 'I')
        return keepAutoIncrementAbove(field, int32_t(getU32le(rec_.data() + f.offset)));
    return Status();
}

// The typed writes: `type` is the one field type that takes the value.
template <class Write>
Status Table::writeAs(int field, char type, const char* what, Write write) {
    if (Status r = checkWritable(field); !r.ok()) return r;
    const FieldDesc& f = rec_.user(field);
    if (f.type != type) return fail(kTypeMismatch, "field " + f.name + " is not " + what);
    write(rec_.data() + f.offset, f);
    rec_.setNull(field, false);
    return Status();
}

Status Table::setCurrency(int field, int64_t tenThousandths) {
    return writeAs(field, 'Y', "currency",
                   [&](uint8_t* p, const FieldDesc& f) { writeCurrency(p, f, tenThousandths); });
}

Status Table::setNull(int field) {
    if (Status r = checkWritable(field); !r.ok()) return r;
    const FieldDesc& f = rec_.user(field);
    if (!rec_.nullable(field)) return fail(kTypeMismatch, "field " + f.name + " cannot hold NULL");
    uint8_t* p = rec_.data() + f.offset;
    if (f.type == 'V' || f.type == 'Q') {
        std::memset(p, 0, f.length);
        rec_.setVarLength(field, false);
    } else {
        writeBlank(p, f);
    }
    rec_.setNull(field, true);
    return Status();
}

// A value written into an autoincrementing field by hand (a record copied
// from another table keeps its number) moves the descriptor's next value
// past it, so that later appends do not hand the same number out again.
Status Table::keepAutoIncrementAbove(int field, int32_t value) {
    if (layout_.header.autoIncrements.empty()) return Status();
    int index = -1;
    for (size_t i = 0, u = 0; i < layout_.header.fields.size(); ++i) {
        if (layout_.header.fields[i].flags & kFieldSystem) continue;
        if (int(u++) == field) index = int(i);
    }
    for (DbfHeader::AutoIncrement& a : layout_.header.autoIncrements) {
        if (a.field != index || value < a.next) continue;
        bool taken = false;
        if (shared_)
            if (Status r = lockAppend(&taken); !r.ok()) return r;
        uint64_t at = kDbfHeaderBytes + uint64_t(kDbfDescriptorBytes) * uint32_t(a.field) +
                      kDbfAutoNextOffset;
        uint8_t b[4];
        Status r;
        if (shared_) {
            auto got = dbf_.read(at, b, 4);
            if (!got.ok())
                r = Status::ioError(got.status());
            else if (got.value() == 4)
                a.next = int32_t(getU32le(b));
        }
        if (r.ok() && value >= a.next && int64_t(value) + a.step <= INT32_MAX) {
            a.next = value + a.step;
            putU32le(b, uint32_t(a.next));
            os::Status s = dbf_.write(at, b, 4);
            if (!s.ok()) r = Status::ioError(s);
        }
        unlockAppend(taken);
        return r;
    }
    return Status();
}

Status Table::setLogical(int field, bool value) {
    return writeAs(field, 'L', "logical",
                   [&](uint8_t* p, const FieldDesc& f) { writeLogical(p, f, value); });
}

Status Table::setJulian(int field, int32_t julian) {
    return setDateTime(field, julian, 0);
}

Status Table::setDateTime(int field, int32_t julian, int32_t millis) {
    if (Status r = checkWritable(field); !r.ok()) return r;
    const FieldDesc& f = rec_.user(field);
    if (f.type != 'D' && f.type != 'T')
        return fail(kTypeMismatch, "field " + f.name + " is not a date");
    if (millis < 0 || millis >= 86400000) return fail(kInvalidArgument, "time of day out of range");
    writeDateTime(rec_.data() + f.offset, f, julian, millis);
    rec_.setNull(field, false);
    return Status();
}

Status Table::append() {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (Status r = commit(); !r.ok()) return r;
    uint32_t recno = 0;
    if (shared_) {
        bool taken = false;
        if (Status r = lockAppend(&taken); !r.ok()) return r;
        Status r = rereadCount();
        if (r.ok()) {
            rec_.clear();
            recno = count_ + 1;
            r = assignAutoIncrements();
        }
        if (r.ok()) {
            r = writeRecordBytes(recno, rec_.data());
            if (r.ok()) {
                count_ = recno;
                r = writeCount();
            }
        }
        unlockAppend(taken);
        if (!r.ok()) return r;
    } else {
        if (appendBuf_.size() >= (size_t(1) << 20))
            if (Status r = flushAppends(); !r.ok()) return r;
        rec_.clear();
        if (!layout_.header.autoIncrements.empty())
            if (Status r = assignAutoIncrements(); !r.ok()) return r;
        recno = count_ + 1;
        if (appendBuf_.empty()) appendFirst_ = recno;
        appendBuf_.insert(appendBuf_.end(), rec_.data(), rec_.data() + rec_.size());
        count_ = recno;
        headerDirty_ = true;
    }
    rec_.setRecordNumber(recno);
    eof_ = bof_ = false;
    isNew_ = dirty_ = true;
    indexNotified_ = false;
    return Status();
}

// Autoincrementing integer fields take the descriptor's next value, and the
// descriptor moves on by its step before the record is written: a crash can
// leave a gap in the numbers, never a number handed out twice. Shared tables
// read the descriptor from disk (append holds the header lock).
Status Table::assignAutoIncrements() {
    for (DbfHeader::AutoIncrement& a : layout_.header.autoIncrements) {
        uint64_t at = kDbfHeaderBytes + uint64_t(kDbfDescriptorBytes) * uint32_t(a.field) +
                      kDbfAutoNextOffset;
        uint8_t b[4];
        if (shared_) {
            auto got = dbf_.read(at, b, 4);
            if (!got.ok()) return Status::ioError(got.status());
            if (got.value() == 4) a.next = int32_t(getU32le(b));
        }
        const FieldDesc& f = layout_.header.fields[size_t(a.field)];
        putU32le(rec_.data() + f.offset, uint32_t(a.next));
        if (int64_t(a.next) + a.step > INT32_MAX)
            return fail(kLimitExceeded, "autoincrement field " + f.name + " has no numbers left");
        a.next += a.step;
        putU32le(b, uint32_t(a.next));
        os::Status s = dbf_.write(at, b, 4);
        if (!s.ok()) return Status::ioError(s);
    }
    return Status();
}

Status Table::setDeleted(bool deleted) {
    if (Status r = beginChange(); !r.ok()) return r;
    // afterWrite at commit sees the new flag (tags that read DELETED()).
    rec_.data()[0] = deleted ? '*' : ' ';
    return Status();
}

Status Table::flush() {
    if (readOnly_ || !dbf_.isOpen()) return Status();
    if (Status r = commit(); !r.ok()) return r;
    if (Status r = writeBack(); !r.ok()) return r;
    if (Status r = flushAppends(); !r.ok()) return r;
    if (Status r = indexes_->flush(); !r.ok()) return r;
    if (headerDirty_)
        if (Status r = writeCount(); !r.ok()) return r;
    if (Status r = memo_.flush(); !r.ok()) return memoFail(r);
    os::Status s = dbf_.flush();
    return s.ok() ? Status() : Status::ioError(s);
}

}  // namespace engine
