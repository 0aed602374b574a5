// Record bytes with typed field access and the null-flag bits.
#include "engine/dbf_record.h"

#include <cctype>
#include <cstring>

#include "engine/dbf_field.h"
#include "engine/fpt_file.h"

namespace engine {

void TableLayout::build(const DbfHeader& h, std::string_view aliasName) {
    header = h;
    alias.clear();
    for (char c : aliasName) alias += char(std::toupper(uint8_t(c)));
    user.clear();
    nullBit.clear();
    varBit.clear();
    nullFlagsOffset = -1;
    nullFlagsBytes = 0;
    if (h.nullFlagsField >= 0) {
        nullFlagsOffset = int(h.fields[size_t(h.nullFlagsField)].offset);
        nullFlagsBytes = h.fields[size_t(h.nullFlagsField)].length;
    }
    blank.assign(h.recordBytes, ' ');
    for (const FieldDesc& f : h.fields)
        if (f.offset + f.length <= blank.size()) writeBlank(blank.data() + f.offset, f);
    int bit = 0;
    for (const FieldDesc& f : h.fields) {
        if (f.flags & kFieldSystem) continue;
        user.push_back(f);
        int vb = -1, nb = -1;
        if (nullFlagsOffset >= 0) {
            if (f.type == 'V' || f.type == 'Q') vb = bit++;
            if (f.flags & kFieldNullable) nb = bit++;
        }
        if (nb >= nullFlagsBytes * 8) nb = -1;
        if (vb >= nullFlagsBytes * 8) vb = -1;
        nullBit.push_back(nb);
        varBit.push_back(vb);
    }
}

int TableLayout::find(std::string_view name) const {
    size_t arrow = name.find("->");
    if (arrow != std::string_view::npos) {
        std::string_view a = name.substr(0, arrow);
        while (!a.empty() && a.back() == ' ') a.remove_suffix(1);
        if (a.size() != alias.size()) return -1;
        for (size_t i = 0; i < a.size(); ++i)
            if (std::toupper(uint8_t(a[i])) != uint8_t(alias[i])) return -1;
        name = name.substr(arrow + 2);
    }
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    for (size_t i = 0; i < user.size(); ++i) {
        const std::string& n = user[i].name;
        if (n.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < n.size() && same; ++k)
            same = std::toupper(uint8_t(name[k])) == uint8_t(n[k]);
        if (same) return int(i);
    }
    return -1;
}

DbfRecord::DbfRecord(const TableLayout* layout, MemoFile* memo)
    : layout_(layout), memo_(memo), bytes_(layout->header.recordBytes, ' ') {
    clear();
}

void DbfRecord::attach() {
    shown_ = nullptr;
    bytes_.assign(layout_->header.recordBytes, ' ');
    clear();
}

void DbfRecord::clear() {
    shown_ = nullptr;
    if (layout_->blank.size() == bytes_.size()) {
        if (bytes_.empty()) return;
        std::memcpy(bytes_.data(), layout_->blank.data(), bytes_.size());
        return;
    }
    std::memset(bytes_.data(), ' ', bytes_.size());
    for (const FieldDesc& f : layout_->header.fields) writeBlank(bytes_.data() + f.offset, f);
}

Status DbfRecord::memoText(int i, std::string* text) const {
    return memoTextOf(data(), i, text);
}

Status DbfRecord::memoTextOf(const uint8_t* record, int i, std::string* text) const {
    text->clear();
    uint32_t block = readMemoBlock(record + user(i).offset, user(i));
    if (block == 0) return Status();
    if (!memo_ || !memo_->isOpen()) return Status(kCorruptMemo, "memo file not open");
    Status s = memo_->read(block, text);
    if (!s.ok()) text->clear();
    return s;
}

void DbfRecord::setFlagBit(int bit, bool on) {
    if (bit < 0) return;
    shown_ = nullptr;
    uint8_t& b = bytes_[size_t(layout_->nullFlagsOffset) + size_t(bit / 8)];
    if (on)
        b = uint8_t(b | (1u << (bit % 8)));
    else
        b = uint8_t(b & ~(1u << (bit % 8)));
}

std::string DbfRecord::text(int i) const {
    const FieldDesc& f = user(i);
    if (isMemoType(f.type)) {
        // Expressions see a memo that cannot be read as empty; the reads of
        // the table itself go through memoText() and report the failure.
        std::string t;
        (void)memoText(i, &t);
        return t;
    }
    std::string_view r = raw(i);
    int vb = layout_->varBit[size_t(i)];
    if (vb >= 0) {
        uint8_t b = data()[size_t(layout_->nullFlagsOffset) + size_t(vb / 8)];
        if ((b >> (vb % 8)) & 1) {
            size_t len = uint8_t(r.back());
            r = r.substr(0, len < r.size() ? len : r.size() - 1);
        }
    }
    return std::string(r);
}

double DbfRecord::number(int i) const {
    return readNumber(data() + user(i).offset, user(i));
}

int32_t DbfRecord::julianDay(int i) const {
    return readJulian(data() + user(i).offset, user(i));
}

bool DbfRecord::logical(int i) const {
    return readLogical(data() + user(i).offset, user(i));
}

double DbfRecord::dateTime(int i) const {
    const uint8_t* p = data() + user(i).offset;
    int32_t day = readJulian(p, user(i));
    if (day == 0) return 0.0;
    return day + readMillis(p, user(i)) / 86400000.0;
}

}  // namespace engine
