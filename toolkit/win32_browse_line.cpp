// The browse's row painter: one row of cells with its band, texts, strip
// pictures, bitmap handles and grid.
#include <algorithm>

#include "runtime/strings.h"
#include "toolkit/bitmap.h"
#include "toolkit/browse.h"
#include "toolkit/font.h"
#include "toolkit/strip.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

// One cell of a row, in client pixels (right and bottom inclusive).
struct Cell {
    int left, right, top, bottom;
};

void line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// A one-pixel frame from (l, t) to (r, b), both corners included.
void frame(HDC dc, int l, int t, int r, int b) {
    line(dc, l, t, r, t);
    line(dc, r, t, r, b);
    line(dc, r, b, l, b);
    line(dc, l, b, l, t);
}

// A box from (l, t) to (r, b): `first` on the left and top, `second` on
// the right and bottom (raised: highlight then shadow; sunken: reversed).
void box(HDC dc, int l, int t, int r, int b, COLORREF first, COLORREF second) {
    GdiObject pen1(CreatePen(PS_SOLID, 1, first));
    GdiObject pen2(CreatePen(PS_SOLID, 1, second));
    {
        SelectedObject p(dc, pen1.get());
        line(dc, l, b, l, t);
        line(dc, l, t, r + 1, t);
    }
    SelectedObject p(dc, pen2.get());
    line(dc, r, t + 1, r, b);
    line(dc, r, b, l - 1, b);
}

// A strip picture {k, w, h} cut out of the strip, squeezed to the cell when
// larger, drawn centred with the strip's white as the transparent colour.
void drawStripPicture(HDC dc, const StripSlot& slot, const Cell& c) {
    if (slot.k < 1 || slot.width <= 0 || slot.height <= 0 || !stripExists()) return;
    const int cellWidth = c.right - c.left + 1;
    const int rowHeight = c.bottom - c.top + 1;
    const int w = std::min(slot.width, cellWidth);
    const int h = std::min(slot.height, rowHeight);
    if (w <= 0 || h <= 0) return;
    GdiObject picture(CreateCompatibleBitmap(dc, w, h));
    {
        MemoryDC from(dc), to(dc);
        SelectedObject s1(from.get(), stripBitmap());
        SelectedObject s2(to.get(), picture.get());
        SetStretchBltMode(to.get(), COLORONCOLOR);
        StretchBlt(to.get(), 0, 0, w, h, from.get(), (slot.k - 1) * kStripSlotWidth, 0, slot.width,
                   slot.height, SRCCOPY);
    }
    const int left = c.left + (c.right - c.left) / 2 - w / 2;
    const int top = c.top + rowHeight / 2 - h / 2;
    DRAWMASKED(dc, static_cast<HBITMAP>(picture.get()), top, left);
}

}  // namespace

void TWBrowse::wBrwLineEx(HDC hDCIn, int nRow, const runtime::Array& aValues, RowColours colours,
                          bool lBitmapHandles, int nPressedCol) {
    if (!hWnd) return;
    std::optional<WindowDC> own;
    if (!hDCIn) own.emplace(hWnd);
    const HDC dc = hDCIn ? hDCIn : own->get();
    RECT client{};
    GetClientRect(hWnd, &client);
    const bool header = nRow == 0;
    const COLORREF lineColour = nClrLine();
    GdiObject gridPen(CreatePen(nLineStyle == 4 && !header ? PS_DOT : PS_SOLID, 1, lineColour));
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, colours.pane);
    SelectedObject font(dc, oFont ? oFont->hFont : GetStockObject(DEFAULT_GUI_FONT));

    const int offset = lNoHead ? 1 : 0;
    const int h = nHRow();
    const int top = h * (nRow - offset);
    const int bottom = h * (nRow + 1 - offset) - 1;
    if (header && lNoHead) return;

    const std::vector<int> sizes = GetColSizes();
    // The band: the whole width, or only the active cell during a cell-style
    // selection.
    RECT band{0, top, client.right, bottom + 1};
    if (lDrawingSel && lCellStyle) {
        int x = 0;
        for (int i = nColPos; i < nColAct && i <= static_cast<int>(sizes.size()); ++i)
            x += sizes[static_cast<size_t>(i - 1)];
        band.left = x;
        band.right = nColAct <= static_cast<int>(sizes.size())
                         ? x + sizes[static_cast<size_t>(nColAct - 1)]
                         : client.right;
    }
    GdiObject bandBrush(CreateSolidBrush(colours.pane));
    FillRect(dc, &band, static_cast<HBRUSH>(bandBrush.get()));

    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (header) format |= DT_WORD_ELLIPSIS;
    const int count = static_cast<int>(aValues.size());
    int x = 0;
    for (int i = nColPos; i <= count; ++i) {
        if (x > client.right) break;
        const bool active = lDrawingSel && lCellStyle && i == nColAct;
        const COLORREF text = active ? nClrForeFocus : colours.text;
        if (lDrawingSel && lCellStyle && !active) {
            x += i - 1 < static_cast<int>(sizes.size()) ? sizes[static_cast<size_t>(i - 1)] : 0;
            continue;
        }
        SetTextColor(dc, text);
        const int width =
            i - 1 < static_cast<int>(sizes.size()) ? sizes[static_cast<size_t>(i - 1)] : 0;
        const bool last = i == count;
        Cell c{x, last ? client.right - 1 : std::min<int>(x + width - 1, client.right - 1), top,
               bottom};
        const Value& v = aValues[static_cast<size_t>(i - 1)];
        const bool right =
            i - 1 < static_cast<int>(aJustify.size()) && aJustify[static_cast<size_t>(i - 1)];
        const bool pressed = header && nPressedCol == i;
        const auto slot = asStripSlot(v);
        if (slot) {
            drawStripPicture(dc, *slot, c);
        } else if (lBitmapHandles && v.isNumber()) {
            DRAWMASKED(dc, reinterpret_cast<HBITMAP>(static_cast<intptr_t>(v.num())), c.top,
                       c.left);
        } else {
            const std::string s = v.isText() ? v.text() : runtime::CVALTOCHAR(v);
            // Pressed header text moves to the other of the two rectangles.
            const bool shifted = right != pressed;
            RECT r = shifted ? RECT{c.left + 3, c.top + 1, c.right - 1, c.bottom + 2}
                             : RECT{c.left + 2, c.top, c.right - 2, c.bottom + 1};
            DrawTextA(dc, s.data(), static_cast<int>(s.size()), &r,
                      format | (right ? DT_RIGHT : DT_LEFT));
        }
        if (!lBitmapHandles) {
            SelectedObject pen(dc, gridPen.get());
            if (pressed) {
                box(dc, c.left - 1, c.top - 1, c.left + width - 1, c.bottom,
                    GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
            } else if (header) {
                frame(dc, c.left - 1, c.top - 1, c.right, c.bottom);
                box(dc, c.left, c.top, c.right - 1, c.bottom - 1, GetSysColor(COLOR_BTNHIGHLIGHT),
                    GetSysColor(COLOR_BTNSHADOW));
            } else if (nLineStyle == 5) {
                frame(dc, c.left - 1, c.top - 1, c.right, c.bottom);
            } else if (nLineStyle == 4) {
                SetTextColor(dc, 0);
                frame(dc, c.left - 1, c.top - 1, c.right, c.bottom);
            }
        }
        SetTextColor(dc, colours.text);
        x += width;
    }
}

}  // namespace toolkit
