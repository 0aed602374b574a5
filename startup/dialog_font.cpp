// The default dialog font: the platform's default GUI font, width 0.
#include "startup/dialog_font.h"

#include "os/gui_font.h"

namespace startup {

std::string CFONTNAME() {
    return os::defaultGuiFont().faceName;
}

int NFONTVSIZE() {
    return 0;
}

int NFONTHSIZE() {
    return os::defaultGuiFont().height;
}

}  // namespace startup
