// The progress meter's text and geometry.
#include "toolkit/meter_layout.h"

#include <cmath>

namespace toolkit {

unsigned meterPercent(double nPercent) {
    if (!(nPercent > 0)) return 0;  // negative values and NaN
    const double whole = std::trunc(nPercent);
    return whole >= 100 ? 100u : static_cast<unsigned>(whole);
}

std::string meterText(std::string_view cText, bool lPercentage, unsigned percent) {
    std::string out;
    const size_t zero = cText.find('\0');
    const std::string_view caption = cText.substr(0, zero);
    if (!caption.empty()) {
        out.assign(caption.substr(0, kMeterCaptionBytes));
        out.push_back(' ');
    }
    if (lPercentage) {
        if (percent >= 100) {
            out += "100%";
        } else {
            out.push_back(' ');
            out.push_back(percent < 10 ? ' ' : static_cast<char>('0' + percent / 10));
            out.push_back(static_cast<char>('0' + percent % 10));
            out.push_back('%');
        }
    }
    return out;
}

int meterTextOrigin(int extent, int size) {
    return static_cast<uint16_t>(extent / 2 - size / 2);
}

int meterFillRight(int right, unsigned percent) {
    return ((right - 1) * static_cast<int>(percent)) / 100;
}

MeterRows meterRowsForFont(MeterRows rows, int cellHeight) {
    const int needed = cellHeight + 2;
    if (cellHeight <= 0 || rows.height >= needed) return rows;
    const int grow = needed - rows.height;
    return MeterRows{rows.top - grow / 2, needed};
}

}  // namespace toolkit
