// Radix ordering of a tag's keys (see cdx_sort.h). Each pass takes eight key
// bytes of every entry in a range as one big-endian number and orders the
// range by it with a stable least-significant-digit radix sort, skipping the
// digits every entry shares; runs of entries whose eight bytes tie go on to
// the next eight bytes. Stability keeps equal keys in position order, and
// small ranges, where the digit tables would cost more than the entries, go
// to a comparison sort with the position as last tie-break.
#include "engine/cdx_sort.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "engine/busy.h"

namespace engine {
namespace {

struct Item {
    uint64_t word;   // the eight key bytes the range is being ordered by
    uint32_t index;  // position of the key in the list
};

// Below this many entries a range is ordered by comparisons.
constexpr size_t kRadixMin = 256;

class KeySorter {
public:
    KeySorter(const char* keys, size_t keyLength)
        : keys_(reinterpret_cast<const unsigned char*>(keys)), kl_(keyLength) {}

    // Orders a[0..n) (entries of equal bytes before `offset`, in position
    // order) by the key bytes from `offset` on, then by position; tmp is
    // scratch room for n entries. `loaded` says the entries' words already
    // hold their bytes at `offset`.
    void sort(Item* a, Item* tmp, size_t n, size_t offset, bool loaded = false) {
        if (!loaded) load(n, offset, [a](size_t i) -> Item& { return a[i]; });
        bool ordered = true;
        for (size_t i = 1; i < n && ordered; ++i) {
            busyStep();
            ordered = a[i].word >= a[i - 1].word;
        }
        if (n < kRadixMin) {
            std::sort(a, a + n, [&](const Item& x, const Item& y) { return less(x, y, offset); });
            return;
        }
        if (!ordered) radix(a, tmp, n);
        if (offset + 8 >= kl_) return;
        // Runs of tied words go on to the next eight bytes. Those bytes are
        // loaded for every tied entry in one pass first: entries sit in key
        // order, their keys in position order, so each load is a cache miss
        // that a flat pass can overlap with the next ones.
        std::vector<std::pair<size_t, size_t>> ties;
        std::vector<Item*> tied;
        for (size_t i = 0; i < n;) {
            size_t j = i + 1;
            while (j < n && a[j].word == a[i].word) {
                busyStep();
                ++j;
            }
            if (j - i > 1) {
                ties.emplace_back(i, j - i);
                for (size_t k = i; k < j; ++k) {
                    busyStep();
                    tied.push_back(a + k);
                }
            }
            i = j;
        }
        load(tied.size(), offset + 8, [&tied](size_t i) -> Item& { return *tied[i]; });
        for (auto [from, count] : ties) sort(a + from, tmp + from, count, offset + 8, true);
    }

private:
    // Key bytes offset..offset+7 of entry `index` as a big-endian number,
    // zero-filled past the key's end.
    uint64_t wordAt(uint32_t index, size_t offset) const {
        const unsigned char* p = keys_ + size_t(index) * kl_ + offset;
        size_t left = kl_ - offset;
        if (left >= 8) {
            uint64_t v;
            std::memcpy(&v, p, 8);
            if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
            return v;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < 8; ++i) v = (v << 8) | (i < left ? p[i] : 0u);
        return v;
    }

    // Sets the words of the n entries item(0..n-1) to their keys' bytes at
    // `offset`, asking for the key of an entry a few places ahead in advance.
    template <class ItemAt>
    void load(size_t n, size_t offset, ItemAt item) const {
        constexpr size_t kAhead = 16;
        for (size_t i = 0; i < n; ++i) {
            busyStep();
            if (i + kAhead < n)
                __builtin_prefetch(keys_ + size_t(item(i + kAhead).index) * kl_ + offset);
            Item& e = item(i);
            e.word = wordAt(e.index, offset);
        }
    }

    bool less(const Item& x, const Item& y, size_t offset) const {
        if (x.word != y.word) return x.word < y.word;
        if (offset + 8 < kl_) {
            size_t from = offset + 8;
            int c = std::memcmp(keys_ + size_t(x.index) * kl_ + from,
                                keys_ + size_t(y.index) * kl_ + from, kl_ - from);
            if (c != 0) return c < 0;
        }
        return x.index < y.index;
    }

    // Stable LSD radix sort of a[0..n) by word, a byte at a time.
    void radix(Item* a, Item* tmp, size_t n) {
        for (auto& c : counts_) c.fill(0);
        for (size_t i = 0; i < n; ++i) {
            busyStep();
            uint64_t w = a[i].word;
            for (size_t b = 0; b < 8; ++b) ++counts_[b][(w >> (8 * b)) & 0xFF];
        }
        Item* src = a;
        Item* dst = tmp;
        for (size_t b = 0; b < 8; ++b) {
            unsigned shift = unsigned(8 * b);
            auto& count = counts_[b];
            if (count[(src[0].word >> shift) & 0xFF] == n) continue;  // every entry alike
            std::array<uint32_t, 256> next;
            uint32_t sum = 0;
            for (size_t d = 0; d < 256; ++d) {
                next[d] = sum;
                sum += count[d];
            }
            for (size_t i = 0; i < n; ++i) {
                busyStep();
                dst[next[(src[i].word >> shift) & 0xFF]++] = src[i];
            }
            std::swap(src, dst);
        }
        if (src != a) {
            for (size_t i = 0; i < n; ++i) {
                busyStep();
                a[i] = src[i];
            }
        }
    }

    const unsigned char* keys_;
    size_t kl_;
    std::array<std::array<uint32_t, 256>, 8> counts_;
};

}  // namespace

void cdxSortKeys(const char* keys, size_t keyLength, size_t n, std::vector<uint32_t>* order) {
    order->resize(n);
    if (n == 0 || keyLength == 0) {
        for (size_t i = 0; i < n; ++i) (*order)[i] = static_cast<uint32_t>(i);
        return;
    }
    // Left uninitialised, so that the passes below, which step the busy
    // hook, are the first to touch the memory (millions of entries).
    std::unique_ptr<Item[]> items(new Item[n]), tmp(new Item[n]);
    for (size_t i = 0; i < n; ++i) {
        busyStep();
        items[i].index = static_cast<uint32_t>(i);
    }
    KeySorter(keys, keyLength).sort(items.get(), tmp.get(), n, 0);
    for (size_t i = 0; i < n; ++i) {
        busyStep();
        (*order)[i] = items[i].index;
    }
}

}  // namespace engine
