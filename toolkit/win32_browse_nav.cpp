// The browse's navigation: row by row with scrolling, by pages, to either
// end, by keyboard, wheel, scroll bar and mouse.
#include <algorithm>

#include "toolkit/browse.h"
#include "toolkit/platform.h"

namespace toolkit {

void TWBrowse::changed() {
    if (bChange) bChange(*this);
}

// Moves the data rows (below the header, down to the last whole row) by
// byRows rows (positive: down) without invalidating what is uncovered.
void TWBrowse::scrollRows(int byRows) {
    if (!hWnd) return;
    RECT client{};
    GetClientRect(hWnd, &client);
    const int h = nHRow();
    const int firstTop = lNoHead ? 0 : h;
    RECT area{0, firstTop, client.right, firstTop + h * nRowCount()};
    ScrollWindowEx(hWnd, 0, byRows * h, &area, &area, nullptr, nullptr, 0);
}

void TWBrowse::GoUp(bool lDraw) {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen < 1 || lHitTop) return;
    if (lDraw) {
        pinRowColours();
        DrawLine();
    }
    if (Skip(-1) != 0) {
        lHitBottom = false;
        if (nRowPos > 1) {
            --nRowPos;
        } else {
            UC();
            if (lDraw) scrollRows(1);
        }
    } else {
        lHitTop = true;
    }
    if (lDraw) {
        pinRowColours();
        DrawSelect();
    }
    setScrollPos(scrollPos_ - 1);
    if (lDraw) changed();
}

void TWBrowse::GoDown(bool lDraw) {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen < 1 || lHitBottom) return;
    if (lDraw) {
        pinRowColours();
        DrawLine();
    }
    if (Skip(1) != 0) {
        lHitTop = false;
        if (nRowPos < nRowCount()) {
            ++nRowPos;
        } else {
            DC();
            if (lDraw) scrollRows(-1);
        }
    } else {
        lHitBottom = true;
    }
    if (lDraw) {
        pinRowColours();
        DrawSelect();
    }
    setScrollPos(scrollPos_ + 1);
    if (lDraw) changed();
}

void TWBrowse::PageUp(std::optional<int> n) {
    const int steps = n.value_or(nRowCount());
    const int before = nRowPos;
    for (int i = 0; i < steps && !lHitTop; ++i) GoUp(false);
    if (!lHitTop) nRowPos = before;
    Refresh();
    changed();
}

void TWBrowse::PageDown(std::optional<int> n) {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen < 1) return;
    const int steps = n.value_or(nRowCount());
    const int before = nRowPos;
    for (int i = 0; i < steps && !lHitBottom; ++i) GoDown(false);
    if (!lHitBottom) nRowPos = before;
    Refresh();
    changed();
}

void TWBrowse::GoTop() {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen < 1 || lHitTop) return;
    if (bGoTop) bGoTop();
    lHitTop = true;
    lHitBottom = false;
    nRowPos = 1;
    ResetColor();
    Refresh(false);
    setScrollPos(1);
    changed();
}

void TWBrowse::GoBottom() {
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen < 1 || lHitBottom) return;
    lHitTop = false;
    if (bGoBottom) bGoBottom();
    nRowPos = static_cast<int>(std::min<int64_t>(nLen, nRowCount()));
    Refresh(true);
    lHitBottom = true;
    nLen = bLogicLen ? bLogicLen() : 0;
    setScrollRange();
    setScrollPos(static_cast<int>(nLen));
    changed();
}

void TWBrowse::GoLeft() {
    if (nColAct <= 1) return;
    --nColAct;
    if (nColAct < nColPos) nColPos = nColAct;
    Refresh(false);
}

void TWBrowse::GoRight() {
    const int columns = static_cast<int>(std::max(GetColSizes().size(), aHeaders.size()));
    if (nColAct >= columns) return;
    ++nColAct;
    // Keep the active column in view: drop columns on the left while the
    // widths up to it pass the client width.
    RECT client{};
    if (hWnd) GetClientRect(hWnd, &client);
    const std::vector<int> sizes = GetColSizes();
    auto widthTo = [&] {
        int w = 0;
        for (int i = nColPos; i <= nColAct && i <= static_cast<int>(sizes.size()); ++i)
            w += sizes[static_cast<size_t>(i - 1)];
        return w;
    };
    while (nColPos < nColAct && widthTo() > client.right) ++nColPos;
    Refresh(false);
}

Value TWBrowse::KeyDown(WPARAM nKey, LPARAM nFlags) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (nKey) {
        case VK_UP:
            GoUp();
            break;
        case VK_DOWN:
            GoDown();
            break;
        case VK_LEFT:
            GoLeft();
            break;
        case VK_RIGHT:
            GoRight();
            break;
        case VK_HOME:
            GoTop();
            break;
        case VK_END:
            GoBottom();
            break;
        case VK_PRIOR:
            if (ctrl)
                GoTop();
            else
                PageUp();
            break;
        case VK_NEXT:
            if (ctrl)
                GoBottom();
            else
                PageDown();
            break;
        default:
            return TControl::KeyDown(nKey, nFlags);
    }
    return Value(0);
}

