// Win32 default GUI font: the stock object read back into a LOGFONT.
#include <windows.h>

#include "os/gui_font.h"

namespace os {

GuiFont defaultGuiFont() {
    GuiFont font{"MS Shell Dlg", -11};
    LOGFONTA lf{};
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);  // stock objects are never deleted
    if (stock != nullptr && GetObjectA(stock, sizeof lf, &lf) == sizeof lf) {
        font.faceName = lf.lfFaceName;
        font.height = lf.lfHeight;
    }
    return font;
}

}  // namespace os
