// FPT memo reading and writing, DBT memo reading (layouts in fpt_file.h).
#include "engine/fpt_file.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/status.h"

namespace engine {
namespace {

constexpr uint32_t kDbtBlockSize = 512;
constexpr uint32_t kMaxMemoBytes = 0x7FFFFFF0u;
// Read-ahead block and the most new items held before they are written.
constexpr size_t kBufferBytes = 256 * 1024;

uint32_t blocksFor(uint64_t bytes, uint32_t blockSize) {
    return uint32_t((bytes + blockSize - 1) / blockSize);
}

Status corrupt(std::string text) {
    return Status(kCorruptMemo, std::move(text));
}

}  // namespace

Status parseFptHeader(std::string_view bytes, uint64_t fileBytes, FptHeader* h) {
    if (bytes.size() < 8 || fileBytes < 8) return corrupt("memo file header truncated");
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    h->nextFree = getU32be(p);
    h->blockSize = getU16be(p + 6);
    if (h->blockSize == 0) return corrupt("memo block size is 0");
    if (uint64_t(h->nextFree) * h->blockSize < kFptHeaderBytes)
        return corrupt("memo next free block inside the header");
    return Status();
}

Status parseMemoHeader(std::string_view bytes, uint64_t fileBytes, bool dbt, FptHeader* h) {
    if (!dbt) return parseFptHeader(bytes, fileBytes, h);
    if (bytes.size() < 4) return corrupt("memo file header truncated");
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    h->nextFree = getU32le(p);
    uint16_t bs = bytes.size() >= 22 ? getU16le(p + 20) : 0;
    h->blockSize = (bs >= 64 && bs % 64 == 0 && p[16] != 0x03) ? bs : kDbtBlockSize;
    return Status();
}

Status checkFptItem(const FptHeader& h, uint32_t block, std::string_view item, uint64_t fileBytes,
                    uint32_t* dataBytes) {
    // A block inside the header is read like any other (other writers leave
    // such pointers to empty values); it is never written in place.
    uint64_t offset = uint64_t(block) * h.blockSize;
    if (offset + 8 > fileBytes || item.size() < 8)
        return corrupt("memo block " + std::to_string(block) + " beyond end of file");
    uint32_t len = getU32be(reinterpret_cast<const uint8_t*>(item.data()) + 4);
    if (offset + 8 + len > fileBytes || len > kMaxMemoBytes)
        return corrupt("memo at block " + std::to_string(block) + " longer than the file");
    *dataBytes = len;
    return Status();
}

Status dbtItemLength(std::string_view bytes, uint32_t* length, uint32_t* skip) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() >= 8 && p[0] == 0xFF && p[1] == 0xFF && p[2] == 0x08 && p[3] == 0x00) {
        uint32_t total = getU32le(p + 4);
        if (total < 8 || total > bytes.size())
            return corrupt("dBASE IV memo length beyond end of file");
        *skip = 8;
        *length = total - 8;
        return Status();
    }
    const void* end = std::memchr(p, 0x1A, bytes.size());
    *skip = 0;
    *length = end ? uint32_t(static_cast<const uint8_t*>(end) - p) : uint32_t(bytes.size());
    return Status();
}

Status MemoFile::create(const std::string& path, uint32_t blockSize) {
    if (blockSize == 0) blockSize = kFptDefaultBlockSize;
    if (blockSize > 0xFFFF) {
        return Status(kInvalidArgument, "memo block size too large");
    }
    auto f = os::File::open(path, os::Access::ReadWrite, os::Share::Exclusive,
                            os::Disposition::CreateAlways);
    if (!f.ok()) return Status::fromOs(f.status());
    uint8_t hdr[kFptHeaderBytes] = {};
    putU32be(hdr, blocksFor(kFptHeaderBytes, blockSize));
    putU16be(hdr + 6, uint16_t(blockSize));
    os::Status s = f->write(0, hdr, sizeof hdr);
    if (!s.ok()) return Status::fromOs(s);
    return Status();
}

