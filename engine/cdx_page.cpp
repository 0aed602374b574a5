// Encoding and decoding of CDX headers and nodes (layout in cdx_page.h).
#include "engine/cdx_page.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace engine {

namespace {

// Bits needed to hold v, at least one.
int bitsFor(uint32_t v) {
    return std::max(1, static_cast<int>(std::bit_width(v)));
}

std::string at(uint32_t offset) {
    return "node at " + std::to_string(offset) + ": ";
}

bool pointerOk(uint32_t p, uint64_t fileBytes) {
    return p == kCdxNone ||
           (p % kCdxPageSize == 0 && p >= kCdxPageSize && p + uint64_t(kCdxPageSize) <= fileBytes);
}

struct LeafLayout {
    int r, d, t, e;
};

LeafLayout leafLayout(const CdxNode& node, int keyLength) {
    uint32_t maxRec = 0;
    for (uint32_t r : node.recnos) maxRec = std::max(maxRec, r);
    LeafLayout l;
    l.d = l.t = bitsFor(static_cast<uint32_t>(keyLength));
    int r = bitsFor(maxRec);
    l.e = (r + l.d + l.t + 7) / 8;
    l.r = std::min(32, 8 * l.e - l.d - l.t);
    return l;
}

uint64_t load64(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Bytes of `key` at its end equal to `pad`, eight at a time while they last.
size_t trailingPad(std::string_view key, uint8_t pad) {
    const uint64_t pads = uint64_t(pad) * 0x0101010101010101u;
    size_t n = 0;
    for (; n + 8 <= key.size(); n += 8) {
        uint64_t diff = load64(key.data() + key.size() - n - 8) ^ pads;
        if (diff == 0) continue;
        // The last bytes in memory are the high ones of a little-endian load.
        if constexpr (std::endian::native == std::endian::little)
            return n + static_cast<size_t>(std::countl_zero(diff)) / 8;
        else
            return n + static_cast<size_t>(std::countr_zero(diff)) / 8;
    }
    while (n < key.size() && static_cast<uint8_t>(key[key.size() - 1 - n]) == pad) ++n;
    return n;
}

// Length of the common start of a and b, compared eight bytes at a time.
size_t commonPrefix(std::string_view a, std::string_view b) {
    size_t n = 0, m = std::min(a.size(), b.size());
    for (; n + 8 <= m; n += 8) {
        uint64_t diff = load64(a.data() + n) ^ load64(b.data() + n);
        if (diff == 0) continue;
        if constexpr (std::endian::native == std::endian::little)
            return n + static_cast<size_t>(std::countr_zero(diff)) / 8;
        else
            return n + static_cast<size_t>(std::countl_zero(diff)) / 8;
    }
    while (n < m && a[n] == b[n]) ++n;
    return n;
}

Status decodeLeaf(const uint8_t* page, uint32_t offset, int keyLength, uint8_t pad, size_t count,
                  CdxNode* node) {
    uint32_t recMask = getU32le(page + kCdxLeafRecMaskOffset);
    uint32_t dupMask = page[kCdxLeafDupMaskOffset], trailMask = page[kCdxLeafTrailMaskOffset];
    int r = page[kCdxLeafRecBitsOffset], d = page[kCdxLeafDupBitsOffset],
        t = page[kCdxLeafTrailBitsOffset], e = page[kCdxLeafEntryBytesOffset];
    if (e < 1 || e > 8 || r > 32 || d > 8 || t > 8 || r + d + t > 8 * e) {
        return Status(kCorruptIndex, at(offset) + "leaf bit widths out of range");
    }
    if (count * static_cast<size_t>(e) > static_cast<size_t>(kCdxLeafArea)) {
        return Status(kCorruptIndex, at(offset) + "leaf key count beyond the page");
    }
    size_t limit = kCdxLeafEntriesOffset + count * static_cast<size_t>(e);
    size_t p = kCdxPageSize;
    size_t kl = static_cast<size_t>(keyLength);
    node->keys.assign(count * kl, '\0');
    node->recnos.resize(count);
    const uint64_t entryMask = e >= 8 ? ~uint64_t(0) : (uint64_t(1) << (8 * e)) - 1;
    for (size_t i = 0; i < count; ++i) {
        size_t entry = kCdxLeafEntriesOffset + i * static_cast<size_t>(e);
        uint64_t v = 0;
        if (entry + 8 <= kCdxPageSize) {
            v = getU64le(page + entry) & entryMask;  // the entry and the bytes after it, cut off
        } else {
            for (int b = e - 1; b >= 0; --b) v = v << 8 | page[entry + static_cast<size_t>(b)];
        }
        size_t dup = static_cast<size_t>((v >> r) & dupMask);
        size_t trail = static_cast<size_t>((v >> (r + d)) & trailMask);
        if (dup + trail > kl || (i == 0 && dup > 0)) {
            return Status(kCorruptIndex,
                          at(offset) + "leaf entry " + std::to_string(i) + " has bad counts");
        }
        size_t n = kl - dup - trail;
        if (p < limit + n) {
            return Status(kCorruptIndex, at(offset) + "leaf key bytes overlap its entries");
        }
        p -= n;
        char* key = &node->keys[i * kl];
        if (dup > 0) std::memcpy(key, key - kl, dup);
        std::memcpy(key + dup, page + p, n);
        std::memset(key + dup + n, pad, trail);
        node->recnos[i] = static_cast<uint32_t>(v & recMask);
    }
    return Status();
}

Status decodeInterior(const uint8_t* page, uint32_t offset, int keyLength, uint64_t fileBytes,
                      size_t count, CdxNode* node) {
    size_t kl = static_cast<size_t>(keyLength), step = kl + kCdxInteriorPointerBytes;
    if (count == 0 || count * step > static_cast<size_t>(kCdxInteriorArea)) {
        return Status(kCorruptIndex, at(offset) + "interior key count out of range");
    }
    node->keys.resize(count * kl);
    node->recnos.resize(count);
    node->children.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = page + kCdxInteriorEntriesOffset + i * step;
        std::memcpy(&node->keys[i * kl], entry, kl);
        node->recnos[i] = getU32be(entry + kl);
        uint32_t child = getU32be(entry + kl + 4);
        if (child == kCdxNone || !pointerOk(child, fileBytes) || child == offset) {
            return Status(kCorruptIndex, at(offset) + "child pointer " + std::to_string(child) +
                                             " outside the file");
        }
        node->children[i] = child;
    }
    return Status();
}

}  // namespace

