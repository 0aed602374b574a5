// The platform colours of the look settings, from the system.
#include <windows.h>

#include "toolkit/look_tables.h"

namespace toolkit {

SystemColours systemColours() {
    return SystemColours{GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_GRAYTEXT),
                         GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOW)};
}

}  // namespace toolkit
