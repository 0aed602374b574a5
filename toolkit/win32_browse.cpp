// TWBrowse: creation, the look, the navigation blocks, and painting the
// rows on screen.
#include <algorithm>

#include "runtime/strings.h"
#include "tables/dbcmd.h"
#include "tables/workarea.h"
#include "toolkit/browse.h"
#include "toolkit/brush.h"
#include "toolkit/dialog.h"
#include "toolkit/font.h"
#include "toolkit/look.h"
#include "toolkit/strip.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using Args = std::span<const Value>;

TWBrowse& asBrowse(TWindow& w) {
    return static_cast<TWBrowse&>(w);
}

const MethodEntry kBrowseMethods[] = {
    {"GoUp",
     [](TWindow& w, Args) {
         asBrowse(w).GoUp();
         return Value();
     }},
    {"GoDown",
     [](TWindow& w, Args) {
         asBrowse(w).GoDown();
         return Value();
     }},
    {"GoTop",
     [](TWindow& w, Args) {
         asBrowse(w).GoTop();
         return Value();
     }},
    {"GoBottom",
     [](TWindow& w, Args) {
         asBrowse(w).GoBottom();
         return Value();
     }},
    {"PageUp",
     [](TWindow& w, Args) {
         asBrowse(w).PageUp();
         return Value();
     }},
    {"PageDown",
     [](TWindow& w, Args) {
         asBrowse(w).PageDown();
         return Value();
     }},
    {"GoLeft",
     [](TWindow& w, Args) {
         asBrowse(w).GoLeft();
         return Value();
     }},
    {"GoRight",
     [](TWindow& w, Args) {
         asBrowse(w).GoRight();
         return Value();
     }},
    {"LoadLook",
     [](TWindow& w, Args) {
         asBrowse(w).LoadLook();
         return Value();
     }},
    {"ResetColor",
     [](TWindow& w, Args) {
         asBrowse(w).ResetColor();
         return Value();
     }},
    {"nRowCount", [](TWindow& w, Args) { return Value(asBrowse(w).nRowCount()); }},
    {"Skip",
     [](TWindow& w, Args a) { return Value(static_cast<double>(asBrowse(w).Skip(intArg(a, 0)))); }},
};

}  // namespace

const ClassInfo TWBrowse::kClass{"TWBrowse", &TControl::kClass, kBrowseMethods};

