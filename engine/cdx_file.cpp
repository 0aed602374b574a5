// Page I/O of a CDX file (see cdx_file.h).
#include "engine/cdx_file.h"

#include <cstring>
#include <vector>

#include "engine/cdx_page.h"
#include "engine/error_map.h"

namespace engine {

Result CdxFile::ioError(const os::Status& st, std::string* error) {
    *error = st.message();
    return resultFromOs(st.code());
}

Result CdxFile::open(const std::string& path, bool readOnly, bool shared, std::string* error) {
    auto f = os::File::open(path, readOnly ? os::Access::Read : os::Access::ReadWrite,
                            shared ? os::Share::Shared : os::Share::Exclusive,
                            os::Disposition::OpenExisting);
    if (!f.ok()) return ioError(f.status(), error);
    file_ = std::move(f.value());
    path_ = path;
    readOnly_ = readOnly;
    auto size = file_.size();
    if (!size.ok()) return ioError(size.status(), error);
    sizeBytes_ = diskBytes_ = size.value();
    if (sizeBytes_ < kCdxHeaderSize || sizeBytes_ > 0xFFFFFE00u) {
        *error = path + ": not a compound index (size " + std::to_string(sizeBytes_) + ")";
        return kCorruptIndex;
    }
    uint8_t head[12];
    auto n = file_.read(0, head, sizeof head);
    if (!n.ok()) return ioError(n.status(), error);
    freeHead_ = cdxLe32(head + 4);
    counter_ = cdxBe32(head + 8);
    if (freeHead_ == kCdxNone) freeHead_ = 0;
    if (freeHead_ != 0 && (freeHead_ % kCdxPageSize != 0 || freeHead_ < kCdxHeaderSize ||
                           freeHead_ >= sizeBytes_)) {
        *error = path + ": free-page list head " + std::to_string(freeHead_) + " outside the file";
        return kCorruptIndex;
    }
    return kOk;
}

Result CdxFile::create(const std::string& path, bool shared, std::string* error) {
    auto f = os::File::open(path, os::Access::ReadWrite, shared ? os::Share::Shared : os::Share::Exclusive,
                            os::Disposition::CreateAlways);
    if (!f.ok()) return ioError(f.status(), error);
    file_ = std::move(f.value());
    path_ = path;
    readOnly_ = false;
    diskBytes_ = 0;
    sizeBytes_ = kCdxHeaderSize;
    freeHead_ = 0;
    counter_ = 0;
    Page zero{};
    pending_[0] = zero;
    pending_[kCdxPageSize] = zero;
    dirty_ = true;
    return kOk;
}

void CdxFile::close() {
    file_.close();
    pending_.clear();
}

Result CdxFile::readPage(uint32_t offset, uint8_t* page, std::string* error) {
    if (offset % kCdxPageSize != 0 || offset + uint64_t(kCdxPageSize) > sizeBytes_) {
        *error = path_ + ": page " + std::to_string(offset) + " outside the file";
        return kCorruptIndex;
    }
    auto it = pending_.find(offset);
    if (it != pending_.end()) {
        std::memcpy(page, it->second.data(), kCdxPageSize);
        return kOk;
    }
    auto n = file_.read(offset, page, kCdxPageSize);
    if (!n.ok()) return ioError(n.status(), error);
    if (n.value() < kCdxPageSize) std::memset(page + n.value(), 0, kCdxPageSize - n.value());
    return kOk;
}

Result CdxFile::writePage(uint32_t offset, const uint8_t* page, std::string* error) {
    if (readOnly_) {
        *error = path_ + ": index opened read-only";
        return kReadOnly;
    }
    Page& p = pending_[offset];
    std::memcpy(p.data(), page, kCdxPageSize);
    dirty_ = true;
    if (pending_.size() > kMaxPending) return writeOut(false, error);
    return kOk;
}

Result CdxFile::allocate(uint32_t* offset, std::string* error) {
    if (freeHead_ != 0) {
        uint8_t page[kCdxPageSize];
        Result r = readPage(freeHead_, page, error);
        if (r != kOk) return r;
        uint32_t next = cdxLe32(page);
        if (next == kCdxNone) next = 0;
        if (next != 0 && (next % kCdxPageSize != 0 || next < kCdxHeaderSize || next >= sizeBytes_ ||
                          next == freeHead_)) {
            *error = path_ + ": free-page list broken at " + std::to_string(freeHead_);
            return kCorruptIndex;
        }
        *offset = freeHead_;
        freeHead_ = next;
        dirty_ = true;
        return kOk;
    }
    *offset = static_cast<uint32_t>(sizeBytes_);
    sizeBytes_ += kCdxPageSize;
    dirty_ = true;
    return kOk;
}

uint32_t CdxFile::allocateHeader() {
    uint32_t offset = static_cast<uint32_t>(sizeBytes_);
    sizeBytes_ += kCdxHeaderSize;
    dirty_ = true;
    return offset;
}

Result CdxFile::release(uint32_t offset, std::string* error) {
    uint8_t page[kCdxPageSize] = {};
    cdxPutLe32(page, freeHead_);
    Result r = writePage(offset, page, error);
    if (r != kOk) return r;
    freeHead_ = offset;
    return kOk;
}

void CdxFile::resetTo(uint32_t sizeBytes) {
    for (auto it = pending_.lower_bound(sizeBytes); it != pending_.end();) it = pending_.erase(it);
    sizeBytes_ = sizeBytes;
    freeHead_ = 0;
    dirty_ = true;
}

Result CdxFile::writeOut(bool includeHeader, std::string* error) {
    // Pages beyond the end of the file on disk first: nothing points at them
    // yet, so writing them cannot make the index on disk worse.
    std::vector<uint32_t> order;
    for (auto& [offset, page] : pending_)
        if (offset >= diskBytes_) order.push_back(offset);
    for (auto& [offset, page] : pending_)
        if (offset < diskBytes_ && (includeHeader || offset >= kCdxHeaderSize)) order.push_back(offset);
    for (uint32_t offset : order) {
        if (offset == 0) continue;
        os::Status st = file_.write(offset, pending_[offset].data(), kCdxPageSize);
        if (!st.ok()) return ioError(st, error);
        if (offset + uint64_t(kCdxPageSize) > diskBytes_) diskBytes_ = offset + kCdxPageSize;
    }
    for (uint32_t offset : order)
        if (offset != 0) pending_.erase(offset);
    if (!includeHeader) return kOk;
    Page head{};
    Result r = readPage(0, head.data(), error);
    if (r != kOk) return r;
    ++counter_;
    cdxPutLe32(head.data() + 4, freeHead_);
    cdxPutBe32(head.data() + 8, counter_);
    os::Status st = file_.write(0, head.data(), kCdxPageSize);
    if (!st.ok()) return ioError(st, error);
    pending_.erase(0);
    if (sizeBytes_ != diskBytes_) {
        st = file_.truncate(sizeBytes_);
        if (!st.ok()) return ioError(st, error);
        diskBytes_ = sizeBytes_;
    }
    st = file_.flush();
    if (!st.ok()) return ioError(st, error);
    return kOk;
}

Result CdxFile::flush(std::string* error) {
    if (!dirty_ || readOnly_) return kOk;
    Result r = writeOut(true, error);
    if (r == kOk) dirty_ = false;
    return r;
}

Result CdxFile::changedOnDisk(bool* changed, std::string* error) {
    uint8_t head[12];
    auto n = file_.read(0, head, sizeof head);
    if (!n.ok()) return ioError(n.status(), error);
    uint32_t counter = cdxBe32(head + 8);
    *changed = counter != counter_ && !dirty_;
    if (*changed) {
        counter_ = counter;
        freeHead_ = cdxLe32(head + 4) == kCdxNone ? 0 : cdxLe32(head + 4);
        pending_.clear();
        auto size = file_.size();
        if (!size.ok()) return ioError(size.status(), error);
        sizeBytes_ = diskBytes_ = size.value();
    }
    return kOk;
}

}  // namespace engine
