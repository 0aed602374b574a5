// Page I/O of a CDX file (see cdx_file.h).
#include "engine/cdx_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/busy.h"
#include "engine/cdx_page.h"
#include "engine/status.h"

namespace engine {

Status CdxFile::open(const std::string& path, bool readOnly, bool shared) {
    auto f = os::File::open(path, readOnly ? os::Access::Read : os::Access::ReadWrite,
                            shared ? os::Share::Shared : os::Share::Exclusive,
                            os::Disposition::OpenExisting);
    if (!f.ok()) return Status::fromOs(f.status());
    file_ = std::move(f.value());
    path_ = path;
    readOnly_ = readOnly;
    shared_ = shared;
    auto size = file_.size();
    if (!size.ok()) return Status::fromOs(size.status());
    sizeBytes_ = diskBytes_ = size.value();
    if (Status r = checkCdxFileSize(sizeBytes_); !r.ok())
        return Status::error(r.code(), path, r.message());
    uint8_t head[kCdxHeadBytes];
    auto n = file_.read(0, head, sizeof head);
    if (!n.ok()) return Status::fromOs(n.status());
    if (Status r = parseCdxFileHead(head, sizeBytes_, &freeHead_, &counter_); !r.ok())
        return Status::error(r.code(), path, r.message());
    return Status();
}

Status checkCdxFileSize(uint64_t sizeBytes) {
    if (sizeBytes < kCdxHeaderSize || sizeBytes > 0xFFFFFE00u)
        return Status(kCorruptIndex,
                      "not a compound index (size " + std::to_string(sizeBytes) + ")");
    return Status();
}

Status parseCdxFileHead(const uint8_t* head, uint64_t sizeBytes, uint32_t* freeHead,
                        uint32_t* counter) {
    *freeHead = getU32le(head + kCdxFreeListOffset);
    *counter = getU32be(head + kCdxCounterOffset);
    if (*freeHead == kCdxNone) *freeHead = 0;
    if (*freeHead != 0 &&
        (*freeHead % kCdxPageSize != 0 || *freeHead < kCdxHeaderSize || *freeHead >= sizeBytes))
        return Status(kCorruptIndex,
                      "free-page list head " + std::to_string(*freeHead) + " outside the file");
    return Status();
}

Status CdxFile::create(const std::string& path, bool shared) {
    auto f = os::File::open(path, os::Access::ReadWrite,
                            shared ? os::Share::Shared : os::Share::Exclusive,
                            os::Disposition::CreateAlways);
    if (!f.ok()) return Status::fromOs(f.status());
    file_ = std::move(f.value());
    path_ = path;
    readOnly_ = false;
    shared_ = shared;
    diskBytes_ = 0;
    sizeBytes_ = kCdxHeaderSize;
    freeHead_ = 0;
    counter_ = 0;
    Page zero{};
    pending_[0] = zero;
    pending_[kCdxPageSize] = zero;
    dirty_ = true;
    return Status();
}

void CdxFile::close() {
    file_.close();
    pending_.clear();
    readBlock_.clear();
}

Status CdxFile::readPage(uint32_t offset, uint8_t* page) {
    if (offset % kCdxPageSize != 0 || offset + uint64_t(kCdxPageSize) > sizeBytes_) {
        return Status(kCorruptIndex,
                      path_ + ": page " + std::to_string(offset) + " outside the file");
    }
    auto it = pending_.find(offset);
    if (it != pending_.end()) {
        std::memcpy(page, it->second.data(), kCdxPageSize);
        return Status();
    }
    if (!shared_) return readAhead(offset, page);
    auto n = file_.read(offset, page, kCdxPageSize);
    if (!n.ok()) return Status::ioError(n.status());
    if (n.value() < kCdxPageSize) std::memset(page + n.value(), 0, kCdxPageSize - n.value());
    return Status();
}

// Nobody else writes the file: the pages after the one asked for are read
// with it, since a walk over the leaves reads them next.
Status CdxFile::readAhead(uint32_t offset, uint8_t* page) {
    if (offset < readFrom_ || offset + uint64_t(kCdxPageSize) > readFrom_ + readBlock_.size()) {
        uint64_t n = std::min<uint64_t>(kReadAheadPages * kCdxPageSize,
                                        diskBytes_ > offset ? diskBytes_ - offset : 0);
        // What the file does not hold yet (pages allocated, never written) reads as zeros.
        readBlock_.assign(size_t(std::max<uint64_t>(n, kCdxPageSize)), 0);
        auto got = file_.read(offset, readBlock_.data(), readBlock_.size());
        if (!got.ok()) {
            readBlock_.clear();
            return Status::ioError(got.status());
        }
        readFrom_ = offset;
    }
    std::memcpy(page, readBlock_.data() + (offset - readFrom_), kCdxPageSize);
    return Status();
}

Status CdxFile::writePage(uint32_t offset, const uint8_t* page) {
    if (readOnly_) {
        return Status(kReadOnly, path_ + ": index opened read-only");
    }
    Page& p = pending_[offset];
    std::memcpy(p.data(), page, kCdxPageSize);
    dirty_ = true;
    if (pending_.size() > kMaxPending) return writeOut(false);
    return Status();
}

Status CdxFile::allocate(uint32_t* offset) {
    if (freeHead_ != 0) {
        uint8_t page[kCdxPageSize];
        Status r = readPage(freeHead_, page);
        if (!r.ok()) return r;
        uint32_t next = getU32le(page);
        if (next == kCdxNone) next = 0;
        if (next != 0 && (next % kCdxPageSize != 0 || next < kCdxHeaderSize || next >= sizeBytes_ ||
                          next == freeHead_)) {
            return Status(kCorruptIndex,
                          path_ + ": free-page list broken at " + std::to_string(freeHead_));
        }
        *offset = freeHead_;
        freeHead_ = next;
        dirty_ = true;
        return Status();
    }
    *offset = static_cast<uint32_t>(sizeBytes_);
    sizeBytes_ += kCdxPageSize;
    dirty_ = true;
    return Status();
}

uint32_t CdxFile::allocateHeader() {
    uint32_t offset = static_cast<uint32_t>(sizeBytes_);
    sizeBytes_ += kCdxHeaderSize;
    dirty_ = true;
    return offset;
}

Status CdxFile::release(uint32_t offset) {
    uint8_t page[kCdxPageSize] = {};
    putU32le(page, freeHead_);
    Status r = writePage(offset, page);
    if (!r.ok()) return r;
    freeHead_ = offset;
    return Status();
}

void CdxFile::resetTo(uint32_t sizeBytes) {
    readBlock_.clear();
    for (auto it = pending_.lower_bound(sizeBytes); it != pending_.end();) it = pending_.erase(it);
    sizeBytes_ = sizeBytes;
    freeHead_ = 0;
    dirty_ = true;
}

Status CdxFile::writeOut(bool includeHeader) {
    readBlock_.clear();  // the pages written below are read from the file again
    // Pages beyond the end of the file on disk first: nothing points at them
    // yet, so writing them cannot make the index on disk worse.
    std::vector<uint32_t> order;
    for (auto& [offset, page] : pending_)
        if (offset >= diskBytes_) order.push_back(offset);
    for (auto& [offset, page] : pending_)
        if (offset < diskBytes_ && (includeHeader || offset >= kCdxHeaderSize))
            order.push_back(offset);
    // Pages that follow each other in the file go out in one call.
    std::vector<uint8_t> run;
    for (size_t i = 0; i < order.size();) {
        if (order[i] == 0) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        while (j < order.size() && order[j] == order[j - 1] + kCdxPageSize &&
               (j - i) < kMaxRunPages)
            ++j;
        busyStep();
        run.resize((j - i) * kCdxPageSize);
        for (size_t k = i; k < j; ++k)
            std::memcpy(run.data() + (k - i) * kCdxPageSize, pending_[order[k]].data(),
                        kCdxPageSize);
        os::Status st = file_.write(order[i], run.data(), run.size());
        if (!st.ok()) return Status::ioError(st);
        uint64_t end = order[j - 1] + uint64_t(kCdxPageSize);
        if (end > diskBytes_) diskBytes_ = end;
        i = j;
    }
    for (uint32_t offset : order)
        if (offset != 0) pending_.erase(offset);
    if (!includeHeader) return Status();
    Page head{};
    Status r = readPage(0, head.data());
    if (!r.ok()) return r;
    ++counter_;
    putU32le(head.data() + kCdxFreeListOffset, freeHead_);
    putU32be(head.data() + kCdxCounterOffset, counter_);
    os::Status st = file_.write(0, head.data(), kCdxPageSize);
    if (!st.ok()) return Status::ioError(st);
    pending_.erase(0);
    if (sizeBytes_ != diskBytes_) {
        st = file_.truncate(sizeBytes_);
        if (!st.ok()) return Status::ioError(st);
        diskBytes_ = sizeBytes_;
    }
    st = file_.flush();
    if (!st.ok()) return Status::ioError(st);
    return Status();
}

Status CdxFile::flush() {
    if (!dirty_ || readOnly_) return Status();
    Status r = writeOut(true);
    if (r.ok()) dirty_ = false;
    return r;
}

Status CdxFile::changedOnDisk(bool* changed) {
    uint8_t head[kCdxHeadBytes];
    auto n = file_.read(0, head, sizeof head);
    if (!n.ok()) return Status::ioError(n.status());
    uint32_t counter = getU32be(head + kCdxCounterOffset);
    *changed = counter != counter_ && !dirty_;
    if (*changed) {
        counter_ = counter;
        freeHead_ = getU32le(head + kCdxFreeListOffset) == kCdxNone
                        ? 0
                        : getU32le(head + kCdxFreeListOffset);
        pending_.clear();
        auto size = file_.size();
        if (!size.ok()) return Status::ioError(size.status());
        sizeBytes_ = diskBytes_ = size.value();
    }
    return Status();
}

}  // namespace engine
