// TSay: static texts bound to dialog items.
#include "runtime/strings.h"
#include "toolkit/dialog.h"
#include "toolkit/look.h"
#include "toolkit/say.h"

namespace toolkit {

const ClassInfo TSay::kClass{"TSay", &TControl::kClass, {}};

std::shared_ptr<TSay> TSay::ReDefine(const SayRedefine& a) {
    auto say = std::make_shared<TSay>();
    std::shared_ptr<TWindow> owner = a.oWnd ? a.oWnd : defaultWindow();
    say->nId = a.nId;
    say->oWnd = owner;
    say->l3D = false;
    say->bGet = a.bGet;
    if (a.bGet)
        say->bSetGet = runtime::Block([get = a.bGet](std::span<const Value>) { return get(); });
    say->cPicture = a.cPicture;
    say->cCaption = say->format(a.bGet ? a.bGet() : Value());
    say->nClrPane.reset();
    say->lWantClick = false;
    say->lUpdate = a.lUpdate;
    say->oFont = a.oFont;
    const COLORREF text = a.nClrText.value_or(owner ? owner->nClrText : 0);
    say->nClrText = text;
    if (LCLASSIC()) {
        const std::optional<COLORREF> pane = a.nClrBack ? a.nClrBack
                                             : owner    ? owner->nClrPane
                                                        : std::nullopt;
        if (pane) say->SetColor(text, *pane);
    } else if (a.nClrBack) {
        say->SetColor(text, *a.nClrBack);
    }
    if (auto dialog = std::dynamic_pointer_cast<TDialog>(owner)) dialog->DefControl(say);
    return say;
}

std::string TSay::format(const Value& v) const {
    return cPicture.empty() ? runtime::CVALTOCHAR(v) : runtime::TRANSFORM(v, cPicture);
}

bool TSay::Initiate(HWND hDlg) {
    if (!TControl::Initiate(hDlg)) return false;
    if (cCaption) {
        SetWindowTextA(hWnd, cCaption->c_str());
    } else {
        char text[1024] = {};
        GetWindowTextA(hWnd, text, sizeof text);
        cCaption = text;
    }
    GetWindowRect(hWnd, &aRect);
    MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&aRect), 2);
    return true;
}

void TSay::show() {
    if (auto o = owner(); o && o->hWnd) InvalidateRect(o->hWnd, &aRect, TRUE);
    if (hWnd) SetWindowTextA(hWnd, cCaption.value_or("").c_str());
}

void TSay::Refresh() {
    if (bGet) cCaption = format(bGet());
    show();
}

void TSay::SetText(const Value& x) {
    cCaption = format(x);
    show();
}

}  // namespace toolkit
