// The look-settings dialogs: COLORES, the configuration of screen colours,
// list fonts, the screen font and the browse style (template 20010), and
// CONFIGBRW, the browse-style dialog it opens (template 20011).
#pragma once

#include <memory>

#include "toolkit/font.h"
#include "toolkit/look.h"

namespace toolkit {

// COLORES(): loads the current user's settings (CARGACOLORES), shows the
// dialog on working copies, saves them on Accept (SAVECOLORS), and however
// it closes reloads every setting from the table, so that what was not
// accepted is dropped. Returns whether it was accepted.
bool COLORES();

// CONFIGBRW(): the browse style from the accessors; on Accept writes the
// chosen style straight into the accessors. Returns whether it was
// accepted.
bool CONFIGBRW();

// OUSERFONT(aFont, lCreate): stores the screen-font description when given;
// with lCreate, returns a font object made from the stored description
// (width and height positive when both are negative), nullptr when none was
// ever stored; without lCreate only stores and returns nullptr.
std::shared_ptr<TFont> OUSERFONT(std::optional<UserFont> aFont = std::nullopt, bool lCreate = true);

// The screen-font sample text: face, ", ", whole points, a line feed and a
// carriage return, then "Negrita " when bold and "Cursiva" when italic.
std::string fontSampleText(const UserFont& f, int nPixelsPerInch);

}  // namespace toolkit
