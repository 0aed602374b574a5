// TControl: ids, binding to a dialog's item, and the control messages.
#include <utility>

#include "errors/gen_error.h"
#include "runtime/strings.h"
#include "toolkit/control.h"
#include "toolkit/font.h"

namespace toolkit {
namespace {

using Args = std::span<const Value>;

const MethodEntry kControlMethods[] = {
    {"Initiate",
     [](TWindow& w, Args a) {
         return Value(static_cast<TControl&>(w).Initiate(handleArg<HWND>(a, 0)));
     }},
    {"Click", [](TWindow& w, Args) { return static_cast<TControl&>(w).Click(); }},
    {"Change", [](TWindow& w, Args) { return static_cast<TControl&>(w).Change(); }},
    {"Colors", [](TWindow& w, Args a) { return static_cast<TControl&>(w).Colors(intArg(a, 0)); }},
    {"HelpTopic", [](TWindow& w, Args) { return static_cast<TControl&>(w).HelpTopic(); }},
    {"KillFocus",
     [](TWindow& w, Args a) { return static_cast<TControl&>(w).KillFocus(handleArg<HWND>(a, 0)); }},
    {"QXLostFocus",
     [](TWindow& w, Args a) { return static_cast<TControl&>(w).QXLostFocus(intArg(a, 0)); }},
    {"Display", [](TWindow& w, Args) { return static_cast<TControl&>(w).Display(); }},
};

}  // namespace

const ClassInfo TControl::kClass{"TControl", &TWindow::kClass, kControlMethods};

std::optional<int> TControl::nInitID;

std::string idOperation(int id) {
    return "No: " + runtime::PADL(std::to_string(id), 6);
}

int TControl::GetNewId() {
    if (!nInitID) nInitID = 100;
    return ++*nInitID;
}

bool TControl::Initiate(HWND hDlg) {
    hWnd = GetDlgItem(hDlg, nId);
    if (!hWnd) {
        errors::_QXGENERROR(errors::toolkit_error::kNonDefinedId, idOperation(nId));
        return false;
    }
    EnableWindow(hWnd, lActive ? TRUE : FALSE);
    Link();
    if (oFont) {
        // The font given to ReDefine is not counted until the window uses
        // it: SetFont counts the window as one more user.
        SetFont(std::exchange(oFont, nullptr));
    } else {
        GetFont();
    }
    return true;
}

Value TControl::HandleEvent(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
        case kMsgClick:
            return Click();
        case kMsgCtlColor16:
            return CtlColor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
        case WM_HELP:
            return HelpTopic();
        case WM_KILLFOCUS:
            return KillFocus(reinterpret_cast<HWND>(wParam));
        case WM_PAINT:
            return Display();
        case kMsgChange:
            return Change();
        case kMsgColors:
            return Colors(wParam);
        case kMsgQXLostFocus:
            return QXLostFocus(wParam);
        case WM_SYSCOMMAND:
            return SysCommand(wParam, LOWORD(lParam), HIWORD(lParam));
        default:
            return TWindow::HandleEvent(nMsg, wParam, lParam);
    }
}

Value TControl::Click() {
    if (auto o = owner()) o->AEvalWhen();
    return {};
}

Value TControl::Change() {
    return {};
}

Value TControl::Colors(WPARAM) {
    return {};
}

Value TControl::HelpTopic() {
    return {};
}

Value TControl::KillFocus(HWND hWndGetFocus) {
    return LostFocus(hWndGetFocus);
}

Value TControl::QXLostFocus(WPARAM) {
    return {};
}

Value TControl::Display() {
    return {};
}

}  // namespace toolkit
