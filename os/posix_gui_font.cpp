// POSIX default GUI font: no window system object to ask, so the face and
// height a standard Windows installation reports.
#include "os/gui_font.h"

namespace os {

GuiFont defaultGuiFont() {
    return GuiFont{"MS Shell Dlg", -11};
}

}  // namespace os
