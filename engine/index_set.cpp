// The open index bags of a table: opening, orders and the change hooks
// (see index_set.h). Navigation is in index_set_nav.cpp.
#include "engine/index_set.h"

#include <algorithm>
#include <cctype>

#include "engine/cdx_bag.h"
#include "engine/cdx_check.h"
#include "engine/index_set_internal.h"
#include "os/fs.h"
#include "os/path.h"
#include "os/path_parts.h"

namespace engine {

IndexSet::IndexSet() = default;

// The owner calls closeAll() and reports its failure; a set destroyed
// without it (the table's open failed) has nobody left to tell.
IndexSet::~IndexSet() {
    (void)flushEvery();
}

Status IndexSet::flushEvery() {
    Status first = settle();
    for (auto& b : bags_) {
        if (b->readOnly()) continue;
        Status r = b->flush();
        if (first.ok()) first = r;
    }
    return first;
}

bool IndexSet::isStale(const CdxBag* bag) const {
    return std::find(stale_.begin(), stale_.end(), bag) != stale_.end();
}

Status IndexSet::checkOpened() const {
    while (!unchecked_.empty()) {
        const Unchecked u = unchecked_.front();
        if (Status r = markStaleIfNeeded(u.bag, u.recordCount); !r.ok()) return r;
        unchecked_.erase(unchecked_.begin());
    }
    return Status();
}

void IndexSet::listOrders() {
    orders_.clear();
    for (auto& b : bags_)
        for (auto& t : b->tags()) orders_.push_back(Order{b.get(), t.get()});
    if (current_ > static_cast<int>(orders_.size())) current_ = 0;
}

// A bag disagrees with its table when its trees are damaged (a crash in the
// middle of a write, or another program's fault), when a tag holds a record
// number beyond the table, or when a tag without FOR or UNIQUE holds another
// number of keys than the table has records (each record, deleted or not, has
// exactly one key there).
Status IndexSet::markStaleIfNeeded(CdxBag* bag, uint32_t recordCount) const {
    // Shared: other processes may append between our reading the table's
    // count and reading the index, so only damage counts there.
    bool compare = !mode_.shared;
    CdxCheckOptions options;
    options.strict = false;
    options.maxRecno = !compare ? 0 : recordCount == 0 ? 0xFFFFFFFFu : recordCount;
    std::vector<uint64_t> counts;
    Status r = cdxCheckBag(*bag, options, &counts);
    if (r.code() != kOk && r.code() != kCorruptIndex)
        return r;  // could not read it: a failure, not staleness
    std::string why = r.message();
    if (!compare) counts.clear();
    if (r.ok() && compare && recordCount == 0) {
        for (uint64_t n : counts)
            if (n != 0) {
                why = "keys in an index of an empty table";
                r = Status(kCorruptIndex, why);
            }
    }
    for (size_t i = 0; r.ok() && i < counts.size(); ++i) {
        const CdxTag& t = *bag->tags()[i];
        bool plain = !t.unique() && (t.tree->header().options & kCdxHasFor) == 0;
        if (plain && counts[i] != recordCount) {
            why = "tag " + t.name + " holds " + std::to_string(counts[i]) + " keys for " +
                  std::to_string(recordCount) + " records";
            r = Status(kCorruptIndex, why);
        }
    }
    if (!r.ok()) {
        stale_.push_back(bag);
        staleWhy_ = bag->path() + ": index does not match its table (" + why + "); rebuild it";
    }
    return Status();
}

Status IndexSet::openAny(std::string_view path, const RecordView& schema, uint32_t recordCount,
                         IndexOpenMode mode, bool structural) {
    std::string p(path);
    std::string resolved = os::resolvePath(p);
    for (auto& b : bags_)
        if (os::resolvePath(b->path()) == resolved)
            return Status(kIndexAlreadyOpen, p + ": index already open");
    if (Status r = settle(); !r.ok()) return r;
    bulk_.reset();  // the new bag's tags are not empty
    std::unique_ptr<CdxBag> bag;
    Status r = CdxBag::open(p, schema, mode, &bag);
    if (!r.ok()) return r;
    schema_ = &schema;
    mode_ = mode;
    // Shared: checked now, against the count just read, since others may
    // change both files later. Exclusive: nobody else can, so the check
    // waits until the bag is first used.
    if (mode.shared) {
        if (r = markStaleIfNeeded(bag.get(), recordCount); !r.ok()) return r;
    } else {
        unchecked_.push_back({bag.get(), recordCount});
    }
    if (structural) {
        bags_.insert(bags_.begin(), std::move(bag));
        hasStructural_ = true;
    } else {
        bags_.push_back(std::move(bag));
    }
    listOrders();
    return Status();
}

Status IndexSet::openStructural(std::string_view tablePath, const RecordView& schema,
                                uint32_t recordCount, IndexOpenMode mode) {
    const std::string base = os::withoutExtension(tablePath);
    schema_ = &schema;
    mode_ = mode;
    structuralPath_ = base + ".cdx";
    for (const char* ext : {".cdx", ".CDX", ".Cdx"}) {
        std::string candidate = base + ext;
        if (os::fileExists(candidate)) {
            structuralPath_ = candidate;
            return openAny(candidate, schema, recordCount, mode, true);
        }
    }
    return Status();  // no structural index: the table opens without one
}

Status IndexSet::openBag(std::string_view path, const RecordView& schema, uint32_t recordCount,
                         IndexOpenMode mode) {
    const std::string p = os::withDefaultExtension(path, ".cdx");
    if (!os::fileExists(p)) return Status(kNotFound, p + ": index file not found");
    return openAny(p, schema, recordCount, mode, false);
}

Status IndexSet::closeAll() {
    Status r = flushEvery();
    bulk_.reset();
    bags_.clear();
    orders_.clear();
    stale_.clear();
    unchecked_.clear();
    pending_.reset();
    hasStructural_ = false;
    current_ = 0;
    return r;
}

Status IndexSet::flush() {
    if (Status r = settle(); !r.ok()) return r;
    for (auto& b : bags_) {
        if (b->readOnly()) continue;
        Status r = b->flush();
        if (!r.ok()) return r;
    }
    return Status();
}

Status IndexSet::sync() {
    if (!mode_.shared || !schema_) return Status();
    uint64_t controlling =
        current_ > 0 ? orders_[static_cast<size_t>(current_ - 1)].tag->serial : 0;
    bool relist = false;
    Status r;
    for (size_t i = 0; i < bags_.size() && r.ok(); ++i) {
        bool tagsChanged = false;
        r = bags_[i]->sync(*schema_, &tagsChanged);
        relist = relist || tagsChanged;
    }
    if (relist) {
        listOrders();
        current_ = 0;
        for (size_t i = 0; i < orders_.size(); ++i)
            if (orders_[i].tag->serial == controlling) current_ = static_cast<int>(i) + 1;
    }
    return r;
}

Status IndexSet::checkAll() {
    if (Status r = settle(); !r.ok()) return r;
    for (auto& b : bags_) {
        Status r = cdxCheckBag(*b);
        if (!r.ok()) return r;
    }
    return Status();
}

bool IndexSet::hasStructural() const {
    return hasStructural_;
}

std::string IndexSet::structuralPath() const {
    return hasStructural_ ? bags_[0]->path() : std::string();
}

int IndexSet::orderCount() const {
    return static_cast<int>(orders_.size());
}

Status IndexSet::orderInfo(int order, OrderInfo* info) const {
    if (order < 1 || order > orderCount())
        return Status(kNoOrder, "no order " + std::to_string(order));
    if (Status r = checkOpened(); !r.ok()) return r;
    const Order& o = orders_[static_cast<size_t>(order - 1)];
    const CdxHeader& h = o.tag->tree->header();
    info->tag = o.tag->name;
    info->bagPath = o.bag->path();
    info->keyExpr = h.keyExpr;
    info->forExpr = h.forExpr;
    info->keyType = o.tag->key ? o.tag->format.type : '?';
    info->keyLength = h.keyLength;
    info->unique = o.tag->unique();
    info->descending = o.tag->descending();
    info->stale = isStale(o.bag);
    return Status();
}

int IndexSet::findOrder(std::string_view tag) const {
    std::string want(tag);
    while (!want.empty() && want.back() == ' ') want.pop_back();
    for (char& c : want) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t i = 0; i < orders_.size(); ++i)
        if (orders_[i].tag->name == want) return static_cast<int>(i + 1);
    return 0;
}

Status IndexSet::setOrder(int order) {
    if (order < 0 || order > orderCount())
        return Status(kNoOrder, "no order " + std::to_string(order));
    if (order > 0) {
        if (Status r = checkOpened(); !r.ok()) return r;
        if (isStale(orders_[static_cast<size_t>(order - 1)].bag))
            return Status(kCorruptIndex, staleWhy_);
    }
    current_ = order;
    return Status();
}

int IndexSet::currentOrder() const {
    return current_;
}

}  // namespace engine