Status MemoFile::open(const std::string& path, bool dbt, os::Access access, os::Share share) {
    auto f = os::File::open(path, access, share, os::Disposition::OpenExisting);
    if (!f.ok()) return Status::fromOs(f.status());
    file_ = std::move(f.value());
    dbt_ = dbt;
    buffered_ = share == os::Share::Exclusive;
    Status r = readHeader();
    if (!r.ok()) close();
    return r;
}

void MemoFile::close() {
    file_.close();
    readBlock_.clear();
    newItems_.clear();
    headerDirty_ = false;
}

Status MemoFile::readAt(uint64_t offset, char* out, size_t n, size_t* got) {
    *got = 0;
    if (buffered_ && !newItems_.empty() && offset >= newFrom_) {
        uint64_t at = offset - newFrom_;
        if (at < newItems_.size()) {
            *got = size_t(std::min<uint64_t>(n, newItems_.size() - at));
            std::memcpy(out, newItems_.data() + at, *got);
        }
        return Status();
    }
    bool inBlock = buffered_ && offset >= readFrom_ && offset + n <= readFrom_ + readBlock_.size();
    if (buffered_ && !inBlock && n < kBufferBytes) {
        readBlock_.resize(kBufferBytes);
        auto rd = file_.read(offset, readBlock_.data(), readBlock_.size());
        if (!rd.ok()) {
            readBlock_.clear();
            return Status::ioError(rd.status());
        }
        readBlock_.resize(rd.value());
        readFrom_ = offset;
        inBlock = true;  // what the file holds from `offset`, maybe less than n
    }
    if (inBlock) {
        uint64_t at = offset - readFrom_;
        *got = size_t(std::min<uint64_t>(n, readBlock_.size() - at));
        std::memcpy(out, readBlock_.data() + at, *got);
        return Status();
    }
    auto rd = file_.read(offset, out, n);
    if (!rd.ok()) return Status::ioError(rd.status());
    *got = rd.value();
    return Status();
}

Status MemoFile::writeAt(uint64_t offset, const char* data, size_t n) {
    if (buffered_ && !newItems_.empty() && offset >= newFrom_ &&
        offset <= newFrom_ + newItems_.size()) {
        uint64_t at = offset - newFrom_;
        if (at + n > newItems_.size()) newItems_.resize(size_t(at + n));
        std::memcpy(newItems_.data() + at, data, n);
    } else if (buffered_ && newItems_.empty() && offset >= fileBytes_) {
        newFrom_ = offset;
        newItems_.assign(data, n);
    } else {
        // In place over an item on disk: the read-ahead copy is dropped.
        if (offset < readFrom_ + readBlock_.size() && offset + n > readFrom_) readBlock_.clear();
        os::Status s = file_.write(offset, data, n);
        if (!s.ok()) return Status::ioError(s);
    }
    if (offset + n > fileBytes_) fileBytes_ = offset + n;
    return newItems_.size() >= kBufferBytes ? writeOut() : Status();
}

Status MemoFile::writeOut() {
    if (!newItems_.empty()) {
        os::Status s = file_.write(newFrom_, newItems_.data(), newItems_.size());
        if (!s.ok()) return Status::ioError(s);
        file_.startWriteBack(newFrom_, newItems_.size());
        newItems_.clear();
    }
    if (!headerDirty_) return Status();
    if (Status r = writeHeader(); !r.ok()) return r;
    headerDirty_ = false;
    return Status();
}

Status MemoFile::unbuffer() {
    readBlock_.clear();
    return writeOut();
}

Status MemoFile::readHeader() {
    auto size = file_.size();
    if (!size.ok()) return Status::fromOs(size.status());
    fileBytes_ = size.value();
    uint8_t hdr[kFptHeaderBytes] = {};
    auto got = file_.read(0, hdr, sizeof hdr);
    if (!got.ok()) return Status::fromOs(got.status());
    std::string_view bytes(reinterpret_cast<const char*>(hdr), got.value());
    return parseMemoHeader(bytes, fileBytes_, dbt_, &header_);
}

