// The arithmetic of the progress meter's painting, apart from the drawing
// calls: the text shown over the bar, where it starts, and where the filled
// part ends. Portable, so that it is tested natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace toolkit {

// The meter composes its text in a buffer of this many bytes, the ending
// zero included.
inline constexpr size_t kMeterTextBytes = 84;
// The longest caption kept whole: with its space and the four percentage
// characters it fills the buffer. A longer caption is cut here, so that
// the percentage is never lost.
inline constexpr size_t kMeterCaptionBytes = kMeterTextBytes - 1 - 1 - 4;

// The percentage as the painting takes it: truncated towards zero, then
// held to 0..100 (a value stored directly in the caller's variable may lie
// outside; the bar would be clipped by the device context anyway).
unsigned meterPercent(double nPercent);

// The text over the bar: the caption up to its first zero byte (a caption
// whose first byte is zero counts as none) followed by one space, then,
// when lPercentage, four characters: "100%", or a space, the tens digit (a
// space below 10), the units digit and "%".
std::string meterText(std::string_view cText, bool lPercentage, unsigned percent);

// One coordinate of the text's origin in a client extent of `extent`
// pixels for a text `size` pixels long: extent / 2 - size / 2, each half
// truncated, then taken as an unsigned 16-bit value. A text larger than the
// control starts near 65535 and is not seen.
int meterTextOrigin(int extent, int size);

// The column where the filled part ends (exclusive) in a client area whose
// right edge is `right`: ((right - 1) * percent) / 100. That column itself
// is covered by neither part.
int meterFillRight(int right, unsigned percent);

// Where a meter lies in its parent, top edge and height in pixels.
struct MeterRows {
    int top = 0;
    int height = 0;
    bool operator==(const MeterRows&) const = default;
};

// The rows a meter needs for its caption font: the font's cell
// (`cellHeight`: ascent and descent, the accents of capitals and the tails
// below the line included) inside the one-pixel frame above and below. A
// meter lower than that grows about its middle, so the centred text shows
// whole; one high enough stays as it is.
MeterRows meterRowsForFont(MeterRows rows, int cellHeight);

}  // namespace toolkit
