// Masked and plain bitmap drawing, loading, the bitmap cache and TBitmap.
#include "os/fs.h"
#include "runtime/codepage.h"
#include "toolkit/bitmap.h"
#include "toolkit/bitmap_cache.h"
#include "toolkit/brush.h"
#include "toolkit/dialog.h"
#include "toolkit/look.h"
#include "toolkit/resource_module.h"
#include "toolkit/strip.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using Args = std::span<const Value>;

BitmapCache& cache() {
    static BitmapCache c;
    return c;
}

void freeLoaded(const LoadedBitmap& b) {
    if (b.hBitmap) DeleteObject(reinterpret_cast<HGDIOBJ>(b.hBitmap));
    if (b.hPalette) DeleteObject(reinterpret_cast<HGDIOBJ>(b.hPalette));
}

TBitmap& asBitmap(TWindow& w) {
    return static_cast<TBitmap&>(w);
}

std::optional<std::string> textArg(Args a, size_t i) {
    if (i < a.size() && a[i].isText()) return a[i].text();
    return std::nullopt;
}

const MethodEntry kBitmapMethods[] = {
    {"SetBMP",
     [](TWindow& w, Args a) { return Value(asBitmap(w).SetBMP(textArg(a, 0).value_or(""))); }},
    {"ReLoad",
     [](TWindow& w, Args a) { return Value(asBitmap(w).ReLoad(textArg(a, 0), textArg(a, 1))); }},
    {"LoadImage",
     [](TWindow& w, Args a) { return Value(asBitmap(w).LoadImage(textArg(a, 0), textArg(a, 1))); }},
};

// A picture with a transparent colour scaled to `area`: it is first laid on
// the dialog's brush at its own size, and the result scaled, so that the
// filter blends its edges into the dialog's background and never into the
// transparent colour (which would leave a fringe of it).
void drawMaskedScaled(HDC hDC, HBITMAP hBitmap, const RECT& area, HBRUSH background) {
    const SIZE size = bitmapSize(hBitmap);
    MemoryDC laid(hDC);
    GdiObject laidBmp(CreateCompatibleBitmap(hDC, size.cx, size.cy));
    if (!laid.get() || !laidBmp.get()) return;
    {
        SelectedObject s(laid.get(), laidBmp.get());
        const RECT all{0, 0, size.cx, size.cy};
        FillRect(laid.get(), &all, background ? background : GetSysColorBrush(COLOR_BTNFACE));
        DRAWMASKED(laid.get(), hBitmap, 0, 0);
    }
    DRAWBITMAP(hDC, static_cast<HBITMAP>(laidBmp.get()), area.top, area.left,
               area.right - area.left, area.bottom - area.top);
}

// Names of the pictures that lie over the dialog's background picture.
constexpr const char* kFondoNames = "L1L2L3L4L5L6L7L8L9L10L11L12L13L14L15L16L17L18L19L20L21L22";

}  // namespace