bool cdxPoolFits(std::string_view keyExpr, std::string_view forExpr) {
    return keyExpr.size() + 1 + forExpr.size() + 1 <= static_cast<size_t>(kCdxPoolSize);
}

namespace {

// The key and FOR expressions held in a pool: the key up to its NUL, the
// FOR text from there up to the next NUL.
void poolExpressions(const uint8_t* poolBytes, std::string* keyExpr, std::string* forExpr) {
    const char* pool = reinterpret_cast<const char*>(poolBytes);
    size_t keyEnd = std::find(pool, pool + kCdxPoolSize, '\0') - pool;
    keyExpr->assign(pool, keyEnd);
    forExpr->clear();
    if (keyEnd + 1 < static_cast<size_t>(kCdxPoolSize)) {
        const char* f = pool + keyEnd + 1;
        size_t forEnd = std::find(f, pool + kCdxPoolSize, '\0') - f;
        forExpr->assign(f, forEnd);
    }
}

}  // namespace

Status parseCdxHeader(const uint8_t* b, CdxHeader* h) {
    std::memcpy(h->stored.data(), b, kCdxHeaderSize);
    h->root = getU32le(b + kCdxRootOffset);
    h->freeList = getU32le(b + kCdxFreeListOffset);
    h->counter = getU32be(b + kCdxCounterOffset);
    h->keyLength = getU16le(b + kCdxKeyLengthOffset);
    h->options = b[kCdxOptionsOffset];
    h->signature = b[kCdxSignatureOffset];
    h->descending = getU16le(b + kCdxOrderOffset) != 0;
    if (h->keyLength < 1 || h->keyLength > kCdxMaxKeyLength) {
        return Status(kCorruptIndex,
                      "key length " + std::to_string(h->keyLength) + " out of range");
    }
    uint16_t forLen = getU16le(b + kCdxForLengthOffset),
             keyLen = getU16le(b + kCdxKeyExprLengthOffset);
    if (keyLen > kCdxPoolSize || forLen > kCdxPoolSize) {
        return Status(kCorruptIndex, "expression lengths beyond the pool");
    }
    poolExpressions(b + kCdxPoolOffset, &h->keyExpr, &h->forExpr);
    return Status();
}

