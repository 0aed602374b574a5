// Table: record reads through the read-ahead block, record writes (kept in
// that block when the table is exclusive), the append buffer and the
// header's record count.
#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/status.h"
#include "engine/table.h"

namespace engine {
namespace {

// Records read ahead (and written back) in one file call, exclusive tables:
// a large block while the reads go forward record after record, a small one
// after a jump (a seek, a go to), so that random access does not pay for
// records it will not read.
constexpr size_t kReadAheadBytes = 256 * 1024;
constexpr size_t kJumpReadBytes = 8 * 1024;

}  // namespace

Status Table::loadRecord(uint32_t recno, DbfRecord* into) {
    const size_t rb = layout_.header.recordBytes;
    into->setRecordNumber(recno);
    if (shared_) {
        uint64_t offset = layout_.header.headerBytes + uint64_t(recno - 1) * rb;
        auto got = dbf_.read(offset, into->data(), rb);
        if (!got.ok()) return Status::ioError(got.status());
        if (got.value() != rb)
            return fail(kCorruptTable, "record " + std::to_string(recno) + " beyond end of file");
        return Status();
    }
    const uint8_t* bytes = nullptr;
    if (Status r = recordBytes(recno, &bytes); !r.ok()) return r;
    std::memcpy(into->data(), bytes, rb);
    return Status();
}

Status Table::readAhead(uint32_t recno, const uint8_t** bytes) {
    const size_t rb = layout_.header.recordBytes;
    if (Status r = writeBack(); !r.ok()) return r;
    uint64_t offset = layout_.header.headerBytes + uint64_t(recno - 1) * rb;
    uint32_t lastOnDisk = appendFirst_ != 0 ? appendFirst_ - 1 : count_;
    bool onwards = cacheCount_ == 0 || recno == cacheFirst_ + cacheCount_;
    uint32_t n = uint32_t(std::max<size_t>(1, (onwards ? kReadAheadBytes : kJumpReadBytes) / rb));
    n = std::min<uint32_t>(n, lastOnDisk - recno + 1);
    cache_.resize(size_t(n) * rb);
    cacheCount_ = 0;
    auto got = dbf_.read(offset, cache_.data(), cache_.size());
    if (!got.ok()) return Status::ioError(got.status());
    if (got.value() < rb)
        return fail(kCorruptTable, "record " + std::to_string(recno) + " beyond end of file");
    cacheFirst_ = recno;
    cacheCount_ = uint32_t(got.value() / rb);
    *bytes = cache_.data();
    return Status();
}

Status Table::writeRecordBytes(uint32_t recno, const uint8_t* bytes) {
    const size_t rb = layout_.header.recordBytes;
    if (appendFirst_ != 0 && recno >= appendFirst_ && recno <= count_) {
        std::memcpy(appendBuf_.data() + (recno - appendFirst_) * rb, bytes, rb);
        return Status();
    }
    if (!shared_ && recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_) {
        // Kept in the read-ahead block; the changed stretch is written back
        // in one piece when the block moves on, or at flush.
        std::memcpy(cache_.data() + (recno - cacheFirst_) * rb, bytes, rb);
        if (dirtyFirst_ == 0 || recno < dirtyFirst_) dirtyFirst_ = recno;
        if (recno > dirtyLast_) dirtyLast_ = recno;
        return Status();
    }
    if (Status r = memoFirst(); !r.ok()) return r;
    uint64_t offset = layout_.header.headerBytes + uint64_t(recno - 1) * rb;
    os::Status s;
    if (recno >= count_) {
        // The last record (or a new one): its end-of-file marker goes with it.
        std::vector<uint8_t> buf(bytes, bytes + rb);
        buf.push_back(kDbfEof);
        s = dbf_.write(offset, buf.data(), buf.size());
    } else {
        s = dbf_.write(offset, bytes, rb);
    }
    if (!s.ok()) return Status::ioError(s);
    if (offset + rb + 1 > fileBytes_) fileBytes_ = offset + rb + 1;
    if (recno >= cacheFirst_ && recno < cacheFirst_ + cacheCount_)
        std::memcpy(cache_.data() + (recno - cacheFirst_) * rb, bytes, rb);
    return Status();
}

// Writes the current record if it changed and brings the indexes up to date.
// Shared tables change their index files under the header lock, starting
// from what is on disk and writing everything before the lock is released,
// so that two processes never interleave page writes.
Status Table::commit() {
    if (!dirty_) return Status();
    bool indexed = indexes_->orderCount() > 0 && (isNew_ || indexNotified_);
    bool taken = false;
    if (shared_ && indexed)
        if (Status r = lockAppend(&taken); !r.ok())
            return r;  // still dirty: a later commit retries
    Status r = commitLocked();
    if (r.ok() && shared_ && indexed) {
        Status f = indexes_->flush();
        if (!f.ok()) r = f;
    }
    unlockAppend(taken);
    return r;
}

Status Table::commitLocked() {
    if (Status r = writeRecordBytes(rec_.recordNumber(), rec_.data()); !r.ok()) return r;
    dirty_ = false;
    if (isNew_) {
        isNew_ = false;
        if (Status r = indexes_->onAppend(rec_); !r.ok()) return r;
    } else if (indexNotified_) {
        indexNotified_ = false;
        if (Status r = indexes_->afterWrite(rec_); !r.ok()) return r;
    }
    return Status();
}

// Memo items go to disk before any record that may point at them.
Status Table::memoFirst() {
    return memo_.isOpen() ? memoFail(memo_.writeOut()) : Status();
}

// Writes the records changed in the read-ahead block, from the first
// changed to the last, in one call (the end marker with the last record).
Status Table::writeBack() {
    if (dirtyLast_ == 0) return Status();
    if (Status r = memoFirst(); !r.ok()) return r;
    const size_t rb = layout_.header.recordBytes;
    std::vector<uint8_t>& c = cache_;
    size_t from = size_t(dirtyFirst_ - cacheFirst_) * rb,
           to = size_t(dirtyLast_ - cacheFirst_ + 1) * rb;
    uint64_t offset = layout_.header.headerBytes + uint64_t(dirtyFirst_ - 1) * rb;
    bool last = dirtyLast_ >= count_;
    if (last) c.insert(c.begin() + std::ptrdiff_t(to), kDbfEof);
    os::Status s = dbf_.write(offset, c.data() + from, to - from + (last ? 1 : 0));
    if (last) c.erase(c.begin() + std::ptrdiff_t(to));
    if (!s.ok()) return Status::ioError(s);
    dbf_.startWriteBack(offset, to - from);
    dirtyFirst_ = dirtyLast_ = 0;
    return Status();
}

// Writes the buffered appended records in one piece, with the end marker.
Status Table::flushAppends() {
    if (appendBuf_.empty()) return Status();
    if (Status r = memoFirst(); !r.ok()) return r;
    const size_t rb = layout_.header.recordBytes;
    uint64_t offset = layout_.header.headerBytes + uint64_t(appendFirst_ - 1) * rb;
    appendBuf_.push_back(kDbfEof);
    os::Status s = dbf_.write(offset, appendBuf_.data(), appendBuf_.size());
    appendBuf_.pop_back();
    if (!s.ok()) return Status::ioError(s);
    // The disk starts on these records while the next ones are made, so
    // that the flush at close does not wait for all of them at once.
    dbf_.startWriteBack(offset, appendBuf_.size());
    fileBytes_ = std::max<uint64_t>(fileBytes_, offset + appendBuf_.size() + 1);
    appendBuf_.clear();
    appendFirst_ = 0;
    headerDirty_ = true;
    return Status();
}

// Date and record count, bytes 1..7 of the header. Callers write the
// records first, so the count never covers bytes that are not there.
Status Table::writeCount() {
    DbfHeader& h = layout_.header;
    stampDbfDate(&h);
    uint32_t onDisk = appendFirst_ != 0 ? appendFirst_ - 1 : count_;
    h.recordCount = onDisk;
    std::string bytes = encodeDbfCountBytes(h);
    os::Status s = dbf_.write(1, bytes.data(), bytes.size());
    if (!s.ok()) return Status::ioError(s);
    countOnDisk_ = onDisk;
    headerDirty_ = appendFirst_ != 0;
    return Status();
}

// Shared tables: another process may have appended or zapped.
Status Table::rereadCount() {
    if (!shared_) return Status();
    uint8_t b[4];
    auto got = dbf_.read(kDbfRecordCountOffset, b, 4);
    if (!got.ok()) return Status::ioError(got.status());
    if (got.value() != 4) return fail(kCorruptTable, "header truncated");
    uint32_t n = getU32le(b);
    auto size = dbf_.size();
    if (!size.ok()) return Status::ioError(size.status());
    fileBytes_ = size.value();
    uint64_t need = layout_.header.headerBytes + uint64_t(n) * layout_.header.recordBytes;
    if (need > fileBytes_)
        return fail(kCorruptTable, "record count " + std::to_string(n) + " beyond end of file");
    count_ = countOnDisk_ = n;
    layout_.header.recordCount = n;
    return Status();
}

Status Table::count(uint32_t* n) {
    Status r = rereadCount();
    *n = count_;
    return r;
}

void Table::setPhantom() {
    rec_.clear();
    rec_.setRecordNumber(count_ + 1);
    eof_ = true;
    dirty_ = isNew_ = indexNotified_ = false;
}

Status Table::readRecord(uint32_t recordNumber, const RecordView** view) {
    if (recordNumber == 0 || recordNumber > count_)
        return fail(kInvalidArgument, "record " + std::to_string(recordNumber) + " out of range");
    if (recordNumber == rec_.recordNumber() && dirty_) {
        *view = &rec_;
        return Status();
    }
    *view = &scan_;
    if (shared_) return loadRecord(recordNumber, &scan_);
    // Shown where the table keeps it, not copied: valid until the next read.
    const uint8_t* bytes = nullptr;
    Status r = recordBytes(recordNumber, &bytes);
    if (r.ok()) scan_.show(bytes, recordNumber);
    return r;
}

}  // namespace engine
