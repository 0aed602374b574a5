// Opening, creating and rewriting CDX bags (see cdx_bag.h).
#include "engine/cdx_bag.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "engine/busy.h"
#include "engine/cdx_sort.h"

namespace engine {

namespace {

uint64_t nextTagSerial() {
    static uint64_t serials = 0;
    return ++serials;
}

bool validTagName(std::string_view name) {
    if (name.empty() || name.size() > size_t(kCdxTagNameLength)) return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0])) && name[0] != '_') return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

}  // namespace

std::string cdxTrimTagName(std::string_view key) {
    size_t n = key.size();
    while (n > 0 && (key[n - 1] == ' ' || key[n - 1] == '\0')) --n;
    return std::string(key.substr(0, n));
}

std::string cdxUpperTagName(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

Status cdxPrepareTag(CdxTag& tag, std::string_view keyExpr, std::string_view forExpr,
                     const RecordView& schema) {
    Status r = Expression::compile(keyExpr, schema, &tag.key);
    if (!r.ok()) {
        tag.exprError = "key expression " + std::string(keyExpr) + ": " + r.message();
    } else if (!forExpr.empty()) {
        r = Expression::compile(forExpr, schema, &tag.filter);
        if (!r.ok()) {
            tag.exprError = "FOR expression " + std::string(forExpr) + ": " + r.message();
        } else if (tag.filter->type() != ExprType::Logical) {
            r = Status(kBadExpression, "");
            tag.exprError = "FOR expression " + std::string(forExpr) + " is not logical";
        }
    }
    if (r.ok()) {
        r = cdxKeyFormatFor(*tag.key, schema, &tag.format);
        if (!r.ok()) tag.exprError = r.message();
    }
    if (!r.ok()) return Status(r.code(), "tag " + tag.name + ": " + tag.exprError);
    return r;
}

Status checkCdxTagHeaderPlace(uint32_t offset, uint64_t fileBytes) {
    if (offset % kCdxPageSize != 0 || offset < kCdxHeaderSize ||
        offset + uint64_t(kCdxHeaderSize) > fileBytes)
        return Status(kCorruptIndex,
                      "tag header at " + std::to_string(offset) + " outside the file");
    return Status();
}

Status parseCdxTagHeader(const uint8_t* bytes, uint32_t offset, uint64_t fileBytes,
                         CdxHeader* header) {
    std::string where = "tag header at " + std::to_string(offset);
    if (Status s = parseCdxHeader(bytes, header); !s.ok())
        return Status(kCorruptIndex, where + ": " + s.message());
    if (header->root % kCdxPageSize != 0 || header->root < kCdxHeaderSize ||
        header->root >= fileBytes)
        return Status(kCorruptIndex, where + ": root outside the file");
    return Status();
}

Status parseCdxDirectoryHeader(const uint8_t* bytes, CdxHeader* header) {
    Status parsed = parseCdxHeader(bytes, header);
    if (parsed.ok() && header->keyLength == kCdxTagNameLength) return Status();
    return Status(kCorruptIndex,
                  "compound header damaged" + (parsed.ok() ? "" : ": " + parsed.message()));
}

void cdxPrepareStoredTag(CdxTag& tag, const CdxHeader& h, const RecordView& schema) {
    // A tag whose expressions this engine cannot compile still opens: it is
    // kept (and written back) as it is, and refuses maintenance with its
    // exprError (maintainable() is false).
    (void)cdxPrepareTag(tag, h.keyExpr, h.forExpr, schema);
    // Candidate keys of nullable columns carry no null marker.
    if (tag.maintainable() && tag.format.nullable && tag.format.length == h.keyLength + 1) {
        tag.format.nullable = false;
        tag.format.length = h.keyLength;
    }
    if (tag.maintainable() && tag.format.length != h.keyLength) {
        if (tag.format.type == 'C' && !tag.format.nullable)
            tag.format.length = h.keyLength;
        else
            tag.exprError = "key length in the file (" + std::to_string(h.keyLength) +
                            ") differs from the key expression's (" +
                            std::to_string(tag.format.length) + ")";
    }
}

Status CdxBag::readTagHeader(uint32_t offset, CdxHeader* header) {
    uint8_t head[kCdxHeaderSize];
    if (Status s = checkCdxTagHeaderPlace(offset, file_.sizeBytes()); !s.ok())
        return Status::error(s.code(), path(), s.message());
    Status r = file_.readPage(offset, head);
    if (r.ok()) r = file_.readPage(offset + kCdxPageSize, head + kCdxPageSize);
    if (!r.ok()) return r;
    if (Status s = parseCdxTagHeader(head, offset, file_.sizeBytes(), header); !s.ok())
        return Status::error(s.code(), path(), s.message());
    return Status();
}

Status CdxBag::readDirectory(std::vector<std::pair<std::string, uint32_t>>* entries) {
    entries->clear();
    CdxCursor c;
    Status r = directory_->first(&c);
    while (r.ok() && c.valid) {
        if (entries->size() >= kCdxMaxTags) {
            return Status(kCorruptIndex,
                          path() + ": more than " + std::to_string(kCdxMaxTags) + " tags");
        }
        entries->emplace_back(cdxTrimTagName(c.key), c.recno);
        r = directory_->next(&c);
    }
    return r;
}

Status CdxBag::openTag(const std::string& name, uint32_t offset, const RecordView& schema,
                       std::unique_ptr<CdxTag>* out) {
    auto tag = std::make_unique<CdxTag>();
    tag->name = name;
    tag->serial = nextTagSerial();
    CdxHeader h;
    if (Status r = readTagHeader(offset, &h); !r.ok()) return r;
    cdxPrepareStoredTag(*tag, h, schema);
    uint8_t pad = tag->key ? tag->format.pad() : kCdxBlank;
    tag->tree = std::make_unique<CdxTree>(&file_, offset, h, pad);
    *out = std::move(tag);
    return Status();
}

Status CdxBag::loadTags(const RecordView& schema) {
    std::vector<std::pair<std::string, uint32_t>> entries;
    if (Status r = readDirectory(&entries); !r.ok()) return r;
    for (const auto& [name, offset] : entries) {
        std::unique_ptr<CdxTag> tag;
        if (Status r = openTag(name, offset, schema, &tag); !r.ok()) return r;
        if (!find(tag->name)) tags_.push_back(std::move(tag));
    }
    std::sort(tags_.begin(), tags_.end(), [](const auto& a, const auto& b) {
        return a->tree->headerOffset() < b->tree->headerOffset();
    });
    return Status();
}

Status CdxBag::open(const std::string& path, const RecordView& schema, IndexOpenMode mode,
                    std::unique_ptr<CdxBag>* out) {
    std::unique_ptr<CdxBag> bag(new CdxBag());
    Status r = bag->file_.open(path, mode.readOnly, mode.shared);
    if (!r.ok()) return r;
    uint8_t head[kCdxHeaderSize];
    r = bag->file_.readPage(0, head);
    if (r.ok()) r = bag->file_.readPage(kCdxPageSize, head + kCdxPageSize);
    if (!r.ok()) return r;
    CdxHeader h;
    if (Status parsed = parseCdxDirectoryHeader(head, &h); !parsed.ok())
        return Status::error(parsed.code(), path, parsed.message());
    bag->structural_ = (h.options & kCdxStructural) != 0;
    bag->directory_ = std::make_unique<CdxTree>(&bag->file_, 0, h, kCdxBlank);
    if (r = bag->loadTags(schema); !r.ok()) return r;
    *out = std::move(bag);
    return Status();
}

Status CdxBag::create(const std::string& path, bool structural, bool shared,
                      std::unique_ptr<CdxBag>* out) {
    std::unique_ptr<CdxBag> bag(new CdxBag());
    Status r = bag->file_.create(path, shared);
    if (!r.ok()) return r;
    CdxHeader h;
    h.keyLength = kCdxTagNameLength;
    h.options = kCdxCompact | kCdxCompound | (structural ? kCdxStructural : 0);
    bag->structural_ = structural;
    bag->directory_ = std::make_unique<CdxTree>(&bag->file_, 0, h, kCdxBlank);
    if (r = bag->directory_->clear(); !r.ok()) return r;
    if (r = bag->flush(); !r.ok()) return r;
    *out = std::move(bag);
    return Status();
}

CdxTag* CdxBag::find(std::string_view name) const {
    std::string want = cdxUpperTagName(cdxTrimTagName(name));
    for (const auto& t : tags_)
        if (t->name == want) return t.get();
    return nullptr;
}

Status CdxBag::scan(RecordSource& records, const std::vector<CdxTag*>& tags,
                    const IndexBuildProgress& progress, std::vector<std::string>* keys,
                    std::vector<std::vector<uint32_t>>* recnos) {
    uint32_t total = records.recordCount();
    uint32_t step = std::max<uint32_t>(1, total / 100);
    keys->assign(tags.size(), std::string());
    recnos->assign(tags.size(), std::vector<uint32_t>());
    // Room for every record's key up front, rather than lists copied over
    // as they double (a filtered tag may keep far fewer).
    for (size_t t = 0; t < tags.size(); ++t) {
        if (tags[t]->filter) continue;
        (*keys)[t].reserve(size_t(total) * size_t(tags[t]->format.length));
        (*recnos)[t].reserve(total);
    }
    std::string key;
    for (uint32_t recno = 1; recno <= total; ++recno) {
        const RecordView* view = nullptr;
        Status r = records.readRecord(recno, &view);
        if (!r.ok()) return r;
        for (size_t t = 0; t < tags.size(); ++t) {
            const CdxTag& tag = *tags[t];
            if (tag.filter) {
                ExprValue ok;
                if (Status s = tag.filter->evaluate(*view, &ok); !s.ok()) {
                    return Status::error(kBadExpression, path(),
                                         "tag " + tag.name + ": FOR of record " +
                                             std::to_string(recno) + ": " + s.message());
                }
                if (!ok.logical) continue;
            }
            if (r = cdxRecordKey(*tag.key, tag.format, *view, &key); !r.ok()) return r;
            (*keys)[t] += key;
            (*recnos)[t].push_back(recno);
        }
        if (progress && (recno % step == 0 || recno == total)) progress(recno, total);
    }
    if (progress && total == 0) progress(0, 0);
    return Status();
}

Status cdxFillTree(CdxTag& tag, std::string& keys, std::vector<uint32_t>& recnos,
                   std::vector<uint32_t>* sorted) {
    size_t kl = static_cast<size_t>(tag.tree->keyLength()), n = recnos.size();
    const char* base = keys.data();
    std::vector<uint32_t> order;
    if (sorted && sorted->size() == n)
        order.swap(*sorted);
    else
        cdxSortKeys(base, kl, n, &order);
    if (tag.unique()) {
        // Equal keys are next to each other, the first record's first.
        size_t kept = 0;
        for (size_t i = 0; i < n; ++i) {
            busyStep();
            if (kept > 0 && std::memcmp(base + size_t(order[i]) * kl,
                                        base + size_t(order[kept - 1]) * kl, kl) == 0)
                continue;
            order[kept++] = order[i];
        }
        order.resize(kept);
    }
    Status r = tag.tree->build(base, recnos.data(), order.data(), order.size());
    std::string().swap(keys);
    std::vector<uint32_t>().swap(recnos);
    return r;
}

Status CdxBag::createTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr,
                         bool unique, bool descending, const RecordView& schema,
                         RecordSource& records, const IndexBuildProgress& progress, CdxTag** out) {
    if (!validTagName(name)) {
        return Status(kInvalidArgument, "invalid tag name \"" + std::string(name) + "\"");
    }
    if (readOnly()) {
        return Status(kReadOnly, path() + ": index opened read-only");
    }
    auto tag = std::make_unique<CdxTag>();
    tag->name = cdxUpperTagName(name);
    tag->serial = nextTagSerial();
    Status r = cdxPrepareTag(*tag, keyExpr, forExpr, schema);
    if (!r.ok()) return r;
    if (!cdxPoolFits(keyExpr, forExpr)) {
        return Status(kInvalidArgument, "key and FOR expressions longer than " +
                                            std::to_string(kCdxPoolSize - 2) + " bytes");
    }
    CdxHeader h;
    h.keyLength = static_cast<uint16_t>(tag->format.length);
    h.options =
        kCdxCompact | kCdxCompound | (unique ? kCdxUnique : 0) | (forExpr.empty() ? 0 : kCdxHasFor);
    h.descending = descending;
    h.keyExpr = std::string(keyExpr);
    h.forExpr = std::string(forExpr);
    h.root = 0;
    std::vector<std::string> keys;
    std::vector<std::vector<uint32_t>> recnos;
    if (r = scan(records, {tag.get()}, progress, &keys, &recnos); !r.ok()) return r;
    // The new tree goes to a header of its own; a tag of the same name keeps
    // its tree, and the directory its entry, until the new one is complete,
    // so that a failure on the way leaves the old tag as it was.
    uint32_t offset = file_.allocateHeader();
    tag->tree = std::make_unique<CdxTree>(&file_, offset, h, tag->format.pad());
    if (r = cdxFillTree(*tag, keys[0], recnos[0]); !r.ok()) return r;
    std::string dirKey = tag->name;
    dirKey.resize(kCdxTagNameLength, ' ');
    CdxTag* existing = find(tag->name);
    if (existing) {
        uint32_t oldOffset = existing->tree->headerOffset();
        bool found = false;
        if (r = directory_->erase(dirKey, oldOffset, &found); !r.ok()) return r;
        if (r = directory_->insert(dirKey, offset); !r.ok()) return r;
        std::unique_ptr<CdxTree> oldTree = std::move(existing->tree);
        *out = tag.get();
        for (auto& t : tags_)
            if (t.get() == existing) t = std::move(tag);
        // The old pages go to the free list only now that nothing points at them.
        if (r = oldTree->releaseAll(); !r.ok()) return r;
        if (r = file_.release(oldOffset); !r.ok()) return r;
        if (r = file_.release(oldOffset + kCdxPageSize); !r.ok()) return r;
    } else {
        if (r = directory_->insert(dirKey, offset); !r.ok()) return r;
        *out = tag.get();
        tags_.push_back(std::move(tag));
    }
    return flush();
}

