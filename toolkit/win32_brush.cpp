// TBrush: solid and stock brushes.
#include "toolkit/brush.h"

namespace toolkit {

std::shared_ptr<TBrush> TBrush::New(COLORREF nRGBColor) {
    auto brush = std::make_shared<TBrush>();
    brush->nRGBColor = nRGBColor;
    brush->owned_.reset(CreateSolidBrush(nRGBColor));
    return brush;
}

std::shared_ptr<TBrush> TBrush::stock(int nStockObject) {
    auto brush = std::make_shared<TBrush>();
    brush->stock_ = GetStockObject(nStockObject);
    return brush;
}

std::shared_ptr<TBrush> nullBrush() {
    static const std::shared_ptr<TBrush> brush = TBrush::stock(NULL_BRUSH);
    return brush;
}

}  // namespace toolkit
