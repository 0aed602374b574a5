// Table: zap, pack and the index operations that involve the whole table.
#include <algorithm>
#include <cstring>

#include "engine/table.h"

namespace engine {
namespace {

constexpr size_t kPackChunkBytes = 1 << 20;

}  // namespace

// Order: the count becomes 0 first (the table reads as empty from then on),
// then the file shrinks, then the memo file and the index tags are emptied.
Result Table::zap() {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (shared_) return fail(kExclusiveRequired, "zap needs the table open exclusive");
    dirty_ = isNew_ = indexNotified_ = false;
    appendBuf_.clear();
    appendFirst_ = 0;
    cacheCount_ = 0;
    count_ = 0;
    if (Result r = writeCount()) return r;
    uint64_t keep = layout_.header.headerBytes;
    os::Status s = dbf_.truncate(keep);
    if (!s.ok()) return ioFail(s);
    const uint8_t eofMark = kDbfEof;
    s = dbf_.write(keep, &eofMark, 1);
    if (!s.ok()) return ioFail(s);
    fileBytes_ = keep + 1;
    std::string why;
    if (memo_.isOpen())
        if (Result r = memo_.zap(&why)) {
            why_ = why;
            return r;
        }
    if (Result r = indexes_->onZap()) return indexFail(r);
    return goTop();
}

// Moves the live records down over the deleted ones in place (each write
// lands at or before the bytes already read), then writes the new count and
// cuts the file. A crash midway leaves a readable table with the old count.
Result Table::pack() {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (shared_) return fail(kExclusiveRequired, "pack needs the table open exclusive");
    if (Result r = commit()) return r;
    if (Result r = flushAppends()) return r;
    cacheCount_ = 0;
    const size_t rb = layout_.header.recordBytes;
    const uint64_t base = layout_.header.headerBytes;
    size_t perChunk = std::max<size_t>(1, kPackChunkBytes / rb);
    std::vector<uint8_t> buf(perChunk * rb);
    uint32_t write = 1;
    for (uint32_t read = 1; read <= count_;) {
        uint32_t n = uint32_t(std::min<uint64_t>(perChunk, count_ - read + 1));
        auto got = dbf_.read(base + uint64_t(read - 1) * rb, buf.data(), size_t(n) * rb);
        if (!got.ok()) return ioFail(got.status());
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
            if (!s.ok()) return ioFail(s);
        }
        write += uint32_t(out);
        read += n;
    }
    count_ = write - 1;
    if (Result r = writeCount()) return r;
    uint64_t end = base + uint64_t(count_) * rb;
    os::Status s = dbf_.truncate(end);
    if (!s.ok()) return ioFail(s);
    const uint8_t eofMark = kDbfEof;
    s = dbf_.write(end, &eofMark, 1);
    if (!s.ok()) return ioFail(s);
    fileBytes_ = end + 1;
    if (indexes_->orderCount() > 0)
        if (Result r = indexes_->rebuildAll(*this, IndexBuildProgress())) return indexFail(r);
    return goTop();
}

Result Table::createIndex(std::string_view bag, std::string_view tag, std::string_view key,
                          std::string_view forExpr, bool unique, bool descending,
                          const IndexBuildProgress& progress, int* order) {
    if (readOnly_) return fail(kReadOnly, "table is open read-only");
    if (Result r = commit()) return r;
    if (Result r = flushAppends()) return r;
    if (Result r = rereadCount()) return r;
    Result r =
        indexes_->createTag(bag, tag, key, forExpr, unique, descending, *this, progress, order);
    if (r != kOk) return indexFail(r);
    if (bag.empty() && !(layout_.header.flags & kDbfFlagCdx)) {
        // Announce the structural index in the header.
        layout_.header.flags |= kDbfFlagCdx;
        uint8_t flags = layout_.header.flags;
        os::Status s = dbf_.write(28, &flags, 1);
        if (!s.ok()) return ioFail(s);
    }
    return goTop();
}

Result Table::openIndex(std::string_view bag) {
    if (Result r = commit()) return r;
    IndexOpenMode mode;
    mode.readOnly = readOnly_;
    mode.shared = shared_;
    Result r = indexes_->openBag(bag, rec_, count_, mode);
    return r == kOk ? kOk : indexFail(r);
}

Result Table::closeIndexes() {
    if (Result r = commit()) return r;
    Result r = indexes_->closeAll();
    return r == kOk ? kOk : indexFail(r);
}

Result Table::setOrder(int order) {
    if (Result r = commit()) return r;
    Result r = indexes_->setOrder(order);
    return r == kOk ? kOk : indexFail(r);
}

}  // namespace engine
