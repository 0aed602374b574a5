// The default dialog font: the face and height of the platform's default GUI
// font. Every dialog without a font of its own, and the message boxes, make
// their font from these three values.
#pragma once

#include <string>

namespace startup {

// CFONTNAME(): the face name of the platform's default GUI font.
std::string CFONTNAME();

// NFONTVSIZE(): 0, always. It is passed as the width when a dialog font is
// made, so that the font mapper chooses the width.
int NFONTVSIZE();

// NFONTHSIZE(): the height of the default GUI font as the platform reports
// it (negative: a character height in logical units). Passed as the height.
int NFONTHSIZE();

}  // namespace startup
