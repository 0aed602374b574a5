// The message box's layout steps.
#include "toolkit/alert_layout.h"

#include <algorithm>

namespace toolkit {
namespace {

// The box counts lines as wrapped at 254 characters and measures each as
// wrapped at 79: a long line is measured in pieces, so the box grows in
// height rather than in width.
constexpr size_t kCountWrap = 254;
constexpr size_t kMeasureWrap = 79;

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

void wrapParagraph(std::string_view p, size_t width, std::vector<std::string>& out) {
    while (p.size() > width) {
        const size_t blank = p.substr(0, width + 1).rfind(' ');
        if (blank != std::string_view::npos && blank > 0) {
            out.emplace_back(p.substr(0, blank));
            p.remove_prefix(blank + 1);
        } else {
            out.emplace_back(p.substr(0, width));
            p.remove_prefix(width);
        }
    }
    out.emplace_back(p);
}

// The widest measured line, as the box's text width counts it.
int widestLine(std::string_view message, const TextMeasure& measure) {
    const size_t count = wrapLines(message, kCountWrap).size();
    const std::vector<std::string> pieces = wrapLines(message, kMeasureWrap);
    int widest = 0;
    for (size_t k = 0; k < count && k < pieces.size(); ++k)
        widest = std::max(widest, measure.lineWidth(trimBlanks(pieces[k])));
    return widest;
}

}  // namespace

std::vector<std::string> wrapLines(std::string_view text, size_t width) {
    std::vector<std::string> out;
    if (width == 0) width = 1;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        std::string_view p = text.substr(0, nl);
        if (!p.empty() && p.back() == '\r') p.remove_suffix(1);
        wrapParagraph(p, width, out);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return out;
}

AlertLayout layoutAlert(std::string_view message, const std::vector<std::string>& captions,
                        int fontHeight, int captionHeight, const TextMeasure& measure,
                        bool touchList) {
    AlertLayout a;
    const int h = fontHeight + (touchList ? 21 : 3);
    a.lineHeight = h;
    a.textWidth = std::min(widestLine(message, measure) + 10, kMaxAlertTextWidth);

    const size_t nButtons = std::min(captions.size(), kMaxAlertButtons);
    int widestCaption = 0;
    for (size_t i = 0; i < nButtons; ++i)
        widestCaption = std::max(widestCaption, measure.captionWidth(captions[i]));
    a.buttonWidth = widestCaption + 40;
    const int rowWidth = (a.buttonWidth + 10) * static_cast<int>(nButtons);
    const int band = h + 4 + 4;

    a.innerWidth = std::max(70 + a.textWidth + 50, 50 + rowWidth + 50 - 20);
    a.width = a.innerWidth + 8;
    const int textHeight = measure.wrappedHeight(message, a.textWidth) + 15;
    a.innerHeight = 3 * h + textHeight + 4 + band;
    a.height = a.innerHeight + captionHeight;

    a.text = Rect{70, 2 * h, 70 + a.textWidth, 2 * h + textHeight};
    a.iconLeft = 18;
    a.iconTop = h;

    // Right-aligned in list order: the last caption is placed first, at the
    // right edge, and each earlier one B + 10 further left.
    const int top = a.innerHeight - h - band;
    for (size_t i = 0; i < nButtons; ++i) {
        const int j = static_cast<int>(nButtons - i);
        const int left = a.innerWidth - (a.buttonWidth + 10) * j;
        a.buttons.push_back(Rect{left, top, left + a.buttonWidth, top + h + 8});
    }
    return a;
}

}  // namespace toolkit