Status MemoFile::refresh() {
    if (Status r = unbuffer(); !r.ok()) return r;
    return readHeader();
}

Status MemoFile::length(uint32_t block, uint32_t* bytes) {
    *bytes = 0;
    if (block == 0) return Status();
    if (dbt_) {
        std::string text;
        Status r = read(block, &text);
        *bytes = uint32_t(text.size());
        return r;
    }
    uint64_t offset = uint64_t(block) * header_.blockSize;
    if (offset + 8 > fileBytes_ && !buffered_) {
        // Another process sharing the file may have appended since we looked.
        auto size = file_.size();
        if (!size.ok()) return Status::ioError(size.status());
        fileBytes_ = size.value();
    }
    char item[8] = {};
    size_t got = 0;
    if (offset + 8 <= fileBytes_)
        if (Status r = readAt(offset, item, 8, &got); !r.ok()) return r;
    return checkFptItem(header_, block, std::string_view(item, got), fileBytes_, bytes);
}

Status MemoFile::read(uint32_t block, std::string* text) {
    text->clear();
    if (block == 0) return Status();
    uint64_t offset = uint64_t(block) * header_.blockSize;
    if (dbt_) {
        if (offset >= fileBytes_) {
            if (Status s = refresh(); !s.ok()) return s;
        }
        if (offset >= fileBytes_ || offset < header_.blockSize)
            return corrupt("memo block " + std::to_string(block) + " beyond end of file");
        std::string raw(size_t(fileBytes_ - offset), '\0');
        auto rd = file_.read(offset, raw.data(), raw.size());
        if (!rd.ok()) return Status::ioError(rd.status());
        raw.resize(rd.value());
        uint32_t len = 0, skip = 0;
        if (Status r = dbtItemLength(raw, &len, &skip); !r.ok()) return r;
        text->assign(raw, skip, len);
        return Status();
    }
    uint32_t len = 0;
    if (Status r = length(block, &len); !r.ok()) return r;
    text->resize(len);
    size_t got = 0;
    if (Status r = readAt(offset + 8, text->data(), len, &got); !r.ok()) return r;
    if (got != len) return corrupt("memo file shrank while reading");
    return Status();
}

Status MemoFile::writeHeader() {
    uint8_t hdr[8] = {};
    putU32be(hdr, header_.nextFree);
    putU16be(hdr + 6, uint16_t(header_.blockSize));
    os::Status s = file_.write(0, hdr, sizeof hdr);
    return s.ok() ? Status() : Status::ioError(s);
}

Status MemoFile::write(uint32_t oldBlock, std::string_view text, uint32_t* block) {
    if (dbt_) {
        return Status(kNotSupported, "writing to DBT memo files is not supported");
    }
    *block = 0;
    if (text.empty()) return Status();
    if (text.size() > kMaxMemoBytes) return corrupt("memo too long");
    uint32_t bs = header_.blockSize;
    uint32_t need = blocksFor(8 + uint64_t(text.size()), bs);
    uint32_t target = 0;
    uint32_t oldLen = 0;
    // An old item that cannot be read is not reused: the text goes to new
    // blocks at the end, and the unreadable item is left as it was.
    if (oldBlock != 0 && uint64_t(oldBlock) * bs >= kFptHeaderBytes &&
        length(oldBlock, &oldLen).ok() && need <= blocksFor(8 + uint64_t(oldLen), bs))
        target = oldBlock;  // rewrite in place
    bool appending = target == 0;
    if (appending) {
        // Never below the current end of the file: a wrong next-free pointer
        // must not make us overwrite another memo.
        uint32_t end = blocksFor(fileBytes_, bs);
        target = header_.nextFree > end ? header_.nextFree : end;
        if (uint64_t(target) + need > 0xFFFFFFFFu) return corrupt("memo file full");
    }
    std::string& item = item_;
    item.assign(size_t(need) * bs, '\0');
    auto* p = reinterpret_cast<uint8_t*>(item.data());
    putU32be(p, kFptTextType);
    putU32be(p + 4, uint32_t(text.size()));
    std::memcpy(p + 8, text.data(), text.size());
    size_t writeBytes = appending ? item.size() : 8 + text.size();
    uint64_t offset = uint64_t(target) * bs;
    if (Status r = writeAt(offset, item.data(), writeBytes); !r.ok()) return r;
    if (appending) {
        header_.nextFree = target + need;
        headerDirty_ = true;
        if (!buffered_)
            if (Status r = writeOut(); !r.ok()) return r;
    }
    *block = target;
    return Status();
}

