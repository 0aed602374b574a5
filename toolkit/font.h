// TFont: fonts shared by their attributes. Asking twice for the same font
// gives the same object with one more user (nCount); End() releases one
// user, and the last one deletes the handle and drops the font from the
// cache. The six stock font names take the platform's stock objects, which
// are neither cached nor deleted.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace toolkit {

// The arguments of TFont::New, with their defaults. Fill member by member.
struct FontNew {
    std::string cFaceName = "SYSTEM_FONT";
    int nWidth = 0;
    int nHeight = 14;
    bool lFromUser = false;  // a font chosen by the user (not asked here)
    bool lBold = false;
    int nEscapement = 0;
    int nOrientation = 0;
    int nWeight = 0;
    bool lItalic = false;
    bool lUnderline = false;
    bool lStrikeOut = false;
    int nCharSet = 0;
    int nOutPrecision = 0;
    int nClipPrecision = 0;
    int nQuality = 0;
    HDC hDevice = nullptr;  // heights scaled by its vertical pixels per inch / 72
    int nPitchFamily = 0;
};

class TFont {
public:
    // TFont:New. Returns the cached font with equal attributes (nCount + 1,
    // lNew false), a stock font, or a new cached font (lNew true). The
    // handle is null when the platform cannot make the font.
    static std::shared_ptr<TFont> New(const FontNew& args = FontNew());
    // A font object for a handle we did not make (a window's current font):
    // not cached, never deleted.
    static std::shared_ptr<TFont> adopt(HFONT h);

    // Releases one user; at 0 deletes the handle (when lDestroy) and drops
    // the font from the cache. A failed deletion appends a line to
    // "resources.txt" instead of failing.
    void End();

    std::string cFaceName;
    HFONT hFont = nullptr;
    HFONT hFontOld = nullptr;
    bool lBold = false, lItalic = false, lUnderline = false, lStrikeOut = false;
    int nInpHeight = 0, nInpWidth = 0;
    int nHeight = 0, nWidth = 0;  // as the font was made (height after device scaling)
    int nEscapement = 0, nOrientation = 0, nWeight = 0;
    int nCharSet = 0, nOutPrecision = 0, nClipPrecision = 0, nQuality = 0, nPitchFamily = 0;
    int nCount = 0;         // users
    bool lDestroy = false;  // End may delete the handle
    bool lNew = false;      // New made a new handle

    // The fonts in the cache now (for tests and the final release).
    static size_t cachedCount();

private:
    bool sameAttributes(const TFont& o) const;
};

// The default dialog font (CFONTNAME(), NFONTVSIZE(), NFONTHSIZE()), or the
// same face made bold and heightDelta added to its height. One more user.
std::shared_ptr<TFont> defaultDialogFont(bool bold = false, int heightDelta = 0);

}  // namespace toolkit