Status CdxBag::rewrite(RecordSource* records, const IndexBuildProgress& progress) {
    if (readOnly()) {
        return Status(kReadOnly, path() + ": index opened read-only");
    }
    std::vector<CdxTag*> all;
    for (auto& t : tags_) {
        if (records && !t->maintainable()) {
            return Status(kBadExpression, path() + ": tag " + t->name + ": " + t->exprError);
        }
        all.push_back(t.get());
    }
    std::vector<std::string> keys;
    std::vector<std::vector<uint32_t>> recnos;
    if (records) {
        if (Status r = scan(*records, all, progress, &keys, &recnos); !r.ok()) return r;
    }
    // Nothing of the old file is read from here on: a damaged bag is rewritten whole.
    file_.resetTo(kCdxHeaderSize);
    CdxHeader dir = directory_->header();
    dir.root = 0;
    directory_ = std::make_unique<CdxTree>(&file_, 0, dir, kCdxBlank);
    Status r = directory_->clear();
    if (!r.ok()) return r;
    std::string dirKeys;
    std::vector<std::pair<std::string, uint32_t>> entries;
    for (size_t i = 0; i < all.size(); ++i) {
        CdxTag& tag = *all[i];
        CdxHeader h = tag.tree->header();
        h.root = 0;
        uint32_t offset = file_.allocateHeader();
        tag.tree = std::make_unique<CdxTree>(&file_, offset, h, tag.tree->pad());
        if (records)
            r = cdxFillTree(tag, keys[i], recnos[i]);
        else
            r = tag.tree->clear();
        if (!r.ok()) return r;
        std::string name = tag.name;
        name.resize(kCdxTagNameLength, ' ');
        entries.emplace_back(name, offset);
    }
    std::sort(entries.begin(), entries.end());
    std::vector<uint32_t> offsets;
    for (auto& [name, offset] : entries) {
        dirKeys += name;
        offsets.push_back(offset);
    }
    if (r = directory_->build(dirKeys, offsets); !r.ok()) return r;
    return flush();
}

