// IndexSet: the hooks that keep every tag in step with the table, tag
// creation, zap and rebuild (see index_set.h).
#include <cstring>

#include "engine/index_set.h"
#include "engine/index_set_internal.h"
#include "os/fs.h"
#include "os/path.h"

namespace engine {

namespace {

// kUnknown: the tag appeared (another process created it) after the
// record's keys were noted; where the record stood in it is not known.
constexpr char kOut = 0, kIn = 1, kSkip = 2, kUnknown = 3;

// The same record with the delete flag the other way round: what the record
// looked like before a delete or recall.
class FlippedDeleted : public RecordView {
public:
    explicit FlippedDeleted(const RecordView& r) : r_(r) {}
    int fieldCount() const override { return r_.fieldCount(); }
    const FieldDesc& field(int i) const override { return r_.field(i); }
    int findField(std::string_view name) const override { return r_.findField(name); }
    std::string text(int i) const override { return r_.text(i); }
    double number(int i) const override { return r_.number(i); }
    int32_t julianDay(int i) const override { return r_.julianDay(i); }
    bool logical(int i) const override { return r_.logical(i); }
    double dateTime(int i) const override { return r_.dateTime(i); }
    bool isNull(int i) const override { return r_.isNull(i); }
    bool deleted() const override { return !r_.deleted(); }
    uint32_t recordNumber() const override { return r_.recordNumber(); }

private:
    const RecordView& r_;
};

bool hasExtension(const std::string& p) {
    size_t slash = p.find_last_of("/\\"), dot = p.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

}  // namespace

Result IndexSet::noteKeys(const RecordView& record, std::vector<std::string>* keys, std::vector<char>* in) {
    keys->assign(orders_.size(), std::string());
    in->assign(orders_.size(), kSkip);
    std::string why;
    for (size_t i = 0; i < orders_.size(); ++i) {
        const Order& o = orders_[i];
        if (isStale(o.bag) || o.bag->readOnly()) continue;
        CdxTag& t = *o.tag;
        if (!t.maintainable()) return fail(kBadExpression, o.bag->path() + ": tag " + t.name + ": " + t.exprError);
        (*in)[i] = kOut;
        if (t.filter) {
            ExprValue ok;
            if (!t.filter->evaluate(record, &ok, &why))
                return fail(kBadExpression, "tag " + t.name + ": FOR of record " +
                                                std::to_string(record.recordNumber()) + ": " + why);
            if (!ok.logical) continue;
        }
        Result r = cdxRecordKey(*t.key, t.format, record, &(*keys)[i], &why);
        if (r != kOk) return fail(r, "tag " + t.name + ": " + why);
        (*in)[i] = kIn;
    }
    return kOk;
}

Result IndexSet::addKey(CdxTag& tag, const std::string& key, uint32_t recno) {
    std::string why;
    if (tag.unique()) {
        CdxCursor c;
        Result r = tag.tree->seek(key, 0, false, &c, &why);
        if (r != kOk) return fail(r, why);
        if (c.valid && c.key == key) return kOk;  // only the first record with a key is kept
    }
    Result r = tag.tree->insert(key, recno, &why);
    return r == kOk ? kOk : fail(r, why);
}

// Removes the entry of `recno` from `tag`, wherever it is: a walk of the
// whole tag, for the rare tag whose old key for the record is not known.
Result IndexSet::eraseRecord(CdxTag& tag, uint32_t recno) {
    std::string why;
    CdxCursor c;
    Result r = tag.tree->first(&c, &why);
    while (r == kOk && c.valid && c.recno != recno) r = tag.tree->next(&c, &why);
    if (r != kOk) return fail(r, why);
    if (!c.valid) return kOk;
    bool found = false;
    std::string key = c.key;
    r = tag.tree->erase(key, recno, &found, &why);
    return r == kOk ? kOk : fail(r, why);
}

Result IndexSet::moveKeys(const RecordView& record, const std::vector<std::string>& oldKeys,
                          const std::vector<char>& oldIn) {
    std::vector<std::string> keys;
    std::vector<char> in;
    Result r = noteKeys(record, &keys, &in);
    if (r != kOk) return r;
    uint32_t recno = record.recordNumber();
    std::string why;
    for (size_t i = 0; i < orders_.size() && i < oldIn.size(); ++i) {
        if (in[i] == kSkip || oldIn[i] == kSkip) continue;
        if (in[i] == oldIn[i] && (in[i] == kOut || keys[i] == oldKeys[i])) continue;
        CdxTag& t = *orders_[i].tag;
        if (oldIn[i] == kUnknown && (r = eraseRecord(t, recno)) != kOk) return r;
        if (oldIn[i] == kIn) {
            bool found;
            if ((r = t.tree->erase(oldKeys[i], recno, &found, &why)) != kOk) return fail(r, why);
        }
        if (in[i] == kIn && (r = addKey(t, keys[i], recno)) != kOk) return r;
    }
    error_.clear();
    return kOk;
}

Result IndexSet::onAppend(const RecordView& record) {
    std::vector<std::string> keys;
    std::vector<char> in;
    Result r = noteKeys(record, &keys, &in);
    if (r != kOk) return r;
    for (size_t i = 0; i < orders_.size(); ++i)
        if (in[i] == kIn && (r = addKey(*orders_[i].tag, keys[i], record.recordNumber())) != kOk) return r;
    error_.clear();
    return kOk;
}

Result IndexSet::beforeWrite(const RecordView& record) {
    if (pending_ && pending_->recno == record.recordNumber()) return kOk;
    auto p = std::make_unique<PendingWrite>();
    p->recno = record.recordNumber();
    Result r = noteKeys(record, &p->keys, &p->in);
    if (r != kOk) return r;
    for (const Order& o : orders_) p->serials.push_back(o.tag->serial);
    pending_ = std::move(p);
    return kOk;
}

Result IndexSet::afterWrite(const RecordView& record) {
    if (!pending_ || pending_->recno != record.recordNumber())
        return fail(kInvalidArgument, "index update of record " + std::to_string(record.recordNumber()) +
                                          " without its keys from before the change");
    std::unique_ptr<PendingWrite> p = std::move(pending_);
    // The order list may have changed since (tags of another process).
    std::vector<std::string> keys(orders_.size());
    std::vector<char> in(orders_.size(), kUnknown);
    for (size_t i = 0; i < orders_.size(); ++i)
        for (size_t j = 0; j < p->serials.size(); ++j)
            if (p->serials[j] == orders_[i].tag->serial) {
                keys[i] = std::move(p->keys[j]);
                in[i] = p->in[j];
            }
    return moveKeys(record, keys, in);
}

Result IndexSet::onDeleteRecall(const RecordView& record) {
    bool any = false;
    for (const Order& o : orders_)
        any = any || (o.tag->key && o.tag->key->usesDeleted()) || (o.tag->filter && o.tag->filter->usesDeleted());
    if (!any) return kOk;
    FlippedDeleted before(record);
    std::vector<std::string> keys;
    std::vector<char> in;
    Result r = noteKeys(before, &keys, &in);
    if (r != kOk) return r;
    return moveKeys(record, keys, in);
}

Result IndexSet::onZap() {
    std::string why;
    for (auto& b : bags_) {
        Result r = b->rewrite(nullptr, IndexBuildProgress(), &why);
        if (r != kOk) return fail(r, why);
    }
    stale_.clear();
    pending_.reset();
    error_.clear();
    return kOk;
}

Result IndexSet::rebuildAll(RecordSource& records, const IndexBuildProgress& progress) {
    std::string why;
    for (auto& b : bags_) {
        Result r = b->rewrite(&records, progress, &why);
        if (r != kOk) return fail(r, why);
    }
    stale_.clear();
    pending_.reset();
    error_.clear();
    return kOk;
}

Result IndexSet::createTag(std::string_view bagPath, std::string_view tag, std::string_view keyExpr,
                           std::string_view forExpr, bool unique, bool descending, RecordSource& records,
                           const IndexBuildProgress& progress, int* order) {
    if (!schema_) return fail(kInvalidArgument, "createTag before the table's indexes were opened");
    if (mode_.readOnly) return fail(kReadOnly, "table opened read-only: no index can be created");
    std::string why;
    CdxBag* bag = nullptr;
    std::string path = bagPath.empty() ? structuralPath_ : std::string(bagPath);
    if (!bagPath.empty() && !hasExtension(path)) path += ".cdx";
    std::string resolved = os::resolvePath(path);
    for (auto& b : bags_)
        if (os::resolvePath(b->path()) == resolved) bag = b.get();
    if (!bag && os::fileExists(path)) {
        Result r = openAny(path, *schema_, records.recordCount(), mode_, bagPath.empty());
        if (r != kOk) return r;
        for (auto& b : bags_)
            if (os::resolvePath(b->path()) == resolved) bag = b.get();
    }
    if (!bag) {
        std::unique_ptr<CdxBag> created;
        Result r = CdxBag::create(path, bagPath.empty(), mode_.shared, &created, &why);
        if (r != kOk) return fail(r, why);
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
    Result r = bag->createTag(tag, keyExpr, forExpr, unique, descending, *schema_, records, progress, &made, &why);
    listOrders();
    if (r != kOk) return fail(r, why);
    for (size_t i = 0; i < orders_.size(); ++i)
        if (orders_[i].tag == made) current_ = static_cast<int>(i + 1);
    *order = current_;
    error_.clear();
    return kOk;
}

}  // namespace engine
