// The bytes of a CDX compound index file: 512-byte pages, every pointer an
// absolute file offset (a multiple of 512), integers little-endian unless
// said otherwise.
//
// Header (the compound header at offset 0, and every tag header), 1024 bytes:
//   OFFSET SIZE DESCRIPTION
//        0    4 offset of the root node
//        4    4 free-page list head (compound header only; 0 or -1 = none).
//               A free page holds the next free page's offset in bytes 0..3
//               (0 ends the list) and zeros elsewhere.
//        8    4 change counter, big-endian; bumped on every flush
//       12    2 key length in bytes (10 for the tag directory)
//       14    1 options: 0x01 unique, 0x08 FOR clause, 0x20 compact, 0x40 compound,
//               0x80 structural (compound header of a structural bag)
//       15    1 signature (1)
//       16  486 not interpreted here; other writers keep figures about the
//               tag there (bytes 16..35), so they are carried over unchanged
//      502    2 order: 0 ascending, 1 descending
//      504    2 where the FOR expression starts in the pool: the key
//               expression's length including its NUL (equal to 510)
//      506    2 FOR expression length including its NUL (1 when none)
//      508    2 reserved
//      510    2 key expression length including its NUL
//      512  512 pool: key expression, NUL, FOR expression, NUL
// Node header (every node), 12 bytes:
//        0    2 attributes: 1 root, 2 leaf (3 = root leaf), 0 interior; 4 is
//               set by some writers and ignored
//        2    2 number of keys
//        4    4 left sibling, -1 none
//        8    4 right sibling, -1 none
// Interior node: from byte 12, `count` entries of key bytes (key length),
// then record number and child offset, both big-endian; an entry carries
// the greatest key (and its record number) of the child's subtree.
// Leaf node:
//       12    2 free bytes
//       14    4 record-number mask
//       18    1 duplicate-count mask
//       19    1 trailing-count mask
//       20    1 record-number bits R
//       21    1 duplicate-count bits D
//       22    1 trailing-count bits T
//       23    1 bytes per entry E
//       24  488 entries (E bytes each, little-endian: rec | dup << R | trail << (R+D))
//               growing upwards, key tails growing down from byte 511
// Keys sort by unsigned bytes, equal keys by record number; descending tags
// are stored ascending and walked backwards.
//
// A leaf worked out by hand: a tag on a C(8) field over the records
// 1 "SMITH", 2 "SMITHSON", 3 "ADAMS", 4 "SMITH", with R = 16, D = 4, T = 4,
// E = 3 (masks 0x0000FFFF, 0x0F, 0x0F). An entry's dup count is the bytes it
// shares with the key before it, its trail count the blanks cut from its end;
// only the bytes between them are stored, in entry order from byte 511 down:
//   key        rec dup trail stored   value     entry bytes
//   "ADAMS   "   3   0    3  "ADAMS"  0x300003  03 00 30
//   "SMITH   "   1   0    3  "SMITH"  0x300001  01 00 30
//   "SMITH   "   4   5    3  (none)   0x350004  04 00 35
//   "SMITHSON"   2   5    0  "SON"    0x050002  02 00 05
// Free bytes: 488 - 4 * 3 - (5 + 5 + 0 + 3) = 463 = 0x01CF. The page (one
// node, so attributes 3, root and leaf):
//   000: 03 00 04 00 FF FF FF FF FF FF FF FF CF 01 FF FF   attr, count, left, right, free, mask..
//   010: 00 00 0F 0F 10 04 04 03 03 00 30 01 00 30 04 00   ..mask, dup/trail masks, R D T E,
//   entries 020: 35 02 00 05 00 ...                               last entry, then the free area
//   1F0: 00 00 00 53 4F 4E 53 4D 49 54 48 41 44 41 4D 53   "SON" "SMITH" "ADAMS"
// Entry 3 decodes as: 5 bytes "SMITH" from the key before, then the 3 bytes
// stored just below the previous tail, "SON", then no blanks. Other writers
// may choose other widths for the same keys; readers take what the node says.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/byte_order.h"
#include "engine/status.h"

