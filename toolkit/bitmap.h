// Bitmaps: drawing one masked or copied, loading one from the resource
// module, the shared bitmap cache (RegBmp/DelBmp), and TBitmap, the control
// that shows one bitmap bound to a dialog item.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/control.h"

namespace toolkit {

// DRAWMASKED(hDC, hBitmap, nRow, nCol): draws the bitmap with its top-left
// pixel's colour as transparent colour, its corner at (x nCol, y nRow).
// Every pixel of that colour, inside the picture too, shows the target.
void DRAWMASKED(HDC hDC, HBITMAP hBitmap, int nRow, int nCol);
// DRAWBITMAP(hDC, hBitmap, nRow, nCol, nWidth, nHeight, nRop): copies the
// bitmap to (nCol, nRow), stretched to nWidth x nHeight when both are given
// (non-zero), with the raster operation nRop. Stretching averages the source
// pixels each target pixel covers (HALFTONE).
void DRAWBITMAP(HDC hDC, HBITMAP hBitmap, int nRow, int nCol, int nWidth = 0, int nHeight = 0,
                DWORD nRop = SRCCOPY);
// LOADBITMAP(hModule, name | number): the bitmap resource, or 0. The
// caller owns it (DeleteObject); while resource tracking is on it is also
// recorded for RESALLFREE.
HBITMAP LOADBITMAP(HINSTANCE hModule, const Value& resource);
// A bitmap by key as the cache and the strip load it: a number is a
// resource number and a text holding "." a file, other texts a resource
// name; resources come from the resource module (GETRESOURCES). 0 when
// none. The caller owns it.
HBITMAP loadBitmapByKey(const Value& key);
// A bitmap's size in pixels (0 x 0 for no bitmap).
SIZE bitmapSize(HBITMAP hBitmap);

// The bitmap cache. RegBmp: the shared bitmap of a key with one more user
// (0 for an empty key or one that cannot be loaded). DelBmp: one user less;
// the last frees it.
HBITMAP RegBmp(const Value& key, HPALETTE* hPalette = nullptr);
void DelBmp(HBITMAP hBitmap);
// The users of a cached bitmap (0 when the cache does not hold it).
int bitmapUsers(HBITMAP hBitmap);

// The arguments of TBitmap::ReDefine. Fill member by member.
struct BitmapRedefine {
    int nId = 0;
    std::string cResName;
    std::string cBmpFile;
    std::shared_ptr<TWindow> oWnd;  // default: the default window
    MouseHook bLClicked, bRClicked;
    bool lScroll = false;
    bool lStretch = false;
    std::string cMsg;
    bool lUpdate = false;
    WindowHook bWhen, bValid;
    bool lTransparent = false;
};

class TBitmap : public TControl {
public:
    static const ClassInfo kClass;
    const ClassInfo& classInfo() const override { return kClass; }

    static std::shared_ptr<TBitmap> ReDefine(const BitmapRedefine& a);

    int nX = 0, nY = 0, nOldX = 0, nOldY = 0;  // scroll offsets
    HBITMAP hBitmap = nullptr;                 // shared through the cache
    HPALETTE hPalette = nullptr;
    HBITMAP hBmpPal = nullptr;
    std::string cBmpFile, cResName;
    bool lScroll = false;
    // Drawn scaled to the control's size, the source pixels averaged, when
    // that size is not the picture's own; a transparent picture on a dialog
    // is laid on the dialog's brush first, so its edges blend into that.
    bool lStretch = false;
    int nVStep = 1, nHStep = 1, nZoom = 1;
    bool lTransparent = false;
    bool lFondo = false;  // the picture lies on the dialog's background picture
    bool lFile = false;
    std::string cMsg;

    // The bitmap's size times nZoom (0 without a bitmap).
    int nWidth() const;
    int nHeight() const;

    // Releases the bitmap held and takes the one of cResName, else of the
    // existing file cBmpFile (the other name is dropped). Returns whether a
    // bitmap was taken.
    bool LoadImage(std::optional<std::string> cNewResName = std::nullopt,
                   std::optional<std::string> cNewBmpFile = std::nullopt);
    // LoadImage and, when it took one and the control has a window, scroll
    // offsets 0 and Refresh().
    bool ReLoad(std::optional<std::string> cNewResName = std::nullopt,
                std::optional<std::string> cNewBmpFile = std::nullopt);
    bool SetBMP(const std::string& cNewResName) { return ReLoad(cNewResName); }

    bool Initiate(HWND hDlg) override;
    void Default();  // announces the palette to the window
    Value Display() override;
    Value Paint() override;
    Value EraseBkGnd(HDC hDCErase) override;
    Value Destroy() override;  // releases the bitmap with the window

    ~TBitmap() override;
};

}  // namespace toolkit
