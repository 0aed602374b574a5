// TWindow: the base of every window object. It holds the fields the toolkit
// relies on, routes window messages to methods found by name (without
// regard to case) through a single-inheritance chain of classes, and links
// an existing window to its object by subclassing it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace toolkit {

using runtime::Value;

class TWindow;
class TControl;
class TFont;
class TBrush;
class TIcon;

// A method as the dispatch reaches it: the object and positional arguments.
// A result of nothing means "not handled": the message goes on to the
// window's previous procedure (controls) or the dialog manager (dialogs).
using MethodFn = Value (*)(TWindow& self, std::span<const Value> args);
struct MethodEntry {
    const char* name;
    MethodFn fn;
};

// A class of the object model: its name, its parent and the methods it
// declares. Lookup walks from the object's class up to TWindow.
struct ClassInfo {
    const char* name;
    const ClassInfo* parent;
    std::span<const MethodEntry> methods;
};

// Hooks (code blocks). A hook that is empty is "not set".
using WindowHook = std::function<Value(TWindow&)>;
using PaintHook = std::function<Value(HDC, const PAINTSTRUCT&, TWindow&)>;
using MouseHook = std::function<Value(int nRow, int nCol, int nKeyFlags)>;
using MoveHook = std::function<Value(int nRow, int nCol)>;

// Handles and pointers travel through the dispatch as numbers.
Value handleValue(const void* h);
template <class H>
H handleArg(std::span<const Value> args, size_t i) {
    return reinterpret_cast<H>(static_cast<intptr_t>(i < args.size() ? args[i].numOr(0) : 0));
}
long long intArg(std::span<const Value> args, size_t i);

// The answer a procedure gives for a method's result: a number unchanged, a
// logical as 1 or 0, anything else 0.
LRESULT resultToLresult(const Value& v);

class TWindow : public std::enable_shared_from_this<TWindow> {
public:
    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    static const ClassInfo kClass;
    virtual const ClassInfo& classInfo() const { return kClass; }
    std::string ClassName() const { return classInfo().name; }
    // Whether the class or one of its ancestors has that name (any case).
    bool isKindOf(std::string_view className) const;
    bool hasMethod(std::string_view name) const;
    // Calls the method of that name (any case); nothing when there is none.
    Value send(std::string_view name, std::span<const Value> args = {});
    Value send(std::string_view name, std::initializer_list<Value> args) {
        return send(name, std::span<const Value>(args.begin(), args.size()));
    }

    // ---- Fields ----------------------------------------------------------
    HWND hWnd = nullptr;  // 0 while the object has no window
    int nId = 0;          // dialog item id (controls)
    std::weak_ptr<TWindow> oWnd;
    std::vector<std::shared_ptr<TControl>> aControls;
    std::shared_ptr<TFont> oFont;
    std::shared_ptr<TBrush> oBrush;
    COLORREF nClrText = 0;
    std::optional<COLORREF> nClrPane;
    std::shared_ptr<TIcon> oIcon;
    std::optional<std::string> cCaption;
    int nTop = 0, nLeft = 0, nBottom = 0, nRight = 0;
    DWORD nStyle = 0;
    int nHelpId = 0;
    bool lActive = true;  // enabled
    bool lVisible = false;
    bool lFocused = false;
    Value nResult;
    HDC hDC = nullptr;
    PAINTSTRUCT cPS{};
    int nPaintCount = 0;
    WindowHook bInit, bValid, bWhen;
    PaintHook bPainted;
    MouseHook bLClicked, bRClicked;
    MoveHook bMoved;
    int nLastKey = 0;

