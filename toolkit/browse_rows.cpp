// Stripe pattern and record movements of the browse.
#include "toolkit/browse_rows.h"

#include <algorithm>

#include "tables/ads.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"

namespace toolkit {
namespace {

char opposite(char c) {
    return c == '1' ? '2' : '1';
}

std::string alternating(size_t n, char first) {
    std::string s(n, first);
    for (size_t i = 1; i < n; i += 2) s[i] = opposite(first);
    return s;
}

}  // namespace

void StripePattern::reset() {
    cColor_ = alternating(100, '2');
}

void StripePattern::resize(int nRowCount) {
    cColor_ = alternating(static_cast<size_t>(std::max(nRowCount + 4, 0)), '1');
}

void StripePattern::down() {
    if (cColor_.size() < 2) return;
    const char last = cColor_.back();
    cColor_.erase(0, 1);
    cColor_.push_back(opposite(last));
}

void StripePattern::up() {
    if (cColor_.size() < 2) return;
    cColor_.insert(cColor_.begin(), opposite(cColor_.front()));
    cColor_.pop_back();
}

char StripePattern::at(int nRow) const {
    if (nRow < 1 || static_cast<size_t>(nRow) > cColor_.size()) return 0;
    return cColor_[static_cast<size_t>(nRow - 1)];
}

int64_t DBSKIPPER(int64_t n) {
    if (tables::LASTREC() == 0) return 0;
    if (n == 0) {
        tables::DBSKIP(0);
        return 0;
    }
    int64_t moved = 0;
    if (n > 0) {
        if (tables::EOF_()) return 0;
        for (int64_t i = 0; i < n; ++i) {
            tables::DBSKIP(1);
            if (tables::EOF_()) {
                tables::DBSKIP(-1);
                break;
            }
            ++moved;
        }
        return moved;
    }
    for (int64_t i = 0; i < -n; ++i) {
        tables::DBSKIP(-1);
        if (tables::BOF()) break;
        --moved;
    }
    return moved;
}

uint32_t browseCalcLen(int nRowCount) {
    if (!tables::USED()) return 0;
    const uint32_t record = tables::RECNO();
    uint32_t count = tables::ADSKEYCOUNT({}, {}, runtime::Value(2));
    if (nRowCount >= 0 && static_cast<uint32_t>(nRowCount) >= count) {
        count = 0;
        for (tables::DBGOTOP(); !tables::EOF_(); tables::DBSKIP(1))
            if (!tables::DELETED()) ++count;
        tables::DBGOTO(record);
    }
    return count;
}

}  // namespace toolkit
