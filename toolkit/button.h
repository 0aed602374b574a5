// TButton: a push button, bound to a dialog item (ReDefine) or made in code
// on a window that exists (New).
#pragma once

#include "toolkit/control.h"

namespace toolkit {

// The arguments of TButton::ReDefine. Fill member by member.
struct ButtonRedefine {
    int nId = 0;
    WindowHook bAction;
    std::shared_ptr<TWindow> oWnd;  // default: the default window
    int nHelpId = 0;
    std::string cMsg;
    bool lUpdate = false;
    WindowHook bWhen;
    WindowHook bValid;
    std::string cPrompt;
    bool lCancel = false;
};

// A button made in code, in pixels in the owner's client coordinates.
struct ButtonNew {
    int nTop = 0, nLeft = 0, nWidth = 0, nHeight = 0;
    std::string cCaption;
    std::shared_ptr<TWindow> oWnd;  // must have a window
    WindowHook bAction;
    std::shared_ptr<TFont> oFont;
    bool lDefault = false;  // the dialog's default push button
};

class TButton : public TControl {
public:
    static const ClassInfo kClass;
    const ClassInfo& classInfo() const override { return kClass; }

    static std::shared_ptr<TButton> ReDefine(const ButtonRedefine& a);
    // Creates the window at once with an id from GetNewId(); raises error 6
    // ("Cannot create window or control") and returns nullptr when the
    // window cannot be made.
    static std::shared_ptr<TButton> New(const ButtonNew& a);

    WindowHook bAction;
    std::string cMsg;
    std::string cPrompt;

    // Evaluates bAction, one click at a time (a click while the action runs
    // is ignored); then, unless lCancel or the owner has no window, the base
    // click.
    Value Click() override;

private:
    bool clicking_ = false;
};

}  // namespace toolkit
