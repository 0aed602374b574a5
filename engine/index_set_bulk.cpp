// IndexSet: appends in bulk. While a fresh, exclusively opened table is
// filled, the keys of its appended records are kept aside and each tag is
// built once, sorted, when anything needs the trees (see index_set.h).
#include "engine/index_set.h"
#include "engine/index_set_internal.h"

namespace engine {
namespace {

// Past this much memory the kept keys are built into the trees, and later
// appends insert one by one: a very large refill still ends, only slower.
constexpr size_t kMaxBulkBytes = size_t(512) << 20;

}  // namespace

void IndexSet::beginBulk() {
    bulk_.reset();
    if (mode_.shared || mode_.readOnly || orders_.empty() || pending_) return;
    if (!checkOpened().ok() || !stale_.empty()) return;
    for (const Order& o : orders_) {
        if (o.bag->readOnly() || !o.tag->maintainable()) return;
        uint32_t n = 0;
        // A tree that cannot be counted is left to the ordinary inserts,
        // which report its damage.
        if (!o.tag->tree->count(&n).ok() || n != 0) return;
    }
    bulk_ = std::make_unique<Bulk>();
    bulk_->keys.resize(orders_.size());
    bulk_->recnos.resize(orders_.size());
}

Status IndexSet::keepKeys(const std::vector<std::string>& keys, const std::vector<char>& in,
                          uint32_t recno) {
    for (size_t i = 0; i < orders_.size(); ++i) {
        if (in[i] != kKeyIn) continue;  // FOR false, or a tag the hooks skip
        std::string& kept = bulk_->keys[i];
        size_t kl = static_cast<size_t>(orders_[i].tag->tree->keyLength());
        kept.append(keys[i], 0, kl);
        if (keys[i].size() < kl)
            kept.append(kl - keys[i].size(), static_cast<char>(orders_[i].tag->tree->pad()));
        bulk_->recnos[i].push_back(recno);
        bulk_->bytes += kl + sizeof(uint32_t);
        ++bulk_->entries;
    }
    return bulk_->bytes > kMaxBulkBytes ? settle() : Status();
}

Status IndexSet::settle() {
    if (!bulk_ || bulk_->entries == 0) return Status();
    std::unique_ptr<Bulk> b = std::move(bulk_);
    for (size_t i = 0; i < orders_.size() && i < b->keys.size(); ++i) {
        if (b->recnos[i].empty()) continue;
        CdxTag& t = *orders_[i].tag;
        if (Status r = cdxFillTree(t, b->keys[i], b->recnos[i]); !r.ok()) return r;
        std::vector<uint32_t>().swap(b->recnos[i]);
    }
    return Status();
}

}  // namespace engine