    // ---- Routing ---------------------------------------------------------
    // The window's messages: the script message and WM_COPYDATA here, the
    // rest through dispatch().
    virtual Value HandleEvent(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // The generic dispatch table: the message's method with its unpacked
    // arguments; nothing for a message outside the table.
    Value dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // Enters the object in the window list and, unless subclass is false
    // (dialogs, whose procedure is the toolkit's already), subclasses hWnd so
    // that its messages reach HandleEvent first. False (and error 6 raised)
    // when the list is full; true when already linked.
    bool Link(bool subclass = true);
    // Puts the window's previous procedure back and frees the list entry.
    void UnLink();
    bool linked() const { return linkIndex_.has_value(); }
    // The owner object, or nullptr.
    std::shared_ptr<TWindow> owner() const { return oWnd.lock(); }

    // ---- Methods ---------------------------------------------------------
    // Invalidates the client area (erasing the background unless lErase is
    // false) when the object has a window.
    void Refresh(bool lErase = true);
    void Enable();
    void Disable();
    // Stores the colours, ends the old brush and takes oNewBrush or a new
    // solid brush of nNewClrPane.
    void SetColor(COLORREF nNewClrText, COLORREF nNewClrPane,
                  std::shared_ptr<TBrush> oNewBrush = nullptr);
    // Registers, once per class name, a window class named after the
    // object's class with nClassStyle | CS_GLOBALCLASS | CS_DBLCLKS, the
    // object's brush (solid nClrPane, default the window colour) and icon.
    bool Register(UINT nClassStyle = CS_VREDRAW | CS_HREDRAW);
    // Takes the font (one more user) and sends it to the window.
    virtual void SetFont(std::shared_ptr<TFont> oNewFont);
    // Adopts the window's current font as oFont (a font it does not delete).
    void GetFont();
    // Re-evaluates the bWhen of every control, enabling or disabling it.
    void AEvalWhen();
    // The control in aControls with that id, or nullptr.
    std::shared_ptr<TControl> controlById(int id) const;
    std::shared_ptr<TControl> controlByHandle(HWND h) const;

    HDC BeginPaint();
    void EndPaint();

    // Message methods of the dispatch table. The base versions handle
    // nothing (answer nothing) unless said otherwise.
    virtual Value Destroy();                             // ends the font, unlinks, hWnd := 0
    virtual Value Moved(WPARAM wParam, int nX, int nY);  // evaluates bMoved
    virtual Value ReSize(WPARAM nSizeType, int nWidth, int nHeight);
    virtual Value GotFocus(HWND hWndLoseFocus);  // lFocused := true
    virtual Value LostFocus(HWND hWndGetFocus);  // lFocused := false
    virtual Value Paint();
    virtual Value Close(WPARAM wParam);
    virtual Value QueryEndSession();
    virtual Value EraseBkGnd(HDC hDCErase);
    virtual Value GetMinMaxInfo(LPARAM lParam);
    virtual Value DrawItem(WPARAM wParam, LPARAM lParam);
    virtual Value MeasureItem(WPARAM wParam, LPARAM lParam);
    virtual Value GetDlgCode(WPARAM wParam);
    virtual Value KeyDown(WPARAM nKey, LPARAM nFlags);
    virtual Value KeyChar(WPARAM nKey, LPARAM nFlags);
    virtual Value Command(WPARAM wParam, LPARAM lParam);
    virtual Value SysCommand(WPARAM wParam, int nLow, int nHigh);
    virtual Value Timer(WPARAM nTimerId, LPARAM lParam);
    virtual Value HScroll(WPARAM wParam, LPARAM lParam);
    virtual Value VScroll(WPARAM wParam, LPARAM lParam);
    // Sets the DC's colours to the object's and answers its brush.
    virtual Value CtlColor(HWND hWndCtl, HDC hDCCtl);
    virtual Value MouseMove(int nRow, int nCol, int nKeyFlags);
    virtual Value LButtonDown(int nRow, int nCol, int nKeyFlags);  // bLClicked
    virtual Value LButtonUp(int nRow, int nCol, int nKeyFlags);
    virtual Value LDblClick(int nRow, int nCol, int nKeyFlags);
    virtual Value RButtonDown(int nRow, int nCol, int nKeyFlags);  // bRClicked
    virtual Value RButtonUp(int nRow, int nCol, int nKeyFlags);
    virtual Value MButtonDown(int nRow, int nCol, int nKeyFlags);
    virtual Value MButtonUp(int nRow, int nCol, int nKeyFlags);
    virtual Value MouseWheel(int nKeys, int nDelta, int nX, int nY);

protected:
    // Answers the script message and WM_COPYDATA (shared by TWindow and
    // TDialog); nothing for other messages.
    std::optional<Value> frameworkMessage(UINT nMsg, WPARAM wParam);

private:
    friend LRESULT CALLBACK linkedWindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    std::optional<size_t> linkIndex_;  // entry in the window list while linked
    WNDPROC previousProc_ = nullptr;
};

// The registered message "WM_SCRIP_TESTPARNER" (the framework's GUI script
// hook; with wParam 10000 a window answers 1 and does nothing else here).
UINT scriptMessage();

// The window that controls created without an owner belong to (the last
// dialog made by TDialog::New), or nullptr.
std::shared_ptr<TWindow> defaultWindow();
void setDefaultWindow(const std::shared_ptr<TWindow>& w);

// The object linked to a window, or nullptr.
TWindow* linkedObject(HWND h);

}  // namespace toolkit
