// Opening, creating and rewriting CDX bags (see cdx_bag.h).
#include "engine/cdx_bag.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

namespace engine {

namespace {

constexpr size_t kMaxTags = 1024;

std::string trimName(std::string_view key) {
    size_t n = key.size();
    while (n > 0 && (key[n - 1] == ' ' || key[n - 1] == '\0')) --n;
    return std::string(key.substr(0, n));
}

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

uint64_t nextTagSerial() {
    static uint64_t serials = 0;
    return ++serials;
}

bool validTagName(std::string_view name) {
    if (name.empty() || name.size() > 10) return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0])) && name[0] != '_') return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

}  // namespace

Result cdxPrepareTag(CdxTag& tag, std::string_view keyExpr, std::string_view forExpr,
                     const RecordView& schema, std::string* error) {
    std::string why;
    tag.key = Expression::compile(keyExpr, schema, &why);
    Result r = kOk;
    if (!tag.key) {
        r = kBadExpression;
        tag.exprError = "key expression " + std::string(keyExpr) + ": " + why;
    } else if (!forExpr.empty()) {
        tag.filter = Expression::compile(forExpr, schema, &why);
        if (!tag.filter) {
            r = kBadExpression;
            tag.exprError = "FOR expression " + std::string(forExpr) + ": " + why;
        } else if (tag.filter->type() != ExprType::Logical) {
            r = kBadExpression;
            tag.exprError = "FOR expression " + std::string(forExpr) + " is not logical";
        }
    }
    if (r == kOk) {
        r = cdxKeyFormatFor(*tag.key, schema, &tag.format, &why);
        if (r != kOk) tag.exprError = why;
    }
    if (r != kOk) *error = "tag " + tag.name + ": " + tag.exprError;
    return r;
}

Result CdxBag::readTagHeader(uint32_t offset, CdxHeader* header, std::string* error) {
    uint8_t head[kCdxHeaderSize];
    if (offset % kCdxPageSize != 0 || offset < kCdxHeaderSize || offset + uint64_t(kCdxHeaderSize) > file_.sizeBytes()) {
        *error = path() + ": tag header at " + std::to_string(offset) + " outside the file";
        return kCorruptIndex;
    }
    Result r = file_.readPage(offset, head, error);
    if (r == kOk) r = file_.readPage(offset + kCdxPageSize, head + kCdxPageSize, error);
    if (r != kOk) return r;
    std::string why;
    if (!parseCdxHeader(head, header, &why)) {
        *error = path() + ": tag header at " + std::to_string(offset) + ": " + why;
        return kCorruptIndex;
    }
    if (header->root % kCdxPageSize != 0 || header->root < kCdxHeaderSize || header->root >= file_.sizeBytes()) {
        *error = path() + ": tag header at " + std::to_string(offset) + ": root outside the file";
        return kCorruptIndex;
    }
    return kOk;
}

Result CdxBag::readDirectory(std::vector<std::pair<std::string, uint32_t>>* entries, std::string* error) {
    entries->clear();
    CdxCursor c;
    Result r = directory_->first(&c, error);
    while (r == kOk && c.valid) {
        if (entries->size() >= kMaxTags) {
            *error = path() + ": more than " + std::to_string(kMaxTags) + " tags";
            return kCorruptIndex;
        }
        entries->emplace_back(trimName(c.key), c.recno);
        r = directory_->next(&c, error);
    }
    return r;
}

Result CdxBag::openTag(const std::string& name, uint32_t offset, const RecordView& schema,
                       std::unique_ptr<CdxTag>* out, std::string* error) {
    auto tag = std::make_unique<CdxTag>();
    tag->name = name;
    tag->serial = nextTagSerial();
    CdxHeader h;
    if (Result r = readTagHeader(offset, &h, error)) return r;
    std::string ignored;
    cdxPrepareTag(*tag, h.keyExpr, h.forExpr, schema, &ignored);
    // Candidate keys of nullable columns carry no null marker.
    if (tag->maintainable() && tag->format.nullable && tag->format.length == h.keyLength + 1) {
        tag->format.nullable = false;
        tag->format.length = h.keyLength;
    }
    if (tag->maintainable() && tag->format.length != h.keyLength) {
        if (tag->format.type == 'C' && !tag->format.nullable) tag->format.length = h.keyLength;
        else tag->exprError = "key length in the file (" + std::to_string(h.keyLength) +
                              ") differs from the key expression's (" + std::to_string(tag->format.length) + ")";
    }
    uint8_t pad = tag->key ? tag->format.pad() : 0x20;
    tag->tree = std::make_unique<CdxTree>(&file_, offset, h, pad);
    *out = std::move(tag);
    return kOk;
}