uint32_t MemoFile::firstBlock() const {
    return blocksFor(kFptHeaderBytes, header_.blockSize);
}

uint32_t MemoFile::endBlock() const {
    uint32_t end = blocksFor(fileBytes_, header_.blockSize);
    return header_.nextFree > end ? header_.nextFree : end;
}

Status MemoFile::itemBlocks(uint32_t block, uint32_t* blocks) {
    uint32_t len = 0;
    if (Status r = length(block, &len); !r.ok()) return r;
    *blocks = blocksFor(8 + uint64_t(len), header_.blockSize);
    return Status();
}

Status MemoFile::copyItem(uint32_t from, uint32_t to) {
    if (Status r = unbuffer(); !r.ok()) return r;
    uint32_t len = 0;
    if (Status r = length(from, &len); !r.ok()) return r;
    const uint32_t bs = header_.blockSize;
    uint64_t total = uint64_t(blocksFor(8 + uint64_t(len), bs)) * bs;
    uint64_t src = uint64_t(from) * bs, dst = uint64_t(to) * bs;
    std::string buf(size_t(std::min<uint64_t>(total, 1 << 20)), '\0');
    for (uint64_t done = 0; done < total;) {
        size_t n = size_t(std::min<uint64_t>(buf.size(), total - done));
        std::memset(buf.data(), 0, n);
        // The last block of the file may be short: what is missing reads as zeros.
        if (src + done < fileBytes_) {
            auto rd = file_.read(src + done, buf.data(),
                                 size_t(std::min<uint64_t>(n, fileBytes_ - src - done)));
            if (!rd.ok()) return Status::ioError(rd.status());
        }
        os::Status s = file_.write(dst + done, buf.data(), n);
        if (!s.ok()) return Status::ioError(s);
        done += n;
    }
    if (dst + total > fileBytes_) fileBytes_ = dst + total;
    return Status();
}

Status MemoFile::setNextFree(uint32_t block, bool cut) {
    if (Status r = unbuffer(); !r.ok()) return r;
    header_.nextFree = block;
    if (Status r = writeHeader(); !r.ok()) return r;
    if (!cut) return Status();
    uint64_t keep = uint64_t(block) * header_.blockSize;
    os::Status s = file_.truncate(keep);
    if (!s.ok()) return Status::ioError(s);
    fileBytes_ = keep;
    return Status();
}

Status MemoFile::zap() {
    if (dbt_) return Status();  // read-only format: old items simply stay unreferenced
    // Items not written yet belonged to records that are gone.
    newItems_.clear();
    readBlock_.clear();
    headerDirty_ = false;
    header_.nextFree = blocksFor(kFptHeaderBytes, header_.blockSize);
    if (Status r = writeHeader(); !r.ok()) return r;
    uint64_t keep = uint64_t(header_.nextFree) * header_.blockSize;
    os::Status s = file_.truncate(keep);
    if (!s.ok()) return Status::ioError(s);
    fileBytes_ = keep;
    return Status();
}

Status MemoFile::flush() {
    if (!file_.isOpen()) return Status();
    if (Status r = writeOut(); !r.ok()) return r;
    os::Status s = file_.flush();
    return s.ok() ? Status() : Status::ioError(s);
}

}  // namespace engine
