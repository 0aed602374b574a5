// The error dialog: made in memory, laid out in dialog units of the default
// dialog font, sized in pixels.
#include "toolkit/error_window.h"

#include <algorithm>

#include "startup/dialog_font.h"
#include "toolkit/dialog.h"
#include "toolkit/dialog_template.h"
#include "toolkit/font.h"
#include "toolkit/platform.h"

namespace toolkit {
namespace {

using errors::DialogAnswer;

constexpr int kButtonWidth = 30, kButtonHeight = 12;
// The description box spans the dialog's width above the labels; the
// labels and the list sit below it.
constexpr int kTextTop = 2, kTextHeight = 29;
constexpr int kLabelTop = kTextTop + kTextHeight + 2;
constexpr int kListTop = kLabelTop + 9, kListLeft = 3, kListWidth = 145;

int buttonId(const std::string& caption) {
    if (caption == "&Reintentar") return kErrorRetryId;
    if (caption == "&Defecto") return kErrorDefaultId;
    return kErrorExitId;
}

// The list ends above the buttons.
int listHeight(bool ntFamily, int buttonRow) {
    return std::min(ntFamily ? 78 : 60, buttonRow - 2 - kListTop);
}

// What the description box holds: the file and the cause first, then the
// technical description, each from the start of a line. Windows' edit box
// breaks lines at CR LF.
std::string descriptionText(const errors::DialogRequest& r) {
    if (r.headline.empty()) return r.description;
    return r.headline + "\r\n" + r.description;
}

DialogTemplate errorTemplate(const errors::DialogRequest& r) {
    DialogTemplate t;
    t.caption = errors::kDialogCaption;
    t.fontFace = startup::CFONTNAME();
    t.fontPoints = pointsOfHeight(startup::NFONTHSIZE());
    t.cx = 160;
    t.cy = 130;
    // A read-only box that wraps at words and scrolls: a description longer
    // than its three lines is read whole, never cut. It takes no tab stop,
    // so that the focus goes to the list and the text is not shown selected.
    t.items.push_back({kErrorDescriptionId, "EDIT", descriptionText(r),
                       ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, kListLeft,
                       kTextTop, kListWidth, kTextHeight});
    t.items.push_back({-1, "STATIC", "&Secuencias", SS_LEFT, 6, kLabelTop, 60, 8});
    t.items.push_back({-1, "STATIC", "Vea fichero Error.log", SS_LEFT, 90, kLabelTop, 80, 8});
    const auto buttons = errors::dialogButtons(r.offerRetry, r.ntFamily);
    const int row = buttons.front().top;
    t.items.push_back({kErrorListId, "LISTBOX", "",
                       WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                       kListLeft, kListTop, kListWidth, listHeight(r.ntFamily, row)});
    for (const errors::DialogButton& b : buttons)
        t.items.push_back(
            {buttonId(b.caption), "BUTTON", b.caption,
             static_cast<DWORD>(WS_TABSTOP | (b.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)),
             b.left, b.top, kButtonWidth, kButtonHeight});
    return t;
}

// Fills the list, selects its first line, gives the window its pixel size
// and centres it.
void setUp(HWND hDlg, const errors::DialogRequest& r) {
    const HWND list = GetDlgItem(hDlg, kErrorListId);
    for (const std::string& line : r.callStack)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    SetWindowPos(hDlg, nullptr, 0, 0, errors::kDialogWidth, errors::dialogHeight(r.ntFamily),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The window is sized in pixels, wider than its units' layout: the
    // description box takes the whole width, so a file name and its cause
    // fit on its first line.
    const HWND box = GetDlgItem(hDlg, kErrorDescriptionId);
    RECT client{}, boxRect{};
    GetClientRect(hDlg, &client);
    GetWindowRect(box, &boxRect);
    MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&boxRect), 2);
    SetWindowPos(box, nullptr, 0, 0, client.right - 2 * boxRect.left, boxRect.bottom - boxRect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    WNDCENTER(hDlg);
}

}  // namespace

DialogAnswer WindowErrorDialog::show(const errors::DialogRequest& request) {
    const std::shared_ptr<TFont> font = defaultDialogFont();
    DialogNew d;
    d.oFont = font;
    const auto dialog = TDialog::New(d);
    dialog->cResData = templateBytes(errorTemplate(request));
    // Only the buttons the template holds are bound.
    if (request.offerRetry) bindEndingButton(dialog, kErrorRetryId);
    bindEndingButton(dialog, kErrorExitId);
    bindEndingButton(dialog, kErrorDefaultId);
    DialogActivate a;
    a.lCentered = true;
    a.bInit = [&request](TWindow& w) {
        setUp(w.hWnd, request);
        return Value();
    };
    dialog->Activate(a);
    font->End();
    switch (static_cast<int>(dialog->nResult.numOr(0))) {
        case kErrorRetryId:
            return DialogAnswer::Retry;
        case kErrorDefaultId:
            return DialogAnswer::Default;
        default:
            return DialogAnswer::Exit;
    }
}

}  // namespace toolkit