void writeCdxHeader(const CdxHeader& h, uint8_t* b) {
    std::memcpy(b, h.stored.data(), kCdxHeaderSize);
    std::string storedKey, storedFor;
    poolExpressions(b + kCdxPoolOffset, &storedKey, &storedFor);
    bool samePool = storedKey == h.keyExpr && storedFor == h.forExpr;
    putU32le(b + kCdxRootOffset, h.root);
    putU32le(b + kCdxFreeListOffset, h.freeList);
    putU32be(b + kCdxCounterOffset, h.counter);
    putU16le(b + kCdxKeyLengthOffset, h.keyLength);
    b[kCdxOptionsOffset] = h.options;
    b[kCdxSignatureOffset] = h.signature;
    uint16_t keyLen = static_cast<uint16_t>(h.keyExpr.size() + 1);
    uint16_t forLen = static_cast<uint16_t>(h.forExpr.size() + 1);
    putU16le(b + kCdxOrderOffset, h.descending ? 1 : 0);
    // Readers find the FOR expression where the start field points: right after the
    // key expression and its NUL.
    putU16le(b + kCdxForStartOffset, keyLen);
    putU16le(b + kCdxForLengthOffset, forLen);
    putU16le(b + kCdxKeyExprLengthOffset, keyLen);
    if (samePool) return;
    std::memset(b + kCdxPoolOffset, 0, kCdxPoolSize);
    std::memcpy(b + kCdxPoolOffset, h.keyExpr.data(), h.keyExpr.size());
    std::memcpy(b + kCdxPoolOffset + keyLen, h.forExpr.data(), h.forExpr.size());
}

Status decodeCdxNode(const uint8_t* page, uint32_t offset, int keyLength, uint8_t pad,
                     uint64_t fileBytes, CdxNode* node) {
    uint16_t attr = getU16le(page + kCdxAttrOffset);
    size_t count = getU16le(page + kCdxCountOffset);
    // Bit 0x04 is set by some writers on root leaves; it carries nothing we need.
    if (attr > 7) {
        return Status(kCorruptIndex,
                      at(offset) + "unknown node attributes " + std::to_string(attr));
    }
    node->leaf = (attr & kCdxAttrLeaf) != 0;
    node->root = (attr & kCdxAttrRoot) != 0;
    node->left = getU32le(page + kCdxLeftOffset);
    node->right = getU32le(page + kCdxRightOffset);
    node->children.clear();
    if (!pointerOk(node->left, fileBytes) || !pointerOk(node->right, fileBytes)) {
        return Status(kCorruptIndex, at(offset) + "sibling pointer outside the file");
    }
    if (node->leaf) return decodeLeaf(page, offset, keyLength, pad, count, node);
    return decodeInterior(page, offset, keyLength, fileBytes, count, node);
}

int cdxLeafBytes(const CdxNode& node, int keyLength, uint8_t pad) {
    LeafLayout l = leafLayout(node, keyLength);
    size_t total = node.count() * static_cast<size_t>(l.e);
    std::string_view prev;
    for (size_t i = 0; i < node.count(); ++i) {
        std::string_view key = node.key(i, keyLength);
        size_t trail = trailingPad(key, pad);
        size_t dup = i == 0 ? 0 : std::min(commonPrefix(prev, key), key.size() - trail);
        total += key.size() - dup - trail;
        prev = key;
    }
    return static_cast<int>(std::min<size_t>(total, 1 << 20));
}

