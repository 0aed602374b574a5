// Table: record, table and append locks as single-byte OS range locks on
// the DBF (offsets in table.h). Only shared tables take OS locks; an
// exclusive open already keeps every other process out.
#include "engine/table.h"
#include "os/clock.h"

namespace engine {
namespace {

// Another process holds the header lock only while it appends or writes a
// memo or index pages (which includes a flush to disk): wait that long.
constexpr uint32_t kAppendLockWaitMs = 3000;

}  // namespace

// How many records a table of this layout could ever hold below 2 GB: the
// table lock covers all their lock bytes, so it also keeps out appends.
uint64_t Table::maxRecords() const {
    uint64_t room = (uint64_t(1) << 31) - layout_.header.headerBytes - 2;
    return room / (uint64_t(layout_.header.recordBytes) + 1);
}

Status Table::lockRecord(uint32_t recno) {
    if (recno == 0) return fail(kInvalidArgument, "record number 0");
    if (recordLocks_.count(recno)) return Status();
    if (!shared_ || tableLocked_) {
        recordLocks_.insert(recno);
        return Status();
    }
    os::Status s = dbf_.lock(kHeaderLockOffset - recno, 1);
    if (!s.ok())
        return fail(kLocked, "record " + std::to_string(recno) + " is locked by another user");
    recordLocks_.insert(recno);
    if (Status r = indexes_->sync(); !r.ok()) return r;
    // What we read before holding the lock may be stale.
    if (recno == rec_.recordNumber() && !dirty_ && !eof_) return refresh();
    return Status();
}

Status Table::unlockRecord(uint32_t recno) {
    if (!recordLocks_.count(recno))
        return fail(kRecordNotLocked, "record " + std::to_string(recno) + " was not locked");
    if (recno == rec_.recordNumber())
        if (Status r = commit(); !r.ok()) return r;
    recordLocks_.erase(recno);
    if (!shared_ || tableLocked_) return Status();
    os::Status s = dbf_.unlock(kHeaderLockOffset - recno, 1);
    return s.ok() ? Status() : Status::fromOs(s);
}

// The table lock covers the header byte and every record's byte, less the
// bytes of record locks this handle already holds (a handle cannot lock
// over its own ranges); those stay held, so the whole range is ours.
Status Table::lockTable() {
    if (tableLocked_) return Status();
    if (!shared_) {
        tableLocked_ = true;
        return Status();
    }
    uint64_t low = kHeaderLockOffset - maxRecords();
    uint64_t high = kHeaderLockOffset + 1;  // exclusive end
    std::vector<std::pair<uint64_t, uint64_t>> pieces;
    uint64_t start = low;
    for (auto it = recordLocks_.rbegin(); it != recordLocks_.rend(); ++it) {
        uint64_t byte = kHeaderLockOffset - *it;  // ascending offsets
        if (byte < start) continue;
        if (byte > start) pieces.push_back({start, byte - start});
        start = byte + 1;
    }
    if (start < high) pieces.push_back({start, high - start});
    for (size_t i = 0; i < pieces.size(); ++i) {
        os::Status s = dbf_.lock(pieces[i].first, pieces[i].second);
        if (!s.ok()) {
            for (size_t k = 0; k < i; ++k) (void)dbf_.unlock(pieces[k].first, pieces[k].second);
            return fail(kLocked, "table is locked or in use by another user");
        }
    }
    tablePieces_ = std::move(pieces);
    tableLocked_ = true;
    if (Status r = indexes_->sync(); !r.ok()) return r;
    if (Status r = rereadCount(); !r.ok()) return r;
    if (!dirty_ && !eof_) return refresh();
    return Status();
}

Status Table::unlockTable() {
    if (Status r = commit(); !r.ok()) return r;
    bool had = tableLocked_;
    releaseAllLocks();
    return had ? Status() : fail(kTableNotLocked, "table was not locked");
}

void Table::releaseAllLocks() {
    if (shared_ && dbf_.isOpen()) {
        for (auto& p : tablePieces_) (void)dbf_.unlock(p.first, p.second);
        // Record locks taken under the table lock hold no OS range; unlocking
        // those fails harmlessly with "not locked".
        for (uint32_t recno : recordLocks_) (void)dbf_.unlock(kHeaderLockOffset - recno, 1);
    }
    tablePieces_.clear();
    recordLocks_.clear();
    tableLocked_ = false;
}

Status Table::lockAppend(bool* taken) {
    *taken = false;
    if (tableLocked_) return Status();
    uint64_t start = os::monotonicMs();
    for (;;) {
        os::Status s = dbf_.lock(kHeaderLockOffset, 1);
        if (s.ok()) break;
        if (os::monotonicMs() - start >= kAppendLockWaitMs)
            return fail(kLocked, "cannot append: table is locked by another user");
        os::sleepMs(10);
    }
    *taken = true;
    if (Status r = indexes_->sync(); !r.ok()) {
        unlockAppend(true);
        *taken = false;
        return r;
    }
    return Status();
}

void Table::unlockAppend(bool taken) {
    if (taken) (void)dbf_.unlock(kHeaderLockOffset, 1);
}

}  // namespace engine
