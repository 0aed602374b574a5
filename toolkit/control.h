// TControl: the base of every control. A control built with ReDefine has no
// window until its dialog initialises: Initiate then binds it to the
// template's item with its id and subclasses that window.
#pragma once

#include <optional>

#include "toolkit/window.h"

namespace toolkit {

// Toolkit messages sent to controls.
inline constexpr UINT kMsgClick = 0x800;        // 2048: Click()
inline constexpr UINT kMsgChange = 0x805;       // 2053: Change()
inline constexpr UINT kMsgColors = 0x806;       // 2054: Colors()
inline constexpr UINT kMsgDrawItem = 0x808;     // 2056: DrawItem()
inline constexpr UINT kMsgQXLostFocus = 0x809;  // 2057: QXLostFocus()
inline constexpr UINT kMsgCtlColor16 = 0x19;    // 25: the old control-colour message

class TControl : public TWindow {
public:
    static const ClassInfo kClass;
    const ClassInfo& classInfo() const override { return kClass; }

    // The value accessor: eval() reads it, eval({x}) stores x.
    runtime::Block bSetGet;
    bool lCaptured = false;
    bool lDrag = false;
    bool lUpdate = false;
    bool lCancel = false;

    // The class-wide id counter; unset until the first GetNewId().
    static std::optional<int> nInitID;
    // Starts the counter at 100 when unset, adds 1 and returns it: the first
    // generated id is 101.
    static int GetNewId();

    // Binds the control to the item nId of the dialog hDlg: enables or
    // disables it by lActive, links it and applies oFont (or adopts the
    // item's font). Raises error 1 ("Non defined Id") when the dialog has
    // no such item. Returns whether it was bound.
    virtual bool Initiate(HWND hDlg);

    Value HandleEvent(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    // Base click: re-evaluates the bWhen of every control of the owner.
    virtual Value Click();
    virtual Value Change();
    virtual Value Colors(WPARAM wParam);
    virtual Value HelpTopic();
    virtual Value KillFocus(HWND hWndGetFocus);
    virtual Value QXLostFocus(WPARAM wParam);
    // WM_PAINT of a control: nothing here, so the window's own procedure
    // paints it; controls that draw themselves override it.
    virtual Value Display();
};

// The text "No: " + id right-aligned in 6, the operation of errors 1 and 2.
std::string idOperation(int id);

}  // namespace toolkit
