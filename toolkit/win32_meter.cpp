// TMeter and its painting routine METERPAINT.
#include "errors/gen_error.h"
#include "os/status.h"
#include "toolkit/brush.h"
#include "toolkit/dialog.h"
#include "toolkit/font.h"
#include "toolkit/meter.h"
#include "toolkit/meter_layout.h"
#include "toolkit/pump.h"
#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using Args = std::span<const Value>;

TMeter& asMeter(TWindow& w) {
    return static_cast<TMeter&>(w);
}

const MethodEntry kMeterMethods[] = {
    {"Set",
     [](TWindow& w, Args a) {
         asMeter(w).Set(a.empty() || !a[0].isNumber() ? std::nullopt
                                                      : std::optional<double>(a[0].num()));
         return Value();
     }},
    {"SetTotal",
     [](TWindow& w, Args a) {
         asMeter(w).SetTotal(a.empty() ? 0 : a[0].numOr(0));
         return Value();
     }},
    {"Default",
     [](TWindow& w, Args) {
         asMeter(w).Default();
         return Value();
     }},
};

// The sunken one-pixel box on the outer edge of the client area: left and
// top in the button-shadow colour, bottom and right in the highlight colour.
void drawSunkenFrame(HDC dc, const RECT& r) {
    GdiObject shadow(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    GdiObject light(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT)));
    {
        SelectedObject pen(dc, shadow.get());
        MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        LineTo(dc, r.left, r.top);
        LineTo(dc, r.right - 1, r.top);
    }
    SelectedObject pen(dc, light.get());
    MoveToEx(dc, r.right - 1, r.top, nullptr);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.left - 1, r.bottom - 1);
}

void textIn(HDC dc, int x, int y, const RECT& clip, const std::string& text) {
    ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &clip, text.data(),
                static_cast<UINT>(text.size()), nullptr);
}

}  // namespace

const ClassInfo TMeter::kClass{"TMeter", &TControl::kClass, kMeterMethods};

int METERPAINT(HWND hWnd, HDC hDC, double, double, double nPercent, const std::string& cText,
               bool lPercentage, COLORREF nClrPane, COLORREF nClrText, COLORREF nClrBar,
               COLORREF nClrBText, HFONT hFont) {
    const unsigned p = meterPercent(nPercent);
    SelectedObject font(hDC, hFont);
    const std::string text = meterText(cText, lPercentage, p);
    RECT r{};
    GetClientRect(hWnd, &r);
    SIZE size{};
    GetTextExtentPoint32A(hDC, text.data(), static_cast<int>(text.size()), &size);
    const int x = meterTextOrigin(r.right - r.left, size.cx);
    const int y = meterTextOrigin(r.bottom - r.top, size.cy);
    const int fill = meterFillRight(r.right, p);

    const RECT filled{r.left + 1, r.top + 1, fill, r.bottom - 1};
    SetBkColor(hDC, nClrBar);
    SetTextColor(hDC, nClrBText);
    textIn(hDC, x, y, filled, text);

    drawSunkenFrame(hDC, r);

    SetBkColor(hDC, nClrPane);
    SetTextColor(hDC, nClrText);
    if (p < 100) textIn(hDC, x, y, RECT{fill + 1, r.top + 1, r.right - 1, r.bottom - 1}, text);
    return 0;
}

void TMeter::store(const MeterRedefine& a, const std::shared_ptr<TWindow>& owner) {
    nId = a.nId;
    bSetGet = a.bSetGet;
    nTotal = a.nTotal;
    oWnd = owner;
    lUpdate = a.lUpdate;
    oFont = a.oFont;
    ownFont_ = a.oFont != nullptr;
    cText = a.cText;
    lPercentage = !a.lNoPercentage;
    nClrPane = a.nClrPane ? a.nClrPane : owner ? owner->nClrPane : std::nullopt;
    nClrText = a.nClrText.value_or(owner ? owner->nClrText : 0);
    nClrBar = a.nClrBar;
    nClrBText = a.nClrBText;
    lDrag = false;
    lCaptured = false;
    nRefresh = 0;
    if (nClrPane) SetColor(nClrText, *nClrPane);
    Register(CS_VREDRAW | CS_HREDRAW);
}

std::shared_ptr<TMeter> TMeter::ReDefine(const MeterRedefine& a, std::shared_ptr<TMeter> into) {
    auto meter = into ? std::move(into) : std::make_shared<TMeter>();
    const std::shared_ptr<TWindow> owner = a.oWnd ? a.oWnd : defaultWindow();
    meter->store(a, owner);
    if (auto dialog = std::dynamic_pointer_cast<TDialog>(owner)) dialog->DefControl(meter);
    return meter;
}

