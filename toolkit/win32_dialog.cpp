// TDialog: creation, the dialog procedure with the pending dialog stack,
// initialisation, the start hook, ending, and the dialog's own answers to
// keys, commands, colours and paints.
#include <cstring>

#include "errors/error_handler.h"
#include "errors/gen_error.h"
#include "runtime/alert.h"
#include "runtime/strings.h"
#include "toolkit/brush.h"
#include "toolkit/button.h"
#include "toolkit/control.h"
#include "toolkit/dialog.h"
#include "toolkit/font.h"
#include "toolkit/icon.h"
#include "toolkit/look.h"
#include "toolkit/platform.h"
#include "toolkit/procedure_guard.h"
#include "toolkit/pump.h"
#include "toolkit/resource_module.h"
#include "toolkit/say.h"
#include "toolkit/window_tables.h"

namespace toolkit {
namespace {

using Args = std::span<const Value>;

// The background of dialogs in the non-classic look.
constexpr COLORREF kModernPane = 0xCAD3D7;
constexpr DWORD kDefaultStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr double kRowPixels = 15.1;
constexpr double kColumnPixels = 7.9;

PendingDialogStack<HWND, TDialog>& pendingDialogs() {
    static PendingDialogStack<HWND, TDialog> stack;
    return stack;
}

int& nesting() {
    static int n = 0;
    return n;
}

TDialog& asDialog(TWindow& w) {
    return static_cast<TDialog&>(w);
}

const MethodEntry kDialogMethods[] = {
    {"Activate",
     [](TWindow& w, Args) {
         asDialog(w).Activate();
         return Value();
     }},
    {"End",
     [](TWindow& w, Args a) {
         return Value(asDialog(w).End(a.empty() ? 2 : static_cast<int>(intArg(a, 0))));
     }},
    {"Display", [](TWindow& w, Args) { return asDialog(w).Display(); }},
    {"Initiate",
     [](TWindow& w, Args a) { return asDialog(w).Initiate(intArg(a, 0), handleArg<HWND>(a, 1)); }},
    {"Help95",
     [](TWindow& w, Args) {
         asDialog(w).Help95();
         return Value();
     }},
    {"GetItem",
     [](TWindow& w, Args a) {
         return handleValue(asDialog(w).GetItem(static_cast<int>(intArg(a, 0))));
     }},
};

// Whether a window's class is that name (any case).
bool classIs(HWND h, const char* name) {
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    return runtime::sameName(cls, name);
}

HBRUSH brushOf(const std::shared_ptr<TBrush>& b) {
    return b ? b->hBrush() : nullptr;
}

// Appends a text as a template holds it: UTF-16, ended by a zero.
void appendWide(std::vector<unsigned char>& out, const std::string& ansi) {
    std::wstring wide;
    if (!ansi.empty()) {
        const int n = static_cast<int>(ansi.size());
        wide.resize(
            static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, nullptr, 0)));
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, wide.data(), static_cast<int>(wide.size()));
    }
    wide.push_back(L'\0');
    for (wchar_t c : wide) {
        out.push_back(static_cast<unsigned char>(c & 0xFF));
        out.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
    }
}

template <class T>
void appendRaw(std::vector<unsigned char>& out, const T& v) {
    const auto* p = reinterpret_cast<const unsigned char*>(&v);
    out.insert(out.end(), p, p + sizeof v);
}

INT_PTR CALLBACK dialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam) noexcept {
    TDialog* dialog = pendingDialogs().objectFor(hDlg);
    if (!dialog) dialog = dynamic_cast<TDialog*>(linkedObject(hDlg));
    if (!dialog || !dialog->isKindOf("TDialog")) return 0;
    const std::shared_ptr<TWindow> keep = dialog->weak_from_this().lock();
    return guardProcedure([&]() -> LRESULT {
        const LPARAM arg = nMsg == WM_INITDIALOG ? reinterpret_cast<LPARAM>(hDlg) : lParam;
        return resultToLresult(dialog->HandleEvent(nMsg, wParam, arg));
    });
}

