// Table: navigation in natural or index order, skipping records that the
// DELETED setting hides, and seeks.
#include "engine/table.h"

namespace engine {

bool Table::visible(const DbfRecord& r) const {
    return !(tableSettings().hideDeleted && r.deleted());
}

// Makes `recno` current (0 or beyond the count: the phantom record).
Status Table::moveTo(uint32_t recno) {
    if (Status r = commit(); !r.ok()) return r;
    if (recno == 0 || recno > count_) {
        setPhantom();
        return Status();
    }
    if (Status r = loadRecord(recno, &rec_); !r.ok()) {
        setPhantom();
        return r;
    }
    eof_ = false;
    return Status();
}

Status Table::stepNatural(int dir, bool* moved) {
    uint32_t cur = rec_.recordNumber();
    *moved = false;
    if (dir > 0 && cur >= count_ && shared_)
        if (Status r = rereadCount(); !r.ok()) return r;  // another process may have appended
    if (dir > 0 ? cur >= count_ : cur <= 1) return Status();
    *moved = true;
    return moveTo(dir > 0 ? cur + 1 : cur - 1);
}

Status Table::stepOrdered(int dir, bool* moved) {
    uint32_t next = 0;
    if (Status r = indexes_->skip(rec_, dir, &next); !r.ok()) return r;
    *moved = next != 0;
    return next != 0 ? moveTo(next) : Status();
}

// From the current record, forward to the first visible one (or the phantom).
Status Table::settleForward() {
    bool ordered = indexes_->currentOrder() != 0;
    while (!eof_ && !visible(rec_)) {
        bool moved = false;
        Status r = ordered ? stepOrdered(1, &moved) : stepNatural(1, &moved);
        if (!r.ok()) return r;
        if (!moved) return moveTo(0);
    }
    return Status();
}

// Backward to the first visible record; *none when there is none before.
Status Table::settleBackward() {
    bool ordered = indexes_->currentOrder() != 0;
    while (!eof_ && !visible(rec_)) {
        bool moved = false;
        Status r = ordered ? stepOrdered(-1, &moved) : stepNatural(-1, &moved);
        if (!r.ok()) return r;
        if (!moved) return moveTo(0);
    }
    return Status();
}

// Shared: another process may have changed the index files; positioning
// calls start from what is on disk (a cheap header check when nothing changed).
Status Table::syncIndexes() {
    if (indexes_->currentOrder() == 0) return Status();
    return refreshOrders();
}

Status Table::refreshOrders() {
    if (!shared_) return Status();
    Status r = indexes_->sync();
    return r;
}

Status Table::keyCount(uint32_t* n) {
    if (indexes_->currentOrder() == 0) return count(n);
    if (Status r = commit(); !r.ok()) return r;
    if (Status r = syncIndexes(); !r.ok()) return r;
    Status r = indexes_->keyCount(n);
    return r;
}

Status Table::goTop() {
    if (Status r = commit(); !r.ok()) return r;
    if (Status r = rereadCount(); !r.ok()) return r;
    if (Status r = syncIndexes(); !r.ok()) return r;
    uint32_t first = count_ > 0 ? 1 : 0;
    if (indexes_->currentOrder() != 0)
        if (Status r = indexes_->top(&first); !r.ok()) return r;
    if (Status r = moveTo(first); !r.ok()) return r;
    Status r = settleForward();
    bof_ = eof_;
    found_ = false;
    return r;
}

Status Table::goBottom() {
    if (Status r = commit(); !r.ok()) return r;
    if (Status r = rereadCount(); !r.ok()) return r;
    if (Status r = syncIndexes(); !r.ok()) return r;
    uint32_t last = count_;
    if (indexes_->currentOrder() != 0)
        if (Status r = indexes_->bottom(&last); !r.ok()) return r;
    if (Status r = moveTo(last); !r.ok()) return r;
    Status r = settleBackward();
    bof_ = eof_;
    found_ = false;
    return r;
}

Status Table::skip(int64_t n) {
    if (Status r = commit(); !r.ok()) return r;
    found_ = false;
    if (n == 0) return refresh();
    bool ordered = indexes_->currentOrder() != 0;
    bof_ = false;
    if (n < 0 && eof_) {
        // Back from the end: the last visible record is one step.
        if (Status r = goBottom(); !r.ok()) return r;
        bof_ = eof_;
        if (eof_) return Status();
        ++n;
    }
    int dir = n > 0 ? 1 : -1;
    for (int64_t left = n > 0 ? n : -n; left > 0; --left) {
        if (dir > 0 && eof_) return fail(kAtEof, "at end of file");
        uint32_t from = rec_.recordNumber();
        bool moved = true;
        do {
            Status r = ordered ? stepOrdered(dir, &moved) : stepNatural(dir, &moved);
            if (!r.ok()) return r;
        } while (moved && !visible(rec_));
        if (!moved && dir > 0) {
            if (Status r = moveTo(0); !r.ok()) return r;
            return fail(kAtEof, "at end of file");
        }
        if (!moved) {
            // Before the first visible record: stay on it, flag the start.
            if (Status r = moveTo(from); !r.ok()) return r;
            if (!visible(rec_))
                if (Status r = goTop(); !r.ok()) return r;
            bof_ = true;
            return Status();
        }
    }
    return Status();
}

Status Table::gotoRecord(uint32_t recno) {
    if (Status r = commit(); !r.ok()) return r;
    if (recno > count_ || recno == 0)
        if (Status r = rereadCount(); !r.ok()) return r;
    bof_ = found_ = false;
    return moveTo(recno);
}

Status Table::refresh() {
    if (Status r = commit(); !r.ok()) return r;
    if (eof_) {
        if (Status r = rereadCount(); !r.ok()) return r;
        rec_.setRecordNumber(count_ + 1);
        return Status();
    }
    if (Status r = writeBack(); !r.ok()) return r;
    cacheCount_ = 0;
    return loadRecord(rec_.recordNumber(), &rec_);
}

Status Table::seek(std::string_view key, int keyType, bool soft, bool last, bool* isFound) {
    if (Status r = commit(); !r.ok()) return r;
    *isFound = found_ = false;
    bof_ = false;
    if (indexes_->currentOrder() == 0) return fail(kNoOrder, "seek without a controlling order");
    if (Status r = rereadCount(); !r.ok()) return r;
    if (Status r = syncIndexes(); !r.ok()) return r;
    uint32_t recno = 0;
    bool hit = false;
    auto visibleAt = [this](uint32_t n, bool* isVisible) {
        Status r = moveTo(n);
        *isVisible = r.ok() && !eof_ && visible(rec_);
        return r;
    };
    const bool hides = tableSettings().hideDeleted;
    if (Status r = indexes_->seek(key, keyType, soft, last, tableSettings().exact,
                                  hides ? IndexSet::Visibility(visibleAt) : nullptr, &recno, &hit);
        !r.ok())
        return r;
    if (Status r = moveTo(recno); !r.ok()) return r;
    if (!eof_ && !visible(rec_)) {
        hit = false;
        if (Status r = settleForward(); !r.ok()) return r;
        if (!soft)
            if (Status r = moveTo(0); !r.ok()) return r;
    }
    *isFound = found_ = hit && !eof_;
    return Status();
}

}  // namespace engine
