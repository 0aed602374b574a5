// TSay: a static text bound to a dialog item; its caption comes from a
// value accessor (bGet), formatted with a picture.
#pragma once

#include "toolkit/control.h"

namespace toolkit {

class TDialog;

// The arguments of TSay::ReDefine. Fill member by member.
struct SayRedefine {
    int nId = 0;
    std::function<Value()> bGet;    // the caption's value
    std::shared_ptr<TWindow> oWnd;  // default: the default window
    std::string cPicture;
    std::optional<COLORREF> nClrText;  // default: the owner's text colour
    std::optional<COLORREF> nClrBack;
    bool lUpdate = false;
    std::shared_ptr<TFont> oFont;
};

class TSay : public TControl {
public:
    static const ClassInfo kClass;
    const ClassInfo& classInfo() const override { return kClass; }

    // Records the say for the item nId of its owner (DefControl).
    static std::shared_ptr<TSay> ReDefine(const SayRedefine& a);

    bool l3D = false;
    std::string cPicture;
    std::function<Value()> bGet;
    bool lWantClick = false;
    bool lFondo = false;
    RECT aRect{};  // the item's rectangle in the owner's client coordinates

    bool Initiate(HWND hDlg) override;
    // Re-evaluates bGet into cCaption, repaints the owner's background under
    // the say and writes the caption into the window.
    void Refresh();
    // The same for a given value.
    void SetText(const Value& x);

private:
    std::string format(const Value& v) const;
    void show();
};

}  // namespace toolkit
