// The pages of one CDX file: reads, writes held back until flush(), page
// allocation from the free list or the end of the file, and release of pages
// to the free list. The compound header's free-list head (bytes 4..7) and
// change counter (8..11) are kept here; the rest of the header belongs to
// the caller.
//
// Write order on flush(): pages that extend the file first, then changed
// pages in place (pages that follow each other in one call), the compound
// header last, then a flush to the disk; a
// crash part-way leaves at worst an index that disagrees with its table,
// which a zap or a rebuild rewrites from the tag definitions.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/cdx_page.h"
#include "engine/status.h"
#include "os/file.h"

namespace engine {

// The checks an open makes before any page is read; kCorruptIndex with the
// fault as the message (the caller adds the file).
// A file of `sizeBytes` can be an index: two header pages, 32-bit offsets.
Status checkCdxFileSize(uint64_t sizeBytes);
// The first kCdxHeadBytes of the file: the free-page list head (0 when
// none, else a page inside the file) and the change counter.
Status parseCdxFileHead(const uint8_t* head, uint64_t sizeBytes, uint32_t* freeHead,
                        uint32_t* counter);

class CdxFile {
public:
    CdxFile() = default;
    CdxFile(const CdxFile&) = delete;
    CdxFile& operator=(const CdxFile&) = delete;

    // Opens an existing file. kNotFound, kAccessDenied, kLocked, kCorruptIndex
    // (shorter than the compound header, or a free-list head outside it).
    Status open(const std::string& path, bool readOnly, bool shared);
    // Creates (or truncates) a file holding only a zeroed compound header.
    Status create(const std::string& path, bool shared);
    void close();

    const std::string& path() const { return path_; }
    bool readOnly() const { return readOnly_; }
    // Size of the file including pages not yet written.
    uint64_t sizeBytes() const { return sizeBytes_; }

    // Reads one page (or the first page of a header) into `page`.
    // REQUIRES: offset is page aligned and below sizeBytes().
    Status readPage(uint32_t offset, uint8_t* page);
    // Stores a page to be written at the next flush (or sooner when many
    // pages wait). REQUIRES: offset page aligned, below sizeBytes().
    Status writePage(uint32_t offset, const uint8_t* page);
    // A page for new data: the head of the free list, else a new page at the end.
    Status allocate(uint32_t* offset);
    // Two adjacent new pages at the end of the file (a tag header).
    uint32_t allocateHeader();
    // Puts a page on the free list.
    Status release(uint32_t offset);
    // Drops the free list and cuts the file to `sizeBytes` (used when a bag
    // is rewritten whole). REQUIRES: no page above it is referenced.
    void resetTo(uint32_t sizeBytes);

    // Writes pending pages and the compound header's list head and counter.
    Status flush();
    // True when another process changed the file since we last read or wrote
    // its counter; then every cached page must be dropped (the caller does).
    Status changedOnDisk(bool* changed);
    uint32_t freeListHead() const { return freeHead_; }

private:
    using Page = std::array<uint8_t, kCdxPageSize>;
    static constexpr size_t kMaxPending = 8192;  // pages held before an early write
    static constexpr size_t kMaxRunPages = 512;  // pages written in one call at most (256 KB)

    static constexpr size_t kReadAheadPages = 128;  // 64 KB read at once when not shared

    Status writeOut(bool includeHeader);
    Status readAhead(uint32_t offset, uint8_t* page);

    os::File file_;
    std::string path_;
    bool readOnly_ = false;
    bool shared_ = false;
    uint64_t sizeBytes_ = 0;
    uint64_t diskBytes_ = 0;
    uint32_t freeHead_ = 0;
    uint32_t counter_ = 0;
    bool dirty_ = false;
    std::map<uint32_t, Page> pending_;
    std::vector<uint8_t> readBlock_;  // not shared: the file's bytes from readFrom_
    uint32_t readFrom_ = 0;
};

}  // namespace engine