Result CdxBag::loadTags(const RecordView& schema, std::string* error) {
    std::vector<std::pair<std::string, uint32_t>> entries;
    if (Result r = readDirectory(&entries, error)) return r;
    for (const auto& [name, offset] : entries) {
        std::unique_ptr<CdxTag> tag;
        if (Result r = openTag(name, offset, schema, &tag, error)) return r;
        if (!find(tag->name)) tags_.push_back(std::move(tag));
    }
    std::sort(tags_.begin(), tags_.end(),
              [](const auto& a, const auto& b) { return a->tree->headerOffset() < b->tree->headerOffset(); });
    return kOk;
}

Result CdxBag::open(const std::string& path, const RecordView& schema, IndexOpenMode mode,
                    std::unique_ptr<CdxBag>* out, std::string* error) {
    std::unique_ptr<CdxBag> bag(new CdxBag());
    Result r = bag->file_.open(path, mode.readOnly, mode.shared, error);
    if (r != kOk) return r;
    uint8_t head[kCdxHeaderSize];
    r = bag->file_.readPage(0, head, error);
    if (r == kOk) r = bag->file_.readPage(kCdxPageSize, head + kCdxPageSize, error);
    if (r != kOk) return r;
    CdxHeader h;
    std::string why;
    if (!parseCdxHeader(head, &h, &why) || h.keyLength != 10) {
        *error = path + ": compound header damaged" + (why.empty() ? "" : ": " + why);
        return kCorruptIndex;
    }
    bag->structural_ = (h.options & kCdxStructural) != 0;
    bag->directory_ = std::make_unique<CdxTree>(&bag->file_, 0, h, 0x20);
    if ((r = bag->loadTags(schema, error)) != kOk) return r;
    *out = std::move(bag);
    return kOk;
}

Result CdxBag::create(const std::string& path, bool structural, bool shared,
                      std::unique_ptr<CdxBag>* out, std::string* error) {
    std::unique_ptr<CdxBag> bag(new CdxBag());
    Result r = bag->file_.create(path, shared, error);
    if (r != kOk) return r;
    CdxHeader h;
    h.keyLength = 10;
    h.options = kCdxCompact | kCdxCompound | (structural ? kCdxStructural : 0);
    bag->structural_ = structural;
    bag->directory_ = std::make_unique<CdxTree>(&bag->file_, 0, h, 0x20);
    if ((r = bag->directory_->clear(error)) != kOk) return r;
    if ((r = bag->flush(error)) != kOk) return r;
    *out = std::move(bag);
    return kOk;
}

CdxTag* CdxBag::find(std::string_view name) const {
    std::string want = upperAscii(trimName(name));
    for (const auto& t : tags_)
        if (t->name == want) return t.get();
    return nullptr;
}

Result CdxBag::scan(RecordSource& records, const std::vector<CdxTag*>& tags, const IndexBuildProgress& progress,
                    std::vector<std::string>* keys, std::vector<std::vector<uint32_t>>* recnos, std::string* error) {
    uint32_t total = records.recordCount();
    uint32_t step = std::max<uint32_t>(1, total / 100);
    keys->assign(tags.size(), std::string());
    recnos->assign(tags.size(), std::vector<uint32_t>());
    std::string key, why;
    for (uint32_t recno = 1; recno <= total; ++recno) {
        const RecordView* view = nullptr;
        Result r = records.readRecord(recno, &view);
        if (r != kOk) {
            *error = path() + ": reading record " + std::to_string(recno) + " for the index failed";
            return r;
        }
        for (size_t t = 0; t < tags.size(); ++t) {
            const CdxTag& tag = *tags[t];
            if (tag.filter) {
                ExprValue ok;
                if (!tag.filter->evaluate(*view, &ok, &why)) {
                    *error = "tag " + tag.name + ": FOR of record " + std::to_string(recno) + ": " + why;
                    return kBadExpression;
                }
                if (!ok.logical) continue;
            }
            if ((r = cdxRecordKey(*tag.key, tag.format, *view, &key, error)) != kOk) return r;
            (*keys)[t] += key;
            (*recnos)[t].push_back(recno);
        }
        if (progress && (recno % step == 0 || recno == total)) progress(recno, total);
    }
    if (progress && total == 0) progress(0, 0);
    return kOk;
}