Value TWBrowse::KeyChar(WPARAM nKey, LPARAM nFlags) {
    if (nKey == 'R' - '@') {  // Ctrl+R
        PageUp();
        return Value(0);
    }
    if (nKey == 'C' - '@') {  // Ctrl+C
        PageDown();
        return Value(0);
    }
    return TControl::KeyChar(nKey, nFlags);
}

Value TWBrowse::GetDlgCode(WPARAM nKey) {
    if (auto o = owner()) {
        const bool recorded =
            nKey == VK_UP || nKey == VK_DOWN || nKey == VK_RETURN || nKey == VK_TAB;
        o->nLastKey = recorded ? static_cast<int>(nKey) : 0;
    }
    return Value(lActive && hWnd && IsWindowEnabled(hWnd) ? DLGC_WANTALLKEYS : 0);
}

Value TWBrowse::VScroll(WPARAM wParam, LPARAM lParam) {
    if (lParam != 0) return {};  // a scroll bar control of its own, not ours
    if (hWnd) SetFocus(hWnd);
    switch (LOWORD(wParam)) {
        case SB_LINEUP:
            GoUp();
            break;
        case SB_LINEDOWN:
            GoDown();
            break;
        case SB_PAGEUP:
            PageUp();
            break;
        case SB_PAGEDOWN:
            PageDown();
            break;
        case SB_TOP:
            GoTop();
            break;
        case SB_BOTTOM:
            GoBottom();
            break;
        case SB_THUMBPOSITION: {
            const int p = HIWORD(wParam);
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_RANGE | SIF_PAGE;
            GetScrollInfo(hWnd, SB_VERT, &si);
            const int end =
                std::max(si.nMin, si.nMax - static_cast<int>(std::max<UINT>(si.nPage, 1)) + 1);
            if (p <= 1) {
                GoTop();
            } else if (p >= end) {
                GoBottom();
            } else {
                CURSORWAIT();
                Skip(p - scrollPos_);
                lHitTop = lHitBottom = false;
                const int rows = nRowCount();
                if (p - 1 < rows) {
                    nRowPos = p;
                } else if (nLen - p < rows) {
                    nRowPos = static_cast<int>(std::min<int64_t>(rows, nLen) - (nLen - p));
                } else {
                    nRowPos = 1;
                }
                nRowPos = std::clamp(nRowPos, 1, std::max(rows, 1));
                setScrollPos(p);
                Refresh(false);
                changed();
            }
            break;
        }
        default:
            break;
    }
    return Value(0);
}

Value TWBrowse::MouseWheel(int, int nDelta, int, int nY) {
    if (!hWnd) return {};
    POINT pt{0, nY};
    ScreenToClient(hWnd, &pt);
    RECT client{};
    GetClientRect(hWnd, &client);
    const bool bottomFifth = pt.y > 0.8 * client.bottom;
    if (bottomFifth) {
        if (nDelta > 0)
            GoLeft();
        else
            GoRight();
    } else {
        if (nDelta > 0)
            GoUp();
        else
            GoDown();
    }
    return Value(0);
}

Value TWBrowse::LButtonDown(int nRow, int nCol, int nKeyFlags) {
    const int h = std::max(nHRow(), 1);
    const int row = nRow / h + (lNoHead ? 1 : 0);
    nLen = bLogicLen ? bLogicLen() : 0;
    if (nLen < 1 && row != 0) return Value(0);
    if (hWnd) SetFocus(hWnd);
    if (row == 0) {
        const int col = std::max(nAtCol(nCol), 1);
        const auto& action = col <= static_cast<int>(aActions.size())
                                 ? aActions[static_cast<size_t>(col - 1)]
                                 : nullptr;
        if (action) {
            Beep(10000, 1);
            const runtime::Array headers(aHeaders.begin(), aHeaders.end());
            wBrwLineEx(nullptr, 0, headers, RowColours{nClrForeHead, nClrBackHead}, false, col);
            action(*this, row, col);
            wBrwLineEx(nullptr, 0, headers, RowColours{nClrForeHead, nClrBackHead}, false);
        } else {
            MessageBeep(0);
        }
    } else if (row != nRowPos && row <= nRowCount()) {
        pinRowColours();
        DrawLine();
        const int64_t moved = Skip(row - nRowPos);
        nRowPos += static_cast<int>(moved);
        setScrollPos(scrollPos_ + static_cast<int>(moved));
        pinRowColours();
        DrawSelect();
        lHitTop = lHitBottom = false;
        changed();
    }
    return TControl::LButtonDown(nRow, nCol, nKeyFlags);
}

Value TWBrowse::LDblClick(int nRow, int nCol, int nKeyFlags) {
    if (bLDblClick) bLDblClick(nRow, nCol, nKeyFlags);
    return TControl::LDblClick(nRow, nCol, nKeyFlags);
}

Value TWBrowse::GotFocus(HWND hWndLoseFocus) {
    TControl::GotFocus(hWndLoseFocus);
    if (nLen > 0 && !cAlias.empty() && !lIconView) {
        pinRowColours();
        DrawSelect();
    }
    return {};
}

Value TWBrowse::LostFocus(HWND hWndGetFocus) {
    TControl::LostFocus(hWndGetFocus);
    if (nLen > 0 && !cAlias.empty() && !lIconView) {
        pinRowColours();
        DrawSelect();
    }
    return {};
}

}  // namespace toolkit
