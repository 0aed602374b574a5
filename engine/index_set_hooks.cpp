// IndexSet: the hooks that keep every tag in step with the table, tag
// creation, zap and rebuild (see index_set.h).
#include <cstring>

#include "engine/index_set.h"
#include "engine/index_set_internal.h"
#include "os/fs.h"
#include "os/path.h"
#include "os/path_parts.h"

namespace engine {

namespace {

// kUnknown: the tag appeared (another process created it) after the
// record's keys were noted; where the record stood in it is not known.
constexpr char kOut = 0, kIn = 1, kSkip = 2, kUnknown = 3;

}  // namespace

Status IndexSet::keyOf(size_t i, const RecordView& record, std::string* key, char* in) {
    *in = kKeySkip;
    const Order& o = orders_[i];
    if (isStale(o.bag) || o.bag->readOnly()) return Status();
    CdxTag& t = *o.tag;
    if (!t.maintainable())
        return Status(kBadExpression, o.bag->path() + ": tag " + t.name + ": " + t.exprError);
    *in = kKeyOut;
    if (t.filter) {
        ExprValue ok;
        if (Status s = t.filter->evaluate(record, &ok); !s.ok())
            return Status::error(kBadExpression, o.bag->path(),
                                 "tag " + t.name + ": FOR of record " +
                                     std::to_string(record.recordNumber()) + ": " + s.message());
        if (!ok.logical) return Status();
    }
    Status r = cdxRecordKey(*t.key, t.format, record, key);
    if (!r.ok()) return Status::error(r.code(), o.bag->path(), "tag " + t.name + ": " + r.message());
    *in = kKeyIn;
    return Status();
}

Status IndexSet::noteKeys(const RecordView& record, std::vector<std::string>* keys,
                          std::vector<char>* in) {
    if (Status r = checkOpened(); !r.ok()) return r;
    // Cleared, not replaced: a caller that passes the same vectors for
    // record after record keeps their memory.
    keys->resize(orders_.size());
    for (std::string& k : *keys) k.clear();
    in->resize(orders_.size());  // keyOf says where the record stands in each
    for (size_t i = 0; i < orders_.size(); ++i)
        if (Status r = keyOf(i, record, &(*keys)[i], &(*in)[i]); !r.ok()) return r;
    return Status();
}

Status IndexSet::addKey(CdxTag& tag, const std::string& key, uint32_t recno) {
    if (tag.unique()) {
        CdxCursor c;
        Status r = tag.tree->seek(key, 0, false, &c);
        if (!r.ok()) return r;
        if (c.valid && c.key == key) return Status();  // only the first record with a key is kept
    }
    Status r = tag.tree->insert(key, recno);
    return r;
}

// Removes the entry of `recno` from `tag`, wherever it is: a walk of the
// whole tag, for the rare tag whose old key for the record is not known.
Status IndexSet::eraseRecord(CdxTag& tag, uint32_t recno) {
    CdxCursor c;
    Status r = tag.tree->first(&c);
    while (r.ok() && c.valid && c.recno != recno) r = tag.tree->next(&c);
    if (!r.ok()) return r;
    if (!c.valid) return Status();
    bool found = false;
    std::string key = c.key;
    r = tag.tree->erase(key, recno, &found);
    return r;
}

Status IndexSet::moveKeys(const RecordView& record, const std::vector<std::string>& oldKeys,
                          const std::vector<char>& oldIn) {
    std::vector<std::string> keys;
    std::vector<char> in;
    Status r = noteKeys(record, &keys, &in);
    if (!r.ok()) return r;
    uint32_t recno = record.recordNumber();
    for (size_t i = 0; i < orders_.size() && i < oldIn.size(); ++i) {
        if (in[i] == kKeySkip || oldIn[i] == kKeySkip) continue;
        if (in[i] == oldIn[i] && (in[i] == kKeyOut || keys[i] == oldKeys[i])) continue;
        CdxTag& t = *orders_[i].tag;
        if (oldIn[i] == kKeyUnknown && (r = eraseRecord(t, recno)) != kOk) return r;
        if (oldIn[i] == kKeyIn) {
            bool found;
            if (r = t.tree->erase(oldKeys[i], recno, &found); !r.ok()) return r;
        }
        if (in[i] == kKeyIn && (r = addKey(t, keys[i], recno)) != kOk) return r;
    }
    return Status();
}

Status IndexSet::onAppend(const RecordView& record) {
    if (orders_.empty()) return Status();  // a table without indexes
    if (bulk_ && !bulk_->workerDecided) decideWorker(record);
    if (bulk_ && bulk_->worker) {
        bool taken = false;
        Status r = keepByWorker(record, &taken);
        if (!r.ok() || taken) return r;
    }
    if (bulk_) return keepKeysOf(record);
    std::vector<std::string>& keys = appendKeys_;
    std::vector<char>& in = appendIn_;
    Status r = noteKeys(record, &keys, &in);
    if (!r.ok()) return r;
    for (size_t i = 0; i < orders_.size(); ++i)
        if (in[i] == kKeyIn && (r = addKey(*orders_[i].tag, keys[i], record.recordNumber())) != kOk)
            return r;
    return Status();
}

Status IndexSet::beforeWrite(const RecordView& record) {
    if (pending_ && pending_->recno == record.recordNumber()) return Status();
    if (Status r = settle(); !r.ok()) return r;
    auto p = std::make_unique<PendingWrite>();
    p->recno = record.recordNumber();
    Status r = noteKeys(record, &p->keys, &p->in);
    if (!r.ok()) return r;
    for (const Order& o : orders_) p->serials.push_back(o.tag->serial);
    pending_ = std::move(p);
    return Status();
}

Status IndexSet::afterWrite(const RecordView& record) {
    if (!pending_ || pending_->recno != record.recordNumber())
        return Status(kInvalidArgument, "index update of record " +
                                            std::to_string(record.recordNumber()) +
                                            " without its keys from before the change");
    std::unique_ptr<PendingWrite> p = std::move(pending_);
    // The order list may have changed since (tags of another process).
    std::vector<std::string> keys(orders_.size());
    std::vector<char> in(orders_.size(), kKeyUnknown);
    for (size_t i = 0; i < orders_.size(); ++i)
        for (size_t j = 0; j < p->serials.size(); ++j)
            if (p->serials[j] == orders_[i].tag->serial) {
                keys[i] = std::move(p->keys[j]);
                in[i] = p->in[j];
            }
    return moveKeys(record, keys, in);
}

Status IndexSet::onZap() {
    bulk_.reset();  // the kept keys belong to records that are gone
    for (auto& b : bags_) {
        Status r = b->rewrite(nullptr, IndexBuildProgress());
        if (!r.ok()) return r;
    }
    stale_.clear();
    unchecked_.clear();
    pending_.reset();
    return Status();
}

Status IndexSet::rebuildAll(RecordSource& records, const IndexBuildProgress& progress) {
    bulk_.reset();  // the scan below reads every record again
    for (auto& b : bags_) {
        Status r = b->rewrite(&records, progress);
        if (!r.ok()) return r;
    }
    stale_.clear();
    unchecked_.clear();
    pending_.reset();
    return Status();
}

Status IndexSet::createTag(std::string_view bagPath, std::string_view tag, std::string_view keyExpr,
                           std::string_view forExpr, bool unique, bool descending,
                           RecordSource& records, const IndexBuildProgress& progress, int* order) {
    if (!schema_)
        return Status(kInvalidArgument, "createTag before the table's indexes were opened");
    if (mode_.readOnly) return Status(kReadOnly, "table opened read-only: no index can be created");
    if (Status r = settle(); !r.ok()) return r;
    bulk_.reset();  // the new tag is built from a scan; later appends insert
    CdxBag* bag = nullptr;
    std::string path = bagPath.empty() ? structuralPath_ : std::string(bagPath);
    if (!bagPath.empty()) path = os::withDefaultExtension(path, ".cdx");
    std::string resolved = os::resolvePath(path);
    for (auto& b : bags_)
        if (os::resolvePath(b->path()) == resolved) bag = b.get();
    if (!bag && os::fileExists(path)) {
        Status r = openAny(path, *schema_, records.recordCount(), mode_, bagPath.empty());
        if (!r.ok()) return r;
        for (auto& b : bags_)
            if (os::resolvePath(b->path()) == resolved) bag = b.get();
    }
    if (!bag) {
        std::unique_ptr<CdxBag> created;
        Status r = CdxBag::create(path, bagPath.empty(), mode_.shared, &created);
        if (!r.ok()) return r;
        bag = created.get();
        if (bagPath.empty()) {
            bags_.insert(bags_.begin(), std::move(created));
            hasStructural_ = true;
        } else {
            bags_.push_back(std::move(created));
        }
    }
    pending_.reset();
    CdxTag* made = nullptr;
    Status r = bag->createTag(tag, keyExpr, forExpr, unique, descending, *schema_, records,
                              progress, &made);
    listOrders();
    if (!r.ok()) return r;
    for (size_t i = 0; i < orders_.size(); ++i)
        if (orders_[i].tag == made) current_ = static_cast<int>(i + 1);
    *order = current_;
    return Status();
}

}  // namespace engine
