// Table: zap, pack and the index operations that involve the whole table.
#include <algorithm>
#include <cstring>

#include "engine/dbf_field.h"
#include "engine/table.h"

namespace engine {
namespace {

constexpr size_t kPackChunkBytes = 1 << 20;

}  // namespace

// Order: the count becomes 0 first (the table reads as empty from then on),
// then the file shrinks, then the memo file and the index tags are emptied.
Status Table::zap() {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (shared_) return fail(kExclusiveRequired, "zap needs the table open exclusive");
    dirty_ = isNew_ = indexNotified_ = false;
    appendBuf_.clear();
    appendFirst_ = 0;
    cacheCount_ = 0;
    dirtyFirst_ = dirtyLast_ = 0;  // changes to records that are about to go
    count_ = 0;
    if (Status r = writeCount(); !r.ok()) return r;
    uint64_t keep = layout_.header.headerBytes;
    os::Status s = dbf_.truncate(keep);
    if (!s.ok()) return Status::ioError(s);
    const uint8_t eofMark = kDbfEof;
    s = dbf_.write(keep, &eofMark, 1);
    if (!s.ok()) return Status::ioError(s);
    fileBytes_ = keep + 1;
    if (memo_.isOpen())
        if (Status r = memo_.zap(); !r.ok()) return memoFail(r);
    if (Status r = indexes_->onZap(); !r.ok()) return r;
    indexes_->beginBulk();  // a refill follows: its keys are built in one go
    return goTop();
}

// Moves the live records down over the deleted ones in place (each write
// lands at or before the bytes already read), then writes the new count and
// cuts the file. A crash midway leaves a readable table with the old count.
Status Table::pack() {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (shared_) return fail(kExclusiveRequired, "pack needs the table open exclusive");
    if (Status r = commit(); !r.ok()) return r;
    if (Status r = writeBack(); !r.ok()) return r;
    if (Status r = flushAppends(); !r.ok()) return r;
    cacheCount_ = 0;
    const size_t rb = layout_.header.recordBytes;
    const uint64_t base = layout_.header.headerBytes;
    size_t perChunk = std::max<size_t>(1, kPackChunkBytes / rb);
    std::vector<uint8_t> buf(perChunk * rb);
    uint32_t write = 1;
    for (uint32_t read = 1; read <= count_;) {
        uint32_t n = uint32_t(std::min<uint64_t>(perChunk, count_ - read + 1));
        auto got = dbf_.read(base + uint64_t(read - 1) * rb, buf.data(), size_t(n) * rb);
        if (!got.ok()) return Status::ioError(got.status());
        if (got.value() != size_t(n) * rb)
            return fail(kCorruptTable, "table shorter than its count");
        size_t out = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t* r = buf.data() + size_t(i) * rb;
            if (r[0] == '*') continue;
            if (out != i) std::memmove(buf.data() + out * rb, r, rb);
            ++out;
        }
        if (out > 0 && (write != read || out != n)) {
            os::Status s = dbf_.write(base + uint64_t(write - 1) * rb, buf.data(), out * rb);
            if (!s.ok()) return Status::ioError(s);
        }
        write += uint32_t(out);
        read += n;
    }
    count_ = write - 1;
    if (Status r = writeCount(); !r.ok()) return r;
    uint64_t end = base + uint64_t(count_) * rb;
    os::Status s = dbf_.truncate(end);
    if (!s.ok()) return Status::ioError(s);
    const uint8_t eofMark = kDbfEof;
    s = dbf_.write(end, &eofMark, 1);
    if (!s.ok()) return Status::ioError(s);
    fileBytes_ = end + 1;
    if (Status r = compactMemos(); !r.ok()) return r;
    if (indexes_->orderCount() > 0)
        if (Status r = indexes_->rebuildAll(*this, IndexBuildProgress()); !r.ok()) return r;
    return goTop();
}

// Calls `visit` with the records in chunks, in order, writing each chunk
// back when `visit` says it changed it.
Status Table::forEachRecordChunk(const std::function<bool(uint8_t* records, uint32_t n)>& visit) {
    const size_t rb = layout_.header.recordBytes;
    const uint64_t base = layout_.header.headerBytes;
    size_t perChunk = std::max<size_t>(1, kPackChunkBytes / rb);
    std::vector<uint8_t> buf(perChunk * rb);
    for (uint32_t first = 1; first <= count_;) {
        uint32_t n = uint32_t(std::min<uint64_t>(perChunk, count_ - first + 1));
        uint64_t at = base + uint64_t(first - 1) * rb;
        auto got = dbf_.read(at, buf.data(), size_t(n) * rb);
        if (!got.ok()) return Status::ioError(got.status());
        if (got.value() != size_t(n) * rb)
            return fail(kCorruptTable, "table shorter than its count");
        if (visit(buf.data(), n)) {
            os::Status s = dbf_.write(at, buf.data(), size_t(n) * rb);
            if (!s.ok()) return Status::ioError(s);
        }
        first += n;
    }
    return Status();
}

