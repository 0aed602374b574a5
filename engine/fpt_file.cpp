// FPT memo reading and writing, DBT memo reading (layouts in fpt_file.h).
#include "engine/fpt_file.h"

#include <algorithm>
#include <cstring>

#include "engine/byte_order.h"
#include "engine/error_map.h"

namespace engine {
namespace {

constexpr uint32_t kDbtBlockSize = 512;
constexpr uint32_t kMaxMemoBytes = 0x7FFFFFF0u;

uint32_t blocksFor(uint64_t bytes, uint32_t blockSize) {
    return uint32_t((bytes + blockSize - 1) / blockSize);
}

Result corrupt(std::string* why, std::string text) {
    *why = std::move(text);
    return kCorruptMemo;
}

}  // namespace

Result parseFptHeader(std::string_view bytes, uint64_t fileBytes, FptHeader* h, std::string* why) {
    if (bytes.size() < 8 || fileBytes < 8) return corrupt(why, "memo file header truncated");
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    h->nextFree = getU32be(p);
    h->blockSize = getU16be(p + 6);
    if (h->blockSize == 0) return corrupt(why, "memo block size is 0");
    if (uint64_t(h->nextFree) * h->blockSize < kFptHeaderBytes)
        return corrupt(why, "memo next free block inside the header");
    return kOk;
}

Result checkFptItem(const FptHeader& h, uint32_t block, std::string_view item, uint64_t fileBytes,
                    uint32_t* dataBytes, std::string* why) {
    // A block inside the header is read like any other (other writers leave
    // such pointers to empty values); it is never written in place.
    uint64_t offset = uint64_t(block) * h.blockSize;
    if (offset + 8 > fileBytes || item.size() < 8)
        return corrupt(why, "memo block " + std::to_string(block) + " beyond end of file");
    uint32_t len = getU32be(reinterpret_cast<const uint8_t*>(item.data()) + 4);
    if (offset + 8 + len > fileBytes || len > kMaxMemoBytes)
        return corrupt(why, "memo at block " + std::to_string(block) + " longer than the file");
    *dataBytes = len;
    return kOk;
}

Result dbtItemLength(std::string_view bytes, uint32_t* length, uint32_t* skip, std::string* why) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() >= 8 && p[0] == 0xFF && p[1] == 0xFF && p[2] == 0x08 && p[3] == 0x00) {
        uint32_t total = getU32le(p + 4);
        if (total < 8 || total > bytes.size())
            return corrupt(why, "dBASE IV memo length beyond end of file");
        *skip = 8;
        *length = total - 8;
        return kOk;
    }
    const void* end = std::memchr(p, 0x1A, bytes.size());
    *skip = 0;
    *length = end ? uint32_t(static_cast<const uint8_t*>(end) - p) : uint32_t(bytes.size());
    return kOk;
}

Result MemoFile::ioError(const os::Status& s, std::string* why) {
    *why = s.message();
    return resultFromOs(s.code());
}

Result MemoFile::create(const std::string& path, uint32_t blockSize, std::string* why) {
    if (blockSize == 0) blockSize = kFptDefaultBlockSize;
    if (blockSize > 0xFFFF) {
        *why = "memo block size too large";
        return kInvalidArgument;
    }
    auto f = os::File::open(path, os::Access::ReadWrite, os::Share::Exclusive,
                            os::Disposition::CreateAlways);
    if (!f.ok()) {
        *why = f.status().message();
        return resultFromOs(f.code());
    }
    uint8_t hdr[kFptHeaderBytes] = {};
    putU32be(hdr, blocksFor(kFptHeaderBytes, blockSize));
    putU16be(hdr + 6, uint16_t(blockSize));
    os::Status s = f->write(0, hdr, sizeof hdr);
    if (!s.ok()) {
        *why = s.message();
        return resultFromOs(s.code());
    }
    return kOk;
}

Result MemoFile::open(const std::string& path, bool dbt, os::Access access, os::Share share,
                      std::string* why) {
    auto f = os::File::open(path, access, share, os::Disposition::OpenExisting);
    if (!f.ok()) return ioError(f.status(), why);
    file_ = std::move(f.value());
    dbt_ = dbt;
    Result r = readHeader(why);
    if (r != kOk) file_.close();
    return r;
}