// Runs the platform's creation call on the dialog's template: named(name)
// for a resource given by name or number, inMemory(template) for the
// template held in memory or, without one, the one made from the dialog.
template <class Named, class InMemory>
auto fromTemplate(const TDialog& d, Named named, InMemory inMemory) {
    if (d.cResName.isText()) return named(d.cResName.text().c_str());
    if (d.cResName.isNumber()) return named(MAKEINTRESOURCEA(static_cast<WORD>(d.cResName.num())));
    const std::vector<unsigned char> tmpl = d.cResData.empty() ? d.cToChar() : d.cResData;
    return inMemory(reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()));
}

// Whether the dialog names a template the platform can be given: a name, a
// resource number that fits in 16 bits, or a template in memory at least as
// long as its fixed header with empty menu, class and caption.
bool usableTemplate(const TDialog& d) {
    if (d.cResName.isText()) return !d.cResName.text().empty();
    if (d.cResName.isNumber()) return d.cResName.num() >= 1 && d.cResName.num() <= 0xFFFF;
    return d.cResData.empty() || d.cResData.size() >= sizeof(DLGTEMPLATE) + 3 * sizeof(WORD);
}

}  // namespace

const ClassInfo TDialog::kClass{"TDialog", &TWindow::kClass, kDialogMethods};

void bindEndingButton(const std::shared_ptr<TDialog>& dialog, int nId) {
    ButtonRedefine b;
    b.nId = nId;
    b.oWnd = dialog;
    std::weak_ptr<TDialog> weak = dialog;
    b.bAction = [weak, nId](TWindow&) {
        if (auto d = weak.lock()) d->End(nId);
        return Value();
    };
    TButton::ReDefine(b);
}

int dialogNesting() {
    return nesting();
}

void endModalDialogs() noexcept {
    for (HWND h : pendingDialogs().handles()) EndDialog(h, 2);
}

std::shared_ptr<TDialog> TDialog::New(const DialogNew& a) {
    auto dialog = std::make_shared<TDialog>();
    dialog->initFrom(a);
    return dialog;
}

void TDialog::initFrom(const DialogNew& a) {
    hResources = a.hResources.value_or(GETRESOURCES());
    if (a.nWidth != 0 || a.nHeight != 0) {
        nTop = a.nTop;
        nLeft = a.nLeft;
        nBottom = a.nHeight;
        nRight = a.nWidth;
    } else if (a.lPixels) {
        nTop = a.nTop;
        nLeft = a.nLeft;
        nBottom = a.nBottom;
        nRight = a.nRight;
    } else {
        nTop = static_cast<int>(a.nTop * kRowPixels);
        nLeft = static_cast<int>(a.nLeft * kColumnPixels);
        nBottom = static_cast<int>(a.nBottom * kRowPixels);
        nRight = static_cast<int>(a.nRight * kColumnPixels);
    }
    nStyle = a.nStyle.value_or(kDefaultStyle);
    cCaption = a.cCaption;
    cResName = a.cResName;
    oWnd = a.oWnd;
    oIcon = a.oIcon;
    oFont = a.oFont;
    nHelpId = a.nHelpId;
    cBmpFondo = a.cBmpFondo;
    aControls.clear();
    lModify = true;
    lVisible = false;
    nResult = Value(0);
    nLastKey = 0;
    lClassic = LCLASSIC();
    if (!lClassic)
        SetColor(a.nClrText, kModernPane);
    else
        SetColor(a.nClrText, a.nClrBack.value_or(GetSysColor(COLOR_BTNFACE)), a.oBrush);
    Register();
    setDefaultWindow(shared_from_this());
    nMsgScript = scriptMessage();
}

HWND TDialog::chooseOwner() const {
    if (auto o = owner(); o && o->hWnd) return o->hWnd;
    if (nesting() > 1 || mainLoopRunning()) return GetActiveWindow();
    return mainWindowHandle();
}

std::string TDialog::creationOperation() const {
    if (cResName.isNil()) return "\r\nTitle: " + cCaption.value_or("");
    return "\r\nResource: " + runtime::CVALTOCHAR(cResName);
}