int cdxLeafEntryBytes(uint32_t maxRecno, int keyLength) {
    int d = bitsFor(static_cast<uint32_t>(keyLength));
    return (bitsFor(maxRecno) + 2 * d + 7) / 8;
}

int cdxTailBytes(std::string_view prev, std::string_view key, uint8_t pad) {
    size_t trail = trailingPad(key, pad);
    size_t dup = prev.empty() ? 0 : std::min(commonPrefix(prev, key), key.size() - trail);
    return static_cast<int>(key.size() - dup - trail);
}

int cdxInteriorCapacity(int keyLength) {
    return kCdxInteriorArea / (keyLength + static_cast<int>(kCdxInteriorPointerBytes));
}

void encodeCdxNode(const CdxNode& node, int keyLength, uint8_t pad, uint8_t* page) {
    std::memset(page, 0, kCdxPageSize);
    uint16_t attr =
        static_cast<uint16_t>((node.leaf ? kCdxAttrLeaf : 0) | (node.root ? kCdxAttrRoot : 0));
    putU16le(page + kCdxAttrOffset, attr);
    putU16le(page + kCdxCountOffset, static_cast<uint16_t>(node.count()));
    putU32le(page + kCdxLeftOffset, node.left);
    putU32le(page + kCdxRightOffset, node.right);
    size_t kl = static_cast<size_t>(keyLength);
    if (!node.leaf) {
        for (size_t i = 0; i < node.count(); ++i) {
            uint8_t* entry = page + kCdxInteriorEntriesOffset + i * (kl + kCdxInteriorPointerBytes);
            std::memcpy(entry, node.keys.data() + i * kl, kl);
            putU32be(entry + kl, node.recnos[i]);
            putU32be(entry + kl + 4, node.children[i]);
        }
        return;
    }
    LeafLayout l = leafLayout(node, keyLength);
    page[kCdxLeafRecBitsOffset] = static_cast<uint8_t>(l.r);
    page[kCdxLeafDupBitsOffset] = static_cast<uint8_t>(l.d);
    page[kCdxLeafTrailBitsOffset] = static_cast<uint8_t>(l.t);
    page[kCdxLeafEntryBytesOffset] = static_cast<uint8_t>(l.e);
    putU32le(page + kCdxLeafRecMaskOffset, l.r >= 32 ? 0xFFFFFFFFu : (1u << l.r) - 1);
    page[kCdxLeafDupMaskOffset] = static_cast<uint8_t>((1u << l.d) - 1);
    page[kCdxLeafTrailMaskOffset] = static_cast<uint8_t>((1u << l.t) - 1);
    size_t p = kCdxPageSize;
    std::string_view prev;
    for (size_t i = 0; i < node.count(); ++i) {
        std::string_view key = node.key(i, keyLength);
        size_t trail = trailingPad(key, pad);
        size_t dup = i == 0 ? 0 : std::min(commonPrefix(prev, key), key.size() - trail);
        size_t n = key.size() - dup - trail;
        p -= n;
        std::memcpy(page + p, key.data() + dup, n);
        uint64_t v =
            uint64_t(node.recnos[i]) | uint64_t(dup) << l.r | uint64_t(trail) << (l.r + l.d);
        for (int b = 0; b < l.e; ++b)
            page[kCdxLeafEntriesOffset + i * static_cast<size_t>(l.e) + static_cast<size_t>(b)] =
                static_cast<uint8_t>(v >> (8 * b));
        prev = key;
    }
    putU16le(
        page + kCdxLeafFreeOffset,
        static_cast<uint16_t>(p - kCdxLeafEntriesOffset - node.count() * static_cast<size_t>(l.e)));
}

}  // namespace engine
