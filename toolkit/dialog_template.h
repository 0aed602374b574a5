// A dialog template made in memory: the dialog's style, size, caption and
// font, and its items, each positioned in dialog units of that font. The
// bytes go to TDialog::cResData, so a dialog made in code is created,
// laid out and bound by id exactly like one from the resources.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace toolkit {

struct TemplateItem {
    int id = -1;
    std::string className;             // "STATIC", "BUTTON", "LISTBOX", "EDIT", or a toolkit class
    std::string text;                  // Windows-1252
    DWORD style = 0;                   // WS_CHILD | WS_VISIBLE are added
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
    DWORD style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string caption;
    std::string fontFace;  // empty: the system font
    int fontPoints = 8;
    std::vector<TemplateItem> items;
};

// The template's bytes (DLGTEMPLATE with its items, DS_SETFONT when a face
// is given), aligned as the platform requires.
std::vector<unsigned char> templateBytes(const DialogTemplate& t);

// The point size of a font height as fonts are made here (negative: the
// character height in pixels of the screen), at least 1.
int pointsOfHeight(int nHeight);

}  // namespace toolkit
