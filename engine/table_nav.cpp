// Table: navigation in natural or index order, skipping records that the
// DELETED setting hides, and seeks.
#include "engine/table.h"

namespace engine {

bool Table::visible(const DbfRecord& r) const {
    return !(tableSettings().hideDeleted && r.deleted());
}

// Makes `recno` current (0 or beyond the count: the phantom record).
Result Table::moveTo(uint32_t recno) {
    if (Result r = commit()) return r;
    if (recno == 0 || recno > count_) {
        setPhantom();
        return kOk;
    }
    if (Result r = loadRecord(recno, &rec_)) {
        setPhantom();
        return r;
    }
    eof_ = false;
    return kOk;
}

Result Table::stepNatural(int dir, bool* moved) {
    uint32_t cur = rec_.recordNumber();
    *moved = false;
    if (dir > 0 && cur >= count_ && shared_)
        if (Result r = rereadCount()) return r;  // another process may have appended
    if (dir > 0 ? cur >= count_ : cur <= 1) return kOk;
    *moved = true;
    return moveTo(dir > 0 ? cur + 1 : cur - 1);
}

Result Table::stepOrdered(int dir, bool* moved) {
    uint32_t next = 0;
    if (Result r = indexes_->skip(rec_, dir, &next)) return indexFail(r);
    *moved = next != 0;
    return next != 0 ? moveTo(next) : kOk;
}

// From the current record, forward to the first visible one (or the phantom).
Result Table::settleForward() {
    bool ordered = indexes_->currentOrder() != 0;
    while (!eof_ && !visible(rec_)) {
        bool moved = false;
        Result r = ordered ? stepOrdered(1, &moved) : stepNatural(1, &moved);
        if (r != kOk) return r;
        if (!moved) return moveTo(0);
    }
    return kOk;
}

// Backward to the first visible record; *none when there is none before.
Result Table::settleBackward() {
    bool ordered = indexes_->currentOrder() != 0;
    while (!eof_ && !visible(rec_)) {
        bool moved = false;
        Result r = ordered ? stepOrdered(-1, &moved) : stepNatural(-1, &moved);
        if (r != kOk) return r;
        if (!moved) return moveTo(0);
    }
    return kOk;
}

// Shared: another process may have changed the index files; positioning
// calls start from what is on disk (a cheap header check when nothing changed).
Result Table::syncIndexes() {
    if (indexes_->currentOrder() == 0) return kOk;
    return refreshOrders();
}

Result Table::refreshOrders() {
    if (!shared_) return kOk;
    Result r = indexes_->sync();
    return r == kOk ? kOk : indexFail(r);
}

Result Table::keyCount(uint32_t* n) {
    if (indexes_->currentOrder() == 0) return count(n);
    if (Result r = commit()) return r;
    if (Result r = syncIndexes()) return r;
    Result r = indexes_->keyCount(n);
    return r == kOk ? kOk : indexFail(r);
}

Result Table::goTop() {
    if (Result r = commit()) return r;
    if (Result r = rereadCount()) return r;
    if (Result r = syncIndexes()) return r;
    uint32_t first = count_ > 0 ? 1 : 0;
    if (indexes_->currentOrder() != 0)
        if (Result r = indexes_->top(&first)) return indexFail(r);
    if (Result r = moveTo(first)) return r;
    Result r = settleForward();
    bof_ = eof_;
    found_ = false;
    return r;
}

Result Table::goBottom() {
    if (Result r = commit()) return r;
    if (Result r = rereadCount()) return r;
    if (Result r = syncIndexes()) return r;
    uint32_t last = count_;
    if (indexes_->currentOrder() != 0)
        if (Result r = indexes_->bottom(&last)) return indexFail(r);
    if (Result r = moveTo(last)) return r;
    Result r = settleBackward();
    bof_ = eof_;
    found_ = false;
    return r;
}

Result Table::skip(int64_t n) {
    if (Result r = commit()) return r;
    found_ = false;
    if (n == 0) return refresh();
    bool ordered = indexes_->currentOrder() != 0;
    bof_ = false;
    if (n < 0 && eof_) {
        // Back from the end: the last visible record is one step.
        if (Result r = goBottom()) return r;
        bof_ = eof_;
        if (eof_) return kOk;
        ++n;
    }
    int dir = n > 0 ? 1 : -1;
    for (int64_t left = n > 0 ? n : -n; left > 0; --left) {
        if (dir > 0 && eof_) return fail(kAtEof, "at end of file");
        uint32_t from = rec_.recordNumber();
        bool moved = true;
        do {
            Result r = ordered ? stepOrdered(dir, &moved) : stepNatural(dir, &moved);
            if (r != kOk) return r;
        } while (moved && !visible(rec_));
        if (!moved && dir > 0) {
            moveTo(0);
            return kAtEof;
        }
        if (!moved) {
            // Before the first visible record: stay on it, flag the start.
            if (Result r = moveTo(from)) return r;
            if (!visible(rec_))
                if (Result r = goTop()) return r;
            bof_ = true;
            return kOk;
        }
    }
    return kOk;
}

Result Table::gotoRecord(uint32_t recno) {
    if (Result r = commit()) return r;
    if (recno > count_ || recno == 0)
        if (Result r = rereadCount()) return r;
    bof_ = found_ = false;
    return moveTo(recno);
}

Result Table::refresh() {
    if (Result r = commit()) return r;
    if (eof_) {
        if (Result r = rereadCount()) return r;
        rec_.setRecordNumber(count_ + 1);
        return kOk;
    }
    cacheCount_ = 0;
    return loadRecord(rec_.recordNumber(), &rec_);
}

Result Table::seek(std::string_view key, int keyType, bool soft, bool last, bool* isFound) {
    if (Result r = commit()) return r;
    *isFound = found_ = false;
    bof_ = false;
    if (indexes_->currentOrder() == 0) return fail(kNoOrder, "seek without a controlling order");
    if (Result r = rereadCount()) return r;
    if (Result r = syncIndexes()) return r;
    uint32_t recno = 0;
    bool hit = false;
    if (Result r = indexes_->seek(key, keyType, soft, last, tableSettings().exact, &recno, &hit))
        return indexFail(r);
    if (Result r = moveTo(recno)) return r;
    if (!eof_ && !visible(rec_)) {
        hit = false;
        if (Result r = settleForward()) return r;
        if (!soft) moveTo(0);
    }
    *isFound = found_ = hit && !eof_;
    return kOk;
}

}  // namespace engine