Result CdxBag::fillTree(CdxTag& tag, std::string& keys, std::vector<uint32_t>& recnos, std::string* error) {
    size_t kl = static_cast<size_t>(tag.format.length), n = recnos.size();
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    const char* base = keys.data();
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return std::memcmp(base + a * kl, base + b * kl, kl) < 0;
    });
    std::string sortedKeys;
    sortedKeys.reserve(keys.size());
    std::vector<uint32_t> sortedRecnos;
    sortedRecnos.reserve(n);
    bool unique = tag.unique();
    for (size_t i = 0; i < n; ++i) {
        const char* k = base + order[i] * kl;
        if (unique && i > 0 && std::memcmp(k, base + order[i - 1] * kl, kl) == 0) continue;
        sortedKeys.append(k, kl);
        sortedRecnos.push_back(recnos[order[i]]);
    }
    std::string().swap(keys);
    return tag.tree->build(sortedKeys, sortedRecnos, error);
}

Result CdxBag::createTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr,
                         bool unique, bool descending, const RecordView& schema, RecordSource& records,
                         const IndexBuildProgress& progress, CdxTag** out, std::string* error) {
    if (!validTagName(name)) {
        *error = "invalid tag name \"" + std::string(name) + "\"";
        return kInvalidArgument;
    }
    if (readOnly()) {
        *error = path() + ": index opened read-only";
        return kReadOnly;
    }
    auto tag = std::make_unique<CdxTag>();
    tag->name = upperAscii(name);
    tag->serial = nextTagSerial();
    Result r = cdxPrepareTag(*tag, keyExpr, forExpr, schema, error);
    if (r != kOk) return r;
    if (!cdxPoolFits(keyExpr, forExpr)) {
        *error = "key and FOR expressions longer than " + std::to_string(kCdxPoolSize - 2) + " bytes";
        return kInvalidArgument;
    }
    CdxHeader h;
    h.keyLength = static_cast<uint16_t>(tag->format.length);
    h.options = kCdxCompact | kCdxCompound | (unique ? kCdxUnique : 0) | (forExpr.empty() ? 0 : kCdxHasFor);
    h.descending = descending;
    h.keyExpr = std::string(keyExpr);
    h.forExpr = std::string(forExpr);
    h.root = 0;
    std::vector<std::string> keys;
    std::vector<std::vector<uint32_t>> recnos;
    if ((r = scan(records, {tag.get()}, progress, &keys, &recnos, error)) != kOk) return r;
    CdxTag* existing = find(tag->name);
    uint32_t offset;
    if (existing) {
        offset = existing->tree->headerOffset();
        if ((r = existing->tree->releaseAll(error)) != kOk) return r;
    } else {
        offset = file_.allocateHeader();
    }
    tag->tree = std::make_unique<CdxTree>(&file_, offset, h, tag->format.pad());
    if ((r = fillTree(*tag, keys[0], recnos[0], error)) != kOk) return r;
    *out = tag.get();
    if (existing) {
        for (auto& t : tags_)
            if (t.get() == existing) t = std::move(tag);
    } else {
        std::string dirKey = tag->name;
        dirKey.resize(10, ' ');
        if ((r = directory_->insert(dirKey, offset, error)) != kOk) return r;
        tags_.push_back(std::move(tag));
    }
    return flush(error);
}