namespace engine {

constexpr uint32_t kCdxPageSize = 512;
constexpr uint32_t kCdxHeaderSize = 1024;
constexpr uint32_t kCdxNone = 0xFFFFFFFF;
constexpr int kCdxMaxKeyLength = 240;
constexpr int kCdxLeafArea = 488;      // bytes for entries and key tails
constexpr int kCdxInteriorArea = 500;  // bytes for interior entries
constexpr int kCdxPoolSize = 512;

constexpr uint8_t kCdxUnique = 0x01;
constexpr uint8_t kCdxHasFor = 0x08;
constexpr uint8_t kCdxCompact = 0x20;
constexpr uint8_t kCdxCompound = 0x40;
constexpr uint8_t kCdxStructural = 0x80;

constexpr uint16_t kCdxAttrRoot = 1;
constexpr uint16_t kCdxAttrLeaf = 2;

// Offsets in a header (the table above).
constexpr size_t kCdxRootOffset = 0;
constexpr size_t kCdxFreeListOffset = 4;
constexpr size_t kCdxCounterOffset = 8;
constexpr size_t kCdxKeyLengthOffset = 12;
constexpr size_t kCdxOptionsOffset = 14;
constexpr size_t kCdxSignatureOffset = 15;
constexpr size_t kCdxOrderOffset = 502;
constexpr size_t kCdxForStartOffset = 504;
constexpr size_t kCdxForLengthOffset = 506;
constexpr size_t kCdxKeyExprLengthOffset = 510;
constexpr size_t kCdxPoolOffset = 512;
// The part of the compound header a flush rewrites: root, free list, counter.
constexpr size_t kCdxHeadBytes = 12;

// Offsets in a node.
constexpr size_t kCdxAttrOffset = 0;
constexpr size_t kCdxCountOffset = 2;
constexpr size_t kCdxLeftOffset = 4;
constexpr size_t kCdxRightOffset = 8;
constexpr size_t kCdxInteriorEntriesOffset = 12;
constexpr size_t kCdxInteriorPointerBytes = 8;  // record number and child after each key
constexpr size_t kCdxLeafFreeOffset = 12;
constexpr size_t kCdxLeafRecMaskOffset = 14;
constexpr size_t kCdxLeafDupMaskOffset = 18;
constexpr size_t kCdxLeafTrailMaskOffset = 19;
constexpr size_t kCdxLeafRecBitsOffset = 20;
constexpr size_t kCdxLeafDupBitsOffset = 21;
constexpr size_t kCdxLeafTrailBitsOffset = 22;
constexpr size_t kCdxLeafEntryBytesOffset = 23;
constexpr size_t kCdxLeafEntriesOffset = 24;

// The tag directory: a tree at offset 0 whose keys are the tag names padded
// with blanks to ten bytes and whose record numbers are the tags' header
// offsets.
constexpr int kCdxTagNameLength = 10;
// The pad byte of character keys (and of the directory's names); other keys
// pad with zeros.
constexpr uint8_t kCdxBlank = 0x20;

struct CdxHeader {
    uint32_t root = 0;
    uint32_t freeList = 0;
    uint32_t counter = 0;
    uint16_t keyLength = 0;
    uint8_t options = kCdxCompact | kCdxCompound;
    uint8_t signature = 1;
    bool descending = false;
    std::string keyExpr;
    std::string forExpr;
    // The 1024 bytes as read from the file (all zero for a new header):
    // writeCdxHeader starts from them, so the bytes this engine does not
    // interpret survive a rewrite.
    std::array<uint8_t, kCdxHeaderSize> stored{};
};

// Reads a header from `bytes` (kCdxHeaderSize of them). kCorruptIndex, with
// the fault as the message (the caller adds the file), when the key length
// or the expression pool is out of range.
Status parseCdxHeader(const uint8_t* bytes, CdxHeader* header);
// Writes `header` into 1024 bytes, over a copy of header.stored: the pool
// keeps its stored bytes while the expressions are the stored ones.
// REQUIRES: the expressions fit the pool.
void writeCdxHeader(const CdxHeader& header, uint8_t* bytes);
// True when key and FOR text (with their NULs) fit the 512-byte pool.
bool cdxPoolFits(std::string_view keyExpr, std::string_view forExpr);

// One node, decoded: entries in stored order with their full keys.
struct CdxNode {
    bool leaf = true;
    bool root = false;
    uint32_t left = kCdxNone;
    uint32_t right = kCdxNone;
    std::string keys;                // count * keyLength bytes
    std::vector<uint32_t> recnos;    // count
    std::vector<uint32_t> children;  // interior nodes: count child offsets

    size_t count() const { return recnos.size(); }
    std::string_view key(size_t i, int keyLength) const {
        return std::string_view(keys).substr(i * static_cast<size_t>(keyLength),
                                             static_cast<size_t>(keyLength));
    }
};

// Decodes the 512 bytes of a node. `pad` fills stripped trailing bytes.
// Every count, width and length is checked against the page; a pointer is
// checked to be page-aligned and below `fileBytes`. kCorruptIndex with the
// message "node at N: ..." (the caller adds the file) when it is damaged.
Status decodeCdxNode(const uint8_t* page, uint32_t pageOffset, int keyLength, uint8_t pad,
                     uint64_t fileBytes, CdxNode* node);

// Bytes a leaf holding `node`'s entries needs in its 488-byte area; more
// than kCdxLeafArea means it does not fit.
int cdxLeafBytes(const CdxNode& node, int keyLength, uint8_t pad);
// Bytes of one packed leaf entry for the greatest record number of a leaf.
int cdxLeafEntryBytes(uint32_t maxRecno, int keyLength);
// Key-tail bytes a leaf stores for `key` after `prev` (prev empty for the
// first key of a leaf): the key length less shared prefix and trailing pad.
int cdxTailBytes(std::string_view prev, std::string_view key, uint8_t pad);
// Greatest number of interior entries per node for a key length.
int cdxInteriorCapacity(int keyLength);

// Encodes `node` into 512 bytes. REQUIRES: it fits (cdxLeafBytes <=
// kCdxLeafArea, or count <= cdxInteriorCapacity).
void encodeCdxNode(const CdxNode& node, int keyLength, uint8_t pad, uint8_t* page);

}  // namespace engine