void TDialog::Activate(const DialogActivate& a) {
    nLastKey = 0;
    ++nesting();
    struct NestingGuard {
        ~NestingGuard() { --nesting(); }
    } nestingGuard;
    const HWND owner = chooseOwner();
    bLClicked = a.bLClicked;
    bMoved = a.bMoved;
    bPainted = a.bPainted;
    lCentered = a.lCentered;
    bValid = a.bValid;
    lModal = a.lModal;
    bInit = a.bInit;
    bRClicked = a.bRClicked;
    bWhen = a.bWhen;
    nResult = Value();
    lVisible = true;
    cOResName = cResName;
    if (bWhen) {
        const Value allowed = bWhen(*this);
        if (allowed.isLogical() && !allowed.logical()) {
            nResult = Value(2);
            lVisible = false;
            return;
        }
    }
    AEvalWhen();
    if (lModal)
        runModal(owner);
    else
        runModeless(owner);
}

void TDialog::runModal(HWND owner) {
    if (!usableTemplate(*this) || !pendingDialogs().push(this)) {
        lVisible = false;
        errors::_QXGENERROR(errors::toolkit_error::kCannotCreateDialog, creationOperation());
        return;
    }
    INT_PTR answer = -1;
    {
        struct ModalScope {
            bool previous = errors::setLwRunning(true);
            ~ModalScope() {
                pendingDialogs().pop();
                errors::setLwRunning(previous);
            }
        } scope;
        answer = fromTemplate(
            *this,
            [&](LPCSTR name) { return DialogBoxParamA(hResources, name, owner, dialogProc, 0); },
            [&](LPCDLGTEMPLATEA t) {
                return DialogBoxIndirectParamA(hResources, t, owner, dialogProc, 0);
            });
    }
    lVisible = false;
    hWnd = nullptr;
    if (answer == -1 || (answer == 0 && owner && !IsWindow(owner))) {
        errors::_QXGENERROR(errors::toolkit_error::kCannotCreateDialog, creationOperation());
    } else {
        nResult = Value(static_cast<int>(answer));
    }
    rethrowDeferred();
}

void TDialog::runModeless(HWND owner) {
    HWND created = nullptr;
    if (usableTemplate(*this) && pendingDialogs().push(this)) {
        created = fromTemplate(
            *this,
            [&](LPCSTR name) { return CreateDialogParamA(hResources, name, owner, dialogProc, 0); },
            [&](LPCDLGTEMPLATEA t) {
                return CreateDialogIndirectParamA(hResources, t, owner, dialogProc, 0);
            });
        pendingDialogs().pop();
    }
    if (!created) {
        lVisible = false;
        errors::_QXGENERROR(errors::toolkit_error::kCannotCreateDialog, creationOperation());
        rethrowDeferred();
        return;
    }
    if (!REGDIALOG(created)) {
        DestroyWindow(created);
        runtime::MSGALERT("Not possible to create more non-modal Dialogs");
        return;
    }
    ShowWindow(created, SW_SHOW);
    rethrowDeferred();
}

bool TDialog::End(int nEndResult) {
    if (!lModal) {
        if (hWnd) PostMessageA(hWnd, WM_CLOSE, static_cast<WPARAM>(nEndResult), 0);
        return true;
    }
    // A dialog already ended (or never shown) changes nothing: a hook that
    // ends it after an Escape leaves the Escape's result.
    if (!hWnd) return false;
    if (bValid) {
        const Value ok = bValid(*this);
        if (ok.isLogical() && !ok.logical()) return false;
    }
    nResult = Value(nEndResult);
    EndDialog(hWnd, nEndResult);
    hWnd = nullptr;
    return true;
}

void TDialog::DefControl(const std::shared_ptr<TControl>& oCtrl) {
    if (!oCtrl) return;
    if (oCtrl->nId == 0) oCtrl->nId = TControl::GetNewId();
    if (controlById(oCtrl->nId)) {
        errors::_QXGENERROR(errors::toolkit_error::kDuplicatedId, idOperation(oCtrl->nId));
        return;
    }
    aControls.push_back(oCtrl);
    oCtrl->hWnd = nullptr;
}