void DRAWMASKED(HDC hDC, HBITMAP hBitmap, int nRow, int nCol) {
    const SIZE size = bitmapSize(hBitmap);
    if (!hDC || size.cx <= 0 || size.cy <= 0) return;
    MemoryDC source(hDC), colour(hDC), mask(hDC);
    // A colour copy we may change, and a one-bit mask of the same size.
    GdiObject colourBmp(CreateCompatibleBitmap(hDC, size.cx, size.cy));
    GdiObject maskBmp(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
    SelectedObject s1(source.get(), hBitmap);
    SelectedObject s2(colour.get(), colourBmp.get());
    SelectedObject s3(mask.get(), maskBmp.get());
    BitBlt(colour.get(), 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
    const COLORREF transparent = GetPixel(colour.get(), 0, 0);
    // Colour -> mono: pixels of the background colour become 1.
    SetBkColor(colour.get(), transparent);
    BitBlt(mask.get(), 0, 0, size.cx, size.cy, colour.get(), 0, 0, SRCCOPY);
    // Mono -> colour: 1 becomes the background (white), 0 the text (black).
    SetBkColor(colour.get(), RGB(255, 255, 255));
    SetTextColor(colour.get(), RGB(0, 0, 0));
    BitBlt(colour.get(), 0, 0, size.cx, size.cy, mask.get(), 0, 0, 0x00220326);  // DSna
    const COLORREF oldBk = SetBkColor(hDC, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(hDC, RGB(0, 0, 0));
    BitBlt(hDC, nCol, nRow, size.cx, size.cy, mask.get(), 0, 0, SRCAND);
    BitBlt(hDC, nCol, nRow, size.cx, size.cy, colour.get(), 0, 0, SRCPAINT);
    SetBkColor(hDC, oldBk);
    SetTextColor(hDC, oldText);
}

void DRAWBITMAP(HDC hDC, HBITMAP hBitmap, int nRow, int nCol, int nWidth, int nHeight, DWORD nRop) {
    const SIZE size = bitmapSize(hBitmap);
    if (!hDC || size.cx <= 0 || size.cy <= 0) return;
    MemoryDC source(hDC);
    SelectedObject selected(source.get(), hBitmap);
    if (nWidth != 0 && nHeight != 0 && (nWidth != size.cx || nHeight != size.cy)) {
        // HALFTONE averages the source pixels that each target pixel
        // covers: a picture made smaller keeps its thin lines and its text
        // readable, where COLORONCOLOR would drop whole rows and columns.
        const int oldMode = SetStretchBltMode(hDC, HALFTONE);
        POINT oldOrigin{};
        SetBrushOrgEx(hDC, 0, 0, &oldOrigin);
        StretchBlt(hDC, nCol, nRow, nWidth, nHeight, source.get(), 0, 0, size.cx, size.cy, nRop);
        SetBrushOrgEx(hDC, oldOrigin.x, oldOrigin.y, nullptr);
        SetStretchBltMode(hDC, oldMode);
    } else {
        BitBlt(hDC, nCol, nRow, size.cx, size.cy, source.get(), 0, 0, nRop);
    }
}

SIZE bitmapSize(HBITMAP hBitmap) {
    BITMAP info{};
    if (!hBitmap || !GetObjectA(hBitmap, sizeof info, &info)) return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

HBITMAP LOADBITMAP(HINSTANCE hModule, const Value& resource) {
    HBITMAP h = nullptr;
    if (resource.isNumber() && resource.num() >= 1 && resource.num() <= 0xFFFF)
        h = LoadBitmapA(hModule, MAKEINTRESOURCEA(static_cast<WORD>(resource.num())));
    else if (resource.isText() && !resource.text().empty())
        h = LoadBitmapA(hModule, resource.text().c_str());
    if (h) trackResource(h);
    return h;
}

HBITMAP loadBitmapByKey(const Value& key) {
    if (key.isText() && key.text().find('.') != std::string::npos)
        return static_cast<HBITMAP>(
            ::LoadImageA(nullptr, key.text().c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    const HINSTANCE module = GETRESOURCES();
    if (key.isNumber() && key.num() >= 1 && key.num() <= 0xFFFF)
        return LoadBitmapA(module, MAKEINTRESOURCEA(static_cast<WORD>(key.num())));
    if (key.isText() && !key.text().empty()) return LoadBitmapA(module, key.text().c_str());
    return nullptr;
}

HBITMAP RegBmp(const Value& key, HPALETTE* hPalette) {
    uintptr_t palette = 0;
    const uintptr_t h = cache().reg(
        key,
        [](const Value& k) {
            return LoadedBitmap{reinterpret_cast<uintptr_t>(loadBitmapByKey(k)), 0};
        },
        &palette);
    if (hPalette) *hPalette = reinterpret_cast<HPALETTE>(palette);
    return reinterpret_cast<HBITMAP>(h);
}

void DelBmp(HBITMAP hBitmap) {
    cache().del(reinterpret_cast<uintptr_t>(hBitmap), freeLoaded);
}

int bitmapUsers(HBITMAP hBitmap) {
    const auto* e = cache().find(reinterpret_cast<uintptr_t>(hBitmap));
    return e ? e->nCount : 0;
}

// ---- TBitmap -----------------------------------------------------------------

const ClassInfo TBitmap::kClass{"TBitmap", &TControl::kClass, kBitmapMethods};

std::shared_ptr<TBitmap> TBitmap::ReDefine(const BitmapRedefine& a) {
    auto b = std::make_shared<TBitmap>();
    const std::shared_ptr<TWindow> owner = a.oWnd ? a.oWnd : defaultWindow();
    b->nId = a.nId;
    b->oWnd = owner;
    b->bLClicked = a.bLClicked;
    b->bRClicked = a.bRClicked;
    b->lScroll = a.lScroll;
    b->lStretch = a.lStretch;
    b->cMsg = a.cMsg;
    b->lUpdate = a.lUpdate;
    b->bWhen = a.bWhen;
    b->bValid = a.bValid;
    b->lTransparent = a.lTransparent;
    b->LoadImage(a.cResName, std::string(runtime::ALLTRIM(a.cBmpFile)));
    if (a.lTransparent) {
        b->oBrush = nullBrush();
        const std::string upper = runtime::UPPER(a.cResName);
        b->lFondo =
            !upper.empty() && std::string_view(kFondoNames).find(upper) != std::string_view::npos;
    } else {
        b->SetColor(0, GetSysColor(COLOR_WINDOW));
    }
    b->Register(CS_VREDRAW | CS_HREDRAW);
    if (auto dialog = std::dynamic_pointer_cast<TDialog>(owner)) dialog->DefControl(b);
    return b;
}

TBitmap::~TBitmap() {
    if (hBitmap) DelBmp(std::exchange(hBitmap, nullptr));
}

int TBitmap::nWidth() const {
    return bitmapSize(hBitmap).cx * nZoom;
}

int TBitmap::nHeight() const {
    return bitmapSize(hBitmap).cy * nZoom;
}

bool TBitmap::LoadImage(std::optional<std::string> cNewResName,
                        std::optional<std::string> cNewBmpFile) {
    const std::string res = cNewResName.value_or(cResName);
    const std::string file = cNewBmpFile.value_or(cBmpFile);
    if (hBitmap) DelBmp(std::exchange(hBitmap, nullptr));
    hPalette = nullptr;
    if (!res.empty()) {
        hBitmap = RegBmp(Value(res), &hPalette);
        cResName = res;
        cBmpFile.clear();
        lFile = false;
    } else if (!file.empty() && os::fileExists(file)) {
        hBitmap = RegBmp(Value(file), &hPalette);
        cBmpFile = file;
        cResName.clear();
        lFile = true;
    } else {
        return false;
    }
    return true;
}

bool TBitmap::ReLoad(std::optional<std::string> cNewResName,
                     std::optional<std::string> cNewBmpFile) {
    const bool taken = LoadImage(std::move(cNewResName), std::move(cNewBmpFile));
    if (taken && hWnd) {
        nX = nY = 0;
        Refresh();
    }
    return taken;
}

bool TBitmap::Initiate(HWND hDlg) {
    if (!TControl::Initiate(hDlg)) return false;
    Default();
    return true;
}

void TBitmap::Default() {
    if (!hPalette || !hWnd) return;
    WindowDC dc(hWnd);
    const HPALETTE old = SelectPalette(dc.get(), hPalette, FALSE);
    RealizePalette(dc.get());
    SelectPalette(dc.get(), old, FALSE);
}

Value TBitmap::Display() {
    BeginPaint();
    Paint();
    EndPaint();
    return Value(0);
}

Value TBitmap::Paint() {
    if (!hDC) return Value(0);
    if (!hBitmap && !cBmpFile.empty()) LoadImage(std::string(), cBmpFile);
    if (!hBitmap) {
        if (bPainted) bPainted(hDC, cPS, *this);
        return Value(0);
    }
    RECT client{};
    GetClientRect(hWnd, &client);
    const auto o = owner();
    const SIZE size = bitmapSize(hBitmap);
    const bool onDialog = lTransparent && o && o->isKindOf("TDialog");
    if (lStretch && (size.cx != client.right || size.cy != client.bottom)) {
        if (onDialog) {
            drawMaskedScaled(hDC, hBitmap, client, o->oBrush ? o->oBrush->hBrush() : nullptr);
        } else {
            DRAWBITMAP(hDC, hBitmap, 0, 0, client.right, client.bottom);
        }
    } else if (nZoom <= 1) {
        if (onDialog) {
            // No background picture is loaded for dialogs here: the area
            // under a picture of the background set takes the owner's brush.
            if (lFondo && o->oBrush) FillRect(hDC, &client, o->oBrush->hBrush());
            DRAWMASKED(hDC, hBitmap, 0, 0);
        } else {
            const HPALETTE old = hPalette ? SelectPalette(hDC, hPalette, FALSE) : nullptr;
            if (hPalette) RealizePalette(hDC);
            DRAWBITMAP(hDC, hBitmap, nY, nX);
            if (old) SelectPalette(hDC, old, FALSE);
        }
    } else {
        DRAWBITMAP(hDC, hBitmap, nY, nX, size.cx * nZoom, size.cy * nZoom);
    }
    if (bPainted) bPainted(hDC, cPS, *this);
    return Value(0);
}

Value TBitmap::EraseBkGnd(HDC hDCErase) {
    if (!hWnd) return {};
    if (oBrush && oBrush->hBrush() != nullBrush()->hBrush()) {
        RECT r{};
        GetClientRect(hWnd, &r);
        FillRect(hDCErase, &r, oBrush->hBrush());
    }
    return Value(1);
}

Value TBitmap::Destroy() {
    if (hBitmap) DelBmp(std::exchange(hBitmap, nullptr));
    return TControl::Destroy();
}

}  // namespace toolkit
