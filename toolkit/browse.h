// TWBrowse: a grid over the records of one work area: a header row and one
// row per record from the record that is current, the cells coming from a
// row block (bLine) that reads the current record. A cell is text, a
// number, or a picture of the browse bitmap strip. Rows are striped in two
// colours that stay with their records when the grid scrolls by one row.
//
// The browse moves the work area's record pointer while it paints and
// navigates, and always puts it back on the record of the highlighted row.
// A dialog template places it as a custom control of class "TWBROWSE".
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/browse_rows.h"
#include "toolkit/control.h"

namespace toolkit {

class TWBrowse;
using BrowseHook = std::function<void(TWBrowse&)>;

// The arguments of TWBrowse::ReDefine. Fill member by member.
struct BrowseRedefine {
    int nId = 0;
    runtime::Block bLine;           // yields an array, one value per column
    std::shared_ptr<TWindow> oWnd;  // default: the default window
    std::vector<std::string> aHeaders;
    std::vector<int> aColSizes;  // pixels
    // Column widths from a block instead; numeric cells are then bitmap
    // handles.
    std::function<std::vector<int>()> bColSizes;
    std::string cField;
    Value uValue1, uValue2;
    BrowseHook bChange;
    MouseHook bLDblClick, bRClicked;
    std::shared_ptr<TFont> oFont;
    COLORREF nClrFore = 0;
    COLORREF nClrBack = 0xFFFFFF;
    std::string cMsg;
    bool lUpdate = false;
    std::optional<std::string> cAlias;  // default: the current alias
    WindowHook bWhen, bValid;
    MouseHook bLClicked;
    // Per column: run with (browse, row, column) when its header is clicked.
    std::vector<std::function<void(TWBrowse&, int, int)>> aActions;
    int nHLine = 5;
    COLORREF nxClrLine = 0;
};

// The colours of one row: text and background.
struct RowColours {
    COLORREF text = 0;
    COLORREF pane = 0;
};

class TWBrowse : public TControl {
public:
    static const ClassInfo kClass;
    const ClassInfo& classInfo() const override { return kClass; }

    static std::shared_ptr<TWBrowse> ReDefine(const BrowseRedefine& a);

    // ---- Fields ----------------------------------------------------------
    std::string cAlias;
    std::string cField;
    Value uValue1, uValue2;
    runtime::Block bLine;
    std::function<int64_t(int64_t)> bSkip;
    std::function<void()> bGoTop, bGoBottom;
    std::function<uint32_t()> bLogicLen;
    BrowseHook bChange;
    MouseHook bLDblClick;
    int nRowPos = 1;
    int nColPos = 1;
    int64_t nLen = 0;
    int nAt = 1, nColAct = 1;
    int nMaxFilter = 0;
    bool lHitTop = false, lHitBottom = false;
    bool lMChange = true;
    bool lAutoEdit = false, lAutoSkip = false;
    bool lCellStyle = false;
    std::vector<std::string> aHeaders;
    std::vector<int> aColSizes;
    std::function<std::vector<int>()> bColSizes;
    COLORREF nClrBackHead = 0xCAD3D7, nClrForeHead = 0;
    COLORREF nClrBackFocus = 0x858684, nClrForeFocus = 0xFFFFFF;
    std::vector<bool> aJustify;
    std::vector<std::function<void(TWBrowse&, int, int)>> aActions;
    int nLineStyle = 5;
    bool lIconView = false;
    int nIconPos = 0;
    int nHLine = 5;
    COLORREF nxClrLine = 0;
    COLORREF nXClrPane = 0xFFFFFF, nxClrText = 0;
    COLORREF nClrPRow1 = 0xFFFFFF, nClrPRow2 = 0xEAEFED, nClrTRow1 = 0, nClrTRow2 = 0;
    bool lAlterClr = true;
    StripePattern cColor;
    int nPRow = 0, nTRow = 0;
    bool lTree = false, lClassic = false;
    bool lTCB = false;
    bool lDrawingSel = false;
    bool lNoHead = false;
    COLORREF nClrBackFocusNoFocused = 0x808080;