Value TDialog::HandleEvent(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (auto answer = frameworkMessage(nMsg, wParam)) return *answer;
    if (nMsg == WM_INITDIALOG) return Initiate(wParam, reinterpret_cast<HWND>(lParam));
    if (nMsg == WM_PAINT) return Display();
    return dispatch(nMsg, wParam, lParam);
}

Value TDialog::Initiate(WPARAM, HWND hDlg) {
    hWnd = hDlg;
    if (!lModal) Link(false);
    if (oFont)
        SetFont(std::exchange(oFont, nullptr));
    else
        GetFont();
    if (!lClassic) nullBrush();
    // Copy: a control's Initiate may raise an error whose handler runs
    // code that adds controls.
    const std::vector<std::shared_ptr<TControl>> controls = aControls;
    for (const auto& c : controls) c->Initiate(hDlg);
    if (!cResName.isNil()) widenFromResource(hDlg);
    if (lCentered)
        WNDCENTER(hDlg);
    else if (cResName.isNil())
        SetWindowPos(hDlg, nullptr, nLeft, nTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (cCaption) SetWindowTextA(hDlg, cCaption->c_str());
    if (bLog) bLog(*this);
    bool answer = true;
    if (bInit) {
        const Value r = bInit(*this);
        if (r.isLogical() && !r.logical()) answer = false;
    }
    Help95();
    if (oIcon && oIcon->hIcon())
        SendMessageA(hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(oIcon->hIcon()));
    return Value(answer);
}

void TDialog::widenFromResource(HWND hDlg) {
    RECT r{};
    GetWindowRect(hDlg, &r);
    SetWindowPos(hDlg, nullptr, 0, 0, static_cast<int>((r.right - r.left) * kResourceWidening),
                 r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (HWND c = GetWindow(hDlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT cr{};
        GetWindowRect(c, &cr);
        MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&cr), 2);
        SetWindowPos(c, nullptr, static_cast<int>(cr.left * kResourceWidening), cr.top,
                     static_cast<int>((cr.right - cr.left) * kResourceWidening), cr.bottom - cr.top,
                     SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
    }
}

void TDialog::Help95() {
    if (!lHelpIcon) lHelpIcon = true;
    if (!*lHelpIcon || !hWnd) return;
    const LONG_PTR ex = GetWindowLongPtrA(hWnd, GWL_EXSTYLE);
    SetWindowLongPtrA(hWnd, GWL_EXSTYLE, ex | WS_EX_CONTEXTHELP);
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

Value TDialog::Display() {
    BeginPaint();
    Paint();
    EndPaint();
    if (bStart) {
        // Cleared before it runs: the paints that the pump dispatches while
        // the hook works only repaint.
        const std::function<void()> hook = std::exchange(bStart, nullptr);
        hook();
    }
    return Value(false);
}

Value TDialog::Paint() {
    // The shared background picture of the non-classic look is drawn by the
    // bitmap layer when one is loaded; this program loads none.
    if (bPainted) bPainted(hDC, cPS, *this);
    return {};
}

Value TDialog::EraseBkGnd(HDC hDCErase) {
    if (!oBrush || !hWnd) return {};
    RECT r{};
    GetClientRect(hWnd, &r);
    FillRect(hDCErase, &r, oBrush->hBrush());
    return Value(1);
}

Value TDialog::KeyChar(WPARAM nKey, LPARAM nFlags) {
    if (nKey != VK_ESCAPE) return TWindow::KeyChar(nKey, nFlags);
    if (lValidEsc) return {};
    const auto o = owner();
    if (!o || o->isKindOf("TMdiChild") || o->isKindOf("TDialog") || o->isKindOf("TMdiFrame")) {
        End();
        return {};
    }
    return TWindow::KeyChar(nKey, nFlags);
}

Value TDialog::Command(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    const HWND control = reinterpret_cast<HWND>(lParam);
    if (id != 0 && code == 0) {
        const auto known = controlById(id);
        if (control && id != IDCANCEL) {
            if (known && known->hWnd)
                SendMessageA(known->hWnd, kMsgClick, 0, 0);
            else if (id == IDOK)
                End(IDOK);
        } else if (id == IDOK) {
            SendMessageA(hWnd, WM_NEXTDLGCTL, 0, FALSE);
        } else if (known && known->hWnd) {
            SendMessageA(known->hWnd, kMsgClick, 0, 0);
        } else {
            End(2);
        }
    } else if (code == 1 && control) {
        SendMessageA(control, kMsgChange, 0, 0);
    }
    return {};
}

Value TDialog::CtlColor(HWND hWndCtl, HDC hDCCtl) {
    const auto c = controlByHandle(hWndCtl);
    const bool isButton = classIs(hWndCtl, "BUTTON");
    const bool staticOrButton = isButton || classIs(hWndCtl, "STATIC");
    const COLORREF pane = nClrPane.value_or(GetSysColor(COLOR_BTNFACE));
    if (staticOrButton && c) {
        SetTextColor(hDCCtl, c->nClrText);
        const bool isSay = c->isKindOf("TSay");
        if (isSay && isButton) {
            SetBkMode(hDCCtl, OPAQUE);
            SetBkColor(hDCCtl, pane);
            SetTextColor(hDCCtl, nClrText);
            RECT r{};
            GetClientRect(hWndCtl, &r);
            FillRect(hDCCtl, &r, brushOf(oBrush));
            return handleValue(brushOf(oBrush));
        }
        if (isSay && c->nClrPane && *c->nClrPane == 0) {
            SetBkMode(hDCCtl, OPAQUE);
            SetBkColor(hDCCtl, 0);
            return handleValue(brushOf(c->oBrush));
        }
        SetBkMode(hDCCtl, TRANSPARENT);
        SetBkColor(hDCCtl, pane);
        return handleValue(brushOf(oBrush));
    }
    if (staticOrButton) {
        SetBkMode(hDCCtl, TRANSPARENT);
        SetTextColor(hDCCtl, nClrText);
        SetBkColor(hDCCtl, pane);
        return handleValue(brushOf(oBrush));
    }
    if (c) {
        SetBkMode(hDCCtl, OPAQUE);
        SetTextColor(hDCCtl, c->nClrText);
        if (c->nClrPane) SetBkColor(hDCCtl, *c->nClrPane);
        return handleValue(brushOf(c->oBrush));
    }
    return Value(0);
}

Value TDialog::Close(WPARAM wParam) {
    if (lModal || !hWnd) return {};
    if (bValid) {
        const Value ok = bValid(*this);
        if (ok.isLogical() && !ok.logical()) return Value(1);
    }
    nResult = Value(static_cast<int>(wParam));
    DestroyWindow(hWnd);
    return Value(1);
}

Value TDialog::Destroy() {
    if (!lModal && hWnd) DEREGDIALOG(hWnd);
    lVisible = false;
    return TWindow::Destroy();
}

void TDialog::SetFont(std::shared_ptr<TFont> oNewFont) {
    TWindow::SetFont(std::move(oNewFont));
    if (!hWnd || !oFont) return;
    for (HWND c = GetWindow(hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(oFont->hFont), TRUE);
}

HWND TDialog::GetItem(int nItemId) const {
    return hWnd ? GetDlgItem(hWnd, nItemId) : nullptr;
}

std::vector<unsigned char> TDialog::cToChar() const {
    const LONG base = GetDialogBaseUnits();
    const int baseX = LOWORD(base) ? LOWORD(base) : 8;
    const int baseY = HIWORD(base) ? HIWORD(base) : 16;
    DLGTEMPLATE t{};
    t.style = nStyle & ~static_cast<DWORD>(DS_SETFONT | WS_VISIBLE);
    t.cdit = 0;
    t.x = static_cast<short>(MulDiv(nLeft, 4, baseX));
    t.y = static_cast<short>(MulDiv(nTop, 8, baseY));
    t.cx = static_cast<short>(MulDiv(nRight - nLeft, 4, baseX));
    t.cy = static_cast<short>(MulDiv(nBottom - nTop, 8, baseY));
    std::vector<unsigned char> out;
    appendRaw(out, t);
    appendRaw(out, WORD{0});  // no menu
    appendRaw(out, WORD{0});  // the system's dialog class
    appendWide(out, cCaption.value_or(""));
    while (out.size() % 4) out.push_back(0);
    return out;
}

}  // namespace toolkit
