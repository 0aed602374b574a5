// TDialog: a dialog built from a template of the program's resources (or
// from one made in memory), its controls bound to the template's items by
// id, run modally (or modeless), with the start hook that runs long work
// after the dialog is first painted.
#pragma once

#include <functional>
#include <vector>

#include "toolkit/window.h"

namespace toolkit {

// The arguments of TDialog::New, with their defaults. Fill member by member.
struct DialogNew {
    int nTop = 0, nLeft = 0, nBottom = 10, nRight = 40;  // rows/columns unless lPixels
    std::optional<std::string> cCaption;
    Value cResName;                       // a template name (text) or number; nothing: in memory
    std::optional<HINSTANCE> hResources;  // default GETRESOURCES()
    bool lVbx = false;                    // must stay false
    std::optional<DWORD> nStyle;          // default DS_MODALFRAME|WS_POPUP|WS_CAPTION|WS_SYSMENU
    COLORREF nClrText = 0;
    std::optional<COLORREF> nClrBack;  // default the button-face colour
    std::shared_ptr<TBrush> oBrush;
    std::shared_ptr<TWindow> oWnd;
    bool lPixels = false;
    std::shared_ptr<TIcon> oIcon;
    std::shared_ptr<TFont> oFont;
    int nHelpId = 0;
    int nWidth = 0, nHeight = 0;  // non-zero: pixel size, forces pixels
    std::string cBmpFondo;
};

// The arguments of TDialog::Activate. Fill member by member.
struct DialogActivate {
    MouseHook bLClicked;
    MoveHook bMoved;
    PaintHook bPainted;
    bool lCentered = false;
    WindowHook bValid;
    bool lModal = true;
    WindowHook bInit;
    MouseHook bRClicked;
    WindowHook bWhen;
};

// The factor by which a dialog built from a resource, and each of its
// items' left edges and widths, are widened when it initialises.
inline constexpr double kResourceWidening = 1.164609;

class TDialog : public TWindow {
public:
    static const ClassInfo kClass;
    const ClassInfo& classInfo() const override { return kClass; }

    static std::shared_ptr<TDialog> New(const DialogNew& a = DialogNew());

    // ---- Fields, in the class's order --------------------------------------
    Value cResName;
    std::vector<unsigned char> cResData;  // a template held in memory
    HINSTANCE hResources = nullptr;
    bool lCentered = false;
    bool lModal = true;
    bool lModify = true;
    std::function<void()> bStart;  // start hook, run once after the first paint
    std::optional<bool> lHelpIcon;
    std::string cBmpFondo;
    std::string cMsgInfo;
    bool lBmpFondo = true;
    bool lClassic = false;
    int nLastID = 0;
    Value cOResName;
    bool lValidEsc = false;
    UINT nMsgScript = 0;
    WindowHook bLog;  // logging hook, evaluated at initialisation when set

    // Runs the dialog: modally, the result left in nResult; modeless, the
    // window registered for the pump. Raises error 3 ("Cannot create Dialog
    // Box") when the window cannot be created.
    void Activate(const DialogActivate& a = DialogActivate());
    // Ends the dialog with nEndResult. Modal: false when bValid says no, or
    // when the dialog has no window (nothing changes); otherwise stores the
    // result, ends the modal loop and sets hWnd to 0. Modeless: posts
    // WM_CLOSE with the result.
    bool End(int nEndResult = 2);
    // Records a control: an id from GetNewId() when it has none; error 2
    // ("Duplicated Id") when another control has its id.
    void DefControl(const std::shared_ptr<TControl>& oCtrl);
    // WM_PAINT: paints, then runs bStart once (cleared before it runs).
    Value Display();
    // WM_INITDIALOG: binds the window, font, controls, widening, centring,
    // caption, hooks, help style and icon. False when bInit yields false.
    Value Initiate(WPARAM wParam, HWND hDlg);
    // Gives the dialog the context-help style unless lHelpIcon is false.
    void Help95();
    // The item window nItemId of the dialog.
    HWND GetItem(int nItemId) const;
    // The in-memory template of the dialog itself (style, size, caption);
    // its controls are made in code when it initialises.
    std::vector<unsigned char> cToChar() const;

    Value HandleEvent(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    Value Paint() override;
    Value KeyChar(WPARAM nKey, LPARAM nFlags) override;
    Value Command(WPARAM wParam, LPARAM lParam) override;
    Value CtlColor(HWND hWndCtl, HDC hDCCtl) override;
    Value EraseBkGnd(HDC hDCErase) override;
    Value Close(WPARAM wParam) override;
    Value Destroy() override;
    void SetFont(std::shared_ptr<TFont> oNewFont) override;

    // New's work, for an object of a subclass made by its own constructor.
    // REQUIRES: the object is owned by a std::shared_ptr (it becomes the
    // default window, held weakly).
    void initFrom(const DialogNew& a);

private:
    void runModal(HWND owner);
    void runModeless(HWND owner);
    HWND chooseOwner() const;
    void widenFromResource(HWND hDlg);
    std::string creationOperation() const;
};

// Binds the template's button nId to a TButton that ends the dialog with
// nId as its result.
void bindEndingButton(const std::shared_ptr<TDialog>& dialog, int nId);

// The number of Activate calls in progress.
int dialogNesting();

// Ends every modal dialog being created or shown, with result 2, so that
// their modal loops return (used when a transfer of control must reach the
// callers of Activate).
void endModalDialogs() noexcept;

}  // namespace toolkit