std::shared_ptr<TWBrowse> TWBrowse::ReDefine(const BrowseRedefine& a) {
    stripBitmap();
    auto b = std::make_shared<TWBrowse>();
    const std::shared_ptr<TWindow> owner = a.oWnd ? a.oWnd : defaultWindow();
    b->nRowPos = b->nColPos = b->nColAct = 1;
    b->nLen = 0;
    b->lMChange = true;
    b->nId = a.nId;
    b->bLine = a.bLine;
    b->oWnd = owner;
    b->aHeaders = a.aHeaders;
    b->aColSizes = a.aColSizes;
    b->bColSizes = a.bColSizes;
    b->bChange = a.bChange;
    b->bLDblClick = a.bLDblClick;
    b->bRClicked = a.bRClicked;
    b->bLClicked = a.bLClicked;
    b->oFont = a.oFont;
    b->lUpdate = a.lUpdate;
    b->cAlias = a.cAlias.value_or(tables::ALIAS());
    b->bWhen = a.bWhen;
    b->bValid = a.bValid;
    b->aActions = a.aActions;
    b->nHLine = a.nHLine;
    b->nxClrLine = a.nxClrLine;
    b->lClassic = LCLASSIC();
    b->SetColor(a.nClrFore, a.nClrBack);
    b->SetFilter(a.cField, a.uValue1, a.uValue2);
    b->Register(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
    if (auto dialog = std::dynamic_pointer_cast<TDialog>(owner)) dialog->DefControl(b);
    b->lAlterClr = true;
    b->nXClrPane = a.nClrBack;
    b->nxClrText = a.nClrFore;
    if (!b->lTCB) b->LoadLook();
    b->nClrBackFocusNoFocused = 0x808080;
    return b;
}

void TWBrowse::LoadLook() {
    if (LCLASSIC()) {
        lWClassic();
        return;
    }
    nLineStyle = NLINESTYLE();
    nXClrPane = NCLRPANE();
    nxClrText = NCLRTEXT();
    SetColor(nxClrText, nXClrPane);
    nClrForeHead = NCLRFHDR();
    nClrBackHead = NCLRBHDR();
    nClrBackFocus = NCLRBACKFOCUS();
    nClrForeFocus = NCLRFOREFOCUS();
    nxClrLine = NXCLRLINE();
    nClrTRow1 = NCLRTROW1();
    nClrPRow1 = NCLRPROW1();
    nClrTRow2 = NCLRTROW2();
    nClrPRow2 = NCLRPROW2();
    lAlterClr = LALTERCLR();
    nHLine = NHLINE();
}

void TWBrowse::lWClassic(bool lRefresh) {
    nLineStyle = 3;
    nClrForeHead = GetSysColor(COLOR_BTNTEXT);
    nClrBackHead = GetSysColor(COLOR_BTNFACE);
    nClrBackFocus = GetSysColor(COLOR_ACTIVECAPTION);
    nClrForeFocus = GetSysColor(COLOR_CAPTIONTEXT);
    lAlterClr = false;
    nHLine = 0;
    nXClrPane = GetSysColor(COLOR_BTNFACE);
    nxClrText = GetSysColor(COLOR_BTNTEXT);
    nxClrLine = 0;
    SetColor(nxClrText, nXClrPane);
    if (lRefresh) Refresh();
}

bool TWBrowse::hasArea() const {
    return !cAlias.empty() && tables::SELECT(cAlias) != 0;
}

template <class Fn>
auto TWBrowse::inArea(Fn&& fn) const -> decltype(fn()) {
    using R = decltype(fn());
    if (!hasArea()) {
        if constexpr (std::is_void_v<R>)
            return;
        else
            return R{};
    }
    tables::AreaSwitch sw(tables::SELECT(cAlias));
    return fn();
}

void TWBrowse::SetFilter(const std::string& cNewField, const Value& uNew1, const Value& uNew2) {
    cField = cNewField;
    uValue1 = uNew1;
    uValue2 = uNew2;
    // The key-range mode is not offered: the blocks always cover the area.
    bGoTop = [this] { inArea([] { tables::DBGOTOP(); }); };
    bGoBottom = [this] { inArea([] { tables::DBGOBOTTOM(); }); };
    bSkip = [this](int64_t n) { return inArea([n] { return DBSKIPPER(n); }); };
    if (cAlias.empty()) {
        bLogicLen = [] { return uint32_t{0}; };
    } else {
        bLogicLen = [this] {
            return inArea([this] {
                return tables::RDDNAME().find("ADS") != std::string::npos ? CalcLen()
                                                                          : tables::RECCOUNT();
            });
        };
    }
    nLen = bLogicLen();
    lHitTop = lHitBottom = false;
}

uint32_t TWBrowse::CalcLen() const {
    return browseCalcLen(nRowCount());
}

bool TWBrowse::Initiate(HWND hDlg) {
    if (!TControl::Initiate(hDlg)) return false;
    Default();
    return true;
}

runtime::Array TWBrowse::rowValues() const {
    // A browse over no work area (sample data behind its own blocks) asks
    // its row block directly.
    Value row = !hasArea() ? bLine.eval() : inArea([this] {
        if (bLine) return bLine.eval();
        // Without a row block: every field of the record.
        runtime::Array all;
        for (int i = 1; i <= tables::FCOUNT(); ++i) all.push_back(tables::FIELDGET(i));
        return Value::newArray(std::move(all));
    });
    if (row.isArray() && row.array()) return *row.array();
    return {};
}

void TWBrowse::Default() {
    if (!bLine) {
        inArea([this] {
            aJustify.clear();
            for (int i = 1; i <= tables::FCOUNT(); ++i)
                aJustify.push_back(tables::DBFIELDINFO(2, i).textOr() == "N");
            if (aHeaders.size() < static_cast<size_t>(tables::FCOUNT())) {
                aHeaders.clear();
                for (int i = 1; i <= tables::FCOUNT(); ++i)
                    aHeaders.push_back(tables::FIELDNAME(i));
            }
        });
    }
    const runtime::Array cells = rowValues();
    if (aColSizes.size() < cells.size() && !bColSizes && hWnd) {
        WindowDC dc(hWnd);
        SelectedObject font(dc.get(), oFont ? oFont->hFont : nullptr);
        aColSizes.clear();
        for (size_t i = 0; i < cells.size(); ++i) {
            if (!cells[i].isText()) {
                aColSizes.push_back(15);
                continue;
            }
            const size_t header = i < aHeaders.size() ? aHeaders[i].size() : 0;
            const std::string bees(std::max(header, cells[i].text().size()) + 1, 'B');
            SIZE size{};
            GetTextExtentPoint32A(dc.get(), bees.data(), static_cast<int>(bees.size()), &size);
            aColSizes.push_back(size.cx);
        }
    }
    if (aHeaders.size() < cells.size()) aHeaders.resize(cells.size());
    if (hWnd && (GetWindowLongA(hWnd, GWL_STYLE) & WS_VSCROLL)) setScrollRange();
    if (!oFont) {
        if (auto o = owner(); o && o->oFont) SetFont(o->oFont);
    }
    if (bChange) bChange(*this);
    ResetColor();
    nPRow = 0;
}

void TWBrowse::setScrollRange() {
    if (!hWnd) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL;
    si.nMin = static_cast<int>(std::min<int64_t>(1, nLen));
    si.nMax = static_cast<int>(nLen);
    si.nPage = static_cast<UINT>(std::max<int64_t>(0, std::min<int64_t>(nRowCount(), nLen - 1)));
    SetScrollInfo(hWnd, SB_VERT, &si, TRUE);
}

void TWBrowse::setScrollPos(int pos) {
    scrollPos_ = std::clamp(pos, 1, static_cast<int>(std::max<int64_t>(1, nLen)));
    if (hWnd && (GetWindowLongA(hWnd, GWL_STYLE) & WS_VSCROLL))
        SetScrollPos(hWnd, SB_VERT, scrollPos_, TRUE);
}

int TWBrowse::nHRow() const {
    HFONT font = oFont ? oFont->hFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    WindowDC dc(hWnd);
    SelectedObject selected(dc.get(), font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    return tm.tmHeight + 1 + nHLine;
}

int TWBrowse::nRowCount() const {
    if (!hWnd) return 0;
    RECT r{};
    GetClientRect(hWnd, &r);
    const int h = std::max(nHRow(), 1);
    return r.bottom / h - 1 + (lNoHead ? 1 : 0);
}

std::vector<int> TWBrowse::GetColSizes() const {
    return bColSizes ? bColSizes() : aColSizes;
}

int TWBrowse::nAtCol(int nX) const {
    const std::vector<int> sizes = GetColSizes();
    int col = nColPos - 1;
    int sum = 0;
    while (col < static_cast<int>(sizes.size()) && sum < nX)
        sum += sizes[static_cast<size_t>(col++)];
    return col;
}

int64_t TWBrowse::Skip(int64_t n) {
    if (bSkip) return bSkip(n);
    return inArea([n] { return DBSKIPPER(n); });
}

RowColours TWBrowse::GetPColor(int nPaneRow) const {
    const char c = cColor.at(nPaneRow);
    if (lAlterClr)
        return c == '1' ? RowColours{nClrTRow1, nClrPRow1} : RowColours{nClrTRow2, nClrPRow2};
    if (nLineStyle == 3) return RowColours{0, GetSysColor(COLOR_BTNFACE)};
    return RowColours{nxClrText, nXClrPane};
}

COLORREF TWBrowse::nClrLine() const {
    return nLineStyle == 3 ? GetSysColor(COLOR_BTNSHADOW) : nxClrLine;
}

RowColours TWBrowse::rowColours() const {
    if (colourBlocks_) return GetPColor(nPRow);
    return RowColours{nClrText, nClrPane.value_or(0xFFFFFF)};
}

void TWBrowse::pinRowColours() {
    nPRow = nRowPos;
    advancePRow_ = false;
}

void TWBrowse::afterRow() {
    if (colourBlocks_ && advancePRow_) ++nPRow;
}

Value TWBrowse::Display() {
    BeginPaint();
    const int64_t length = bLogicLen ? bLogicLen() : 0;
    if (length != nLen && !showsKeptRows()) {
        nLen = length;
        setScrollRange();
    }
    Paint();
    EndPaint();
    return Value(0);
}

bool TWBrowse::showsKeptRows() const {
    return !cAlias.empty() && !kept_.empty() && !hasArea();
}

void TWBrowse::keepRow(int nRow, const runtime::Array& values, RowColours colours,
                       bool lBitmapHandles) {
    if (keeping_) kept_.push_back(KeptRow{nRow, values, colours, lBitmapHandles});
}

void TWBrowse::paintKeptRows() {
    wBrwLineEx(hDC, 0, runtime::Array(aHeaders.begin(), aHeaders.end()),
               RowColours{nClrForeHead, nClrBackHead}, false);
    for (const KeptRow& k : kept_) wBrwLineEx(hDC, k.nRow, k.values, k.colours, k.lBitmapHandles);
    if (!LCLASSIC() && nLineStyle != 3) drawEmptyRows(keptDrawn_ + 1);
}

Value TWBrowse::Paint() {
    if (lIconView) return Value(0);
    if (showsKeptRows()) {
        paintKeptRows();
        return Value(0);
    }
    kept_.clear();
    keeping_ = hasArea();
    struct StopKeeping {
        bool& on;
        ~StopKeeping() { on = false; }
    } stopKeeping{keeping_};
    // A work area left past its last record (a walk that has ended) shows
    // its last records, the last on the bottom row, not the empty record
    // past the end; the end is restored once they are painted.
    const bool pastEnd = inArea([] { return tables::EOF_() && tables::RECCOUNT() > 0; });
    if (pastEnd) {
        inArea([] { tables::DBGOBOTTOM(); });
        const int64_t length = bLogicLen ? bLogicLen() : 0;
        nRowPos = static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(nRowCount(), length)));
    }
    paintRows();
    if (pastEnd) inArea([] { tables::DBSKIP(1); });
    inArea([this] {
        lHitTop = tables::BOF();
        lHitBottom = tables::EOF_();
    });
    return Value(0);
}

