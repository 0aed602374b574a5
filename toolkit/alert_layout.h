// The message box's geometry: where its text, icon and buttons go for a
// message, a list of captions and a font. Measuring text is left to a
// TextMeasure, so the window box measures with its real font and the tests
// with a font of fixed width.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Measures text in the box's font, in pixels.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // Width of one line drawn as it is ("&" included).
    virtual int lineWidth(std::string_view line) const = 0;
    // Width of a button caption as the button shows it ("&" marks the
    // accelerator and is not drawn).
    virtual int captionWidth(std::string_view caption) const = 0;
    // Height of text drawn word-wrapped within `width` pixels, line breaks
    // ("\r\n") honoured.
    virtual int wrappedHeight(std::string_view text, int width) const = 0;
};

// The box in pixels. Positions are in the dialog's client coordinates; the
// dialog's outer size is width x height.
struct AlertLayout {
    int lineHeight = 0;   // H: font height + 3
    int textWidth = 0;    // W: widest line + 10, at most kMaxAlertTextWidth
    int buttonWidth = 0;  // B: widest caption + 40
    int innerWidth = 0;   // I
    int innerHeight = 0;  // V
    int width = 0;        // I + 8
    int height = 0;       // V + the caption height
    Rect text;            // where the message is drawn
    int iconLeft = 0;
    int iconTop = 0;
    std::vector<Rect> buttons;  // in caption order, left to right
};

inline constexpr int kMaxAlertTextWidth = 375;
inline constexpr size_t kMaxAlertButtons = 5;

// Lays a box out. message is already normalised (line breaks are "\r\n");
// captions beyond the fifth are ignored. fontHeight is the height of the
// box's font, captionHeight the system's caption height. touchList is the
// framework's touch-screen list mode (taller buttons); off in this program.
AlertLayout layoutAlert(std::string_view message, const std::vector<std::string>& captions,
                        int fontHeight, int captionHeight, const TextMeasure& measure,
                        bool touchList = false);

// The message cut into lines as the box counts them: every "\r\n" (or a
// lone "\n") ends a line, and a line longer than `width` characters breaks
// after the last blank that keeps it within `width` (a word longer than
// `width` is cut). A final line break adds no empty line.
std::vector<std::string> wrapLines(std::string_view text, size_t width);

}  // namespace toolkit
