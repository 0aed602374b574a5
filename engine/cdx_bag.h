// One open CDX file (an index bag): its tag directory and its tags, each
// with its tree and compiled key and FOR expressions. Creating and replacing
// tags, and rewriting the whole file empty or rebuilt, happen here; keeping
// tags in step with record changes is IndexSet's job.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/cdx_file.h"
#include "engine/cdx_key.h"
#include "engine/cdx_tree.h"
#include "engine/expression.h"
#include "engine/index_open_mode.h"
#include "engine/record_source.h"

namespace engine {

// More directory entries than this make a bag damaged (a cyclic directory).
constexpr size_t kCdxMaxTags = 1024;

struct CdxTag {
    std::string name;  // upper case, no padding
    std::unique_ptr<CdxTree> tree;
    std::unique_ptr<Expression> key;     // nullptr: did not compile (see exprError)
    std::unique_ptr<Expression> filter;  // nullptr: no FOR condition (or see exprError)
    std::string exprError;               // why the tag cannot be maintained ("" when it can)
    CdxKeyFormat format;
    uint64_t serial = 0;  // tells this tag object from any other, even one of the same name

    bool unique() const { return (tree->header().options & kCdxUnique) != 0; }
    bool descending() const { return tree->header().descending; }
    bool maintainable() const { return exprError.empty(); }
};

class CdxBag {
public:
    // Opens an existing bag. Tags whose expressions do not compile against
    // `schema` open for reading only (exprError says why). kCorruptIndex for
    // a damaged header, directory or tag header.
    static Status open(const std::string& path, const RecordView& schema, IndexOpenMode mode,
                       std::unique_ptr<CdxBag>* out);
    // Creates an empty bag (replacing any file of that name).
    static Status create(const std::string& path, bool structural, bool shared,
                         std::unique_ptr<CdxBag>* out);

    const std::string& path() const { return file_.path(); }
    bool readOnly() const { return file_.readOnly(); }
    // Tags in creation order.
    const std::vector<std::unique_ptr<CdxTag>>& tags() const { return tags_; }
    CdxTag* find(std::string_view name) const;

    // Creates tag `name` or replaces the tag of that name, filled from
    // `records`. *tag points at it afterwards. A replacement is built under a
    // header of its own; the old tree stays in the directory until the new
    // one is complete, so a failure on the way leaves the old tag usable.
    Status createTag(std::string_view name, std::string_view keyExpr, std::string_view forExpr,
                     bool unique, bool descending, const RecordView& schema, RecordSource& records,
                     const IndexBuildProgress& progress, CdxTag** tag);
    // Rewrites the file with every tag empty (zap), or filled from `records`
    // (reindex). Tags that cannot be maintained make this fail up front.
    Status rewrite(RecordSource* records, const IndexBuildProgress& progress);

    Status flush();
    // When another process changed the file: drops cached pages and reads
    // the tag directory again, so that tags that process created are added
    // (compiled against `schema`) and tags it removed are dropped; a tag
    // it replaced becomes a new tag object. *tagsChanged tells whether the
    // tag list changed.
    Status sync(const RecordView& schema, bool* tagsChanged);
    CdxFile& file() { return file_; }
    CdxTree& directory() { return *directory_; }

private:
    CdxBag() = default;
    Status loadTags(const RecordView& schema);
    // The directory's entries: tag names (trimmed) and header offsets.
    Status readDirectory(std::vector<std::pair<std::string, uint32_t>>* entries);
    Status openTag(const std::string& name, uint32_t offset, const RecordView& schema,
                   std::unique_ptr<CdxTag>* out);
    Status readTagHeader(uint32_t offset, CdxHeader* header);
    Status scan(RecordSource& records, const std::vector<CdxTag*>& tags,
                const IndexBuildProgress& progress, std::vector<std::string>* keys,
                std::vector<std::vector<uint32_t>>* recnos);

    CdxFile file_;
    bool structural_ = false;
    std::unique_ptr<CdxTree> directory_;
    std::vector<std::unique_ptr<CdxTag>> tags_;
};

// Replaces `tag`'s tree with the entries `keys` (n keys of the tag's key
// length, one after the other) and `recnos`, in any order: they are sorted by
// key bytes, then by their position in the lists (so by record number when
// the lists are in record order); a unique tag keeps the first of equal keys.
// `keys` and `recnos` are emptied to give their memory back.
// `sorted`, when given with one entry per key, is their order as
// cdxSortKeys() gives it, made beforehand (on another thread); it is used
// up.
Status cdxFillTree(CdxTag& tag, std::string& keys, std::vector<uint32_t>& recnos,
                   std::vector<uint32_t>* sorted = nullptr);

// Compiles `keyExpr` and `forExpr` for `tag` against `schema` and sets its
// key format; on failure sets tag.exprError and *error and returns the code.
Status cdxPrepareTag(CdxTag& tag, std::string_view keyExpr, std::string_view forExpr,
                     const RecordView& schema);

// A directory key as a tag name: trailing blanks and NULs cut.
std::string cdxTrimTagName(std::string_view key);
// A tag name upper-cased (ASCII letters): how names are looked up.
std::string cdxUpperTagName(std::string_view name);

// The checks every reader of a bag makes on its headers; kCorruptIndex with
// the fault as the message (the caller adds the file).
// A tag header at `offset` must lie whole inside a file of `fileBytes` bytes.
Status checkCdxTagHeaderPlace(uint32_t offset, uint64_t fileBytes);
// Parses the tag header `bytes` (kCdxHeaderSize of them) read at `offset`:
// the header's own checks, and a root inside the file.
Status parseCdxTagHeader(const uint8_t* bytes, uint32_t offset, uint64_t fileBytes,
                         CdxHeader* header);
// Parses the compound header at offset 0: a header whose keys are tag names.
Status parseCdxDirectoryHeader(const uint8_t* bytes, CdxHeader* header);
// Compiles a stored tag's expressions against `schema` and fits its key
// format to the stored key length; what does not fit goes to tag.exprError
// (the tag then opens for reading only).
void cdxPrepareStoredTag(CdxTag& tag, const CdxHeader& h, const RecordView& schema);

}  // namespace engine
