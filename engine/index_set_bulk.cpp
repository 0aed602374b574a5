// IndexSet: appends in bulk. While a fresh, exclusively opened table is
// filled, the keys of its appended records are kept aside and each tag is
// built once, sorted, when anything needs the trees (see index_set.h). The
// keys are computed on a second thread when the tags allow it
// (key_worker.h).
#include <thread>

#include "engine/index_set.h"
#include "engine/cdx_sort.h"
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

// Decides, at the first append of a bulk fill, whether a worker computes
// keys: only without FOR conditions, for a record of bytes, and only when a
// tag has a character key that comes from the record's bytes alone
// (expr_plan.h), the costly kind: a table whose keys are all bare fields
// computes them here for less than handing its records over. The worker
// then takes every key it can compute; the others stay on this thread.
void IndexSet::decideWorker(const RecordView& record) {
    bulk_->workerDecided = true;
    if (!keyWorkerEnabled() || std::thread::hardware_concurrency() < 2) return;
    const auto* bytes = dynamic_cast<const DbfRecord*>(&record);
    if (!bytes) return;
    bool costly = false;
    for (const Order& o : orders_) {
        const CdxTag& t = *o.tag;
        if (t.filter || !t.key) return;
        costly = costly || (t.format.type == 'C' && KeyWorker::canCompute(*t.key, t.format));
    }
    if (!costly) return;
    std::vector<KeyWorker::Tag> tags;
    std::vector<size_t> here;
    for (size_t i = 0; i < orders_.size(); ++i) {
        const CdxTag& t = *orders_[i].tag;
        if (!KeyWorker::canCompute(*t.key, t.format)) {
            here.push_back(i);
            continue;
        }
        KeyWorker::Tag w;
        w.key = t.key.get();
        w.format = t.format;
        w.keyLength = static_cast<size_t>(t.tree->keyLength());
        w.pad = static_cast<char>(t.tree->pad());
        w.keys = &bulk_->keys[i];
        w.recnos = &bulk_->recnos[i];
        w.name = orders_[i].bag->path() + ": tag " + t.name;
        tags.push_back(std::move(w));
    }
    bulk_->worker = std::make_unique<KeyWorker>(bytes->layout(), std::move(tags));
    bulk_->workerRecord = &record;
    bulk_->keptHere = std::move(here);
}

// Hands an appended record to the worker and keeps the keys of the other
// tags here; not taken when the record is not the one of bytes the worker
// was started with (the worker is then finished and the caller keeps this
// record's keys itself).
Status IndexSet::keepByWorker(const RecordView& record, bool* taken) {
    *taken = false;
    const DbfRecord* bytes = &record == bulk_->workerRecord
                                 ? static_cast<const DbfRecord*>(&record)
                                 : dynamic_cast<const DbfRecord*>(&record);
    if (!bytes || bytes->size() != bulk_->worker->recordBytes()) {
        Status r = bulk_->worker->finish();
        bulk_->worker.reset();
        return r;
    }
    bulk_->workerRecord = &record;
    bulk_->worker->add(bytes->data(), record.recordNumber());
    std::string& key = appendKeys_.empty() ? appendKeys_.emplace_back() : appendKeys_.front();
    for (size_t i : bulk_->keptHere) {
        const CdxTag& t = *orders_[i].tag;
        if (Status r = cdxRecordKey(*t.key, t.format, record, &key); !r.ok())
            return Status::error(r.code(), orders_[i].bag->path(),
                                 "tag " + t.name + ": " + r.message());
        size_t kl = static_cast<size_t>(t.tree->keyLength());
        std::string& kept = bulk_->keys[i];
        kept.append(key, 0, kl);
        if (key.size() < kl) kept.append(kl - key.size(), static_cast<char>(t.tree->pad()));
        bulk_->recnos[i].push_back(record.recordNumber());
    }
    for (const Order& o : orders_)
        bulk_->bytes += static_cast<size_t>(o.tag->tree->keyLength()) + sizeof(uint32_t);
    bulk_->entries += orders_.size();
    *taken = true;
    return bulk_->bytes > kMaxBulkBytes ? settle() : Status();
}

// Each key of an appended record goes straight into the tag's list.
Status IndexSet::keepKeysOf(const RecordView& record) {
    if (Status r = checkOpened(); !r.ok()) return r;
    std::string& key = appendKeys_.empty() ? appendKeys_.emplace_back() : appendKeys_.front();
    for (size_t i = 0; i < orders_.size(); ++i) {
        char in = kKeySkip;
        if (Status r = keyOf(i, record, &key, &in); !r.ok()) return r;
        if (in != kKeyIn) continue;  // FOR false, or a tag the hooks skip
        std::string& kept = bulk_->keys[i];
        size_t kl = static_cast<size_t>(orders_[i].tag->tree->keyLength());
        kept.append(key, 0, kl);
        if (key.size() < kl)
            kept.append(kl - key.size(), static_cast<char>(orders_[i].tag->tree->pad()));
        bulk_->recnos[i].push_back(record.recordNumber());
        bulk_->bytes += kl + sizeof(uint32_t);
        ++bulk_->entries;
    }
    return bulk_->bytes > kMaxBulkBytes ? settle() : Status();
}

Status IndexSet::settle() {
    if (!bulk_ || bulk_->entries == 0) return Status();
    std::unique_ptr<Bulk> b = std::move(bulk_);
    if (b->worker) {
        if (Status r = b->worker->finish(); !r.ok()) return r;
        b->worker.reset();
    }
    std::vector<size_t> todo;  // the orders with keys, in order
    for (size_t i = 0; i < orders_.size() && i < b->keys.size(); ++i)
        if (!b->recnos[i].empty()) todo.push_back(i);
    // With two tags or more, a second thread sorts the next tag's keys
    // while this one sorts and writes a tag (the writes stay here).
    const bool ahead = keyWorkerEnabled() && todo.size() > 1 &&
                       std::thread::hardware_concurrency() > 1;
    std::vector<std::vector<uint32_t>> sorted(orders_.size());
    std::thread sorter;
    struct Joined {
        std::thread& t;
        ~Joined() {
            if (t.joinable()) t.join();
        }
    } joined{sorter};
    for (size_t k = 0; k < todo.size(); ++k) {
        if (ahead && k + 1 < todo.size()) {
            size_t next = todo[k + 1];
            const std::string& keys = b->keys[next];
            size_t kl = static_cast<size_t>(orders_[next].tag->tree->keyLength());
            size_t n = b->recnos[next].size();
            sorter = std::thread([&keys, kl, n, out = &sorted[next]] {
                cdxSortKeys(keys.data(), kl, n, out);
            });
        }
        size_t i = todo[k];
        CdxTag& t = *orders_[i].tag;
        if (Status r = cdxFillTree(t, b->keys[i], b->recnos[i], &sorted[i]); !r.ok()) return r;
        std::vector<uint32_t>().swap(b->recnos[i]);
        if (sorter.joinable()) sorter.join();
    }
    return Status();
}

}  // namespace engine
