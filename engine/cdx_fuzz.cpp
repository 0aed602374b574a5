// libFuzzer target: arbitrary bytes taken as a whole CDX file. Opens the bag
// (header, tag directory, tag headers), walks every tag both ways, counts,
// seeks, changes a few keys and runs the checker; any damage must come back
// as an error, never as a crash, an out-of-bounds access or an endless loop.
// Also decodes every 512-byte page directly under a few key lengths.
// What must hold beyond that: a refused open says kCorruptIndex and names
// the file; on a bag the checker passes, every tag walks forward in key
// order with the checker's key count, and the changes made on it leave a
// bag the checker still passes.
#include <unistd.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engine/cdx_bag.h"
#include "engine/cdx_check.h"
#include "runtime/value.h"

namespace {

using namespace engine;

// A record with one field of each kind the corpus tags use.
class FuzzRecord : public RecordView {
public:
    FuzzRecord() {
        const char* names[] = {"NAME", "QTY", "BORN", "OK", "ID", "ROOMNAME", "FACILITY", "CODE"};
        const char types[] = {'C', 'N', 'D', 'L', 'I', 'C', 'C', 'C'};
        const uint16_t lengths[] = {10, 8, 8, 1, 4, 10, 10, 4};
        for (int i = 0; i < 8; ++i) {
            FieldDesc f;
            f.name = names[i];
            f.type = types[i];
            f.length = lengths[i];
            fields_.push_back(f);
        }
    }
    int fieldCount() const override { return static_cast<int>(fields_.size()); }
    const FieldDesc& field(int i) const override { return fields_[static_cast<size_t>(i)]; }
    int findField(std::string_view name) const override {
        for (size_t i = 0; i < fields_.size(); ++i)
            if (runtime::sameName(fields_[i].name, name)) return static_cast<int>(i);
        return -1;
    }
    std::string text(int i) const override { return std::string(field(i).length, 'k'); }
    double number(int) const override { return 42; }
    int32_t julianDay(int) const override { return 2451545; }
    bool logical(int) const override { return true; }
    bool deleted() const override { return false; }
    uint32_t recordNumber() const override { return 7; }

private:
    std::vector<FieldDesc> fields_;
};

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "cdx_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

// (key, record number) of the cursor against the one before it.
bool before(const std::string& key, uint32_t recno, const CdxCursor& c) {
    return key < c.key || (key == c.key && recno <= c.recno);
}

// A tag of a sound bag: the forward walk is in order and meets every key.
void checkSoundTag(CdxTag& tag, uint64_t keys) {
    CdxCursor c;
    uint64_t seen = 0;
    std::string key;
    uint32_t recno = 0;
    if (Status r = tag.tree->first(&c); !r.ok()) fail("first on a sound tag", r.message());
    while (c.valid) {
        if (seen > 0 && !before(key, recno, c)) fail("walk out of order", tag.name);
        key = c.key;
        recno = c.recno;
        ++seen;
        if (Status r = tag.tree->next(&c); !r.ok()) fail("next on a sound tag", r.message());
    }
    if (seen != keys)
        fail("walk and checker disagree",
             tag.name + ": " + std::to_string(seen) + " vs " + std::to_string(keys));
}

void walk(CdxTag& tag) {
    CdxCursor c;
    int steps = 0;
    std::vector<std::pair<std::string, uint32_t>> seen;
    if (tag.tree->first(&c) != kOk) return;
    while (c.valid && steps++ < 5000) {
        if (seen.size() < 300) seen.emplace_back(c.key, c.recno);
        if (tag.tree->next(&c) != kOk) return;
    }
    if (tag.tree->last(&c) != kOk) return;
    while (c.valid && steps++ < 10000)
        if (tag.tree->prev(&c) != kOk) return;
    uint32_t n;
    (void)tag.tree->count(&n);
    std::string key(static_cast<size_t>(tag.tree->keyLength()), 'k');
    if (tag.tree->seek(key, 0, false, &c) != kOk) return;
    if (tag.tree->insert(key, 7) != kOk) return;
    bool found;
    if (tag.tree->erase(key, 7, &found) != kOk) return;
    // Empty leaves, merge and collapse levels on whatever tree the bytes made.
    for (auto& [k, r] : seen)
        if (tag.tree->erase(k, r, &found) != kOk) return;
    for (auto& [k, r] : seen)
        if (tag.tree->insert(k, r) != kOk) return;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t p = 0; p + 512 <= size && p < 64 * 512; p += 512) {
        for (int keyLength : {1, 4, 8, 10, 240}) {
            CdxNode n;
            (void)decodeCdxNode(data + p, static_cast<uint32_t>(p), keyLength, ' ', size, &n);
        }
    }
    static const std::string path = "/tmp/cdx_fuzz_" + std::to_string(getpid()) + ".cdx";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    FuzzRecord schema;
    std::unique_ptr<CdxBag> bag;
    if (Status r = CdxBag::open(path, schema, {false, false}, &bag); !r.ok()) {
        if (r.code() != kCorruptIndex || r.message().rfind(path, 0) != 0)
            fail("open refused without kCorruptIndex and the file", r.message());
        return 0;
    }
    CdxCheckOptions loose;
    loose.strict = false;  // orphan pages and loose interior keys are other writers' right
    std::vector<uint64_t> keys;
    bool sound = cdxCheckBag(*bag, loose, &keys) == kOk;
    if (sound)
        for (size_t i = 0; i < bag->tags().size() && i < keys.size(); ++i)
            checkSoundTag(*bag->tags()[i], keys[i]);
    for (auto& tag : bag->tags()) walk(*tag);
    Status after = cdxCheckBag(*bag, loose);
    if (sound && !after.ok()) fail("changes broke a sound bag", after.message());
    return 0;
}