// Points every memo field that holds a key of `moves` at its value, then
// flushes the table.
Status Table::movePointers(const std::map<uint32_t, uint32_t>& moves) {
    const size_t rb = layout_.header.recordBytes;
    Status r = forEachRecordChunk([&](uint8_t* records, uint32_t n) {
        bool changed = false;
        for (uint32_t i = 0; i < n; ++i)
            for (const FieldDesc& f : layout_.user) {
                if (!isMemoType(f.type)) continue;
                uint8_t* p = records + size_t(i) * rb + f.offset;
                auto it = moves.find(readMemoBlock(p, f));
                if (it == moves.end()) continue;
                writeMemoBlock(p, f, it->second);
                changed = true;
            }
        return changed;
    });
    if (!r.ok()) return r;
    os::Status s = dbf_.flush();
    return s.ok() ? Status() : Status::ioError(s);
}

// After a pack the memo file keeps the items of removed records and the
// old copies of rewritten memos. The live items are moved down to follow
// each other from the first block, and the file is cut after them.
//
// No live memo is ever unreachable, whenever the program stops: the items
// that must move are first copied past the end of the file and the records
// pointed at the copies (the old places are then free), then copied to
// their final places and the records pointed there; the header's next free
// block covers every copy before any record points at it. A memo file that
// is damaged (an item outside the file, two items overlapping) is left as
// it is: the records are packed, the memo file keeps its size.
Status Table::compactMemos() {
    if (!memo_.isOpen() || memo_.isDbt()) return Status();
    const size_t rb = layout_.header.recordBytes;
    const uint32_t firstFree = memo_.firstBlock();
    std::map<uint32_t, uint32_t> items;  // live item's block -> blocks it takes
    bool damaged = false;
    Status r = forEachRecordChunk([&](uint8_t* records, uint32_t n) {
        for (uint32_t i = 0; i < n && !damaged; ++i)
            for (const FieldDesc& f : layout_.user) {
                if (!isMemoType(f.type)) continue;
                uint32_t block = readMemoBlock(records + size_t(i) * rb + f.offset, f);
                // Pointers into the header are other writers' empty values: left alone.
                if (block < firstFree || items.count(block)) continue;
                uint32_t blocks = 0;
                if (memo_.itemBlocks(block, &blocks) != kOk) damaged = true;
                items[block] = blocks;
            }
        return false;
    });
    if (!r.ok()) return r;
    uint64_t end = firstFree;
    for (auto [block, blocks] : items) {
        if (block < end) damaged = true;  // overlaps the item before it
        end = uint64_t(block) + blocks;
    }
    if (damaged) return Status();
    // The items already in their final places stay.
    uint32_t target = firstFree;
    auto moving = items.begin();
    while (moving != items.end() && moving->first == target) target += (moving++)->second;
    uint32_t fileEnd = memo_.endBlock();
    std::map<uint32_t, uint32_t> away, back;
    uint32_t spare = fileEnd;
    for (auto it = moving; it != items.end(); ++it) {
        if (uint64_t(spare) + it->second > 0xFFFFFFFFu)
            return Status();  // no room to move: leave as is
        away[it->first] = spare;
        back[spare] = target;
        spare += it->second;
        target += it->second;
    }
    if (!away.empty()) {
        if (Status e = memo_.setNextFree(spare, false); !e.ok()) return memoFail(e);
        for (auto [from, to] : away)
            if (Status e = memo_.copyItem(from, to); !e.ok()) return memoFail(e);
        if (Status e = memo_.flush(); !e.ok()) return memoFail(e);
        if (Status e = movePointers(away); !e.ok()) return e;
        for (auto [from, to] : back)
            if (Status e = memo_.copyItem(from, to); !e.ok()) return memoFail(e);
        if (Status e = memo_.flush(); !e.ok()) return memoFail(e);
        if (Status e = movePointers(back); !e.ok()) return e;
    }
    if (target == fileEnd && memo_.endBlock() == target) return Status();
    if (Status e = memo_.setNextFree(target, true); !e.ok()) return memoFail(e);
    if (Status e = memo_.flush(); !e.ok()) return memoFail(e);
    return Status();
}

Status Table::createIndex(std::string_view bag, std::string_view tag, std::string_view key,
                          std::string_view forExpr, bool unique, bool descending,
                          const IndexBuildProgress& progress, int* order) {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (Status r = commit(); !r.ok()) return r;
    if (Status r = flushAppends(); !r.ok()) return r;
    if (Status r = rereadCount(); !r.ok()) return r;
    Status r =
        indexes_->createTag(bag, tag, key, forExpr, unique, descending, *this, progress, order);
    if (!r.ok()) return r;
    if (bag.empty() && !(layout_.header.flags & kDbfFlagCdx)) {
        // Announce the structural index in the header.
        layout_.header.flags |= kDbfFlagCdx;
        uint8_t flags = layout_.header.flags;
        os::Status s = dbf_.write(28, &flags, 1);
        if (!s.ok()) return Status::ioError(s);
    }
    return goTop();
}

Status Table::openIndex(std::string_view bag) {
    if (Status r = commit(); !r.ok()) return r;
    IndexOpenMode mode;
    mode.readOnly = readOnly_;
    mode.shared = shared_;
    Status r = indexes_->openBag(bag, rec_, count_, mode);
    return r;
}

Status Table::closeIndexes() {
    if (Status r = commit(); !r.ok()) return r;
    Status r = indexes_->closeAll();
    return r;
}

Status Table::setOrder(int order) {
    if (Status r = commit(); !r.ok()) return r;
    if (Status r = refreshOrders(); !r.ok()) return r;
    Status r = indexes_->setOrder(order);
    return r;
}

}  // namespace engine
