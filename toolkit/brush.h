// TBrush: a solid brush owned by its object.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/win_handles.h"

namespace toolkit {

class TBrush {
public:
    // A solid brush of that colour (nullptr handle when it cannot be made).
    static std::shared_ptr<TBrush> New(COLORREF nRGBColor);
    // A stock brush (never deleted), e.g. NULL_BRUSH.
    static std::shared_ptr<TBrush> stock(int nStockObject);
    HBRUSH hBrush() const { return static_cast<HBRUSH>(owned_.get() ? owned_.get() : stock_); }
    COLORREF nRGBColor = 0;

private:
    GdiObject owned_;
    HGDIOBJ stock_ = nullptr;
};

// The shared null brush for transparent controls (made once, not deleted).
std::shared_ptr<TBrush> nullBrush();

}  // namespace toolkit