Result MemoFile::readHeader(std::string* why) {
    auto size = file_.size();
    if (!size.ok()) return ioError(size.status(), why);
    fileBytes_ = size.value();
    uint8_t hdr[kFptHeaderBytes] = {};
    auto got = file_.read(0, hdr, sizeof hdr);
    if (!got.ok()) return ioError(got.status(), why);
    std::string_view bytes(reinterpret_cast<const char*>(hdr), got.value());
    if (dbt_) {
        if (bytes.size() < 4) return corrupt(why, "memo file header truncated");
        header_.nextFree = getU32le(hdr);
        uint16_t bs = bytes.size() >= 22 ? getU16le(hdr + 20) : 0;
        header_.blockSize = (bs >= 64 && bs % 64 == 0 && hdr[16] != 0x03) ? bs : kDbtBlockSize;
        return kOk;
    }
    return parseFptHeader(bytes, fileBytes_, &header_, why);
}

Result MemoFile::refresh(std::string* why) {
    return readHeader(why);
}

Result MemoFile::length(uint32_t block, uint32_t* bytes, std::string* why) {
    *bytes = 0;
    if (block == 0) return kOk;
    if (dbt_) {
        std::string text;
        Result r = read(block, &text, why);
        *bytes = uint32_t(text.size());
        return r;
    }
    uint64_t offset = uint64_t(block) * header_.blockSize;
    if (offset + 8 > fileBytes_) {
        // Another process sharing the file may have appended since we looked.
        auto size = file_.size();
        if (!size.ok()) return ioError(size.status(), why);
        fileBytes_ = size.value();
    }
    char item[8] = {};
    size_t got = 0;
    if (offset + 8 <= fileBytes_) {
        auto rd = file_.read(offset, item, 8);
        if (!rd.ok()) return ioError(rd.status(), why);
        got = rd.value();
    }
    return checkFptItem(header_, block, std::string_view(item, got), fileBytes_, bytes, why);
}

Result MemoFile::read(uint32_t block, std::string* text, std::string* why) {
    text->clear();
    if (block == 0) return kOk;
    uint64_t offset = uint64_t(block) * header_.blockSize;
    if (dbt_) {
        if (offset >= fileBytes_ && refresh(why) != kOk) return kCorruptMemo;
        if (offset >= fileBytes_ || offset < header_.blockSize)
            return corrupt(why, "memo block " + std::to_string(block) + " beyond end of file");
        std::string raw(size_t(fileBytes_ - offset), '\0');
        auto rd = file_.read(offset, raw.data(), raw.size());
        if (!rd.ok()) return ioError(rd.status(), why);
        raw.resize(rd.value());
        uint32_t len = 0, skip = 0;
        if (Result r = dbtItemLength(raw, &len, &skip, why)) return r;
        text->assign(raw, skip, len);
        return kOk;
    }
    uint32_t len = 0;
    if (Result r = length(block, &len, why)) return r;
    text->resize(len);
    auto rd = file_.read(offset + 8, text->data(), len);
    if (!rd.ok()) return ioError(rd.status(), why);
    if (rd.value() != len) return corrupt(why, "memo file shrank while reading");
    return kOk;
}

Result MemoFile::writeHeader(std::string* why) {
    uint8_t hdr[8] = {};
    putU32be(hdr, header_.nextFree);
    putU16be(hdr + 6, uint16_t(header_.blockSize));
    os::Status s = file_.write(0, hdr, sizeof hdr);
    return s.ok() ? kOk : ioError(s, why);
}

