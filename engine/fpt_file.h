// Memo files: FPT (read and write) and DBT (read only). Every block number
// and length read from a file is checked against the file's size.
//
//   FPT header, 512 bytes, integers big-endian
//   OFFSET SIZE DESCRIPTION
//        0    4 next free block (where the next new memo goes)
//        4    2 unused
//        6    2 block size in bytes
//        8  504 unused
//
//   FPT item, at block b = byte b x blockSize, occupying
//   ceil((8 + n) / blockSize) blocks
//        0    4 type: 0 picture, 1 text, 2 object
//        4    4 data length n
//        8    n data
//
//   DBT (dBASE III): 512-byte blocks; header bytes 0-3 next free block (LE);
//   an item is plain text up to 0x1A (0x1A 0x1A). dBASE IV items start with
//   FF FF 08 00 and a 4-byte LE length that counts those 8 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/status.h"
#include "os/file.h"

namespace engine {

constexpr uint32_t kFptHeaderBytes = 512;
constexpr uint16_t kFptDefaultBlockSize = 64;
constexpr uint32_t kFptTextType = 1;

// Parsed FPT header fields; pure, used by the file class and the fuzzer.
struct FptHeader {
    uint32_t nextFree = 0;
    uint32_t blockSize = 0;
};
// kCorruptMemo when the header is short, the block size is 0, or next free
// lies before the header's end or far beyond the file.
Status parseFptHeader(std::string_view bytes, uint64_t fileBytes, FptHeader* h);
// The header of a memo file, FPT or (`dbt`) DBT, from its first bytes (up
// to kFptHeaderBytes of them). A DBT's block size is 512 unless the header
// states a multiple of 64 (dBASE IV).
Status parseMemoHeader(std::string_view bytes, uint64_t fileBytes, bool dbt, FptHeader* h);
// Where block `block`'s item lies and how long its data is; kCorruptMemo
// when it does not fit the file. `item` is the first 8 bytes of the block.
Status checkFptItem(const FptHeader& h, uint32_t block, std::string_view item, uint64_t fileBytes,
                    uint32_t* dataBytes);
// Length of a DBT item's text in `bytes` (the file from the item's start):
// up to the first 0x1A, or a dBASE IV length prefix.
Status dbtItemLength(std::string_view bytes, uint32_t* length, uint32_t* skip);

class MemoFile {
public:
    MemoFile() = default;
    MemoFile(const MemoFile&) = delete;
    MemoFile& operator=(const MemoFile&) = delete;

    // Creates an empty FPT with `blockSize` bytes per block (0 -> 64).
    static Status create(const std::string& path, uint32_t blockSize);
    // Opens an existing memo file; `dbt` chooses the DBT reader. A file
    // opened exclusively is buffered: reads come from a read-ahead block,
    // and new items and the header's next-free pointer wait in memory until
    // writeOut() (or a full buffer) writes them, the items first.
    Status open(const std::string& path, bool dbt, os::Access access, os::Share share);
    // Drops whatever writeOut() did not write; the owner writes out first.
    void close();
    bool isOpen() const { return file_.isOpen(); }

    // Reads the item at `block` (0: empty text).
    Status read(uint32_t block, std::string* text);
    Status length(uint32_t block, uint32_t* bytes);
    // Stores `text`: in place over `oldBlock` when it fits the blocks it
    // had, else appended at the next free block (data written before the
    // header's next-free pointer). Empty text gives block 0.
    Status write(uint32_t oldBlock, std::string_view text, uint32_t* block);
    // Empties the file (header only).
    Status zap();
    // Re-reads the header (shared tables: another process may have appended).
    Status refresh();
    // Writes the buffered items, then the header. The table calls it before
    // it writes any record, so that no record on disk points at an item that
    // is not there.
    Status writeOut();
    // writeOut(), then forces the file to the disk.
    Status flush();
    uint32_t blockSize() const { return header_.blockSize; }
    bool isDbt() const { return dbt_; }

    // For compaction (FPT only). The first block after the header.
    uint32_t firstBlock() const;
    // The first block past every item: the next free block or the end of
    // the file, whichever is further.
    uint32_t endBlock() const;
    // Blocks taken by the item at `block` (its 8-byte prefix included);
    // kCorruptMemo when it does not lie inside the file.
    Status itemBlocks(uint32_t block, uint32_t* blocks);
    // Copies the item at `from` (prefix, block type and data as stored) to
    // `to`, whole blocks. REQUIRES: the two do not overlap.
    Status copyItem(uint32_t from, uint32_t to);
    // Writes the next free block into the header; with `cut`, also cuts the
    // file there.
    Status setNextFree(uint32_t block, bool cut);

private:
    Status readHeader();
    Status writeHeader();
    // Reads up to `n` bytes at `offset` (fewer only at the end of the file),
    // through the buffers when the file is buffered.
    Status readAt(uint64_t offset, char* out, size_t n, size_t* got);
    // Writes `n` bytes at `offset`: into the buffer of new items when they
    // extend it, else to the file.
    Status writeAt(uint64_t offset, const char* data, size_t n);
    // Before a call that works on the file itself: everything buffered is
    // written and the read-ahead block dropped.
    Status unbuffer();

    os::File file_;
    FptHeader header_;
    bool dbt_ = false;
    uint64_t fileBytes_ = 0;  // the file's size, buffered items included
    bool buffered_ = false;   // opened exclusively: nobody else changes the file
    std::string readBlock_;   // read-ahead: the file's bytes from readFrom_
    uint64_t readFrom_ = 0;
    std::string newItems_;  // items not written yet, from newFrom_ on
    std::string item_;      // write()'s item being made, kept for its memory
    uint64_t newFrom_ = 0;
    bool headerDirty_ = false;  // next-free pointer not written yet
};

}  // namespace engine
