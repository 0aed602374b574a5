// The default dialog font.
#include "startup/dialog_font.h"

namespace startup {

namespace {

// What the platform reports for its default GUI font on a standard
// installation (face and LOGFONT height).
constexpr const char* kDefaultFace = "MS Shell Dlg";
constexpr int kDefaultHeight = -11;

}  // namespace

std::string CFONTNAME() {
    return kDefaultFace;
}

int NFONTVSIZE() {
    return 0;
}

int NFONTHSIZE() {
    return kDefaultHeight;
}

}  // namespace startup