void TWBrowse::paintRows() {
    inArea([] {
        if (!tables::EOF_()) {
            tables::DBSKIP(-1);
            if (!tables::BOF()) tables::DBSKIP(1);
        }
    });
    nPRow = 1;
    wBrwLineEx(hDC, 0, runtime::Array(aHeaders.begin(), aHeaders.end()),
               RowColours{nClrForeHead, nClrBackHead}, false);
    if (!lTCB) {
        colourBlocks_ = true;
        advancePRow_ = true;
    }
    nLen = bLogicLen ? bLogicLen() : 0;
    int drawn = 0;
    const int rows = nRowCount();
    if (nLen > 0 && rows > 0) {
        Skip(1 - nRowPos);
        // r: the screen row the record is on; one past the last row when
        // every row was filled and the last skip still moved.
        int r = 1;
        while (true) {
            DrawLine(r);
            if (Skip(1) == 0) break;
            if (++r > rows) break;
        }
        drawn = std::min(r, rows);
        Skip(nRowPos - r);
        if (nLen < nRowPos) nRowPos = static_cast<int>(nLen);
    }
    keptDrawn_ = drawn;
    if (!LCLASSIC() && nLineStyle != 3) drawEmptyRows(drawn + 1);
    if (drawn > 0) DrawSelect();
}