Result CdxBag::rewrite(RecordSource* records, const IndexBuildProgress& progress, std::string* error) {
    if (readOnly()) {
        *error = path() + ": index opened read-only";
        return kReadOnly;
    }
    std::vector<CdxTag*> all;
    for (auto& t : tags_) {
        if (records && !t->maintainable()) {
            *error = path() + ": tag " + t->name + ": " + t->exprError;
            return kBadExpression;
        }
        all.push_back(t.get());
    }
    std::vector<std::string> keys;
    std::vector<std::vector<uint32_t>> recnos;
    Result r = kOk;
    if (records && (r = scan(*records, all, progress, &keys, &recnos, error)) != kOk) return r;
    // Nothing of the old file is read from here on: a damaged bag is rewritten whole.
    file_.resetTo(kCdxHeaderSize);
    CdxHeader dir = directory_->header();
    dir.root = 0;
    directory_ = std::make_unique<CdxTree>(&file_, 0, dir, 0x20);
    if ((r = directory_->clear(error)) != kOk) return r;
    std::string dirKeys;
    std::vector<std::pair<std::string, uint32_t>> entries;
    for (size_t i = 0; i < all.size(); ++i) {
        CdxTag& tag = *all[i];
        CdxHeader h = tag.tree->header();
        h.root = 0;
        uint32_t offset = file_.allocateHeader();
        tag.tree = std::make_unique<CdxTree>(&file_, offset, h, tag.tree->pad());
        if (records) r = fillTree(tag, keys[i], recnos[i], error);
        else r = tag.tree->clear(error);
        if (r != kOk) return r;
        std::string name = tag.name;
        name.resize(10, ' ');
        entries.emplace_back(name, offset);
    }
    std::sort(entries.begin(), entries.end());
    std::vector<uint32_t> offsets;
    for (auto& [name, offset] : entries) {
        dirKeys += name;
        offsets.push_back(offset);
    }
    if ((r = directory_->build(dirKeys, offsets, error)) != kOk) return r;
    return flush(error);
}

Result CdxBag::flush(std::string* error) {
    Result r = directory_->flush(error);
    for (auto& t : tags_)
        if (r == kOk) r = t->tree->flush(error);
    if (r == kOk) r = file_.flush(error);
    return r;
}

Result CdxBag::sync(const RecordView& schema, bool* tagsChanged, std::string* error) {
    *tagsChanged = false;
    bool changed = false;
    Result r = file_.changedOnDisk(&changed, error);
    if (r != kOk || !changed) return r;
    // The directory itself may have been rebuilt elsewhere in the file.
    uint8_t head[kCdxHeaderSize];
    if ((r = file_.readPage(0, head, error)) != kOk ||
        (r = file_.readPage(kCdxPageSize, head + kCdxPageSize, error)) != kOk)
        return r;
    CdxHeader dir;
    std::string why;
    if (!parseCdxHeader(head, &dir, &why) || dir.keyLength != 10) {
        *error = path() + ": compound header damaged" + (why.empty() ? "" : ": " + why);
        return kCorruptIndex;
    }
    directory_ = std::make_unique<CdxTree>(&file_, 0, dir, 0x20);
    std::vector<std::pair<std::string, uint32_t>> entries;
    if ((r = readDirectory(&entries, error)) != kOk) return r;
    std::vector<std::unique_ptr<CdxTag>> next;
    for (const auto& [name, offset] : entries) {
        if (std::any_of(next.begin(), next.end(), [&](const auto& t) { return t->name == name; })) continue;
        auto same = std::find_if(tags_.begin(), tags_.end(), [&](const auto& t) { return t && t->name == name; });
        CdxHeader h;
        if ((r = readTagHeader(offset, &h, error)) != kOk) return r;
        if (same != tags_.end() && (*same)->tree->headerOffset() == offset &&
            (*same)->tree->header().keyExpr == h.keyExpr && (*same)->tree->header().forExpr == h.forExpr) {
            (*same)->tree = std::make_unique<CdxTree>(&file_, offset, h, (*same)->tree->pad());
            next.push_back(std::move(*same));
            continue;
        }
        std::unique_ptr<CdxTag> tag;
        if ((r = openTag(name, offset, schema, &tag, error)) != kOk) return r;
        next.push_back(std::move(tag));
        *tagsChanged = true;
    }
    for (const auto& t : tags_) *tagsChanged = *tagsChanged || t != nullptr;  // a tag was dropped
    std::sort(next.begin(), next.end(),
              [](const auto& a, const auto& b) { return a->tree->headerOffset() < b->tree->headerOffset(); });
    tags_ = std::move(next);
    return kOk;
}

}  // namespace engine
