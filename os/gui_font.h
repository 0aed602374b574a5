// The platform's default GUI font, as the dialogs without a font of their
// own use it.
#pragma once

#include <cstdint>
#include <string>

namespace os {

struct GuiFont {
    std::string faceName;  // the LOGFONT face name
    int32_t height = 0;    // the LOGFONT height as reported (negative: character height)
};

// Windows: the stock DEFAULT_GUI_FONT read into a LOGFONT. Elsewhere there is
// no such object; the answer is what a standard Windows installation reports.
GuiFont defaultGuiFont();

}  // namespace os