void TWBrowse::drawEmptyRows(int fromRow) {
    const size_t columns = std::max(GetColSizes().size(), aHeaders.size());
    const runtime::Array blanks(columns, Value(""));
    for (int r = fromRow; r <= nRowCount(); ++r) {
        nPRow = r;
        wBrwLineEx(hDC, r, blanks, rowColours(), false);
    }
}

void TWBrowse::DrawLine(std::optional<int> nRow) {
    if (lTCB) return;
    const runtime::Array values = rowValues();
    const RowColours colours = rowColours();
    wBrwLineEx(hDC, nRow.value_or(nRowPos), values, colours, static_cast<bool>(bColSizes));
    keepRow(nRow.value_or(nRowPos), values, colours, static_cast<bool>(bColSizes));
    afterRow();
}

void TWBrowse::DrawSelect() {
    const runtime::Array values = rowValues();
    const COLORREF back = lFocused ? nClrBackFocus : nClrBackFocusNoFocused;
    if (lCellStyle) {
        // The row in its own colours, then the active cell in the focus ones.
        const bool advance = advancePRow_;
        advancePRow_ = false;
        wBrwLineEx(hDC, nRowPos, values, rowColours(), static_cast<bool>(bColSizes));
        advancePRow_ = advance;
        lDrawingSel = true;
        wBrwLineEx(hDC, nRowPos, values, RowColours{nClrForeFocus, back},
                   static_cast<bool>(bColSizes));
        lDrawingSel = false;
        return;
    }
    wBrwLineEx(hDC, nRowPos, values, RowColours{nClrForeFocus, back}, static_cast<bool>(bColSizes));
    keepRow(nRowPos, values, RowColours{nClrForeFocus, back}, static_cast<bool>(bColSizes));
}

Value TWBrowse::EraseBkGnd(HDC hDCErase) {
    if (!oBrush || !hWnd) return {};
    RECT r{};
    GetClientRect(hWnd, &r);
    FillRect(hDCErase, &r, oBrush->hBrush());
    return Value(1);
}

Value TWBrowse::ReSize(WPARAM nSizeType, int nWidth, int nHeight) {
    cColor.resize(nRowCount());
    nRowPos = std::min(nRowPos, std::max(nRowCount(), 1));
    return TControl::ReSize(nSizeType, nWidth, nHeight);
}

}  // namespace toolkit