    // ---- Setting up ------------------------------------------------------
    // Takes the look settings (or the classic look when LCLASSIC()).
    void LoadLook();
    // The classic look; repaints when lRefresh.
    void lWClassic(bool lRefresh = false);
    // The navigation blocks over the whole work area, and nLen.
    void SetFilter(const std::string& cNewField = {}, const Value& uNew1 = {},
                   const Value& uNew2 = {});
    bool Initiate(HWND hDlg) override;
    void Default();

    // ---- Painting --------------------------------------------------------
    Value Display() override;
    Value Paint() override;
    void DrawLine(std::optional<int> nRow = std::nullopt);
    void DrawSelect();
    // The row painter: one row (0 the header) of values at screen row nRow.
    // nPressedCol (from 1) draws that header cell pressed; hDCIn 0 takes the
    // window's DC.
    void wBrwLineEx(HDC hDCIn, int nRow, const runtime::Array& aValues, RowColours colours,
                    bool lBitmapHandles, int nPressedCol = 0);

    // ---- Stripes ---------------------------------------------------------
    void ResetColor() { cColor.reset(); }
    void DC() { cColor.down(); }
    void UC() { cColor.up(); }
    // The colours of screen row nPaneRow by the stripe pattern.
    RowColours GetPColor(int nPaneRow) const;
    COLORREF nClrLine() const;

    // ---- Records ---------------------------------------------------------
    int64_t Skip(int64_t n);
    int nRowCount() const;
    int nHRow() const;  // row height: text height + 1 + nHLine
    int nAtCol(int nX) const;
    std::vector<int> GetColSizes() const;
    uint32_t CalcLen() const;
    // The row block's values for the current record of the work area.
    runtime::Array rowValues() const;

    // ---- Navigation ------------------------------------------------------
    void GoUp(bool lDraw = true);
    void GoDown(bool lDraw = true);
    void PageUp(std::optional<int> n = std::nullopt);
    void PageDown(std::optional<int> n = std::nullopt);
    void GoTop();
    void GoBottom();
    void GoLeft();
    void GoRight();

    // ---- Messages --------------------------------------------------------
    Value ReSize(WPARAM nSizeType, int nWidth, int nHeight) override;
    Value KeyDown(WPARAM nKey, LPARAM nFlags) override;
    Value KeyChar(WPARAM nKey, LPARAM nFlags) override;
    Value GetDlgCode(WPARAM nKey) override;
    Value VScroll(WPARAM wParam, LPARAM lParam) override;
    Value MouseWheel(int nKeys, int nDelta, int nX, int nY) override;
    Value LButtonDown(int nRow, int nCol, int nKeyFlags) override;
    Value LDblClick(int nRow, int nCol, int nKeyFlags) override;
    Value GotFocus(HWND hWndLoseFocus) override;
    Value LostFocus(HWND hWndGetFocus) override;
    Value EraseBkGnd(HDC hDCErase) override;

private:
    // Runs fn with the browse's work area current (nothing without one).
    template <class Fn>
    auto inArea(Fn&& fn) const -> decltype(fn());
    bool hasArea() const;
    // Row colours: Paint makes them follow nPRow (advancing it after every
    // row); single-row redraws pin nPRow to nRowPos.
    RowColours rowColours() const;
    void pinRowColours();
    void afterRow();
    void paintRows();  // the header, the rows from the current record, the bar
    void drawEmptyRows(int fromRow);
    void scrollRows(int byRows);
    void setScrollRange();
    void setScrollPos(int pos);
    void changed();
    // The rows the last full paint drew, painted again while the browse's
    // work area is closed: a list whose table has gone (a run that closed
    // its tables and shows its last message over the list) keeps showing
    // what it showed instead of going blank.
    struct KeptRow {
        int nRow = 0;
        runtime::Array values;
        RowColours colours;
        bool lBitmapHandles = false;
    };
    bool showsKeptRows() const;
    void paintKeptRows();
    void keepRow(int nRow, const runtime::Array& values, RowColours colours, bool lBitmapHandles);
    std::vector<KeptRow> kept_;
    int keptDrawn_ = 0;
    bool keeping_ = false;
    bool colourBlocks_ = false;
    bool advancePRow_ = true;
    int scrollPos_ = 1;
};

}  // namespace toolkit