std::shared_ptr<TMeter> TMeter::New(const MeterNew& a, std::shared_ptr<TMeter> into) {
    auto meter = into ? std::move(into) : std::make_shared<TMeter>();
    const std::shared_ptr<TWindow> owner = a.oWnd ? a.oWnd : defaultWindow();
    MeterRedefine r;
    r.bSetGet = a.bSetGet;
    r.nTotal = a.nTotal;
    r.oFont = a.oFont;
    r.cText = a.cText;
    r.lNoPercentage = a.lNoPercentage;
    r.nClrPane = a.nClrPane;
    r.nClrText = a.nClrText;
    r.nClrBar = a.nClrBar;
    r.nClrBText = a.nClrBText;
    meter->store(r, owner);
    meter->nTop = a.lPixel ? a.nRow : a.nRow * 14;
    meter->nLeft = a.lPixel ? a.nCol : a.nCol * 8;
    meter->nBottom = meter->nTop + a.nHeight;
    meter->nRight = meter->nLeft + a.nWidth;
    meter->nStyle = WS_CHILD | WS_VISIBLE | (a.lDesign ? WS_CLIPSIBLINGS | WS_TABSTOP : 0);
    if (!owner || !owner->hWnd) {
        if (auto dialog = std::dynamic_pointer_cast<TDialog>(owner)) dialog->DefControl(meter);
        return meter;
    }
    meter->nId = TControl::GetNewId();
    meter->hWnd = CreateWindowExA(0, meter->ClassName().c_str(), "", meter->nStyle, meter->nLeft,
                                  meter->nTop, a.nWidth, a.nHeight, owner->hWnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(meter->nId)),
                                  GetModuleHandleA(nullptr), nullptr);
    if (!meter->hWnd) {
        errors::_QXGENERROR(
            errors::toolkit_error::kCannotCreateWindow,
            "\r\nClass: TMETER\r\nCaption: \r\nSystem Error: " + os::errorText(GetLastError()));
        return nullptr;
    }
    meter->Link();
    meter->Default();
    owner->aControls.push_back(meter);
    return meter;
}

bool TMeter::Initiate(HWND hDlg) {
    if (!TControl::Initiate(hDlg)) return false;
    Default();
    return true;
}

double TMeter::value() const {
    return bSetGet ? bSetGet.eval().numOr(0) : 0;
}

void TMeter::Default() {
    if (bSetGet && bSetGet.eval().isNil()) bSetGet.eval({Value(0)});
    const auto o = owner();
    if (!ownFont_ && o && o->oFont) {
        SetFont(o->oFont);
    } else if (oFont && hWnd) {
        SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(oFont->hFont), FALSE);
    }
    fitToFont();
    SetColor(nClrText, nClrPane.value_or(GetSysColor(COLOR_BTNFACE)));
}

void TMeter::fitToFont() {
    if (!hWnd) return;
    TEXTMETRICA tm{};
    {
        WindowDC dc(hWnd);
        const HFONT font =
            oFont ? oFont->hFont : reinterpret_cast<HFONT>(SendMessageA(hWnd, WM_GETFONT, 0, 0));
        SelectedObject selected(dc.get(), font);
        if (!GetTextMetricsA(dc.get(), &tm)) return;
    }
    RECT r{};
    GetWindowRect(hWnd, &r);
    MapWindowPoints(nullptr, GetParent(hWnd), reinterpret_cast<POINT*>(&r), 2);
    const MeterRows now{r.top, r.bottom - r.top};
    const MeterRows fit = meterRowsForFont(now, tm.tmHeight);
    if (fit == now) return;
    SetWindowPos(hWnd, nullptr, r.left, fit.top, r.right - r.left, fit.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    nTop = fit.top;
    nBottom = fit.top + fit.height;
}

Value TMeter::Display() {
    BeginPaint();
    Paint();
    EndPaint();
    return Value(0);
}

Value TMeter::Paint() {
    if (!hDC) return Value(0);
    const double v = value();
    const double percent = v * 100 / (nTotal != 0 ? nTotal : 1);
    METERPAINT(hWnd, hDC, v, nTotal, percent, cText, lPercentage,
               nClrPane.value_or(GetSysColor(COLOR_BTNFACE)), nClrText, nClrBar, nClrBText,
               oFont ? oFont->hFont : nullptr);
    return Value(0);
}

Value TMeter::EraseBkGnd(HDC hDCErase) {
    if (!oBrush || !hWnd) return {};
    RECT r{};
    GetClientRect(hWnd, &r);
    FillRect(hDCErase, &r, oBrush->hBrush());
    return Value(1);
}

void TMeter::Set(std::optional<double> nValue) {
    double v = nValue ? *nValue : value();
    if (v > nTotal) v = nTotal;
    if (v < 0) v = 0;
    if (bSetGet) bSetGet.eval({Value(v)});
    if (nTotal == 0) return;
    const double q = v / nTotal * 100;
    if (nRefresh + q >= nRefresh + 1) {
        nRefresh += q;
        Refresh(false);
        SYSREFRESH();
    }
}

void TMeter::SetTotal(double nNewTotal) {
    nTotal = nNewTotal;
    Refresh();
}

}  // namespace toolkit
