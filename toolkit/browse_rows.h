// The record browse's portable parts: the stripe pattern that keeps each
// record's row colour while the grid scrolls, and the record movements it
// makes in its work area (DBSKIPPER and the logical length).
#pragma once

#include <cstdint>
#include <string>

namespace toolkit {

// The stripe pattern: one character "1" or "2" per screen row (from 1).
class StripePattern {
public:
    // "2", "1", "2", ... 100 characters: the first row takes stripe 2
    // (after GoTop and Default).
    void reset();
    // "1", "2", "1", ... nRowCount + 4 characters: the first row takes
    // stripe 1 (after a resize).
    void resize(int nRowCount);
    // The rows moved up by one: drop the first, append the opposite of the
    // last. Nothing with fewer than 2 characters.
    void down();
    // The rows moved down by one: prepend the opposite of the first, drop
    // the last. Nothing with fewer than 2 characters.
    void up();
    // The stripe of screen row n (from 1): '1', '2', or 0 beyond the end.
    char at(int nRow) const;
    const std::string& text() const { return cColor_; }

private:
    std::string cColor_;
};

// DBSKIPPER(n) in the current work area: moves up to n records (negative:
// back) and returns how many it moved. A table without records moves
// nothing; a forward move never ends at end of file (it steps back onto
// the last record); a backward move stops at the first record.
int64_t DBSKIPPER(int64_t n);

// The logical number of records for a browse of nRowCount rows in the
// current work area: the key count of the controlling order, counted
// exactly (walking the records that are not deleted) when that many would
// fit on screen. The record is the same before and after.
uint32_t browseCalcLen(int nRowCount);

}  // namespace toolkit
