// TButton: push buttons from a template or made in code.
#include "errors/gen_error.h"
#include "os/status.h"
#include "toolkit/button.h"
#include "toolkit/dialog.h"
#include "toolkit/font.h"

namespace toolkit {

const ClassInfo TButton::kClass{"TButton", &TControl::kClass, {}};

std::shared_ptr<TButton> TButton::ReDefine(const ButtonRedefine& a) {
    auto button = std::make_shared<TButton>();
    std::shared_ptr<TWindow> owner = a.oWnd ? a.oWnd : defaultWindow();
    button->nId = a.nId;
    button->bAction = a.bAction;
    button->oWnd = owner;
    button->nHelpId = a.nHelpId;
    button->cMsg = a.cMsg;
    button->lUpdate = a.lUpdate;
    button->bWhen = a.bWhen;
    button->bValid = a.bValid;
    button->cPrompt = a.cPrompt;
    button->lCancel = a.lCancel;
    if (auto dialog = std::dynamic_pointer_cast<TDialog>(owner)) dialog->DefControl(button);
    return button;
}

std::shared_ptr<TButton> TButton::New(const ButtonNew& a) {
    if (!a.oWnd || !a.oWnd->hWnd) return nullptr;
    auto button = std::make_shared<TButton>();
    button->nId = TControl::GetNewId();
    button->oWnd = a.oWnd;
    button->bAction = a.bAction;
    button->cCaption = a.cCaption;
    button->nTop = a.nTop;
    button->nLeft = a.nLeft;
    button->nBottom = a.nTop + a.nHeight;
    button->nRight = a.nLeft + a.nWidth;
    button->nStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                     static_cast<DWORD>(a.lDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    button->hWnd = CreateWindowExA(0, "BUTTON", a.cCaption.c_str(), button->nStyle, a.nLeft, a.nTop,
                                   a.nWidth, a.nHeight, a.oWnd->hWnd,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(button->nId)),
                                   GetModuleHandleA(nullptr), nullptr);
    if (!button->hWnd) {
        const DWORD error = GetLastError();
        errors::_QXGENERROR(errors::toolkit_error::kCannotCreateWindow,
                            "\r\nClass: BUTTON\r\nCaption: " + a.cCaption +
                                "\r\nSystem Error: " + os::errorText(error));
        return nullptr;
    }
    button->Link();
    if (a.oFont) button->SetFont(a.oFont);
    a.oWnd->aControls.push_back(button);
    return button;
}

Value TButton::Click() {
    if (clicking_) return {};
    clicking_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{clicking_};
    if (bAction) bAction(*this);
    auto o = owner();
    if (!lCancel && o && o->hWnd) TControl::Click();
    return {};
}

}  // namespace toolkit