Result MemoFile::write(uint32_t oldBlock, std::string_view text, uint32_t* block,
                       std::string* why) {
    if (dbt_) {
        *why = "writing to DBT memo files is not supported";
        return kNotSupported;
    }
    *block = 0;
    if (text.empty()) return kOk;
    if (text.size() > kMaxMemoBytes) return corrupt(why, "memo too long");
    uint32_t bs = header_.blockSize;
    uint32_t need = blocksFor(8 + uint64_t(text.size()), bs);
    uint32_t target = 0;
    uint32_t oldLen = 0;
    std::string ignored;
    if (oldBlock != 0 && uint64_t(oldBlock) * bs >= kFptHeaderBytes &&
        length(oldBlock, &oldLen, &ignored) == kOk && need <= blocksFor(8 + uint64_t(oldLen), bs))
        target = oldBlock;  // rewrite in place
    bool appending = target == 0;
    if (appending) {
        // Never below the current end of the file: a wrong next-free pointer
        // must not make us overwrite another memo.
        uint32_t end = blocksFor(fileBytes_, bs);
        target = header_.nextFree > end ? header_.nextFree : end;
        if (uint64_t(target) + need > 0xFFFFFFFFu) return corrupt(why, "memo file full");
    }
    std::string item(size_t(need) * bs, '\0');
    auto* p = reinterpret_cast<uint8_t*>(item.data());
    putU32be(p, kFptTextType);
    putU32be(p + 4, uint32_t(text.size()));
    std::memcpy(p + 8, text.data(), text.size());
    size_t writeBytes = appending ? item.size() : 8 + text.size();
    uint64_t offset = uint64_t(target) * bs;
    os::Status s = file_.write(offset, item.data(), writeBytes);
    if (!s.ok()) return ioError(s, why);
    if (offset + writeBytes > fileBytes_) fileBytes_ = offset + writeBytes;
    if (appending) {
        header_.nextFree = target + need;
        if (Result r = writeHeader(why)) return r;
    }
    *block = target;
    return kOk;
}

uint32_t MemoFile::firstBlock() const {
    return blocksFor(kFptHeaderBytes, header_.blockSize);
}

uint32_t MemoFile::endBlock() const {
    uint32_t end = blocksFor(fileBytes_, header_.blockSize);
    return header_.nextFree > end ? header_.nextFree : end;
}

Result MemoFile::itemBlocks(uint32_t block, uint32_t* blocks, std::string* why) {
    uint32_t len = 0;
    if (Result r = length(block, &len, why)) return r;
    *blocks = blocksFor(8 + uint64_t(len), header_.blockSize);
    return kOk;
}

Result MemoFile::copyItem(uint32_t from, uint32_t to, std::string* why) {
    uint32_t len = 0;
    if (Result r = length(from, &len, why)) return r;
    const uint32_t bs = header_.blockSize;
    uint64_t total = uint64_t(blocksFor(8 + uint64_t(len), bs)) * bs;
    uint64_t src = uint64_t(from) * bs, dst = uint64_t(to) * bs;
    std::string buf(size_t(std::min<uint64_t>(total, 1 << 20)), '\0');
    for (uint64_t done = 0; done < total;) {
        size_t n = size_t(std::min<uint64_t>(buf.size(), total - done));
        std::memset(buf.data(), 0, n);
        // The last block of the file may be short: what is missing reads as zeros.
        if (src + done < fileBytes_) {
            auto rd = file_.read(src + done, buf.data(), size_t(std::min<uint64_t>(n, fileBytes_ - src - done)));
            if (!rd.ok()) return ioError(rd.status(), why);
        }
        os::Status s = file_.write(dst + done, buf.data(), n);
        if (!s.ok()) return ioError(s, why);
        done += n;
    }
    if (dst + total > fileBytes_) fileBytes_ = dst + total;
    return kOk;
}

Result MemoFile::setNextFree(uint32_t block, bool cut, std::string* why) {
    header_.nextFree = block;
    if (Result r = writeHeader(why)) return r;
    if (!cut) return kOk;
    uint64_t keep = uint64_t(block) * header_.blockSize;
    os::Status s = file_.truncate(keep);
    if (!s.ok()) return ioError(s, why);
    fileBytes_ = keep;
    return kOk;
}

Result MemoFile::zap(std::string* why) {
    if (dbt_) return kOk;  // read-only format: old items simply stay unreferenced
    header_.nextFree = blocksFor(kFptHeaderBytes, header_.blockSize);
    if (Result r = writeHeader(why)) return r;
    uint64_t keep = uint64_t(header_.nextFree) * header_.blockSize;
    os::Status s = file_.truncate(keep);
    if (!s.ok()) return ioError(s, why);
    fileBytes_ = keep;
    return kOk;
}

Result MemoFile::flush(std::string* why) {
    if (!file_.isOpen()) return kOk;
    os::Status s = file_.flush();
    return s.ok() ? kOk : ioError(s, why);
}

}  // namespace engine
