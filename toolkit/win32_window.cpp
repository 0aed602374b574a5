// TWindow: class chain and method lookup, the base methods, linking by
// subclassing, and the generic dispatch table.
#include "errors/gen_error.h"
#include "toolkit/brush.h"
#include "toolkit/control.h"
#include "toolkit/font.h"
#include "toolkit/icon.h"
#include "toolkit/procedure_guard.h"
#include "toolkit/win_handles.h"
#include "toolkit/window.h"
#include "toolkit/window_tables.h"

namespace toolkit {
namespace {

using Args = std::span<const Value>;

Value notHandled(TWindow&, Args) {
    return {};
}

int intAt(Args a, size_t i) {
    return static_cast<int>(intArg(a, i));
}

// Methods declared by TWindow. The dispatch table reaches them by name, so
// a subclass can also answer a message by adding an entry of that name.
const MethodEntry kWindowMethods[] = {
    {"Destroy", [](TWindow& w, Args) { return w.Destroy(); }},
    {"Moved", [](TWindow& w, Args a) { return w.Moved(intArg(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"ReSize", [](TWindow& w, Args a) { return w.ReSize(intArg(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"GotFocus", [](TWindow& w, Args a) { return w.GotFocus(handleArg<HWND>(a, 0)); }},
    {"LostFocus", [](TWindow& w, Args a) { return w.LostFocus(handleArg<HWND>(a, 0)); }},
    {"Paint", [](TWindow& w, Args) { return w.Paint(); }},
    {"Close", [](TWindow& w, Args a) { return w.Close(intArg(a, 0)); }},
    {"QueryEndSession", [](TWindow& w, Args) { return w.QueryEndSession(); }},
    {"EraseBkGnd", [](TWindow& w, Args a) { return w.EraseBkGnd(handleArg<HDC>(a, 0)); }},
    {"GetMinMaxInfo", [](TWindow& w, Args a) { return w.GetMinMaxInfo(intArg(a, 0)); }},
    {"DrawItem", [](TWindow& w, Args a) { return w.DrawItem(intArg(a, 0), intArg(a, 1)); }},
    {"MeasureItem", [](TWindow& w, Args a) { return w.MeasureItem(intArg(a, 0), intArg(a, 1)); }},
    {"GetDlgCode", [](TWindow& w, Args a) { return w.GetDlgCode(intArg(a, 0)); }},
    {"KeyDown", [](TWindow& w, Args a) { return w.KeyDown(intArg(a, 0), intArg(a, 1)); }},
    {"KeyChar", [](TWindow& w, Args a) { return w.KeyChar(intArg(a, 0), intArg(a, 1)); }},
    {"Command", [](TWindow& w, Args a) { return w.Command(intArg(a, 0), intArg(a, 1)); }},
    {"SysCommand",
     [](TWindow& w, Args a) { return w.SysCommand(intArg(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"Timer", [](TWindow& w, Args a) { return w.Timer(intArg(a, 0), intArg(a, 1)); }},
    {"HScroll", [](TWindow& w, Args a) { return w.HScroll(intArg(a, 0), intArg(a, 1)); }},
    {"VScroll", [](TWindow& w, Args a) { return w.VScroll(intArg(a, 0), intArg(a, 1)); }},
    {"CtlColor",
     [](TWindow& w, Args a) { return w.CtlColor(handleArg<HWND>(a, 0), handleArg<HDC>(a, 1)); }},
    {"MouseMove",
     [](TWindow& w, Args a) { return w.MouseMove(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"LButtonDown",
     [](TWindow& w, Args a) { return w.LButtonDown(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"LButtonUp",
     [](TWindow& w, Args a) { return w.LButtonUp(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"LDblClick",
     [](TWindow& w, Args a) { return w.LDblClick(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"RButtonDown",
     [](TWindow& w, Args a) { return w.RButtonDown(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"RButtonUp",
     [](TWindow& w, Args a) { return w.RButtonUp(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"MButtonDown",
     [](TWindow& w, Args a) { return w.MButtonDown(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"MButtonUp",
     [](TWindow& w, Args a) { return w.MButtonUp(intAt(a, 0), intAt(a, 1), intAt(a, 2)); }},
    {"MouseWheel",
     [](TWindow& w, Args a) {
         return w.MouseWheel(intAt(a, 0), intAt(a, 1), intAt(a, 2), intAt(a, 3));
     }},
    // Messages the toolkit maps but no class of this program answers.
    {"InitMenuPopup", notHandled},
    {"MenuSelect", notHandled},
    {"MenuChar", notHandled},
    {"QueryNewPalette", notHandled},
    {"PaletteChanged", notHandled},
    {"DropFiles", notHandled},
    {"NcActivate", notHandled},
    {"NcMouseMove", notHandled},
    {"Notify", notHandled},
    {"CommNotify", notHandled},
    {"QueryDragIcon", notHandled},
    {"DdeInitiate", notHandled},
    {"DdeTerminate", notHandled},
    {"DdeAck", notHandled},
    {"DdeExecute", notHandled},
};

// ---- The generic dispatch table --------------------------------------------

using Unpack = std::vector<Value> (*)(WPARAM, LPARAM);

Value num(long long n) {
    return Value(static_cast<double>(n));
}
std::vector<Value> noArgs(WPARAM, LPARAM) {
    return {};
}
std::vector<Value> wOnly(WPARAM w, LPARAM) {
    return {num(static_cast<long long>(w))};
}
std::vector<Value> lOnly(WPARAM, LPARAM l) {
    return {num(l)};
}
std::vector<Value> wAndL(WPARAM w, LPARAM l) {
    return {num(static_cast<long long>(w)), num(l)};
}
std::vector<Value> wLowHigh(WPARAM w, LPARAM l) {
    return {num(static_cast<long long>(w)), num(LOWORD(l)), num(HIWORD(l))};
}
// The control's window travels in lParam whole: on 32- and 64-bit Windows
// a handle does not fit in its low word.
std::vector<Value> ctlColor(WPARAM w, LPARAM l) {
    return {num(l), num(static_cast<long long>(w))};
}
std::vector<Value> mouse(WPARAM w, LPARAM l) {
    return {num(static_cast<short>(HIWORD(l))), num(static_cast<short>(LOWORD(l))),
            num(static_cast<long long>(w))};
}
std::vector<Value> wheel(WPARAM w, LPARAM l) {
    return {num(LOWORD(w)), num(static_cast<short>(HIWORD(w))), num(static_cast<short>(LOWORD(l))),
            num(static_cast<short>(HIWORD(l)))};
}

struct Route {
    UINT nMsg;
    const char* method;
    Unpack unpack;
};

// Message numbers of the dynamic data exchange protocol (<dde.h>).
constexpr UINT kDdeInitiate = 0x3E0, kDdeTerminate = 0x3E1, kDdeAck = 0x3E4, kDdeExecute = 0x3E8;

const Route kRoutes[] = {
    {WM_DESTROY, "Destroy", noArgs},
    {WM_MOVE, "Moved", wLowHigh},
    {WM_SIZE, "ReSize", wLowHigh},
    {WM_SETFOCUS, "GotFocus", wOnly},
    {WM_KILLFOCUS, "LostFocus", wOnly},
    {WM_CLOSE, "Close", wOnly},
    {WM_QUERYENDSESSION, "QueryEndSession", noArgs},
    {WM_ERASEBKGND, "EraseBkGnd", wOnly},
    {WM_GETMINMAXINFO, "GetMinMaxInfo", lOnly},
    {WM_DRAWITEM, "DrawItem", wAndL},
    {kMsgDrawItem, "DrawItem", wAndL},
    {WM_MEASUREITEM, "MeasureItem", wAndL},
    {WM_GETDLGCODE, "GetDlgCode", wOnly},
    {WM_KEYDOWN, "KeyDown", wAndL},
    {WM_CHAR, "KeyChar", wAndL},
    {WM_COMMAND, "Command", wAndL},
    {WM_SYSCOMMAND, "SysCommand", wLowHigh},
    {WM_TIMER, "Timer", wAndL},
    {WM_HSCROLL, "HScroll", wAndL},
    {WM_VSCROLL, "VScroll", wAndL},
    {WM_CTLCOLOREDIT, "CtlColor", ctlColor},
    {WM_CTLCOLORLISTBOX, "CtlColor", ctlColor},
    {WM_CTLCOLORSTATIC, "CtlColor", ctlColor},
    {WM_MOUSEMOVE, "MouseMove", mouse},
    {WM_LBUTTONDOWN, "LButtonDown", mouse},
    {WM_LBUTTONUP, "LButtonUp", mouse},
    {WM_LBUTTONDBLCLK, "LDblClick", mouse},
    {WM_RBUTTONDOWN, "RButtonDown", mouse},
    {WM_RBUTTONUP, "RButtonUp", mouse},
    {WM_MBUTTONDOWN, "MButtonDown", mouse},
    {WM_MBUTTONUP, "MButtonUp", mouse},
    {WM_MOUSEWHEEL, "MouseWheel", wheel},
    {WM_INITMENUPOPUP, "InitMenuPopup", wAndL},
    {WM_MENUSELECT, "MenuSelect", wAndL},
    {WM_MENUCHAR, "MenuChar", wAndL},
    {WM_QUERYNEWPALETTE, "QueryNewPalette", noArgs},
    {WM_PALETTECHANGED, "PaletteChanged", wOnly},
    {WM_DROPFILES, "DropFiles", wOnly},
    {WM_NCACTIVATE, "NcActivate", wOnly},
    {WM_NCMOUSEMOVE, "NcMouseMove", wAndL},
    {WM_NOTIFY, "Notify", wAndL},
    {WM_COMMNOTIFY, "CommNotify", wAndL},
    {WM_QUERYDRAGICON, "QueryDragIcon", noArgs},
    {kDdeInitiate, "DdeInitiate", wAndL},
    {kDdeTerminate, "DdeTerminate", wAndL},
    {kDdeAck, "DdeAck", wAndL},
    {kDdeExecute, "DdeExecute", wAndL},
};

const Route* routeFor(UINT nMsg) {
    for (const Route& r : kRoutes)
        if (r.nMsg == nMsg) return &r;
    return nullptr;
}

// ---- Linked windows --------------------------------------------------------

struct LinkedWindow {
    HWND hWnd;
    TWindow* object;
};

WindowList<LinkedWindow>& linkedWindows() {
    static WindowList<LinkedWindow> list;
    return list;
}

std::optional<size_t> linkedIndex(HWND h) {
    return linkedWindows().find([h](const LinkedWindow& e) { return e.hWnd == h; });
}

std::weak_ptr<TWindow>& defaultWindowSlot() {
    static std::weak_ptr<TWindow> w;
    return w;
}

// Window classes registered by Register(), with the brushes they paint
// with; both live as long as the process.
std::vector<GdiObject>& classBrushes() {
    static std::vector<GdiObject> brushes;
    return brushes;
}

}  // namespace

const ClassInfo TWindow::kClass{"TWindow", nullptr, kWindowMethods};

Value handleValue(const void* h) {
    return Value(static_cast<double>(reinterpret_cast<intptr_t>(h)));
}

long long intArg(std::span<const Value> args, size_t i) {
    return i < args.size() ? static_cast<long long>(args[i].numOr(0)) : 0;
}

LRESULT resultToLresult(const Value& v) {
    if (v.isNumber()) return static_cast<LRESULT>(static_cast<long long>(v.num()));
    if (v.isLogical()) return v.logical() ? 1 : 0;
    return 0;
}

UINT scriptMessage() {
    static const UINT msg = RegisterWindowMessageA("WM_SCRIP_TESTPARNER");
    return msg;
}

std::shared_ptr<TWindow> defaultWindow() {
    return defaultWindowSlot().lock();
}

void setDefaultWindow(const std::shared_ptr<TWindow>& w) {
    defaultWindowSlot() = w;
}

TWindow* linkedObject(HWND h) {
    if (!h) return nullptr;
    const auto i = linkedIndex(h);
    return i ? linkedWindows().at(*i)->object : nullptr;
}

TWindow::~TWindow() {
    UnLink();
}

bool TWindow::isKindOf(std::string_view className) const {
    for (const ClassInfo* c = &classInfo(); c; c = c->parent)
        if (runtime::sameName(c->name, className)) return true;
    return false;
}

bool TWindow::hasMethod(std::string_view name) const {
    for (const ClassInfo* c = &classInfo(); c; c = c->parent)
        for (const MethodEntry& m : c->methods)
            if (runtime::sameName(m.name, name)) return true;
    return false;
}

Value TWindow::send(std::string_view name, std::span<const Value> args) {
    for (const ClassInfo* c = &classInfo(); c; c = c->parent)
        for (const MethodEntry& m : c->methods)
            if (runtime::sameName(m.name, name)) return m.fn(*this, args);
    return {};
}

std::optional<Value> TWindow::frameworkMessage(UINT nMsg, WPARAM wParam) {
    // The framework's script and inter-process hooks are not part of this
    // program: the messages are answered and nothing else happens.
    if (nMsg == scriptMessage() && wParam == 10000) return Value(1);
    if (nMsg == WM_COPYDATA) return Value(0);
    return std::nullopt;
}

Value TWindow::HandleEvent(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (auto answer = frameworkMessage(nMsg, wParam)) return *answer;
    return dispatch(nMsg, wParam, lParam);
}

Value TWindow::dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_PAINT) {
        BeginPaint();
        Paint();
        EndPaint();
        return Value(0);
    }
    const Route* route = routeFor(nMsg);
    if (!route) return {};
    const std::vector<Value> args = route->unpack(wParam, lParam);
    return send(route->method, args);
}

LRESULT CALLBACK linkedWindowProc(HWND h, UINT nMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const auto index = linkedIndex(h);
    if (!index) return DefWindowProcA(h, nMsg, wParam, lParam);
    TWindow* object = linkedWindows().at(*index)->object;
    // Keep the object alive while its handler runs, when it is shared.
    const std::shared_ptr<TWindow> keep = object->weak_from_this().lock();
    const WNDPROC previous = object->previousProc_;
    return guardProcedure([&]() -> LRESULT {
        const Value answer = object->HandleEvent(nMsg, wParam, lParam);
        LRESULT result = 0;
        if (!answer.isNil()) {
            result = resultToLresult(answer);
        } else {
            result = previous ? CallWindowProcA(previous, h, nMsg, wParam, lParam)
                              : DefWindowProcA(h, nMsg, wParam, lParam);
        }
        // The window is gone after its last message: stop dispatching to
        // the object before the handle can be reused.
        if (nMsg == WM_NCDESTROY && object->linked()) {
            object->UnLink();
            object->hWnd = nullptr;
        }
        return result;
    });
}

bool TWindow::Link(bool subclass) {
    if (!hWnd) return false;
    if (linkIndex_) return true;
    const auto index = linkedWindows().add(LinkedWindow{hWnd, this});
    if (!index) {
        errors::_QXGENERROR(errors::toolkit_error::kCannotCreateWindow,
                            "\r\nClass: " + ClassName() + "\r\nCaption: " + cCaption.value_or("") +
                                "\r\nSystem Error: more than 2000 linked windows");
        return false;
    }
    linkIndex_ = index;
    if (subclass)
        previousProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&linkedWindowProc)));
    return true;
}

void TWindow::UnLink() {
    if (!linkIndex_) return;
    // Order matters: stop dispatching to the object, then put the previous
    // procedure back while the window still exists.
    const LinkedWindow* entry = linkedWindows().at(*linkIndex_);
    const HWND h = entry ? entry->hWnd : nullptr;
    linkedWindows().remove(*linkIndex_);
    linkIndex_.reset();
    if (h && IsWindow(h) && previousProc_ &&
        GetWindowLongPtrA(h, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&linkedWindowProc))
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
    previousProc_ = nullptr;
}

void TWindow::Refresh(bool lErase) {
    if (hWnd) InvalidateRect(hWnd, nullptr, lErase ? TRUE : FALSE);
}

void TWindow::Enable() {
    lActive = true;
    if (hWnd) EnableWindow(hWnd, TRUE);
}

void TWindow::Disable() {
    lActive = false;
    if (hWnd) EnableWindow(hWnd, FALSE);
}

void TWindow::SetColor(COLORREF nNewClrText, COLORREF nNewClrPane,
                       std::shared_ptr<TBrush> oNewBrush) {
    nClrText = nNewClrText;
    nClrPane = nNewClrPane;
    oBrush = oNewBrush ? std::move(oNewBrush) : TBrush::New(nNewClrPane);
}

bool TWindow::Register(UINT nClassStyle) {
    const std::string name = ClassName();
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name.c_str(), &existing)) return true;
    GdiObject brush(CreateSolidBrush(nClrPane.value_or(GetSysColor(COLOR_WINDOW))));
    WNDCLASSA wc{};
    wc.style = nClassStyle | CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = oIcon ? oIcon->hIcon() : nullptr;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(brush.get());
    wc.lpszClassName = name.c_str();
    if (!RegisterClassA(&wc)) return false;
    classBrushes().push_back(std::move(brush));
    return true;
}

void TWindow::SetFont(std::shared_ptr<TFont> oNewFont) {
    if (oNewFont == oFont) return;
    if (oNewFont) ++oNewFont->nCount;
    if (oFont) oFont->End();
    oFont = std::move(oNewFont);
    if (hWnd && oFont) SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(oFont->hFont), TRUE);
}

void TWindow::GetFont() {
    if (!hWnd) return;
    const auto h = reinterpret_cast<HFONT>(SendMessageA(hWnd, WM_GETFONT, 0, 0));
    if (oFont) oFont->End();
    oFont = TFont::adopt(h ? h : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
}

void TWindow::AEvalWhen() {
    for (const auto& c : aControls) {
        if (!c->bWhen) continue;
        const Value r = c->bWhen(*c);
        if (!r.isLogical()) continue;
        if (r.logical())
            c->Enable();
        else
            c->Disable();
    }
}

std::shared_ptr<TControl> TWindow::controlById(int id) const {
    for (const auto& c : aControls)
        if (c->nId == id) return c;
    return nullptr;
}

std::shared_ptr<TControl> TWindow::controlByHandle(HWND h) const {
    if (!h) return nullptr;
    for (const auto& c : aControls)
        if (c->hWnd == h) return c;
    return nullptr;
}

HDC TWindow::BeginPaint() {
    if (nPaintCount++ == 0) hDC = ::BeginPaint(hWnd, &cPS);
    return hDC;
}

void TWindow::EndPaint() {
    if (nPaintCount == 0) return;
    if (--nPaintCount == 0) {
        ::EndPaint(hWnd, &cPS);
        hDC = nullptr;
    }
}

Value TWindow::Destroy() {
    if (oFont) {
        oFont->End();
        oFont.reset();
    }
    UnLink();
    hWnd = nullptr;
    return {};
}

Value TWindow::Moved(WPARAM, int nX, int nY) {
    if (bMoved) bMoved(nY, nX);
    return {};
}

Value TWindow::ReSize(WPARAM, int, int) {
    return {};
}

Value TWindow::GotFocus(HWND) {
    lFocused = true;
    return {};
}

Value TWindow::LostFocus(HWND) {
    lFocused = false;
    return {};
}

Value TWindow::Paint() {
    return {};
}

Value TWindow::Close(WPARAM) {
    return {};
}

Value TWindow::QueryEndSession() {
    return {};
}

Value TWindow::EraseBkGnd(HDC) {
    return {};
}

Value TWindow::GetMinMaxInfo(LPARAM) {
    return {};
}

Value TWindow::DrawItem(WPARAM, LPARAM) {
    return {};
}

Value TWindow::MeasureItem(WPARAM, LPARAM) {
    return {};
}

Value TWindow::GetDlgCode(WPARAM) {
    return {};
}

Value TWindow::KeyDown(WPARAM, LPARAM) {
    return {};
}

Value TWindow::KeyChar(WPARAM, LPARAM) {
    return {};
}

Value TWindow::Command(WPARAM, LPARAM) {
    return {};
}

Value TWindow::SysCommand(WPARAM, int, int) {
    return {};
}

Value TWindow::Timer(WPARAM, LPARAM) {
    return {};
}

Value TWindow::HScroll(WPARAM, LPARAM) {
    return {};
}

Value TWindow::VScroll(WPARAM, LPARAM) {
    return {};
}

Value TWindow::CtlColor(HWND, HDC hDCCtl) {
    SetTextColor(hDCCtl, nClrText);
    if (nClrPane) SetBkColor(hDCCtl, *nClrPane);
    return oBrush ? handleValue(oBrush->hBrush()) : Value();
}

Value TWindow::MouseMove(int, int, int) {
    return {};
}

Value TWindow::LButtonDown(int nRow, int nCol, int nKeyFlags) {
    if (bLClicked) bLClicked(nRow, nCol, nKeyFlags);
    return {};
}

Value TWindow::LButtonUp(int, int, int) {
    return {};
}

Value TWindow::LDblClick(int, int, int) {
    return {};
}

Value TWindow::RButtonDown(int nRow, int nCol, int nKeyFlags) {
    if (bRClicked) bRClicked(nRow, nCol, nKeyFlags);
    return {};
}

Value TWindow::RButtonUp(int, int, int) {
    return {};
}

Value TWindow::MButtonDown(int, int, int) {
    return {};
}

Value TWindow::MButtonUp(int, int, int) {
    return {};
}

Value TWindow::MouseWheel(int, int, int, int) {
    return {};
}

}  // namespace toolkit
