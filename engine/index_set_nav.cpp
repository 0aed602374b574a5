// IndexSet: navigation, seek and key count in the controlling order (see
// index_set.h). Descending tags are stored ascending: their logical order is
// the physical order walked backwards.
#include <cstring>

#include "engine/index_set.h"
#include "engine/index_set_internal.h"
#include "engine/open_options.h"

namespace engine {

// In shared mode every positioning call (not each skip) first picks up what
// other processes wrote since we last looked: a 12-byte read of the header.
Status IndexSet::usable(const Order** order, bool refresh) {
    if (current_ == 0) return Status(kNoOrder, "no controlling order");
    if (Status r = settle(); !r.ok()) return r;
    if (refresh)
        if (Status r = sync(); !r.ok()) return r;
    if (current_ == 0)
        return Status(kNoOrder, "the controlling order was removed by another program");
    if (Status r = checkOpened(); !r.ok()) return r;
    const Order& o = orders_[static_cast<size_t>(current_ - 1)];
    if (isStale(o.bag)) return Status(kCorruptIndex, staleWhy_);
    *order = &o;
    return Status();
}

Status IndexSet::top(uint32_t* recordNumber) {
    const Order* o;
    Status r = usable(&o);
    if (!r.ok()) return r;
    CdxCursor c;
    r = o->tag->descending() ? o->tag->tree->last(&c) : o->tag->tree->first(&c);
    if (!r.ok()) return r;
    *recordNumber = c.valid ? c.recno : 0;
    return Status();
}

Status IndexSet::bottom(uint32_t* recordNumber) {
    const Order* o;
    Status r = usable(&o);
    if (!r.ok()) return r;
    CdxCursor c;
    r = o->tag->descending() ? o->tag->tree->first(&c) : o->tag->tree->last(&c);
    if (!r.ok()) return r;
    *recordNumber = c.valid ? c.recno : 0;
    return Status();
}

Status IndexSet::skip(const RecordView& current, int direction, uint32_t* recordNumber) {
    const Order* o;
    Status r = usable(&o, false);
    if (!r.ok()) return r;
    CdxTag& t = *o->tag;
    if (!t.key)
        return Status(kBadExpression, o->bag->path() + ": tag " + t.name + ": " + t.exprError);
    std::string key;
    if (r = cdxRecordKey(*t.key, t.format, current, &key); !r.ok()) return r;
    key.resize(static_cast<size_t>(t.tree->keyLength()), static_cast<char>(t.tree->pad()));
    bool forward = (direction > 0) != t.descending();
    uint32_t recno = current.recordNumber();
    CdxCursor c;
    if (forward) {
        r = t.tree->seek(key, recno, true, &c);
    } else {
        r = t.tree->seek(key, recno, false, &c);
        if (r.ok()) r = c.valid ? t.tree->prev(&c) : t.tree->last(&c);
    }
    if (!r.ok()) return r;
    *recordNumber = c.valid ? c.recno : 0;
    return Status();
}

// Finds the entries whose key begins with `prefix`: the first and last of
// them in logical order, or the soft-seek position when there is none.
Status IndexSet::seekKey(const Order& o, const std::string& prefix, bool soft, bool last,
                         const Visibility& visibleAt, uint32_t* recordNumber, bool* found) {
    CdxTree& tree = *o.tag->tree;
    size_t kl = static_cast<size_t>(tree.keyLength());
    std::string p = prefix.substr(0, kl);
    std::string low = p + std::string(kl - p.size(), '\0');
    std::string high = p + std::string(kl - p.size(), '\xFF');
    auto matches = [&](const CdxCursor& c) {
        return c.valid && c.key.compare(0, p.size(), p) == 0;
    };
    CdxCursor first, after;
    Status r = tree.seek(low, 0, false, &first);
    if (!r.ok()) return r;
    *found = matches(first);
    bool wantPhysicalLast = last != o.tag->descending();
    if (*found) {
        CdxCursor& c = wantPhysicalLast ? after : first;
        if (wantPhysicalLast) {
            if (r = tree.seek(high, 0xFFFFFFFFu, true, &after); !r.ok()) return r;
            r = after.valid ? tree.prev(&after) : tree.last(&after);
            if (!r.ok()) return r;
        }
        *recordNumber = c.recno;
        if (!visibleAt) return Status();
        // Equal keys run on in the direction of the order (backwards from
        // the last match): the first visible one is the record sought.
        for (; matches(c); r = wantPhysicalLast ? tree.prev(&c) : tree.next(&c)) {
            if (!r.ok()) return r;
            bool visible = false;
            if (r = visibleAt(c.recno, &visible); !r.ok()) return r;
            if (visible) {
                *recordNumber = c.recno;
                return Status();
            }
        }
        if (!r.ok()) return r;
        *found = false;
        return Status();
    }
    *recordNumber = 0;
    if (!soft) return Status();
    if (!o.tag->descending()) {
        *recordNumber = first.valid ? first.recno : 0;
        return Status();
    }
    // Descending: the next key in the order is the greatest one below the prefix.
    r = first.valid ? tree.prev(&first) : tree.last(&first);
    if (!r.ok()) return r;
    *recordNumber = first.valid ? first.recno : 0;
    return Status();
}

Status IndexSet::seek(std::string_view key, int keyType, bool soft, bool last, bool exact,
                      const Visibility& visibleAt, uint32_t* recordNumber, bool* found) {
    const Order* o;
    Status r = usable(&o);
    if (!r.ok()) return r;
    *recordNumber = 0;
    *found = false;
    const CdxKeyFormat& f = o->tag->format;
    char type = o->tag->key ? f.type : 'C';
    std::string prefix;
    if (keyType == kKeyDouble) {
        if (key.size() != 8 || type == 'C' || type == 'L')
            return Status(kTypeMismatch, "tag " + o->tag->name +
                                             ": a number does not match a key of type " +
                                             std::string(1, type));
        double d;
        std::memcpy(&d, key.data(), 8);
        prefix = cdxValueKey(f, ExprValue::ofNumber(d));
    } else if (type == 'L') {
        bool t =
            !key.empty() && (key[0] == 'T' || key[0] == 't' || key[0] == 'Y' || key[0] == 'y' ||
                             (key.size() > 1 && key[0] == '.' && (key[1] == 'T' || key[1] == 't')));
        prefix = cdxValueKey(f, ExprValue::ofLogical(t));
    } else {
        if (type != 'C')
            return Status(kTypeMismatch, "tag " + o->tag->name +
                                             ": text does not match a key of type " +
                                             std::string(1, type));
        prefix = (o->tag->key && f.nullable ? "\x80" : "") + std::string(key);
        if (exact) prefix.resize(static_cast<size_t>(o->tag->tree->keyLength()), ' ');
    }
    return seekKey(*o, prefix, soft, last, visibleAt, recordNumber, found);
}

Status IndexSet::keyCountOf(int order, uint32_t* count) {
    if (order < 1 || order > orderCount())
        return Status(kNoOrder, "no order " + std::to_string(order));
    if (Status r = settle(); !r.ok()) return r;
    if (Status r = sync(); !r.ok()) return r;
    const Order& o = orders_[static_cast<size_t>(order - 1)];
    Status r = o.tag->tree->count(count);
    return r;
}

Status IndexSet::keyCount(uint32_t* count) {
    const Order* o;
    Status r = usable(&o);
    if (!r.ok()) return r;
    return keyCountOf(current_, count);
}

}  // namespace engine
