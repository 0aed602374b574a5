// One record's bytes with the table's layout: the RecordView that key and
// FOR expressions read, and typed access by user field index. The layout
// hides the system field of null flags and knows each nullable field's bit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dbf_header.h"
#include "engine/record_view.h"

namespace engine {

class MemoFile;

// The user-visible field list of a table, derived from its header.
struct TableLayout {
    DbfHeader header;
    std::string alias;            // upper case
    std::vector<FieldDesc> user;  // user fields in order (offsets into the record)
    std::vector<int> nullBit;     // per user field: bit in the null flags, -1 none
    std::vector<int> varBit;      // per user field: varlength bit (V, Q), -1 none
    int nullFlagsOffset = -1;     // record offset of the null flags, -1 none
    uint16_t nullFlagsBytes = 0;
    std::vector<uint8_t> blank;  // a record with every field blank, not deleted

    // Builds the user list and bit numbers from `header`.
    void build(const DbfHeader& h, std::string_view aliasName);
    // User field index of `name` (case and trailing blanks ignored, also
    // "ALIAS->NAME"), -1 when none.
    int find(std::string_view name) const;
};

class DbfRecord final : public RecordView {
public:
    DbfRecord(const TableLayout* layout, MemoFile* memo);
    // Sizes the buffer for the layout's record length (after the layout
    // was built) and blanks it.
    void attach();

    const TableLayout& layout() const { return *layout_; }
    // The record's bytes. A record may show bytes kept elsewhere instead of
    // its own (show()); asking for them to write takes its own back.
    uint8_t* data() {
        shown_ = nullptr;
        return bytes_.data();
    }
    const uint8_t* data() const { return shown_ ? shown_ : bytes_.data(); }
    size_t size() const { return bytes_.size(); }
    // Reads record `recno` from `bytes` (size() of them, kept by the caller
    // until the record is read again or written), without a copy.
    void show(const uint8_t* bytes, uint32_t recno) {
        shown_ = bytes;
        recno_ = recno;
    }
    void setRecordNumber(uint32_t n) { recno_ = n; }
    // Every field blank, not deleted.
    void clear();
    // Raw bytes of user field i (fixed width, as stored).
    std::string_view raw(int i) const {
        const FieldDesc& f = user(i);
        return std::string_view(reinterpret_cast<const char*>(data()) + f.offset, f.length);
    }
    const FieldDesc& user(int i) const { return layout_->user[size_t(i)]; }
    // Memo text of user field i; the memo file's failure (and an empty
    // text) when it cannot be read at that block.
    Status memoText(int i, std::string* text) const;
    // The same for the record whose bytes are `record` (of this layout),
    // wherever they are kept.
    Status memoTextOf(const uint8_t* record, int i, std::string* text) const;
    void setNull(int i, bool null) {
        if (layout_->nullFlagsOffset >= 0) setFlagBit(layout_->nullBit[size_t(i)], null);
    }
    // The varlength bit of a V or Q field: its length is in its last byte.
    void setVarLength(int i, bool marked) {
        if (layout_->nullFlagsOffset >= 0) setFlagBit(layout_->varBit[size_t(i)], marked);
    }
    bool canMarkVarLength(int i) const { return layout_->varBit[size_t(i)] >= 0; }
    bool nullable(int i) const { return layout_->nullBit[size_t(i)] >= 0; }

    // RecordView
    int fieldCount() const override { return int(layout_->user.size()); }
    const FieldDesc& field(int i) const override { return layout_->user[size_t(i)]; }
    int findField(std::string_view name) const override { return layout_->find(name); }
    std::string text(int i) const override;
    double number(int i) const override;
    int32_t julianDay(int i) const override;
    bool logical(int i) const override;
    double dateTime(int i) const override;
    bool isNull(int i) const override {
        int bit = layout_->nullBit[size_t(i)];
        if (bit < 0) return false;
        uint8_t b = data()[size_t(layout_->nullFlagsOffset) + size_t(bit / 8)];
        return (b >> (bit % 8)) & 1;
    }
    std::string_view stored(int i) const override { return raw(i); }
    bool deleted() const override { return data()[0] == '*'; }
    uint32_t recordNumber() const override { return recno_; }

private:
    void setFlagBit(int bit, bool on);

    const TableLayout* layout_;
    MemoFile* memo_;
    std::vector<uint8_t> bytes_;
    const uint8_t* shown_ = nullptr;  // bytes kept elsewhere, read instead of bytes_
    uint32_t recno_ = 0;
};

}  // namespace engine