Status CdxBag::flush() {
    Status r = directory_->flush();
    for (auto& t : tags_)
        if (r.ok()) r = t->tree->flush();
    if (r.ok()) r = file_.flush();
    return r;
}

Status CdxBag::sync(const RecordView& schema, bool* tagsChanged) {
    *tagsChanged = false;
    bool changed = false;
    Status r = file_.changedOnDisk(&changed);
    if (!r.ok() || !changed) return r;
    // The directory itself may have been rebuilt elsewhere in the file.
    uint8_t head[kCdxHeaderSize];
    if (r = file_.readPage(0, head); !r.ok()) return r;
    if (r = file_.readPage(kCdxPageSize, head + kCdxPageSize); !r.ok()) return r;
    CdxHeader dir;
    Status parsed = parseCdxHeader(head, &dir);
    if (!parsed.ok() || dir.keyLength != kCdxTagNameLength) {
        return Status::error(
            kCorruptIndex, path(),
            "compound header damaged" + (parsed.ok() ? "" : ": " + parsed.message()));
    }
    directory_ = std::make_unique<CdxTree>(&file_, 0, dir, kCdxBlank);
    std::vector<std::pair<std::string, uint32_t>> entries;
    if (r = readDirectory(&entries); !r.ok()) return r;
    std::vector<std::unique_ptr<CdxTag>> next;
    for (const auto& [name, offset] : entries) {
        if (std::any_of(next.begin(), next.end(), [&](const auto& t) { return t->name == name; }))
            continue;
        auto same = std::find_if(tags_.begin(), tags_.end(),
                                 [&](const auto& t) { return t && t->name == name; });
        CdxHeader h;
        if (r = readTagHeader(offset, &h); !r.ok()) return r;
        if (same != tags_.end() && (*same)->tree->headerOffset() == offset &&
            (*same)->tree->header().keyExpr == h.keyExpr &&
            (*same)->tree->header().forExpr == h.forExpr) {
            (*same)->tree = std::make_unique<CdxTree>(&file_, offset, h, (*same)->tree->pad());
            next.push_back(std::move(*same));
            continue;
        }
        std::unique_ptr<CdxTag> tag;
        if (r = openTag(name, offset, schema, &tag); !r.ok()) return r;
        next.push_back(std::move(tag));
        *tagsChanged = true;
    }
    for (const auto& t : tags_) *tagsChanged = *tagsChanged || t != nullptr;  // a tag was dropped
    std::sort(next.begin(), next.end(), [](const auto& a, const auto& b) {
        return a->tree->headerOffset() < b->tree->headerOffset();
    });
    tags_ = std::move(next);
    return Status();
}

}  // namespace engine
